#!/usr/bin/env bash
# tools/harness.sh leaves nothing behind: two scripts at once get an X server each on
# displays of their own, and when they end (normally or by a failing command) their Xvfb,
# window manager and PulseAudio are gone and their scratch folders removed. Skips (77)
# without Xvfb. Usage: harness_test.sh REPO
set -u
repo=$1
command -v Xvfb >/dev/null || { echo "Xvfb is not installed: skipped"; exit 77; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# One child script: the servers the machine has, what it started written to $out/NAME, then
# it ends with status $2 while everything still runs.
child() {
  bash -c '
    set -e
    . "$1/tools/harness.sh"
    harness_scratch harness_test
    harness_xvfb
    command -v evilwm >/dev/null && harness_wm
    command -v pulseaudio >/dev/null && { harness_pulse || echo "no pulse" >&2; }
    xdpyinfo >/dev/null 2>&1 || true
    printf "%s\n" "$DISPLAY" "$work" "${pids[@]}" >"$2.tmp"
    mv "$2.tmp" "$2"
    sleep "$3"
    false' child "$repo" "$out/$1" "$2"
}
child a 1 2>"$out/a.err" &
a=$!
child b 0.2 2>"$out/b.err" &
b=$!
wait "$b" && fail "a failing command did not end the script's status"
wait "$a"
for n in a b; do [ -s "$out/$n" ] || fail "child $n did not start: $(cat "$out/$n.err")"; done
[ "$(head -n1 "$out/a")" != "$(head -n1 "$out/b")" ] || fail "both got display $(head -n1 "$out/a")"
for n in a b; do
  mapfile -t got <"$out/$n"
  [ -d "${got[1]}" ] && fail "$n left its scratch folder ${got[1]}"
  for p in "${got[@]:2}"; do
    kill -0 "$p" 2>/dev/null && fail "$n left process $p ($(cat "/proc/$p/comm"))"
  done
done
echo "PASS"
