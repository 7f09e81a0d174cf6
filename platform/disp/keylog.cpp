// DISP_KEYLOG=FILE: one line per key press, `key NS SYM`, NS being the moment SDL queued the
// event on CLOCK_MONOTONIC, so bench/latency.sh can match it against libsound's play times.
#include "platform/disp/keylog.h"

#include <time.h>

#include <cstdio>
#include <cstdlib>

void dsp_keylog(SDL_KeyboardEvent const& key) {
  static FILE* out = [] {
    char const* path = getenv("DISP_KEYLOG");
    return path && *path ? fopen(path, "a") : nullptr;
  }();
  if (!out || key.type != SDL_KEYDOWN || key.repeat) return;
  // SDL stamps an event in milliseconds of its own clock when it queues it; its age on
  // that clock puts it on the monotonic one, which libsound's latency log uses.
  Uint32 age = SDL_GetTicks() - key.timestamp;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  long long ns = now.tv_sec * 1000000000LL + now.tv_nsec - age * 1000000LL;
  fprintf(out, "key %lld %d\n", ns, int(key.keysym.sym));
  fflush(out);
}
