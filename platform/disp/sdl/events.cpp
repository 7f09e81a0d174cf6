// SDL's events turned into our own messages: keys, the mouse, dropped files and the
// window's own events; a controller's events go to the gamepads. The input queue only ever
// sees the result (input/input.cpp acts on the window's messages and keeps the held state).
#include <time.h>

#include <algorithm>
#include <cmath>

#include "platform/disp/input/keylog.h"
#include "platform/disp/sdl/keymap.h"
#include "platform/disp/sdl/sdl.h"

static_assert(dsp_scanmax >= SDL_NUM_SCANCODES, "every scancode has a place in heldscan");

namespace {

// A mouse-button message of SDL's button number: our button code and the message codes of
// its press and release (0 for a button we do not name).
struct dsp_sdlbutton {
  unsigned button, down, up;
};
dsp_sdlbutton dsp_buttonofsdl(Uint8 b) {
  switch (b) {
    case SDL_BUTTON_LEFT:
      return {1, dsp_wm_lbuttondown, dsp_wm_lbuttonup};
    case SDL_BUTTON_RIGHT:
      return {2, dsp_wm_rbuttondown, dsp_wm_rbuttonup};
    case SDL_BUTTON_MIDDLE:
      return {4, dsp_wm_mbuttondown, dsp_wm_mbuttonup};
    case SDL_BUTTON_X1:
      return {5, dsp_wm_xbuttondown, dsp_wm_xbuttonup};
    case SDL_BUTTON_X2:
      return {6, dsp_wm_xbuttondown, dsp_wm_xbuttonup};
    default:
      return {0, 0, 0};
  }
}

unsigned dsp_codeofwindowevent(Uint8 e) {
  switch (e) {
    case SDL_WINDOWEVENT_CLOSE:
      return dsp_wm_close;
    case SDL_WINDOWEVENT_EXPOSED:
      return dsp_wm_paint;
    case SDL_WINDOWEVENT_MOVED:
      return dsp_wm_move;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      return dsp_wm_size;  // RESIZED repeats it
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      return dsp_wm_setfocus;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      return dsp_wm_killfocus;
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_HIDDEN:
      return dsp_wm_showwindow;
    case SDL_WINDOWEVENT_LEAVE:
      return dsp_wm_mouseleave;
    default:
      return dsp_wm_null;
  }
}

// A mouse event as a message: motion, a button, the wheel.
void dsp_mousemsg(SDL_Event const& ev, dsp_msg& m) {
  switch (ev.type) {
    case SDL_MOUSEMOTION:
      m.code = dsp_wm_mousemove;
      m.x = ev.motion.x;
      m.y = ev.motion.y;
      dsp_tological(m.x, m.y);  // the canvas may be shown scaled
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      dsp_sdlbutton b = dsp_buttonofsdl(ev.button.button);
      m.code = ev.type == SDL_MOUSEBUTTONDOWN ? b.down : b.up;
      m.button = b.button;
      m.x = ev.button.x;  // where it was pressed is where the pointer is
      m.y = ev.button.y;
      dsp_tological(m.x, m.y);  // the canvas may be shown scaled
      dsp.input.state.x = m.x;
      dsp.input.state.y = m.y;
      break;
    }
    default: {  // SDL_MOUSEWHEEL
      bool flipped = ev.wheel.direction == SDL_MOUSEWHEEL_FLIPPED;
      float y = flipped ? -ev.wheel.preciseY : ev.wheel.preciseY;
      float x = flipped ? -ev.wheel.preciseX : ev.wheel.preciseX;
      m.code = y != 0 || x == 0 ? dsp_wm_mousewheel : dsp_wm_mousehwheel;
      m.delta = std::lround(double(m.code == dsp_wm_mousewheel ? y : x) * 120);
      break;
    }
  }
}

// SDL stamps an event in milliseconds of its own clock when it queues it; its age on that
// clock puts it on the monotonic one, which libsound's latency log uses.
long long dsp_queuedns(Uint32 timestamp) {
  Uint32 age = SDL_GetTicks() - timestamp;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000000000LL + now.tv_nsec - age * 1000000LL;
}

// A key press or release; auto-repeat included: a held key keeps pressing.
void dsp_keymsg(SDL_KeyboardEvent const& key, dsp_event& out) {
  out.msg.code = key.type == SDL_KEYDOWN ? dsp_wm_keydown : dsp_wm_keyup;
  out.msg.vk = dsp_vkofsdl(key.keysym.sym);
  out.msg.repeat = key.repeat != 0;
  if (key.type == SDL_KEYDOWN && !key.repeat)
    dsp_keylog(dsp_queuedns(key.timestamp), int(key.keysym.sym));
  SDL_Scancode const sc = key.keysym.scancode;
  out.scan = sc > SDL_SCANCODE_UNKNOWN && sc < SDL_NUM_SCANCODES ? unsigned(sc) : 0;
}

// Typed text or the composition so far (the caret counted in characters); text that is
// not UTF-8 (an input method's fault) is repaired rather than handed on.
void dsp_textmsg(unsigned code, char const* text, int caret, dsp_msg& m) {
  std::string buf;
  m.code = code;
  m.text = dsp_utf8(text, buf);
  m.caret = std::clamp(long(caret), 0L, dsp_u8count(m.text));
}

// An SDL event as our message (code 0 for one of no interest), the pointer where it was.
void dsp_translate(SDL_Event& ev, dsp_event& out) {
  out = {};
  dsp_msg& m = out.msg;
  m.live = true;
  m.x = dsp.input.state.x;
  m.y = dsp.input.state.y;
  if (dsp_fullscreenkey(ev)) return;  // F11 and Alt+Enter are the library's own
  switch (ev.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      dsp_keymsg(ev.key, out);
      break;
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEWHEEL:
      dsp_mousemsg(ev, m);
      break;
    case SDL_DROPFILE:
      m.code = dsp_wm_dropfiles;
      m.file = ev.drop.file ? ev.drop.file : "";
      SDL_free(ev.drop.file);
      break;
    case SDL_DROPTEXT:  // text, not a file; SDL hands it over all the same
      SDL_free(ev.drop.file);
      break;
    case SDL_TEXTINPUT:
      if (dsp.input.texton) dsp_textmsg(dsp_wm_char, ev.text.text, 0, m);
      break;
    case SDL_TEXTEDITING:
      if (dsp.input.texton) dsp_textmsg(dsp_wm_imecomposition, ev.edit.text, ev.edit.start, m);
      break;
    case SDL_TEXTEDITING_EXT:  // a composition too long for SDL_TEXTEDITING
      if (dsp.input.texton && ev.editExt.text)
        dsp_textmsg(dsp_wm_imecomposition, ev.editExt.text, ev.editExt.start, m);
      SDL_free(ev.editExt.text);
      break;
    case SDL_QUIT:
      m.code = dsp_wm_close;
      dsp_xcheck();  // display loss: SDL reports a lost Wayland display as a quit
      break;
    case SDL_WINDOWEVENT:
      m.code = dsp_codeofwindowevent(ev.window.event);
      break;
    default:
      out.pad = dsp_sdlpadevent(ev);  // a controller's buttons queue key messages of their own
      break;
  }
}

}  // namespace

// A window whose display was lost is no longer pumped; open pads still are.
bool dsp_sdlpoll(dsp_event& ev) {
  SDL_Event e;
  if (!(dsp_sdl.window || dsp_padon()) || !dsp_pollsdl(&e)) return false;
  dsp_translate(e, ev);
  return true;
}

bool dsp_sdlwait(dsp_event& ev, int ms) {
  SDL_Event e;
  if (SDL_WaitEventTimeout(&e, ms) == 0) return false;
  dsp_translate(e, ev);
  return true;
}

bool dsp_padpoll(dsp_event& ev) {
  SDL_Event e;
  if (!dsp_padon() || !dsp_pollsdl(&e)) return false;
  dsp_translate(e, ev);
  return true;
}
