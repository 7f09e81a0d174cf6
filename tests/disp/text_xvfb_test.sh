#!/usr/bin/env bash
# Typed text and the clipboard in a real window under Xvfb: text one program puts on the
# clipboard and the primary selection is read back by another; keys typed through XTEST
# arrive as text messages with their UTF-8 text, a dead key and a Compose sequence giving
# one accented letter. Skips (77) where Xvfb or xdotool is missing.
set -u
probe=$1
. "$(dirname "$0")/xvfb_lib.sh"

text='héllo wörld ✓ 한'
# A layout with a dead acute (on ') and Compose (the Menu key), so the keys typed below are on the keyboard and not mapped in for a moment by xdotool (which
# races with SDL's reading of the key under load).
command -v setxkbmap >/dev/null || { echo "setxkbmap is not installed: skipped"; exit 77; }
setxkbmap -layout us -variant intl -option compose:menu || fail "setxkbmap failed"
# A UTF-8 locale, whose compose table Xlib reads for dead keys and Compose.
# DISP_KEYLOG is written as SDL's key events are turned into messages.
LC_ALL=C.UTF-8 DISP_KEYLOG="$work/keys.log" "$probe" own "$text" >"$work/out1" 2>&1 &
owner=$!
pids+=("$owner")
waitfor "$work/out1" "^owned" || fail "the owner did not take the clipboard"
grep -q "^no window yet: error 1" "$work/out1" || fail "the clipboard was taken without a window"
grep -qF "owned [$text]" "$work/out1" || fail "the owner reads back another text"
"$probe" read >"$work/out2" 2>&1 || fail "the reader exited with $?"
grep -qF "clipboard [$text]" "$work/out2" || fail "another program reads another clipboard"
grep -qF "primary [$text!]" "$work/out2" || fail "another program reads another primary selection"

wid=$(xdotool search --sync --name '^text_probe$' | head -n1)
[ -n "$wid" ] || fail "no window titled text_probe"
xdotool windowfocus --sync "$wid"
xdotool key a
waitfor "$work/out1" "^text \[a\]" || fail "the a typed did not arrive as text"
xdotool key dead_acute e
waitfor "$work/out1" "^text \[é\]" || fail "a dead key and e did not type é"
xdotool key Multi_key o slash
waitfor "$work/out1" "^text \[ø\]" || fail "Compose o / did not type ø"
[ "$(grep -c '^text ' "$work/out1")" = 3 ] || fail "the dead key or Compose typed more than one letter"
xdotool key Escape
wait "$owner" || fail "the owner exited with $?"
# Each press is logged once with SDL's key symbol (a is 97) and when it was queued, on the
# monotonic clock: after the window was ready, within the run.
ready=$(sed -n 's/^at //p' "$work/out1")
[ -n "$ready" ] || fail "the owner did not tell when it was ready"
awk -v t="$ready" '$1 != "key" || $2 < t || $2 > t + 60e9 { exit 1 }' \
  "$work/keys.log" || fail "a key log line is not 'key NS SYM' of now: $(cat "$work/keys.log")"
[ "$(grep -c ' 97$' "$work/keys.log")" = 1 ] || fail "the a press is not logged once: $(cat "$work/keys.log")"
echo "PASS"
