// DISP_KEYLOG=FILE: when each key press reached the library, for bench/latency.sh.
#pragma once
#include <SDL2/SDL.h>

void dsp_keylog(SDL_KeyboardEvent const& key);
