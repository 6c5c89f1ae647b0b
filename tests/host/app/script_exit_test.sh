#!/usr/bin/env bash
# scene-editor as a process: a bad script line exits 2 with its line number and changes nothing
# more; a bad scene file exits 1 with a message; the demo writes its pictures.
set -u
EDITOR=$1
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

printf 'select box_a\nselection\nfly away\nselection\n' > "$WORK/bad.txt"
"$EDITOR" --plugins "$WORK" --script "$WORK/bad.txt" > "$WORK/out" 2> "$WORK/err"
code=$?
[ $code -eq 2 ] || fail "bad line: exit $code"
grep -q "^script:3: unknown command 'fly'" "$WORK/err" || fail "bad line message: $(cat "$WORK/err")"
[ "$(cat "$WORK/out")" = "selection: box_a" ] || fail "output: $(cat "$WORK/out")"

printf 'select box_a\nprint\n' | "$EDITOR" --plugins "$WORK" --script - > /dev/null 2> "$WORK/err"
code=$?
[ $code -eq 2 ] || fail "stdin script: exit $code"
grep -q "^script:2: usage: print NAME" "$WORK/err" || fail "stdin message: $(cat "$WORK/err")"

printf 'mesh broken\n' > "$WORK/bad.scene"
"$EDITOR" --plugins "$WORK" --scene "$WORK/bad.scene" --script /dev/null > /dev/null 2> "$WORK/err"
code=$?
[ $code -eq 1 ] || fail "bad scene: exit $code"
grep -q "bad.scene" "$WORK/err" || fail "bad scene message: $(cat "$WORK/err")"

"$EDITOR" --views 5 > /dev/null 2>&1
[ $? -eq 1 ] || fail "--views 5 accepted"

"$EDITOR" --plugins "$WORK" --views 4 --demo "$WORK/shots" > /dev/null 2> "$WORK/err" || fail "demo failed: $(cat "$WORK/err")"
for f in editor.png view0.png view3.png editor-framed.png; do
    [ -s "$WORK/shots/$f" ] || fail "demo did not write $f"
done
echo "ok"
