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
#   harness_pipewire           PipeWire, WirePlumber (on a session bus of its own) and
#                              pipewire-pulse, with the null sink "quibnull" as the default:
#                              exports PIPEWIRE_RUNTIME_DIR and PULSE_RUNTIME_PATH, so native
#                              clients and PulseAudio ones (pactl, parec) both find it, as on
#                              a desktop; sets $pipewire_pids (the three, PipeWire first);
#                              returns 1 if it did not start (logs in $work/*.log)
#   harness_stop               stops what was started so far, at once (the folder stays)
#   pids                       what is stopped at exit: add a script's own processes to it
# KEEP=1 keeps the scratch folder, and says where it is.
# Each server is waited for until it answers, for up to 30 s: on a loaded machine they start
# slowly, and a deadline ends a wait only when something is wrong.

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
  for _ in $(seq 600); do [ -s "$work/display" ] && break; sleep 0.05; done
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
  for _ in $(seq 600); do pactl info >/dev/null 2>&1 && return 0; sleep 0.05; done
  return 1
}

# The three programs of a desktop's PipeWire, as a session starts them but with no systemd:
# a private bus for WirePlumber, the sockets in $work/run. PIPEWIRE_DEBUG_PULSE sets
# pipewire-pulse's log level (bench/latency.sh counts its underflow lines).
harness_pipewire() {
  [ -n "${work:-}" ] || harness_scratch harness
  [ -d "$work/run" ] || mkdir -m 700 "$work/run" "$work/home"
  rm -f "$work/bus"
  dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$work/bus" \
    >"$work/dbus.log" 2>&1 &
  pids+=("$!")
  for _ in $(seq 600); do [ -s "$work/bus" ] && break; sleep 0.05; done
  [ -s "$work/bus" ] || return 1
  local prog debug
  pipewire_pids=()
  for prog in pipewire wireplumber pipewire-pulse; do
    debug=2
    [ "$prog" = pipewire-pulse ] && debug=${PIPEWIRE_DEBUG_PULSE:-2}
    HOME="$work/home" XDG_RUNTIME_DIR="$work/run" PIPEWIRE_DEBUG=$debug \
      DBUS_SESSION_BUS_ADDRESS="$(head -n1 "$work/bus")" "$prog" >"$work/$prog.log" 2>&1 &
    pids+=("$!")
    pipewire_pids+=("$!")
    [ "$prog" = pipewire ] && for _ in $(seq 600); do
      [ -S "$work/run/pipewire-0" ] && break
      sleep 0.05
    done
  done
  # Clients find both servers in $work/run as on a desktop; none may start a PulseAudio.
  echo "autospawn = no" >"$work/client.conf"
  export PIPEWIRE_RUNTIME_DIR="$work/run" PULSE_RUNTIME_PATH="$work/run/pulse" \
    PULSE_CLIENTCONFIG="$work/client.conf"
  for _ in $(seq 600); do pactl info >/dev/null 2>&1 && break; sleep 0.05; done
  # pipewire-pulse answers before WirePlumber has set the graph up, and a null sink asked
  # for that early fails ("Not supported"): ask again for up to 30 s.
  for _ in $(seq 300); do
    pactl load-module module-null-sink sink_name=quibnull >/dev/null 2>&1 && break
    sleep 0.1
  done
  pactl set-default-sink quibnull 2>/dev/null
}
