#!/usr/bin/env bash
# Key-to-sound latency of the real game on a null sink, under its own Xvfb and its own sound
# server (PulseAudio, which OpenAL Soft's pulse backend plays to; or a desktop's PipeWire,
# WirePlumber and pipewire-pulse, where the library plays to a PipeWire stream of its own,
# or with SOUND_PIPEWIRE=0 through pipewire-pulse): presses SPACE at random moments, then
# prints `name value` lines (bench/latency.py works them out):
#   output_latency_ms        device latency from OpenAL Soft (ALC_DEVICE_LATENCY_SOFT), or
#                            on the PipeWire stream from the stream's own timing, median
#   output_latency_pulse_ms  the same as the server reports it for the game's stream, median
#   key_to_sound_ms_median / _p99   SDL's key event to the first sample out of the mixer,
#                            plus the device latency read at that moment
#   key_to_sound_run_latency_ms_median / _p99   the same plus the run's median device
#                            latency instead (steadier through pipewire-pulse, where the
#                            reading swings and drifts between the server's timing updates)
#   underruns                gaps or clicks in the null sink's recorded monitor stream, or
#                            underruns the server counted for the stream (pulse_underruns:
#                            PulseAudio's debug log; on PipeWire pipewire-pulse's log of the
#                            stream's UNDERFLOWs, which it writes at most every two seconds
#                            or so, so a floor), the larger; after the stream's first two
#                            seconds (startup_gaps counts the recording's gaps before that)
# Usage: [STALL_MS=N] bench/latency.sh [--check] [--underruns N] [--server pulseaudio|pipewire]
#        [--tone] [SECONDS=30] [PRESSES=40]
#   --check: exit 1 if output_latency_ms > 30 or underruns > N (0 unless --underruns says;
#            CI allows a couple, as a shared virtual machine's timer stalls a mixer that is
#            otherwise fine, while a broken period underruns dozens of times a run).
#   --tone:  the control run: instead of the game, a plain client plays a steady sine with
#            the game's buffer (pacat: four periods of 3 ms, and the same pulse.min.req in
#            PULSE_PROP; on PipeWire pw-play, with the game's graph cycle), so gaps that a
#            plain client gets too are told from the game's own; prints only the underrun
#            lines, and --check holds it to --underruns alone.
# Needs build/quib, pulseaudio, pulseaudio-utils (parec, pactl), xvfb, xdotool, python3;
# for PipeWire also pipewire, pipewire-pulse, wireplumber and dbus.
set -euo pipefail
cd "$(dirname "$0")/.."
check=0
tone=0
server=pulseaudio
while [[ ${1:-} == --* ]]; do
  case $1 in
    --check) check=1 ;;
    --underruns) export LATENCY_MAX_UNDERRUNS=${2:-0}; shift ;;
    --server) server=${2:-}; shift ;;
    --tone) tone=1 ;;
    *) echo "latency.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
secs=${1:-30}
presses=${2:-40}
case $server in
  pulseaudio | pipewire) ;;
  *) echo "latency.sh: --server is pulseaudio or pipewire, not $server" >&2; exit 2 ;;
esac

# shellcheck source=tools/harness.sh
. tools/harness.sh
tmp=$(mktemp -d)
work=$tmp  # where the harness's servers keep their sockets and logs
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  if [[ -n ${KEEP:-} ]]; then echo "kept $tmp" >&2; else rm -rf "$tmp"; fi
}
trap cleanup EXIT

# ---- Our own sound server: a null sink, reached only through our socket -----------------
# HOME and the runtime folders point into $tmp, so it touches nothing of the user's and
# needs no cookie. As root PulseAudio warns but runs in this per-user mode.
mkdir -m 700 "$tmp/run" "$tmp/home"
if [[ $server == pulseaudio ]]; then
  harness_pulse || true  # checked below, as PipeWire is
else
  # pipewire-pulse logs each stream's underflow (at most one a second or two) at level 3.
  PIPEWIRE_DEBUG_PULSE=2,mod.protocol-pulse:3 harness_pipewire || true
fi
if ! pactl info >/dev/null 2>&1 || ! pactl list short sinks | grep -q quibnull; then
  echo "$server did not start, or has no null sink" >&2
  cat "$tmp"/*.log >&2 || true
  exit 1
fi

# ---- Our own X server -----------------------------------------------------------------
harness_xvfb 1024x768x24 || { echo "Xvfb did not start" >&2; exit 1; }

# The monitor is recorded with a short latency on PipeWire: with parec's default (a two
# second fragment) pipewire-pulse 0.3.65 lets every playback stream's queue grow to 100 ms
# and more in the first seconds, which measured the recorder instead of the game.
reclatency=()
[[ $server == pipewire ]] && reclatency=(--latency-msec=20)
parec -d quibnull.monitor "${reclatency[@]}" --rate=48000 --channels=2 --format=s16le \
  --file-format=wav "$tmp/monitor.wav" &
rec=$!
pids+=("$rec")

if ((tone)); then
  # What the library asks of the server for its default period: 3 ms requests, 12 ms queued.
  # On PipeWire the plain client is a native one, pw-play, with the graph cycle the library
  # starts at: twice its period (SOUND_PERIOD_MS, 3 ms: 288 frames, which PipeWire rounds
  # down to 256).
  if [[ $server == pipewire && ! ${SOUND_PIPEWIRE:-1} =~ ^(0|no|off|false)$ ]]; then
    sox -n -r 48000 -c 2 -b 16 "$tmp/tone.wav" synth "$((secs + 5))" sine 440 vol 0.1
    pw-play --latency="$(awk -v m="${SOUND_PERIOD_MS:-3}" \
      'BEGIN { c = int(2 * m * 48 + 0.5); printf "%d", (c > 1024 ? 1024 : c) }')" \
      "$tmp/tone.wav" 2>"$tmp/game.err" &
  else
    sox -n -r 44100 -c 2 -b 16 "$tmp/tone.wav" synth "$((secs + 5))" sine 440 vol 0.1
    PULSE_PROP="pulse.min.req=144/48000" pacat --playback \
      --latency-msec=12 --process-time-msec=3 --file-format=wav "$tmp/tone.wav" 2>"$tmp/game.err" &
  fi
  presses=0
else
  # On PulseAudio OpenAL Soft's pulse backend plays; on PipeWire the library's own PipeWire
  # stream, found as a desktop session finds the server (SOUND_PIPEWIRE=0: OpenAL Soft's
  # pulse backend through pipewire-pulse, the path before it).
  # SOUND_PULSE=1: the library's own PulseAudio stream.
  how=(ALSOFT_DRIVERS=pulse)
  [[ $server == pipewire ]] && ! [[ ${SOUND_PIPEWIRE:-1} =~ ^(0|no|off|false)$ ]] && how=()
  [[ ${SOUND_PULSE:-0} =~ ^(1|yes|on|true)$ ]] && how=()
  env "${how[@]}" SOUND_LATENCY_LOG="$tmp/sound.log" DISP_KEYLOG="$tmp/keys.log" \
    QUIB_SEED=7 build/quib 2>"$tmp/game.err" &
fi
game=$!
pids+=("$game")
if ((!tone)); then
  wid=$(timeout 10 xdotool search --sync --name quib_en | head -1)
  xdotool windowfocus --sync "$wid" 2>/dev/null || true
fi
sleep 2  # the stream has settled and the music is under way before the first press

# SPACE at random moments; PulseAudio's own view of the stream's latency in between.
start=$SECONDS
for ((i = 0; i < presses && SECONDS - start < secs - 1; ++i)); do
  xdotool key space
  sleep "$(awk -v r=$RANDOM 'BEGIN { printf "%.3f", 0.15 + 0.5 * r / 32767 }')"
  if ((i % 5 == 0)); then
    pactl list sink-inputs |
      awk '/(Buffer|Sink) Latency:/ { t += $3 } END { if (t) print t }' >>"$tmp/pulse-latency" || true
  fi
done
# STALL_MS=N freezes the game twice for N ms mid-run: the way to see that a real underrun
# is counted (by PulseAudio and in the recording) when the check is in doubt.
if [[ -n ${STALL_MS:-} ]]; then
  for _ in 1 2; do
    kill -STOP "$game"
    sleep "$(awk -v m="$STALL_MS" 'BEGIN { print m / 1000 }')"
    kill -CONT "$game"
    sleep 1
  done
fi
while ((SECONDS - start < secs)); do sleep 0.2; done
kill "$game"
wait "$game" 2>/dev/null || true
kill "$rec"  # parec completes the WAV header when it stops
wait "$rec" 2>/dev/null || true

LATENCY_TONE=$tone python3 bench/latency.py "$tmp"
if ((check)) && [[ $(cat "$tmp/verdict") != ok ]]; then
  echo "latency check failed: output latency above 30 ms, more than ${LATENCY_MAX_UNDERRUNS:-0} underruns, or no sound" >&2
  cat "$tmp/game.err" >&2
  exit 1
fi
