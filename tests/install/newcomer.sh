#!/usr/bin/env bash
# Follows the README's "Write your own game" steps word for word, as a newcomer would on a
# fresh machine: the blocks marked `<!-- newcomer: source -->` run in a fresh copy of the
# source, the blocks marked `<!-- newcomer: file NAME -->` become files in a folder of the
# programmer's own, and the blocks marked `<!-- newcomer: program -->` run there. HOME is a
# temporary folder, so the README's ~/.local is a clean prefix. Usage: newcomer.sh [REPO]
set -euo pipefail
repo=$(cd "${1:-$(dirname "$0")/../..}" && pwd)
tmp=$(mktemp -d /tmp/quib-newcomer.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
fail() {
  echo "FAIL: $*"
  exit 1
}

# ---- The README's marked blocks ---------------------------------------------------------

mkdir -p "$tmp/src" "$tmp/home" "$tmp/work"
: >"$tmp/source.sh"
: >"$tmp/program.sh"
awk -v dir="$tmp" '
  /^## / { inside = ($0 == "## Write your own game") }
  !inside { next }
  match($0, /^<!-- newcomer: [a-z]+( [^ ]+)? -->$/) {
    split(substr($0, 16, length($0) - 19), w, " ")
    out = w[1] == "file" ? dir "/work/" w[2] : dir "/" w[1] ".sh"
    want = 1
    next
  }
  want && /^```/ { want = 0; copying = 1; next }
  copying && /^```$/ { copying = 0; close(out); next }
  copying { print >> out }
' "$repo/README.md"
for f in source.sh program.sh work/hello.cpp work/hello.c work/CMakeLists.txt; do
  [ -s "$tmp/$f" ] || fail "the README has no marked block for $f"
done

# ---- A fresh copy of the source -----------------------------------------------------------

# What git tracks or would track, as it stands in the working tree: no build folders.
(cd "$repo" && git ls-files -z --cached --others --exclude-standard |
  xargs -0 tar -cf - 2>/dev/null) | tar -xf - -C "$tmp/src"

# Only the README's own settings: nothing inherited says where quib is.
unset PKG_CONFIG_PATH CMAKE_PREFIX_PATH QUIB_DATA_DIR
export ALSOFT_DRIVERS=null
# ccache, where there is one, only makes the same commands faster: it is handed over by
# CMake's environment variables, and keeps its cache outside the temporary home.
if command -v ccache >/dev/null; then
  export CCACHE_DIR=${CCACHE_DIR:-$(ccache -k cache_dir)} CCACHE_BASEDIR=$tmp
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi
export HOME=$tmp/home

echo "== the README's build and install, in a fresh copy of the source"
(cd "$tmp/src" && timeout 900 bash -euo pipefail "$tmp/source.sh") >"$tmp/source.log" 2>&1 ||
  { tail -40 "$tmp/source.log"; fail "the build and install steps"; }
grep -q "^QUIB_BUILD_TESTS:BOOL=OFF" "$tmp/src/build/CMakeCache.txt" ||
  fail "the default configure builds the tests"
if grep -q "^GTest_DIR:PATH=/" "$tmp/src/build/CMakeCache.txt"; then
  fail "the default configure looks for GoogleTest"
fi
[ -f "$HOME/.local/lib/pkgconfig/quib.pc" ] || fail "nothing installed under ~/.local"

echo "== the README's programs, built with pkg-config and with CMake, run headless"
(cd "$tmp/work" && timeout 300 bash -euo pipefail "$tmp/program.sh") >"$tmp/program.log" 2>&1 ||
  { cat "$tmp/program.log"; fail "the program steps"; }
# The README runs the pkg-config builds; the find_package builds run the same way.
for exe in build/hello build/hello_c; do
  (cd "$tmp/work" && DISP_HEADLESS=1 DISP_QUIT_AT=1 timeout 60 "./$exe") ||
    fail "$exe (find_package) did not run"
done
echo "newcomer: the README's steps work in a clean prefix"
