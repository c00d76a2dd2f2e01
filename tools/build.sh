#!/usr/bin/env bash
# Configures (once) and builds everything into build/ with Ninja.
set -euo pipefail
cd "$(dirname "$0")/.."
# DUSTMOTE_WERROR=ON in the environment (CI) makes warnings errors.
[ -f build/build.ninja ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "-DDUSTMOTE_WERROR=${DUSTMOTE_WERROR:-OFF}"
cmake --build build
