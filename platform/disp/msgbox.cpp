// Message boxes: SDL's message box, over the window when one is open, with the buttons,
// icon and default button picked by Windows-style flags. Headless, or where SDL cannot
// show one (no display), the message goes to stderr and the default answer comes back.
#include <SDL2/SDL.h>

#include <cstdio>
#include <iterator>
#include <string>

#include "platform/disp/internal.h"

namespace {

// Headless, a box's text goes to the terminal: each of its lines escaped and bounded like
// a warning (line breaks kept, so a message of several lines still reads as one), and at
// most dsp_boxlines of them.
constexpr size_t dsp_boxline = 1024, dsp_boxlines = 64;
std::string dsp_boxtext(std::string const& text) {
  std::string out;
  size_t start = 0;
  for (size_t n = 0;; ++n) {
    size_t const nl = text.find('\n', start);
    if (n == dsp_boxlines) {
      out += "...";
      break;
    }
    out += dsp_quote(text.substr(start, nl - start).c_str(), dsp_boxline);
    if (nl == std::string::npos) break;
    out += '\n';
    start = nl + 1;
  }
  return out;
}

// Answers, as Windows numbers them.
enum : unsigned {
  dsp_idok = 1,
  dsp_idcancel = 2,
  dsp_idabort = 3,
  dsp_idretry = 4,
  dsp_idignore = 5,
  dsp_idyes = 6,
  dsp_idno = 7,
  dsp_idtryagain = 10,
  dsp_idcontinue = 11,
};

struct dsp_buttonset {
  int n;
  unsigned ids[3];
  char const* names[3];
  unsigned escape;  // the answer when the box is closed or Esc pressed (0: the default)
};

// By the low four bits of the flags (MB_OK .. MB_CANCELTRYCONTINUE).
dsp_buttonset const dsp_buttonsets[] = {
    {1, {dsp_idok}, {"OK"}, dsp_idok},
    {2, {dsp_idok, dsp_idcancel}, {"OK", "Cancel"}, dsp_idcancel},
    {3, {dsp_idabort, dsp_idretry, dsp_idignore}, {"Abort", "Retry", "Ignore"}, 0},
    {3, {dsp_idyes, dsp_idno, dsp_idcancel}, {"Yes", "No", "Cancel"}, dsp_idcancel},
    {2, {dsp_idyes, dsp_idno}, {"Yes", "No"}, 0},
    {2, {dsp_idretry, dsp_idcancel}, {"Retry", "Cancel"}, dsp_idcancel},
    {3,
     {dsp_idcancel, dsp_idtryagain, dsp_idcontinue},
     {"Cancel", "Try Again", "Continue"},
     dsp_idcancel},
};

// Icons: 0x10 error, 0x20 question (SDL has none: information), 0x30 warning, 0x40
// information. Default button: 0x100 the second, 0x200 the third.
Uint32 dsp_iconof(unsigned long flags) {
  switch (flags & 0xF0) {
    case 0x10:
      return SDL_MESSAGEBOX_ERROR;
    case 0x30:
      return SDL_MESSAGEBOX_WARNING;
    case 0x20:
    case 0x40:
      return SDL_MESSAGEBOX_INFORMATION;
    default:
      return 0;
  }
}

unsigned dsp_msgbox(std::string const& text, std::string const& caption, unsigned long flags) {
  dsp_setup();
  unsigned set = flags & 0xF;
  if (set >= std::size(dsp_buttonsets)) {
    dsp_fail(dsp_earg, "msgbox", "buttons %u are not one of 0..%zu", set,
             std::size(dsp_buttonsets) - 1);
    return 0;
  }
  dsp_buttonset const& bs = dsp_buttonsets[set];
  int def = int((flags >> 8) & 0xF);
  if (def >= bs.n) def = 0;
  unsigned answer = bs.ids[def];

  if (dsp_be().events) {  // headless: the text goes to stderr
    SDL_MessageBoxButtonData buttons[3];
    for (int i = 0; i < bs.n; ++i) {
      Uint32 f = i == def ? SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT : 0;
      if (bs.escape == bs.ids[i]) f |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
      buttons[i] = {f, int(bs.ids[i]), bs.names[i]};
    }
    SDL_MessageBoxData box = {dsp_iconof(flags) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT,
                              static_cast<SDL_Window*>(dsp_be().handle()),
                              caption.c_str(),
                              text.c_str(),
                              bs.n,
                              buttons,
                              nullptr};
    int hit = -1;
    if (SDL_ShowMessageBox(&box, &hit) == 0) {
      if (hit >= 0) return unsigned(hit);
      return bs.escape ? bs.escape : answer;  // closed without a button
    }
    dsp_fail(dsp_edevice, "msgbox", "the desktop shows no message box: %s", SDL_GetError());
  }
  std::string const shown = dsp_boxtext(text);
  if (caption.empty())
    fprintf(stderr, "%s\n", shown.c_str());
  else
    fprintf(stderr, "%s: %s\n", dsp_quote(caption.c_str(), dsp_boxline).c_str(), shown.c_str());
  fflush(stderr);
  return answer;
}

std::string dsp_narrow(char const* s) {
  std::string buf;
  return dsp_utf8(s, buf);
}

}  // namespace

// ---- Entries -------------------------------------------------------------------------

qr_u MsgBoxW22(qe_ws text, qe_ws caption, qe_u flags) {
  return dsp_msgbox(dsp_fromwide(text), dsp_fromwide(caption), flags);
}
qr_u MsgBox23(qe_s text, qe_s caption, qe_u flags) {
  return dsp_msgbox(dsp_narrow(text), dsp_narrow(caption), flags);
}
qr_u MsgBoxW24(qe_ws text, qe_ws caption) { return MsgBoxW22(text, caption, 0); }
qr_u MsgBox25(qe_s text, qe_s caption) { return MsgBox23(text, caption, 0); }
// Without a caption: the window's title.
qr_u MsgBoxW26(qe_ws text) {
  dsp_setup();
  return dsp_msgbox(dsp_fromwide(text), dsp_narrow(dsp.win.title.c_str()), 0);
}
qr_u MsgBox27(qe_s text) {
  dsp_setup();
  return dsp_msgbox(dsp_narrow(text), dsp_narrow(dsp.win.title.c_str()), 0);
}
