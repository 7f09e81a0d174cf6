// The silent stand-in: an OpenAL Soft loopback device that mixes without a card, so sounds
// play, stop, loop and report positions with no output at all. Two rows: one mixed in real
// time by a thread of its own, one mixed by the entries as the virtual clock moves.
#include <AL/alext.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/sound/aud_internal.h"

namespace {

LPALCRENDERSAMPLESSOFT aud_render = nullptr;

// The real-time one's record: its thread asks the loopback device for samples in real time
// and throws them away.
struct aud_silentclock {
  ALCdevice* dev = nullptr;
  std::thread thread;
  std::mutex mx;
  std::condition_variable wake;
  bool quit = false;
};

void aud_runclock(aud_silentclock* c) {
  std::vector<short> scratch(2 * 1024);
  auto last = std::chrono::steady_clock::now();
  double owed = 0;  // frames due but not yet rendered
  std::unique_lock lk(c->mx);
  while (!c->quit) {
    c->wake.wait_for(lk, std::chrono::milliseconds(5));
    auto now = std::chrono::steady_clock::now();
    owed += std::chrono::duration<double>(now - last).count() * aud_silentrate;
    last = now;
    if (owed > aud_silentrate) owed = aud_silentrate;  // after a stall, do not race
    while (owed >= 1) {
      int n = owed < 1024 ? int(owed) : 1024;
      aud_render(c->dev, scratch.data(), n);
      owed -= n;
    }
  }
}

// Opens the loopback device at our rate, its context made current.
bool aud_openstandin(aud_device& d, aud_output const& out) {
  if (!aud_openloopback(ALC_SHORT_SOFT, aud_silentrate, d, &aud_render)) return false;
  if (!alcMakeContextCurrent(d.ctx)) {
    aud_closeloopback(d);
    return false;
  }
  d.out = &out;
  return true;
}

bool aud_openvirtual(aud_device& d, std::string&, bool) {
  return aud_openstandin(d, aud_out_virtual);
}

bool aud_opensilent(aud_device& d, std::string&, bool) {
  if (!aud_openstandin(d, aud_out_silent)) return false;
  auto* c = new aud_silentclock;
  c->dev = d.dev;
  c->thread = std::thread(aud_runclock, c);
  d.own = c;
  return true;
}

void aud_closesilent(aud_device& d) {
  if (auto* c = static_cast<aud_silentclock*>(d.own)) {
    {
      std::lock_guard lk(c->mx);
      c->quit = true;
    }
    c->wake.notify_all();
    c->thread.join();
    delete c;
  }
  aud_closeloopback(d);
}

bool aud_silentgone(aud_device const&) { return false; }
long long aud_silentlatency(aud_device const& d) { return aud_alclatency(d.dev); }
int aud_silentmissed(aud_device const&) { return 0; }

}  // namespace

aud_output const aud_out_silent = {"silent",        false,          aud_opensilent,
                                   aud_closesilent, aud_silentgone, aud_silentlatency,
                                   aud_silentmissed};
aud_output const aud_out_virtual = {"virtual",       false,          aud_openvirtual,
                                    aud_closesilent, aud_silentgone, aud_silentlatency,
                                    aud_silentmissed};

void aud_mixsilent(int n) {
  static short scratch[2 * 4096];
  if (aud.device.out == &aud_out_virtual && aud_render && n > 0 && n <= 4096)
    aud_render(aud.device.dev, scratch, n);
}
