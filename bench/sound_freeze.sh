#!/usr/bin/env bash
# Longest frame of the real game (headless, real clock) through a sound-server kill and a
# new server that comes up frozen for FREEZE seconds. Usage: bench/sound_freeze.sh QUIB [FREEZE=8]; prints DISP_STATS' frame_ms_max.
set -u
quib=$1; freeze=${2:-8}
d=$(mktemp -d); trap 'kill -9 $(jobs -p) 2>/dev/null; rm -rf "$d"' EXIT
export XDG_RUNTIME_DIR=$d HOME=$d
start_pa() {  # socket
  PULSE_RUNTIME_PATH=$d pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit \
    --use-pid-file=no -L "module-null-sink sink_name=quibnull" \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$1" >/dev/null 2>&1 &
  echo $!
}
pa=$(start_pa "$d/a"); sleep 1
DISP_HEADLESS=1 DISP_STATS=$d/stats ALSOFT_DRIVERS=pulse PULSE_SERVER=unix:$d/a "$quib" 2>"$d/err" &
g=$!
sleep 3
kill -9 "$pa"; wait "$pa" 2>/dev/null
pb=$(start_pa "$d/b"); sleep 0.7; kill -STOP "$pb"; mv "$d/b" "$d/a"
sleep "$freeze"; kill -CONT "$pb"; sleep 3
kill -TERM "$g"; wait "$g"
grep -E '^frame_ms_max|^frame_ms_p99' "$d/stats"; sed 's/^/  stderr: /' "$d/err"
