# shellcheck shell=bash
# Private servers for the scripts that run the game or its libraries for real (sourced, not
# run): a scratch folder, an Xvfb on a free display, a small window manager, a PulseAudio on
# a null sink; everything started here is stopped, and the folder removed, when the script ends.
#
#   harness_scratch PREFIX     makes $work (/tmp/PREFIX.XXXXXX), removed at exit
#   harness_xvfb [SCREEN]      Xvfb (default 800x600x24) on a free display: exports DISPLAY,
#                              sets $xvfb_pid; returns 1, its log in $work/xvfb.log, if it
#                              did not start
#   harness_wm                 evilwm on that display (log in $work/wm.log)
#   harness_pulse              PulseAudio with the null sink "quibnull", reached only through
#                              its own socket: exports PULSE_SERVER; returns 1 if it did not
#                              answer (its log in $work/pulse.log)
#   harness_stop               stops what was started so far, at once (the folder stays)
#   pids                       what is stopped at exit: add a script's own processes to it
# KEEP=1 keeps the scratch folder, and says where it is.

pids=()
harness_dirs=()

harness_stop() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  pids=()
}

harness_cleanup() {
  harness_stop
  local d
  for d in "${harness_dirs[@]}"; do
    if [ -n "${KEEP:-}" ]; then echo "kept $d" >&2; else rm -rf "$d"; fi
  done
}
trap harness_cleanup EXIT

harness_scratch() {
  work=$(mktemp -d "/tmp/$1.XXXXXX")
  harness_dirs+=("$work")
}

# Xvfb picks a free display itself and writes its number to fd 3: no race with other runs.
harness_xvfb() {
  [ -n "${work:-}" ] || harness_scratch harness
  rm -f "$work/display"
  Xvfb -displayfd 3 -screen 0 "${1:-800x600x24}" -nolisten tcp 3>"$work/display" \
    2>"$work/xvfb.log" &
  xvfb_pid=$!
  pids+=("$xvfb_pid")
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
  [ -s "$work/display" ] || return 1
  DISPLAY=":$(head -n1 "$work/display")"
  export DISPLAY
}

harness_wm() {
  evilwm -fn fixed >"$work/wm.log" 2>&1 &
  pids+=("$!")
}

# HOME and the runtime folders point into $work, so the server touches nothing of the user's
# and needs no cookie. As root PulseAudio warns but runs in this per-user mode.
harness_pulse() {
  [ -n "${work:-}" ] || harness_scratch harness
  [ -d "$work/run" ] || mkdir -m 700 "$work/run" "$work/home"
  export PULSE_SERVER="unix:$work/run/native"
  HOME="$work/home" XDG_RUNTIME_DIR="$work/run" PULSE_RUNTIME_PATH="$work/run" \
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
    --log-level=debug --log-time=1 --log-target=file:"$work/pulse.log" \
    -L "module-null-sink sink_name=quibnull" \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$work/run/native" &
  pids+=("$!")
  for _ in $(seq 100); do pactl info >/dev/null 2>&1 && return 0; sleep 0.05; done
  return 1
}
