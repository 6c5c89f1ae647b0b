#!/usr/bin/env bash
# Installs the tools only the tests use into the build folder: the Khronos glTF validator (the
# npm package gltf-validator) under BUILD_DIR/test-tools, never globally. Node.js and npm come
# from Debian when the machine has neither. Run by test.sh after setup.sh; a failure here fails
# the run, since the export tests cannot check their files without the validator.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

BUILD_DIR=${BUILD_DIR:-build}
VALIDATOR_VERSION=2.0.0-dev.3.10
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
    install_missing nodejs npm
fi
prefix=$BUILD_DIR/test-tools
installed=$prefix/node_modules/gltf-validator/package.json
if [ ! -f "$installed" ] || ! grep -q "\"version\": \"$VALIDATOR_VERSION\"" "$installed"; then
    mkdir -p "$prefix"
    npm install --prefix "$prefix" --no-audit --no-fund --loglevel=error \
        "gltf-validator@$VALIDATOR_VERSION" >/dev/null
fi
