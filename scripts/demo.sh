#!/usr/bin/env bash
# Sets up, builds the engine and the bundled demo screensaver (build/demo.scr)
# and plays it full-screen; move the mouse or press a key to end it. Without
# a display it plays the demo headless and writes some of its frames instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh release
build/qvtool info build/demo.scr >/dev/null
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/demo.scr /S
fi
echo "demo: no display here; playing 30 seconds headless into build/demo-frames/"
build/qvtool render build/demo.scr --size 1280x720 --seconds 30 --every 30 --out build/demo-frames
