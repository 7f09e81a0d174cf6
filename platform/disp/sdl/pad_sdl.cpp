// The desktop's gamepads: SDL's game controllers, plugged in and out while the window is
// open, told to pad.cpp as they come. The only pad file that includes SDL. Sticks and
// triggers are read when asked, so a drifting stick queues nothing.
#include <SDL2/SDL.h>

#include <cmath>
#include <vector>

#include "platform/disp/input/pad.h"
#include "platform/disp/input/padnames.h"
#include "platform/disp/internal.h"

namespace {

// Our button and axis numbers are SDL's plus one (0 is "none" for us, A for SDL).
enum : int {
#define QUIB_FROM0(name, word, n) dsp_sdl_##name = n - 1,
  QUIB_PAD_BUTTONS(QUIB_FROM0) QUIB_PAD_AXES(QUIB_FROM0)
#undef QUIB_FROM0
};
static_assert(dsp_sdl_A == int(SDL_CONTROLLER_BUTTON_A) &&
                  dsp_sdl_START == int(SDL_CONTROLLER_BUTTON_START) &&
                  dsp_sdl_RIGHTSHOULDER == int(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER) &&
                  dsp_sdl_DPUP == int(SDL_CONTROLLER_BUTTON_DPAD_UP) &&
                  dsp_sdl_DPRIGHT == int(SDL_CONTROLLER_BUTTON_DPAD_RIGHT) &&
                  dsp_sdl_TOUCHPAD == int(SDL_CONTROLLER_BUTTON_TOUCHPAD) &&
                  dsp_padbuttons == int(SDL_CONTROLLER_BUTTON_MAX),
              "buttons");
static_assert(dsp_sdl_LEFTX == int(SDL_CONTROLLER_AXIS_LEFTX) &&
                  dsp_sdl_RIGHTY == int(SDL_CONTROLLER_AXIS_RIGHTY) &&
                  dsp_sdl_LEFTTRIGGER == int(SDL_CONTROLLER_AXIS_TRIGGERLEFT) &&
                  dsp_padaxes == int(SDL_CONTROLLER_AXIS_MAX),
              "axes");

struct dsp_sdlpad {
  SDL_GameController* gc;
  SDL_JoystickID id;
};

struct {
  bool on = false;  // SDL's game-controller subsystem runs for the open window
  std::vector<dsp_sdlpad> pads;
} dsp_sdl;

dsp_sdlpad* dsp_sdlpadof(SDL_JoystickID id) {
  for (dsp_sdlpad& p : dsp_sdl.pads)
    if (p.id == id) return &p;
  return nullptr;
}

// Opens the controller at SDL's device index, once.
void dsp_sdladd(int index) {
  SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
  if (id < 0 || dsp_sdlpadof(id) || !SDL_IsGameController(index)) return;
  SDL_GameController* gc = SDL_GameControllerOpen(index);
  if (!gc) return;
  dsp_sdl.pads.push_back({gc, id});
  char const* name = SDL_GameControllerName(gc);
  dsp_padarrived(&dsp_sdlpads, id, name ? name : "");
}

void dsp_sdlremove(SDL_JoystickID id) {
  auto& v = dsp_sdl.pads;
  for (auto it = v.begin(); it != v.end(); ++it)
    if (it->id == id) {
      dsp_padleft(&dsp_sdlpads, id);
      SDL_GameControllerClose(it->gc);
      v.erase(it);
      return;
    }
}

bool dsp_sdlopen() {
  if (dsp_sdl.on) return true;
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return false;  // no pads; keys work
  // Sticks and triggers are read on demand; touchpads and sensors are not offered.
  for (Uint32 t :
       {SDL_CONTROLLERAXISMOTION, SDL_CONTROLLERTOUCHPADDOWN, SDL_CONTROLLERTOUCHPADMOTION,
        SDL_CONTROLLERTOUCHPADUP, SDL_CONTROLLERSENSORUPDATE})
    SDL_EventState(t, SDL_IGNORE);
  dsp_sdl.on = true;
  return true;
}

void dsp_sdlclose() {
  if (!dsp_sdl.on) return;
  for (dsp_sdlpad& p : dsp_sdl.pads) SDL_GameControllerClose(p.gc);
  dsp_sdl.pads.clear();
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  SDL_FlushEvents(SDL_JOYAXISMOTION, SDL_FINGERDOWN - 1);
  dsp_sdl.on = false;
}

double dsp_sdlaxis(int dev, int axis) {
  dsp_sdlpad const* p = dsp_sdlpadof(dev);
  if (!p) return 0;
  Sint16 v = SDL_GameControllerGetAxis(p->gc, SDL_GameControllerAxis(axis - 1));
  return std::max(-1.0, double(v) / 32767);
}

bool dsp_sdlrumble(int dev, double low, double high, unsigned ms) {
  dsp_sdlpad const* p = dsp_sdlpadof(dev);
  return p && SDL_GameControllerRumble(p->gc, Uint16(std::lround(low * 0xFFFF)),
                                       Uint16(std::lround(high * 0xFFFF)), ms) == 0;
}

}  // namespace

dsp_paddriver const dsp_sdlpads = {
    "sdl", dsp_sdlopen, dsp_sdlclose, [] {}, [] { return HUGE_VAL; }, dsp_sdlaxis, dsp_sdlrumble,
};

bool dsp_padon() { return dsp_sdl.on; }

// 0: not a controller's event; 1: taken; 2: taken, and messages were queued for it.
int dsp_sdlpadevent(SDL_Event const& ev) {
  if (ev.type < SDL_JOYAXISMOTION || ev.type >= SDL_FINGERDOWN) return 0;
  if (!dsp_sdl.on) return 1;
  size_t before = dsp.input.state.posted.size();
  switch (ev.type) {
    case SDL_CONTROLLERDEVICEADDED:
      dsp_sdladd(ev.cdevice.which);
      break;
    case SDL_CONTROLLERDEVICEREMOVED:
      dsp_sdlremove(ev.cdevice.which);
      break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
      dsp_padpress(&dsp_sdlpads, ev.cbutton.which, ev.cbutton.button + 1,
                   ev.type == SDL_CONTROLLERBUTTONDOWN);
      break;
    default:  // the joystick-level events under them, and the ignored kinds
      break;
  }
  return dsp.input.state.posted.size() != before ? 2 : 1;
}
