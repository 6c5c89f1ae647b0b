#!/usr/bin/env bash
# The model-checked undo history: seeded random runs of editor operations in the real editor
# with the plug-in module, each checked against a small model of the scene (see the README).
# Builds gizmark_undo_model when needed and runs each seed under its own display.
#
#   scripts/model.sh [SEED...] [--ops N] [--jobs N]
#
# Seeds default to 1, operations to 10000; --jobs runs that many seeds at once. Prints one
# result line per seed (and the time per kind of operation); a failing seed prints its minimal
# replay script, also written to BUILD_DIR/model/undo-model-SEED.script. Exits non-zero when
# any seed fails.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD_DIR=${BUILD_DIR:-build}
seeds=()
ops=10000
jobs=1
while [ $# -gt 0 ]; do
    case $1 in
    --ops) ops=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    *) seeds+=("$1"); shift ;;
    esac
done
[ ${#seeds[@]} -gt 0 ] || seeds=(1)
[ -f "$BUILD_DIR/CMakeCache.txt" ] || bash scripts/setup.sh
cmake --build "$BUILD_DIR" --target gizmark_undo_model -j2 >/dev/null
out="$BUILD_DIR/model"
mkdir -p "$out"
run_seed() {
    "$ROOT/scripts/with-display.sh" "$BUILD_DIR/bin/gizmark_undo_model" --seed "$1" --ops "$ops" \
        --out "$out" >"$out/seed-$1.log" 2>&1
}
start=$SECONDS
failed=0
running=0
pids=()
for seed in "${seeds[@]}"; do
    run_seed "$seed" &
    pids+=("$!:$seed")
    running=$((running + 1))
    if [ $running -ge "$jobs" ]; then
        for entry in "${pids[@]}"; do
            wait "${entry%%:*}" || failed=$((failed + 1))
            cat "$out/seed-${entry##*:}.log"
        done
        pids=()
        running=0
    fi
done
for entry in "${pids[@]}"; do
    wait "${entry%%:*}" || failed=$((failed + 1))
    cat "$out/seed-${entry##*:}.log"
done
echo "model: ${#seeds[@]} seeds x $ops ops in $((SECONDS - start)) s, $failed failed"
[ $failed -eq 0 ]
