#!/usr/bin/env bash
# The game on a desktop's PipeWire (its own PipeWire, WirePlumber and pipewire-pulse, with a
# null sink): it plays through a PipeWire stream of its own, mixed on a real-time thread,
# and is heard; missed cycles make it ask for longer ones, a quiet stretch for a shorter one,
# and a stall of the server for none; the server dies and the game plays on silently, then the server comes back
# and so does the sound; with SOUND_PIPEWIRE=0 it plays through pipewire-pulse instead.
# Skips (77) without PipeWire. Usage: pipewire_test.sh REPO BUILD
set -u
repo=$1
build=$2
for p in pipewire wireplumber pipewire-pulse pw-dump pactl parec dbus-daemon python3; do
  command -v "$p" >/dev/null || { echo "no $p: skipped"; exit 77; }
done
# shellcheck source=tools/harness.sh
. "$repo/tools/harness.sh"
harness_scratch pipewire_test
fail() {
  echo "FAIL: $*"
  cat "$work"/game*.err
  exit 1
}
harness_pipewire || { cat "$work"/*.log; fail "PipeWire did not start"; }

# The waits below end as soon as what they wait for is there; their deadlines are for a
# loaded machine, where the servers, the game and the tools that look at them start slowly.
# The loudest sample of the null sink's monitor over 1.5 s (0 to 32767).
peak() {
  timeout 1.5 parec -d quibnull.monitor --raw --latency-msec=20 --rate=48000 --channels=2 --format=s16le \
    >"$work/rec.raw" 2>/dev/null
  python3 -c 'import array, sys
a = array.array("h", open(sys.argv[1], "rb").read())
print(max(map(abs, a), default=0))' "$work/rec.raw"
}
# Whether the game is heard: a loud sample within 1.5 s, looked for up to ten times (the
# recorder itself may take a while to start).
heard() {
  for _ in $(seq 10); do [ "$(peak)" -gt 1000 ] && return 0; done
  return 1
}
# Waits up to 30 s for a line of the game's stderr.
said() {
  for _ in $(seq 300); do grep -q "$1" "$work/$2" && return 0; sleep 0.1; done
  return 1
}
# The node.latency of the playback stream made through libpipewire itself (not one that
# pipewire-pulse made for a client); fails if there is none.
cycle() {
  pw-dump 2>/dev/null | python3 -c 'import json, sys
for o in json.load(sys.stdin):
    p = (o.get("info") or {}).get("props") or {}
    if p.get("media.class") == "Stream/Output/Audio" and p.get("client.api") != "pipewire-pulse":
        print(p.get("node.latency"))
        sys.exit(0)
sys.exit(1)'
}
ours() { cycle >/dev/null; }
# Waits up to 30 s until the stream's cycle is $1.
cycleis() {
  for _ in $(seq 150); do [ "$(cycle)" = "$1" ] && return 0; sleep 0.2; done
  return 1
}
# Waits up to 30 s for the game's own stream.
oursoon() {
  for _ in $(seq 150); do ours && return 0; sleep 0.2; done
  return 1
}

DISP_HEADLESS=1 DISP_QUIT_AT=60 QUIB_SEED=7 "$build/quib" 2>"$work/game.err" &
game=$!
pids+=("$game")
oursoon || fail "no PipeWire stream of the library's own"
heard || fail "the game is not heard through its PipeWire stream"
if [ "$(id -u)" = 0 ]; then  # where real-time priority is ours to take
  ps -L -o cls= -p "$game" | grep -q FF || fail "no real-time thread mixes the sound"
fi

# Frozen for 100 ms, a few times: the stream misses cycles, and asks for longer ones each
# time, up to 1024 frames (21 ms), and no longer.
for _ in 1 2 3 4 5; do
  kill -STOP "$game"
  sleep 0.1
  kill -CONT "$game"
  sleep 0.3
done
cycleis 1024/48000 || fail "after missed cycles the stream's cycle is $(cycle)"

# A quiet stretch (20 s without a miss) brings it down a step; the server's own stall (its
# clock stopped for a second) is no miss of ours, and leaves the cycle as it is.
for _ in $(seq 60); do [ "$(cycle)" = 1024/48000 ] || break; sleep 0.5; done
down=$(cycle)
[ "$down" = 512/48000 ] || fail "after a quiet stretch the stream's cycle is $down"
kill -STOP "${pipewire_pids[0]}"
sleep 1
kill -CONT "${pipewire_pids[0]}"
sleep 0.5
[ "$(cycle)" = "$down" ] || fail "a server stall changed the stream's cycle to $(cycle)"

# The server dies: one line, and the game plays on.
kill -KILL "${pipewire_pids[0]}"
said "the audio device was lost" game.err || fail "the loss was not noticed"
sleep 1
kill -0 "$game" 2>/dev/null || fail "the game did not outlive its sound server"
# ... and comes back: the game takes it up by itself, and is heard again.
for p in "${pipewire_pids[@]}"; do kill "$p" 2>/dev/null; wait "$p" 2>/dev/null; done
harness_pipewire || fail "PipeWire did not start again"
said "the audio device is back" game.err || fail "the server's return was not noticed"
heard || fail "the game is not heard after the server came back"
kill "$game"
wait "$game"
status=$?
[ "$status" = 0 ] || fail "the game did not end cleanly on SIGTERM (status $status)"

# Switched off: OpenAL Soft's own path, through pipewire-pulse.
SOUND_PIPEWIRE=0 DISP_HEADLESS=1 DISP_QUIT_AT=60 QUIB_SEED=7 "$build/quib" \
  2>"$work/game-off.err" &
game=$!
pids+=("$game")
heard || fail "with SOUND_PIPEWIRE=0 the game is not heard"
ours && fail "SOUND_PIPEWIRE=0 still made a PipeWire stream"
grep -q "no audio device" "$work"/game*.err && fail "a game had no audio device"
kill "$game"
wait "$game" || fail "the game did not end cleanly on SIGTERM (status $?)"
echo "PASS"
