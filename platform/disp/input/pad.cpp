// Gamepads by index: the pads the drivers report (pad.h), their button and axis state, the
// messages of a button's press and release and of a pad's arrival and removal, and the
// table of buttons the program turns into key messages (empty until it sets one).
#include "platform/disp/input/pad.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/disp/input/padnames.h"
#include "platform/disp/internal.h"

namespace {

// A button as a key: held while the button is (a second button of the same key is a
// repeat, and the key is up when the last of them is), or pressed and released together
// when the button is let go.
struct dsp_padkeymap {
  unsigned vk = 0;  // 0: the button gives no key
  bool onrelease = false;
};

// Two buttons held together as one key: down when the second of them goes down, up when
// both are up again. A button that acts on release gives nothing while it is part of one.
struct dsp_padchord {
  int b1, b2;
  unsigned vk;
  bool has(int b) const { return b == b1 || b == b2; }
};

// One index: the pad plugged in there (driver null: none), what it holds and the keys its
// buttons hold, kept from the press so that a mapping changed meanwhile still lets go.
struct dsp_padslot {
  dsp_paddriver const* driver = nullptr;
  int dev = -1;
  std::string name;
  uint32_t held = 0;                         // bit 1 << button
  unsigned heldvk[dsp_padbuttons + 1] = {};  // the key each held button holds
  std::vector<dsp_padchord> chords;          // chords down on this pad
};

struct {
  std::vector<dsp_paddriver const*> open;  // drivers running for the open window
  std::vector<dsp_padslot> slots;
  dsp_padkeymap keys[dsp_padbuttons + 1];
  std::vector<dsp_padchord> chords;
  double deadzone = 0.1;
} dsp_pads;

thread_local std::string dsp_padnametext;  // what disp_padname hands out, per thread

bool dsp_isbuttonno(qe_u b) { return b >= 1 && b <= qe_u(dsp_padbuttons); }
bool dsp_held(dsp_padslot const& p, int b) { return (p.held >> b) & 1; }

// Queues a key message, due now, as a key of the keyboard would arrive.
void dsp_padkey(unsigned code, unsigned vk, bool repeat = false) {
  dsp_msg m = dsp_newmsg(code);
  m.vk = vk;
  m.repeat = repeat;
  dsp_post(std::move(m), dsp_now());
}

void dsp_padnote(unsigned code, int index, int button = 0) {
  dsp_msg m = dsp_newmsg(code);
  m.pad = index;
  m.button = unsigned(button);
  dsp_post(std::move(m), dsp_now());
}

dsp_padslot* dsp_slotof(dsp_paddriver const* d, int dev, int* index = nullptr) {
  for (size_t i = 0; i < dsp_pads.slots.size(); ++i)
    if (dsp_pads.slots[i].driver == d && dsp_pads.slots[i].dev == dev) {
      if (index) *index = int(i);
      return &dsp_pads.slots[i];
    }
  return nullptr;
}

dsp_padslot const* dsp_slotat(qe_u index) {
  if (!dsp_inputwin() || index >= dsp_pads.slots.size()) return nullptr;
  dsp_padslot const& p = dsp_pads.slots[index];
  return p.driver ? &p : nullptr;
}

// Whether a held button other than b of pad p, or of any other pad, holds the same key:
// the key is up only when the last of them is let go.
bool dsp_keyalso(dsp_padslot const& p, unsigned vk, int b) {
  for (dsp_padslot const& q : dsp_pads.slots)
    for (int o = 1; o <= dsp_padbuttons; ++o)
      if ((&q != &p || o != b) && dsp_held(q, o) && q.heldvk[o] == vk) return true;
  return false;
}

void dsp_keysdown(dsp_padslot& p, int b) {
  for (dsp_padchord const& c : dsp_pads.chords) {
    bool const already = std::any_of(p.chords.begin(), p.chords.end(), [&](dsp_padchord const& o) {
      return o.b1 == c.b1 && o.b2 == c.b2;
    });
    if (c.has(b) && dsp_held(p, c.b1) && dsp_held(p, c.b2) && !already) {
      p.chords.push_back(c);
      dsp_padkey(dsp_wm_keydown, c.vk);
    }
  }
  dsp_padkeymap const& k = dsp_pads.keys[b];
  if (k.vk == 0 || k.onrelease) return;
  p.heldvk[b] = k.vk;
  dsp_padkey(dsp_wm_keydown, k.vk, dsp_keyalso(p, k.vk, b));
}

// `gone`: the pad left, so a button that acts on release gives nothing.
void dsp_keysup(dsp_padslot& p, int b, bool gone) {
  bool inchord = false;
  for (auto it = p.chords.begin(); it != p.chords.end();) {
    if (!it->has(b)) {
      ++it;
      continue;
    }
    inchord = true;
    if (dsp_held(p, it->b1) || dsp_held(p, it->b2)) {
      ++it;
      continue;
    }
    dsp_padkey(dsp_wm_keyup, it->vk);
    it = p.chords.erase(it);
  }
  if (unsigned vk = p.heldvk[b]) {
    p.heldvk[b] = 0;
    if (!dsp_keyalso(p, vk, b)) dsp_padkey(dsp_wm_keyup, vk);
    return;
  }
  dsp_padkeymap const& k = dsp_pads.keys[b];
  if (k.vk == 0 || !k.onrelease || inchord || gone) return;
  dsp_padkey(dsp_wm_keydown, k.vk);
  dsp_padkey(dsp_wm_keyup, k.vk);
}

// A value read past the dead zone: 0 inside it, then rising evenly to 1 at the end.
double dsp_pastdeadzone(double v) {
  if (!std::isfinite(v)) return 0;
  v = std::clamp(v, -1.0, 1.0);
  double const z = dsp_pads.deadzone;
  if (std::fabs(v) <= z) return 0;
  return std::copysign((std::fabs(v) - z) / (1 - z), v);
}

}  // namespace

// ---- Reports from the drivers ----------------------------------------------------------

int dsp_padarrived(dsp_paddriver const* d, int dev, std::string name) {
  if (dsp_slotof(d, dev)) return -1;
  auto& v = dsp_pads.slots;
  size_t i = 0;
  while (i < v.size() && v[i].driver) ++i;
  if (i == v.size()) v.emplace_back();
  v[i] = dsp_padslot{};
  v[i].driver = d;
  v[i].dev = dev;
  v[i].name = std::move(name);
  dsp_padnote(dsp_wm_padadded, int(i));
  return int(i);
}

// A pad that goes away lets go of the keys its buttons hold, so none stays down.
void dsp_padleft(dsp_paddriver const* d, int dev) {
  int index = -1;
  dsp_padslot* p = dsp_slotof(d, dev, &index);
  if (!p) return;
  for (int b = 1; b <= dsp_padbuttons; ++b)
    if (dsp_held(*p, b)) {
      p->held &= ~(1u << b);
      dsp_keysup(*p, b, true);
    }
  *p = dsp_padslot{};
  while (!dsp_pads.slots.empty() && !dsp_pads.slots.back().driver) dsp_pads.slots.pop_back();
  dsp_padnote(dsp_wm_padremoved, index);
}

// The key a button stands for comes first, then the pad's own message: a program that
// acts on keys sees the key exactly when it would have seen it from the keyboard.
void dsp_padpress(dsp_paddriver const* d, int dev, int b, bool down) {
  int index = -1;
  dsp_padslot* p = dsp_slotof(d, dev, &index);
  if (!p || b < 1 || b > dsp_padbuttons || down == dsp_held(*p, b)) return;
  p->held = down ? p->held | (1u << b) : p->held & ~(1u << b);
  if (down)
    dsp_keysdown(*p, b);
  else
    dsp_keysup(*p, b, false);
  dsp_padnote(down ? dsp_wm_paddown : dsp_wm_padup, index, b);
}

bool dsp_padknown(dsp_paddriver const* d, int dev) { return dsp_slotof(d, dev) != nullptr; }

// ---- For the rest of the library -------------------------------------------------------

// The desktop's pads come with the backend (none headless); the scripted ones wherever a
// script names them.
void dsp_padopen() {
  if (!dsp_pads.open.empty()) return;
  for (dsp_paddriver const* d : {dsp_be().pads, &dsp_scriptpads}) {
    if (!d || (d == &dsp_scriptpads && !dsp_padscripted())) continue;
    if (d->open()) dsp_pads.open.push_back(d);
  }
}

void dsp_padclose() {
  dsp_pads.slots.clear();
  for (dsp_paddriver const* d : dsp_pads.open) d->close();
  dsp_pads.open.clear();
}

void dsp_padpump() {
  for (dsp_paddriver const* d : dsp_pads.open) d->pump();
}

double dsp_padnextdue() {
  double due = HUGE_VAL;
  for (dsp_paddriver const* d : dsp_pads.open) due = std::min(due, d->nextdue());
  return due;
}

// ---- Entries: pads, their buttons and axes (our extensions) -----------------------------

qr_u disp_padcount() {
  dsp_extension ext;
  dsp_setup();
  return dsp_inputwin() ? dsp_pads.slots.size() : 0;
}

qr_bool disp_ispad(qe_u pad) {
  dsp_extension ext;
  dsp_setup();
  return dsp_slotat(pad) != nullptr;
}

qr_ms disp_padname(qe_u pad) {
  dsp_extension ext;
  dsp_setup();
  dsp_padslot const* p = dsp_slotat(pad);
  dsp_padnametext = p ? p->name : "";
  return dsp_padnametext.c_str();
}

qr_bool disp_ispadbuttondown(qe_u pad, qe_u button) {
  dsp_extension ext;
  dsp_setup();
  dsp_padslot const* p = dsp_slotat(pad);
  return p && dsp_isbuttonno(button) && dsp_held(*p, int(button));
}

qr_d disp_getpadaxis(qe_u pad, qe_u axis) {
  dsp_extension ext;
  dsp_setup();
  dsp_padslot const* p = dsp_slotat(pad);
  if (!p || axis < 1 || axis > qe_u(dsp_padaxes)) return 0;
  double v = dsp_pastdeadzone(p->driver->axis(p->dev, int(axis)));
  return axis >= 5 ? std::max(v, 0.0) : v;  // a trigger never reads below rest
}

qr_v disp_setpaddeadzone(qe_d zone) {
  dsp_extension ext;
  dsp_setup();
  if (!(zone >= 0 && zone < 1)) {
    dsp_fail(dsp_earg, __func__, "the dead zone %g is not within 0..1 (1 excluded)", zone);
    return;
  }
  dsp_pads.deadzone = zone;
}

qr_bool disp_rumblepad(qe_u pad, qe_d low, qe_d high, qe_u ms) {
  dsp_extension ext;
  dsp_setup();
  dsp_padslot const* p = dsp_slotat(pad);
  if (!p) return false;
  auto strength = [](double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0; };
  return p->driver->rumble(p->dev, strength(low), strength(high),
                           unsigned(std::min<qe_u>(ms, 0xFFFFFFFFu)));
}

// ---- Entries: pad messages and the button-to-key table (our extensions) -----------------

qr_l disp_getpad() {
  dsp_extension ext;
  dsp_setup();
  dsp_msg const& m = dsp.input.current;
  return m.live && m.code >= dsp_wm_paddown && m.code <= dsp_wm_padremoved ? m.pad : -1;
}

qr_u disp_getpadbutton() {
  dsp_extension ext;
  dsp_setup();
  dsp_msg const& m = dsp.input.current;
  return m.live && (m.code == dsp_wm_paddown || m.code == dsp_wm_padup) ? m.button : 0;
}

qr_v disp_mappadbutton(qe_u button, qe_u vk, qe_bool onrelease) {
  dsp_extension ext;
  dsp_setup();
  if (!dsp_isbuttonno(button) || vk > 255) {
    dsp_fail(dsp_earg, __func__,
             "button %lu or key %lu is out of range (buttons 1..%d, keys 0..255)", button, vk,
             dsp_padbuttons);
    return;
  }
  dsp_pads.keys[button] = {unsigned(vk), onrelease != 0};
}

qr_v disp_mappadchord(qe_u button1, qe_u button2, qe_u vk) {
  dsp_extension ext;
  dsp_setup();
  if (!dsp_isbuttonno(button1) || !dsp_isbuttonno(button2) || button1 == button2 || vk > 255) {
    dsp_fail(dsp_earg, __func__,
             "buttons %lu and %lu (two different ones of 1..%d) or key %lu (0..255) out of range",
             button1, button2, dsp_padbuttons, vk);
    return;
  }
  int const b1 = int(std::min(button1, button2)), b2 = int(std::max(button1, button2));
  auto& v = dsp_pads.chords;
  std::erase_if(v, [&](dsp_padchord const& c) { return c.b1 == b1 && c.b2 == b2; });
  if (vk != 0) v.push_back({b1, b2, unsigned(vk)});
}
