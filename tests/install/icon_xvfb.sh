#!/usr/bin/env bash
# The game's window carries its icon: quib under Xvfb, then the window's _NET_WM_ICON as X
# sees it is the 128-pixel icon, and its middle pixel is the black of the icon's round
# screen, not the picture of the game. Then iconprobe: an icon set before the window
# opened reaches it, scaled down to 256 pixels. Usage: icon_xvfb.sh QUIB ICONPROBE REPO
set -euo pipefail
quib=$1
probe=$2
repo=$3
command -v xprop >/dev/null || { echo "xprop is not installed: skipped"; exit 77; }
source "$repo/tests/disp/xvfb_lib.sh"

(cd "$repo" && ALSOFT_DRIVERS=null DISP_QUIT_AT=20 "$quib" >"$work/out" 2>&1) &
pids+=("$!")
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
# The raw numbers: width, height, then ARGB pixels row by row.
pixel() {  # pixel WINDOW WIDTH X Y
  xprop -notype -id "$1" 32c _NET_WM_ICON | sed 's/^[^=]*= //' | tr -d ' ' | tr ',' '\n' |
    sed -n "$((3 + $4 * $2 + $3))p"
}
middle=$(pixel "$win" 128 64 64)
[ "$middle" = 4278190080 ] || fail "icon's middle pixel is $middle, not opaque black (0xFF000000)"
echo "game window: icon 128 x 128"

DISP_QUIT_AT=20 "$probe" >"$work/out-probe" 2>&1 &
pids+=("$!")
waitfor "$work/out-probe" "open" || fail "iconprobe did not open its window"
win=$(xdotool search --sync --pid "$!" 2>/dev/null | head -n1)
xprop -id "$win" _NET_WM_ICON | grep -q "Icon (256 x 128)" || fail "probe window: $(xprop -id "$win" _NET_WM_ICON | head -c 200)"
[ "$(pixel "$win" 256 128 64)" = 4294901760 ] || fail "probe icon is not opaque red"
echo "probe window: icon set before it opened, 256 x 128"
