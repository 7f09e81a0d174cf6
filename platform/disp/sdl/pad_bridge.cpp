// Where SDL's event translation meets the gamepads: a controller's event handed on to them.
#include "platform/disp/sdl/sdl.h"

int dsp_sdlpadevent(SDL_Event const& ev) { return dsp_padevent(ev); }
