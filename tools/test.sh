#!/usr/bin/env bash
# Builds everything and runs every test under Wine with CTest.
#   tools/test.sh [ctest options]   the 64-bit build's tests under Wine's 64-bit loader; the
#                                   32-bit release programs are built too and checked to be
#                                   PE32 executables
#   ARCH=i686 tools/test.sh         the tests of the 32-bit build, on a machine that can
#                                   execute 32-bit programs
set -euo pipefail
source "$(dirname "$0")/arch.sh"
if [ "$rv_arch" = i686 ] && ! rv_can_run_32bit; then
  echo "ARCH=i686: this machine cannot execute 32-bit programs, so 32-bit Wine cannot run the tests here; run tools/test.sh without ARCH for the 64-bit tests." >&2
  exit 1
fi
bash "$rv_root/tools/setup.sh"
export RV_SETUP_DONE=1
bash "$rv_root/tools/build.sh"

if [ "$rv_arch" = x86_64 ]; then
  # The release is the 32-bit build: it must keep compiling and linking, programs and
  # test programs alike, even where it cannot run.
  ARCH=i686 bash "$rv_root/tools/build.sh"
  bash "$rv_root/tools/check-release.sh" "$rv_build_root/i686"
fi

source "$rv_root/tools/wine-env.sh" "$rv_build" "$rv_arch"
trap wine_session_stop EXIT
wine_session_start
cd "$rv_build"
ctest --output-on-failure -j "$(nproc)" "$@"
