#!/usr/bin/env bash
# The game losing its display under Xvfb: its window destroyed by another client (xdotool
# windowkill, which cuts our connection, and a plain XDestroyWindow), then the X server
# killed. Each time the game must print its one line, write its statistics and exit with
# status 1: no core, no hang, no message of Xlib's. Skips (77) where Xvfb is missing.
set -u
quib=$1
xdestroy=$2
srcdir=$3
. "$srcdir/tests/disp/xvfb_lib.sh"
cd "$srcdir" || exit 1  # the game finds audio/ here
# Sanitizer builds: stderr must hold our line alone, not the leak checker's summary.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}print_suppressions=0"

# Starts the game in the background ($game), waits for its window ($wid) and a few frames.
start() {
  ALSOFT_DRIVERS=null QUIB_STATS="$work/stats.$1" "$quib" 2>"$work/err.$1" &
  game=$!
  pids+=("$game")
  wid=$(timeout 20 xdotool search --sync --name '^quib_en$' | head -n1)
  [ -n "$wid" ] || fail "$1: no window titled quib_en"
  sleep 0.5
}

# The game must end by itself within 10 s with status 1 and exactly our line on stderr.
check() {
  for _ in $(seq 100); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$game" 2>/dev/null; then
    kill -9 "$game"
    fail "$1: the game hangs after losing its display"
  fi
  wait "$game"
  status=$?
  [ "$status" = 1 ] || fail "$1: exit status $status, expected 1 ($(cat "$work/err.$1"))"
  [ "$(cat "$work/err.$1")" = "disp: the display connection was lost" ] ||
    fail "$1: stderr was: $(cat "$work/err.$1")"
  grep -q '^steps [1-9]' "$work/stats.$1" || fail "$1: no statistics written"
}

start windowkill
xdotool windowkill "$wid"
check windowkill

start destroy
"$xdestroy" "$wid" || fail "xdestroy failed"
check destroy

start serverkill
kill "$xvfb_pid"
check serverkill
echo "PASS"
