#!/usr/bin/env bash
# Whole-process figures of the real game: time from exec to the first frame shown, and CPU
# used per second of wall time while auto-playing in a real window under Xvfb.
# Compare the CPU figure with bench/disp_cpu.sh's bare SDL program (60 empty frames/s).
# Usage: bench/game_cpu.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
secs=${2:-10}
command -v Xvfb >/dev/null || { echo "Xvfb is not installed" >&2; exit 1; }
cd "$root"

work=$(mktemp -d /tmp/game_cpu.XXXXXX)
xvfb=""
trap '[ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
Xvfb :97 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1
export DISPLAY=:97 ALSOFT_DRIVERS=null

# Exec to first frame: the game quits on its own clock right after its first frame is
# due (1/60 s after the window opens), so the whole run bounds the time to that frame.
TIMEFORMAT='%R'
runs=()
for i in $(seq 1 11); do
  t=$( { time DISP_QUIT_AT=0.018 "$build/quib" >/dev/null 2>&1; } 2>&1 )
  runs+=("$t")
done
printf '%s\n' "${runs[@]}" | sort -n | awk '{a[NR]=$1} END {printf "exec_to_first_frame_ms_median %.1f\n", a[int((NR+1)/2)]*1000}'

# CPU while auto-playing (F12 at 0.5 s), after one second of warm-up left in the figure.
printf '0.5 F12\n' >"$work/keys"
TIMEFORMAT='%R %U %S'
t=$( { time DISP_KEYS="$work/keys" DISP_QUIT_AT="$secs" "$build/quib" >/dev/null 2>&1; } 2>&1 )
echo "$t" | awk '{printf "game_cpu_pct %.2f (wall %.1f s)\n", 100 * ($2 + $3) / $1, $1}'
