#!/usr/bin/env bash
# scene-editor as a process opens a scene whose meshes are hostile (an index count of
# 0x7FC00000, a vertex at -3e38, a NaN vertex, a file cut inside its bounds): each becomes the
# box placeholder with its warning, the good mesh beside them loads, frames render, and the
# editor exits normally.
set -u
EDITOR=$1
DATA=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cp "$DATA"/* "$WORK/"
printf 'open %s/hostile.scene\nframes 3\nentities\n' "$WORK" > "$WORK/script.txt"
"$EDITOR" --plugins "$WORK" --script "$WORK/script.txt" > "$WORK/out" 2> "$WORK/err"
code=$?
[ $code -eq 0 ] || fail "exit $code: $(tail -3 "$WORK/err")"
sed "s|$WORK|DIR|g" "$WORK/out" > "$WORK/got"
cat > "$WORK/expected" <<'END'
warning: DIR/hostile.scene:4: mesh 'huge.mesh' cannot be loaded: at byte 51: index count 2143289344 is more than the submesh holds; 'huge' is shown as a box
warning: DIR/hostile.scene:5: mesh 'far.mesh' cannot be loaded: at byte 196: vertex position is outside +-1e+06; 'far' is shown as a box
warning: DIR/hostile.scene:6: mesh 'nan.mesh' cannot be loaded: at byte 196: vertex position is not a finite number; 'nan' is shown as a box
warning: DIR/hostile.scene:7: mesh 'cut.mesh' cannot be loaded: at byte 28: chunk length 790 runs past the end of its parent (766 bytes left); 'cut' is shown as a box
opened DIR/hostile.scene: 5 entities
cut - cut.mesh (missing)
far - far.mesh (missing)
good - crate.mesh
huge - huge.mesh (missing)
nan - nan.mesh (missing)
END
diff "$WORK/expected" "$WORK/got" > "$WORK/diff" || fail "output differs: $(cat "$WORK/diff")"
echo "ok"
