#!/usr/bin/env bash
# The whole window under Xvfb: frames reach the screen, keys typed through XTEST arrive as
# their virtual-key codes, the picture survives a resize of the window, Esc closes it, and
# SIGTERM (SDL's quit) ends the game loop cleanly. Skips (77) where Xvfb is missing.
set -u
probe=$1
xpixel=$2
. "$(dirname "$0")/xvfb_lib.sh"
pixel() { "$xpixel" "$wid" "$1" "$2"; }

DISP_STATS="$work/stats" "$probe" >"$work/out1" 2>&1 &
probe1=$!
pids+=("$probe1")
waitfor "$work/out1" ready || fail "no first frame"
wid=$(xdotool search --sync --name '^disp_probe$' | head -n1)
[ -n "$wid" ] || fail "no window titled disp_probe"
sleep 0.2
[ "$(pixel 400 300)" = ff0000 ] || fail "centre shows $(pixel 400 300), not the red disc"
[ "$(pixel 100 100)" = 00ff00 ] || fail "(100,100) shows $(pixel 100 100), not the green disc"

xdotool windowfocus --sync "$wid"
xdotool key space KP_Add KP_Subtract equal minus Home End r F9 F12 Left Up Right Down
waitfor "$work/out1" "key 40" || fail "not all keys arrived"
want="32 107 109 187 189 36 35 82 120 123 37 38 39 40"
got=$(grep '^key' "$work/out1" | cut -d' ' -f2 | tr '\n' ' ' | sed 's/ $//')
[ "$got" = "$want" ] || fail "keys arrived as '$got', expected '$want'"

# A changed size takes the window's framebuffer away; frames must keep coming, the 800x600
# picture now shown at 0.8 of its size: the green disc at (80, 80), the red at the centre.
xdotool windowsize --sync "$wid" 640 480 || true
sleep 0.3
[ "$(pixel 80 80)" = 00ff00 ] || fail "after resize (80,80) shows $(pixel 80 80)"
[ "$(pixel 320 240)" = ff0000 ] || fail "after resize the centre shows $(pixel 320 240)"

xdotool key Escape
waitfor "$work/out1" "closed 0" || fail "Esc did not close the window"
wait "$probe1" || fail "probe exited with $?"
grep -q '^frames [1-9]' "$work/stats" || fail "stats: $(cat "$work/stats")"

# SIGTERM reaches the game as SDL's quit message: the window closes, the loop ends.
"$probe" >"$work/out2" 2>&1 &
probe2=$!
pids+=("$probe2")
waitfor "$work/out2" ready || fail "second probe: no first frame"
kill -TERM "$probe2"
wait "$probe2" || fail "second probe exited with $? after SIGTERM"
grep -q "closed 0" "$work/out2" || fail "SIGTERM did not close the window"
echo "PASS"
