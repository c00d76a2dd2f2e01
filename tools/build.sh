#!/usr/bin/env bash
# Configures (once) and builds a build folder with Ninja:
#   tools/build.sh [FOLDER [CMAKE-OPTION...]] [-- TARGET...]
# FOLDER is build/ unless named; the options go to its first configuration
# (CI's sanitizer folders: -DDUSTMOTE_SANITIZE=ON); with `--` only the targets
# named are built, and with `--` and no target the folder is only configured.
set -euo pipefail
cd "$(dirname "$0")/.."
folder=build options=() targets=() configure_only=
if (($#)); then folder=$1; shift; fi
while (($#)) && [[ $1 != -- ]]; do options+=("$1"); shift; done
if (($#)); then shift; targets=("$@"); ((${#targets[@]})) || configure_only=1; fi

# Compiles go through ccache where it is installed, so a rebuild, or a fresh
# clone at any path on the same machine, compiles only what changed: ccache
# looks at paths relative to the checkout, and leaves the folder compiled in
# out of what it compares.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
# Qt's test library hands every test its folders as definitions; no test
# looks anything up through them (QFINDTESTDATA), so they do not keep a test
# from the cache. A test that needs a file names it by a definition of its own.
export CCACHE_IGNOREOPTIONS='-DQT_TESTCASE_BUILDDIR=* -DQT_TESTCASE_SOURCEDIR=*'
launcher=(); command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# DUSTMOTE_WERROR=ON in the environment (CI) makes warnings errors.
[ -f "$folder/build.ninja" ] || cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "-DDUSTMOTE_WERROR=${DUSTMOTE_WERROR:-OFF}" "${launcher[@]}" "${options[@]}"
[ -n "$configure_only" ] && exit 0
cmake --build "$folder" ${targets[@]+--target "${targets[@]}"}
