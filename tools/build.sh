#!/usr/bin/env bash
# Configures and builds everything (programs and tests) for one architecture into
# BUILD_DIR/ARCH (default: build/x86_64; ARCH=i686 for the 32-bit release programs).
set -euo pipefail
source "$(dirname "$0")/arch.sh"
[ "${RV_SETUP_DONE:-0}" = 1 ] || bash "$rv_root/tools/setup.sh"
cmake -S "$rv_root" -B "$rv_build" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$rv_root/cmake/mingw-$rv_arch.cmake" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$rv_build" --target all "$@"
