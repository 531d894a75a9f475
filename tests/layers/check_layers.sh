#!/usr/bin/env bash
# Fails when an include runs against the layers of src/:
#   app  ->  startup, saver, config_ui  ->  transitions, animation  ->
#   graphics, project  ->  common
# A folder includes its own layer or lower ones. platform/ implements the
# interfaces the core talks through: it includes only platform, graphics and
# common, and the layers above those two may include it. SDL and FLTK headers
# appear only in platform/sdl, platform/fltk, app and config_ui/fltk.
set -u
src=${1:-$(dirname "$0")/../../src}
cd "$src" || exit 2

rank() {
  case "$1" in
    app) echo 0 ;;
    startup|saver|config_ui) echo 1 ;;
    transitions|animation) echo 2 ;;
    graphics|project) echo 3 ;;
    common) echo 4 ;;
    platform) echo P ;;
    *) echo "?" ;;
  esac
}

faults=0
fault() { echo "$1"; faults=$((faults + 1)); }

while IFS= read -r file; do
  top=${file%%/*}
  own=$(rank "$top")
  [ "$own" = "?" ] && { fault "$file: in a folder that belongs to no layer"; continue; }
  while IFS= read -r line; do
    inc=$(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' <<<"$line")
    [ -z "$inc" ] && continue
    case "$inc" in */*) ;; *) continue ;; esac  # same-folder includes
    target=${inc%%/*}
    theirs=$(rank "$target")
    [ "$theirs" = "?" ] && { fault "$file includes $inc: not a layer of src/"; continue; }
    if [ "$own" = "P" ]; then
      case "$target" in platform|graphics|common) ;; *) fault "$file includes $inc: the platform layer includes no subsystem" ;; esac
    elif [ "$theirs" = "P" ]; then
      case "$top" in
        graphics|common) fault "$file includes $inc: platform includes $top, not the other way" ;;
      esac
    elif [ "$theirs" != "P" ] && [ "$theirs" -lt "$own" ]; then
      fault "$file includes $inc: $top may not include the higher layer $target"
    fi
  done < <(grep -E '^[[:space:]]*#[[:space:]]*include' "$file")
  if grep -qE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<(SDL|FL/)' "$file"; then
    case "$file" in
      platform/sdl/*|platform/fltk/*|app/*|config_ui/fltk/*) ;;
      *) fault "$file includes SDL or FLTK outside platform/sdl, platform/fltk, app and config_ui/fltk" ;;
    esac
  fi
done < <(find . -type f \( -name '*.h' -o -name '*.cpp' \) | sed 's|^\./||' | sort)

if [ "$faults" -gt 0 ]; then
  echo "$faults layering fault(s)"
  exit 1
fi
echo "layers: every include runs downwards"
