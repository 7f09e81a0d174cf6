#!/usr/bin/env bash
# Full screen with no window manager (a bare Xvfb, as in a kiosk): the window itself takes
# the screen and the picture fills it, centred; the second F11 brings the window back to
# its size and place. The game started with --fullscreen covers the screen and hides the
# pointer there, and shows it again in a window. Skips (77) without Xvfb or xdotool.
set -u
probe=$1
xpixel=$2
xcursor=$3
quib=$4
XVFB_SCREEN=1920x1080x24
. "$(dirname "$0")/xvfb_lib.sh"
export ALSOFT_DRIVERS=null
expect() {  # x y colour what
  local got
  got=$("$xpixel" "$wid" "$1" "$2")
  [ "$got" = "$3" ] || fail "$4: ($1,$2) shows $got, not $3"
}
waitcount() {  # file line n: until the line was printed n times
  for _ in $(seq 200); do [ "$(grep -c "^$2\$" "$1")" -ge "$3" ] && return 0; sleep 0.05; done
  return 1
}
geometry() {
  xwininfo -id "$wid" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4}
    /Width:/{w=$2} /Height:/{h=$2} END{print w "x" h "+" x "+" y}'
}

"$probe" 0 >"$work/out.probe" 2>&1 &
pids+=($!)
waitfor "$work/out.probe" ready || fail "no first frame"
wid=$(xdotool search --sync --name '^disp_scale_probe$' | head -n1)
[ "$(geometry)" = 800x600+560+240 ] || fail "the window opened at $(geometry)"
for round in 1 2; do
  xdotool key --window "$wid" F11
  waitcount "$work/out.probe" "fullscreen 1" "$round" || fail "F11 did not make the window full screen"
  sleep 0.4
  [ "$(geometry)" = 1920x1080+0+0 ] || fail "round $round: the full-screen window is $(geometry)"
  # 800x600 at 1.8 is 1440x1080: bars of 240 pixels left and right, none above or below.
  expect 960 540 ff0000 "full-screen centre"
  expect 100 540 202020 "left bar"
  expect 1820 540 202020 "right bar"
  expect 245 540 0000ff "left edge of the picture"
  expect 1675 540 0000ff "right edge of the picture"
  expect 960 3 0000ff "top edge of the picture"
  expect 960 1076 0000ff "bottom edge of the picture"
  xdotool key --window "$wid" F11
  waitcount "$work/out.probe" "fullscreen 0" $((round + 1)) || fail "the second F11 did not leave full screen"
  sleep 0.4
  [ "$(geometry)" = 800x600+560+240 ] || fail "round $round: back in a window at $(geometry)"
  expect 400 300 ff0000 "windowed centre"
  expect 3 300 0000ff "windowed left edge"
  expect 100 100 00ff00 "windowed green disc"
done
echo "probe: full screen fills 1920x1080 and comes back to 800x600, twice"

# The game: --fullscreen covers the screen; the pointer is hidden over it, shown in a window.
"$quib" --fullscreen 2>"$work/out.game" &
game=$!
pids+=("$game")
wid=$(timeout 20 xdotool search --sync --name '^quib_en$' | head -n1)
[ -n "$wid" ] || fail "no window titled quib_en"
sleep 0.5
[ "$(geometry)" = 1920x1080+0+0 ] || fail "quib --fullscreen opened at $(geometry)"
xdotool mousemove 960 300
sleep 0.3
[ "$("$xcursor")" = hidden ] || fail "the pointer is shown over the full-screen game"
xdotool key --window "$wid" F11
sleep 0.5
[ "$(geometry)" = 800x600+560+240 ] || fail "the game left full screen at $(geometry)"
xdotool mousemove 960 540
sleep 0.3
[ "$("$xcursor")" = shown ] || fail "the pointer stays hidden over the windowed game"
xdotool key --window "$wid" Escape
for _ in $(seq 100); do kill -0 "$game" 2>/dev/null || break; sleep 0.05; done
kill -0 "$game" 2>/dev/null && fail "Esc did not end the game"
wait "$game" || fail "the game exited with $?"
echo "game: full screen with the pointer hidden, a window with it shown"
echo "PASS"
