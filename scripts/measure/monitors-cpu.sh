#!/usr/bin/env bash
# What a show on each monitor costs: plays a screensaver with Monitors=1 on
# an X server of one 1920x1080 monitor and then of two side by side, and
# reports the engine's CPU share and resident memory for each, on the dummy
# X server of scripts/dummy-x.sh (run as root).
# Usage: scripts/measure/monitors-cpu.sh [SCREENSAVER]   (default build/demo.scr)
set -euo pipefail
scr=$(realpath "${1:-build/demo.scr}")
seconds=${SECONDS_MEASURED:-20}
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

. "$(dirname "$0")/../dummy-x.sh"

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

measure() {
  local monitors=$1
  dummy_x_start "$monitors" 1920x1080 "$work/x.log"
  export DISPLAY=$DUMMY_X_DISPLAY
  cp "$scr" "$work/m.scr"
  printf '[Setting]\r\nMonitors=1\r\n' >"$work/m.ini"
  SDL_AUDIODRIVER=dummy "$work/m.scr" /S &
  local saver=$!
  sleep 4  # the first pictures are loaded and shown
  local s0 s1 rss hz
  s0=$(cpu_ticks $saver)
  sleep "$seconds"
  s1=$(cpu_ticks $saver)
  rss=$(awk '/VmRSS/ {print $2}' "/proc/$saver/status")
  kill -TERM $saver; wait $saver || true
  dummy_x_stop
  hz=$(getconf CLK_TCK)
  awk -v s=$((s1 - s0)) -v hz="$hz" -v t="$seconds" -v m="$monitors" -v rss="$rss" \
    'BEGIN { printf "%d monitor(s) of 1920x1080, Monitors=1: engine %5.1f %% of a core, RSS %4d MiB\n", m, 100 * s / hz / t, rss / 1024 }'
}

measure 1
measure 2
