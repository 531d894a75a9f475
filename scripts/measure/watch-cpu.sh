#!/usr/bin/env bash
# What the idle watch costs while it waits: runs `qvtool watch` on a virtual
# X display of its own for SECONDS (default 600) twice and reports the CPU
# time of the watch process alone (utime + stime from /proc), first while the
# session is not idle long enough yet (--after 1h: it sleeps until the time
# would be up), then while the saver shows (--after 2s: it looks for input
# once a second; the saver's own CPU is not counted).
# Usage: scripts/measure/watch-cpu.sh [SCREENSAVER] (default build/demo.scr)
set -euo pipefail
scr=$(realpath "${1:-build/demo.scr}")
seconds=${SECONDS_MEASURED:-600}
tool=$(realpath build/qvtool)
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp >/dev/null 2>&1 &
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
display=:$(head -1 "$work/display")

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

measure() {
  local after=$1 what=$2
  env -u WAYLAND_DISPLAY -u DBUS_SESSION_BUS_ADDRESS DISPLAY="$display" SDL_AUDIODRIVER=dummy TMPDIR="$work" \
    "$tool" watch "$scr" --after "$after" 2>/dev/null &
  local watch=$!
  sleep 4  # started, and with --after 2s the saver shows
  local t0 t1 hz
  t0=$(cpu_ticks $watch)
  sleep "$seconds"
  t1=$(cpu_ticks $watch)
  kill -TERM $watch; wait $watch || true
  hz=$(getconf CLK_TCK)
  awk -v t=$((t1 - t0)) -v hz="$hz" -v s="$seconds" -v what="$what" \
    'BEGIN { printf "%-34s %6.2f s of CPU in %d s (%.4f %% of a core)\n", what, t / hz, s, 100 * t / hz / s }'
}

measure 1h "waiting for the idle time"
measure 2s "while the saver shows"
