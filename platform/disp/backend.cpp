// Picks the backend and the clock of this run: the one place that reads which of them the
// environment asked for (read by then: every entry calls dsp_setup first).
#include "platform/disp/backend.h"

#include "platform/disp/internal.h"

dsp_backend const& dsp_be() { return dsp.env.headless ? dsp_headlessbackend : dsp_sdlbackend; }

dsp_clockops const& dsp_clk() { return dsp.env.virtualclock ? dsp_virtualclock : dsp_realclock; }
