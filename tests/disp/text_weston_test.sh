#!/usr/bin/env bash
# The clipboard on native Wayland: text one program puts on the clipboard is read back by
# another through a real compositor (weston, kiosk shell, nested in Xvfb as in
# wayland_test.sh). Skips (77) without weston, Xvfb or xdotool.
set -u
probe=$1
command -v weston >/dev/null || { echo "weston is not installed: skipped"; exit 77; }
. "$(dirname "$0")/xvfb_lib.sh"
export SDL_VIDEODRIVER=wayland ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR=$work/run WAYLAND_DISPLAY=wl-quib-text
weston --backend=x11-backend.so --shell=kiosk-shell.so --use-pixman --no-config \
  --socket="$WAYLAND_DISPLAY" --width=640 --height=480 >"$work/weston.log" 2>&1 &
pids+=($!)
# Each wait below ends as soon as its condition holds; the deadlines (30 s) are for a
# loaded machine, on which a compositor and its clients start slowly.
for _ in $(seq 600); do [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && break; sleep 0.05; done
[ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] || fail "weston did not start: $(tail -3 "$work/weston.log")"

text='héllo wörld ✓ 한'
"$probe" own "$text" >"$work/out1" 2>&1 &
pids+=($!)
waitfor "$work/out1" "^owned" || fail "the owner did not take the clipboard"
# A compositor takes the clipboard from a client with input: a key through weston's seat.
wid=
for _ in $(seq 600); do
  wid=$(xwininfo -root -tree | awk '/"Weston Compositor/{print $1; exit}')
  [ -n "$wid" ] && break
  sleep 0.05
done
[ -n "$wid" ] || fail "no weston window on the X server"
# The compositor may not have given the window the keyboard yet: pressed again until taken.
for _ in $(seq 30); do
  xdotool mousemove --window "$wid" 100 100 click 1
  xdotool windowfocus --sync "$wid" key space
  for _ in $(seq 20); do grep -q "^set again" "$work/out1" && break 2; sleep 0.05; done
done
grep -q "^set again" "$work/out1" || fail "the owner took no key"
"$probe" read >"$work/out2" 2>&1 || fail "the reader exited with $?: $(cat "$work/weston.log")"
grep -qF "clipboard [$text]" "$work/out2" || fail "another program reads another clipboard"
echo "PASS"
