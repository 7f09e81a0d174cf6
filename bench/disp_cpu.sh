#!/usr/bin/env bash
# CPU cost of showing frames through libdisp in a real window (under Xvfb): 60 empty 800x600
# frames a second through the library, against a bare SDL program doing the same, plus the
# game's own loop pattern (one message or Delay28(1) per pass, a frame when due).
# Usage: bench/disp_cpu.sh [BUILD_DIR] [SECONDS]   (BUILD_DIR holds libdisp.so; default build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
secs=${2:-5}
[ -f "$build/libdisp.so" ] || { echo "no libdisp.so in $build: build first" >&2; exit 1; }
command -v Xvfb >/dev/null || { echo "Xvfb is not installed" >&2; exit 1; }

work=$(mktemp -d /tmp/disp_cpu.XXXXXX)
xvfb=""
trap '[ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT

# Shared by all three programs: a 60 Hz schedule on absolute deadlines, one second of
# warm-up, then the process's own CPU time (user + system) over the measured seconds.
cat >"$work/pace.h" <<'EOF'
#define _GNU_SOURCE
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>
static struct timespec next;
static void pace_start(void) { clock_gettime(CLOCK_MONOTONIC, &next); }
static void pace_wait(void) {
  next.tv_nsec += 1000000000L / 60;
  if (next.tv_nsec >= 1000000000L) { next.tv_nsec -= 1000000000L; next.tv_sec++; }
  clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, NULL);
}
static double cpu_s(void) {
  struct rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_utime.tv_sec + ru.ru_stime.tv_sec + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) * 1e-6;
}
static double now_s(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec + t.tv_nsec * 1e-9;
}
static void report(double cpu0, double t0, long frames) {
  double cpu = cpu_s() - cpu0, wall = now_s() - t0;
  printf("cpu_pct %.2f fps %.1f\n", 100 * cpu / wall, frames / wall);
}
EOF

# The bare SDL program: fill the window surface, update it, 60 times a second.
cat >"$work/bare_sdl.c" <<'EOF'
#include <SDL2/SDL.h>
#include "pace.h"
int main(int argc, char** argv) {
  int secs = atoi(argv[1]);
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
  SDL_Window* w = SDL_CreateWindow("bare", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 800, 600, SDL_WINDOW_SHOWN);
  if (!w) return 1;
  double cpu0 = 0, t0 = 0;
  long frames = 0;
  pace_start();
  for (long i = 0; i < 60L * (secs + 1); ++i) {
    if (i == 60) { cpu0 = cpu_s(); t0 = now_s(); frames = 0; }
    SDL_Event ev;
    while (SDL_PollEvent(&ev)) {}
    SDL_Surface* s = SDL_GetWindowSurface(w);
    SDL_FillRect(s, NULL, 0);
    SDL_UpdateWindowSurface(w);
    ++frames;
    pace_wait();
  }
  report(cpu0, t0, frames);
  return 0;
}
EOF

# The same through libdisp.
cat >"$work/libdisp_frames.c" <<'EOF'
#include <stdbool.h>
#include "pace.h"
bool CreateWin42(unsigned long, unsigned long);
void Clear164(void);
void FreshWin45(void);
bool IsNextMsg254(void);
int main(int argc, char** argv) {
  int secs = atoi(argv[1]);
  if (!CreateWin42(800, 600)) return 1;
  double cpu0 = 0, t0 = 0;
  long frames = 0;
  pace_start();
  for (long i = 0; i < 60L * (secs + 1); ++i) {
    if (i == 60) { cpu0 = cpu_s(); t0 = now_s(); frames = 0; }
    while (IsNextMsg254()) {}
    Clear164();
    FreshWin45();
    ++frames;
    pace_wait();
  }
  report(cpu0, t0, frames);
  return 0;
}
EOF

# The game's loop: each pass takes one message or pauses with Delay28(1); a frame is drawn
# when the 60 Hz drawing clock is due.
cat >"$work/libdisp_gameloop.c" <<'EOF'
#include <stdbool.h>
#include "pace.h"
bool CreateWin42(unsigned long, unsigned long);
void Clear164(void);
void FreshWin45(void);
bool IsNextMsg254(void);
bool IsWin47(void);
void Delay28(unsigned long);
double GetTimeR49(void);
int main(int argc, char** argv) {
  int secs = atoi(argv[1]);
  if (!CreateWin42(800, 600)) return 1;
  double draw = GetTimeR49(), start = draw, cpu0 = 0, t0 = 0;
  long frames = 0;
  bool measuring = false;
  while (IsWin47() && GetTimeR49() < start + secs + 1) {
    if (!measuring && GetTimeR49() >= start + 1) { measuring = true; cpu0 = cpu_s(); t0 = now_s(); frames = 0; }
    if (!IsNextMsg254()) Delay28(1);
    if (GetTimeR49() > draw + 1.0 / 60) {
      while (GetTimeR49() > draw + 1.0 / 60) draw += 1.0 / 60;
      Clear164();
      FreshWin45();
      ++frames;
    }
  }
  report(cpu0, t0, frames);
  return 0;
}
EOF

sdl=$(pkg-config --cflags --libs sdl2)
gcc -O2 -I"$work" "$work/bare_sdl.c" -o "$work/bare_sdl" $sdl
for p in libdisp_frames libdisp_gameloop; do
  gcc -O2 -I"$work" "$work/$p.c" -o "$work/$p" -L"$build" -ldisp -Wl,-rpath,"$build"
done

Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$work/display")"
unset DISP_HEADLESS DISP_CLOCK DISP_KEYS DISP_QUIT_AT DISP_SHOT DISP_STATS

ticks() { awk '{print $14 + $15}' "/proc/$xvfb/stat"; }
hz=$(getconf CLK_TCK)
run() {  # name, command...
  local name=$1
  shift
  "$@" "$secs" >"$work/result" &
  local pid=$!
  sleep 1
  local x0
  x0=$(ticks)
  wait "$pid"
  local x1
  x1=$(ticks)
  printf '%-34s %s xvfb_cpu_pct %.2f\n' "$name" "$(cat "$work/result")" \
    "$(echo "($x1 - $x0) * 100 / $hz / $secs" | bc -l)"
}

echo "60 empty 800x600 frames a second under Xvfb, ${secs} s measured after 1 s warm-up"
run "bare SDL (SDL defaults)" "$work/bare_sdl"
SDL_FRAMEBUFFER_ACCELERATION=0 run "bare SDL (X11 framebuffer)" "$work/bare_sdl"
run "libdisp (Clear164 + FreshWin45)" "$work/libdisp_frames"
run "libdisp, the game's loop pattern" "$work/libdisp_gameloop"
