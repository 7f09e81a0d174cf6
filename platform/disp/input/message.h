// Our own message: what the input queue hands out, whichever backend, script or entry it
// came from. Backends turn their native events into these; nothing above them sees any other.
#pragma once
#include <string>

// Message codes, as Windows numbers them.
enum dsp_wm : unsigned {
  dsp_wm_null = 0x000,  // any event without a code of its own
  dsp_wm_move = 0x003,
  dsp_wm_size = 0x005,
  dsp_wm_setfocus = 0x007,
  dsp_wm_killfocus = 0x008,
  dsp_wm_paint = 0x00F,
  dsp_wm_close = 0x010,
  dsp_wm_showwindow = 0x018,
  dsp_wm_keydown = 0x100,
  dsp_wm_keyup = 0x101,
  dsp_wm_char = 0x102,            // text typed (text input on): the UTF-8 text in `text`
  dsp_wm_imecomposition = 0x10F,  // the input method's composition changed: `text`, `caret`
  dsp_wm_mousemove = 0x200,
  dsp_wm_lbuttondown = 0x201,
  dsp_wm_lbuttonup = 0x202,
  dsp_wm_rbuttondown = 0x204,
  dsp_wm_rbuttonup = 0x205,
  dsp_wm_mbuttondown = 0x207,
  dsp_wm_mbuttonup = 0x208,
  dsp_wm_mousewheel = 0x20A,
  dsp_wm_xbuttondown = 0x20B,
  dsp_wm_xbuttonup = 0x20C,
  dsp_wm_mousehwheel = 0x20E,
  dsp_wm_dropfiles = 0x233,
  dsp_wm_mouseleave = 0x2A3,
  dsp_wm_user = 0x400,
};

// A message: the current one is what IsKey260, IsMouse265 and their kin examine. Codes are
// the Windows message numbers (dsp_wm below); `{false, 0}` is no message at all.
struct dsp_msg {
  bool live = false;      // a message is current
  unsigned code = 0;      // dsp_wm_keydown, ...; 0 for an event of no interest
  unsigned vk = 0;        // key messages: the virtual-key code (0: a key the table does not know)
  unsigned button = 0;    // mouse-button messages: 1 left, 2 right, 4 middle, 5 and 6 the X buttons
  long x = 0, y = 0;      // mouse messages: the pointer in window coordinates
  long delta = 0;         // wheel messages: 120 per notch, positive away from the user
  bool repeat = false;    // a key press of a key already down
  std::string file = {};  // a dropped file's path
  std::string text = {};  // typed text, or the composition (empty: none, or it ended)
  long caret = 0;         // composition: the caret, in characters from its start
  long pad = -1;          // pad messages: the pad's index
};

// Physical keys (scancodes) are numbered below this.
inline constexpr unsigned dsp_scanmax = 512;
