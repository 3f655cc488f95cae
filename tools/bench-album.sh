#!/usr/bin/env bash
# Opens an album of many movies both ways (contents files, fast-start cache) and prints the
# times and the peak memory.   tools/bench-album.sh [movies, default 10000]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build}"
bash "$root/tools/build.sh" >/dev/null
source "$root/tools/wine-env.sh" "$build"
trap wine_session_stop EXIT
wine_session_start
wine "$build/tests/album_bench.exe" "${1:-10000}"
