#!/usr/bin/env bash
# The game's window carries its icon: quib under Xvfb, then the window's _NET_WM_ICON as X
# sees it is the 128-pixel icon, and its middle pixel is the black of the icon's round
# screen, not the picture of the game. Usage: icon_xvfb.sh QUIB REPO
set -euo pipefail
quib=$1
repo=$2
command -v xprop >/dev/null || { echo "xprop is not installed: skipped"; exit 77; }
source "$repo/tests/disp/xvfb_lib.sh"

(cd "$repo" && ALSOFT_DRIVERS=null DISP_QUIT_AT=20 "$quib" >"$work/out" 2>&1) &
pids+=($!)
win=""
for _ in $(seq 100); do
  win=$(xdotool search --name '^quib_en$' 2>/dev/null | head -n1 || true)
  [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || fail "no quib window appeared"
for _ in $(seq 50); do
  xprop -id "$win" _NET_WM_ICON >"$work/icon" 2>&1 && grep -q "Icon (" "$work/icon" && break
  sleep 0.1
done
grep -q "Icon (128 x 128)" "$work/icon" || fail "window icon: $(head -c 300 "$work/icon")"
# The raw numbers: width, height, then ARGB pixels row by row; pixel (64, 64) is index
# 2 + 64 * 128 + 64 of the list.
values=$(xprop -notype -id "$win" 32c _NET_WM_ICON | sed 's/^[^=]*= //' | tr -d ' ')
middle=$(echo "$values" | tr ',' '\n' | sed -n "$((3 + 64 * 128 + 64))p")
[ "$middle" = 4278190080 ] || fail "icon's middle pixel is $middle, not opaque black (0xFF000000)"
echo "window icon 128 x 128 set"
