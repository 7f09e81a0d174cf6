# shellcheck shell=bash
# Shared by the CPU benchmarks (sourced): a scratch folder, an Xvfb on a free display,
# the floor and loop programs of bench/cpu/ compiled against BUILD's libdisp, and
# cpu_pct PID SECONDS (a process's CPU over that many seconds, from /proc).
command -v Xvfb >/dev/null || { echo "Xvfb is not installed" >&2; exit 1; }
[ -f "${build:?}/libdisp.so" ] || { echo "no libdisp.so in $build: build first" >&2; exit 1; }
cpudir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tools/harness.sh
. "$cpudir/../../tools/harness.sh"

harness_scratch bench_cpu

sdl=$(pkg-config --cflags --libs sdl2)
for p in bare_sdl bare_sdl_loop; do
  # shellcheck disable=SC2086 # pkg-config's flags are meant to be split
  gcc -O2 -I"$cpudir" "$cpudir/$p.c" -o "$work/$p" $sdl
done
for p in libdisp_frames libdisp_gameloop; do
  gcc -O2 -I"$cpudir" "$cpudir/$p.c" -o "$work/$p" -L"$build" -ldisp -Wl,-rpath,"$build"
done

harness_xvfb 1024x768x24 || { echo "Xvfb did not start: $(cat "$work/xvfb.log")" >&2; exit 1; }
unset DISP_HEADLESS DISP_CLOCK DISP_KEYS DISP_QUIT_AT DISP_SHOT DISP_STATS SDL_VIDEODRIVER

hz=$(getconf CLK_TCK)
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# CPU of process $1 over the next $2 seconds, in % of one core.
cpu_pct() {
  local t0 t1
  t0=$(ticks "$1")
  sleep "$2"
  t1=$(ticks "$1")
  echo "($t1 - $t0) * 100 / $hz / $2" | bc -l
}
