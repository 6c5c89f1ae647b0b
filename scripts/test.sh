#!/usr/bin/env bash
# Set up, build, and run every test; GUI test binaries each run under their own Xvfb when there
# is no display. Ends with ctest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
ROOT=$PWD
BUILD_DIR=${BUILD_DIR:-build}
cd "$BUILD_DIR"
# Only read by sanitizer builds.
export LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
ctest --output-on-failure -j"$(nproc)" "$@"
