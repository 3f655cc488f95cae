#!/usr/bin/env bash
# Paint, scroll, mouse-move and memory figures of the movie grid in a 1920x1080 client over
# generated albums, for three thumbnail sizes with 5 and 10 frames.
#   tools/bench-grid.sh [movies for the memory walk, default 10000]
# Needs an X screen of at least 1920x1200: the rig's Xvfb is started at 2048x1280.
set -euo pipefail
source "$(dirname "$0")/arch.sh"
bash "$rv_root/tools/build.sh" >/dev/null
export RV_XVFB_SCREEN=2048x1280x24
source "$rv_root/tools/wine-env.sh" "$rv_build" "$rv_arch"
trap wine_session_stop EXIT
wine_session_start
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
"$WINE" "$rv_build/tests/grid_bench.exe" "${1:-10000}"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
