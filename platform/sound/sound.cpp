// The entries of libsound: each names itself for its error texts, checks its handle and
// arguments, takes the library lock, and hands over to the internals. An unknown handle or
// a bad number does nothing but set the error.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#pragma GCC visibility push(default)
#include "platform/sound/sound.h"
#pragma GCC visibility pop
#include "platform/sound/aud_internal.h"

namespace {

// ---- Handles -------------------------------------------------------------------------

// The handle's record, or null with error 2.
aud_sound* aud_find(unsigned long h) {
  auto it = aud.sounds.find(h);
  if (it != aud.sounds.end()) return it->second.get();
  aud_seterror(aud_ebadarg, std::to_string(h) + " is not a sound handle (freed, or never made)");
  return nullptr;
}

// A loaded sound: the entries that play, seek or pause need a file behind the handle.
aud_sound* aud_findloaded(unsigned long h) {
  aud_sound* s = aud_find(h);
  if (s && !s->loaded())
    aud_seterror(aud_ebadarg,
                 "sound " + std::to_string(h) + " holds no sound (load a file into it)");
  return s && s->loaded() ? s : nullptr;
}

// The sound's record, without an error for an empty one: its length, position and state
// are plainly 0.
aud_sound* aud_findquiet(unsigned long h) {
  aud_sound* s = aud_find(h);
  return s && s->loaded() ? s : nullptr;
}

// A number an entry refuses: false with error 2.
bool aud_badnumber(char const* what, double v) {
  char text[96];
  snprintf(text, sizeof text, "%s %g is not a usable value", what, v);
  aud_seterror(aud_ebadarg, text);
  return false;
}

unsigned long aud_newhandle(std::unique_ptr<aud_sound> s) {
  do ++aud.lasthandle;
  while (aud.lasthandle == 0 || aud.sounds.count(aud.lasthandle));
  aud.sounds.emplace(aud.lasthandle, std::move(s));
  return aud.lasthandle;
}

unsigned long aud_loadnew(char const* path, bool loop) {
  aud_guard lk;
  aud_init();  // forgiving a caller that skipped InitAudio1
  auto s = std::make_unique<aud_sound>();
  return aud_load(*s, path, loop) ? aud_newhandle(std::move(s)) : 0;
}

unsigned long aud_loadinto(unsigned long h, char const* path, bool loop) {
  aud_guard lk;
  aud_init();
  aud_sound* s = aud_find(h);
  return s && aud_load(*s, path, loop) ? h : 0;
}

// Volume, speed and pitch: s is the handle's sound, v the value already checked.
template <class Set>
unsigned long aud_setmix(unsigned long h, float v, char const* what, Set set) {
  aud_guard lk;
  aud_sound* s = aud_find(h);
  if (!s) return 0;
  set(*s);
  aud_applymix(*s);
  if (s->loaded()) aud_logf("%s %s %g", what, s->file.c_str(), double(v));
  return 1;
}

template <class Get>
float aud_getmix(unsigned long h, Get get) {
  aud_guard lk;
  aud_sound* s = aud_find(h);
  return s ? get(*s) : 0.0f;
}

// States as GetAudioSit13 and SetAudioSit21 number them.
constexpr long aud_sitstopped = 0, aud_sitplaying = 1, aud_sitpaused = 2;

long aud_sit(aud_sound& s) {
  aud_pos(s);  // notices a sound that has just played to its end
  switch (s.state) {
    case aud_state::playing:
      return aud_sitplaying;
    case aud_state::paused:
      return aud_sitpaused;
    default:
      return aud_sitstopped;
  }
}

// Plays on from where the sound stands: a pause resumes, a stopped sound starts from the
// position it holds, and one that stands at its end starts over.
void aud_resume(aud_sound& s) {
  if (aud_sit(s) == aud_sitplaying) return;
  aud_start(s, s.state == aud_state::ended || s.hold >= s.length() ? 0 : s.hold);
}

}  // namespace

// ---- The lock --------------------------------------------------------------------------

aud_guard::aud_guard() : lk_(aud.mx) {
  if (aud_held++ == 0) aud_hold();
}

aud_guard::~aud_guard() {
  lk_.unlock();
  if (--aud_held == 0) aud_release();
}

void aud_holdforever() {
  if (aud_held == 0) {
    aud_held = 1;
    aud_hold();
  }
}

bool aud_tellunlocked(std::unique_lock<std::mutex>& lk) {
  if (!aud_pending()) return false;
  lk.unlock();
  aud_release();
  aud_hold();
  lk.lock();
  return true;
}

// ---- Loading -------------------------------------------------------------------------

bool InitAudio1() {
  aud_enter(__func__);
  aud_guard lk;
  if (aud_init()) return true;
  aud_seterror(aud_enodev, aud_virtual()
                               ? "sounds play silently on the virtual clock (DISP_CLOCK=virtual)"
                               : "no audio device; sounds play silently");
  return false;
}

unsigned long NewAudio2() {
  aud_enter(__func__);
  aud_guard lk;
  aud_init();
  return aud_newhandle(std::make_unique<aud_sound>());
}

unsigned long LoadAudio3(char const* path) {
  aud_enter(__func__);
  return aud_loadnew(path, false);
}

unsigned long LoadAudio4(char const* path, int loop) {
  aud_enter(__func__);
  return aud_loadnew(path, loop != 0);
}

unsigned long LoadAudio5(unsigned long h, char const* path) {
  aud_enter(__func__);
  return aud_loadinto(h, path, false);
}

unsigned long LoadAudio6(unsigned long h, char const* path, int loop) {
  aud_enter(__func__);
  return aud_loadinto(h, path, loop != 0);
}

unsigned long FreeAudio7(unsigned long h) {
  aud_enter(__func__);
  aud_guard lk;
  auto it = aud.sounds.find(h);
  if (it == aud.sounds.end()) return aud_find(h), 0;
  aud_free(*it->second);
  aud.sounds.erase(it);
  return 1;
}

// ---- Playing -------------------------------------------------------------------------

unsigned long PlayAudio8(unsigned long h) {
  aud_enter(__func__);
  aud_guard lk;
  aud_sound* s = aud_findloaded(h);
  if (!s) return 0;
  aud_start(*s, 0);
  aud_latencyplay(*s);
  aud_logf("play %s", s->file.c_str());
  return 1;
}

unsigned long PlayAudio9(unsigned long h, float pos) {
  aud_enter(__func__);
  aud_guard lk;
  aud_sound* s = aud_findloaded(h);
  if (!s) return 0;
  if (!std::isfinite(pos)) return aud_badnumber("position", pos);
  aud_start(*s, pos);
  aud_latencyplay(*s);
  aud_logf("play %s %g", s->file.c_str(), double(pos));
  return 1;
}

unsigned long PauseAudio10(unsigned long h) {
  aud_enter(__func__);
  aud_guard lk;
  aud_sound* s = aud_findloaded(h);
  if (!s) return 0;
  aud_pause(*s);
  aud_logf("pause %s", s->file.c_str());
  return s->state == aud_state::paused;
}

unsigned long StopAudio11(unsigned long h) {
  aud_enter(__func__);
  aud_guard lk;
  aud_sound* s = aud_find(h);
  if (!s) return 0;
  if (!s->loaded()) return 1;  // nothing to stop: it is stopped
  aud_stop(*s);
  aud_logf("stop %s", s->file.c_str());
  return 1;
}

// ---- Reading and setting -------------------------------------------------------------

char const* GetAudioName12(unsigned long h) {
  aud_enter(__func__);
  // Copied out under the lock: the facade copies it at once, and the record may be
  // renamed or freed by then.
  thread_local std::string out;
  aud_guard lk;
  aud_sound* s = aud_find(h);
  out = s ? s->name : std::string();
  return out.c_str();
}

long GetAudioSit13(unsigned long h) {
  aud_enter(__func__);
  aud_guard lk;
  aud_watch();
  aud_sound* s = aud_findquiet(h);
  return s ? aud_sit(*s) : aud_sitstopped;
}

double GetAudioLen14(unsigned long h) {
  aud_enter(__func__);
  aud_guard lk;
  aud_sound* s = aud_find(h);
  return s ? s->length() : 0.0;
}

double GetAudioPos15(unsigned long h) {
  aud_enter(__func__);
  aud_guard lk;
  aud_watch();
  aud_sound* s = aud_findquiet(h);
  return s ? aud_pos(*s) : 0.0;
}

float GetAudioVol16(unsigned long h) {
  aud_enter(__func__);
  return aud_getmix(h, [](aud_sound& s) { return s.vol; });
}

float GetAudioSpd17(unsigned long h) {
  aud_enter(__func__);
  return aud_getmix(h, [](aud_sound& s) { return s.spd; });
}

float GetAudioPch18(unsigned long h) {
  aud_enter(__func__);
  return aud_getmix(h, [](aud_sound& s) { return s.pch; });
}

float GetAudioFrq19(unsigned long h) {
  aud_enter(__func__);
  return aud_getmix(h, [](aud_sound& s) { return s.frq; });
}

unsigned long SetAudioName20(unsigned long h, char const* name) {
  aud_enter(__func__);
  aud_guard lk;
  aud_sound* s = aud_find(h);
  if (!s) return 0;
  if (!name) return aud_seterror(aud_ebadarg, "the name is null"), 0;
  s->name = name;
  return 1;
}

unsigned long SetAudioSit21(unsigned long h, long sit) {
  aud_enter(__func__);
  aud_guard lk;
  aud_sound* s = aud_findloaded(h);
  if (!s) return 0;
  if (sit < aud_sitstopped || sit > aud_sitpaused) return aud_badnumber("state", double(sit));
  if (sit == aud_sitstopped) aud_stop(*s);
  if (sit == aud_sitplaying) aud_resume(*s);
  if (sit == aud_sitpaused) aud_pause(*s);
  aud_logf("sit %s %ld", s->file.c_str(), sit);
  return aud_sit(*s) == sit;
}

unsigned long SetAudioPos22(unsigned long h, float pos) {
  aud_enter(__func__);
  aud_guard lk;
  aud_sound* s = aud_findloaded(h);
  if (!s) return 0;
  if (!std::isfinite(pos)) return aud_badnumber("position", pos);
  aud_seek(*s, pos);
  aud_logf("seek %s %g", s->file.c_str(), double(pos));
  return 1;
}

unsigned long SetAudioVol23(unsigned long h, float v) {
  aud_enter(__func__);
  if (!std::isfinite(v)) return aud_badnumber("volume", v);
  return aud_setmix(h, v, "vol", [v](aud_sound& s) { s.vol = std::clamp(v, 0.0f, 1.0f); });
}

unsigned long SetAudioSpd24(unsigned long h, float v) {
  aud_enter(__func__);
  if (!std::isfinite(v) || !(v > 0)) return aud_badnumber("speed", v);
  return aud_setmix(h, v, "spd", [v](aud_sound& s) { s.spd = v; });
}

unsigned long SetAudioPch25(unsigned long h, float v) {
  aud_enter(__func__);
  if (!std::isfinite(v) || !(v > 0)) return aud_badnumber("pitch", v);
  return aud_setmix(h, v, "pch", [v](aud_sound& s) { s.pch = v; });
}

unsigned long SetAudioFrq26(unsigned long h, float v) {
  aud_enter(__func__);
  if (!std::isfinite(v)) return aud_badnumber("frequency", v);
  return aud_setmix(h, v, "frq", [v](aud_sound& s) { s.frq = v; });
}

// ---- Extensions ----------------------------------------------------------------------

unsigned long sound_geterror() { return aud_takeerror(); }
char const* sound_errortext() { return aud_errortext(); }
