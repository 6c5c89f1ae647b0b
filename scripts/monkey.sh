#!/usr/bin/env bash
# Random real input over the editor's window, long: the editor on its demo scene under an X
# server of its own, driven by gizmark_monkey with seeded random gestures sent as real X input
# (clicks and drags with each button and modifier in every view, the gizmo's parts, the
# outliner, the side panel, the bar, the light page and its colour picker, mode keys, undo and
# redo storms, the wheel, the view layout), checked after every gesture and at the end (see the
# README, "Random real input").
#
#   scripts/monkey.sh [--no-build] [--sanitize] [EVENTS] [SEED]
#
# EVENTS defaults to 2000, SEED to 1. BUILD_DIR is honoured (default build, build-asan with
# --sanitize, which builds with the sanitizers as scripts/test.sh --sanitize does and runs with
# its options: the first error, undefined behaviour or leak ends the run). --no-build runs
# what is built. Prints "monkey: N events, seed S, ok", or the seed and the number of the
# first gesture that went wrong with the replay script (BUILD_DIR/monkey/monkey-SEED.script);
# exits non-zero then.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
build=1
sanitize=0
numbers=()
for arg in "$@"; do
    case $arg in
    --no-build) build=0 ;;
    --sanitize) sanitize=1 ;;
    *) numbers+=("$arg") ;;
    esac
done
EVENTS=${numbers[0]:-2000}
SEED=${numbers[1]:-1}
if [ ${#numbers[@]} -gt 2 ] || ! [[ "$EVENTS" =~ ^[0-9]+$ ]] || ! [[ "$SEED" =~ ^[0-9]+$ ]]; then
    echo "usage: scripts/monkey.sh [--no-build] [--sanitize] [EVENTS] [SEED]  (whole numbers)" >&2
    exit 2
fi
if [ "$sanitize" -eq 1 ]; then
    export BUILD_DIR=${BUILD_DIR:-build-asan}
    export CMAKE_ARGS="${CMAKE_ARGS:-} -DGIZMARK_SANITIZE=ON -DGIZMARK_BENCH=OFF"
fi
BUILD_DIR=${BUILD_DIR:-build}
case "$BUILD_DIR" in /*) ;; *) BUILD_DIR=$ROOT/$BUILD_DIR ;; esac
if [ "$build" -eq 1 ]; then
    [ -f "$BUILD_DIR/CMakeCache.txt" ] || BUILD_DIR=$BUILD_DIR bash scripts/setup.sh
    cmake --build "$BUILD_DIR" --target gizmark_monkey scene-editor Gizmark -j2 >/dev/null
fi
. "$ROOT/scripts/sanitizer-options.sh"

out=$BUILD_DIR/monkey
mkdir -p "$out"
log=$out/run-$SEED.log
err=$out/err-$SEED.log
replay=$out/monkey-$SEED.script
status=0
"$ROOT/scripts/with-display.sh" "$BUILD_DIR/bin/gizmark_monkey" --seed "$SEED" --events "$EVENTS" \
    --out "$out" >"$log" 2>"$err" || status=$?
cat "$log"
report=$(grep -m1 -n -E 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$err" || true)
if [ "$status" -eq 0 ] && [ -z "$report" ]; then
    exit 0
fi
if ! grep -q "^monkey: seed $SEED, event .*FAULT" "$log"; then
    # The editor died or the sanitizers spoke: the gesture under way is the last one the
    # replay script names.
    event=$(grep -o '^# event [0-9]*' "$replay" 2>/dev/null | tail -n 1 | cut -d' ' -f3)
    grep -q '^monkey: .* events, seed .*, ok$' "$log" && event="$((EVENTS + 1)) (the end)"
    why="the editor ended with status $status"
    [ -n "$report" ] && why="a sanitizer report (${report#*:})"
    echo "monkey: seed $SEED, event ${event:-0}: FAULT $why"
    echo "monkey: replay: $replay (gizmark_monkey --replay FILE, or scene-editor --size 800x600 --script FILE)"
fi
echo "--- last lines of the error output ($err):"
tail -n 40 "$err"
exit 1
