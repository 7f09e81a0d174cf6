// The entries of libsound: each checks its handle and arguments, takes the library lock,
// and hands over to the internals. An unknown handle or a bad number does nothing.
#include <cmath>

#pragma GCC visibility push(default)
#include "platform/sound/sound.h"
#pragma GCC visibility pop
#include "platform/sound/aud_internal.h"

namespace {

aud_sound* aud_find(unsigned long h) {
  if (h == 0 || h > aud.sounds.size()) return nullptr;
  return aud.sounds[h - 1].get();
}

}  // namespace

bool InitAudio1() {
  std::lock_guard lk(aud.mx);
  return aud_init();
}

unsigned long LoadAudio3(char const* path) {
  std::lock_guard lk(aud.mx);
  aud_init();  // forgiving a caller that skipped InitAudio1
  auto s = aud_load(path);
  if (!s) return 0;
  aud.sounds.push_back(std::move(s));
  return aud.sounds.size();
}

unsigned long PlayAudio8(unsigned long h) {
  std::lock_guard lk(aud.mx);
  aud_sound* s = aud_find(h);
  if (!s) return 0;
  aud_start(*s, 0);
  aud_logf("play %s", s->name.c_str());
  return 1;
}

unsigned long PlayAudio9(unsigned long h, float pos) {
  std::lock_guard lk(aud.mx);
  aud_sound* s = aud_find(h);
  if (!s || !std::isfinite(pos)) return 0;
  aud_start(*s, pos);
  aud_logf("play %s %g", s->name.c_str(), double(pos));
  return 1;
}

double GetAudioPos15(unsigned long h) {
  std::lock_guard lk(aud.mx);
  aud_sound* s = aud_find(h);
  return s ? aud_pos(*s) : 0.0;
}

unsigned long SetAudioPos22(unsigned long h, float pos) {
  std::lock_guard lk(aud.mx);
  aud_sound* s = aud_find(h);
  if (!s || !std::isfinite(pos)) return 0;
  aud_seek(*s, pos);
  aud_logf("seek %s %g", s->name.c_str(), double(pos));
  return 1;
}

unsigned long SetAudioFrq26(unsigned long h, float v) {
  std::lock_guard lk(aud.mx);
  aud_sound* s = aud_find(h);
  if (!s || !std::isfinite(v)) return 0;
  s->frq = v;
  aud_applymix(*s);
  aud_logf("frq %s %g", s->name.c_str(), double(v));
  return 1;
}
