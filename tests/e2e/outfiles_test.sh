#!/usr/bin/env bash
# Every file the game writes, pointed where it cannot be written: a FIFO, a directory, a
# device, a full disk, and closed standard descriptors. Each must be refused or reported
# on stderr and in the exit status; none may hang the game or pass in silence.
set -u
quib=$1
cd "$(dirname "$0")/../.." || exit 1 # the repository root, where audio/ lies
work=$(mktemp -d)
mnt=""
cleanup() {
  [ -n "$mnt" ] && umount "$mnt" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
export DISP_HEADLESS=1 DISP_CLOCK=virtual DISP_QUIT_AT=2 ALSOFT_DRIVERS=null
unset QUIB_SEED QUIB_STATS QUIB_LASTFRAME QUIB_CHECK DISP_KEYS DISP_SHOT DISP_STATS SOUND_LOG
printf '0.5 SPACE\n1.5 ESC\n' >"$work/keys"
export DISP_KEYS="$work/keys"

# Runs the game for at most 20 s; sets $status and $err (its stderr).
play() {
  status=0
  timeout -k 5 20 "$quib" "$@" 2>"$work/err" || status=$?
  err=$(cat "$work/err")
  [ "$status" -eq 124 ] || [ "$status" -eq 137 ] && fail "hung: $*"
}
# $1: what; $2: wanted status; $3: text the one stderr line must hold.
expect() {
  [ "$status" -eq "$2" ] || fail "$1: exit status $status, wanted $2 ($err)"
  grep -q -- "$3" <<<"$err" || fail "$1: stderr lacks '$3': $err"
  [ "$(grep -c 'quib:' <<<"$err")" -eq 1 ] || fail "$1: not one line of ours: $err"
}

mkfifo "$work/fifo"
play --record "$work/fifo"
expect "recording into a FIFO" 2 "cannot record into '.*fifo': not a regular file"
QUIB_STATS="$work/fifo" play
expect "statistics into a FIFO" 4 "cannot write the statistics to '.*fifo': not a regular file"
# A FIFO with a reader opens at once; it is still no place for the statistics.
sleep 30 <>"$work/fifo" &
holder=$!
QUIB_STATS="$work/fifo" play
expect "statistics into a FIFO with a reader" 4 "not a regular file"
kill "$holder"
mkdir "$work/dir"
QUIB_STATS="$work/dir" play
expect "statistics into a directory" 4 "not a regular file"
play --record /dev/full
expect "recording into /dev/full" 2 "not a regular file"
# The last frame is saved by the display library, which says why it cannot; the run fails.
QUIB_LASTFRAME="$work/dir" play
[ "$status" -eq 4 ] || fail "last frame into a directory: exit status $status ($err)"
grep -q "savebmp: cannot write" <<<"$err" || fail "last frame into a directory: nothing said: $err"
# A path of 100 KB is named cut short.
QUIB_STATS="$work/$(head -c 100000 /dev/zero | tr '\0' x)" play
expect "statistics into a 100 KB path" 4 "File name too long"
# Our one line is measured, not all of stderr: a loaded machine may add a library's note.
ours=$(grep 'quib:' <<<"$err")
[ "${#ours}" -lt 400 ] || fail "a 100 KB path named at length: ${#ours} bytes: ${err:0:600}"

# Standard output that cannot take --version.
status=0
timeout -k 5 20 "$quib" --version >/dev/full 2>"$work/err" || status=$?
err=$(cat "$work/err")
expect "--version into /dev/full" 4 "cannot write to standard output"

# With stderr closed a warning of ours would land in the recording: it must not.
status=0
DISP_SIZE=bogus timeout -k 5 20 "$quib" --record "$work/closed.txt" 2>&- || status=$?
[ "$status" -eq 0 ] || fail "closed stderr: exit status $status"
[ "$(head -n1 "$work/closed.txt")" = "quib-replay 1" ] || fail "closed stderr: the recording starts $(head -c 80 "$work/closed.txt")"
play --replay "$work/closed.txt"
[ "$status" -eq 0 ] || fail "closed stderr: its recording does not replay: $err"

# A full disk: a 64 KB tmpfs, where this test may mount one.
mnt="$work/full"
mkdir "$mnt"
if mount -t tmpfs -o size=64k tmpfs "$mnt" 2>/dev/null; then
  head -c 60000 /dev/zero >"$mnt/ballast" 2>/dev/null
  # About a game-minute of frames records more than the 4 KB left.
  : >"$work/nokeys"
  DISP_QUIT_AT=60 DISP_KEYS="$work/nokeys" play --record "$mnt/run.txt"
  expect "recording onto a full disk" 4 "cannot write the recording to '.*run.txt': No space left"
  head -c 4096 /dev/zero >"$mnt/more" 2>/dev/null
  QUIB_STATS="$mnt/stats" play
  expect "statistics onto a full disk" 4 "cannot write the statistics to '.*stats': No space left"
else
  mnt=""
  echo "SKIP: full disk (cannot mount a tmpfs here: not root, or no mount rights)"
fi

if [ "$failures" -gt 0 ]; then
  exit 1
fi
echo "PASS"
