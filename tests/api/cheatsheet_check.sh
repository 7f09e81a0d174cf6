#!/bin/sh
# The cheatsheet against the headers written beside it: one row for every entry the library
# headers declare, every C name and every facade function in it, every key name of <keys.h>.
# Usage: cheatsheet_check.sh ROOT
# shellcheck disable=SC2016  # the backquotes are Markdown's, matched as they are
set -eu
root=$1
sheet=$root/docs/cheatsheet.md
fail=0
bad() { echo "FAIL: $*"; fail=1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The entries: every function the two library headers declare outside their inline names.
grep -hE '^[a-z][a-z *]*[ *][A-Za-z_0-9]+\(' "$root/platform/disp/disp.h" \
  "$root/platform/sound/sound.h" | grep -v '^static inline' |
  sed 's/^.*[ *]\([A-Za-z_0-9]*\)(.*$/\1/' >"$tmp/entries"
# The rows of its tables, headers and rules left out.
grep -E '^\| `' "$sheet" >"$tmp/rows" || true
entries=$(wc -l <"$tmp/entries")
rows=$(wc -l <"$tmp/rows")
[ "$entries" -gt 300 ] || bad "only $entries entries found in the library headers"
[ "$rows" -eq "$entries" ] || bad "$rows rows for $entries entries"

# C: the readable name of each numbered entry, and each extension under its own name.
{
  grep -hoE '^static inline [a-z][a-z *]*[ *](disp|sound)_[a-z_0-9]+\(' \
    "$root/platform/disp/disp.h" "$root/platform/sound/sound.h" |
    sed 's/^.*[ *]\([a-z_0-9]*\)($/\1/'
  grep -E '^(disp|sound)_' "$tmp/entries"
} | sort -u >"$tmp/cnames"
# The C column of the rows, one name a row.
cut -d'|' -f3 "$tmp/rows" | tr -d ' `' | sort >"$tmp/ccells"
missing=$(comm -23 "$tmp/cnames" "$tmp/ccells")
[ -z "$missing" ] || bad "C names missing: $(echo "$missing" | tr '\n' ' ')"
twice=$(uniq -d "$tmp/ccells")
[ -z "$twice" ] || bad "C names on more than one row: $(echo "$twice" | tr '\n' ' ')"

# C++: every facade function (aliases included) named in the first column.
grep -hoE '^inline [a-z][a-z *]*[ *][a-z_0-9]+\(' "$root/facade/facade.h" |
  sed 's/^.*[ *]\([a-z_0-9]*\)($/\1/' | sort -u >"$tmp/facade"
cut -d'|' -f2 "$tmp/rows" | grep -oE '`[a-z_0-9]+[(`]' | tr -d '`(' | sort -u >"$tmp/fcells"
missing=$(comm -23 "$tmp/facade" "$tmp/fcells")
[ -z "$missing" ] || bad "facade functions missing: $(echo "$missing" | tr '\n' ' ')"

# Keys: each name of <keys.h> by itself, or inside a run such as `A`..`Z` or `F1`..`F24`.
keys=$(sed -n 's/^#define QUIB_KEY_\([A-Z_0-9]*\) .*/\1/p' "$root/facade/keys.h")
for k in $keys; do
  grep -Fq "\`$k\`" "$sheet" && continue
  case $k in
    [A-Z0-9]) grep -Fq '`A`..`Z`' "$sheet" && grep -Fq '`0`..`9`' "$sheet" && continue ;;
    F[0-9]*) grep -Eq '`F1`\.\.`F[0-9]+`' "$sheet" && continue ;;
    KP_[0-9]) grep -Fq '`KP_0`..`KP_9`' "$sheet" && continue ;;
  esac
  bad "key $k missing"
done

[ "$fail" -eq 0 ] && echo "$rows rows for $entries entries, $(wc -l <"$tmp/facade") facade names, $(wc -l <"$sheet") lines"
exit "$fail"
