#!/usr/bin/env bash
# What leaves libdisp and libsound: exactly the entries of the tables (no C++ standard
# library symbols), each under the version node DISP_1 / SOUND_1, and the SONAME that
# matches the file the game links. Usage: exports.sh ENTRYNAMES LIBDISP LIBSOUND
set -euo pipefail
entrynames=$1
declare -A libs=([disp]=$2 [sound]=$3)
declare -A nodes=([disp]=DISP_1 [sound]=SOUND_1)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail=0
for lib in disp sound; do
  file=${libs[$lib]}
  "$entrynames" | awk -v l="$lib" '$1 == l { print $2 }' | sort >"$tmp/want"
  # Defined dynamic symbols without their version suffix (newer nm prints NAME@@NODE),
  # and without the version node's own marker symbol.
  nm -D --defined-only "$file" | awk -v n="${nodes[$lib]}" '{ sub(/@.*/, "", $3) } $3 != n { print $3 }' |
    sort >"$tmp/have"
  if ! diff -u "$tmp/want" "$tmp/have" >"$tmp/diff"; then
    echo "FAIL lib$lib: exports differ from the entry table (- missing, + extra):"
    grep '^[-+][^-+]' "$tmp/diff" | head -40
    fail=1
  fi
  # Every exported symbol carries the version node.
  unversioned=$(objdump -T "$file" | awk -v n="${nodes[$lib]}" \
    '$2 == "g" && $4 != "*UND*" && $(NF-1) != n && $(NF-1) != "(" n ")" { print $NF }' | head -5)
  if [ -n "$unversioned" ]; then
    echo "FAIL lib$lib: exported without ${nodes[$lib]}: $unversioned"
    fail=1
  fi
  soname=$(readelf -d "$file" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
  if [ "$soname" != "lib$lib.so.1" ]; then
    echo "FAIL lib$lib: SONAME is '$soname', not lib$lib.so.1"
    fail=1
  fi
  echo "lib$lib: $(wc -l <"$tmp/have") symbols exported, SONAME $soname"
done
exit $fail
