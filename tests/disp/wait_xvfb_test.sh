#!/usr/bin/env bash
# The loop's wait in a real window under Xvfb (wait_probe.cpp): events sent while
# Delay28(1) sleeps are the next message, Delay28(1) takes about 1 ms, and an idle loop
# pumps SDL far less often than it asks for messages. Skips (77) where Xvfb is missing.
set -u
probe=$1
. "$(dirname "$0")/xvfb_lib.sh"

DISP_STATS="$work/stats" timeout 60 "$probe" >"$work/out" 2>&1 || fail "probe exited with $?"
read -r valid missed < <(awk '$1 == "valid" {print $2, $4}' "$work/out")
[ "${valid:-0}" -ge 20 ] || fail "only ${valid:-0} trials had their event sent inside the pause"
[ "$missed" -eq 0 ] || fail "$missed of $valid events sent during Delay28(1) came late"
read -r median low mean < <(awk '$1 == "delay1_ms_median" {print $2, $4, $6}' "$work/out")
awk -v m="$median" -v l="$low" 'BEGIN {exit !(m >= 0.5 && m <= 5 && l >= 0.45)}' ||
  fail "Delay28(1) took $median ms (median, shortest $low), not about 1 ms"
awk -v m="$mean" 'BEGIN {exit !(m >= 0.99 && m <= 5)}' ||
  fail "200 Delay28(1) in a row took $mean ms each: off the millisecond grid"
passes=$(awk '$1 == "passes" {print $2}' "$work/stats")
pumps=$(awk '$1 == "pumps" {print $2}' "$work/stats")
[ "$pumps" -lt $((passes / 3)) ] || fail "$pumps pumps for $passes passes: idle passes pump SDL"
# DISP_PUMP_CHECK=0: every look for a message pumps, and events still arrive in time.
DISP_PUMP_CHECK=0 DISP_STATS="$work/stats0" timeout 60 "$probe" >"$work/out0" 2>&1 ||
  fail "probe with DISP_PUMP_CHECK=0 exited with $?"
read -r valid0 missed0 < <(awk '$1 == "valid" {print $2, $4}' "$work/out0")
[ "${valid0:-0}" -ge 20 ] && [ "$missed0" -eq 0 ] ||
  fail "DISP_PUMP_CHECK=0: $missed0 of $valid0 events came late"
passes0=$(awk '$1 == "passes" {print $2}' "$work/stats0")
pumps0=$(awk '$1 == "pumps" {print $2}' "$work/stats0")
[ "$pumps0" -ge "$passes0" ] || fail "DISP_PUMP_CHECK=0: $pumps0 pumps for $passes0 passes"
echo "PASS ($valid trials, Delay28(1) median $median ms, mean $mean ms, $pumps pumps for $passes passes; $pumps0 for $passes0 with DISP_PUMP_CHECK=0)"
