// Messages: the desktop's events as the backend hands them over, the key presses and
// dropped files of a DISP_KEYS script and the messages synthesised by this library, handed
// out one at a time; the entries that take, wait for and examine them, keys and mouse
// buttons included.
#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/disp/internal.h"

namespace {

dsp_msg& dsp_cur() { return dsp.input.current; }

// Which physical key gave which key code, while it is held.
void dsp_holdscan(unsigned scan, dsp_msg const& m) {
  if (scan == 0 || scan >= dsp_scanmax || m.vk == 0 || m.vk > 255) return;
  dsp.input.state.heldscan[scan] = m.code == dsp_wm_keydown ? (unsigned char)m.vk : 0;
}

// Whether another physical key of the same code is still held (one Shift let go of while
// the other stays down).
bool dsp_heldbyanother(unsigned vk) {
  if (vk == 0 || vk > 255) return false;
  auto const& held = dsp.input.state.heldscan;
  return std::find(std::begin(held), std::end(held), (unsigned char)vk) != std::end(held);
}

// The window's own messages acted on: a closed window closes, an uncovered one is shown
// again, a resized one takes its new size (so GetWidth56 tells it while this is handled)
// and tells the input method where the text box now is.
void dsp_actonwindow(dsp_msg const& m) {
  if (m.code == dsp_wm_close)
    dsp_close();
  else if (m.code == dsp_wm_paint)
    dsp_present();
  else if (m.code == dsp_wm_size && dsp_syncsize() && dsp.input.texton)
    dsp_textinputsync();  // the text box moved in the window with the canvas
}

// Makes a message from outside the current one, acting on those that concern the window.
void dsp_take(dsp_event& ev) {
  dsp_msg& m = ev.msg;
  dsp_actonwindow(m);
  if (m.code == dsp_wm_keydown || m.code == dsp_wm_keyup) dsp_holdscan(ev.scan, m);
  dsp_applyinput(m);
  if (m.code == dsp_wm_keyup && dsp_heldbyanother(m.vk)) dsp.input.state.keydown[m.vk] = true;
  dsp_cur() = std::move(m);
}

// Makes the first line of the script the current message: a key, a dropped file, typed
// text or the composition so far.
void dsp_takescripted() {
  dsp_scriptkey& line = dsp.input.script.front();
  dsp_msg& m = dsp_cur();
  int const hold = line.hold;
  m.live = true;
  m.code = line.typing == 1     ? dsp_wm_char
           : line.typing == 2   ? dsp_wm_imecomposition
           : !line.drop.empty() ? dsp_wm_dropfiles
           : hold < 0           ? dsp_wm_keyup
                                : dsp_wm_keydown;
  m.vk = line.vk;
  m.file = std::move(line.drop);
  m.text = std::move(line.text);
  m.caret = m.code == dsp_wm_imecomposition ? dsp_u8count(m.text) : 0;
  m.x = dsp.input.state.x;
  m.y = dsp.input.state.y;
  dsp.input.script.pop_front();
  if (hold) {  // a tap holds nothing; a down line holds its key until its up line
    m.repeat = hold > 0 && dsp.input.state.keydown[m.vk];
    dsp_applyinput(m);
  }
}

// The first scripted line or synthesised message to fall due, as a clock time (infinity
// when none is left).
double dsp_nextdue() {
  double due = std::numeric_limits<double>::infinity();
  if (!dsp.input.script.empty()) due = dsp.input.script.front().at;
  if (!dsp.input.state.posted.empty()) due = std::min(due, dsp.input.state.posted.front().at);
  return std::min(due, dsp_padnextdue());  // pad: a scripted controller's next line
}

// Lets the clock run on towards `until`: the virtual clock jumps there, the real one sleeps
// at most a second at a time. Each call moves the clock by at least 1 ms, unless it is at
// its end: false then, as nothing later can ever fall due.
bool dsp_waituntil(double until) {
  double ms = std::ceil((until - dsp_now()) * 1000 - 1e-6);
  if (!dsp_clk().instant) ms = std::min(ms, 1000.0);
  uint64_t const before = dsp_clk().ms();
  dsp_clk().pause(uint64_t(std::clamp(ms, 1.0, 4e12)));
  return dsp_clk().ms() != before;
}

// What the takes and waits look for; `arg` is the code, key or button asked for.
using dsp_want = bool (*)(dsp_msg const& m, qe_u arg);
bool dsp_anycode(dsp_msg const& m, qe_u) { return m.code != dsp_wm_null; }
bool dsp_iscode(dsp_msg const& m, qe_u code) { return m.code == code; }
bool dsp_iskeydown(dsp_msg const& m, qe_u = 0) { return m.code == dsp_wm_keydown; }
bool dsp_isknownkey(dsp_msg const& m, qe_u) { return dsp_iskeydown(m) && m.vk != 0; }
bool dsp_isthatkey(dsp_msg const& m, qe_u vk) { return dsp_iskeydown(m) && m.vk == vk; }
bool dsp_isbuttondown(dsp_msg const& m, qe_u = 0) {
  return m.button != 0 && (m.code == dsp_wm_lbuttondown || m.code == dsp_wm_rbuttondown ||
                           m.code == dsp_wm_mbuttondown || m.code == dsp_wm_xbuttondown);
}
bool dsp_isthatbutton(dsp_msg const& m, qe_u b) { return dsp_isbuttondown(m) && m.button == b; }
bool dsp_iswheel(dsp_msg const& m, qe_u = 0) { return m.code == dsp_wm_mousewheel; }
bool dsp_ismove(dsp_msg const& m, qe_u = 0) { return m.code == dsp_wm_mousemove; }

// Buttons that have a code: 1 left, 2 right, 4 middle, 5 and 6 the X buttons.
bool dsp_isbutton(qe_u b) { return b == 1 || b == 2 || b == 4 || b == 5 || b == 6; }

// Waits for a press of any key the table knows; its code, 0 when the wait ended.
qr_u dsp_waitanykey() { return dsp_wait(dsp_isknownkey, 0) ? dsp_cur().vk : 0; }

// Waits for a press of that button (0: any); its number, 0 when the wait ended or there
// is no such button.
qr_u dsp_waitmouse(qe_u button) {
  if (button == 0) return dsp_wait(dsp_isbuttondown, 0) ? dsp_cur().button : 0;
  if (!dsp_isbutton(button)) return 0;  // no such button: nothing to wait for
  return dsp_wait(dsp_isthatbutton, button) ? button : 0;
}

// Takes waiting messages until one passes `want`; none passing leaves no message current.
bool dsp_get(dsp_want want, qe_u arg = 0) {
  while (dsp_next())
    if (want(dsp_cur(), arg)) return true;
  return false;
}

// The position of a mouse message packed as Windows packs it: x in the low 16 bits, y in the
// next 16, each as a 16-bit two's complement number.
qr_u dsp_packxy(dsp_msg const& m) { return (qr_u(m.x) & 0xFFFF) | ((qr_u(m.y) & 0xFFFF) << 16); }

}  // namespace

void dsp_applyinput(dsp_msg const& m) {
  dsp_inputstate& st = dsp.input.state;
  switch (m.code) {
    case dsp_wm_keydown:
    case dsp_wm_keyup:
      if (m.vk != 0 && m.vk < 256) st.keydown[m.vk] = m.code == dsp_wm_keydown;
      break;
    case dsp_wm_mousemove:
      st.x = m.x;
      st.y = m.y;
      break;
    case dsp_wm_lbuttondown:
    case dsp_wm_rbuttondown:
    case dsp_wm_mbuttondown:
    case dsp_wm_xbuttondown:
      if (m.button != 0) st.buttons |= 1u << m.button;
      break;
    case dsp_wm_lbuttonup:
    case dsp_wm_rbuttonup:
    case dsp_wm_mbuttonup:
    case dsp_wm_xbuttonup:
      if (m.button != 0) st.buttons &= ~(1u << m.button);
      break;
    case dsp_wm_killfocus:
      dsp_releaseall();
      break;
    default:
      break;
  }
}

bool dsp_inputwin() {
  if (dsp.win.open) return true;
  dsp_inputreset();
  return false;
}

void dsp_releaseall() {
  dsp_inputstate& st = dsp.input.state;
  std::fill(std::begin(st.keydown), std::end(st.keydown), false);
  std::fill(std::begin(st.heldscan), std::end(st.heldscan), 0);
  st.buttons = 0;
}

void dsp_inputreset() {
  dsp_inputstate& st = dsp.input.state;
  st.posted.clear();
  dsp_releaseall();
  st.x = st.y = 0;
}

// Scripted lines and synthesised messages that are due come first, in the order they fell
// due (a scripted line before a message due at the same time), then the desktop's events.
bool dsp_next() {
  dsp_cur() = {false, 0};
  if (!dsp_inputwin()) return false;  // the window's queue went with it
  dsp_padpump();                      // pad: scripted presses due by now
  auto& script = dsp.input.script;
  auto& posted = dsp.input.state.posted;
  double now = script.empty() && posted.empty() ? 0 : dsp_now();  // the game's usual case
  bool scripted = !script.empty() && script.front().at <= now;
  bool synthesised = !posted.empty() && posted.front().at <= now;
  if (scripted && (!synthesised || script.front().at <= posted.front().at)) {
    if (script.front().typing && !dsp.input.texton) {  // nothing is typed while text input is off
      script.pop_front();
      return dsp_next();
    }
    dsp_takescripted();
    return true;
  }
  if (synthesised) {
    if (posted.front().pending) dsp_applyinput(posted.front().msg);
    dsp_cur() = std::move(posted.front().msg);
    posted.pop_front();
    return true;
  }
  // [perf] The backend looks at the desktop only when something may have come.
  dsp_event ev;
  while (dsp_be().poll(ev)) {
    // pad: controller events are no messages themselves; the keys they stand for are
    // queued, and taken at once.
    if (ev.pad) {
      if (ev.pad == 2) return dsp_next();
      continue;
    }
    dsp_take(ev);
    return true;
  }
  return false;
}

// Never waits for what cannot come: the headless backend gives up at once when no scripted
// or synthesised message is still due, and every wait ends when the window closes or
// DISP_QUIT_AT passes. A window waits on the desktop in slices of at most 100 ms.
bool dsp_wait(bool (*want)(dsp_msg const& m, qe_u arg), qe_u arg) {
  for (;;) {
    dsp_tick();
    if (!dsp_inputwin()) break;
    if (dsp_next()) {
      if (want(dsp_cur(), arg)) return true;
      continue;
    }
    double due = dsp_nextdue();
    double stop = dsp.env.quitat >= 0 ? std::min(due, dsp.env.quitat) : due;
    if (!dsp_be().events) {
      if (!std::isfinite(due)) break;  // nothing will ever come
      if (!dsp_waituntil(stop)) break;
      continue;
    }
    if (dsp_clk().instant && std::isfinite(stop)) {  // virtual time passes at once
      if (!dsp_waituntil(stop)) break;
      continue;
    }
    double left = (stop - dsp_now()) * 1000;
    int ms = std::isfinite(left) ? int(std::clamp(std::ceil(left), 1.0, 100.0)) : 100;
    dsp_event ev;
    if (dsp_be().wait(ev, ms)) {
      dsp_take(ev);
      if (want(dsp_cur(), arg)) return true;
    }
  }
  dsp_cur() = {false, 0};
  return false;
}

// ---- Entries: messages ---------------------------------------------------------------

qr_v SendMsg253() {
  dsp_setup();
  if (!dsp_inputwin()) return;
  dsp_msg m;
  m.live = true;
  m.code = dsp_wm_user;
  dsp_post(std::move(m), dsp_now());
}

qr_bool IsNextMsg254() {
  dsp_setup();
  dsp_statpass();
  dsp_tick();
  return dsp_next();
}

// Events without a code of their own are taken and passed over, so 0 means none is left.
qr_u GetNextMsg255() {
  dsp_setup();
  dsp_tick();
  return dsp_get(dsp_anycode, 0) ? dsp_cur().code : 0;
}

qr_u WaitNextMsg256() {
  dsp_setup();
  return dsp_wait(dsp_anycode, 0) ? dsp_cur().code : 0;
}

qr_bool IsMsg257(qe_u code) {
  dsp_setup();
  return dsp_cur().live && dsp_cur().code == code;
}

qr_u GetMsg258(qe_u code) {
  dsp_setup();
  dsp_tick();
  return code <= 0xFFFFFFFFu && dsp_get(dsp_iscode, code) ? code : 0;
}

qr_u WaitMsg259(qe_u code) {
  dsp_setup();
  return code <= 0xFFFFFFFFu && dsp_wait(dsp_iscode, code) ? code : 0;
}

// ---- Entries: keys -------------------------------------------------------------------

qr_bool IsKey260(qe_u code) {
  dsp_setup();
  return dsp_iskeydown(dsp_cur()) && code != 0 && dsp_cur().vk == code;
}

qr_bool IsKey261() {
  dsp_setup();
  return dsp_iskeydown(dsp_cur());
}

qr_u GetKey262() {
  dsp_setup();
  return dsp_iskeydown(dsp_cur()) ? dsp_cur().vk : 0;
}

qr_u WaitKey263(qe_u vk) {
  dsp_setup();
  if (vk == 0) return dsp_waitanykey();
  if (vk > 255) return 0;  // no such key: nothing to wait for
  return dsp_wait(dsp_isthatkey, vk) ? vk : 0;
}

qr_u WaitKey264() {
  dsp_setup();
  return dsp_waitanykey();
}

// ---- Entries: mouse buttons, wheel and moves ------------------------------------------

qr_bool IsMouse265(qe_u button) {
  dsp_setup();
  return dsp_isthatbutton(dsp_cur(), button);
}

qr_bool IsMouse266() {
  dsp_setup();
  return dsp_isbuttondown(dsp_cur());
}

qr_u GetMouse267() {
  dsp_setup();
  return dsp_isbuttondown(dsp_cur()) ? dsp_cur().button : 0;
}

qr_u WaitMouse268(qe_u button) {
  dsp_setup();
  return dsp_waitmouse(button);
}

qr_u WaitMouse269() {
  dsp_setup();
  return dsp_waitmouse(0);
}

qr_bool IsMouseLeft270() {
  dsp_setup();
  return dsp_isthatbutton(dsp_cur(), 1);
}
qr_v WaitMouseLeft271() {
  dsp_setup();
  dsp_waitmouse(1);
}
qr_bool IsMouseMiddle272() {
  dsp_setup();
  return dsp_isthatbutton(dsp_cur(), 4);
}
qr_v WaitMouseMiddle273() {
  dsp_setup();
  dsp_waitmouse(4);
}
qr_bool IsMouseRight274() {
  dsp_setup();
  return dsp_isthatbutton(dsp_cur(), 2);
}
qr_v WaitMouseRight275() {
  dsp_setup();
  dsp_waitmouse(2);
}

qr_bool IsMouseWheel276() {
  dsp_setup();
  return dsp_iswheel(dsp_cur());
}

qr_l GetMouseWheel277() {
  dsp_setup();
  return dsp_iswheel(dsp_cur()) ? dsp_cur().delta : 0;
}

qr_l WaitMouseWheel278() {
  dsp_setup();
  return dsp_wait(dsp_iswheel, 0) ? dsp_cur().delta : 0;
}

qr_bool IsMouseMove279() {
  dsp_setup();
  return dsp_ismove(dsp_cur());
}

qr_u GetMouseMove280() {
  dsp_setup();
  return dsp_ismove(dsp_cur()) ? dsp_packxy(dsp_cur()) : 0;
}

qr_u WaitMouseMove281() {
  dsp_setup();
  return dsp_wait(dsp_ismove, 0) ? dsp_packxy(dsp_cur()) : 0;
}

// ---- Entries: held keys and buttons (our extensions) ----------------------------------

// Held state follows the messages taken so far, so it agrees with what the program has
// seen: a press counts once its message was taken, a release likewise.
qr_bool disp_iskeydown(qe_u vk) {
  dsp_extension ext;
  dsp_setup();
  return dsp_inputwin() && vk >= 1 && vk <= 255 && dsp.input.state.keydown[vk];
}

qr_bool disp_isbuttondown(qe_u button) {
  dsp_extension ext;
  dsp_setup();
  return dsp_inputwin() && dsp_isbutton(button) && (dsp.input.state.buttons >> button & 1);
}

qr_bool disp_isrepeat() {
  dsp_extension ext;
  dsp_setup();
  return dsp_iskeydown(dsp_cur()) && dsp_cur().repeat;
}

qr_u disp_getkeyup() {
  dsp_extension ext;
  dsp_setup();
  return dsp_cur().code == dsp_wm_keyup ? dsp_cur().vk : 0;
}
