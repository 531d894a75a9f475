#!/usr/bin/env bash
# How much CPU one picture costs once it is on screen: plays a screensaver
# full-screen on a virtual display with the user settings picking that single
# picture (so nothing changes but the picture itself, moving or not) and
# reports the CPU time the engine and the X server use, and the engine's
# resident memory at the end. Extra [Setting] lines (PanZoom=1) come from
# SETTINGS, "\r\n" between them.
# Usage: scripts/measure/picture-cpu.sh [SCREENSAVER] [INDEX] [WIDTHxHEIGHT]
#        (defaults: build/demo.scr, 1 (the demo's living picture), 1920x1080)
set -euo pipefail
scr=$(realpath "${1:-build/demo.scr}")
index=${2:-1}
size=${3:-1920x1080}
seconds=${SECONDS_MEASURED:-10}
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

w=${size%x*} h=${size#*x}
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 "${w}x${h}x24" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

measure() {
  local directx=$1
  cp "$scr" "$work/one.scr"
  printf '[Setting]\r\nImageMode=3\r\nIndex=%s\r\nDirectX=%s\r\n%b' "$index" "$directx" "${SETTINGS:-}" > "$work/one.ini"
  DISPLAY=$display SDL_AUDIODRIVER=dummy "$work/one.scr" /S &
  local saver=$!
  sleep 3  # the picture is loaded and shown
  local s0 x0 s1 x1 rss
  s0=$(cpu_ticks $saver); x0=$(cpu_ticks $xvfb)
  sleep "$seconds"
  s1=$(cpu_ticks $saver); x1=$(cpu_ticks $xvfb)
  rss=$(awk '/VmRSS/ {print $2}' "/proc/$saver/status")
  kill -TERM $saver; wait $saver || true
  local hz; hz=$(getconf CLK_TCK)
  awk -v s=$((s1 - s0)) -v x=$((x1 - x0)) -v hz="$hz" -v t="$seconds" -v path="$2" -v rss="$rss" \
    'BEGIN { printf "%-18s engine %5.1f %% of a core   X server %5.1f %%   engine RSS %4d MiB\n", path, 100 * s / hz / t, 100 * x / hz / t, rss / 1024 }'
}

measure 0 "window path"
measure 1 "accelerated path"
