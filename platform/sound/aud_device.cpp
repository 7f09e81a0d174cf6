// Choosing the output (the first real one that is here, else the silent stand-in that
// still keeps time, so positions advance and the game's music loop works on machines
// without sound), and moving every sound between outputs when one is lost or comes.
#include <chrono>
#include <cstdlib>
#include <utility>

#include "platform/sound/aud_internal.h"

std::vector<aud_output const*> aud_reals = {&aud_out_pipewire, &aud_out_pulse, &aud_out_openal};

namespace {

// At start-up: how long PulseAudio may take to answer our question, and the real output to
// open, before the program goes on silently. Each takes a few milliseconds when the server
// is well; a stopped server would take up to a minute.
constexpr int aud_probems = 200, aud_firstwaitms = 400;

// Makes an opened output the library's own.
bool aud_take(aud_device& d) {
  if (!alcMakeContextCurrent(d.ctx)) {
    d.out->close(d);
    return false;
  }
  aud.device = std::exchange(d, aud_device{});
  return true;
}

void aud_closedevice() {
  alcMakeContextCurrent(nullptr);
  if (aud.device) aud.device.out->close(aud.device);
}

// Moves every sound to another output: the opened real one when given, else the silent
// stand-in. Each sound keeps its state, settings and the position the clock says; its
// OpenAL objects are made anew from the samples it keeps (or its stream's open file).
bool aud_movesounds(aud_device d) {
  struct was {
    aud_sound* s;
    aud_state state;
    double pos;
  };
  std::vector<was> sounds;
  for (auto& [h, s] : aud.sounds) {
    if (!s->loaded()) continue;
    // Positions of a lost device are guesses; the stand-in's are read from its mixer.
    double pos = aud.heard ? aud_guess(*s) : aud_pos(*s);
    sounds.push_back({s.get(), s->state, pos});
    aud_dropal(*s);
  }
  aud_closedevice();
  bool real = bool(d);
  std::string why;
  bool opened = real ? aud_take(d) : aud_out_silent.open(aud.device, why, aud.quiet);
  if (!opened && real) aud_out_silent.open(aud.device, why, aud.quiet);
  aud.heard = opened && real;
  for (was& w : sounds) {
    aud_sound& s = *w.s;
    if (!aud.device.ctx || !aud_makeal(s)) {
      // Out of sources on the new device: the sound stays, empty, as after a failed load.
      aud_free(s);
      continue;
    }
    s.state = w.state == aud_state::playing ? aud_state::idle : w.state;
    if (w.state == aud_state::playing) aud_start(s, w.pos);
    if (w.state == aud_state::paused) s.hold = w.pos;
  }
  return opened;
}

// Nothing here waits on a sound server for longer than a moment: one that accepts the
// connection and never answers (stopped, hung) used to hold the start for a minute. A
// quick question to PulseAudio first, since OpenAL Soft's first call would ask it with no
// time limit: unanswered, OpenAL Soft goes without its PulseAudio backend. That first call
// is the silent stand-in's, which reads our configuration; the real output is then opened
// by the opener thread, waited for a moment (an open costs milliseconds), and taken up
// whenever it comes if not by then.
void aud_startup() {
  aud_server pulse = aud_paprobe(aud_probems);
  aud_confundo conf = aud_periodconf(pulse == aud_server::silent);
  std::string why;
  bool standin = false;
  {
    aud_pacatch lines;  // OpenAL Soft's PulseAudio backend sets a client up here
    standin = aud_out_silent.open(aud.device, why, aud.quiet);
  }
  aud_periodundo(conf);
  aud_wantdevice();
  aud_device d;
  {
    std::unique_lock lk(aud.openmx);
    if (pulse != aud_server::silent)
      aud.openwake.wait_for(lk, std::chrono::milliseconds(aud_firstwaitms),
                            [] { return aud.ready || aud.opentries > 0; });
    why = aud.openwhy;
    if (aud.ready) {
      d = std::exchange(aud.ready, aud_device{});
      aud.openwant = false;
    }
  }
  bool tried = !why.empty() || d;
  if (d && aud_movesounds(d))
    aud.heard = true;
  else if (!standin && !aud.device)
    aud_say("sound: no audio device (%s) and no silent stand-in; sounds are off",
            tried ? why.c_str() : "the sound server does not answer");
  else if (tried)
    aud_say("sound: no audio device (%s); sounds play silently", why.c_str());
  else
    aud_say("sound: the sound server does not answer yet; sounds play silently until it does");
}

}  // namespace

bool aud_openreal(aud_device& d, std::string& why) {
  for (aud_output const* out : aud_reals)
    if (out->open(d, why, aud.quiet)) return true;
  return false;
}

bool aud_gone() { return aud.heard && aud.device && aud.device.out->gone(aud.device); }

void aud_watch() {
  if (!aud.heard && !aud.lost && !aud.openwant) return;  // no sound at all: nothing to watch
  long long now = aud_monons();
  if (now < aud.nextcheck) return;
  aud.nextcheck = now + 250000000LL;
  if (aud.heard) {
    if (!aud_gone()) {
      for (auto& [h, s] : aud.sounds)  // fresh points to guess from, should it go
        if (s->loaded() && s->state == aud_state::playing) aud_pos(*s);
      return;
    }
    aud_say("sound: the audio device was lost; sounds play on silently");
    aud.lost = true;
    aud_movesounds(aud_device{});
    aud_wantdevice();
    return;
  }
  aud_device d;
  {
    std::lock_guard lk(aud.openmx);
    d = std::exchange(aud.ready, aud_device{});
    if (d) aud.openwant = false;
  }
  if (!d) return;
  bool back = aud.lost;
  if (!aud_movesounds(d)) {
    aud_wantdevice();
    return;
  }
  aud.lost = false;
  if (back)
    aud_say("sound: the audio device is back");
  else
    aud_say("sound: an audio device opened; sounds are heard from now on");
}

// ---- Start-up ------------------------------------------------------------------------

bool aud_init() {
  if (aud.inited) return aud.heard;
  aud.inited = true;
  aud_logopen();

  // Our own warning says all that matters; whoever sets ALSOFT_LOGLEVEL wants the rest.
  aud.quiet = !getenv("ALSOFT_LOGLEVEL");
  if (aud.quiet) {
    setenv("ALSOFT_LOGLEVEL", "0", 0);
    aud_quietalsa();
  }

  // On the virtual clock the sounds keep its time, not the card's: they play silently on
  // the stand-in, mixed by the entries as that clock moves, and no device is looked for.
  std::string why;
  if (aud_vclockopen()) {
    if (!aud_out_virtual.open(aud.device, why, aud.quiet))
      aud_say("sound: no silent stand-in for the virtual clock; sounds are off");
    aud_pickresampler();
    aud_latencyopen();
    return false;
  }

  aud_startup();
  aud_pickresampler();
  aud_latencyopen();
  return aud.heard;
}
