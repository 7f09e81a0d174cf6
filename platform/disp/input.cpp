// Messages: every SDL event that reaches the window, and the key presses of a DISP_KEYS
// script once their time has come, handed out one at a time by IsNextMsg254; IsKey260
// tells whether the current one is a press of a given virtual key.
#include <SDL2/SDL.h>

#include "platform/disp/internal.h"
#include "platform/disp/keys.h"

namespace {

// Makes an SDL event the current message, acting on those that concern the window.
void dsp_take(SDL_Event const& ev) {
  switch (ev.type) {
    case SDL_KEYDOWN:  // auto-repeat included: a held key keeps pressing
      dsp.input.current = {true, dsp_vkofsdl(ev.key.keysym.sym)};
      break;
    case SDL_QUIT:
      dsp_close();
      break;
    case SDL_WINDOWEVENT:
      if (ev.window.event == SDL_WINDOWEVENT_CLOSE)
        dsp_close();
      else if (ev.window.event == SDL_WINDOWEVENT_EXPOSED)
        dsp_present();
      break;
    default:
      break;
  }
}

}  // namespace

// ---- Entries -------------------------------------------------------------------------

qr_bool IsNextMsg254() {
  dsp_setup();
  dsp_statpass();
  dsp_tick();
  dsp.input.current = {false, 0};
  if (!dsp.win.open) return false;
  auto& script = dsp.input.script;
  if (!script.empty() && script.front().at <= dsp_now()) {
    dsp.input.current = {true, script.front().vk};
    script.pop_front();
    return true;
  }
  SDL_Event ev;
  if (dsp.win.sdl && SDL_PollEvent(&ev)) {
    dsp_take(ev);
    return true;
  }
  return false;
}

qr_bool IsKey260(qe_u code) {
  dsp_setup();
  return dsp.input.current.iskey && code != 0 && dsp.input.current.vk == code;
}
