#!/usr/bin/env bash
# CPU cost of showing frames through libdisp in a real window (under Xvfb): 60 empty 800x600
# frames a second through the library, against a bare SDL program doing the same, plus the
# game's own loop pattern (one message or Delay28(1) per pass, a frame when due).
# Usage: bench/disp_cpu.sh [BUILD_DIR] [SECONDS]   (BUILD_DIR holds libdisp.so; default build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
secs=${2:-5}
. "$root/bench/cpu/lib.sh"

# Each program runs one second of warm-up, then measures its own CPU (user + system).
run() {  # name, command...
  local name=$1
  shift
  "$@" "$secs" >"$work/result" &
  local pid=$!
  sleep 1
  local x0
  x0=$(ticks "$xvfb_pid")
  wait "$pid"
  local x1
  x1=$(ticks "$xvfb_pid")
  printf '%-34s %s xvfb_cpu_pct %.2f\n' "$name" "$(cat "$work/result")" \
    "$(echo "($x1 - $x0) * 100 / $hz / $secs" | bc -l)"
}

echo "60 empty 800x600 frames a second under Xvfb, ${secs} s measured after 1 s warm-up"
run "bare SDL (SDL defaults)" "$work/bare_sdl"
SDL_FRAMEBUFFER_ACCELERATION=0 run "bare SDL (X11 framebuffer)" "$work/bare_sdl"
SDL_FRAMEBUFFER_ACCELERATION=0 run "bare SDL, 1 ms pauses (loop floor)" "$work/bare_sdl_loop"
run "libdisp (Clear164 + FreshWin45)" "$work/libdisp_frames"
run "libdisp, the game's loop pattern" "$work/libdisp_gameloop"
