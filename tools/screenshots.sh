#!/usr/bin/env bash
# Renders the README's screenshots with the headless display backend: a fresh game, and
# an auto-played game in progress with the chasing line cutting through loops.
# Usage: tools/screenshots.sh [build-dir]   (run from anywhere; writes docs/*.png)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
keys=$(mktemp)
trap 'rm -f "$keys"' EXIT
printf '0.5 F12\n20 F9\n' >"$keys"
cd "$root"
DISP_HEADLESS=1 DISP_CLOCK=virtual QUIB_SEED=2026 ALSOFT_DRIVERS=null \
  DISP_KEYS="$keys" DISP_QUIT_AT=${QUIT_AT:-26} \
  DISP_SHOT="0.3:docs/fresh-game.png,${SHOT_AT:-25}:docs/in-progress.png" \
  "$build/quib"
echo "wrote docs/fresh-game.png docs/in-progress.png"
