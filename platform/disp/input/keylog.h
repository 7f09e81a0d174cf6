// DISP_KEYLOG=FILE: when each key press reached the library, for bench/latency.sh.
#pragma once

// A key press (no auto-repeat) that was queued by the desktop at `ns` on CLOCK_MONOTONIC,
// of the backend's key symbol `sym`.
void dsp_keylog(long long ns, int sym);
