#!/usr/bin/env bash
# Input in a real window under Xvfb: clicks, wheel turns and moves made through XTEST arrive
# as mouse messages with their buttons, deltas and positions; a click synthesised in the
# window arrives among them; waits return on a real key and end on SIGTERM. Skips (77)
# where Xvfb or xdotool is missing.
set -u
probe=$1
. "$(dirname "$0")/xvfb_lib.sh"

"$probe" >"$work/out1" 2>&1 &
probe1=$!
pids+=("$probe1")
waitfor "$work/out1" ready || fail "no first frame"
wid=$(xdotool search --sync --name '^input_probe$' | head -n1)
[ -n "$wid" ] || fail "no window titled input_probe"
xdotool windowfocus --sync "$wid"

xdotool mousemove --window "$wid" 50 60
waitfor "$work/out1" "^move 50 60 abs" || fail "the move to (50, 60) did not arrive"
xdotool click 1
waitfor "$work/out1" "^down 1 50 60" || fail "no left press at (50, 60)"
waitfor "$work/out1" "^up 202" || fail "no left release"
xdotool click 3
waitfor "$work/out1" "^down 2 50 60" || fail "no right press"
# X's buttons 8 and 9 are the mouse's back and forward: the X buttons 5 and 6, each held
# while down.
xdotool mousedown 8
waitfor "$work/out1" "^down 5 50 60 held 1" || fail "X button 5 pressed is not held"
xdotool mouseup 8 mousedown 9
waitfor "$work/out1" "^down 6 50 60 held 1" || fail "X button 6 pressed is not held"
xdotool mouseup 9
xdotool click 4 click 5
waitfor "$work/out1" "^wheel -120" || fail "no wheel turns"
grep -q "^wheel 120" "$work/out1" || fail "no wheel turn away from the user"
xdotool key s
waitfor "$work/out1" "^down 4 50 60" || fail "the synthesised middle click did not arrive"
# The screen position is the window's position plus the window position.
abs=$(grep "^move 50 60 abs" "$work/out1" | head -n1 | cut -d' ' -f5,6)
eval "$(xdotool getwindowgeometry --shell "$wid")"
[ "$abs" = "$((X + 50)) $((Y + 60))" ] || fail "screen position $abs, window at $X $Y"

# Held keys: down from press to release, auto-repeats marked, the release naming its key.
xdotool keydown Right
waitfor "$work/out1" "^key 39 held 1 repeat 0" || fail "Right pressed is not held"
waitfor "$work/out1" "^key 39 held 1 repeat 1" || fail "Right's auto-repeat is not marked"
xdotool keyup Right
waitfor "$work/out1" "^keyup 39 held 0" || fail "Right released is still held"
# Both Shifts give one code: it stays held until the second is let go.
xdotool keydown Shift_L keydown Shift_R keyup Shift_L
waitfor "$work/out1" "^keyup 16 held 1" || fail "Shift reads up while the other Shift is held"
xdotool keyup Shift_R
waitfor "$work/out1" "^keyup 16 held 0" || fail "Shift still held after both were let go"
# Focus loss lets go of every key and button; their releases go to the other window.
xdotool keydown Left mousedown 3
waitfor "$work/out1" "^key 37 held 1" || fail "Left pressed is not held"
waitfor "$work/out1" "^down 2 50 60 held 1" || fail "right button pressed is not held"
xdotool windowfocus "$(xwininfo -root | awk '/Window id:/ {print $4}')"
waitfor "$work/out1" "^focuslost right 0 left 0 rbutton 0" || fail "keys still held after focus loss"
xdotool keyup Left mouseup 3
xdotool windowfocus --sync "$wid"
xdotool key Escape
wait "$probe1" || fail "probe exited with $?"
grep -q "^keyup 37 held 1" "$work/out1" && fail "Left came back as held"

"$probe" wait >"$work/out2" 2>&1 &
probe2=$!
pids+=("$probe2")
waitfor "$work/out2" ready || fail "second probe: no first frame"
wid=$(xdotool search --sync --name '^input_probe$' | head -n1)
xdotool windowfocus --sync "$wid"
sleep 0.2
xdotool key F9
waitfor "$work/out2" "^waited 120" || fail "WaitKey264 did not return F9"
sleep 0.2
kill -TERM "$probe2"
wait "$probe2" || fail "second probe exited with $? after SIGTERM"
grep -q "^end 0" "$work/out2" || fail "SIGTERM did not end the wait"
echo "PASS"
