#!/usr/bin/env bash
# Checks quib as a player and a programmer receive it: `cmake --install` into a temporary
# prefix (file list, RPATH, desktop entry, metainfo, man page, the documentation's links,
# the game run headless from /tmp and from a moved prefix), programs built on the installed
# libraries through pkg-config and through find_package, and the Debian package (package.sh).
# Usage: tests/install/check.sh [BUILD_DIR]   (default build/; run after the build)
set -uo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
tmp=$(mktemp -d /tmp/quib-install.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
fails=0
# shellcheck source=tests/install/common.sh
. "$repo/tests/install/common.sh"

# ---- Install into a temporary prefix ---------------------------------------------------

step "cmake --install into a temporary prefix"
prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" || { cat "$tmp/install.log"; exit 1; }
export LC_ALL=C  # one sort order for the lists below and comm
(cd "$prefix" && find . \( -type f -o -type l \) | sed 's|^\./||' | sort) >"$tmp/have"
sort >"$tmp/want" <<LIST
bin/quib
include/quib/disp.h
include/quib/facade.h
include/quib/facade/facade.h
include/quib/facade/mystring.h
include/quib/facade/random.h
include/quib/facade/detail.h
include/quib/facade/quib.h
include/quib/quib.h
include/quib/platform/disp/disp.h
include/quib/platform/entries.h
include/quib/platform/sound/sound.h
include/quib/sound.h
lib/cmake/quib/quibConfig.cmake
lib/cmake/quib/quibConfigVersion.cmake
lib/cmake/quib/quibTargets.cmake
lib/pkgconfig/disp.pc
lib/pkgconfig/quib.pc
lib/pkgconfig/sound.pc
lib/quib/libdisp.so
lib/quib/libdisp.so.1
lib/quib/libdisp.so.1.0.0
lib/quib/libquibfacade.a
lib/quib/libsound.so
lib/quib/libsound.so.1
lib/quib/libsound.so.1.0.0
share/applications/quib.desktop
share/doc/quib/LICENSE
share/doc/quib/README.md
share/doc/quib/docs/api.md
share/doc/quib/docs/cheatsheet.md
share/doc/quib/docs/fresh-game.png
share/doc/quib/docs/fullscreen.png
share/doc/quib/docs/in-progress.png
share/doc/quib/docs/resized-window.png
share/doc/quib/examples/CMakeLists.txt
share/doc/quib/platform/README.md
share/doc/quib/platform/disp/README.md
share/doc/quib/platform/sound/README.md
share/icons/hicolor/128x128/apps/quib.png
share/icons/hicolor/256x256/apps/quib.png
share/icons/hicolor/48x48/apps/quib.png
share/icons/hicolor/scalable/apps/quib.svg
share/man/man6/quib.6
share/metainfo/quib.metainfo.xml
share/quib/audio/bg.mp3
share/quib/audio/sj1.wav
share/quib/audio/sj2.wav
share/quib/audio/sj3.wav
share/quib/audio/sj4.wav
LIST
missing=$(comm -23 "$tmp/want" "$tmp/have")
# More public headers may join include/quib/, more pages, pictures and examples the
# documentation; the per-configuration target file is named after the build type.
# Anything else is unexpected.
extra=$(comm -13 "$tmp/want" "$tmp/have" | grep -v '^include/quib/.*\.h$' |
  grep -v '^lib/cmake/quib/quibTargets-[a-z]*\.cmake$' |
  grep -vE '^share/doc/quib/(docs/.*\.(md|png)|examples/.*)$')
[ -z "$missing" ] || fail "not installed: $missing"
[ -z "$extra" ] || fail "installed but not expected: $extra"
[ "$(readlink "$prefix/lib/quib/libdisp.so.1")" = libdisp.so.1.0.0 ] || fail "libdisp.so.1 link"
[ "$(readlink "$prefix/lib/quib/libsound.so")" = libsound.so.1 ] || fail "libsound.so link"
runpath=$(readelf -d "$prefix/bin/quib" | sed -n 's/.*R\(UN\)\{0,1\}PATH.*\[\(.*\)\]/\2/p')
# shellcheck disable=SC2016  # the RUNPATH holds $ORIGIN itself
[ "$runpath" = '$ORIGIN/../lib/quib' ] || fail "bin/quib RUNPATH is '$runpath'"
for size in 48 128 256; do
  file "$prefix/share/icons/hicolor/${size}x$size/apps/quib.png" | grep -q "$size x $size, 8-bit/color RGBA" ||
    fail "the ${size}x$size icon is not a $size-pixel RGBA PNG"
done
echo "$(wc -l <"$tmp/have") files installed"

step "desktop entry, metainfo, man page, documentation"
desktop-file-validate "$prefix/share/applications/quib.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$prefix/share/metainfo/quib.metainfo.xml" >"$tmp/as.log" 2>&1 ||
  { cat "$tmp/as.log"; fail "appstreamcli validate"; }
warnings=$(MANWIDTH=80 man --warnings -l "$prefix/share/man/man6/quib.6" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "man --warnings: $warnings"
doclinks installed "$prefix/share/doc/quib"

step "the installed game, headless, from /tmp and from a moved prefix"
playfrom installed "$prefix/bin/quib"
playfrom installed-broken-audio "$prefix/bin/quib" "$prefix/share/quib"
mv "$prefix" "$tmp/moved"
playfrom moved "$tmp/moved/bin/quib"
mv "$tmp/moved" "$prefix"
# An installed copy never falls back on the sources it was built from: with one sound gone
# from the prefix, the line names the places tried, and the source tree is not one of them.
mv "$prefix/share/quib/audio/sj4.wav" "$tmp/sj4.wav"
mkdir -p "$tmp/run-nosj4"
(cd "$tmp/run-nosj4" && env -u QUIB_DATA_DIR DISP_HEADLESS=1 DISP_CLOCK=virtual DISP_QUIT_AT=1 \
  ALSOFT_DRIVERS=null timeout 60 "$prefix/bin/quib" 2>"$tmp/run-nosj4/err")
mv "$tmp/sj4.wav" "$prefix/share/quib/audio/sj4.wav"
grep -q "^quib: sound audio/sj4.wav not found (tried audio/sj4.wav in the working directory, '$prefix/share/quib/audio/sj4.wav'); playing on without it$" \
  "$tmp/run-nosj4/err" || { cat "$tmp/run-nosj4/err"; fail "installed: the missing sound's line"; }
grep -qF "$repo/audio" "$tmp/run-nosj4/err" && fail "installed: the game looked in the source tree"

# ---- Programs on the installed libraries -------------------------------------------------

examples=$(find "$repo/examples" -mindepth 2 -name '*.cpp' | sort | tr '\n' ';')
step "a program and the examples through pkg-config"
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
for pc in quib disp sound; do
  pkg-config --exists "$pc" || fail "pkg-config does not find $pc"
done
read -ra flags <<<"$(pkg-config --cflags --libs quib)"
if g++ -std=c++20 -Wall -Wextra "$repo/tests/install/consumer/hello.cpp" "${flags[@]}" \
     -o "$tmp/hello-pc" 2>"$tmp/cc.log"; then
  DISP_HEADLESS=1 "$tmp/hello-pc" || fail "hello built through pkg-config does not run"
else
  cat "$tmp/cc.log"; fail "hello does not build through pkg-config"
fi
printf '#include <disp.h>\nint main() { return CreateWin42(4, 4) ? 0 : 1; }\n' >"$tmp/d.cpp"
printf '#include <sound.h>\nint main() { return NewAudio2() != 0 ? 0 : 1; }\n' >"$tmp/s.cpp"
read -ra dflags <<<"$(pkg-config --cflags --libs disp)"
read -ra sflags <<<"$(pkg-config --cflags --libs sound)"
{ g++ -std=c++20 "$tmp/d.cpp" "${dflags[@]}" -o "$tmp/d" && DISP_HEADLESS=1 "$tmp/d"; } ||
  fail "a libdisp program through pkg-config disp"
{ g++ -std=c++20 "$tmp/s.cpp" "${sflags[@]}" -o "$tmp/s" && ALSOFT_DRIVERS=null "$tmp/s"; } ||
  fail "a libsound program through pkg-config sound"
for src in ${examples//;/ }; do
  name=$(basename "$(dirname "$src")")
  g++ -std=c++20 -Wall -Wextra "$src" "${flags[@]}" -o "$tmp/example-$name" 2>"$tmp/cc.log" ||
    { cat "$tmp/cc.log"; fail "example $name does not build through pkg-config"; }
done

step "the same through find_package(quib CONFIG)"
if cmake -S "$repo/tests/install/consumer" -B "$tmp/consumer" -DCMAKE_PREFIX_PATH="$prefix" \
     -DCMAKE_BUILD_TYPE=Release "-DQUIB_EXAMPLES=$examples" >"$tmp/cm.log" 2>&1 &&
   cmake --build "$tmp/consumer" -j"$(nproc)" >>"$tmp/cm.log" 2>&1; then
  DISP_HEADLESS=1 "$tmp/consumer/hello" || fail "hello built through find_package does not run"
else
  tail -30 "$tmp/cm.log"; fail "find_package(quib CONFIG) build"
fi
echo "examples built both ways: $(echo "$examples" | tr ';' '\n' | grep -c . || true)"

# ---- The Debian package ------------------------------------------------------------------

"$repo/tests/install/package.sh" "$build/package" || fail "the Debian package"

[ $fails -eq 0 ] && echo "install check: all passed" || echo "install check: $fails failed"
exit $((fails > 0))
