#!/usr/bin/env bash
# Renders the README's screenshots with the headless display backend at 1600 x 1200: a fresh
# game, and an auto-played game in progress with the chasing line cutting through loops.
# With --window (needs Xvfb, xdotool and evilwm) also the real window under Xvfb: resized by
# the user to 1280 x 720 (bars beside the picture), and full screen on a 1920 x 1080 screen.
# With --examples, instead: the examples' pictures in docs/examples, each the frame its
# headless run in tests/api writes (build the examples first).
# Usage: tools/screenshots.sh [--window|--examples] [build-dir]   (run from anywhere)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" = "--examples" ]; then
  build=${2:-$root/build}
  ctest --test-dir "$build" -R '^api\.example\.' --output-on-failure >/dev/null ||
    { echo "an example's headless run failed: ctest --test-dir $build -R api.example" >&2; exit 1; }
  for dir in "$root"/examples/*/; do
    name=$(basename "$dir")
    cp "$build/tests/api/example_runs/$name.png" "$root/docs/examples/$name.png"
  done
  echo "wrote docs/examples/*.png"
  exit 0
fi
window=0
if [ "${1:-}" = "--window" ]; then
  window=1
  shift
fi
build=${1:-$root/build}
# shellcheck source=tools/harness.sh
. "$root/tools/harness.sh"
harness_scratch screenshots
keys=$work/keys
printf '0.5 F12\n20 F9\n' >"$keys"
cd "$root"
DISP_HEADLESS=1 DISP_CLOCK=virtual QUIB_SEED=2026 ALSOFT_DRIVERS=null DISP_SIZE=${SIZE:-1600x1200} \
  DISP_KEYS="$keys" DISP_QUIT_AT=${QUIT_AT:-26} \
  DISP_SHOT="0.3:docs/fresh-game.png,${SHOT_AT:-25}:docs/in-progress.png" \
  "$build/quib"
echo "wrote docs/fresh-game.png docs/in-progress.png"
[ "$window" = 1 ] || exit 0

# The window as a desktop shows it: a frame written by DISP_SHOT is what the window shows,
# bars included. Auto-play keeps the game going on the real clock.
printf '0.2 F12\n' >"$keys"
xvfbshot() {  # screen shot-file resize(WxH or "full")
  harness_xvfb "$1" || { echo "Xvfb did not start: $(cat "$work/xvfb.log")" >&2; exit 1; }
  harness_wm
  sleep 0.3
  if [ "$3" = full ]; then
    DISP_FULLSCREEN=1 QUIB_SEED=2026 ALSOFT_DRIVERS=null DISP_KEYS="$keys" \
      DISP_QUIT_AT=6 DISP_SHOT="5:$2" "$build/quib"
  else
    QUIB_SEED=2026 ALSOFT_DRIVERS=null DISP_KEYS="$keys" DISP_QUIT_AT=6 \
      DISP_SHOT="5:$2" "$build/quib" &
    local game=$! wid
    wid=$(xdotool search --sync --name '^quib' | head -n1)
    xdotool windowsize --sync "$wid" "${3%x*}" "${3#*x}"
    wait "$game"
  fi
  harness_stop
}
xvfbshot 1920x1080x24 docs/resized-window.png 1280x720
xvfbshot 1920x1080x24 docs/fullscreen.png full
echo "wrote docs/resized-window.png docs/fullscreen.png"
