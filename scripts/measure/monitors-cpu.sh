#!/usr/bin/env bash
# What a show on each monitor costs: plays a screensaver with Monitors=1 on
# an X server of one 1920x1080 monitor and then of two side by side, and
# reports the engine's CPU share and resident memory for each. The X server
# is the dummy video driver's (its outputs are real RandR outputs, switched
# on with xrandr), run as root.
# Usage: scripts/measure/monitors-cpu.sh [SCREENSAVER]   (default build/demo.scr)
set -euo pipefail
scr=$(realpath "${1:-build/demo.scr}")
seconds=${SECONDS_MEASURED:-20}
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

cat >"$work/xorg.conf" <<'CONF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 262144
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 3840 1080
  EndSubSection
EndSection
CONF

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

measure() {
  local monitors=$1 n
  for n in $(seq 140 199); do [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break; done
  Xorg ":$n" -config "$work/xorg.conf" -noreset -nolisten tcp -logfile "$work/x.log" </dev/null >/dev/null 2>&1 &
  local xorg=$!
  for _ in $(seq 100); do DISPLAY=":$n" xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  export DISPLAY=":$n"
  xrandr --newmode hd 148.50 1920 2008 2052 2200 1080 1084 1089 1125
  xrandr --addmode DUMMY0 hd
  if [ "$monitors" = 2 ]; then
    xrandr --addmode DUMMY1 hd
    xrandr --fb 3840x1080 --output DUMMY0 --mode hd --pos 0x0 --primary --output DUMMY1 --mode hd --pos 1920x0
  else
    xrandr --fb 1920x1080 --output DUMMY0 --mode hd --pos 0x0 --primary
  fi
  xrandr --listmonitors >/dev/null
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
  kill $xorg; wait $xorg 2>/dev/null || true
  hz=$(getconf CLK_TCK)
  awk -v s=$((s1 - s0)) -v hz="$hz" -v t="$seconds" -v m="$monitors" -v rss="$rss" \
    'BEGIN { printf "%d monitor(s) of 1920x1080, Monitors=1: engine %5.1f %% of a core, RSS %4d MiB\n", m, 100 * s / hz / t, rss / 1024 }'
}

measure 1
measure 2
