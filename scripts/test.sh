#!/usr/bin/env bash
# Set up, build, and run every test; GUI test binaries each run under their own Xvfb when there
# is no display. Ends with ctest's summary.
#
#   scripts/test.sh [--sanitize] [CTEST ARGS...]
#
# --sanitize builds with AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer into
# build-asan (unless BUILD_DIR says otherwise) and runs the same suite there: the first error,
# undefined behaviour or leak (beyond scripts/lsan.supp) fails the test it happened in.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
if [ "${1:-}" = "--sanitize" ]; then
    shift
    export BUILD_DIR=${BUILD_DIR:-build-asan}
    # The benchmarks are not tests: the sanitizer build leaves them out.
    export CMAKE_ARGS="${CMAKE_ARGS:-} -DGIZMARK_SANITIZE=ON -DGIZMARK_BENCH=OFF"
fi
bash scripts/setup.sh
BUILD_DIR=${BUILD_DIR:-build}
# The glTF validator the export tests run, into the build folder.
BUILD_DIR=$BUILD_DIR bash scripts/setup-test-tools.sh
cd "$BUILD_DIR"
# Only read by sanitizer builds (CMAKE_ARGS=-DGIZMARK_SANITIZE=ON works as well as --sanitize).
. "$ROOT/scripts/sanitizer-options.sh"
ctest --output-on-failure -j"$(nproc)" "$@"
