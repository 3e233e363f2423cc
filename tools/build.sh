#!/usr/bin/env bash
# Configures and builds both halves: the native core, tools and tests, and
# the Windows saver and its tests.
#   ZORV_BUILD_ROOT  where the build trees go (default: build)
#   ZORV_DIST        where the finished programs go (default: dist)
# On a machine that runs no 32-bit programs it also builds the x86-64
# tree the Windows tests then run on (build/win64).
set -euo pipefail
cd "$(dirname "$0")/.."
root=${ZORV_BUILD_ROOT:-build}
dist=$(realpath -m "${ZORV_DIST:-dist}")

cmake -S . -B "$root/native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZORV_DIST_DIR="$dist" >/dev/null
cmake --build "$root/native"
cmake -S . -B "$root/win" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZORV_DIST_DIR="$dist" \
      -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$root/win"
# Where this machine runs no 32-bit programs, the Windows tests run on a
# 64-bit build of the same code (tools/windows-test-arch.sh); its programs
# stay in its own tree, never in the shipped ones' folder.
if [ "$(tools/windows-test-arch.sh)" = x86_64 ]; then
  cmake -S . -B "$root/win64" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZORV_DIST_DIR="$(realpath -m "$root/win64/dist")" -DZORV_SHIPPED_DIST_DIR="$dist" \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-x86_64.cmake" >/dev/null
  cmake --build "$root/win64"
fi
