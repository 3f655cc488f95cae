#!/usr/bin/env bash
# Builds everything and starts Reelvault under Wine (the 64-bit build by default; ARCH=i686
# starts the 32-bit release programs on a machine that runs 32-bit programs).
set -euo pipefail
source "$(dirname "$0")/arch.sh"
if [ "$rv_arch" = i686 ] && ! rv_can_run_32bit; then
  echo "ARCH=i686: this machine cannot execute 32-bit programs, so 32-bit Wine cannot run here; use the default 64-bit build." >&2
  exit 1
fi
bash "$rv_root/tools/build.sh"
exe="$rv_build/app/Reelvault.exe"
if [ ! -f "$exe" ]; then
  echo "Built. The Reelvault program itself is not part of this build yet."
  exit 0
fi
source "$rv_root/tools/wine-env.sh" "$rv_build" "$rv_arch"
trap wine_session_stop EXIT
if [ -z "${DISPLAY:-}" ]; then wine_session_start; else _rv_init_prefix; fi
"$WINE" "$exe"
