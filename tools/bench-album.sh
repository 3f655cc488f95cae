#!/usr/bin/env bash
# Opens an album of many movies both ways (contents files, fast-start cache) and prints the
# times and the peak memory.   tools/bench-album.sh [movies, default 10000]
set -euo pipefail
source "$(dirname "$0")/arch.sh"
root=$rv_root
build=$rv_build
bash "$root/tools/build.sh" >/dev/null
source "$root/tools/wine-env.sh" "$build" "$rv_arch"
trap wine_session_stop EXIT
wine_session_start
"$WINE" "$build/tests/album_bench.exe" "${1:-10000}"
