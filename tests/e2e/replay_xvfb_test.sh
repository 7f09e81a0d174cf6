#!/usr/bin/env bash
# A real window under Xvfb, played with xdotool at random SPACE timings and recorded, then
# replayed headless: the same statistics and the same final frame. Then the X server is
# killed under a running game: the statistics are still written. Skips (77) without Xvfb.
set -u
quib=$1
cd "$(dirname "$0")/../.." || exit 1  # the repository root, where audio/ lies
. tests/disp/xvfb_lib.sh
export ALSOFT_DRIVERS=null
unset QUIB_SEED QUIB_STATS QUIB_LASTFRAME QUIB_CHECK

QUIB_STATS="$work/rec.stats" QUIB_LASTFRAME="$work/rec.bmp" \
  "$quib" --record "$work/run.txt" 2>"$work/out.rec" &
game=$!
pids+=("$game")
wid=$(timeout 20 xdotool search --sync --name '^quib_en$' | head -n1)
[ -n "$wid" ] || fail "no window titled quib_en"
xdotool windowfocus --sync "$wid"
seed=$RANDOM
echo "SPACE timings from seed $seed"
RANDOM=$seed
for _ in $(seq 14); do
  sleep "0.$(printf '%02d' $((RANDOM % 60 + 5)))"
  xdotool key space
done
sleep 0.3
xdotool key Escape
for _ in $(seq 200); do kill -0 "$game" 2>/dev/null || break; sleep 0.05; done
wait "$game" || fail "the recorded game exited with $?"
grep -q ' SPACE$' "$work/run.txt" || fail "no SPACE in the recording"
grep -q ' ESC$' "$work/run.txt" || fail "no Esc in the recording"

DISP_HEADLESS=1 DISP_CLOCK=virtual QUIB_STATS="$work/play.stats" QUIB_LASTFRAME="$work/play.bmp" \
  "$quib" --replay "$work/run.txt" 2>"$work/out.play" || fail "the replay exited with $?"
diff "$work/rec.stats" "$work/play.stats" || fail "statistics differ"
cmp -s "$work/rec.bmp" "$work/play.bmp" || fail "the final frames differ"
echo "recorded and replayed: $(tr '\n' ' ' <"$work/rec.stats")"

# The display goes away under a running game: whatever ends it, the statistics are written.
QUIB_STATS="$work/lost.stats" "$quib" 2>"$work/out.lost" &
game=$!
pids+=("$game")
timeout 20 xdotool search --sync --name '^quib_en$' >/dev/null || fail "no second window"
sleep 0.5
kill "$xvfb_pid"
for _ in $(seq 200); do kill -0 "$game" 2>/dev/null || break; sleep 0.05; done
kill -0 "$game" 2>/dev/null && fail "the game did not end when the display went away"
wait "$game"
echo "display lost: exit status $?, $(head -c 200 "$work/out.lost" | tr '\n' ' ')"
grep -q '^steps [1-9]' "$work/lost.stats" || fail "no statistics after the display was lost"
echo "PASS"
