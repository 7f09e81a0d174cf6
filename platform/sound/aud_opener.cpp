// The opener thread: the only caller that opens real outputs after start-up.
// A sound server that accepts the connection and then never answers (stopped, or hung)
// holds whoever opens a device for as long as it is stuck: 15 s frozen was a 15 s frame.
// So after start-up only this thread opens devices: while a real device is wanted it tries
// once a second (an open costs a few milliseconds when a server is there, and under one
// when it is not), and leaves what it opened in aud.ready for aud_watch to take over.
#include <chrono>
#include <utility>

#include "platform/sound/aud_internal.h"

namespace {

void aud_runopener() {
  std::unique_lock lk(aud.openmx);
  while (!aud.openquit) {
    if (!aud.openwant || aud.ready) {
      aud.openwake.wait(lk);
      continue;
    }
    aud.openbusy = true;
    lk.unlock();
    aud_device d;
    std::string why;
    bool opened, kept;
    {
      // Lines said while opening (libpulse's among them) are said once whoever waits for
      // the open has been told: the start-up waits holding the library's lock, which a log
      // hook calling back into the library would wait for in turn. The try is told whole
      // (the device with it) in one hold of the small lock.
      aud_holdtell held;
      opened = aud_openreal(d, why);
      lk.lock();
      aud.openbusy = false;
      ++aud.opentries;
      aud.openwhy = why;
      kept = opened && aud.openwant && !aud.openquit;
      if (kept) aud.ready = d;
      aud.openwake.notify_all();  // aud_stopopener may be waiting for this
      lk.unlock();
    }
    lk.lock();
    if (kept) continue;
    if (opened) {  // no longer wanted
      lk.unlock();
      d.out->close(d);
      lk.lock();
      continue;
    }
    aud.openwake.wait_for(lk, std::chrono::seconds(1), [] { return aud.openquit; });
  }
}

}  // namespace

void aud_wantdevice() {
  {
    std::lock_guard lk(aud.openmx);
    if (aud.openquit) return;  // shutting down: a new opener would never be joined
    aud.openwant = true;
  }
  aud.openwake.notify_all();
  if (!aud.opener.joinable()) aud.opener = std::thread(aud_runopener);
}

// At exit: the opener may be stuck on a frozen server. It gets a moment to finish; if it
// is still inside OpenAL then, it is left behind (it only waits, holding nothing of ours)
// rather than holding the exit up for as long as the server stays frozen.
void aud_stopopener() {
  std::unique_lock lk(aud.openmx);
  aud.openquit = true;
  if (!aud.opener.joinable()) return;
  aud.openwake.notify_all();
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
  while (aud.openbusy && std::chrono::steady_clock::now() < until)
    aud.openwake.wait_until(lk, until);
  bool stuck = aud.openbusy;
  aud_device d = std::exchange(aud.ready, aud_device{});
  lk.unlock();
  if (stuck)
    aud.opener.detach();
  else
    aud.opener.join();
  if (d) d.out->close(d);
}
