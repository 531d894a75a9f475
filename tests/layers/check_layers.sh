#!/usr/bin/env bash
# Fails when an include runs against the layers of src/:
#   app  ->  startup, saver, config_ui  ->  transitions, animation  ->
#   graphics, project  ->  common
# A folder includes its own layer or lower ones. platform/ implements the
# interfaces the core talks through: anyone may include it, and it includes
# only platform, graphics and common. SDL and FLTK headers appear only in
# platform/sdl, platform/fltk, app and config_ui/fltk; X11, Wayland and
# sd-bus headers only in platform's subfolders and app.
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
  if grep -qE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<(X11/|wayland-|systemd/)' "$file"; then
    case "$file" in
      platform/*/*|app/*) ;;
      *) fault "$file includes X11, Wayland or sd-bus outside platform's subfolders and app" ;;
    esac
  fi
done < <(find . -type f \( -name '*.h' -o -name '*.cpp' \) | sed 's|^\./||' | sort)

if [ "$faults" -gt 0 ]; then
  echo "$faults layering fault(s)"
  exit 1
fi
echo "layers: every include runs downwards"
