// Typed text and the clipboard: the switch for text input, the text and composition
// messages it brings, where the program's text box is, and the clipboard and primary
// selection as UTF-8 text. The backend does the desktop's part.
#include "platform/disp/internal.h"

namespace {

// The program's text box on the canvas, in window coordinates for the backend.
void dsp_applytextrect() {
  long x0 = dsp.input.textx, y0 = dsp.input.texty;
  long x1 = dsp_sumxy(x0, dsp.input.textw), y1 = dsp_sumxy(y0, dsp.input.texth);
  dsp_towindow(x0, y0);
  dsp_towindow(x1, y1);
  dsp_be().textrect(int(x0), int(y0), int(x1 - x0), int(y1 - y0));
}

char const* dsp_getclip(bool primary, char const* entry) {
  std::string& out = dsp.input.clipboard;
  out.clear();
  if (!dsp_be().getclip(primary, out)) {
    out.clear();
    return "";
  }
  std::string buf;
  char const* valid = dsp_utf8(out.c_str(), buf);  // a foreign program's bytes, repaired
  if (valid != out.c_str()) out = valid;
  (void)entry;
  return out.c_str();
}

bool dsp_setclip(bool primary, char const* text, char const* entry) {
  if (!text) {
    dsp_fail(dsp_earg, entry, "the text is null");
    return false;
  }
  std::string buf;
  return dsp_be().setclip(primary, dsp_utf8(text, buf));
}

}  // namespace

long dsp_u8count(std::string const& s) {
  long n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

// Called by the window's opening: text input and the text box as the program last set them.
void dsp_textinputsync() {
  if (!dsp.win.open) return;
  dsp_be().textinput(dsp.input.texton);
  if (dsp.input.texton && dsp.input.textw > 0) dsp_applytextrect();
}

// ---- Entries: typed text (our extensions) ---------------------------------------------

qr_v disp_starttextinput() {
  dsp_extension ext;
  dsp_setup();
  dsp.input.texton = true;
  dsp_textinputsync();
}

qr_v disp_stoptextinput() {
  dsp_extension ext;
  dsp_setup();
  dsp.input.texton = false;
  dsp_textinputsync();
}

qr_bool disp_istextinput() {
  dsp_extension ext;
  dsp_setup();
  return dsp.input.texton;
}

// Kept for the next window too; a box of no size is taken as 1 x 1.
qr_v disp_settextrect(qe_l x, qe_l y, qe_l w, qe_l h) {
  dsp_extension ext;
  dsp_setup();
  dsp.input.textx = dsp_clampxy(x);
  dsp.input.texty = dsp_clampxy(y);
  dsp.input.textw = std::max(1L, dsp_clampxy(w));
  dsp.input.texth = std::max(1L, dsp_clampxy(h));
  if (dsp.win.open && dsp.input.texton) dsp_applytextrect();
}

// The text stays readable until the next message is taken.
qr_ms disp_gettypedtext() {
  dsp_extension ext;
  dsp_setup();
  return dsp.input.current.code == dsp_wm_char ? dsp.input.current.text.c_str() : "";
}

qr_ms disp_getcomposition() {
  dsp_extension ext;
  dsp_setup();
  return dsp.input.current.code == dsp_wm_imecomposition ? dsp.input.current.text.c_str() : "";
}

qr_l disp_getcompositioncaret() {
  dsp_extension ext;
  dsp_setup();
  return dsp.input.current.code == dsp_wm_imecomposition ? dsp.input.current.caret : 0;
}

// ---- Entries: clipboard (our extensions) ----------------------------------------------

// The text stays readable until the next call of either.
qr_ms disp_getclipboard() {
  dsp_extension ext;
  dsp_setup();
  return dsp_getclip(false, __func__);
}

qr_bool disp_setclipboard(qe_s text) {
  dsp_extension ext;
  dsp_setup();
  return dsp_setclip(false, text, __func__);
}

qr_ms disp_getprimaryselection() {
  dsp_extension ext;
  dsp_setup();
  return dsp_getclip(true, __func__);
}

qr_bool disp_setprimaryselection(qe_s text) {
  dsp_extension ext;
  dsp_setup();
  return dsp_setclip(true, text, __func__);
}
