#!/usr/bin/env bash
# Builds quib (installing what is missing) and starts it from the repository root,
# where the game finds its sounds under audio/.
set -euo pipefail
cd "$(dirname "$0")"
tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DQUIB_BUILD_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)" --target quib
exec ./build/quib "$@"
