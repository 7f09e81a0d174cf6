# shellcheck shell=bash
# Shared by the tests that run a real window under Xvfb (sourced, not run): skips (77)
# where Xvfb or xdotool is missing, starts Xvfb (XVFB_SCREEN, default 800x600x24) on a free
# display with a scratch folder $work, cleans up at exit, and gives fail() and waitfor().
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed: skipped"; exit 77; }
done
# shellcheck source=tools/harness.sh
. "$(dirname "${BASH_SOURCE[0]}")/../../tools/harness.sh"

fail() { echo "FAIL: $*"; echo "--- probe output:"; cat "$work"/out* 2>/dev/null; exit 1; }

harness_scratch disp_xvfb
harness_xvfb "${XVFB_SCREEN:-800x600x24}" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
unset DISP_HEADLESS DISP_CLOCK DISP_KEYS DISP_QUIT_AT DISP_SHOT SDL_VIDEODRIVER

# Waits until the file $1 holds a line matching $2, for up to 30 s (a loaded machine).
waitfor() {
  for _ in $(seq 600); do grep -q "$2" "$1" && return 0; sleep 0.05; done
  return 1
}
