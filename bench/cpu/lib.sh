# Shared by the CPU benchmarks (sourced): a scratch folder, an Xvfb on a free display,
# the floor and loop programs of bench/cpu/ compiled against BUILD's libdisp, and
# cpu_pct PID SECONDS (a process's CPU over that many seconds, from /proc).
command -v Xvfb >/dev/null || { echo "Xvfb is not installed" >&2; exit 1; }
[ -f "$build/libdisp.so" ] || { echo "no libdisp.so in $build: build first" >&2; exit 1; }
cpudir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

work=$(mktemp -d /tmp/bench_cpu.XXXXXX)
xvfb=""
trap '[ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT

sdl=$(pkg-config --cflags --libs sdl2)
for p in bare_sdl bare_sdl_loop; do
  gcc -O2 -I"$cpudir" "$cpudir/$p.c" -o "$work/$p" $sdl
done
for p in libdisp_frames libdisp_gameloop; do
  gcc -O2 -I"$cpudir" "$cpudir/$p.c" -o "$work/$p" -L"$build" -ldisp -Wl,-rpath,"$build"
done

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$work/display")"
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
