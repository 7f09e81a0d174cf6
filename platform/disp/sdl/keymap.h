// The SDL column of the key table: which SDL keycode gives which virtual-key code. Only the
// SDL backend (and the tests of its translation) include it.
#pragma once
#include <SDL2/SDL_keycode.h>

#include "platform/disp/input/keys.h"

struct dsp_sdlkey {
  char const* name;
  unsigned vk;
  SDL_Keycode sdl;
};

#define DSP_SDLKEY_ROW(name, vk, sdl) {#name, vk, sdl},
inline constexpr dsp_sdlkey dsp_sdlkeys[] = {DSP_KEY_TABLE(DSP_SDLKEY_ROW)};
#undef DSP_SDLKEY_ROW

// Virtual-key code of an SDL keycode, 0 for a key the table does not know.
inline unsigned dsp_vkofsdl(SDL_Keycode sym) {
  for (dsp_sdlkey const& k : dsp_sdlkeys)
    if (k.sdl == sym) return k.vk;
  return 0;
}
