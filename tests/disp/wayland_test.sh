#!/usr/bin/env bash
# The library and the game on native Wayland: a real compositor (weston, its kiosk shell,
# its X11 backend nested in Xvfb, so that xdotool's keys reach its seat and the X server
# shows its output). The picture goes through our shared-memory buffers, not GL. At scale 1
# and at scale 2, once the probe's moving picture settled (frames that changed in parts, the
# buffers taking turns), what the compositor shows equals the headless frame of the same
# output size byte for byte (so at scale 2 the canvas is drawn at the output's pixels, its
# rims as sharp as headless), and again after F11 left and re-entered full screen; SPACE
# through the compositor flips the game's ball (sound log); killing the compositor gives
# the one line, exit status 1 and the statistics. Skips (77) without weston, Xvfb, xdotool.
set -u
probe=$1
xgrab=$2
pngdiff=$3
quib=$4
command -v weston >/dev/null || { echo "weston is not installed: skipped"; exit 77; }
XVFB_SCREEN=1400x800x24  # larger than the compositor's window: room to park the pointer
. "$(dirname "$0")/xvfb_lib.sh"
export ALSOFT_DRIVERS=null SDL_VIDEODRIVER=wayland
# Sanitizer builds: the GL driver (code it compiles at run time, unknown to the unwinder)
# and SDL's Wayland driver keep memory to the end, so leaks are not counted here; the
# headless and X11 tests count ours.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR=$work/run WAYLAND_DISPLAY=wl-quib-test

weston_pid=
compositor() {  # width height scale [shell]: a fresh weston whose window is `wid`
  [ -n "$weston_pid" ] && { kill "$weston_pid" 2>/dev/null; wait "$weston_pid" 2>/dev/null; }
  rm -f "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY.lock"
  weston --backend=x11-backend.so --shell="${4:-kiosk-shell.so}" --use-pixman --no-config \
    --socket="$WAYLAND_DISPLAY" --width="$1" --height="$2" --scale="$3" \
    >"$work/weston.log" 2>&1 &
  weston_pid=$!
  pids+=("$weston_pid")
  for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && break; sleep 0.05; done
  [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] || fail "weston did not start: $(tail -3 "$work/weston.log")"
  wid=$(xwininfo -root -tree | awk '/"Weston Compositor/{print $1; exit}')
  [ -n "$wid" ] || fail "no weston window on the X server"
}
sameasheadless() {  # what: the compositor's output against the headless frame
  "$xgrab" "$wid" "$work/shown.png" || fail "cannot read the compositor's output"
  diff=$("$pngdiff" "$work/shown.png" "$work/headless.png") ||
    fail "$1: the compositor shows another picture than headless ($diff)"
  echo "$1: the compositor's 1280x720 output equals the headless frame ($diff)"
}
waitcount() {  # file line n: until the line was printed n times
  for _ in $(seq 200); do [ "$(grep -c "^$2\$" "$1")" -ge "$3" ] && return 0; sleep 0.05; done
  return 1
}

# The headless frame of a 1280x720 output: what both compositor outputs must show.
DISP_HEADLESS=1 DISP_SIZE=1280x720 DISP_QUIT_AT=2.5 DISP_SHOT=2:"$work/headless.png" \
  "$probe" >/dev/null 2>&1 || fail "the headless probe failed"

for scale in 1 2; do
  compositor $((1280 / scale)) $((720 / scale)) "$scale"
  out=$work/out.probe$scale
  "$probe" >"$out" 2>&1 &
  probe_pid=$!
  pids+=("$probe_pid")
  waitfor "$out" "^driver" || fail "scale $scale: no first frame"
  grep -q '^driver wayland$' "$out" || fail "scale $scale: not on native Wayland: $(head -n3 "$out")"
  grep -q 'memfd:disp-frame' "/proc/$probe_pid/maps" ||
    fail "scale $scale: the picture does not go through shared-memory buffers"
  xdotool mousemove 640 360  # over the window, where the full-screen probe hides the pointer
  waitfor "$out" "^settled" || fail "scale $scale: the picture did not settle"
  sleep 0.3
  sameasheadless "scale $scale"
  if [ "$scale" = 1 ]; then
    # The kiosk shell opens every window full screen; F11 leaves it and comes back.
    waitcount "$out" "fullscreen 1" 1 || fail "the window did not open full screen"
    xdotool key F11
    waitcount "$out" "fullscreen 0" 1 || fail "F11 did not leave full screen"
    xdotool key F11
    waitcount "$out" "fullscreen 1" 2 || fail "the second F11 did not return to full screen"
    sleep 0.5
    sameasheadless "scale 1, full screen again"
    xdotool key space
    waitfor "$out" "^key 32$" || fail "SPACE did not reach the program"
    echo "scale 1: F11 toggles full screen, SPACE arrives"
  fi
  xdotool key Escape
  for _ in $(seq 100); do [ "$(jobs -r | wc -l)" -le 2 ] && break; sleep 0.05; done
done

# A desktop shell: libdecor draws the window's frame on surfaces of its own around ours, and
# inside that frame the compositor shows the headless frame of an 800x600 output exactly.
if ls /usr/lib/*/libdecor/plugins-1/*.so >/dev/null 2>&1; then
  DISP_HEADLESS=1 DISP_QUIT_AT=2.5 DISP_SHOT=2:"$work/headless800.png" "$probe" >/dev/null 2>&1 ||
    fail "the headless probe failed"
  compositor 1200 760 1 desktop-shell.so
  out=$work/out.desktop
  "$probe" >"$out" 2>&1 &
  probe_pid=$!
  pids+=("$probe_pid")
  xdotool mousemove --window "$wid" 1150 740  # in a corner of the output, off the window
  waitfor "$out" "^settled" || fail "desktop shell: the picture did not settle"
  grep -q 'libdecor/plugins-1/' "/proc/$probe_pid/maps" || fail "desktop shell: no libdecor frame"
  sleep 0.3
  "$xgrab" "$wid" "$work/desktop.png" || fail "cannot read the compositor's output"
  where=$("$pngdiff" --inside "$work/desktop.png" "$work/headless800.png") ||
    fail "desktop shell: the headless frame is not inside the framed window ($where)"
  echo "desktop shell: inside libdecor's frame, the headless frame pixel for pixel ($where)"
  kill "$probe_pid"
  wait "$probe_pid" 2>/dev/null
fi

# Which driver, left to the library: with both displays, native Wayland where libdecor can
# frame the window (weston, like GNOME, draws no frames itself), and X11 where libdecor has
# no plugin to draw one.
compositor 800 600 1
for plugins in installed none; do
  [ "$plugins" = installed ] && ! ls /usr/lib/*/libdecor/plugins-1/*.so >/dev/null 2>&1 && continue
  mkdir -p "$work/noplugins"
  how=(-u SDL_VIDEODRIVER)
  [ "$plugins" = none ] && how+=(LIBDECOR_PLUGIN_DIR="$work/noplugins")
  out=$work/out.choice.$plugins
  env "${how[@]}" "$probe" >"$out" 2>&1 &
  probe_pid=$!
  pids+=("$probe_pid")
  waitfor "$out" "^driver" || fail "libdecor $plugins: no first frame: $(head -n3 "$out")"
  if [ "$plugins" = installed ]; then
    grep -q '^driver wayland$' "$out" || fail "both displays and libdecor, but: $(head -n1 "$out")"
    grep -q 'libdecor/plugins-1/' "/proc/$probe_pid/maps" || fail "no libdecor plugin frames the window"
  else
    grep -q '^driver x11$' "$out" || fail "libdecor without a plugin, but: $(head -n1 "$out")"
  fi
  echo "both displays, libdecor's plugin $plugins: $(grep "^driver" "$out")"
  kill "$probe_pid"
  wait "$probe_pid" 2>/dev/null
done

# Pumping: the game wakes SDL no more often on Wayland than on X11 (the Xvfb below), though
# the compositor answers every frame on the same connection.
compositor 800 600 1
WAYLAND_DISPLAY='' SDL_VIDEODRIVER=x11 DISP_QUIT_AT=4 DISP_STATS="$work/x11.stats" "$quib" 2>/dev/null ||
  fail "the game on X11 exited with $?"
DISP_QUIT_AT=4 DISP_STATS="$work/wl.stats" "$quib" 2>/dev/null || fail "the game on Wayland exited with $?"
px=$(awk '/^pumps /{print $2}' "$work/x11.stats")
pw=$(awk '/^pumps /{print $2}' "$work/wl.stats")
if [ -z "$px" ] || [ -z "$pw" ]; then fail "no pump counts in the statistics"; fi
[ $((pw * 100)) -le $((px * 115)) ] || fail "SDL pumped $pw times on Wayland, $px on X11"
echo "pumps in 4 s: $pw on Wayland, $px on X11"

# A compositor that stops (SIGSTOP: no releases, no frame callbacks, nothing read) for
# 3 s: the game goes on by its own clock and ends on time, frames shown before and after.
compositor 800 600 1
DISP_QUIT_AT=6 DISP_STATS="$work/stopped.stats" DISP_KEYS=<(printf '0.5 F12\n') "$quib" 2>/dev/null &
game=$!
pids+=("$game")
sleep 2
kill -STOP "$weston_pid"
sleep 3
kill -CONT "$weston_pid"
for _ in $(seq 60); do kill -0 "$game" 2>/dev/null || break; sleep 0.05; done
kill -0 "$game" 2>/dev/null && fail "the game did not end on time while the compositor stopped"
wait "$game" || fail "the game exited with $? after the compositor stopped"
frames=$(awk '/^frames /{print $2}' "$work/stopped.stats")
[ "${frames:-0}" -ge 180 ] || fail "only ${frames:-no} frames in 6 s around a stopped compositor"
echo "compositor stopped for 3 s: the game went on and ended on time ($frames frames)"

# The game: SPACE flips the ball; then the compositor goes away under it.
compositor 1280 720 1
QUIB_STATS="$work/stats" SOUND_LOG="$work/sound.log" "$quib" 2>"$work/out.game" &
game=$!
pids+=("$game")
for _ in $(seq 100); do grep -q '^play bg' "$work/sound.log" 2>/dev/null && break; sleep 0.05; done
sleep 0.5
xdotool mousemove 640 360 key space
for _ in $(seq 60); do grep -q '^play sj2.wav$' "$work/sound.log" && break; sleep 0.05; done
grep -q '^play sj2.wav$' "$work/sound.log" || fail "SPACE did not flip the ball: $(tail -n3 "$work/sound.log")"
echo "game: SPACE through the compositor flipped the ball"
kill -9 "$weston_pid"
wait "$weston_pid" 2>/dev/null
for _ in $(seq 100); do kill -0 "$game" 2>/dev/null || break; sleep 0.05; done
kill -0 "$game" 2>/dev/null && fail "the game did not end when the compositor went away"
wait "$game"
status=$?
[ "$status" = 1 ] || fail "the game exited with $status after the compositor went away"
if [ "$(grep -c . "$work/out.game")" != 1 ] ||
  ! grep -qx 'disp: the display connection was lost' "$work/out.game"; then
  fail "not the one line on stderr: $(head -c 300 "$work/out.game")"
fi
grep -q '^steps [1-9]' "$work/stats" || fail "no statistics after the compositor went away"
echo "game: compositor killed -> the one line, exit 1, statistics written"
echo "PASS"
