#!/usr/bin/env bash
# Set up, build, and run every test; GUI test binaries each run under their own Xvfb when there
# is no display. Ends with ctest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
BUILD_DIR=${BUILD_DIR:-build}
cd "$BUILD_DIR"
ctest --output-on-failure -j"$(nproc)" "$@"
