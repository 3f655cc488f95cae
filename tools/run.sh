#!/usr/bin/env bash
# Builds everything and starts Reelvault under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build}"
bash "$root/tools/build.sh"
exe="$build/app/Reelvault.exe"
if [ ! -f "$exe" ]; then
  echo "Built. The Reelvault program itself is not part of this build yet."
  exit 0
fi
source "$root/tools/wine-env.sh" "$build"
trap wine_session_stop EXIT
if [ -z "${DISPLAY:-}" ]; then wine_session_start; else _rv_init_prefix; fi
wine "$exe"
