#!/usr/bin/env bash
# Configures and builds both halves: the native core, tools and tests, and
# the Windows saver and its tests.
#   ZORV_BUILD_ROOT  where the build trees go (default: build)
#   ZORV_DIST        where the finished programs go (default: dist)
set -euo pipefail
cd "$(dirname "$0")/.."
root=${ZORV_BUILD_ROOT:-build}
dist=$(realpath -m "${ZORV_DIST:-dist}")

cmake -S . -B "$root/native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZORV_DIST_DIR="$dist" >/dev/null
cmake --build "$root/native"
cmake -S . -B "$root/win" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZORV_DIST_DIR="$dist" \
      -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$root/win"
