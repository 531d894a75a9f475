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

# A desktop of two monitors side by side, 800 x 600 each (scripts/dummy-x.sh).
two_monitors() {
  local result=0
  if dummy_x_start 2 800x600 "$here/$build/two-monitors.log"; then
    # Wine's own processes move to the new display with a fresh server.
    "$wineserver" -k >/dev/null 2>&1 || true
    (cd "$build" && DISPLAY=$DUMMY_X_DISPLAY ctest --output-on-failure --timeout 300 -R OnTwoMonitors) || result=$?
    "$wineserver" -k >/dev/null 2>&1 || true
  else
    echo "no X server with two monitors could be set up (see $build/two-monitors.log)" >&2
    result=1
  fi
  dummy_x_stop
  return $result
}
. scripts/dummy-x.sh
say "the two-monitor test under Wine"
two_monitors || status=$?

finished=$EPOCHREALTIME
say "$(seconds "$start" "$finished") s in all: libraries and programs $(seconds "$start" "$built_programs") s," \
  "Wine $(seconds "$built_programs" "$booted") s, tests built $(seconds "$booted" "$built_tests") s," \
  "tests run $(seconds "$built_tests" "$finished") s"
exit $status
