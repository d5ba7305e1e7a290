#!/usr/bin/env bash
# Configures (once per target) and builds the whole project into the given build folder.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/arch.sh"
build=${1:-build}
case "$build" in /*) ;; *) build="$top/$build" ;; esac
arch=$(qx_arch)
toolchain="$top/cmake/mingw-$arch.cmake"
# A folder configured for the other target starts again: the compiler is fixed at configure.
if [ -f "$build/CMakeCache.txt" ] && ! grep -q "mingw-$arch.cmake" "$build/CMakeCache.txt"; then
  rm -rf "$build"
fi
if [ ! -f "$build/build.ninja" ]; then
  [ "$arch" = i686 ] || echo "build: this machine cannot run 32-bit programs; building for $arch to test"
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j "$(nproc)"
