#!/usr/bin/env bash
# The real editor (render system, image codecs) exports the demo scene and an imported model
# saved and opened again, its texture decoded: the Khronos validator finds no error in either,
# and the model's file carries its texture.
# usage: editor_export_check.sh EDITOR VALIDATOR_PACKAGE_FOLDER MODELS_FOLDER
set -euo pipefail
editor=$1 validator=$2 models=$3
here=$(cd "$(dirname "$0")" && pwd)
if [ ! -f "$validator/package.json" ]; then
    echo "the glTF validator is not installed in $validator: run scripts/setup-test-tools.sh"
    exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/saved"
cp "$models/BoxTextured.glb" "$work/"
cat >"$work/run.script" <<SCRIPT
frames 1
export $work/demo.glb
import $work/BoxTextured.glb
save $work/saved/boxes.scene
open $work/saved/boxes.scene
export $work/boxes.gltf
SCRIPT
"$here/../../../../scripts/with-display.sh" "$editor" --script "$work/run.script"
status=0
for file in demo.glb boxes.gltf; do
    report=$(node "$here/validate-gltf.js" "$validator" "$work/$file")
    echo "$file: $report"
    case $report in
    "errors 0 "*) ;;
    *) status=1 ;;
    esac
done
for want in '"baseColorTexture"' '"mimeType":"image/png"' '"TEXCOORD_0"'; do
    grep -q "$want" "$work/boxes.gltf" || { echo "boxes.gltf has no $want"; status=1; }
done
exit $status
