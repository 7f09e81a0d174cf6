#!/bin/sh
# Inside the two libraries code calls their readable internal functions; a numbered entry
# is only defined, and called only from outside (the headers' inline names, programs). An
# entry called from within would run its argument checks, error reports and locking a
# second time. Lists each such call. Usage: internal_calls.sh ROOT
set -eu
root=$1
cd "$root"
# The numbered entries, from the one table.
names=$(sed -n '/^#define QUIB_\(DISP\|SOUND\)_ENTRIES/,/^$/p' platform/entries.h |
  grep -oE 'X\([A-Za-z0-9_]+,' | sed 's/^X(//; s/,$//' | paste -sd'|' -)
[ -n "$names" ] || { echo "FAIL: no entries found in platform/entries.h"; exit 1; }
# Every line of the libraries' sources that names one followed by "(", comments cut, less
# the one name a definition starts with.
calls=$(find platform/disp platform/sound platform/core -name '*.cpp' -o -name '*.h' |
  grep -vxE 'platform/(disp/disp|sound/sound)\.h' | sort |
  xargs awk -v names="$names" '
    BEGIN { call = "(^|[^A-Za-z0-9_])(" names ")[(]"; def = "^[a-z_][a-z_0-9:* ]* (" names ")[(]" }
    { line = $0; sub(/\/\/.*/, "", line) }
    line ~ def { sub(/^[^(]*[(]/, "", line) }
    line ~ call { print FILENAME ":" FNR ": " $0 }')
if [ -n "$calls" ]; then
  echo "FAIL: numbered entries called inside the libraries:"
  echo "$calls"
  exit 1
fi
echo "PASS"
