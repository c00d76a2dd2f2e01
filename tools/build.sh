#!/usr/bin/env bash
# Configures (once) and builds everything into build/ with Ninja.
set -euo pipefail
cd "$(dirname "$0")/.."
# DUSTMOTE_WERROR=ON in the environment (CI) makes warnings errors.
# Compiles go through ccache where it is installed, so a rebuild or a fresh
# clone on the same machine compiles only what changed.
launcher=(); command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
[ -f build/build.ninja ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "-DDUSTMOTE_WERROR=${DUSTMOTE_WERROR:-OFF}" "${launcher[@]}"
cmake --build build
