#!/usr/bin/env bash
# Builds the Windows programs and their tests, and runs the tests as Windows
# programs under Wine on a virtual X display: the unit tests that Windows
# shares with Linux, the Windows platform layer's own, and end to end the
# demo packed by the Linux qvtool onto qvsaver.exe as "Demo Show.scr" (run
# full-screen and ended by the mouse, previewed inside another program's
# window, and more). Needs the Linux build's qvtool (scripts/test.sh makes
# it; this script builds it when it is missing).
#
# Usage: scripts/test-windows.sh
#   QV_WINDOWS_BUILD  the Windows build folder (default build-windows)
#   QV_LINUX_BUILD    the Linux build folder with qvtool (default build)
#   QV_WINE_PREFIX    the Wine prefix the tests run in (default <build>/wine)
set -euo pipefail
cd "$(dirname "$0")/.."
here=$PWD

# Wine and its windows need a display: the whole run happens on one virtual
# X server.
if [ -z "${QV_TEST_WINDOWS_DISPLAY:-}" ]; then
  command -v xvfb-run >/dev/null || scripts/setup.sh
  exec xvfb-run -a -s "-screen 0 1280x1024x24" env QV_TEST_WINDOWS_DISPLAY=1 "$0" "$@"
fi

start=$EPOCHREALTIME
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.0f", b - a }'; }
say() { echo "test-windows: $*"; }

build=${QV_WINDOWS_BUILD:-build-windows}
linux_build=${QV_LINUX_BUILD:-build}
if [ ! -x "$linux_build/qvtool" ]; then
  say "building the Linux qvtool in $linux_build"
  scripts/setup.sh
  cmake -S . -B "$linux_build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$linux_build" -j2 --target qvtool
fi
qvtool=$(cd "$linux_build" && pwd)/qvtool

# The libraries and the programs (installs the cross compilers and Wine).
scripts/build-windows.sh -DQV_TESTS=ON -DQV_HOST_QVTOOL="$qvtool"
built_programs=$EPOCHREALTIME

# One Wine prefix for every test, made once. Its server stays up for the
# whole run (started detached, so nothing waits on it), and the prefix is
# booted before any test starts: a test program then starts in a fraction of
# a second instead of seconds.
export WINEPREFIX=${QV_WINE_PREFIX:-$here/$build/wine}
export WINEDEBUG=-all
# No offer to download Mono or Gecko, which would wait on a dialog.
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
mkdir -p "$WINEPREFIX"
setsid "$wineserver" -p </dev/null >/dev/null 2>&1 &
stop_wine() { "$wineserver" -k >/dev/null 2>&1 || true; }
trap stop_wine EXIT
setsid "$wine" wineboot </dev/null >/dev/null 2>&1
# No sound device, as on a machine without one: music and sounds stay silent
# (and Wine's audio driver says nothing about the missing card).
"$wine" reg add 'HKCU\Software\Wine\Drivers' /v Audio /d '' /f >/dev/null 2>&1
booted=$EPOCHREALTIME

say "building the tests (their lists are read under Wine)"
cmake --build "$build" -j2
built_tests=$EPOCHREALTIME

say "running the tests under Wine"
status=0
# Now and then Wine fails to start a program or hangs at its end, whatever
# the program (a test that printed its pass, then timed out): a failed test
# runs once more, and only a second failure counts.
(cd "$build" && ctest --output-on-failure -j2 --timeout 300 --repeat until-pass:2) || status=$?

# A desktop of two monitors side by side, 800 x 600 each. Wine lists the X
# server's RandR outputs (RandR monitors of one output it does not see), so
# this is an X server of the dummy video driver with two outputs switched on.
two_monitors() {
  local conf=$here/$build/two-monitors.conf n xorg
  cat >"$conf" <<'CONF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 65536
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
    Virtual 1600 600
  EndSubSection
EndSection
CONF
  for n in $(seq 140 199); do [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break; done
  Xorg ":$n" -config "$conf" -noreset -nolisten tcp -logfile "$here/$build/two-monitors.log" </dev/null >/dev/null 2>&1 &
  xorg=$!
  for _ in $(seq 100); do DISPLAY=":$n" xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  local result=0
  if DISPLAY=":$n" xrandr --newmode side 40.00 800 840 968 1056 600 601 605 628 &&
    DISPLAY=":$n" xrandr --addmode DUMMY0 side && DISPLAY=":$n" xrandr --addmode DUMMY1 side &&
    DISPLAY=":$n" xrandr --fb 1600x600 --output DUMMY0 --mode side --pos 0x0 --primary \
      --output DUMMY1 --mode side --pos 800x0; then
    # A full probe of the outputs (xrandr's listing) before Wine looks:
    # without it Wine's quick look still finds the second output off.
    DISPLAY=":$n" xrandr --listmonitors >/dev/null
    # Wine's own processes move to the new display with a fresh server.
    "$wineserver" -k >/dev/null 2>&1 || true
    (cd "$build" && DISPLAY=":$n" ctest --output-on-failure --timeout 300 -R OnTwoMonitors) || result=$?
    "$wineserver" -k >/dev/null 2>&1 || true
  else
    echo "no X server with two monitors could be set up (see $build/two-monitors.log)" >&2
    result=1
  fi
  kill "$xorg" 2>/dev/null || true
  wait "$xorg" 2>/dev/null || true
  return $result
}
say "the two-monitor test under Wine"
two_monitors || status=$?

finished=$EPOCHREALTIME
say "$(seconds "$start" "$finished") s in all: libraries and programs $(seconds "$start" "$built_programs") s," \
  "Wine $(seconds "$built_programs" "$booted") s, tests built $(seconds "$booted" "$built_tests") s," \
  "tests run $(seconds "$built_tests" "$finished") s"
exit $status
