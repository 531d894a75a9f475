#!/usr/bin/env bash
# Configures and builds one build folder. Usage: scripts/build.sh [release|asan|tsan]
# tsan: ThreadSanitizer, for the code that runs on threads (see README).
set -euo pipefail
cd "$(dirname "$0")/.."
kind=${1:-release}
case "$kind" in
  release) dir=build; flags=(-DCMAKE_BUILD_TYPE=Release) ;;
  asan) dir=build-asan; flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_SANITIZE=ON -DQV_BENCH=OFF) ;;
  tsan) dir=build-tsan
    flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_FLAGS=-fsanitize=thread -DCMAKE_CXX_FLAGS=-fsanitize=thread
      -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread -DQV_BENCH=OFF) ;;
  *) echo "usage: scripts/build.sh [release|asan|tsan]" >&2; exit 2 ;;
esac
cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$dir" -j2
