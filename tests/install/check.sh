#!/usr/bin/env bash
# Checks quib as a player and a programmer receive it: `cmake --install` into a temporary
# prefix (file list, RPATH, desktop entry, metainfo, man page, the game run headless from
# /tmp and from a moved prefix), programs built on the installed libraries through
# pkg-config and through find_package, and the .deb (lintian, install, play, remove).
# Usage: tests/install/check.sh [BUILD_DIR]   (default build/; run after the build)
set -uo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
tmp=$(mktemp -d /tmp/quib-install.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }
step() { echo "== $*"; }
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo -n"

# A short headless game from a folder that has no audio/: one SPACE, 3 s of virtual time.
# Prints stderr on failure; passes when it exits 0, loads every sound and plays the music.
playfrom() {  # playfrom LABEL BINARY
  local label=$1 bin=$2 run=$tmp/run-$1
  mkdir -p "$run"
  printf '0.5 SPACE\n' >"$run/keys"
  (cd "$run" && env -u QUIB_DATA_DIR DISP_HEADLESS=1 DISP_CLOCK=virtual DISP_QUIT_AT=3 \
    DISP_KEYS="$run/keys" ALSOFT_DRIVERS=null SOUND_LOG="$run/sound.log" QUIB_SEED=7 \
    timeout 60 "$bin" 2>"$run/err")
  local status=$?
  if [ $status -ne 0 ]; then
    fail "$label: exit status $status"; cat "$run/err"
  elif grep -q "cannot load" "$run/err"; then
    fail "$label: sounds not found"; cat "$run/err"
  elif ! grep -q "^play bg.mp3" "$run/sound.log" 2>/dev/null; then
    fail "$label: the music never played"
  else
    echo "$label: played with sound from $run"
  fi
}

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
# More public headers may join include/quib/; the per-configuration target file is named
# after the build type. Anything else is unexpected.
extra=$(comm -13 "$tmp/want" "$tmp/have" | grep -v '^include/quib/.*\.h$' |
  grep -v '^lib/cmake/quib/quibTargets-[a-z]*\.cmake$')
[ -z "$missing" ] || fail "not installed: $missing"
[ -z "$extra" ] || fail "installed but not expected: $extra"
[ "$(readlink "$prefix/lib/quib/libdisp.so.1")" = libdisp.so.1.0.0 ] || fail "libdisp.so.1 link"
[ "$(readlink "$prefix/lib/quib/libsound.so")" = libsound.so.1 ] || fail "libsound.so link"
runpath=$(readelf -d "$prefix/bin/quib" | sed -n 's/.*R\(UN\)\{0,1\}PATH.*\[\(.*\)\]/\2/p')
[ "$runpath" = '$ORIGIN/../lib/quib' ] || fail "bin/quib RUNPATH is '$runpath'"
for size in 48 128 256; do
  file "$prefix/share/icons/hicolor/${size}x$size/apps/quib.png" | grep -q "$size x $size, 8-bit/color RGBA" ||
    fail "the ${size}x$size icon is not a $size-pixel RGBA PNG"
done
echo "$(wc -l <"$tmp/have") files installed"

step "desktop entry, metainfo, man page"
desktop-file-validate "$prefix/share/applications/quib.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$prefix/share/metainfo/quib.metainfo.xml" >"$tmp/as.log" 2>&1 ||
  { cat "$tmp/as.log"; fail "appstreamcli validate"; }
warnings=$(MANWIDTH=80 man --warnings -l "$prefix/share/man/man6/quib.6" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "man --warnings: $warnings"

step "the installed game, headless, from /tmp and from a moved prefix"
playfrom installed "$prefix/bin/quib"
mv "$prefix" "$tmp/moved"
playfrom moved "$tmp/moved/bin/quib"
mv "$tmp/moved" "$prefix"

# ---- Programs on the installed libraries -------------------------------------------------

examples=$(ls "$repo"/examples/*/*.cpp 2>/dev/null | tr '\n' ';')
step "a program and the examples through pkg-config"
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
for pc in quib disp sound; do
  pkg-config --exists "$pc" || fail "pkg-config does not find $pc"
done
cflags=$(pkg-config --cflags quib) libs=$(pkg-config --libs quib)
if g++ -std=c++20 -Wall -Wextra "$repo/tests/install/consumer/hello.cpp" $cflags $libs \
     -o "$tmp/hello-pc" 2>"$tmp/cc.log"; then
  DISP_HEADLESS=1 "$tmp/hello-pc" || fail "hello built through pkg-config does not run"
else
  cat "$tmp/cc.log"; fail "hello does not build through pkg-config"
fi
printf '#include <disp.h>\nint main() { return CreateWin42(4, 4) ? 0 : 1; }\n' >"$tmp/d.cpp"
printf '#include <sound.h>\nint main() { return NewAudio2() != 0 ? 0 : 1; }\n' >"$tmp/s.cpp"
g++ -std=c++20 "$tmp/d.cpp" $(pkg-config --cflags --libs disp) -o "$tmp/d" && DISP_HEADLESS=1 "$tmp/d" ||
  fail "a libdisp program through pkg-config disp"
g++ -std=c++20 "$tmp/s.cpp" $(pkg-config --cflags --libs sound) -o "$tmp/s" && ALSOFT_DRIVERS=null "$tmp/s" ||
  fail "a libsound program through pkg-config sound"
for src in ${examples//;/ }; do
  name=$(basename "$(dirname "$src")")
  g++ -std=c++20 -Wall -Wextra "$src" $cflags $libs -o "$tmp/example-$name" 2>"$tmp/cc.log" ||
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

step "cpack -G DEB"
rm -f "$build"/quib_*.deb
(cd "$build" && cpack -G DEB >"$tmp/cpack.log" 2>&1) || { cat "$tmp/cpack.log"; fail "cpack"; }
deb=$build/quib_${version}_amd64.deb
if [ -f "$deb" ]; then
  echo "$(basename "$deb"): $(dpkg-deb -f "$deb" Depends)"
  dpkg-deb -c "$deb" | awk '{ print $6 }' >"$tmp/deb-files"
  for want in ./usr/games/quib ./usr/lib/quib/libdisp.so.1.0.0 ./usr/lib/quib/libsound.so.1 \
    ./usr/share/quib/audio/bg.mp3 ./usr/share/applications/quib.desktop \
    ./usr/share/man/man6/quib.6.gz ./usr/share/doc/quib/copyright; do
    grep -qx "$want" "$tmp/deb-files" || fail "the .deb lacks $want"
  done
  grep -E '/usr/include/|\.pc$|\.a$|/cmake/' "$tmp/deb-files" && fail "the .deb holds developer files"
  lintian --fail-on error "$deb" \
    >"$tmp/lintian.log" 2>&1 || { cat "$tmp/lintian.log"; fail "lintian reports errors"; }
  grep -E '^[WE]:' "$tmp/lintian.log" || true

  step "install the .deb, play, remove"
  if [ -n "$sudo" ] && ! sudo -n true 2>/dev/null; then
    echo "skipped: installing a package needs root or sudo"
  else
    if DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$deb" >"$tmp/apt.log" 2>&1; then
      # Debian keeps games in /usr/games, on every user's PATH (not on root's).
      got=$(cd /tmp && PATH=/usr/games:$PATH timeout 10 quib --version 2>&1)
      [ "$got" = "quib $version" ] || fail "quib --version says '$got'"
      playfrom packaged /usr/games/quib
      DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -qq quib >>"$tmp/apt.log" 2>&1 ||
        fail "apt-get remove quib"
      [ ! -e /usr/games/quib ] || fail "/usr/games/quib is still there after apt-get remove"
    else
      cat "$tmp/apt.log"; fail "apt-get install $deb"
    fi
  fi
else
  fail "no $deb"
fi

[ $fails -eq 0 ] && echo "install check: all passed" || echo "install check: $fails failed"
exit $((fails > 0))
