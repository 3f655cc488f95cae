#!/usr/bin/env bash
# Builds everything and runs every test under Wine with CTest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build}"
bash "$root/tools/build.sh"

source "$root/tools/wine-env.sh" "$build"
trap wine_session_stop EXIT
wine_session_start
cd "$build"
ctest --output-on-failure -j "$(nproc)" "$@"
