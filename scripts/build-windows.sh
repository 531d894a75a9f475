#!/usr/bin/env bash
# Builds the Windows programs from Linux: build-windows/qvsaver.exe (the
# engine, static, 64-bit, no console window) and build-windows/qvtool.exe.
# First builds (or finds in its cache) the libraries they link, with
# scripts/build-windows-libraries.sh, which also installs the MinGW-w64 cross
# compilers and Wine. A second run only rebuilds what changed here.
#
# Usage: scripts/build-windows.sh [cmake options...]
#   QV_WINDOWS_BUILD   the build folder (default build-windows)
#   QV_WINDOWS_CACHE   the libraries' cache (default ~/.cache/qvsaver-windows)
set -euo pipefail
cd "$(dirname "$0")/.."
here=$PWD
build=${QV_WINDOWS_BUILD:-build-windows}

prefix_file=$(mktemp)
trap 'rm -f "$prefix_file"' EXIT
QV_WINDOWS_PREFIX_FILE=$prefix_file scripts/build-windows-libraries.sh
prefix=$(cat "$prefix_file")

echo "build-windows: building the programs in $build"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" -DQV_WINDOWS_PREFIX="$prefix" \
  -DQV_BENCH=OFF "$@" >/dev/null
cmake --build "$build" -j2 --target qvsaver qvtool
echo "build-windows: $build/qvsaver.exe and $build/qvtool.exe"
