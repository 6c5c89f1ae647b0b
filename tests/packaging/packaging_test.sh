#!/usr/bin/env bash
# The package as a person gets it: scripts/package.sh makes it from the build (lintian without
# errors, a valid menu entry), then it is unpacked into a throw-away root that no build tree is
# part of, and the editor there runs as an installed one: its libraries and plug-in found from
# its own place, the demo and a script from another folder without a display, a scene given as
# the file argument. Also checks the MIME type of Ogre scene files it installs.
# usage: packaging_test.sh SOURCE_DIR VERSION   (BUILD_DIR in the environment)
set -u
fail() { echo "FAIL: $*"; exit 1; }
SOURCE=$1 VERSION=$2 WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# --- the package
out=$(BUILD_DIR="$BUILD_DIR" bash "$SOURCE/scripts/package.sh" --no-build 2>&1) ||
    fail "package.sh: $out"
deb="$BUILD_DIR/gizmark_${VERSION}_amd64.deb"
[ -f "$deb" ] || fail "no $deb"
echo "$out" | grep -q "^E:" && fail "lintian errors: $out"
control=$(dpkg-deb -f "$deb")
for field in "Package: gizmark" "Version: $VERSION" "Section: graphics" "Priority: optional" \
             "Depends: .*libogre" "Depends: .*libwxgtk3.2" "Recommends: xvfb"; do
    echo "$control" | grep -q "^$field" || fail "control lacks '$field': $control"
done

# --- the layout
root="$WORK/root"
dpkg-deb -x "$deb" "$root"
for f in usr/bin/scene-editor usr/lib/gizmark/plugins/Gizmark.so usr/lib/gizmark/host/libEditorScene.so \
         usr/share/applications/gizmark.desktop usr/share/mime/packages/gizmark.xml \
         usr/share/icons/hicolor/256x256/apps/gizmark.png usr/share/icons/hicolor/scalable/apps/gizmark.svg \
         usr/share/doc/gizmark/copyright usr/share/doc/gizmark/changelog.gz \
         usr/share/man/man1/scene-editor.1.gz usr/share/gizmark/examples/tour.script; do
    [ -f "$root/$f" ] || fail "the package lacks /$f"
done
file "$root/usr/share/icons/hicolor/256x256/apps/gizmark.png" | grep -q "256 x 256" ||
    fail "the PNG icon is not 256x256"
# No file of the package may know the build tree: every search path is relative to the file.
for elf in "$root/usr/bin/scene-editor" "$root"/usr/lib/gizmark/host/*.so "$root"/usr/lib/gizmark/plugins/*.so; do
    runpath=$(readelf -d "$elf" | sed -n 's/.*R\(UN\)\?PATH.*\[\(.*\)\]/\2/p')
    case "$runpath" in
    '$ORIGIN'*) ;;
    *) fail "$elf searches '$runpath'" ;;
    esac
    readelf -p .dynstr "$elf" | grep -q "$BUILD_DIR" && fail "$elf names the build tree"
    ldd "$elf" | grep -q "$BUILD_DIR" && fail "$elf loads from the build tree: $(ldd "$elf")"
done
ldd "$root/usr/lib/gizmark/plugins/Gizmark.so" | grep -q "$root/usr/lib/gizmark/plugins/../host/libEditorScene.so" ||
    fail "the plug-in does not find its libraries beside it: $(ldd "$root/usr/lib/gizmark/plugins/Gizmark.so")"

# --- the installed editor, started from another folder
editor="$root/usr/bin/scene-editor"
mkdir "$WORK/elsewhere"
cd "$WORK/elsewhere" || fail "cd"
[ "$("$editor" --version)" = "scene-editor $VERSION" ] || fail "--version: $("$editor" --version)"
# The demo without a display and without a folder: an X server of its own, ./screenshots.
env -u DISPLAY timeout 300 "$editor" --demo > "$WORK/demo.out" 2> "$WORK/demo.err" ||
    fail "--demo: $(cat "$WORK/demo.out" "$WORK/demo.err")"
grep -qx "screenshots written to $WORK/elsewhere/screenshots" "$WORK/demo.out" ||
    fail "--demo printed: $(cat "$WORK/demo.out")"
for shot in editor.png view0.png editor-framed.png; do
    [ -s "screenshots/$shot" ] || fail "--demo wrote no $shot"
done
# The move tool engaged by the demo comes from the plug-in: the module was found.
# The installed example script, its module unloaded and loaded again from the installed folder.
cat > "$WORK/reload.script" <<'END'
unload
load
tool move
engaged
END
env -u DISPLAY timeout 300 "$editor" --script "$root/usr/share/gizmark/examples/tour.script" \
    > "$WORK/tour.out" 2> "$WORK/tour.err" || fail "tour.script: $(cat "$WORK/tour.out" "$WORK/tour.err")"
diff -u "$SOURCE/tests/packaging/tour.expected" "$WORK/tour.out" || fail "tour.script's output differs"
env -u DISPLAY timeout 300 "$editor" --script "$WORK/reload.script" > "$WORK/reload.out" 2>&1 ||
    fail "reload: $(cat "$WORK/reload.out")"
printf 'unloaded 1\nloaded 1\nengaged move\n' | diff -u - "$WORK/reload.out" || fail "the installed module"
# The example scene as the file argument, as the menu entry starts the editor for a file.
echo entities > "$WORK/entities.script"
env -u DISPLAY timeout 300 "$editor" "$root/usr/share/gizmark/examples/example.scene" \
    --script "$WORK/entities.script" > "$WORK/scene.out" 2>&1 || fail "FILE: $(cat "$WORK/scene.out")"
grep -q "^crate - box" "$WORK/scene.out" || fail "FILE did not open: $(cat "$WORK/scene.out")"

# --- the MIME type: *.scene, and a <scene> XML file of any name
mkdir -p "$WORK/data/mime/packages"
cp /usr/share/mime/packages/freedesktop.org.xml "$root/usr/share/mime/packages/gizmark.xml" "$WORK/data/mime/packages/"
update-mime-database "$WORK/data/mime" || fail "update-mime-database refused the MIME file"
cp "$root/usr/share/gizmark/examples/example.scene" "$WORK/level.scene"
cp "$root/usr/share/gizmark/examples/example.scene" "$WORK/level-without-extension"
if command -v gio >/dev/null; then
    for f in "$WORK/level.scene" "$WORK/level-without-extension"; do
        type=$(XDG_DATA_HOME="$WORK/data" XDG_DATA_DIRS="$WORK/data" gio info -a standard::content-type "$f" |
               sed -n 's/.*content-type: //p')
        [ "$type" = "application/x-ogre-scene" ] || fail "$f is '$type'"
    done
fi
echo "packaging: all checks passed"
