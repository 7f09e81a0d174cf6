#!/usr/bin/env bash
# The scaled canvas in a real window under Xvfb (screen 1920x1200, with a small window
# manager for full screen): a fixed 800x600 window resized by the user shows its picture
# scaled to fill it, or letterboxed; the mouse answers in the canvas's pixels; F11 toggles
# full screen without reaching the program; a resizable window's new size is known while
# its resize message is handled. Skips (77) where Xvfb, xdotool or evilwm is missing.
set -u
probe=$1
xpixel=$2
command -v evilwm >/dev/null || { echo "evilwm is not installed: skipped"; exit 77; }
XVFB_SCREEN=1920x1200x24
. "$(dirname "$0")/xvfb_lib.sh"
pixel() { "$xpixel" "$wid" "$1" "$2"; }
expect() {  # x y colour what
  local got
  got=$(pixel "$1" "$2")
  [ "$got" = "$3" ] || fail "$4: ($1,$2) shows $got, not $3"
}
harness_wm
sleep 0.3

start() {  # style output-file
  "$probe" "$1" >"$2" 2>&1 &
  pids+=("$!")
  waitfor "$2" ready || fail "no first frame"
  wid=$(xdotool search --sync --name '^disp_scale_probe$' | head -n1)
  [ -n "$wid" ] || fail "no window titled disp_scale_probe"
}

# A fixed-size window, made 1600x1200 by the user: everything twice as large, filling it.
start 0 "$work/out1"
xdotool windowmove --sync "$wid" 0 0
xdotool windowsize --sync "$wid" 1600 1200
sleep 0.4
expect 800 600 ff0000 "2x centre"
expect 200 200 00ff00 "2x green disc"
for xy in "3 600" "1596 600" "800 3" "800 1196" "14 600"; do expect $xy 0000ff "2x edge bar"; done
expect 17 600 202020 "inside the 2x edge bar"
xdotool mousemove --window "$wid" 1000 700
waitfor "$work/out1" "mouse 500 350" || fail "mouse at (1000,700) of the 2x window is not (500,350)"

# 1280x720: scaled by 1.2 to 960x720, bars of 160 pixels left and right.
xdotool windowsize --sync "$wid" 1280 720
sleep 0.4
expect 640 360 ff0000 "1.2x centre"
expect 100 360 202020 "left bar"
expect 1200 360 202020 "right bar"
expect 163 360 0000ff "1.2x left edge"
expect 1116 360 0000ff "1.2x right edge"

# F11: full screen (1920x1200, the canvas at 2x with bars), and back.
xdotool key F11
waitfor "$work/out1" "fullscreen 1" || fail "F11 did not make the window full screen"
sleep 0.4
geo=$(xwininfo -id "$wid" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}')
[ "$geo" = 1920x1200 ] || fail "full-screen window is $geo"
expect 960 600 ff0000 "full-screen centre"
expect 100 600 202020 "full-screen bar"
expect 165 600 0000ff "full-screen left edge"
xdotool key F11
waitfor "$work/out1" "fullscreen 0" || fail "F11 did not leave full screen"
grep -q '^key 122' "$work/out1" && fail "F11 reached the program as a key"
xdotool key Escape
waitfor "$work/out1" "closed 0" || fail "Esc did not close the window"

# A resizable window: its canvas takes the new size, known while the resize message is read.
start 1 "$work/out2"
xdotool windowsize --sync "$wid" 1000 700
waitfor "$work/out2" "size 1000 700" || fail "no resize message with the new size"
sleep 0.3
expect 500 350 ff0000 "resizable window's new centre"
expect 995 350 0000ff "resizable window's right edge"
xdotool key Escape
waitfor "$work/out2" "closed 0" || fail "Esc did not close the resizable window"
echo "PASS"
