#!/usr/bin/env bash
# Times one keystroke of the incremental search, from the key release to the filtered and
# sorted list, over a generated album.   tools/bench-search.sh [movies, default 100000]
set -euo pipefail
source "$(dirname "$0")/arch.sh"
bash "$rv_root/tools/build.sh" >/dev/null
source "$rv_root/tools/wine-env.sh" "$rv_build" "$rv_arch"
trap wine_session_stop EXIT
wine_session_start
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
"$WINE" "$rv_build/tests/search_bench.exe" "${1:-100000}"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
