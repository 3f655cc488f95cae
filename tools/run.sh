#!/usr/bin/env bash
# Builds everything and starts Reelvault under Wine (the 64-bit build by default; ARCH=i686
# starts the 32-bit release programs on a machine that runs 32-bit programs).
#   tools/run.sh           on the demo album in build/demo/, made on the first run and kept:
#                          clips of several containers and sizes (one of them broken) in
#                          categories, a playlist and a favourite site, with tags and stars;
#                          files put into build/demo/watched/ join the album at the next start
#   tools/run.sh --empty   on a fresh, empty data folder (build/demo-empty/, emptied each time)
# The program runs from build/run/, a copy of build/<arch>/app/ with the stand-in WebView2
# loader beside it (see below).
set -euo pipefail
source "$(dirname "$0")/arch.sh"
if [ "$rv_arch" = i686 ] && ! rv_can_run_32bit; then
  echo "ARCH=i686: this machine cannot execute 32-bit programs, so 32-bit Wine cannot run here; use the default 64-bit build." >&2
  exit 1
fi
empty=0
case "${1:-}" in
  "") ;;
  --empty) empty=1 ;;
  *) echo "usage: tools/run.sh [--empty]" >&2; exit 2 ;;
esac

bash "$rv_root/tools/build.sh"
exe="$rv_build/app/Reelvault.exe"
maker="$rv_build/app/demo/DemoAlbum.exe"
if [ ! -f "$exe" ]; then
  echo "Built. The Reelvault program itself is not part of this build yet."
  exit 0
fi
# Reelvault runs from a folder of its own, build/run/, with the stand-in WebView2 loader of
# the tests beside it, so that the browser pane works under Wine on the pages it can reach
# (there is no outside network here: the home page shows the stand-in's error page).
# build/<arch>/app/ stays as the build made it, fit to copy to Windows, where the real
# WebView2 runtime is used and needed.
standin="$rv_build/tests/WebView2Loader.dll"
run="$rv_build_root/run"
rm -rf "$run"
mkdir -p "$run"
find "$rv_build/app" -maxdepth 1 -type f -exec cp {} "$run/" \;
cp -r "$rv_build/app/images" "$run/"
if [ -f "$standin" ]; then
  cp "$standin" "$run/"
else
  echo "No stand-in WebView2 loader at $standin: the browser pane stays empty." >&2
fi
exe="$run/Reelvault.exe"

source "$rv_root/tools/wine-env.sh" "$rv_build" "$rv_arch"
trap wine_session_stop EXIT
if [ -z "${DISPLAY:-}" ]; then wine_session_start; else _rv_init_prefix; fi

winpath() { "$WINE" winepath -w "$1" 2>/dev/null; }

if [ "$empty" = 1 ]; then
  root="$rv_build_root/demo-empty"
  rm -rf "$root"
  mkdir -p "$root"
  "$WINE" "$maker" "$(winpath "$root")" redirect
else
  # The album keeps its own copies of the clips, so that a rebuild never pulls them away.
  root="$rv_build_root/demo"
  if [ ! -f "$root/.made" ]; then
    rm -rf "$root"
    mkdir -p "$root/movies" "$root/watched"
    cp "$rv_build/app/demo/clips/"* "$root/movies/"
    cp "$rv_build/app/demo/watched/"* "$root/watched/"
    "$WINE" "$maker" "$(winpath "$root")" demo "$(winpath "$root/movies")" "$(winpath "$root/watched")"
    touch "$root/.made"
    echo "Demo album made in $root"
  else
    "$WINE" "$maker" "$(winpath "$root")" redirect
  fi
fi
"$WINE" "$exe"
