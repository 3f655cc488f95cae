#!/usr/bin/env bash
# Installs what the build and the test rig need on a Debian machine.
# Idempotent and quick when everything is already there.
set -euo pipefail

packages=(
  g++-mingw-w64-i686-posix mingw-w64-i686-dev
  wine wine32:i386 xvfb xauth
  gstreamer1.0-plugins-base:i386 gstreamer1.0-plugins-good:i386
  gstreamer1.0-plugins-ugly:i386 gstreamer1.0-libav:i386
  libgl1:i386 libgl1-mesa-dri:i386
  fonts-ipafont-gothic fonts-wine
  cmake ninja-build googletest python3 ffmpeg imagemagick x11-apps
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${packages[@]}"
