// Workarounds for the libraries under libsound, each for the versions of Debian 12:
// OpenAL Soft 1.19.1, libpulse 16.1, PipeWire 0.3.65 (pipewire-pulse). What each works
// around, how to switch it off and how to tell when it can go:
//
// 1. The mixer's period. OpenAL Soft 1.19 takes a playback device's period only from its
//    configuration files (it ignores ALC_REFRESH), and its default, three periods of 1024
//    frames, puts 60 to 70 ms between a play and the speaker. We copy its file search
//    order (to leave alone what the user's own files set) and hand it one more file, in
//    memory, through ALSOFT_CONF during the first open. Off: SOUND_PERIOD_MS=0. Can go when
//    OpenAL Soft honours ALC_REFRESH on playback devices (1.20 and later take a period from
//    the context attributes), or when the configuration can be passed without the
//    environment.
// 2. PipeWire's floor under a PulseAudio client's period. pipewire-pulse raises every
//    client's request to pulse.min.req (256/48000, 5.3 ms), which undoes the short period
//    above: 19 to 23 ms of output latency instead of about 12. It is a client property
//    that pipewire-pulse reads from the client's property list, and libpulse fills that
//    from PULSE_PROP: we add it there, set to our period, unless the user's PULSE_PROP sets
//    it. PulseAudio ignores it. The graph's quantum is left at the server's own floor
//    (pulse.min.quantum): lowered to our period as well it drops the whole graph to 128
//    frames (2.7 ms), which a busy machine misses 10 to 30 times a minute, with any client.
//    Only for the path through pipewire-pulse: where PipeWire plays the sound, the library
//    plays to it directly (aud_pipewire.cpp) unless SOUND_PIPEWIRE=0, ALSOFT_DRIVERS or
//    PULSE_SERVER says otherwise. Off: SOUND_PERIOD_MS=0, or one's own values in PULSE_PROP.
//    Can go with aud_pipewire.cpp, when OpenAL Soft talks to PipeWire natively (its pipewire
//    backend, 1.22 and later), or when pipewire-pulse honours a client's small request.
// 3. The thread that wakes the mixer. On PulseAudio each period passes through libpulse's
//    mainloop thread ("threaded-ml"), which takes the server's request and wakes OpenAL
//    Soft's mixer. OpenAL Soft gives real-time priority to its mixer only, so with 3 ms
//    periods a busy machine could hold up the first hop long enough to underrun (one to
//    two underruns a minute on a 2-core machine; none in five minutes once both were
//    real-time). We find the thread that opening the device started (by name, in /proc)
//    and give it the mixer's policy, only when the mixer got real-time (so the user's
//    rt-prio = 0 holds) and only where the system allows it. Off: rt-prio = 0 in an
//    OpenAL Soft configuration file. Can go when OpenAL Soft raises that thread itself.
// 4. A PulseAudio that accepts the connection and never answers (stopped, hung) holds
//    OpenAL Soft's first call, whatever it is, for about 30 s: its PulseAudio backend asks
//    the server inside it. Where our own quick question at start-up goes unanswered, the
//    same memory file leaves that backend out ("drivers = -pulse,"), and the server is
//    reached later through our own stream (aud_pulse.cpp) once it answers. Can go with
//    OpenAL Soft 1.20 and later, which do not wait on the server there.
#include <dirent.h>
#include <sched.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/sound/aud_internal.h"

namespace {

// ---- 1. The mixer's period -----------------------------------------------------------

// The value a configuration file gives key in its [general] part (or before any section),
// or null when it sets none.
std::unique_ptr<std::string> aud_confvalue(std::string const& path, char const* key) {
  std::ifstream in(path);
  std::string line;
  bool general = true;
  std::unique_ptr<std::string> value;
  while (std::getline(in, line)) {
    size_t a = line.find_first_not_of(" \t");
    if (a == std::string::npos || line[a] == '#') continue;
    if (line[a] == '[') {
      general = line.compare(a, 9, "[general]") == 0;
      continue;
    }
    size_t eq = line.find('=', a);
    if (!general || eq == std::string::npos) continue;
    std::string name = line.substr(a, eq - a);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
    if (name != key) continue;
    size_t v = line.find_first_not_of(" \t", eq + 1);
    value = std::make_unique<std::string>(v == std::string::npos ? "" : line.substr(v));
  }
  return value;
}

// The files OpenAL Soft 1.19 reads before ALSOFT_CONF, and that one.
std::vector<std::string> aud_userconfs() {
  std::vector<std::string> files = {"/etc/openal/alsoft.conf"};
  char const* dirs = getenv("XDG_CONFIG_DIRS");
  std::stringstream ds(dirs && *dirs ? dirs : "/etc/xdg");
  for (std::string d; std::getline(ds, d, ':');)
    if (!d.empty()) files.push_back(d + "/alsoft.conf");
  char const* home = getenv("HOME");
  if (home && *home) files.push_back(std::string(home) + "/.alsoftrc");
  char const* cfg = getenv("XDG_CONFIG_HOME");
  if (cfg && *cfg)
    files.push_back(std::string(cfg) + "/alsoft.conf");
  else if (home && *home)
    files.push_back(std::string(home) + "/.config/alsoft.conf");
  if (char const* own = getenv("ALSOFT_CONF"); own && *own) files.push_back(own);
  return files;
}

// The value the user's files give key; the last file that sets it wins, as in OpenAL Soft.
std::unique_ptr<std::string> aud_uservalue(std::vector<std::string> const& files, char const* key) {
  std::unique_ptr<std::string> v;
  for (auto const& f : files)
    if (auto x = aud_confvalue(f, key)) v = std::move(x);
  return v;
}

// Our [general] lines: the period in frames of the configured rate (44.1 kHz unless the
// user's files give another), and the mixer's real-time priority, which periods this short
// need on a busy machine (granted where the user may have it, quietly ignored where not).
// Only SOUND_PERIOD_MS or SOUND_PERIODS overrule what the user's files set.
std::string aud_periodlines(double ms, int periods, bool forced) {
  std::vector<std::string> files = aud_userconfs();
  double hz = 44100;
  if (auto f = aud_uservalue(files, "frequency"); f && atof(f->c_str()) >= 8000)
    hz = atof(f->c_str());
  std::string ours;
  if (forced || !aud_uservalue(files, "period_size"))
    ours += "period_size = " + std::to_string(std::lround(ms * hz / 1000)) + "\n";
  if (forced || !aud_uservalue(files, "periods"))
    ours += "periods = " + std::to_string(periods) + "\n";
  if (!aud_uservalue(files, "rt-prio")) ours += "rt-prio = 1\n";
  return ours;
}

// A memory file holding the user's own ALSOFT_CONF (if any), then our lines; -1 if none.
int aud_memconf(std::string const& ours, aud_confundo& u) {
  std::string text;
  char const* own = getenv("ALSOFT_CONF");
  u.hadconf = own && *own;
  if (u.hadconf) {
    u.saved = own;
    std::ifstream in(u.saved, std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), {});
    text += "\n";
  }
  text += "[general]\n" + ours;
  int fd = memfd_create("quib-alsoft.conf", MFD_CLOEXEC);
  if (fd < 0) return -1;
  if (write(fd, text.data(), text.size()) != ssize_t(text.size())) {
    close(fd);
    return -1;
  }
  return fd;
}

// ---- 2. PipeWire's floor -------------------------------------------------------------

// Adds pulse.min.req for a period of ms to PULSE_PROP, keeping the user's own. Stays for
// the life of the process: a device opened again after a server restart needs it too, and
// the opener thread must not touch the environment.
void aud_pipewirefloor(double ms) {
  std::string props;
  if (char const* v = getenv("PULSE_PROP"); v && *v) props = v;
  if (props.find("pulse.min.req") != std::string::npos) return;
  std::string add = "pulse.min.req=" + std::to_string(std::lround(ms * 48000 / 1000)) + "/48000";
  setenv("PULSE_PROP", (props.empty() ? add : props + " " + add).c_str(), 1);
}

// ---- 3. The thread that wakes the mixer ----------------------------------------------

std::string aud_threadname(int id) {
  std::ifstream in("/proc/self/task/" + std::to_string(id) + "/comm");
  std::string name;
  std::getline(in, name);
  return name;
}

}  // namespace

aud_confundo aud_periodconf(bool nopulse) {
  aud_confundo u;
  bool msgiven = false, periodsgiven = false;
  double ms = aud_cfgnumber("SOUND_PERIOD_MS", &msgiven);  // 3 ms: 132 frames at 44.1 kHz
  int periods = int(aud_cfgnumber("SOUND_PERIODS", &periodsgiven));
  bool forced = msgiven || periodsgiven;
  std::string ours;
  if (ms != 0) {
    aud_pipewirefloor(ms);
    ours = aud_periodlines(ms, periods, forced);
  }
  // 4. See aud_pulse.cpp: a PulseAudio that does not answer would hold OpenAL Soft's first
  // call for as long as it is stuck; its backend is left out (the trailing comma keeps the
  // others), unless the user's files list the backends themselves.
  if (nopulse && !aud_uservalue(aud_userconfs(), "drivers")) ours += "drivers = -pulse,\n";
  if (ours.empty() || (u.fd = aud_memconf(ours, u)) < 0) return u;
  setenv("ALSOFT_CONF", ("/proc/self/fd/" + std::to_string(u.fd)).c_str(), 1);
  return u;
}

// OpenAL Soft has read its configuration once the first device is open; a program we
// start must not inherit a name for our memory file.
void aud_periodundo(aud_confundo& u) {
  if (u.fd < 0) return;
  if (u.hadconf)
    setenv("ALSOFT_CONF", u.saved.c_str(), 1);
  else
    unsetenv("ALSOFT_CONF");
  close(u.fd);
  u.fd = -1;
}

std::set<int> aud_threads() {
  std::set<int> ids;
  if (DIR* d = opendir("/proc/self/task")) {
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.') ids.insert(atoi(e->d_name));
    closedir(d);
  }
  return ids;
}

void aud_raisefeeder(std::set<int> const& before) {
  std::vector<int> fresh;
  for (int id : aud_threads())
    if (!before.count(id)) fresh.push_back(id);
  int policy = -1;
  sched_param rt{};
  for (int id : fresh) {
    int p = sched_getscheduler(id);
    if ((p == SCHED_RR || p == SCHED_FIFO) && sched_getparam(id, &rt) == 0) policy = p;
  }
  if (policy < 0) return;
  for (int id : fresh)
    if (sched_getscheduler(id) == SCHED_OTHER && aud_threadname(id) == "threaded-ml")
      sched_setscheduler(id, policy, &rt);  // refused without the right: nothing lost
}
