#!/usr/bin/env bash
# Runs test programs with TMPDIR pointing at a fresh folder and fails when any of them
# leaves something in it: tests clean up what they make, passing or failing.
# Usage: tests/install/leftovers.sh PROGRAM GTEST_FILTER [PROGRAM GTEST_FILTER ...]
set -uo pipefail
tmp=$(mktemp -d /tmp/quib-leftovers.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
fails=0
while [ $# -ge 2 ]; do
  program=$1 filter=$2
  shift 2
  mkdir "$tmp/t"
  if ! TMPDIR=$tmp/t "$program" --gtest_filter="$filter" >"$tmp/log" 2>&1; then
    tail -20 "$tmp/log"
    echo "FAIL: $(basename "$program") $filter did not pass"
    fails=$((fails + 1))
  fi
  left=$(find "$tmp/t" -mindepth 1 -maxdepth 1 -printf '%f\n')
  if [ -n "$left" ]; then
    echo "FAIL: $(basename "$program") $filter left behind: $left"
    fails=$((fails + 1))
  else
    echo "$(basename "$program") $filter: nothing left behind"
  fi
  rm -rf "$tmp/t"
done
exit $((fails > 0))
