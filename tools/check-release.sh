#!/usr/bin/env bash
# Checks that the release programs of a 32-bit build are 32-bit Windows executables
# (PE32, machine i386).   tools/check-release.sh BUILD_FOLDER
set -euo pipefail
build=${1:?build folder}
root=$(cd "$(dirname "$0")/.." && pwd)

# Little-endian unsigned value of N bytes at OFFSET.
read_le() {  # file offset bytes
  od -An -t u"$3" -j "$2" -N "$3" --endian=little "$1" | tr -d ' '
}

check_pe32() {
  local exe=$1
  [ -f "$exe" ] || { echo "release: $exe was not built" >&2; return 1; }
  local pe machine magic
  pe=$(read_le "$exe" 60 4)
  if [ "$(od -An -c -j "$pe" -N 4 "$exe" | tr -d ' ')" != 'PE\0\0' ]; then
    echo "release: $exe is not a PE executable" >&2; return 1
  fi
  machine=$(read_le "$exe" $((pe + 4)) 2)
  magic=$(read_le "$exe" $((pe + 24)) 2)
  if [ "$machine" != 332 ] || [ "$magic" != 267 ]; then  # 0x14c i386, 0x10b PE32
    printf 'release: %s is not PE32 for i386 (machine 0x%x, optional header 0x%x)\n' \
           "$exe" "$machine" "$magic" >&2
    return 1
  fi
  echo "release: $(basename "$exe") is PE32 (i386)"
}

programs=("$build/thumbnailer/Stillforge.exe")
# Reelvault's program joins the check as soon as the build makes it.
if grep -q 'add_executable(Reelvault\b' "$root/app/CMakeLists.txt"; then
  programs+=("$build/app/Reelvault.exe")
fi
rc=0
for exe in "${programs[@]}"; do check_pe32 "$exe" || rc=1; done
exit "$rc"
