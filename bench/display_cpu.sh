#!/usr/bin/env bash
# CPU of the game auto-playing (F12) and of the floor (a bare SDL program presenting 60 empty
# frames a second), whole process, with the display server's CPU, in one run: X11 (Xvfb)
# and native Wayland (weston, kiosk shell, nested in Xvfb, pixman; the game at scale 1 and
# 2), and the game's Wayland figure against its X11 one. Needs weston and a built quib.
# Usage: [BUILD=dir] bench/display_cpu.sh [SECONDS]
set -u
root=$(cd "$(dirname "$0")/.." && pwd); build=${BUILD:-$root/build}; secs=${1:-15}; d=$(mktemp -d)
export ALSOFT_DRIVERS=null
# shellcheck disable=SC2046  # pkg-config prints several flags
gcc -O2 -I"$root/bench/cpu" "$root/bench/cpu/bare_sdl.c" -o "$d/bare_sdl" $(pkg-config --cflags --libs sdl2)
hz=$(getconf CLK_TCK)
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
printf '0.5 F12\n' > "$d/keys"
measure() {  # label pid servers...
  local label=$1 g=$2; shift 2
  sleep 2
  local g0 s0=0 s1=0 g1
  g0=$(ticks "$g"); for s in "$@"; do s0=$((s0 + $(ticks "$s"))); done
  sleep "$secs"
  g1=$(ticks "$g"); for s in "$@"; do s1=$((s1 + $(ticks "$s"))); done
  kill "$g" 2>/dev/null; wait "$g" 2>/dev/null
  program=$(echo "($g1-$g0)*100/$hz/$secs" | bc -l)
  printf '%-40s program %5.1f%%  server %5.1f%%\n' "$label" "$program" \
    "$(echo "($s1-$s0)*100/$hz/$secs" | bc -l)"
}
westonat() {  # scale: a fresh weston of 800x600 pixels, nested in the Xvfb, as $w
  [ -n "${w:-}" ] && { kill "$w"; wait "$w" 2>/dev/null; }
  DISPLAY=:81 XDG_RUNTIME_DIR=$d/run weston --backend=x11-backend.so --shell=kiosk-shell.so \
    --use-pixman --no-config --socket=wl-cpu --width=$((800 / $1)) --height=$((600 / $1)) --scale="$1" >/dev/null 2>&1 &
  w=$!
  sleep 2
}
Xvfb :81 -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 & x=$!
sleep 1
DISPLAY=:81 SDL_FRAMEBUFFER_ACCELERATION=0 "$d/bare_sdl" $((secs + 5)) >/dev/null & measure "X11: floor (framebuffer)" $! $x
DISPLAY=:81 DISP_KEYS=$d/keys "$build/quib" >/dev/null 2>&1 & measure "X11: game (framebuffer, zero copy)" $! $x
onx11=$program
mkdir -m 700 "$d/run"
westonat 1
wl=(env XDG_RUNTIME_DIR="$d/run" WAYLAND_DISPLAY=wl-cpu SDL_VIDEODRIVER=wayland DISPLAY=)
"${wl[@]}" "$d/bare_sdl" $((secs + 5)) >/dev/null & measure "Wayland: floor (SDL's texture framebuffer)" $! $x $w
"${wl[@]}" DISP_KEYS="$d/keys" "$build/quib" >/dev/null 2>&1 & measure "Wayland: game (shared-memory buffers)" $! $x $w
onwayland=$program
westonat 2
"${wl[@]}" DISP_KEYS="$d/keys" "$build/quib" >/dev/null 2>&1 & measure "Wayland scale 2: game (as many pixels)" $! $x $w
printf 'the game on Wayland: %.1fx its X11 CPU\n' "$(echo "$onwayland/$onx11" | bc -l)"
kill $w $x; wait 2>/dev/null; rm -rf "$d"
