#!/usr/bin/env bash
# Gamepads in a real window under Xvfb: SDL's virtual controller, driven by DISP_PAD_SCRIPT,
# gives the same key messages as the keyboard (A as SPACE typed through XTEST: a press and a
# release), and Back + Start closes the window as Esc does. Skips (77) where Xvfb is missing.
set -u
tests=$1  # disp_pad_tests, whose "keys" scenario prints every key message it takes
. "$(dirname "$0")/xvfb_lib.sh"

# SDL hands controller input only to a focused window, so the presses come once the test
# has focused it and typed its SPACE.
printf '4 down a\n4.2 up a\n5 down back\n5.1 down start\n' >"$work/pad.txt"
DISP_PAD_SCRIPT="$work/pad.txt" DISP_QUIT_AT=20 "$tests" --scenario keys >"$work/out" \
  2>"$work/out.err" &
probe=$!
pids+=("$probe")
wid=$(timeout 20 xdotool search --sync --name '^pad_probe$' | head -n1)
[ -n "$wid" ] || fail "no window titled pad_probe"
xdotool windowfocus --sync "$wid"
xdotool key space
waitfor "$work/out" " up$" || fail "SPACE typed through XTEST did not arrive"
waitfor "$work/out" "^closed" || fail "Back + Start did not close the window"
wait "$probe" || fail "the probe exited with $?"
got=$(cut -d' ' -f2- "$work/out" | tr '\n' ',')
[ "$got" = "key 32,up,key 32,up,key 27,closed," ] || fail "messages were '$got'"
echo "PASS"
