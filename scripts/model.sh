#!/usr/bin/env bash
# The model-checked undo history: random runs of editor operations, each drawn from a numbered
# sequence, in the real editor with the plug-in module, each checked against a small model of
# the scene (see the README). Builds gizmark_undo_model when needed and runs each sequence under
# its own display.
#
#   scripts/model.sh [NUMBER...] [--ops N] [--jobs N]
#
# Sequence numbers default to 1, operations to 10000; --jobs runs that many sequences at once.
# Prints one result line per sequence (and the time per kind of operation); a failing sequence
# prints its minimal replay script, also written to BUILD_DIR/model/. Exits non-zero when any
# sequence fails.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD_DIR=${BUILD_DIR:-build}
numbers=()
ops=10000
jobs=1
while [ $# -gt 0 ]; do
    case $1 in
    --ops) ops=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    *) numbers+=("$1"); shift ;;
    esac
done
[ ${#numbers[@]} -gt 0 ] || numbers=(1)
[ -f "$BUILD_DIR/CMakeCache.txt" ] || bash scripts/setup.sh
cmake --build "$BUILD_DIR" --target gizmark_undo_model -j2 >/dev/null
out="$BUILD_DIR/model"
mkdir -p "$out"
run_one() {
    "$ROOT/scripts/with-display.sh" "$BUILD_DIR/bin/gizmark_undo_model" --sequence "$1" \
        --ops "$ops" --out "$out" >"$out/run-$1.log" 2>&1
}
start=$SECONDS
failed=0
running=0
pids=()
collect() {
    for entry in "${pids[@]}"; do
        wait "${entry%%:*}" || failed=$((failed + 1))
        cat "$out/run-${entry##*:}.log"
    done
    pids=()
    running=0
}
for number in "${numbers[@]}"; do
    run_one "$number" &
    pids+=("$!:$number")
    running=$((running + 1))
    [ $running -lt "$jobs" ] || collect
done
[ ${#pids[@]} -eq 0 ] || collect
echo "model: ${#numbers[@]} runs x $ops ops in $((SECONDS - start)) s, $failed failed"
[ $failed -eq 0 ]
