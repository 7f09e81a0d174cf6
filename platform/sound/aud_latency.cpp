// SOUND_LATENCY_LOG=FILE: for each play, the moment of the call, the moment the mixer took
// its first sample and the device latency OpenAL Soft reports then; the device latency
// every 20 ms; on the library's own PipeWire stream, the cycles it missed. bench/latency.sh adds
// these to the key times of DISP_KEYLOG.
#include <AL/alext.h>
#include <time.h>

#include <chrono>
#include <cstdlib>

#include "platform/sound/aud_internal.h"

namespace {

long long aud_devlatency() { return aud.device ? aud.device.out->latency(aud.device) : -1; }

// Polls every millisecond while a play waits, so a time is off by at most that.
void aud_runlatency() {
  std::unique_lock lk(aud.mx);
  aud_holdforever();
  long long lastsample = 0;
  int missed = 0;
  while (!aud.quit) {
    aud_tellunlocked(lk);  // a log that could not be written said so
    long long now = aud_monons();
    for (size_t i = 0; i < aud.latpending.size();) {
      auto& p = aud.latpending[i];
      ALint off = 0, st = AL_STOPPED;
      if (alIsSource(p.source)) {
        alGetSourcei(p.source, AL_SAMPLE_OFFSET, &off);
        alGetSourcei(p.source, AL_SOURCE_STATE, &st);
      }
      bool mixed = off > 0 || st != AL_PLAYING;
      if (mixed || now - p.called > 1000000000LL) {
        if (mixed && aud.latlog)
          fprintf(aud.latlog, "play %s %lld %lld %lld\n", p.file.c_str(), p.called, now,
                  aud_devlatency());
        aud.latpending.erase(aud.latpending.begin() + long(i));
      } else {
        ++i;
      }
    }
    if (now - lastsample >= 20000000LL && aud.latlog) {
      fprintf(aud.latlog, "latency %lld %lld\n", now, aud_devlatency());
      // The cycles the output has missed, when that changes (outputs that count them).
      if (int m = aud.device ? aud.device.out->missed(aud.device) : 0; m != missed)
        fprintf(aud.latlog, "missed %lld %d\n", now, missed = m);
      lastsample = now;
    }
    if (aud.latlog && (fflush(aud.latlog) != 0 || ferror(aud.latlog)))
      aud_closeout(aud.latlog, "SOUND_LATENCY_LOG", aud.latpath, false);
    aud.latwake.wait_for(lk, std::chrono::milliseconds(aud.latpending.empty() ? 20 : 1));
  }
}

}  // namespace

long long aud_monons() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1000000000LL + t.tv_nsec;
}

void aud_latencyopen() {
  char const* path = aud_cfgtext("SOUND_LATENCY_LOG");
  if (!path) return;
  aud.latpath = path;
  aud.latlog = aud_openout("SOUND_LATENCY_LOG", path);
  if (!aud.latlog) return;
  aud.latwatch = std::thread(aud_runlatency);
}

void aud_latencyplay(aud_sound& s) {
  if (!aud.latlog) return;
  aud.latpending.push_back({s.source, aud_monons(), s.file});
  aud.latwake.notify_one();
}

void aud_latencystop() {
  aud.latwake.notify_all();
  if (aud.latwatch.joinable()) aud.latwatch.join();
  aud_closeout(aud.latlog, "SOUND_LATENCY_LOG", aud.latpath, true);
}
