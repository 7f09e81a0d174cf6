// Message boxes: the buttons, icon and default button picked by Windows-style flags, shown
// by the backend (a desktop's box over the window). Headless, or where the desktop shows
// none, the message goes to stderr and the default answer comes back.
#include <algorithm>
#include <iterator>
#include <string>

#include "platform/disp/internal.h"

namespace {

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

// Icons: 0x10 error, 0x20 question (shown as information: desktops have no question
// icon), 0x30 warning, 0x40 information. Default button: 0x100 the second, 0x200 the third.
dsp_box::kind dsp_iconof(unsigned long flags) {
  switch (flags & 0xF0) {
    case 0x10:
      return dsp_box::error;
    case 0x30:
      return dsp_box::warning;
    case 0x20:
    case 0x40:
      return dsp_box::information;
    default:
      return dsp_box::none;
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
  dsp_box box;
  box.text = text;
  box.caption = caption;
  box.icon = dsp_iconof(flags);
  box.n = bs.n;
  std::copy(bs.ids, bs.ids + bs.n, box.ids);
  std::copy(bs.names, bs.names + bs.n, box.names);
  box.def = int((flags >> 8) & 0xF);
  if (box.def >= bs.n) box.def = 0;
  box.escape = bs.escape;
  unsigned answer = bs.ids[box.def];
  if (!dsp_be().msgbox(box, answer)) dsp_headlessbackend.msgbox(box, answer);
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
qr_u MsgBoxW24(qe_ws text, qe_ws caption) {
  return dsp_msgbox(dsp_fromwide(text), dsp_fromwide(caption), 0);
}
qr_u MsgBox25(qe_s text, qe_s caption) {
  return dsp_msgbox(dsp_narrow(text), dsp_narrow(caption), 0);
}
// Without a caption: the window's title.
qr_u MsgBoxW26(qe_ws text) {
  dsp_setup();
  return dsp_msgbox(dsp_fromwide(text), dsp_narrow(dsp.win.title.c_str()), 0);
}
qr_u MsgBox27(qe_s text) {
  dsp_setup();
  return dsp_msgbox(dsp_narrow(text), dsp_narrow(dsp.win.title.c_str()), 0);
}
