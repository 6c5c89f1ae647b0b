#!/usr/bin/env bash
# Builds the Debian package BUILD_DIR/gizmark_VERSION_amd64.deb (build/ by default) from the
# ordinary build: set up and build as run.sh does, then CPack installs the build's programs,
# libraries and desktop files under /usr (stripped on the way in) and reads the dependencies off
# the shared libraries (dpkg-shlibdeps). Then checks it: lintian (an error fails; warnings are
# printed) and desktop-file-validate on the menu entry. Prints the package's path last.
#
#   scripts/package.sh [--no-build]
#
# --no-build packages what BUILD_DIR holds (the packaging test runs it after the build).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
if [ "${1:-}" = "--no-build" ]; then
    shift
else
    bash scripts/setup.sh
fi
cmake --build "$BUILD_DIR" --target gizmark_packaging_docs >/dev/null
rm -f "$BUILD_DIR"/gizmark_*.deb
if ! (cd "$BUILD_DIR" && cpack -G DEB >cpack.log 2>&1); then
    cat "$BUILD_DIR/cpack.log" >&2
    echo "package.sh: cpack failed" >&2
    exit 1
fi
deb=$(ls "$BUILD_DIR"/gizmark_*_amd64.deb)

check=$(mktemp -d)
trap 'rm -rf "$check"' EXIT
dpkg-deb -x "$deb" "$check"
desktop-file-validate "$check/usr/share/applications/gizmark.desktop"
if command -v lintian >/dev/null; then
    # lintian exits non-zero only for errors (its default fail-on level).
    lintian --info "$deb"
else
    echo "package.sh: lintian is not installed; the package is not checked" >&2
fi
echo "$deb"
