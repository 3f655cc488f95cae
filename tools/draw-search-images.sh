#!/usr/bin/env bash
# Draws the search bars' button images: a 128x16 24-bit bitmap of eight 16x16 images,
# magenta (the image lists' transparent colour) around a cross ("clear" and the address
# bar's search button), a magnifier ("tag search", and the first search site), then one
# disc per search site by its number (2 to 7; 6 is not used and stays empty).
#   tools/draw-search-images.sh OUTPUT.bmp
set -euo pipefail
out=$1
width=128 height=16
byte() { printf "\\x$(printf %02x "$1")"; }
le16() { byte $(($1 & 255)); byte $(($1 >> 8 & 255)); }
le32() { le16 $(($1 & 65535)); le16 $(($1 >> 16 & 65535)); }
pixel() {  # B G R
  local x=$1 y=$2
  if [ "$x" -lt 16 ]; then
    local d1=$((x - y)) d2=$((x + y - 15))
    if [ $x -ge 3 ] && [ $x -le 12 ] && [ $y -ge 3 ] && [ $y -le 12 ] &&
       { [ ${d1#-} -le 1 ] || [ ${d2#-} -le 1 ]; }; then
      printf '\x30\x30\xc0'; return
    fi
  elif [ "$x" -ge 32 ]; then
    local site=$((x / 16)) dx=$((2 * (x % 16) - 15)) dy=$((2 * y - 15))
    if [ $((dx * dx + dy * dy)) -le 169 ]; then
      case $site in
        2) printf '\xa0\x20\x70' ;;  # purple
        3) printf '\x20\x20\xd0' ;;  # red
        4) printf '\x30\x30\x30' ;;  # black
        5) printf '\x00\x90\xf0' ;;  # orange
        7) printf '\x90\x80\x00' ;;  # teal
        *) printf '\xff\x00\xff' ;;
      esac
      return
    fi
  else
    local u=$((x - 16)) dx=$((x - 16 - 6)) dy=$((y - 6))
    local r2=$((dx * dx + dy * dy))
    if { [ $r2 -ge 10 ] && [ $r2 -le 20 ]; } ||
       { [ $u -ge 9 ] && [ $u -le 14 ] && [ $y -ge 9 ] && [ $y -le 14 ] && [ $((u - y)) -ge -1 ] && [ $((u - y)) -le 1 ]; }; then
      printf '\x90\x50\x20'; return
    fi
  fi
  printf '\xff\x00\xff'
}
{
  printf 'BM'; le32 $((54 + width * height * 3)); le32 0; le32 54
  le32 40; le32 $width; le32 $height; le16 1; le16 24; le32 0; le32 $((width * height * 3)); le32 2835; le32 2835; le32 0; le32 0
  # Rows bottom-up; 128 pixels of 3 bytes need no row padding.
  for ((row = height - 1; row >= 0; row--)); do
    for ((x = 0; x < width; x++)); do pixel $x $row; done
  done
} > "$out.tmp"
mv "$out.tmp" "$out"
