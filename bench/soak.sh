#!/usr/bin/env bash
# Soak: HOURS game-hours (fractions allowed) of the real game, headless on the virtual
# clock, auto-playing under random storms of every key, with the invariants checked after
# every step (QUIB_CHECK). Prints `name value` lines; fails on any violation, on a game
# that does not end cleanly, or on peak memory growing by more than 1 MB after hour one.
# Usage: bench/soak.sh HOURS [BUILD_DIR] [SEED]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
hours=${1:?usage: bench/soak.sh HOURS [BUILD_DIR] [SEED]}
build=$(cd "${2:-$root/build}" && pwd)
seed=${3:-$RANDOM$RANDOM}
awk -v h="$hours" 'BEGIN { exit !(h + 0 > 0 && h + 0 <= 1000) }' ||
  { echo "soak: HOURS must be a number above 0 and at most 1000" >&2; exit 2; }

work=$(mktemp -d /tmp/quib_soak.XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$root"

# The storm: bursts of random keys at random times, mostly SPACE and F12 (auto-play goes
# off at every new game), the direct moves, settings and restarts among them, now and
# then a long calm in which auto-play can climb the levels; Esc ends the run.
awk -v h="$hours" -v seed="$seed" 'BEGIN {
  srand(seed)
  split("SPACE SPACE SPACE SPACE F12 F12 F12 LEFT RIGHT UP DOWN KP_PLUS KP_MINUS HOME END R F9", k, " ")
  n = length(k); end = h * 3600; t = 0.5
  while (t < end) {
    burst = rand() < 0.2 ? 1 + int(rand() * 15) : 1
    for (i = 0; i < burst; i++) printf "%.3f %s\n", t, k[1 + int(rand() * n)]
    t += rand() < 0.03 ? rand() * 240 : -log(1 - rand()) * 2
  }
  printf "%.3f ESC\n", end
}' >"$work/keys"

start=$(date +%s.%N)
status=0
DISP_HEADLESS=1 DISP_CLOCK=virtual DISP_KEYS="$work/keys" ALSOFT_DRIVERS=null QUIB_CHECK=1 \
  QUIB_SEED="$seed" QUIB_STATS="$work/stats" "$build/quib" 2>"$work/err" || status=$?
end=$(date +%s.%N)

echo "seed $seed"
echo "game_hours $hours"
echo "keys $(wc -l <"$work/keys")"
grep -E '^(steps|games|deaths|jumps|furthest_loop|violations|peak_rss_kb_hour_[0-9]+) ' \
  "$work/stats" || true
growth=$(awk '/^peak_rss_kb_hour_/ { if (!n++) first = $2; else if ($2 - first > g) g = $2 - first }
              END { print g + 0 }' "$work/stats")
echo "rss_growth_kb_after_hour_1 $growth"
echo "wall_seconds $(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", b - a }')"
echo "exit_status $status"
head -n 5 "$work/err" >&2
violations=$(awk '/^violations / { print $2 }' "$work/stats")
[ "$status" -eq 0 ] && [ "${violations:-1}" -eq 0 ] && [ "$growth" -le 1024 ]
