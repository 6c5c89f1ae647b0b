#!/usr/bin/env bash
# scene-editor as a process importing model files with the script command `import PATH`: the
# report line and warnings, undo and redo of the whole import, a save that a fresh editor
# opens without the model's files, and refused files (the message on the script's error line,
# the editor then stopping the script with a failure, not crashing).
# usage: import_script_test.sh EDITOR DATA_DIR (DATA_DIR: tests/data/models)
set -u
EDITOR=$1
DATA=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
run() { timeout 120 "$EDITOR" --script "$1" > "$WORK/out" 2> "$WORK/err"; }

mkdir "$WORK/model" "$WORK/saved"
cat > "$WORK/model/pair.mtl" <<'END'
newmtl red
Kd 1 0 0
newmtl blue
Kd 0 0 1
map_Kd gone.png
END
cat > "$WORK/model/pair.obj" <<'END'
mtllib pair.mtl
o left
v 0 0 0
v 1 0 0
v 0 1 0
usemtl red
f 1 2 3
o right
v 2 0 0
v 3 0 0
v 2 1 0
usemtl blue
f 4 5 6
END
cp "$DATA/BoxTextured.glb" "$WORK/model/box.glb"

cat > "$WORK/import.txt" <<END
import $WORK/model/pair.obj
import $WORK/model/box.glb
undocount
undo
undocount
redo
save $WORK/saved/s.scene
END
run "$WORK/import.txt"
code=$?
[ $code -eq 0 ] || fail "import: exit $code: $(tail -3 "$WORK/err")"
sed "s|$WORK|DIR|g" "$WORK/out" > "$WORK/got"
cat > "$WORK/expected" <<'END'
imported DIR/model/pair.obj: 3 entities, 2 meshes
warning: DIR/model/pair.obj: texture 'gone.png' cannot be read: cannot be found
imported DIR/model/box.glb: 2 entities, 1 meshes
undo 2 redo 0
undo 1 redo 1
saved DIR/saved/s.scene
END
diff -u "$WORK/expected" "$WORK/got" || fail "import output differs"

# The saved scene opens in a fresh editor with the model's folder gone.
rm -rf "$WORK/model"
printf 'open %s\nentities\n' "$WORK/saved/s.scene" > "$WORK/open.txt"
# The engine's own texture loading (its stb_image codec allocates with malloc, its image frees
# with delete[]) is a mismatch the address sanitizer would stop this sanitizer run on.
ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}alloc_dealloc_mismatch=0" run "$WORK/open.txt"
code=$?
[ $code -eq 0 ] || fail "reopen: exit $code: $(tail -3 "$WORK/err")"
grep -q '^warning' "$WORK/out" && fail "reopen warned: $(grep '^warning' "$WORK/out")"
grep -q '^left pair pair_1.mesh$' "$WORK/out" || fail "left not reopened: $(cat "$WORK/out")"
grep -q '^right pair pair_2.mesh$' "$WORK/out" || fail "right not reopened"
grep -q '^nodes\[1\] box box_1.mesh$' "$WORK/out" || fail "box not reopened"

# Refused files: the script stops at the import with "script:1: PATH: message".
refused() {
    printf 'import %s\n' "$1" > "$WORK/bad.txt"
    run "$WORK/bad.txt"
    code=$?
    [ $code -ne 0 ] && [ $code -lt 124 ] || fail "$1: exit $code"
    grep -q "^script:1: $1: .*$2" "$WORK/err" || fail "$1: $(cat "$WORK/err")"
}
: > "$WORK/empty.gltf"
refused "$WORK/empty.gltf" "the file is empty"
refused "$DATA/BoxWithInfinites.glb" "not a finite number"
head -c 100 "$DATA/BoxTextured.glb" > "$WORK/cut.glb"
refused "$WORK/cut.glb" ""
{
    printf '{"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":['
    for ((i = 0; i < 20000; i++)); do printf '{"children":[%d]},' $((i + 1)); done
    printf '{}]}'
} > "$WORK/deep.gltf"
refused "$WORK/deep.gltf" "nested deeper than 10000 levels"
echo "import script test passed"
