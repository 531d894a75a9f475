#!/usr/bin/env bash
# Sets up, builds and runs every test: once in a plain release build, once
# under AddressSanitizer and UndefinedBehaviorSanitizer. Tests that open
# windows run on a virtual X display. After the release run the project's
# Debian package is built from it and checked with lintian.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

run_suite() {
  local dir=$1
  echo "== tests in $dir"
  (cd "$dir" && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j2 --timeout 300)
}

scripts/build.sh release
run_suite build
echo "== the Debian package"
QV_LINTIAN=1 scripts/package.sh build
scripts/build.sh asan
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
run_suite build-asan
