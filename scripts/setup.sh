#!/usr/bin/env bash
# Installs the Debian packages the build, the editor and the tests need (only what is missing),
# then configures and builds into ./build. Used by run.sh and test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(build-essential cmake libogre-1.12-dev libwxgtk3.2-dev libgtest-dev libgmock-dev
          libbenchmark-dev libpugixml-dev libx11-dev xvfb xauth x11-utils libgl1-mesa-dri fonts-wqy-microhei)
missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi

BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} ${CMAKE_ARGS:-} >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"
