// The screen and the window's frame: the size and pixel density of the screen the window
// is on (the first screen without a window), and the size of the frame the desktop puts
// around the window. Headless, a fixed 1920 x 1080 screen at 96 pixels per inch, no frame.
#include <cmath>

#include "platform/disp/internal.h"

namespace {

// The screen's size: w and h, or 0 x 0 (and the error) without a display.
void dsp_screensize(int& w, int& h) {
  dsp_setup();
  w = h = 0;
  if (!dsp_be().screensize(w, h)) {
    w = h = 0;
    dsp_seterror(dsp_edevice, "getscrsize: no display to measure");
  }
}

// Pixels per inch across (horizontal) or down; 96 where the display does not say.
unsigned long dsp_dpi(bool horizontal) {
  dsp_setup();
  float hd = 0, vd = 0;
  bool ok = dsp_be().screendpi(hd, vd);
  double d = horizontal ? hd : vd;
  if (!ok || !(d >= 1 && d < 100000)) return dsp_scrdpi;
  return (unsigned long)std::lround(d);
}

// The frame's thickness on each side; all 0 headless, without a window or where the
// desktop does not tell (no window manager).
struct dsp_frame {
  int top = 0, left = 0, bottom = 0, right = 0;
};

dsp_frame dsp_borders() {
  dsp_setup();
  dsp_frame f;
  if (!dsp.win.open) {
    dsp_seterror(dsp_enowindow, "getbordersize: no window is open (createwin opens one)");
    return f;
  }
  if (!dsp_be().borders(f.top, f.left, f.bottom, f.right)) f = {};
  return f;
}

}  // namespace

// ---- Entries -------------------------------------------------------------------------

qr_u GetScrWidth59() {
  int w, h;
  dsp_screensize(w, h);
  return qr_u(w);
}

qr_u GetScrHeight60() {
  int w, h;
  dsp_screensize(w, h);
  return qr_u(h);
}

// Width in the low 16 bits, height in the next 16.
qr_u GetScrSize61() {
  int w, h;
  dsp_screensize(w, h);
  return (qr_u(w) & 0xFFFF) | (qr_u(h) & 0xFFFF) << 16;
}

qr_u GetScrCapsX62() { return dsp_dpi(true); }
qr_u GetScrCapsY63() { return dsp_dpi(false); }

// The height of the frame above the picture: title bar and top border.
qr_u GetBorderTitle64() { return qr_u(dsp_borders().top); }

// What the frame adds to the width (left and right borders) and to the height (title bar
// and bottom border): the outer size is the picture's plus these.
qr_u GetBorderWidth65() {
  dsp_frame f = dsp_borders();
  return qr_u(f.left + f.right);
}

qr_u GetBorderHeight66() {
  dsp_frame f = dsp_borders();
  return qr_u(f.top + f.bottom);
}

qr_u GetBorderSize67() {
  dsp_frame f = dsp_borders();
  return (qr_u(f.left + f.right) & 0xFFFF) | (qr_u(f.top + f.bottom) & 0xFFFF) << 16;
}
