#!/usr/bin/env bash
# scene-editor as a process on hostile scene files: a chain of nodes at the nesting limit
# opens, renders with the move tool on its deepest node, saves and opens again; one level more
# is refused with its line; a FIFO as the scene file, and a material script that is a link to
# /dev/zero or a FIFO, answer at once instead of blocking; the longest legal file name saves.
# Every run has a time limit so that a hang fails.
set -u
EDITOR=$1
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
run() { timeout 120 "$EDITOR" "$@" > "$WORK/out" 2> "$WORK/err"; }

# NAME DEPTH: DEPTH nodes each inside the previous one, n1 .. nDEPTH, one per line from line 3.
nested() {
    {
        printf '<scene>\n<nodes>\n'
        for ((i = 1; i <= $2; i++)); do
            printf "<node name='n%d'><position x='0' y='0.125' z='0'/>\n" "$i"
        done
        for ((i = 1; i <= $2; i++)); do printf '</node>'; done
        printf '\n</nodes>\n</scene>\n'
    } > "$WORK/$1"
}

nested deep.scene 10000
nested deeper.scene 10001
mkdir "$WORK/folder"
ln -s /dev/zero "$WORK/folder/zero.material"
mkfifo "$WORK/folder/fifo.material" "$WORK/fifo.scene"
cp "$WORK/deep.scene" "$WORK/folder/s.scene"
long=$(printf 'x%.0s' $(seq 249)).scene

cat > "$WORK/script.txt" <<END
open $WORK/deep.scene
frames 3
select n10000
tool move
frames 3
print n10000
save $WORK/saved.scene
open $WORK/saved.scene
print n10000
open $WORK/folder/s.scene
save $WORK/$long
END
run --script "$WORK/script.txt"
code=$?
[ $code -eq 0 ] || fail "deep scene: exit $code: $(tail -3 "$WORK/err")"
sed "s|$WORK|DIR|g; s|$long|LONG|g" "$WORK/out" > "$WORK/got"
cat > "$WORK/expected" <<'END'
opened DIR/deep.scene: 10000 entities
n10000 pos 0.0000 0.1250 0.0000 rot 0.0000 0.0000 0.0000 scale 1.0000 1.0000 1.0000 wpos 0.0000 1250.0000 0.0000 wrot 0.0000 0.0000 0.0000 wscale 1.0000 1.0000 1.0000
saved DIR/saved.scene
opened DIR/saved.scene: 10000 entities
n10000 pos 0.0000 0.1250 0.0000 rot 0.0000 0.0000 0.0000 scale 1.0000 1.0000 1.0000 wpos 0.0000 1250.0000 0.0000 wrot 0.0000 0.0000 0.0000 wscale 1.0000 1.0000 1.0000
warning: DIR/folder/s.scene: the script 'fifo.material' beside the scene is not read: not a regular file
warning: DIR/folder/s.scene: the script 'zero.material' beside the scene is not read: a symbolic link that leads outside the scene's folder
opened DIR/folder/s.scene: 10000 entities
saved DIR/LONG
END
diff "$WORK/expected" "$WORK/got" > "$WORK/diff" || fail "output differs: $(cat "$WORK/diff")"

# One level more: refused with the line of the node too deep.
run --scene "$WORK/deeper.scene" --script /dev/null
code=$?
[ $code -eq 1 ] || fail "deeper scene: exit $code, not 1"
grep -qF "$WORK/deeper.scene:10003: nodes are nested deeper than 10000 levels" "$WORK/err" ||
    fail "deeper scene: $(tail -3 "$WORK/err")"

# A FIFO as the scene file: an error at once, not a wait for a writer.
run --scene "$WORK/fifo.scene" --script /dev/null
code=$?
[ $code -eq 1 ] || fail "FIFO scene: exit $code, not 1"
grep -qF "$WORK/fifo.scene: not a regular file" "$WORK/err" || fail "FIFO: $(tail -3 "$WORK/err")"
echo "ok"
