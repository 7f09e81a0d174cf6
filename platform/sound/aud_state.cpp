// The one library state, and its tidy shutdown at process exit. The game never tears
// anything down; we do it at exit so the threads stop before OpenAL Soft unloads, a
// wave-file device gets its header written, and nothing is left for OpenAL Soft to
// complain about.
#include "platform/sound/aud_internal.h"

aud_lib aud;

aud_lib::~aud_lib() {
  // The feeder first: it watches the device, and a loss it saw now would want an opener.
  {
    std::lock_guard lk(mx);
    quit = true;
  }
  wake.notify_all();
  if (feeder.joinable()) feeder.join();
  aud_stopopener();
  aud_latencystop();
  for (auto& [h, s] : sounds) aud_free(*s);
  sounds.clear();
  alcMakeContextCurrent(nullptr);
  if (device) device.out->close(device);
  aud_closeout(log, "SOUND_LOG", logpath, true);
}
