#!/usr/bin/env bash
# Fails when an include runs against the layers of src/:
#   app  ->  config_ui/fltk  ->  startup, saver, config_ui  ->
#   transitions, animation  ->  graphics, project  ->  common
# A folder includes its own layer or lower ones. platform/ implements the
# interfaces the core talks through: it includes only platform, graphics and
# common, and the layers above those two may include it. SDL and FLTK headers
# appear only in platform/sdl, platform/fltk, app and config_ui/fltk; X11,
# Wayland and sd-bus headers only in platform's subfolders and app; Win32
# headers and Win32 calls only in platform and app.
set -u
src=${1:-$(dirname "$0")/../../src}
cd "$src" || exit 2

# The layer of a file or an include: its top folder; config_ui/fltk is a
# layer of its own.
layer() { case "$1" in config_ui/fltk/*) echo config_ui/fltk ;; *) echo "${1%%/*}" ;; esac; }

rank() {
  case "$1" in
    app) echo 0 ;;
    config_ui/fltk) echo 1 ;;
    startup|saver|config_ui) echo 2 ;;
    transitions|animation) echo 3 ;;
    graphics|project) echo 4 ;;
    common) echo 5 ;;
    platform) echo P ;;
    *) echo "?" ;;
  esac
}

win32_headers='windows\.h|win[a-z0-9]*\.h|shlobj\.h|shellapi\.h|shlwapi\.h|shobjidl\.h|objbase\.h|ole2\.h'
win32_headers+='|knownfolders\.h|aclapi\.h|sddl\.h|commctrl\.h|commdlg\.h|dwmapi\.h|mmsystem\.h|userenv\.h'
# Win32 calls (their W and A forms, a few without) and Win32 types.
win32_calls='\b([A-Z][A-Za-z0-9]*[a-z0-9](W|A|ExW|ExA)|GetLastError|CloseHandle|LocalFree|GetProcAddress'
win32_calls+='|LoadLibrary[A-Za-z]*|FreeLibrary|CoInitialize(Ex)?|CoTaskMemFree|CoCreateInstance)[[:space:]]*\('
win32_calls+='|\b(HANDLE|HWND|HKEY|HMODULE|HINSTANCE|DWORD|WPARAM|LPARAM|LRESULT|LPCWSTR|LPWSTR|WINAPI)\b'

faults=0
fault() { echo "$1"; faults=$((faults + 1)); }

while IFS= read -r file; do
  top=$(layer "$file")
  own=$(rank "$top")
  [ "$own" = "?" ] && { fault "$file: in a folder that belongs to no layer"; continue; }
  while IFS= read -r line; do
    inc=$(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' <<<"$line")
    [ -z "$inc" ] && continue
    case "$inc" in */*) ;; *) continue ;; esac  # same-folder includes
    target=$(layer "$inc")
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
  if grep -qE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<(X11/|wayland-|systemd/)' "$file"; then
    case "$file" in
      platform/*/*|app/*) ;;
      *) fault "$file includes X11, Wayland or sd-bus outside platform's subfolders and app" ;;
    esac
  fi
  case "$file" in
    platform/*|app/*) ;;
    *)
      grep -qiE "^[[:space:]]*#[[:space:]]*include[[:space:]]*<($win32_headers)" "$file" &&
        fault "$file includes a Win32 header outside platform and app"
      sed 's://.*$::' "$file" | grep -qE "$win32_calls" && fault "$file uses Win32 outside platform and app"
      ;;
  esac
done < <(find . -type f \( -name '*.h' -o -name '*.cpp' \) | sed 's|^\./||' | sort)

if [ "$faults" -gt 0 ]; then
  echo "$faults layering fault(s)"
  exit 1
fi
echo "layers: every include runs downwards"
