// Sound on the program's virtual clock (DISP_CLOCK=virtual): the silent stand-in is mixed on
// the caller's thread, up to the virtual now, whenever an entry reads or changes a sound, so
// positions, loops and ends depend on the virtual times of the calls and on nothing else.
#include <algorithm>
#include <atomic>
#include <cmath>

#pragma GCC visibility push(default)
#include "platform/sound/sound.h"
#pragma GCC visibility pop

#include "platform/sound/aud_internal.h"

namespace {

// The program's clock in whole milliseconds, as sound_setclock gave it (the facade gives
// libdisp's), so the two libraries stay apart; a program that gives none has no virtual
// clock. aud_vms is the one in use, fixed at start-up.
using aud_msclock = unsigned long (*)();
std::atomic<aud_msclock> aud_given{nullptr};
aud_msclock aud_vms = nullptr;
unsigned long long aud_vmixed = 0;  // frames of the virtual clock the stand-in has mixed
bool aud_vinside = false;           // a catch-up runs: what it calls must not start one

// Frames per mix: 23 ms, so a stream's queue (six buffers of 8192 frames) is topped up long
// before it could run dry, even at the 16-fold rate.
constexpr int aud_vstep = 1024;

// A jump longer than this is not mixed: each playing sound is moved on by its rate instead
// (looping round or ending as it would have), so a program that waits an hour of virtual
// time gets its answer at once. Mixing 10 s costs at most about 0.3 s (the music streamed
// at the 16-fold rate); a program that asks once per frame never comes near it.
constexpr unsigned long long aud_vlongest = 10ull * aud_silentrate;

// Frames of the mix at ms milliseconds of virtual time, rounded down. libdisp's clock may
// run up to 2^64 ms; past about 13,000 years it is taken as standing still.
unsigned long long aud_vframes(unsigned long long ms) {
  ms = std::min(ms, 400000000000000000ull);
  return ms / 1000 * aud_silentrate + ms % 1000 * aud_silentrate / 1000;
}

bool aud_vplaying() {
  for (auto& [h, s] : aud.sounds)
    if (s->loaded() && s->state == aud_state::playing) return true;
  return false;
}

// Moves every playing sound on by frames of the clock without mixing them.
void aud_vskip(unsigned long long frames) {
  double secs = double(frames) / aud_silentrate;
  for (auto& [h, s] : aud.sounds) {
    if (!s->loaded() || s->state != aud_state::playing) continue;
    double pos = aud_pos(*s);  // it may turn out to have ended already
    if (s->state != aud_state::playing) continue;
    // The rate the mixer has, not the one kept: a rate change made by the call that brought
    // us here counts only from now.
    ALfloat rate = 1;
    alGetSourcef(s->source, AL_PITCH, &rate);
    double to = pos + secs * rate, len = s->length();
    if (to >= len) to = s->loop && len > 0 ? std::fmod(to, len) : len;
    aud_start(*s, to);  // at its length a plain sound ends there
  }
}

}  // namespace

bool aud_vclockopen() {
  if (!aud_cfgvirtual()) return false;
  aud_vms = aud_given.load();
  if (!aud_vms) {
    aud_warn("DISP_CLOCK",
             "sound: DISP_CLOCK=virtual, but the program gave no clock (sound_setclock); "
             "sounds keep the real clock");
    return false;
  }
  aud_vmixed = aud_vframes(aud_vms());
  return true;
}

bool aud_virtual() { return aud_vms != nullptr; }

void aud_catchup() {
  if (!aud_vms || aud_vinside || !aud.device) return;
  unsigned long long want = aud_vframes(aud_vms());
  if (want <= aud_vmixed) return;
  aud_vinside = true;
  unsigned long long owed = want - aud_vmixed;
  if (!aud_vplaying()) {
    owed = 0;  // nothing moves: there is nothing to mix
  } else if (owed > aud_vlongest) {
    aud_vskip(owed);
    owed = 0;
  }
  while (owed > 0) {
    // Streams are fed here, between mixes, as the feeder thread does on the real clock.
    for (auto& [h, s] : aud.sounds)
      if (s->stream && s->loaded() && s->state == aud_state::playing) aud_feed(*s);
    int n = int(std::min<unsigned long long>(owed, aud_vstep));
    aud_mixsilent(n);
    owed -= n;
  }
  aud_vmixed = want;
  aud_vinside = false;
}

// ---- Extension -----------------------------------------------------------------------

void sound_setclock(aud_msclock clock) { aud_given = clock; }
