# Shared by the tests that run a real window under Xvfb (sourced, not run): skips (77)
# where Xvfb or xdotool is missing, starts Xvfb on a free display in a scratch folder
# $work, cleans up at exit, and gives fail() and waitfor().
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed: skipped"; exit 77; }
done

work=$(mktemp -d /tmp/disp_xvfb.XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; echo "--- probe output:"; cat "$work"/out* 2>/dev/null; exit 1; }

# Xvfb picks a free display number and writes it to the file.
Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-800x600x24}" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"
unset DISP_HEADLESS DISP_CLOCK DISP_KEYS DISP_QUIT_AT DISP_SHOT SDL_VIDEODRIVER

# Waits until the file $1 holds a line matching $2.
waitfor() {
  for _ in $(seq 200); do grep -q "$2" "$1" && return 0; sleep 0.05; done
  return 1
}
