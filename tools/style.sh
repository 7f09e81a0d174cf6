#!/usr/bin/env bash
# The house style, checked cheaply: every tracked C and C++ file as .clang-format lays it
# out, and every shell script clean under shellcheck. Exits non-zero, naming the files, on
# any difference. `tools/style.sh --fix` rewrites the C and C++ files in place instead.
set -euo pipefail
cd "$(dirname "$0")/.."

fix=0
[ "${1:-}" = "--fix" ] && fix=1
status=0

mapfile -t sources < <(git ls-files -- '*.cpp' '*.h' '*.c' ':!tests/fuzz/corpus/**')
if [ "$fix" = 1 ]; then
  clang-format -i "${sources[@]}"
else
  bad=()
  for f in "${sources[@]}"; do
    clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
  done
  if [ ${#bad[@]} -gt 0 ]; then
    echo "style: ${#bad[@]} of ${#sources[@]} files differ from .clang-format (tools/style.sh --fix):" >&2
    printf '  %s\n' "${bad[@]}" >&2
    status=1
  fi
fi

# Scripts: the .sh files and the extensionless ones that start with a shell's #!.
mapfile -t scripts < <(git ls-files -- '*.sh' '.ci/run')
if ! shellcheck -x -S warning "${scripts[@]}"; then
  echo "style: shellcheck finds warnings or errors in the scripts above" >&2
  status=1
fi
[ "$status" = 0 ] && echo "style: ${#sources[@]} C/C++ files formatted, ${#scripts[@]} scripts shellcheck-clean"
exit "$status"
