#!/usr/bin/env bash
# Installs what the build and the test rig need on a Debian machine.
# Idempotent and quick when everything is already there.
#   tools/setup.sh            both cross compilers, Wine's 64-bit loader and its rig (amd64)
#   ARCH=i686 tools/setup.sh  the same plus 32-bit Wine and its GStreamer plugins (i386)
set -euo pipefail
source "$(dirname "$0")/arch.sh"

# Both compilers always: the 32-bit programs are the release and are built on every run.
packages=(
  g++-mingw-w64-i686-posix mingw-w64-i686-dev
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  xvfb xauth fonts-ipafont-gothic fonts-wine
  cmake ninja-build googletest python3 ffmpeg imagemagick x11-apps
  xdotool
)
foreign=()
if [ "$rv_arch" = x86_64 ]; then
  packages+=(wine64 libwine
             gstreamer1.0-plugins-base gstreamer1.0-plugins-good
             gstreamer1.0-plugins-ugly gstreamer1.0-libav
             libgl1 libgl1-mesa-dri)
else
  foreign=(wine32:i386 libwine:i386
           gstreamer1.0-plugins-base:i386 gstreamer1.0-plugins-good:i386
           gstreamer1.0-plugins-ugly:i386 gstreamer1.0-libav:i386
           libgl1:i386 libgl1-mesa-dri:i386)
  packages+=(wine "${foreign[@]}")
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
apt_updated=0
apt_install() {
  if [ "$apt_updated" -eq 0 ]; then
    $sudo apt-get update -q
    apt_updated=1
  fi
  $sudo apt-get install -y -q --no-install-recommends "$@"
}

# Wine takes its ANSI code page (932) and the conversion of non-ASCII file names from
# LANG=ja_JP.UTF-8; without that locale it falls back to code page 1252 and cannot
# create files with Japanese names.
ensure_japanese_locale() {
  locale -a 2>/dev/null | grep -qix 'ja_JP.utf8' && return 0
  if ! dpkg-query -W -f='${Status}' locales 2>/dev/null | grep -q 'install ok installed'; then
    $sudo apt-get install -y -q --no-install-recommends locales >/dev/null 2>&1 || apt_install locales
  fi
  $sudo sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
}
ensure_japanese_locale

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ ${#foreign[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
apt_install "${missing[@]}"
