// The headless backend (DISP_HEADLESS=1): no window, the canvas in memory, shown on an
// imagined 1920 x 1080 screen at the size DISP_SIZE gives. Input comes only from scripts
// (DISP_KEYS, DISP_PAD_SCRIPT) and from the program's own synthesised messages.
#include "platform/disp/internal.h"

bool dsp_hlmsgbox(dsp_box const& box, unsigned& answer);  // msgbox.cpp

namespace {

// The clipboard and the primary selection of a run with no desktop: the process's own.
struct {
  std::string clipboard, primary;
} dsp_hlclip;

bool dsp_hlgetclip(bool primary, std::string& text) {
  text = primary ? dsp_hlclip.primary : dsp_hlclip.clipboard;
  return true;
}

bool dsp_hlsetclip(bool primary, char const* utf8) {
  (primary ? dsp_hlclip.primary : dsp_hlclip.clipboard) = utf8;
  return true;
}

bool dsp_hlattach() {
  int ow = 0, oh = 0;
  dsp_headlessout(ow, oh);
  dsp_layout(ow, oh);
  return dsp_newcanvas(nullptr, 0);
}

void dsp_hlsetpos(unsigned long x, unsigned long y) {
  dsp.sys.x = dsp_iscentred(x) ? (dsp_scrw - dsp.win.w) / 2 : dsp_coord(x);
  dsp.sys.y = dsp_iscentred(y) ? (dsp_scrh - dsp.win.h) / 2 : dsp_coord(y);
}

bool dsp_hlopen(unsigned long x, unsigned long y, unsigned long) {
  if (dsp.win.fullscreen) {  // a resizable canvas takes the screen's size
    if (!dsp.win.fixed) {
      dsp.win.w = dsp_scrw;
      dsp.win.h = dsp_scrh;
    }
    x = y = 0;
  }
  dsp_hlsetpos(x, y);
  if (dsp_hlattach()) return true;
  dsp_seterror(dsp_enomem, "createwin: no memory for the window's picture");
  return false;
}

void dsp_hlsetfullscreen(bool on) {
  if (dsp.win.fullscreen == on) return;
  dsp.win.fullscreen = on;
  int w = dsp.win.w, h = dsp.win.h;
  if (!dsp.win.fixed) {
    if (on) {
      dsp.win.restorew = w;
      dsp.win.restoreh = h;
      w = dsp_scrw;
      h = dsp_scrh;
    } else {
      w = dsp.win.restorew;
      h = dsp.win.restoreh;
    }
  }
  dsp_setcanvassize(w, h);
}

// Only a scripted controller brings events here.
bool dsp_hlpoll(dsp_event& ev) { return dsp_padpoll(ev); }

bool dsp_hlscreen(int& w, int& h) {
  w = dsp_scrw;
  h = dsp_scrh;
  return true;
}

}  // namespace

dsp_backend const dsp_headlessbackend = {
    "headless",
    false,
    dsp_hlopen,
    [] {},
    [](int&, int&) {},
    [](int&, int&, int&, int&) { return false; },
    dsp_hlattach,
    [] {},
    dsp_hlpoll,
    [](dsp_event&, int) { return false; },
    dsp_hlsetfullscreen,
    [] { return dsp.win.fullscreen; },
    [](uint32_t const*, int, int) {},
    [] {},
    [](char const*) {},
    dsp_hlsetpos,
    [](int& x, int& y) {
      x = dsp.sys.x;
      y = dsp.sys.y;
    },
    [](int&, int&, int&, int&) { return false; },
    dsp_hlscreen,
    [](float&, float&) { return false; },
    [] {},
    [] { return false; },
    []() -> void* { return nullptr; },
    [](bool) {},  // only scripts type here
    [](int, int, int, int) {},
    dsp_hlgetclip,
    dsp_hlsetclip,
    dsp_hlmsgbox,
    [](unsigned long, unsigned long) {},  // silence
};
