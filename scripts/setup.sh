#!/usr/bin/env bash
# Installs the Debian packages the build, the editor and the tests need (only what is missing),
# then configures and builds into ./build. Used by run.sh and test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(build-essential cmake libogre-1.12-dev libwxgtk3.2-dev libgtest-dev libgmock-dev
          libbenchmark-dev libpugixml-dev libassimp-dev libx11-dev libxtst-dev xvfb xauth x11-utils libgl1-mesa-dri fonts-wqy-microhei ccache
          file lintian desktop-file-utils shared-mime-info)
source scripts/packages.sh
install_missing "${PACKAGES[@]}"

BUILD_DIR=${BUILD_DIR:-build}
# The compiler cache sees paths relative to the checkout and ignores the build folder's path, so
# another clone or worktree of the same sources on this machine reuses what was compiled.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} ${CMAKE_ARGS:-} >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"
