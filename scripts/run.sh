#!/usr/bin/env bash
# The main job: set up, build, and run the editor on its built-in demo scene. With a display it
# opens a window; without one it runs the built-in demo script under Xvfb and writes screenshots.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
BUILD_DIR=${BUILD_DIR:-build}
EDITOR="$BUILD_DIR/bin/scene-editor"
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    exec "$EDITOR" "$@"
fi
OUT=${GIZMARK_SHOTS:-$PWD/screenshots}
mkdir -p "$OUT"
scripts/with-display.sh "$EDITOR" --demo "$OUT" "$@"
echo "Screenshots written to: $OUT"
ls -1 "$OUT"
