#!/usr/bin/env bash
# Sets up, builds the engine and the bundled demo screensaver (build/demo.scr)
# and shows its project.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh release
build/qvtool info build/demo.scr
