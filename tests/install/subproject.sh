#!/usr/bin/env bash
# Builds tests/install/subproject (an outer project that add_subdirectory's the repository,
# with tests off and no GoogleTest needed) and runs its facade program headless.
# Usage: subproject.sh REPO BUILDDIR
set -euo pipefail
repo=$1
build=$2
rm -rf "$build"
# GoogleTest must not be needed: hide it from find_package.
cmake -S "$repo/tests/install/subproject" -B "$build" -DQUIB_SOURCE="$repo" \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON >"$build.log" 2>&1 ||
  { cat "$build.log"; exit 1; }
grep -q "^QUIB_BUILD_TESTS:BOOL=OFF" "$build/CMakeCache.txt" ||
  { echo "FAIL: tests are not off in a subproject build"; exit 1; }
cmake --build "$build" -j"$(nproc)" --target hello >>"$build.log" 2>&1 || { tail -40 "$build.log"; exit 1; }
DISP_HEADLESS=1 "$build/hello"
