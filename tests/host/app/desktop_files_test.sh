#!/usr/bin/env bash
# scene-editor as a desktop starts it: --version, a scene or a model as the file argument, the
# recent files kept in the person's settings (newest first, missing files taken out with a
# message) and files dropped on the main window through its drop target (a scene after the
# save question, each model one undo step, anything else refused, URIs decoded).
# usage: desktop_files_test.sh EDITOR VERSION MODELS_DIR
set -u
EDITOR=$1
VERSION=$2
MODELS=$3
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# Each run keeps its settings in this test's own folder.
export XDG_CONFIG_HOME="$WORK/config"
run() { timeout 120 "$EDITOR" "$@" > "$WORK/out" 2> "$WORK/err"; }
expect() { # NAME, then the expected output on stdin (DIR for the work folder)
    sed "s|$WORK|DIR|g" "$WORK/out" > "$WORK/got"
    diff -u - "$WORK/got" || fail "$1: output differs (stderr: $(tail -3 "$WORK/err"))"
}

[ "$("$EDITOR" --version)" = "scene-editor $VERSION" ] || fail "--version: $("$EDITOR" --version)"

mkdir -p "$WORK/s" "$WORK/m"
cat > "$WORK/s/a.scene" <<'END'
<scene formatVersion="1.1"><nodes>
  <node name="crate"><position x="0" y="1" z="0"/><entity name="crate" meshFile="box"/></node>
  <node name="lamp"><position x="3" y="6" z="2"/><light name="lamp" type="point"/></node>
</nodes></scene>
END
cp "$WORK/s/a.scene" "$WORK/s/场景%25#.scene"
mkdir "$WORK/s/folder.scene"
cp "$MODELS/BoxTextured.glb" "$WORK/m/box.glb"
cat > "$WORK/m/tri.obj" <<'END'
o tri
v 0 0 0
v 1 0 0
v 0 1 0
f 1 2 3
END
printf 'not a model' > "$WORK/m/broken.glb"

# A scene as the file argument opens as the document and goes to the recent files.
printf 'title\nentities\nrecent\n' > "$WORK/1.script"
run "$WORK/s/a.scene" --script "$WORK/1.script" || fail "scene argument: $(cat "$WORK/err")"
expect "scene argument" <<'END'
a.scene - Gizmark 场景编辑器
crate - box
lamp - light point
recent DIR/s/a.scene
END

# A model as the file argument is imported into the demo scene as one undo step.
printf 'undocount\nselection\nundo\nundocount\nselection\n' > "$WORK/2.script"
run "$WORK/m/box.glb" --script "$WORK/2.script" || fail "model argument: $(cat "$WORK/err")"
expect "model argument" <<'END'
undo 1 redo 0
selection: box
undo 0 redo 1
selection:
END
# A model that cannot be imported stops a scripted run with its message.
run "$WORK/m/broken.glb" --script "$WORK/2.script" && fail "a broken model was accepted"
grep -q "broken.glb" "$WORK/err" || fail "no message for the broken model: $(cat "$WORK/err")"

# The list: newest first, a file gone is taken out with a message, the cap of ten.
cat > "$WORK/3.script" <<END
open $WORK/s/a.scene
save $WORK/s/b.scene
save $WORK/s/c.scene
recent
END
for i in 1 2 3 4 5 6 7 8 9 10 11; do
    echo "save $WORK/s/n$i.scene" >> "$WORK/3.script"
done
printf 'recent\n' >> "$WORK/3.script"
run --script "$WORK/3.script" || fail "recent: $(cat "$WORK/err")"
{
    printf 'opened DIR/s/a.scene: 2 entities\nsaved DIR/s/b.scene\nsaved DIR/s/c.scene\n'
    printf 'recent DIR/s/c.scene\nrecent DIR/s/b.scene\nrecent DIR/s/a.scene\n'
    for i in 1 2 3 4 5 6 7 8 9 10 11; do echo "saved DIR/s/n$i.scene"; done
    for i in 11 10 9 8 7 6 5 4 3 2; do echo "recent DIR/s/n$i.scene"; done
} | expect "recent"
rm "$WORK/s/n11.scene" "$WORK/s/n5.scene"
printf 'recent\nstatus\nmenushot %s/menus.png\n' "$WORK" > "$WORK/4.script"
run --script "$WORK/4.script" || fail "recent, files gone: $(cat "$WORK/err")"
{
    for i in 10 9 8 7 6 4 3 2; do echo "recent DIR/s/n$i.scene"; done
    echo "status 最近打开的 2 个文件已不存在，已从列表中移除 | 已选 0 个物体"
    echo "menushot DIR/menus.png: 0 menus" # no menu open: the window alone
} | expect "recent, files gone"
[ -s "$WORK/menus.png" ] || fail "menushot wrote no picture"

# Drops: models each one undo step, other files refused, a scene after the save question.
cat > "$WORK/5.script" <<END
drop $WORK/m/tri.obj $WORK/m/box.glb $WORK/m/notes.txt
undocount
undo
undocount
undo
undocount
redo
drop $WORK/s/a.scene
answer discard
drop $WORK/s/folder.scene $WORK/m/tri.obj
drop $WORK/s/场景%25#.scene $WORK/s/a.scene $WORK/m/tri.obj
undocount
entities
select crate
tool move
drag x 60 0
answer save
drop $WORK/s/a.scene
title
END
run --script "$WORK/5.script" || fail "drop: $(cat "$WORK/out" "$WORK/err")"
expect "drop" <<'END'
refused DIR/m/notes.txt: not a scene or model file
imported DIR/m/tri.obj: 2 entities, 1 meshes
imported DIR/m/box.glb: 2 entities, 1 meshes
undo 2 redo 0
undo 1 redo 1
undo 0 redo 2
question 保存更改? cancel
refused DIR/s/a.scene: the drop was cancelled at the question to save changes
question 保存更改? discard
refused DIR/s/folder.scene: not a regular file
refused DIR/m/tri.obj: the scene dropped with it did not open
question 保存更改? discard
refused DIR/s/a.scene: one scene opens at a time
opened DIR/s/场景%25#.scene: 2 entities
imported DIR/m/tri.obj: 2 entities, 1 meshes
undo 1 redo 0
crate - box
lamp - light point
tri - -
tri_1 tri tri_1.mesh
question 保存更改? save
opened DIR/s/a.scene: 2 entities
a.scene - Gizmark 场景编辑器
END
# Answered "save", the question saved the dragged scene to its file before the drop opened.
cmp -s "$WORK/s/a.scene" "$WORK/s/场景%25#.scene" && fail "the question's save wrote nothing"
grep -q 'name="tri"' "$WORK/s/场景%25#.scene" || fail "the saved scene lacks the dropped model"
echo "desktop files: all checks passed"
