#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under ASan + UBSan and runs each for a bounded
# time (FUZZ_SECONDS, default 60) from its seed corpus. A crash fails the run; the input
# that caused it is left in build-fuzz/crashes/ and belongs in the seed corpus as a test.
# FUZZ_TARGETS (names, e.g. "calls png") runs only those fuzzers; all of them by default.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
seconds=${FUZZ_SECONDS:-60}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUIB_SANITIZE=ON -DQUIB_FUZZ=ON -DQUIB_BUILD_TESTS=ON >/dev/null
names=()
for src in tests/fuzz/*_fuzz.cpp; do
  name=$(basename "$src" _fuzz.cpp)
  if [ -z "${FUZZ_TARGETS:-}" ] || [[ " $FUZZ_TARGETS " == *" $name "* ]]; then names+=("$name"); fi
done
if [ "${#names[@]}" -eq 0 ]; then
  echo "fuzz: no fuzzer named in FUZZ_TARGETS='${FUZZ_TARGETS:-}'" >&2
  exit 2
fi
targets=("${names[@]/#/fuzz_}")
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]}"
mkdir -p build-fuzz/crashes
export LSAN_OPTIONS="suppressions=$root/tools/lsan.supp:print_suppressions=0"
export ALSOFT_DRIVERS=null DISP_HEADLESS=1
for name in "${names[@]}"; do
  # Paths given to the fuzzer are absolute: the call fuzzer runs each input in a scratch
  # folder of its own, where a relative artifact path would name nothing.
  work="$root/build-fuzz/corpus-$name"
  mkdir -p "$work"
  echo "fuzz: $name for ${seconds}s"
  # Our libraries print one line for every file they refuse, which is most fuzz inputs;
  # those lines are dropped so the log keeps what matters (libFuzzer and sanitizers).
  status=0
  # A fuzzer's own libFuzzer options, if it has any, are in tests/fuzz/NAME.flags.
  flags=()
  [ -f "tests/fuzz/$name.flags" ] && read -r -a flags <"tests/fuzz/$name.flags"
  # What the call fuzzer did in all (calls, threads, hook callbacks) comes in a file.
  rm -f "build-fuzz/tally-$name"
  QUIB_CALLS_TALLY="$root/build-fuzz/tally-$name" \
    ./build-fuzz/fuzz_"$name" "$work" "$root/tests/fuzz/corpus/$name" \
    -max_total_time="$seconds" "${flags[@]}" -artifact_prefix="$root/build-fuzz/crashes/$name-" \
    -print_final_stats=1 2>build-fuzz/fuzz-"$name".raw || status=$?
  grep -Ev '^(sound|disp): ' build-fuzz/fuzz-"$name".raw >build-fuzz/fuzz-"$name".log || true
  rm -f build-fuzz/fuzz-"$name".raw
  if [ "$status" -ne 0 ]; then
    tail -60 build-fuzz/fuzz-"$name".log
    exit 1
  fi
  grep -E '^stat::number_of_executed_units' build-fuzz/fuzz-"$name".log || true
  cat "build-fuzz/tally-$name" 2>/dev/null || true
done
