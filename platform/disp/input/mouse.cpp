// The mouse position in three frames: the window's client area (what the messages carry),
// the screen (plus the window's position) and the outer window (plus its frame's left and
// top widths). Headless there is no frame, and the window sits where GetPosX69 says. The
// window frame is the canvas's logical pixels; the other two are the screen's own.
#include <algorithm>
#include <climits>

#include "platform/disp/internal.h"

long dsp_clampxy(long v) { return std::clamp(v, -dsp_xymax, dsp_xymax); }

long dsp_sumxy(long a, long b) {
  long s = 0;
  if (__builtin_add_overflow(a, b, &s)) s = b > 0 ? LONG_MAX : LONG_MIN;
  return dsp_clampxy(s);
}

void dsp_winpos(long& x, long& y) {
  x = y = 0;
  if (!dsp.win.open) return;
  int ix = 0, iy = 0;
  dsp_be().getpos(ix, iy);
  x = dsp_clampxy(ix);
  y = dsp_clampxy(iy);
}

// Window managers that do not tell (or no window manager at all) give no frame.
void dsp_borders(long& left, long& top) {
  left = top = 0;
  int t = 0, l = 0, b = 0, r = 0;
  if (dsp.win.open && dsp_be().borders(t, l, b, r)) {
    left = l;
    top = t;
  }
}

// ---- Entries -------------------------------------------------------------------------

namespace {

// The pointer in the window's own coordinates, where the canvas may be shown scaled.
void dsp_pointer(long& x, long& y) {
  x = dsp.input.state.x;
  y = dsp.input.state.y;
  dsp_towindow(x, y);
}

}  // namespace

qr_l GetMouseAbsX286() {
  dsp_setup();
  long x = 0, y = 0, px = 0, py = 0;
  dsp_winpos(x, y);
  dsp_pointer(px, py);
  return dsp_inputwin() ? dsp_sumxy(x, px) : 0;
}

qr_l GetMouseAbsY287() {
  dsp_setup();
  long x = 0, y = 0, px = 0, py = 0;
  dsp_winpos(x, y);
  dsp_pointer(px, py);
  return dsp_inputwin() ? dsp_sumxy(y, py) : 0;
}

qr_l GetMouseWinX288() {
  dsp_setup();
  return dsp_inputwin() ? dsp.input.state.x : 0;
}

qr_l GetMouseWinY289() {
  dsp_setup();
  return dsp_inputwin() ? dsp.input.state.y : 0;
}

qr_l GetMousePosX290() {
  dsp_setup();
  long left = 0, top = 0, px = 0, py = 0;
  dsp_borders(left, top);
  dsp_pointer(px, py);
  return dsp_inputwin() ? dsp_sumxy(left, px) : 0;
}

qr_l GetMousePosY291() {
  dsp_setup();
  long left = 0, top = 0, px = 0, py = 0;
  dsp_borders(left, top);
  dsp_pointer(px, py);
  return dsp_inputwin() ? dsp_sumxy(top, py) : 0;
}
