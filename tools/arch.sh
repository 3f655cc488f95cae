# Sourced by the scripts: which build they work on.
#   ARCH=x86_64 (default): 64-bit programs, tested under Wine's 64-bit loader, which runs on
#                          every machine here.
#   ARCH=i686:             the 32-bit release programs; running them needs a machine that
#                          executes 32-bit Linux programs (Wine's 32-bit loader).
# Sets rv_arch, rv_build_root (BUILD_DIR or build/) and rv_build (one folder per
# architecture below it).
rv_arch="${ARCH:-x86_64}"
case "$rv_arch" in
  x86_64|i686) ;;
  *) echo "ARCH must be x86_64 or i686, not '$rv_arch'" >&2; exit 2 ;;
esac
rv_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
rv_build_root="${BUILD_DIR:-$rv_root/build}"
rv_build="$rv_build_root/$rv_arch"

# The Wine loader of an architecture. Debian's `wine` wrapper prefers the 32-bit loader
# whenever it is installed, so the scripts name the loader themselves.
rv_wine_loader() {
  case "$1" in
    x86_64) echo /usr/lib/wine/wine64 ;;
    i686) echo /usr/lib/wine/wine ;;
  esac
}

# Whether this machine executes 32-bit x86 Linux programs: runs a 93-byte ELF32 that only
# calls exit(0). Needs nothing installed, so it can be asked before any i386 package.
rv_can_run_32bit() {
  local probe
  probe=$(mktemp)
  printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
  chmod +x "$probe"
  local rc=0
  "$probe" 2>/dev/null || rc=$?
  rm -f "$probe"
  [ "$rc" -eq 0 ]
}
