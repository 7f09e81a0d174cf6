#!/usr/bin/env bash
# The cost of a gamepad on the game's hot path: the real game auto-playing in a window under
# Xvfb, without and with an idle scripted pad plugged in, for each build given (say main's
# and this branch's), alternating, twice. Per run: CPU in % of one core over SECONDS after
# 2 s of warm-up, and the SDL pumps and main-loop passes of DISP_STATS.
# Usage: bench/pad_cpu.sh SECONDS BUILD_DIR [BUILD_DIR...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
secs=$1
shift
builds=()
for b in "$@"; do builds+=("$(cd "$b" && pwd)"); done
build=${builds[0]}
. "$root/bench/cpu/lib.sh"
export ALSOFT_DRIVERS=null
printf '0.5 F12\n' >"$work/keys"
printf '1000 down a\n' >"$work/pad"  # plugged in when the window opens, pressed never
for round in 1 2; do
  for b in "${builds[@]}"; do
    for pad in no yes; do
      env=(DISP_KEYS="$work/keys" DISP_QUIT_AT=$((secs + 3)) DISP_STATS="$work/stats")
      [ "$pad" = yes ] && env+=(DISP_PAD_SCRIPT="$work/pad")
      env "${env[@]}" "$b/quib" >/dev/null 2>&1 &
      game=$!
      sleep 2
      pct=$(cpu_pct "$game" "$secs")
      wait "$game" || true
      printf 'round %s build %s pad %-3s cpu_pct %.2f pumps %s passes %s\n' "$round" "$b" "$pad" \
        "$pct" "$(awk '$1 == "pumps" {print $2}' "$work/stats")" \
        "$(awk '$1 == "passes" {print $2}' "$work/stats")"
    done
  done
done
echo "loadavg_at_end $(cut -d' ' -f1-3 /proc/loadavg | tr ' ' '/')"
