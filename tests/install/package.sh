#!/usr/bin/env bash
# Checks the Debian package as a distribution would take it: built from debian/ with
# dpkg-buildpackage (tests off, a minute or two), lintian clean with --pedantic
# --display-info, then installed, played headless from /tmp, purged, nothing left behind.
# Usage: tests/install/package.sh [KEEP_DIR]   (KEEP_DIR receives the .deb and lintian's report)
set -uo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d /tmp/quib-package.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
fails=0
# shellcheck source=tests/install/common.sh
. "$repo/tests/install/common.sh"
export LC_ALL=C
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo -n"

version=$(sed -n 's/^project(quib VERSION \([0-9.]*\).*/\1/p' "$repo/CMakeLists.txt")
debversion=$(dpkg-parsechangelog -l "$repo/debian/changelog" -S Version)
[ "$debversion" = "$version" ] ||
  fail "debian/changelog is at $debversion, the project at $version: add a changelog entry"

# ---- Build from a clean copy of the sources ---------------------------------------------

step "dpkg-buildpackage -us -uc -b"
src=$tmp/src/quib-$version
mkdir -p "$src"
# The tracked and new files as they are now, none of the build folders.
if git -C "$repo" rev-parse --git-dir >/dev/null 2>&1; then
  (cd "$repo" && git ls-files -co --exclude-standard -z | grep -zv '^build' |
    tar --null -cf - -T - 2>/dev/null) | tar -xf - -C "$src"
else
  tar -C "$repo" --exclude='./build*' --exclude=./.git -cf - . | tar -xf - -C "$src"
fi
start=$(date +%s)
if ! (cd "$src" && timeout 900 dpkg-buildpackage -us -uc -b >"$tmp/build.log" 2>&1); then
  tail -40 "$tmp/build.log"
  fail "dpkg-buildpackage"
  exit 1
fi
echo "built in $(($(date +%s) - start)) s"
deb=$tmp/src/quib_${version}_amd64.deb
changes=$tmp/src/quib_${version}_amd64.changes
echo "$(basename "$deb"): Depends: $(dpkg-deb -f "$deb" Depends)"

step "lintian --pedantic --display-info --info"
lintian --pedantic --display-info --info "$changes" >"$tmp/lintian.log" 2>&1
grep -v '^running with root privileges' "$tmp/lintian.log"
grep -qE '^[EW]:' "$tmp/lintian.log" && fail "lintian reports errors or warnings"
echo "lintian: $(grep -cE '^[EWIP]:' "$tmp/lintian.log") tags"

step "the package's files"
dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|; s|/$||' | grep -v '^$' >"$tmp/files"
for want in /usr/games/quib /usr/lib/quib/libdisp.so.1.0.0 /usr/lib/quib/libsound.so.1 \
  /usr/share/quib/audio/bg.mp3 /usr/share/applications/quib.desktop \
  /usr/share/metainfo/quib.metainfo.xml /usr/share/man/man6/quib.6.gz \
  /usr/share/icons/hicolor/scalable/apps/quib.svg /usr/share/doc/quib/copyright \
  /usr/share/doc/quib/changelog.gz /usr/share/doc/quib/README.md \
  /usr/share/doc/quib/docs/api.md /usr/share/doc/quib/docs/fresh-game.png \
  /usr/share/doc/quib/platform/README.md /usr/share/doc/quib/platform/disp/README.md \
  /usr/share/doc/quib/platform/sound/README.md; do
  grep -qx "$want" "$tmp/files" || fail "the package lacks $want"
done
grep -E '^/usr/include|\.pc$|\.a$|/cmake/|^/usr/bin|/LICENSE$' "$tmp/files" &&
  fail "the package holds files it should not (developer files, /usr/bin, a second licence)"
dpkg-deb -e "$deb" "$tmp/control"
grep -rl ldconfig "$tmp/control" && fail "the package runs ldconfig for its private libraries"
dpkg-deb -x "$deb" "$tmp/root"
# The private libraries must not be in a path the dynamic linker searches, or be needed by
# name from the system: only the game's RPATH reaches them.
runpath=$(readelf -d "$tmp/root/usr/games/quib" | sed -n 's/.*RUNPATH.*\[\(.*\)\]/\1/p')
# shellcheck disable=SC2016  # the RUNPATH holds $ORIGIN itself
[ "$runpath" = '$ORIGIN/../lib/quib' ] || fail "/usr/games/quib RUNPATH is '$runpath'"
readelf -d "$tmp/root/usr/games/quib" | grep -q 'FLAGS.*BIND_NOW' || fail "the game is not linked with -z now"
strings "$tmp/root/usr/games/quib" | grep -qF "$src" && fail "the game holds the path it was built in"
doclinks package "$tmp/root/usr/share/doc/quib"
echo "$(grep -c . "$tmp/files") paths in the package"

# ---- Install, play, purge -----------------------------------------------------------------

step "install the package, play from /tmp, purge"
if [ -n "$sudo" ] && ! sudo -n true 2>/dev/null; then
  echo "skipped: installing a package needs root or sudo"
elif dpkg-query -W -f='${Status}' quib 2>/dev/null | grep -q 'ok installed'; then
  echo "skipped: quib is installed on this machine already; not touching it"
else
  if DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$deb" >"$tmp/apt.log" 2>&1; then
    dpkg -L quib >"$tmp/owned"
    # Debian keeps games in /usr/games, on every user's PATH (not on root's).
    got=$(cd /tmp && PATH=/usr/games:$PATH timeout 10 quib --version 2>&1)
    [ "$got" = "quib $version" ] || fail "quib --version says '$got'"
    playfrom packaged /usr/games/quib
    playfrom packaged-broken-audio /usr/games/quib /usr/share/quib
    DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -qq quib >>"$tmp/apt.log" 2>&1 ||
      fail "apt-get purge quib"
    dpkg-query -W -f='${Status}\n' quib 2>/dev/null | grep -q 'installed' &&
      fail "quib is still known to dpkg after the purge"
    # Whatever the package owned is gone, but for folders other packages still own.
    left=$(while IFS= read -r path; do
      [ "$path" != /. ] || continue
      [ -e "$path" ] || [ -L "$path" ] || continue
      [ -d "$path" ] && [ ! -L "$path" ] && dpkg-query -S "$path" >/dev/null 2>&1 && continue
      echo "$path"
    done <"$tmp/owned")
    [ -z "$left" ] || fail "left behind after the purge: $left"
    echo "purged: $(grep -c . "$tmp/owned") paths, none left"
  else
    cat "$tmp/apt.log"
    fail "apt-get install $deb"
  fi
fi

if [ $# -gt 0 ]; then
  mkdir -p "$1"
  cp "$deb" "$tmp/lintian.log" "$1/"
fi
[ $fails -eq 0 ] && echo "package check: all passed" || echo "package check: $fails failed"
exit $((fails > 0))
