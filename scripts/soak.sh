#!/usr/bin/env bash
# Soaks of one editor process, each checking that memory does not grow with the cycles.
#
# Module soak (the default): the plug-in module unloaded and loaded CYCLES times. Each cycle
# loads the module, shows the side panel's light page (lamp_spot selected with the move tool
# engaged), selects box_a with a rubber band, drags it along X, undoes the drag and unloads the
# module.
# Scene soak (--scene): a scene file of 5,000 box entities, written first, opened and cleared
# (a one-entity scene opened over it) CYCLES times, with the module loaded and the move tool
# engaged; each cycle selects one entity of the big scene before the clear.
#
# Prints the resident memory after cycle 10 (cycle 1 when there are ten or fewer) and after
# the last one; fails when the editor fails or reports anything on a cycle, or when memory grew
# by more than 1 MB (1024 kB) between the two. The heap in use (the allocator's bytes handed
# out and not given back) is printed beside it: resident memory also counts freed blocks that
# the allocator keeps, so the heap tells held memory from fragmentation. The scene soak holds
# the heap in use to 1 MB as well.
#
#   scripts/soak.sh [--scene] [CYCLES]                builds scene-editor and the module in
#                                                     BUILD_DIR (default build) and runs it
#                                                     there (1000 cycles; 100 with --scene)
#   scripts/soak.sh --editor PATH [--scene] [CYCLES]  runs that editor as it is (the suite's
#                                                     soak tests)
#
# In a sanitizer build every error and leak ends the editor with a report (the test script's
# options, set here too); its memory figures are printed but not held to the limit, since the
# sanitizer's quarantine keeps freed blocks resident on purpose.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
EDITOR=""
MODE=module
if [ "${1:-}" = "--editor" ] && [ $# -ge 2 ]; then
    EDITOR=$2
    shift 2
fi
if [ "${1:-}" = "--scene" ]; then
    MODE=scene
    shift
fi
if [ "$MODE" = scene ]; then CYCLES=${1:-100}; else CYCLES=${1:-1000}; fi
if ! [[ "$CYCLES" =~ ^[0-9]+$ ]] || [ "$CYCLES" -lt 1 ] || [ $# -gt 1 ]; then
    echo "usage: scripts/soak.sh [--editor PATH] [--scene] [CYCLES]  (CYCLES a whole number from 1)" >&2
    exit 2
fi
LIMIT_KB=1024
# The scene soak also holds the heap in use (what the process holds of the allocator) to 1 MB.
# Its resident memory stays within the same limit because the editor hands the memory a scene
# left behind back to the system after each open (before it did, the top of the main heap crept
# up by a megabyte or two at cycles that differed from run to run while the heap stayed flat).
HEAP_LIMIT_KB=1024
if [ -z "$EDITOR" ]; then
    BUILD_DIR=${BUILD_DIR:-build}
    case "$BUILD_DIR" in /*) ;; *) BUILD_DIR=$ROOT/$BUILD_DIR ;; esac
    if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
        (cd "$ROOT" && BUILD_DIR=$BUILD_DIR bash scripts/setup.sh)
    fi
    cmake --build "$BUILD_DIR" --target scene-editor Gizmark -j"$(nproc)" >/dev/null
    EDITOR=$BUILD_DIR/bin/scene-editor
fi
. "$ROOT/scripts/sanitizer-options.sh"
# Not "ldd | grep -q": grep leaving at the first match can end ldd with SIGPIPE, and under
# pipefail the build would then pass for an ordinary one (about one run in ten).
SANITIZED=0
case "$(ldd "$EDITOR")" in *libasan*) SANITIZED=1 ;; esac

BASE=10
[ "$CYCLES" -gt 10 ] || BASE=1
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
# The scene soak's files: 5,000 root nodes on a grid two units apart, each with the editor's
# shared box mesh, as the editor saves them, and a scene of one such node.
SCENE_COUNT=5000
write_scene() { # FILE COUNT
    awk -v count="$2" 'BEGIN {
        print "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        print "<scene formatVersion=\"1.1\">"
        print "    <nodes>"
        for (i = 0; i < count; ++i) {
            name = sprintf("e%05d", i)
            printf "        <node name=\"%s\">\n", name
            printf "            <position x=\"%d\" y=\"0.5\" z=\"%d\" />\n", 2 * (i % 71) - 70, 2 * int(i / 71) - 70
            print "            <rotation qw=\"1\" qx=\"0\" qy=\"0\" qz=\"0\" />"
            print "            <scale x=\"1\" y=\"1\" z=\"1\" />"
            printf "            <entity name=\"%s\" meshFile=\"box\" />\n", name
            print "        </node>"
        }
        print "    </nodes>"
        print "</scene>"
    }' >"$1"
}

module_cycles() {
    echo "frames 2"
    echo "print box_a"
    echo "unload" # the editor started with the module loaded
    for ((i = 1; i <= CYCLES; ++i)); do
        cat <<'CYCLE'
load
tool move
select lamp_spot
frames 2
show light
tool select
rect 280 330 340 390
selection
tool move
frames 1
drag x 60 0
print box_a
undo
unload
CYCLE
        if [ "$i" -eq "$BASE" ] || [ "$i" -eq "$CYCLES" ]; then printf 'memory\nheap\n'; fi
    done
    echo "quit"
}

scene_cycles() {
    echo "tool move"
    for ((i = 1; i <= CYCLES; ++i)); do
        printf 'open %s\nselect e04999\nselection\nopen %s\n' "$WORK/big.scene" "$WORK/tiny.scene"
        if [ "$i" -eq "$BASE" ] || [ "$i" -eq "$CYCLES" ]; then printf 'memory\nheap\n'; fi
    done
    echo "quit"
}

if [ "$MODE" = scene ]; then
    write_scene "$WORK/big.scene" "$SCENE_COUNT"
    write_scene "$WORK/tiny.scene" 1
    scene_cycles
else
    module_cycles
fi >"$WORK/soak.script"

start=$SECONDS
status=0
"$ROOT/scripts/with-display.sh" "$EDITOR" --script "$WORK/soak.script" >"$WORK/out" 2>"$WORK/err" ||
    status=$?
elapsed=$((SECONDS - start))

fail() {
    echo "soak: FAILED: $*"
    echo "--- last lines of the editor's output:"
    tail -n 20 "$WORK/out"
    echo "--- last lines of its error output:"
    tail -n 40 "$WORK/err"
    exit 1
}
[ "$status" -eq 0 ] || fail "the editor exited with $status"
count() { grep -c -x -F -e "$1" "$WORK/out" || true; }
if [ "$MODE" = scene ]; then
    [ "$(count "opened $WORK/big.scene: $SCENE_COUNT entities")" -eq "$CYCLES" ] ||
        fail "the big scene did not open with all its entities on every cycle"
    [ "$(count "opened $WORK/tiny.scene: 1 entities")" -eq "$CYCLES" ] ||
        fail "the one-entity scene did not replace the big one on every cycle"
    [ "$(count 'selection: e04999')" -eq "$CYCLES" ] || fail "the selection went wrong on some cycle"
else
    [ "$(count 'loaded 1')" -eq "$CYCLES" ] || fail "not every cycle loaded the module"
    [ "$(count 'unloaded 1')" -eq "$((CYCLES + 1))" ] || fail "not every cycle unloaded the module"
    [ "$(count 'light hidden')" -eq 0 ] || fail "the light page was not shown on some cycle"
    [ "$(grep -c '^light 颜色 RGB' "$WORK/out" || true)" -eq "$CYCLES" ] ||
        fail "the light page's colour row is missing on some cycle"
    [ "$(count 'selection: box_a')" -eq "$CYCLES" ] || fail "the rubber band did not select box_a on some cycle"
    # The first box_a line is the start position, every other one the position after a drag.
    mapfile -t positions < <(grep '^box_a pos ' "$WORK/out" | sort | uniq)
    [ "$(grep -c '^box_a pos ' "$WORK/out")" -eq "$((CYCLES + 1))" ] || fail "box_a was not printed on every cycle"
    [ "${#positions[@]}" -eq 2 ] || fail "the drags did not all move box_a the same way"
fi
if grep -q -e 'wx assertion' -e 'threw' -e 'ERROR: ' "$WORK/err"; then
    fail "the editor reported a problem"
fi

mapfile -t memory < <(sed -n 's/^memory \([0-9]*\) kB$/\1/p' "$WORK/out")
base_kb=${memory[0]}
last_kb=${memory[${#memory[@]} - 1]}
growth=$((last_kb - base_kb))
mapfile -t heap < <(sed -n 's/^heap \([0-9]*\) kB$/\1/p' "$WORK/out")
heap_growth=$((heap[${#heap[@]} - 1] - heap[0]))
echo "soak: $MODE soak, $CYCLES cycles in $elapsed s"
echo "soak: resident memory after cycle $BASE: $base_kb kB"
echo "soak: resident memory after cycle $CYCLES: $last_kb kB"
echo "soak: growth: $growth kB (limit $LIMIT_KB kB)"
echo "soak: heap in use after cycle $BASE: ${heap[0]} kB, after cycle $CYCLES: ${heap[${#heap[@]} - 1]} kB"
[ "$MODE" = module ] || echo "soak: heap growth: $heap_growth kB (limit $HEAP_LIMIT_KB kB)"
if [ "$SANITIZED" -eq 1 ]; then
    echo "soak: sanitizer build: no error or leak reported; memory limit not applied"
elif [ "$growth" -gt "$LIMIT_KB" ]; then
    echo "soak: FAILED: memory grew by more than $LIMIT_KB kB"
    exit 1
elif [ "$MODE" = scene ] && [ "$heap_growth" -gt "$HEAP_LIMIT_KB" ]; then
    echo "soak: FAILED: the heap in use grew by more than $HEAP_LIMIT_KB kB"
    exit 1
fi
echo "soak: passed"
