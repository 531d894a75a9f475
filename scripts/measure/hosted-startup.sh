#!/usr/bin/env bash
# Start-up time of a hosted screensaver at 1920x1080 on a virtual display,
# beside a bare SDL program that presents one black frame.
# Usage: scripts/measure/hosted-startup.sh [SCREENSAVER] (default build/demo.scr)
set -euo pipefail
scr=$(realpath "${1:-build/demo.scr}")
build=$(dirname "$(realpath "$0")")/../../build
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
sleep 1
DISPLAY=$display TMPDIR=$(mktemp -d) "$build/bench_hosted_startup" "$scr" "$build/bench_hosted_floor"
