// Gamepads inside libdisp: the table each pad driver fills in (SDL's game controllers, the
// scripted pads of DISP_PAD_SCRIPT), and what a driver reports through. The pads by index,
// their messages and the button-to-key table the program sets live in pad.cpp.
#pragma once
#include <string>

// A source of pads. A driver tells pad.cpp of arrivals, departures and button changes as it
// learns of them (dsp_padarrived, dsp_padleft, dsp_padpress); axes and rumble it answers
// when asked, for the device number it gave at arrival.
struct dsp_paddriver {
  char const* name;  // "sdl" or "script"
  // Starts the driver for an open window; false: it has no pads this run.
  bool (*open)();
  // Stops it; pad.cpp has already forgotten its pads (no messages for them).
  void (*close)();
  // Reads what came since the last call (scripted lines due by now); nothing for a driver
  // whose news comes as window events.
  void (*pump)();
  // The clock time of its next news when it knows it (a scripted line); infinity else.
  double (*nextdue)();
  // An axis (1..6, as QUIB_PAD_AXES) as the device has it now: -1..1, triggers 0..1.
  double (*axis)(int dev, int axis);
  // Rumbles with the two motors' strengths (0..1) for ms; false where it has no motors.
  bool (*rumble)(int dev, double low, double high, unsigned ms);
};

extern dsp_paddriver const dsp_sdlpads;     // sdl/pad_sdl.cpp: only with the SDL backend
extern dsp_paddriver const dsp_scriptpads;  // input/pad_script.cpp: DISP_PAD_SCRIPT

// Reports. A pad that arrived gets the lowest free index, kept until it leaves; -1 when the
// same device is known already. A press or release that changes nothing is ignored.
int dsp_padarrived(dsp_paddriver const* d, int dev, std::string name);
void dsp_padleft(dsp_paddriver const* d, int dev);
void dsp_padpress(dsp_paddriver const* d, int dev, int button, bool down);
// Whether a pad of that driver and device is plugged in.
bool dsp_padknown(dsp_paddriver const* d, int dev);

// The scripted pads' plan (pad_script.cpp): whether DISP_PAD_SCRIPT named a readable file.
bool dsp_padscripted();
