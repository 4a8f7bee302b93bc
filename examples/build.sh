#!/usr/bin/env bash
# Installs libgui from a build of the main project into a prefix, then builds
# the examples against that installation only, as a user would: through
# pkg-config, or through libgui's CMake package with -DEXAMPLES_FIND_PACKAGE=ON
# among the cmake arguments (the starter always takes the CMake package).
#
#   examples/build.sh <main build dir> <install prefix> <examples build dir> [cmake args...]
#
# EXAMPLES_TARGET=hello builds that one program only.
set -euo pipefail
main_build=${1:?main build directory}
prefix=${2:?install prefix}
out=${3:?examples build directory}
shift 3
here=$(cd "$(dirname "$0")" && pwd)

cmake --build "$main_build" --target gui
cmake --install "$main_build" --prefix "$prefix" --component libgui >/dev/null
pcpath=
for d in "$prefix"/lib*/pkgconfig "$prefix"/lib/*/pkgconfig; do
  [ -d "$d" ] && pcpath="$pcpath$d:"
done
PKG_CONFIG_PATH="$pcpath${PKG_CONFIG_PATH:-}" cmake -S "$here" -B "$out" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" "$@" >/dev/null
cmake --build "$out" ${EXAMPLES_TARGET:+--target "$EXAMPLES_TARGET"}
