// Threads: NewThread18 (and disp_newthreadwith, which hands the procedure a pointer of the
// caller) runs a procedure of the caller on a new detached thread and hands out an id. Linux offers
// no safe way to pause or stop another thread from outside (it could hold a lock or be halfway
// through a write), so those entries refuse and say so.
#include <pthread.h>

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/disp/internal.h"

namespace {

enum : unsigned char { dsp_tnone = 0, dsp_trunning = 1, dsp_tended = 2 };

// Every id handed out, as index + 1. Made once and never destroyed, so a thread that
// ends while the program exits never touches a destroyed registry.
struct dsp_threads {
  std::mutex lock;
  std::vector<unsigned char> state;
};

dsp_threads& dsp_registry() {
  static dsp_threads* r = new dsp_threads;
  return *r;
}

// What the new thread runs: proc(), or withuser(user) when that is set.
struct dsp_start {
  void (*proc)();
  void (*withuser)(void*);
  void* user;
  unsigned long id;
};

void* dsp_runthread(void* arg) {
  dsp_start s = *static_cast<dsp_start*>(arg);
  delete static_cast<dsp_start*>(arg);
  if (s.withuser) {
    s.withuser(s.user);
  } else {
    s.proc();
  }
  dsp_threads& r = dsp_registry();
  std::lock_guard<std::mutex> g(r.lock);
  r.state[s.id - 1] = dsp_tended;
  return nullptr;
}

// Pausing, resuming and stopping: false always; the error tells an id never handed out
// (dsp_earg) from one the system cannot act on (dsp_eunsupported).
bool dsp_refuse(unsigned long id) {
  dsp_setup();
  dsp_threads& r = dsp_registry();
  bool known;
  {
    std::lock_guard<std::mutex> g(r.lock);
    known = id >= 1 && id <= r.state.size() && r.state[id - 1] != dsp_tnone;
  }
  // Told with the registry let go: the error watcher may start or ask after threads.
  if (known) {
    dsp_seterror(dsp_eunsupported, "threads cannot be paused, resumed or stopped from outside");
  } else {
    dsp_seterror(dsp_earg, ("no thread has the id " + std::to_string(id)).c_str());
  }
  return false;
}

// Starts the thread of `start` (taking it over) and registers it; its id, or 0 with the
// error set. The thread is detached: nothing waits for it, and it ends when the procedure
// returns (or with the process).
unsigned long dsp_startthread(dsp_start* start) {
  dsp_threads& r = dsp_registry();
  unsigned long id;
  {
    std::lock_guard<std::mutex> g(r.lock);
    r.state.push_back(dsp_trunning);
    id = r.state.size();
  }
  start->id = id;
  pthread_attr_t attr;
  pthread_t t;
  int err = pthread_attr_init(&attr);
  if (err == 0) {
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    err = pthread_create(&t, &attr, dsp_runthread, start);
    pthread_attr_destroy(&attr);
  }
  if (err != 0) {
    delete start;
    {
      std::lock_guard<std::mutex> g(r.lock);
      r.state[id - 1] = dsp_tnone;
    }
    char why[128];
    dsp_seterror(dsp_enomem, (std::string("newthread: cannot start a thread: ") +
                              strerror_r(err, why, sizeof why))
                                 .c_str());
    return 0;
  }
  return id;
}

}  // namespace

// ---- Entries -------------------------------------------------------------------------

// `p` is a `void proc(void)`.
qr_u NewThread18(qe_p p) {
  dsp_setup();
  if (!p) {
    dsp_seterror(dsp_earg, "newthread: the procedure is null");
    return 0;
  }
  return dsp_startthread(new dsp_start{reinterpret_cast<void (*)()>(p), nullptr, nullptr, 0});
}

qr_u disp_newthreadwith(qe_pu fn, qe_p user) {
  dsp_extension ext;
  dsp_setup();
  if (!fn) {
    dsp_seterror(dsp_earg, "newthread: the procedure is null");
    return 0;
  }
  return dsp_startthread(new dsp_start{nullptr, fn, user, 0});
}

qr_bool PauseThread19(qe_u id) { return dsp_refuse(id); }
qr_bool ResumeThread20(qe_u id) { return dsp_refuse(id); }
qr_bool StopThread21(qe_u id) { return dsp_refuse(id); }
