#!/usr/bin/env bash
# Fuzzes every reader of user-supplied bytes with clang's libFuzzer under
# AddressSanitizer and UndefinedBehaviorSanitizer: builds the entry points of
# fuzz/ in build-fuzz/, writes their seed corpora with our own writers, runs
# each for SECONDS (default 60) and reports executions and findings. Exits
# non-zero when any entry point found a crash, a leak or undefined behaviour;
# the inputs that show it are kept in build-fuzz/findings/.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

packages=(clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "fuzz: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DQV_FUZZ=ON -DQV_TESTS=OFF -DQV_BENCH=OFF >/dev/null
cmake --build build-fuzz -j2 --target fuzzers
rm -rf build-fuzz/seeds build-fuzz/findings
build-fuzz/fuzz_seeds build-fuzz/seeds >/dev/null
mkdir -p build-fuzz/findings build-fuzz/logs

export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
# Leaks inside system libraries that are theirs to fix (fuzz/lsan.supp says which).
export LSAN_OPTIONS=suppressions=$PWD/fuzz/lsan.supp
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=0
printf '%-14s %12s %10s  %s\n' "entry" "executions" "corpus" "result"
for fuzzer in build-fuzz/fuzz_*; do
  name=$(basename "$fuzzer")
  [ "$name" = fuzz_seeds ] && continue
  corpus=build-fuzz/corpus/$name
  mkdir -p "$corpus"
  [ -d "build-fuzz/seeds/$name" ] && cp -n build-fuzz/seeds/"$name"/* "$corpus"/ 2>/dev/null || true
  log=build-fuzz/logs/$name.log
  status=0
  # Ten seconds per input at most, 2 GiB in all: a slow or hungry input is a finding too.
  "$fuzzer" "$corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="build-fuzz/findings/$name-" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  units=$(ls "$corpus" | wc -l)
  if [ "$status" -eq 0 ]; then
    result="no findings"
  else
    result="FINDING (exit $status), see $log"
    failed=1
  fi
  printf '%-14s %12s %10s  %s\n' "$name" "${runs:-?}" "$units" "$result"
done
exit $failed
