#!/usr/bin/env bash
# How much CPU a still picture costs once it is on screen: plays a screensaver
# full-screen on a virtual 1920x1080 display with one picture (the user
# settings pick the single first picture, so nothing changes) and reports the
# CPU time the engine and the X server use over ten seconds, on the window
# path and on the accelerated path.
# Usage: scripts/measure/idle-cpu.sh [SCREENSAVER] (default build/demo.scr)
set -euo pipefail
scr=$(realpath "${1:-build/demo.scr}")
seconds=${SECONDS_MEASURED:-10}
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

measure() {
  local directx=$1
  cp "$scr" "$work/still.scr"
  printf '[Setting]\r\nImageMode=3\r\nIndex=0\r\nDirectX=%s\r\n' "$directx" > "$work/still.ini"
  DISPLAY=$display SDL_AUDIODRIVER=dummy "$work/still.scr" /S &
  local saver=$!
  sleep 3  # the picture is loaded and shown
  local s0 x0 s1 x1
  s0=$(cpu_ticks $saver); x0=$(cpu_ticks $xvfb)
  sleep "$seconds"
  s1=$(cpu_ticks $saver); x1=$(cpu_ticks $xvfb)
  kill -TERM $saver; wait $saver || true
  local hz; hz=$(getconf CLK_TCK)
  awk -v s=$((s1 - s0)) -v x=$((x1 - x0)) -v hz="$hz" -v t="$seconds" -v path="$2" \
    'BEGIN { printf "%-18s engine %5.1f %% of a core   X server %5.1f %%\n", path, 100 * s / hz / t, 100 * x / hz / t }'
}

measure 0 "window path"
measure 1 "accelerated path"
