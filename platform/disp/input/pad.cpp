// Gamepads: SDL game controllers, plugged in and out while the window is open, whose buttons
// arrive as the keyboard's own key messages (A/B/X/Y are SPACE, the D-pad the arrows, ...),
// and the virtual controller that a DISP_PAD_SCRIPT drives for tests.
#include <SDL2/SDL.h>

#include <cmath>
#include <vector>

#include "platform/disp/internal.h"

namespace {

// The keys the buttons stand for (Windows virtual-key codes, as in keys.h).
constexpr unsigned dsp_vkspace = 32, dsp_vkleft = 37, dsp_vkup = 38, dsp_vkright = 39,
                   dsp_vkdown = 40, dsp_vkkpplus = 107, dsp_vkkpminus = 109, dsp_vkr = 82,
                   dsp_vkf12 = 123, dsp_vkesc = 27;

constexpr uint32_t dsp_bit(int b) { return 1u << b; }
constexpr uint32_t dsp_menu =
    dsp_bit(SDL_CONTROLLER_BUTTON_BACK) | dsp_bit(SDL_CONTROLLER_BUTTON_START);

// One open controller: the buttons it holds down, and whether Back + Start were pressed
// together (Esc sent, its release still due).
struct dsp_pad {
  SDL_GameController* gc;
  SDL_JoystickID id;
  uint32_t held = 0;
  bool chord = false;
};

struct {
  bool on = false;  // SDL's game-controller subsystem runs for the open window
  std::vector<dsp_pad> pads;
  dsp_padplan plan;              // DISP_PAD_SCRIPT
  SDL_Joystick* virt = nullptr;  // the scripted controller while it is plugged in
  SDL_JoystickID virtid = -1;
} dsp_pads;

// The key of a button; 0 for Back and Start (they act on release, see dsp_padmenu) and for
// the buttons the game has no use for.
unsigned dsp_vkofbutton(int b) {
  switch (b) {
    case SDL_CONTROLLER_BUTTON_A:
    case SDL_CONTROLLER_BUTTON_B:
    case SDL_CONTROLLER_BUTTON_X:
    case SDL_CONTROLLER_BUTTON_Y:
      return dsp_vkspace;
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
      return dsp_vkup;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
      return dsp_vkdown;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
      return dsp_vkleft;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
      return dsp_vkright;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER:
      return dsp_vkkpminus;
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER:
      return dsp_vkkpplus;
    default:
      return 0;
  }
}

// Queues a key message, due now, as a key of the keyboard would arrive.
void dsp_padkey(unsigned code, unsigned vk, bool repeat = false) {
  dsp_msg m;
  m.live = true;
  m.code = code;
  m.vk = vk;
  m.repeat = repeat;
  m.x = dsp.input.state.x;
  m.y = dsp.input.state.y;
  dsp_post(std::move(m), dsp_now());
}

// Whether the pad holds a button other than `b` that stands for the same key.
bool dsp_padalso(dsp_pad const& p, unsigned vk, int b) {
  for (int o = 0; o < SDL_CONTROLLER_BUTTON_MAX; ++o)
    if (o != b && (p.held & dsp_bit(o)) && dsp_vkofbutton(o) == vk) return true;
  return false;
}

// Back and Start act when they are let go, so that pressing both together is Esc alone and
// never restarts the game or toggles auto-play on its way to quitting.
void dsp_padmenu(dsp_pad& p, int b, bool down) {
  if (down) {
    if ((p.held & dsp_menu) == dsp_menu && !p.chord) {
      p.chord = true;
      dsp_padkey(dsp_wm_keydown, dsp_vkesc);
    }
    return;
  }
  if (p.chord) {
    if ((p.held & dsp_menu) == 0) {
      p.chord = false;
      dsp_padkey(dsp_wm_keyup, dsp_vkesc);
    }
    return;
  }
  unsigned vk = b == SDL_CONTROLLER_BUTTON_START ? dsp_vkr : dsp_vkf12;
  dsp_padkey(dsp_wm_keydown, vk);
  dsp_padkey(dsp_wm_keyup, vk);
}

void dsp_padbutton(dsp_pad& p, int b, bool down) {
  if (b < 0 || b >= SDL_CONTROLLER_BUTTON_MAX || down == ((p.held & dsp_bit(b)) != 0)) return;
  p.held = down ? p.held | dsp_bit(b) : p.held & ~dsp_bit(b);
  if (dsp_menu & dsp_bit(b)) return dsp_padmenu(p, b, down);
  unsigned vk = dsp_vkofbutton(b);
  if (vk == 0) return;
  // Two buttons of one key (A and B are both SPACE): the second press is a repeat, and the
  // key is up only when the last of them is let go.
  bool also = dsp_padalso(p, vk, b);
  if (down)
    dsp_padkey(dsp_wm_keydown, vk, also);
  else if (!also)
    dsp_padkey(dsp_wm_keyup, vk);
}

// A pad that goes away lets go of its keys, so none stays down in the input state.
void dsp_padgone(dsp_pad& p) {
  for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b)
    if (!(dsp_menu & dsp_bit(b))) dsp_padbutton(p, b, false);
  if (p.chord) dsp_padkey(dsp_wm_keyup, dsp_vkesc);
  p.held = 0;
  p.chord = false;
  SDL_GameControllerClose(p.gc);
}

dsp_pad* dsp_padof(SDL_JoystickID id) {
  for (dsp_pad& p : dsp_pads.pads)
    if (p.id == id) return &p;
  return nullptr;
}

// Opens the controller at SDL's device index, once. Headless, only the scripted one counts:
// a pad lying on the desk must not steer a run that is meant to be reproducible.
void dsp_padadd(int index) {
  SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
  if (id < 0 || dsp_padof(id) || (!dsp_be().events && id != dsp_pads.virtid)) return;
  if (!SDL_IsGameController(index)) return;
  if (SDL_GameController* gc = SDL_GameControllerOpen(index)) dsp_pads.pads.push_back({gc, id});
}

void dsp_padremove(SDL_JoystickID id) {
  auto& v = dsp_pads.pads;
  for (auto it = v.begin(); it != v.end(); ++it)
    if (it->id == id) {
      dsp_padgone(*it);
      v.erase(it);
      return;
    }
}

// The scripted controller: a virtual one with every button and axis of a standard pad.
void dsp_padplug() {
  if (dsp_pads.virt) return;
  SDL_VirtualJoystickDesc d;
  SDL_zero(d);
  d.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  d.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  d.naxes = SDL_CONTROLLER_AXIS_MAX;
  d.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  d.name = "disp scripted pad";
  int index = SDL_JoystickAttachVirtualEx(&d);
  if (index < 0) {
    dsp_warn("DISP_PAD_SCRIPT: cannot plug in a virtual controller: %s", SDL_GetError());
    return;
  }
  dsp_pads.virt = SDL_JoystickOpen(index);
  dsp_pads.virtid = dsp_pads.virt ? SDL_JoystickInstanceID(dsp_pads.virt) : -1;
  // Opened at once: a press scripted for the same moment must find the controller open.
  dsp_padadd(index);
}

void dsp_padunplug() {
  if (!dsp_pads.virt) return;
  SDL_JoystickClose(dsp_pads.virt);
  dsp_pads.virt = nullptr;
  for (int i = 0, n = SDL_NumJoysticks(); i < n; ++i)
    if (SDL_JoystickGetDeviceInstanceID(i) == dsp_pads.virtid) {
      SDL_JoystickDetachVirtual(i);
      break;
    }
}

void dsp_padapply(dsp_padline const& l) {
  switch (l.what) {
    case dsp_padline::plug:
      dsp_padplug();
      break;
    case dsp_padline::unplug:
      dsp_padunplug();
      break;
    case dsp_padline::down:
    case dsp_padline::up:
      if (dsp_pads.virt)
        SDL_JoystickSetVirtualButton(dsp_pads.virt, l.button, l.what == dsp_padline::down);
      break;
  }
}

}  // namespace

dsp_padplan& dsp_padscript() { return dsp_pads.plan; }

bool dsp_padon() { return dsp_pads.on; }

void dsp_padopen() {
  if (dsp_pads.on) return;
  bool scripted = dsp_pads.plan.given;
  if (!dsp_be().events && !scripted) return;  // headless: no SDL unless a pad is scripted
  // A headless run keeps the default SIGINT and SIGTERM; SDL would turn them into a quit.
  if (!dsp_be().events) SDL_SetHintWithPriority(SDL_HINT_NO_SIGNAL_HANDLERS, "1", SDL_HINT_DEFAULT);
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return;  // no pads; keys still work
  // Sticks, triggers, touchpads and sensors mean nothing to the game: no message for them.
  for (Uint32 t :
       {SDL_CONTROLLERAXISMOTION, SDL_CONTROLLERTOUCHPADDOWN, SDL_CONTROLLERTOUCHPADMOTION,
        SDL_CONTROLLERTOUCHPADUP, SDL_CONTROLLERSENSORUPDATE})
    SDL_EventState(t, SDL_IGNORE);
  dsp_pads.on = true;
  if (scripted) dsp_padplug();
}

void dsp_padclose() {
  if (!dsp_pads.on) return;
  for (dsp_pad& p : dsp_pads.pads) SDL_GameControllerClose(p.gc);
  dsp_pads.pads.clear();
  dsp_padunplug();
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  SDL_FlushEvents(SDL_JOYAXISMOTION, SDL_FINGERDOWN - 1);
  dsp_pads.on = false;
}

// Each scripted line gets a joystick update of its own, so that a press and its release
// due in the same pass both become events.
void dsp_padpump() {
  if (!dsp_pads.on) return;
  auto& lines = dsp_pads.plan.lines;
  if (lines.empty()) return;
  double now = dsp_now();
  while (!lines.empty() && lines.front().at <= now) {
    dsp_padapply(lines.front());
    lines.pop_front();
    SDL_JoystickUpdate();
  }
}

double dsp_padnextdue() {
  auto const& lines = dsp_pads.plan.lines;
  return dsp_pads.on && !lines.empty() ? lines.front().at : HUGE_VAL;
}

int dsp_padevent(SDL_Event const& ev) {
  if (ev.type < SDL_JOYAXISMOTION || ev.type >= SDL_FINGERDOWN) return 0;
  if (!dsp_pads.on) return 1;
  size_t before = dsp.input.state.posted.size();
  switch (ev.type) {
    case SDL_CONTROLLERDEVICEADDED:
      dsp_padadd(ev.cdevice.which);
      break;
    case SDL_CONTROLLERDEVICEREMOVED:
      dsp_padremove(ev.cdevice.which);
      break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
      if (dsp_pad* p = dsp_padof(ev.cbutton.which))
        dsp_padbutton(*p, ev.cbutton.button, ev.type == SDL_CONTROLLERBUTTONDOWN);
      break;
    default:  // the joystick-level events under them, and the ignored kinds
      break;
  }
  return dsp.input.state.posted.size() != before ? 2 : 1;
}
