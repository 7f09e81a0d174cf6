#!/usr/bin/env bash
# Whole-process figures of the real game in a real window under Xvfb, all from one run:
# time from exec to the first frame shown; CPU while auto-playing, against the floor (a bare
# SDL program presenting 60 empty frames a second through the window framebuffer) and the
# same floor pausing 1 ms per pass as the game's loop must, both measured just before it;
# and the game's frame intervals from DISP_STATS over the same auto-play.
# Usage: bench/game_cpu.sh [BUILD_DIR] [SECONDS]   (SECONDS of auto-play measured; default 60)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
secs=${2:-60}
. "$root/bench/cpu/lib.sh"
cd "$root"
export ALSOFT_DRIVERS=${ALSOFT_DRIVERS:-null}  # pulse, with a server, for the desktop figure
echo "loadavg_at_start $(cut -d' ' -f1-3 /proc/loadavg | tr ' ' '/')"

# Exec to first frame: the game quits on its own clock right after its first frame is
# due (1/60 s after the window opens), so the whole run bounds the time to that frame.
TIMEFORMAT='%R'
runs=()
for _ in $(seq 1 11); do
  t=$( { time DISP_QUIT_AT=0.018 "$build/quib" >/dev/null 2>&1; } 2>&1)
  runs+=("$t")
done
printf '%s\n' "${runs[@]}" | sort -n |
  awk '{a[NR]=$1} END {printf "exec_to_first_frame_ms_median %.1f\n", a[int((NR+1)/2)]*1000}'

# The floor, after its own second of warm-up.
fsecs=$((secs < 20 ? secs : 20))
floor=$(SDL_FRAMEBUFFER_ACCELERATION=0 "$work/bare_sdl" "$fsecs" | awk '{print $2}')
echo "floor_cpu_pct $floor"
# The same with the main loop's 1,000 pauses a second: the floor of any program that keeps
# the game's loop, before it draws or plays anything.
loopfloor=$(SDL_FRAMEBUFFER_ACCELERATION=0 "$work/bare_sdl_loop" "$fsecs" | awk '{print $2}')
echo "floor_loop_cpu_pct $loopfloor"

# The game auto-playing (F12 at 0.5 s); CPU over `secs` seconds after two of warm-up.
printf '0.5 F12\n' >"$work/keys"
DISP_KEYS="$work/keys" DISP_QUIT_AT=$((secs + 3)) DISP_STATS="$work/stats" \
  "$build/quib" >/dev/null 2>&1 &
game=$!
sleep 2
x0=$(ticks "$xvfb_pid")
pct=$(cpu_pct "$game" "$secs")
x1=$(ticks "$xvfb_pid")
wait "$game"
printf 'game_cpu_pct %.2f\n' "$pct"
printf 'game_over_floor_ratio %.2f\n' "$(echo "$pct / $floor" | bc -l)"
printf 'loop_floor_over_floor_ratio %.2f\n' "$(echo "$loopfloor / $floor" | bc -l)"
printf 'game_over_loop_floor_ratio %.2f\n' "$(echo "$pct / $loopfloor" | bc -l)"
printf 'xvfb_cpu_pct_during_game %.2f\n' "$(echo "($x1 - $x0) * 100 / $hz / $secs" | bc -l)"
awk '$1 == "frame_ms_median" {print "frame_interval_ms_median", $2}
     $1 == "frame_ms_p99" {print "frame_interval_ms_p99", $2}
     $1 == "frame_ms_max" {print "frame_interval_ms_max", $2}
     $1 == "draw_ms_median" || $1 == "frames" || $1 == "passes" || $1 == "pumps"' "$work/stats"
echo "loadavg_at_end $(cut -d' ' -f1-3 /proc/loadavg | tr ' ' '/')"
