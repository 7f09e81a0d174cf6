// The SDL backend's typed text and clipboard: SDL's text input and its text box, the
// clipboard and the primary selection (SDL 2.26 has both; Wayland's primary selection only
// where the compositor offers it).
#include "platform/disp/sdl/sdl.h"

void dsp_sdltextinput(bool on) {
  if (!dsp_sdl.window) return;
  if (on) {
    // Long compositions whole rather than cut at 32 bytes; the input method's own
    // candidate window where SDL would otherwise hide it.
    SDL_SetHintWithPriority(SDL_HINT_IME_SUPPORT_EXTENDED_TEXT, "1", SDL_HINT_DEFAULT);
    SDL_SetHintWithPriority(SDL_HINT_IME_SHOW_UI, "1", SDL_HINT_DEFAULT);
    SDL_StartTextInput();
  } else {
    SDL_StopTextInput();  // key presses only, no text events beside them
  }
}

void dsp_sdltextrect(int x, int y, int w, int h) {
  if (!dsp_sdl.window) return;
  SDL_Rect r = {x, y, w > 0 ? w : 1, h > 0 ? h : 1};
  SDL_SetTextInputRect(&r);
}

// The clipboard lives with the display connection, so it needs the window's video.
bool dsp_sdlgetclip(bool primary, std::string& text) {
  char const* entry = primary ? "getprimaryselection" : "getclipboard";
  if (!dsp_sdl.videoinit) {
    dsp_fail(dsp_enowindow, entry, "no window is open");
    return false;
  }
  if (!(primary ? SDL_HasPrimarySelectionText() : SDL_HasClipboardText())) return true;
  char* got = primary ? SDL_GetPrimarySelectionText() : SDL_GetClipboardText();
  if (!got || !*got) {
    std::string why = SDL_GetError();
    SDL_free(got);
    dsp_fail(dsp_edevice, entry, "the desktop gives no text: %s", dsp_quote(why).c_str());
    return false;
  }
  text = got;
  SDL_free(got);
  return true;
}

bool dsp_sdlsetclip(bool primary, char const* utf8) {
  char const* entry = primary ? "setprimaryselection" : "setclipboard";
  if (!dsp_sdl.videoinit) {
    dsp_fail(dsp_enowindow, entry, "no window is open");
    return false;
  }
  if ((primary ? SDL_SetPrimarySelectionText(utf8) : SDL_SetClipboardText(utf8)) == 0) return true;
  dsp_fail(dsp_edevice, entry, "the desktop takes no text: %s", dsp_quote(SDL_GetError()).c_str());
  return false;
}
