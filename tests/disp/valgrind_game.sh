#!/usr/bin/env bash
# 60 s of the real game, headless on the virtual clock, auto-playing (F12 from a key
# script), under valgrind: fails on any invalid access or any leak outside the system
# libraries listed in tools/valgrind.supp. Usage: valgrind_game.sh QUIB SOURCE_DIR
set -euo pipefail
quib=$1 src=$2
command -v valgrind >/dev/null || { echo "valgrind is not installed (tools/setup.sh --test)"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '0.5 F12\n' >"$work/keys"
cd "$src"  # the game reads audio/ from the working directory
DISP_HEADLESS=1 DISP_CLOCK=virtual DISP_KEYS="$work/keys" DISP_QUIT_AT=60 QUIB_SEED=7 \
  ALSOFT_DRIVERS=null valgrind --error-exitcode=99 --leak-check=full \
  --show-leak-kinds=definite,indirect --errors-for-leak-kinds=definite,indirect \
  --suppressions="$src/tools/valgrind.supp" --log-file="$work/log" "$quib" || status=$?
sed -n '/HEAP SUMMARY/,$p' "$work/log"
exit "${status:-0}"
