#!/usr/bin/env bash
# The game and its sound server at start-up: a server stopped (SIGSTOP) when the game starts
# holds up nothing (the first frame comes at once, silent) and is heard once it goes on, on
# PulseAudio and on PipeWire; a PulseAudio started after the game, with Debian's ALSA
# configuration in place, is heard within 3 s. Skips (77) without the servers.
# Usage: server_start_test.sh REPO BUILD
set -u
repo=$1
build=$2
for p in pulseaudio pactl parec python3; do
  command -v "$p" >/dev/null || { echo "no $p: skipped"; exit 77; }
done
# shellcheck source=tools/harness.sh
. "$repo/tools/harness.sh"
harness_scratch server_start_test
fail() {
  echo "FAIL: $*"
  tail -n 5 "$work"/game*.err
  exit 1
}
now() { date +%s%N; }
# The loudest sample of the null sink's monitor over 1 s (0 to 32767).
peak() {
  timeout 1 parec -d quibnull.monitor --raw --latency-msec=20 --rate=48000 --channels=2 \
    --format=s16le >"$work/rec.raw" 2>/dev/null
  python3 -c 'import array, sys
a = array.array("h", open(sys.argv[1], "rb").read())
print(max(map(abs, a), default=0))' "$work/rec.raw"
}
# Heard within $1 seconds: a loud second of the monitor.
heardwithin() {
  local until=$(($(now) + $1 * 1000000000))
  while [ "$(now)" -lt "$until" ]; do
    [ "$(peak)" -gt 1000 ] && return 0
  done
  return 1
}
# Starts the game (its stderr in $work/game-$1.err); $ms: milliseconds to its first frame.
startgame() {
  rm -f "$work/first.png"
  local t0
  t0=$(now)
  DISP_HEADLESS=1 DISP_QUIT_AT=40 QUIB_SEED=7 DISP_SHOT="0:$work/first.png" "$build/quib" \
    >/dev/null 2>"$work/game-$1.err" &
  game=$!
  pids+=("$game")
  for _ in $(seq 1000); do [ -e "$work/first.png" ] && break; sleep 0.01; done
  ms=$((($(now) - t0) / 1000000))
}
stopgame() {
  kill "$game" 2>/dev/null
  wait "$game" 2>/dev/null
}
# Machines that are busy (these tests run beside others) get some slack; a start held up by
# the server took a minute.
firstframe_ms=${FIRSTFRAME_MS:-2000}

# 1. PulseAudio stopped at the start.
harness_pulse || fail "PulseAudio did not start"
pulse=${pids[-1]}
kill -STOP "$pulse"
startgame pulse
[ "$ms" -le "$firstframe_ms" ] || fail "first frame after $ms ms with PulseAudio stopped"
echo "PulseAudio stopped: first frame after $ms ms"
kill -CONT "$pulse"
heardwithin 8 || fail "not heard once PulseAudio went on"
stopgame
harness_stop

# 2. PulseAudio started after the game (the game knows where it will be, as on a desktop).
rm -rf "${work:?}/run" "${work:?}/home"
export PULSE_SERVER="unix:$work/run/native"
startgame late
sleep 1
t0=$(now)
harness_pulse || fail "PulseAudio did not start"
heardwithin 3 || fail "a PulseAudio started after the game is not heard within 3 s"
echo "PulseAudio started late: heard after $((($(now) - t0) / 1000000)) ms"
stopgame
harness_stop
unset PULSE_SERVER

# 3. PipeWire (its three programs) stopped at the start.
for p in pipewire wireplumber pipewire-pulse dbus-daemon; do
  command -v "$p" >/dev/null || { echo "PASS (no $p: PipeWire skipped)"; exit 0; }
done
rm -rf "${work:?}/run" "${work:?}/home"
# A busy machine may need a second try to bring its three programs up.
harness_pipewire || { harness_stop && harness_pipewire; } || fail "PipeWire did not start"
for p in "${pipewire_pids[@]}"; do kill -STOP "$p"; done
startgame pipewire
[ "$ms" -le "$firstframe_ms" ] || fail "first frame after $ms ms with PipeWire stopped"
echo "PipeWire stopped: first frame after $ms ms"
for p in "${pipewire_pids[@]}"; do kill -CONT "$p"; done
heardwithin 8 || fail "not heard once PipeWire went on"
stopgame
echo PASS
