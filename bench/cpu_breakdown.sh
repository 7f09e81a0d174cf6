#!/usr/bin/env bash
# Where the game's CPU goes. Sampled (perf, software clock: works without hardware counters)
# while it auto-plays in a real window under Xvfb, by thread and library: cpu_<part>_pct is
# that part's share of one core, share_<part>_pct its share of the game's CPU. Then, with
# callgrind on the headless backend (virtual clock, one course), the instructions each
# drawing entry costs per frame: exact and repeatable, however loaded the machine is.
# Usage: bench/cpu_breakdown.sh [BUILD_DIR] [SECONDS]   (needs linux-perf and valgrind)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
secs=${2:-20}
command -v perf >/dev/null || { echo "perf is not installed (linux-perf)" >&2; exit 1; }
. "$root/bench/cpu/lib.sh"
cd "$root"
export ALSOFT_DRIVERS=null
echo "loadavg_at_start $(cut -d' ' -f1-3 /proc/loadavg | tr ' ' '/')"

printf '0.5 F12\n' >"$work/keys"
freq=997
DISP_KEYS="$work/keys" DISP_QUIT_AT=$((secs + 2)) \
  perf record -q -F "$freq" -e cpu-clock -D 2000 -o "$work/perf.data" "$build/quib" \
  >/dev/null 2>&1
# One line per thread and library: "share% tid library". The main thread has the lowest id.
perf report -i "$work/perf.data" -s pid,dso --stdio -g none 2>/dev/null |
  awk '$1 ~ /%$/ {sub(/%/, "", $1); split($2, t, ":"); print $1, t[1], $3}' >"$work/rows"
samples=$(perf report -i "$work/perf.data" --stdio -g none 2>/dev/null |
  awk '/^# Samples:/ && !n {n = $3; sub(/K$/, "", n); if ($3 ~ /K$/) n *= 1000} END {print n}')
awk -v samples="$samples" -v freq="$freq" -v secs="$secs" '
  NR == 1 || $2 < main { if (NR == 1 || $2 < main) main = $2 }
  { row[NR] = $0 }
  END {
    for (i = 1; i <= NR; i++) {
      split(row[i], f, " ")
      pct = f[1]; lib = f[3]
      if (f[2] != main) part = "audio_threads"
      else if (lib ~ /libcairo|libpixman|libfreetype|libfontconfig|libpng|libz\./) part = "drawing_cairo"
      else if (lib ~ /libdisp/) part = "libdisp_own"
      else if (lib ~ /libSDL2|libX11|libxcb|libXext|libXau|libXdmcp/) part = "events_and_presenting"
      else if (lib ~ /kernel/) part = "kernel_main_thread"
      else if (lib ~ /libopenal|libsound|libmpg123|libsndfile/) part = "audio_calls_main_thread"
      else if (lib ~ /quib/) part = "game_logic"
      else part = "libc_libm_other"
      share[part] += pct
    }
    total = samples * 100 / (freq * secs)
    printf "cpu_total_pct %.2f\n", total
    n = split("drawing_cairo libdisp_own events_and_presenting kernel_main_thread game_logic audio_calls_main_thread libc_libm_other audio_threads", order, " ")
    for (k = 1; k <= n; k++)
      printf "cpu_%s_pct %.2f share_%s_pct %.1f\n", order[k], share[order[k]] * total / 100, order[k], share[order[k]]
  }' "$work/rows"

# Instructions per frame of each drawing entry, 20 s of auto-play on the virtual clock.
if command -v valgrind >/dev/null; then
  DISP_HEADLESS=1 DISP_CLOCK=virtual DISP_KEYS="$work/keys" DISP_QUIT_AT=20 QUIB_SEED=7 \
    DISP_STATS="$work/cgstats" valgrind --tool=callgrind --callgrind-out-file="$work/cg.out" \
    "$build/quib" >/dev/null 2>&1
  frames=$(awk '$1 == "frames" {print $2}' "$work/cgstats")
  callgrind_annotate --inclusive=yes "$work/cg.out" 2>/dev/null |
    awk -v frames="$frames" '{
        n = $1; gsub(/,/, "", n); name = $0
        sub(/^ *[0-9,]+ \( *[0-9.]+%\) +/, "", name); sub(/ \[.*$/, "", name)
        sub(/^[^:]*:/, "", name); sub(/\(.*$/, "", name) }
      name ~ /^(drawall|Circle186|dsp_cachedcircle|Circle187|Arc170|Line155|Clear164|Triangle166|DrawTextXY121|FreshWin45|IsNextMsg254)$/ && !seen[name]++ {
        printf "instr_per_frame_%s %.0f\n", name, n / frames }'
fi
