#!/usr/bin/env bash
# How much CPU a still picture costs once it is on screen: plays a screensaver
# full-screen on a virtual 1920x1080 display with one picture (the user
# settings pick the single first picture, so nothing changes) and reports the
# CPU time the engine and the X server use over ten seconds, on the window
# path and on the accelerated path. The first picture of picture-cpu.sh.
# Usage: scripts/measure/idle-cpu.sh [SCREENSAVER] (default build/demo.scr)
set -euo pipefail
exec "$(dirname "$0")/picture-cpu.sh" "${1:-build/demo.scr}" 0 1920x1080
