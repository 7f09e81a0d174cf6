#!/usr/bin/env bash
# A compositor with no seat (weston's headless backend: no keyboard, no pointer), where SDL
# before 2.30 dies by a signal inside its video start: the game never gets there. With
# DISPLAY set the window goes through the X server instead; without, the game says why in
# one line and exits 1, whether SDL_VIDEODRIVER names Wayland or not. Skips (77) without
# weston, Xvfb or xdotool.
set -u
probe=$1
quib=$2
command -v weston >/dev/null || { echo "weston is not installed: skipped"; exit 77; }
. "$(dirname "$0")/xvfb_lib.sh"
export ALSOFT_DRIVERS=null
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR=$work/run WAYLAND_DISPLAY=wl-quib-seatless
weston --backend=headless-backend.so --no-config --socket="$WAYLAND_DISPLAY" >"$work/weston.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && break; sleep 0.05; done
[ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] || fail "weston did not start: $(tail -3 "$work/weston.log")"

# The game without an X display: one line naming the missing seat, status 1, no signal.
for forced in "" wayland "wayland,x11"; do
  how=(-u DISPLAY)
  if [ -n "$forced" ]; then how+=(SDL_VIDEODRIVER="$forced"); else how+=(-u SDL_VIDEODRIVER); fi
  env "${how[@]}" DISP_QUIT_AT=3 timeout 20 "$quib" >/dev/null 2>"$work/out.game"
  status=$?
  [ "$status" = 1 ] || fail "SDL_VIDEODRIVER='$forced': the game exited with $status"
  if [ "$(grep -c . "$work/out.game")" != 1 ] || ! grep -q 'compositor has no seat' "$work/out.game"; then
    fail "SDL_VIDEODRIVER='$forced': not the one line: $(head -c 300 "$work/out.game")"
  fi
  echo "no DISPLAY, SDL_VIDEODRIVER='$forced': exit 1, $(cat "$work/out.game")"
done

# With an X display as well, the window opens there.
out=$work/out.probe
"$probe" >"$out" 2>&1 &
probe_pid=$!
pids+=("$probe_pid")
waitfor "$out" "^driver" || fail "with DISPLAY set: no first frame"
grep -q '^driver x11$' "$out" || fail "with DISPLAY set: $(head -n3 "$out")"
xdotool key Escape
wait "$probe_pid" || fail "the probe on X11 exited with $?"
echo "DISPLAY set as well: the window opened on X11"
echo "PASS"
