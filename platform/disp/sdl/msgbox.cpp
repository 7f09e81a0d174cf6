// The SDL backend's message box: SDL's own, over the window when one is open.
#include "platform/disp/sdl/sdl.h"

namespace {

Uint32 dsp_sdliconof(dsp_box::kind icon) {
  switch (icon) {
    case dsp_box::error:
      return SDL_MESSAGEBOX_ERROR;
    case dsp_box::warning:
      return SDL_MESSAGEBOX_WARNING;
    case dsp_box::information:
      return SDL_MESSAGEBOX_INFORMATION;
    default:
      return 0;
  }
}

}  // namespace

// False, with the error set, where the desktop shows none (no display).
bool dsp_sdlmsgbox(dsp_box const& box, unsigned& answer) {
  SDL_MessageBoxButtonData buttons[3];
  for (int i = 0; i < box.n; ++i) {
    Uint32 f = i == box.def ? SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT : 0;
    if (box.escape == box.ids[i]) f |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    buttons[i] = {f, int(box.ids[i]), box.names[i]};
  }
  SDL_MessageBoxData data = {dsp_sdliconof(box.icon) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT,
                             dsp_sdl.window,
                             box.caption.c_str(),
                             box.text.c_str(),
                             box.n,
                             buttons,
                             nullptr};
  int hit = -1;
  if (SDL_ShowMessageBox(&data, &hit) == 0) {
    if (hit >= 0)
      answer = unsigned(hit);
    else if (box.escape)
      answer = box.escape;  // closed without a button; else the default stays
    return true;
  }
  dsp_fail(dsp_edevice, "msgbox", "the desktop shows no message box: %s", SDL_GetError());
  return false;
}
