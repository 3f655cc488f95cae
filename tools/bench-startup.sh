#!/usr/bin/env bash
# Starts Reelvault twice on an album of many movies whose strips are all present, so the
# thumbnail maker stays idle: first from the contents files, then from the fast-start cache.
# Prints start -> window -> ready for both, then start -> first painted grid (at ready the
# first sort tab is clicked and the grid's screen area is watched until a strip shows), the
# time to close and the peak memory.
#   tools/bench-startup.sh [movies, default 10000]
set -euo pipefail
source "$(dirname "$0")/arch.sh"
bash "$rv_root/tools/build.sh" >/dev/null
source "$rv_root/tools/wine-env.sh" "$rv_build" "$rv_arch"
trap wine_session_stop EXIT
wine_session_start
"$WINE" "$rv_build/tests/startup_bench.exe" "${1:-10000}"
