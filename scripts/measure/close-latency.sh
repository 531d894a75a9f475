#!/usr/bin/env bash
# How long the saver takes to go away after a click while transitions run:
# packs the demo's pictures with four-second transitions one second apart,
# plays it on a virtual display, clicks at several moments and reports the
# time from the click until its window is off the screen, and until the
# process has ended.
# Usage: scripts/measure/close-latency.sh [BUILD_DIR] (default build)
set -euo pipefail
build=$(realpath "${1:-build}")
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

"$build/qvtool" demo --engine "$build/qvsaver" --out "$work/demo.scr" --sources "$work/src" >/dev/null
printf '[Default]\r\nDuration=1\r\nTransitionTime=4000\r\nShowImageMode=1\r\nDirectX=0\r\n' > "$work/t-settings.ini"
"$build/qvtool" pack --engine "$build/qvsaver" --out "$work/t.scr" --settings "$work/t-settings.ini" \
  "$work/src/sea.jpg" "$work/src/aurora.bmp" "$work/src/garden.gif" >/dev/null

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x720x24 -nolisten tcp >/dev/null 2>&1 &
sleep 1
gone=() ended=()
for delay in 2.0 2.7 3.4 4.1 4.8 5.5; do
  DISPLAY=$display SDL_AUDIODRIVER=dummy "$work/t.scr" /S &
  saver=$!
  sleep "$delay"
  start=$(date +%s%N)
  DISPLAY=$display xdotool mousedown 1 mouseup 1
  while DISPLAY=$display xdotool search --onlyvisible --pid $saver >/dev/null 2>&1; do :; done
  hidden=$(date +%s%N)
  wait $saver || true
  end=$(date +%s%N)
  gone+=("$(( (hidden - start) / 1000000 ))")
  ended+=("$(( (end - start) / 1000000 ))")
done
printf 'after a click during transitions, window off the screen (ms): %s\n' "${gone[*]}"
printf '                                  process ended (ms):         %s\n' "${ended[*]}"
