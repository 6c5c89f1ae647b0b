#!/usr/bin/env bash
# Autosave and recovery through the editor as a process: a change autosaved and the editor
# killed with SIGKILL is listed by the next run's `recovery` and brought back by `recover`, as
# the original file with unsaved changes (an untitled scene as untitled); a clean exit leaves
# no copy; bad numbers are refused.
set -u
EDITOR=$1
WORK=$(mktemp -d)
PID=
trap '[ -n "$PID" ] && kill -9 "$PID" 2>/dev/null; rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# A state folder of this test's own.
export XDG_STATE_HOME=$WORK/state XDG_CONFIG_HOME=$WORK/config
RECOVERY=$XDG_STATE_HOME/gizmark/recovery
run() { "$EDITOR" --plugins "$WORK" "$@"; }

# Starts the editor on script $1 (more options after it), waits until its status line says the
# change was autosaved, then kills it with SIGKILL.
autosave_and_kill() {
    local script=$1 out=$WORK/killed.out
    shift
    "$EDITOR" --plugins "$WORK" --autosave-seconds 1 --script "$script" "$@" > "$out" 2> "$WORK/killed.err" &
    PID=$!
    for _ in $(seq 600); do
        grep -q "^status 已自动保存 [0-2][0-9]:[0-5][0-9] |" "$out" && break
        kill -0 "$PID" 2>/dev/null || fail "the editor ended before autosaving: $(cat "$WORK/killed.err")"
        sleep 0.1
    done
    grep -q "^status 已自动保存" "$out" || fail "no autosave: $(cat "$out")"
    kill -9 "$PID"
    wait "$PID" 2>/dev/null
    PID=
}

# The original file, saved by a clean run: no copy left.
printf 'save %s\n' "$WORK/s.scene" > "$WORK/save.txt"
run --script "$WORK/save.txt" > /dev/null 2>&1 || fail "first save"
[ -z "$(ls -A "$RECOVERY" 2>/dev/null)" ] || fail "a clean run left $(ls "$RECOVERY")"

# A change, autosaved, then SIGKILL.
printf 'rename box_a crate_a\nwait 2.5\nstatus\nwait 600\n' > "$WORK/change.txt"
autosave_and_kill "$WORK/change.txt" --scene "$WORK/s.scene"
ls "$RECOVERY"/*/info > /dev/null 2>&1 || fail "no recovery copy after the kill"

# The next run lists it and brings the change back as the original file, unsaved.
printf 'recovery\nrecover\ntitle\nprint crate_a\nsave %s\ntitle\n' "$WORK/s.scene" > "$WORK/recover.txt"
run --script "$WORK/recover.txt" > "$WORK/out" 2> "$WORK/err" || fail "recover run: $(cat "$WORK/err")"
sed -n 1p "$WORK/out" | grep -qE "^recovery $WORK/s.scene [0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}Z$" ||
    fail "recovery listing: $(cat "$WORK/out")"
sed -n 2p "$WORK/out" | grep -qE "^recovered $WORK/s.scene: [0-9]+ entities$" || fail "recover: $(cat "$WORK/out")"
sed -n 3p "$WORK/out" | grep -q "^s.scene\* - " || fail "not the original, unsaved: $(cat "$WORK/out")"
grep -q "^saved $WORK/s.scene$" "$WORK/out" || fail "save: $(cat "$WORK/out")"
sed -n '$p' "$WORK/out" | grep -q "^s.scene - " || fail "still unsaved after the save: $(cat "$WORK/out")"
grep -q 'name="crate_a"' "$WORK/s.scene" || fail "the saved file lacks the recovered change"
# Recovered, then a clean exit: no copy left, none offered.
[ -z "$(ls -A "$RECOVERY" 2>/dev/null)" ] || fail "copies left after recovering: $(ls "$RECOVERY")"

# An untitled scene (the demo) is listed and recovered by its copy's folder, untitled.
printf 'rename box_b crate_b\nwait 2.5\nstatus\nwait 600\n' > "$WORK/untitled.txt"
autosave_and_kill "$WORK/untitled.txt"
printf 'recovery\nrecover\ntitle\nprint crate_b\n' > "$WORK/recover2.txt"
run --script "$WORK/recover2.txt" > "$WORK/out" 2> "$WORK/err" || fail "untitled recover: $(cat "$WORK/err")"
sed -n 1p "$WORK/out" | grep -qE "^recovery $RECOVERY/[0-9]+-[0-9]+ " || fail "untitled listing: $(cat "$WORK/out")"
sed -n 2p "$WORK/out" | grep -qE "^recovered $RECOVERY/[0-9]+-[0-9]+: [0-9]+ entities$" ||
    fail "untitled recover: $(cat "$WORK/out")"
sed -n 3p "$WORK/out" | grep -q "^未命名\* - " || fail "untitled title: $(cat "$WORK/out")"

# A clean exit after an autosave leaves no copy; nothing is offered then.
printf 'rename box_a crate_a\nwait 2.5\nstatus\n' > "$WORK/clean.txt"
run --autosave-seconds 1 --script "$WORK/clean.txt" > "$WORK/out" 2> "$WORK/err" || fail "clean run: $(cat "$WORK/err")"
grep -q "^status 已自动保存" "$WORK/out" || fail "clean run did not autosave: $(cat "$WORK/out")"
[ -z "$(ls -A "$RECOVERY" 2>/dev/null)" ] || fail "a clean exit left $(ls "$RECOVERY")"
printf 'recovery\n' > "$WORK/list.txt"
[ "$(run --script "$WORK/list.txt" 2>/dev/null)" = "recovery none" ] || fail "recovery none"

# A damaged copy (a dead process's, by its start time) is listed but not opened: the scene,
# its title and the copy stay as they were.
DAMAGED=$RECOVERY/4000000-1
mkdir -p "$DAMAGED"
printf '<scene><nodes><node name="x">' > "$DAMAGED/recovery.scene"
printf 'gizmark-recovery 1\nsource=%s\ntime=100\nundo=0\nentities=1\n' "$WORK/d.scene" > "$DAMAGED/info"
printf 'recovery\ntitle\nrecover\n' > "$WORK/damaged.txt"
run --script "$WORK/damaged.txt" > "$WORK/out" 2> "$WORK/err"
[ $? -eq 2 ] || fail "a damaged copy recovered: $(cat "$WORK/out")"
grep -q "^recovery $WORK/d.scene 1970-01-01T00:01:40Z$" "$WORK/out" || fail "damaged listing: $(cat "$WORK/out")"
grep -q "^script:3: .*recovery.scene" "$WORK/err" || fail "damaged message: $(cat "$WORK/err")"
[ -s "$DAMAGED/recovery.scene" ] && [ -s "$DAMAGED/info" ] || fail "the damaged copy was not kept"
rm -rf "$DAMAGED"

# Refusals: bad numbers, nothing to recover.
for bad in -1 nan 601 x; do
    printf 'wait %s\n' "$bad" > "$WORK/bad.txt"
    run --script "$WORK/bad.txt" > /dev/null 2> "$WORK/err"
    [ $? -eq 2 ] || fail "wait '$bad' accepted"
done
grep -q "wait takes seconds from 0 to 600\|usage: wait SECONDS" "$WORK/err" || fail "wait message: $(cat "$WORK/err")"
printf 'recover\n' > "$WORK/bad.txt"
run --script "$WORK/bad.txt" > /dev/null 2> "$WORK/err"
[ $? -eq 2 ] || fail "recover without a copy accepted"
grep -q "no recovery copy to recover" "$WORK/err" || fail "recover message: $(cat "$WORK/err")"
for bad in -1 86401 1x ''; do
    run --autosave-seconds "$bad" --script /dev/null > /dev/null 2> "$WORK/err"
    [ $? -eq 1 ] || fail "--autosave-seconds '$bad' accepted"
done
echo "ok"
