// Key and mouse synthesis: presses, releases, wheel turns and pointer moves posted into the
// window's own message queue, never to other programs. The input state (keys and buttons
// down, pointer position) follows each message as it falls due.
#include <algorithm>
#include <iterator>

#include "platform/disp/internal.h"

namespace {

// More than a program could mean to leave unread; Windows stops at the same number.
constexpr size_t dsp_queuemax = 10000;

// Longest hold of a key or button, in ms: Windows' 32-bit count of milliseconds.
constexpr qe_u dsp_holdmax = 0xFFFFFFFFu;

// A key of the synthesis entries: a virtual-key code 1..255.
bool dsp_keyok(qe_uc vk) { return dsp_inputwin() && vk >= 1 && vk <= 255; }

dsp_msg dsp_keymsg(unsigned code, qe_uc vk) {
  dsp_msg m = dsp_newmsg(code);
  m.vk = vk;
  m.repeat = code == dsp_wm_keydown && dsp.input.state.keydown[vk];
  return m;
}

// The press and release codes of a button: 1 left, 2 right, 4 middle, 5 and 6 the X
// buttons; 0 for any other number.
unsigned dsp_buttoncode(qe_uc button, bool down) {
  switch (button) {
    case 1:
      return down ? dsp_wm_lbuttondown : dsp_wm_lbuttonup;
    case 2:
      return down ? dsp_wm_rbuttondown : dsp_wm_rbuttonup;
    case 4:
      return down ? dsp_wm_mbuttondown : dsp_wm_mbuttonup;
    case 5:
    case 6:
      return down ? dsp_wm_xbuttondown : dsp_wm_xbuttonup;
    default:
      return 0;
  }
}

void dsp_postbutton(qe_uc button, bool down, double at) {
  dsp_msg m = dsp_newmsg(dsp_buttoncode(button, down));
  m.button = button;
  dsp_post(std::move(m), at);
}

// A press held for `ms` on the library's clock: the release falls due that much later.
double dsp_releaseat(qe_u ms) { return dsp_now() + double(std::min(ms, dsp_holdmax)) / 1000; }

// A press of vk held for `ms`.
void dsp_presskey(qe_uc vk, qe_u ms) {
  if (!dsp_keyok(vk)) return;
  double up = dsp_releaseat(ms);
  dsp_post(dsp_keymsg(dsp_wm_keydown, vk), dsp_now());
  dsp_post(dsp_keymsg(dsp_wm_keyup, vk), up);
}

void dsp_pressmouse(qe_uc button, qe_u ms) {
  if (!dsp_inputwin() || !dsp_buttoncode(button, true)) return;
  double up = dsp_releaseat(ms);
  dsp_postbutton(button, true, dsp_now());
  dsp_postbutton(button, false, up);
}

// Moves the pointer to (x, y) in window coordinates.
void dsp_moveto(long x, long y) {
  dsp_msg m = dsp_newmsg(dsp_wm_mousemove);
  m.x = dsp_clampxy(x);
  m.y = dsp_clampxy(y);
  dsp_post(std::move(m), dsp_now());
}

}  // namespace

dsp_msg dsp_newmsg(unsigned code) {
  dsp_msg m;
  m.live = true;
  m.code = code;
  m.x = dsp.input.state.x;
  m.y = dsp.input.state.y;
  return m;
}

// A message due now changes the input state at once, so the next synthesised message (a
// relative move, a second press) builds on it; one due later changes it when it is taken.
void dsp_post(dsp_msg m, double at) {
  auto& q = dsp.input.state.posted;
  double now = dsp_now();
  bool later = at > now;
  if (!later) {
    at = now;
    dsp_applyinput(m);
  }
  if (q.size() >= dsp_queuemax) return;
  auto it = q.end();  // after every message due at the same time or earlier
  while (it != q.begin() && std::prev(it)->at > at) --it;
  q.insert(it, dsp_posted{at, later, std::move(m)});
}

// ---- Entries: keys -------------------------------------------------------------------

qr_v PressKey240(qe_uc vk, qe_u ms) {
  dsp_setup();
  dsp_presskey(vk, ms);
}

qr_v PressKey241(qe_uc vk) {
  dsp_setup();
  dsp_presskey(vk, 0);
}

qr_v DownKey242(qe_uc vk) {
  dsp_setup();
  if (dsp_keyok(vk)) dsp_post(dsp_keymsg(dsp_wm_keydown, vk), dsp_now());
}

qr_v UpKey243(qe_uc vk) {
  dsp_setup();
  if (dsp_keyok(vk)) dsp_post(dsp_keymsg(dsp_wm_keyup, vk), dsp_now());
}

// ---- Entries: mouse ------------------------------------------------------------------

qr_v PressMouse244(qe_uc button, qe_u ms) {
  dsp_setup();
  dsp_pressmouse(button, ms);
}

qr_v PressMouse245(qe_uc button) {
  dsp_setup();
  dsp_pressmouse(button, 0);
}

qr_v DownMouse246(qe_uc button) {
  dsp_setup();
  if (dsp_inputwin() && dsp_buttoncode(button, true)) dsp_postbutton(button, true, dsp_now());
}

qr_v UpMouse247(qe_uc button) {
  dsp_setup();
  if (dsp_inputwin() && dsp_buttoncode(button, false)) dsp_postbutton(button, false, dsp_now());
}

qr_v WheelMouse248(qe_l delta) {
  dsp_setup();
  if (!dsp_inputwin()) return;
  dsp_msg m = dsp_newmsg(dsp_wm_mousewheel);
  m.delta = delta;
  dsp_post(std::move(m), dsp_now());
}

qr_v MoveMouse249(qe_l dx, qe_l dy) {
  dsp_setup();
  if (!dsp_inputwin()) return;
  dsp_moveto(dsp_sumxy(dsp.input.state.x, dx), dsp_sumxy(dsp.input.state.y, dy));
}

qr_v MoveMouseAbs250(qe_l x, qe_l y) {
  dsp_setup();
  if (!dsp_inputwin()) return;
  long wx = 0, wy = 0;
  dsp_winpos(wx, wy);
  dsp_moveto(dsp_sumxy(x, -wx), dsp_sumxy(y, -wy));
}

qr_v MoveMouseWin251(qe_l x, qe_l y) {
  dsp_setup();
  if (dsp_inputwin()) dsp_moveto(x, y);
}

qr_v MoveMousePos252(qe_l x, qe_l y) {
  dsp_setup();
  if (!dsp_inputwin()) return;
  long left = 0, top = 0;
  dsp_borders(left, top);
  dsp_moveto(dsp_sumxy(x, -left), dsp_sumxy(y, -top));
}
