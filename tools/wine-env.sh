# Sourced by the run and test scripts: a private Wine prefix of the build's architecture
# inside its build folder, never the user's own ~/.wine.
#   source tools/wine-env.sh BUILD_DIR [x86_64|i686]
# Then `wine_session_start` before and `wine_session_stop` after the Wine programs, each
# started as "$WINE" PROGRAM: the loader of that architecture, never the bare `wine`
# wrapper (which picks the 32-bit loader whenever it is installed).

_rv_build=$(cd "${1:?build folder}" && pwd)
case "${2:-x86_64}" in
  x86_64)
    export WINE=/usr/lib/wine/wine64
    export WINESERVER=/usr/lib/wine/wineserver64
    export WINEARCH=win64 ;;
  i686)
    export WINE=/usr/lib/wine/wine
    export WINESERVER=/usr/lib/wine/wineserver32
    export WINEARCH=win32 ;;
  *) echo "wine-env.sh: unknown architecture '$2'" >&2; return 2 ;;
esac
export WINEPREFIX="$_rv_build/wineprefix"
# A new prefix links Documents to $HOME: keep that inside the sandbox too.
export HOME="$_rv_build/winehome"
export LANG=ja_JP.UTF-8
export LC_ALL=
export WINEDEBUG=-all
mkdir -p "$HOME"

_rv_pids=()

_rv_tools=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# The virtual screen; RV_XVFB_SCREEN=WIDTHxHEIGHTxDEPTH for programs that need more room
# (tools/bench-grid.sh).
_rv_xvfb_screen="${RV_XVFB_SCREEN:-1280x1024x24}"

# Starts Xvfb and reports its display number.
_rv_start_xvfb() {
  local fifo="$_rv_build/.xvfb-display"
  rm -f "$fifo"
  Xvfb -displayfd 3 -screen 0 "$_rv_xvfb_screen" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  _rv_pids+=($!)
  local i
  for i in $(seq 1 100); do
    [ -s "$fifo" ] && break
    sleep 0.1
  done
  [ -s "$fifo" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(head -n1 "$fifo")"
}

_rv_init_prefix() {
  [ -f "$WINEPREFIX/.reelvault-ready" ] && return 0
  rm -rf "$WINEPREFIX"
  # No Mono prompt on the first boot. Gecko stays: its setup registers the shell
  # associations some tests rely on.
  WINEDLLOVERRIDES="mscoree=" "$WINE" wineboot -i >/dev/null 2>&1
  "$WINESERVER" -w

  # Documents as a real folder, so the program's data never lands in $HOME itself.
  local user_dir
  for user_dir in "$WINEPREFIX"/drive_c/users/*; do
    [ "$(basename "$user_dir")" = "Public" ] && continue
    if [ -L "$user_dir/Documents" ]; then
      rm -f "$user_dir/Documents"
      mkdir -p "$user_dir/Documents"
    fi
  done

  # Japanese user-interface fonts mapped to the IPA fonts. The .reg file must be UTF-16LE:
  # regedit reads REGEDIT4 files in the ANSI code page and mangles full-width names.
  local reg="$_rv_build/.fonts.reg"
  python3 - "$reg" <<'PY'
import sys
names = ["MS UI Gothic", "MS Gothic", "MS PGothic", "ＭＳ ゴシック", "ＭＳ Ｐゴシック", "Meiryo", "Meiryo UI", "メイリオ"]
lines = ["Windows Registry Editor Version 5.00", "",
         r"[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]"]
lines += ['"%s"="IPAGothic"' % n for n in names]
lines += ["", r"[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]"]
lines += ['"%s"="IPAGothic"' % n for n in names]
open(sys.argv[1], "wb").write(("\r\n".join(lines) + "\r\n").encode("utf-16"))
PY
  "$WINE" regedit /S "$("$WINE" winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1
  "$WINESERVER" -w
  touch "$WINEPREFIX/.reelvault-ready"
}

wine_session_start() {
  # Movies with audio render to the end only with a sound device; a null one does.
  printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' > "$HOME/.asoundrc"
  _rv_start_xvfb || return 1
  _rv_init_prefix
  # One persistent server and a warm-up: without them every test program pays for a
  # Wine start and Wine's helpers hold the test runner's output pipe.
  "$WINESERVER" -p >/dev/null 2>&1
  "$WINE" cmd /c exit >/dev/null 2>&1
}

wine_session_stop() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  local pid
  for pid in "${_rv_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  _rv_pids=()
}
