// Opens the output device, or when there is none a silent stand-in that still keeps time,
// so positions advance and the game's music loop works on machines without sound.
// Also the SOUND_LOG writer and the tidy shutdown at process exit.
#include <AL/alext.h>
#include <dlfcn.h>
#include <strings.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <set>
#include <utility>

#include "platform/sound/aud_internal.h"

aud_lib aud;

namespace {

// ---- ALSA's chatter ------------------------------------------------------------------
// Without a sound card libasound prints half a dozen lines while OpenAL Soft probes it.
// We take its error handler over (through dlopen: we do not link libasound) and keep the
// last message of this thread as the reason for our own one-line warning.

thread_local char aud_alsamsg[160];
LPALCRENDERSAMPLESSOFT aud_render = nullptr;

extern "C" void aud_alsaquiet(char const*, int, char const*, int, char const* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(aud_alsamsg, sizeof aud_alsamsg, fmt, ap);
  va_end(ap);
  // Some of its messages end in a line break, which would split our one line.
  for (char* c = aud_alsamsg; *c; ++c)
    if (*c == '\n' || *c == '\r') *c = ' ';
  for (size_t n = strlen(aud_alsamsg); n > 0 && aud_alsamsg[n - 1] == ' ';) aud_alsamsg[--n] = 0;
}

void aud_quietalsa() {
  void* lib = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
  if (!lib) return;  // no libasound, no chatter; the handle stays open on purpose
  using handler = void (*)(char const*, int, char const*, int, char const*, ...);
  using sethandler = int (*)(handler);
  auto set = reinterpret_cast<sethandler>(dlsym(lib, "snd_lib_error_set_handler"));
  if (set) set(aud_alsaquiet);
}

// ---- Silent stand-in -----------------------------------------------------------------
// OpenAL Soft's loopback device mixes only when asked; this thread asks in real time and
// throws the samples away, so sources play, stop and report offsets as with a card.

void aud_runclock() {
  std::vector<short> scratch(2 * 1024);
  auto last = std::chrono::steady_clock::now();
  double owed = 0;  // frames due but not yet rendered
  std::unique_lock lk(aud.clockmx);
  while (!aud.clockquit) {
    aud.clockwake.wait_for(lk, std::chrono::milliseconds(5));
    auto now = std::chrono::steady_clock::now();
    owed += std::chrono::duration<double>(now - last).count() * aud_silentrate;
    last = now;
    if (owed > aud_silentrate) owed = aud_silentrate;  // after a stall, do not race
    while (owed >= 1) {
      int n = owed < 1024 ? int(owed) : 1024;
      aud_render(aud.dev, scratch.data(), n);
      owed -= n;
    }
  }
}

// thread: render it in real time (without it, aud_mixsilent moves it on the virtual clock).
bool aud_opensilent(bool thread = true) {
  if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback")) return false;
  auto open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
      alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
  aud_render =
      reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
  if (!open || !aud_render) return false;
  aud.dev = open(nullptr);
  if (!aud.dev) return false;
  ALCint attrs[] = {ALC_FORMAT_CHANNELS_SOFT,
                    ALC_STEREO_SOFT,
                    ALC_FORMAT_TYPE_SOFT,
                    ALC_SHORT_SOFT,
                    ALC_FREQUENCY,
                    aud_silentrate,
                    0};
  aud.ctx = alcCreateContext(aud.dev, attrs);
  if (!aud.ctx || !alcMakeContextCurrent(aud.ctx)) {
    if (aud.ctx) alcDestroyContext(aud.ctx);
    alcCloseDevice(aud.dev);
    aud.ctx = nullptr;
    aud.dev = nullptr;
    return false;
  }
  if (thread) aud.clock = std::thread(aud_runclock);
  return true;
}

char const* aud_alcerror(ALCenum e) {
  switch (e) {
    case ALC_INVALID_DEVICE:
      return "invalid device";
    case ALC_INVALID_CONTEXT:
      return "invalid context";
    case ALC_INVALID_VALUE:
      return "no usable backend";
    case ALC_OUT_OF_MEMORY:
      return "out of memory";
    default:
      return "unknown error";
  }
}

// Opens the default output device with its context, not made current. Talks to the sound
// server and waits for its answers, so after start-up only the opener thread calls it.
bool aud_openreal(ALCdevice*& dev, ALCcontext*& ctx, std::string& why) {
  if (aud_pwopen(dev, ctx, why, aud.quiet)) return true;
  aud_alsamsg[0] = 0;
  std::set<int> before = aud_threads();
  dev = alcOpenDevice(nullptr);
  ctx = nullptr;
  if (!dev) {
    ALCenum e = alcGetError(nullptr);
    why = aud_alsamsg[0] ? std::string("ALSA: ") + aud_alsamsg
                         : std::string("OpenAL: ") + aud_alcerror(e);
    return false;
  }
  ctx = alcCreateContext(dev, nullptr);
  if (ctx) {
    aud_raisefeeder(before);
    return true;
  }
  why = std::string("OpenAL: no context: ") + aud_alcerror(alcGetError(dev));
  alcCloseDevice(dev);
  dev = nullptr;
  return false;
}

// Makes an opened device the library's own.
bool aud_takedevice(ALCdevice* dev, ALCcontext* ctx) {
  if (!alcMakeContextCurrent(ctx)) {
    aud_closereal(dev, ctx);
    return false;
  }
  aud.dev = dev;
  aud.ctx = ctx;
  return true;
}

// ---- The opener thread ---------------------------------------------------------------
// A sound server that accepts the connection and then never answers (stopped, or hung)
// holds whoever opens a device for as long as it is stuck: 15 s frozen was a 15 s frame.
// So after start-up only this thread opens devices: while a real device is wanted it tries
// once a second (an open costs a few milliseconds when a server is there, and under one
// when it is not), and leaves what it opened in aud.readydev for aud_watch to take over.

void aud_runopener() {
  std::unique_lock lk(aud.openmx);
  while (!aud.openquit) {
    if (!aud.openwant || aud.readydev) {
      aud.openwake.wait(lk);
      continue;
    }
    aud.openbusy = true;
    lk.unlock();
    ALCdevice* dev = nullptr;
    ALCcontext* ctx = nullptr;
    std::string why;
    bool opened = aud_openreal(dev, ctx, why);
    lk.lock();
    aud.openbusy = false;
    aud.openwake.notify_all();  // aud_stopopener may be waiting for this
    if (opened && aud.openwant && !aud.openquit) {
      aud.readydev = dev;
      aud.readyctx = ctx;
      continue;
    }
    if (opened) {  // no longer wanted
      lk.unlock();
      aud_closereal(dev, ctx);
      lk.lock();
      continue;
    }
    aud.openwake.wait_for(lk, std::chrono::seconds(1), [] { return aud.openquit; });
  }
}

// Asks the opener for a real device, starting it the first time.
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
  ALCdevice* dev = std::exchange(aud.readydev, nullptr);
  ALCcontext* ctx = std::exchange(aud.readyctx, nullptr);
  lk.unlock();
  if (stuck)
    aud.opener.detach();
  else
    aud.opener.join();
  aud_closereal(dev, ctx);
}

// ---- Losing the device and getting it back -------------------------------------------

// Closes the open device, with the stand-in's render thread if it is the stand-in.
void aud_closedevice() {
  if (aud.clock.joinable()) {
    {
      std::lock_guard lk(aud.clockmx);
      aud.clockquit = true;
    }
    aud.clockwake.notify_all();
    aud.clock.join();
    aud.clockquit = false;
  }
  alcMakeContextCurrent(nullptr);
  aud_closereal(aud.dev, aud.ctx);
  aud.ctx = nullptr;
  aud.dev = nullptr;
}

// Moves every sound to another device: the opened real one when given, else the silent
// stand-in. Each sound keeps its state, settings and the position the clock says; its
// OpenAL objects are made anew from the samples it keeps (or its stream's open file).
bool aud_movesounds(ALCdevice* dev, ALCcontext* ctx) {
  struct was {
    aud_sound* s;
    aud_state state;
    double pos;
  };
  std::vector<was> sounds;
  for (auto& [h, s] : aud.sounds) {
    if (!s->loaded()) continue;
    // Positions of a lost device are guesses; the stand-in's are read from its mixer.
    double pos = aud.heard ? aud_guess(*s) : aud_pos(*s);
    sounds.push_back({s.get(), s->state, pos});
    aud_dropal(*s);
  }
  aud_closedevice();
  bool opened = dev ? aud_takedevice(dev, ctx) : aud_opensilent();
  if (!opened && dev) aud_opensilent();
  aud.heard = opened && dev;
  for (was& w : sounds) {
    aud_sound& s = *w.s;
    if (!aud.ctx || !aud_makeal(s)) {
      // Out of sources on the new device: the sound stays, empty, as after a failed load.
      aud_free(s);
      continue;
    }
    s.state = w.state == aud_state::playing ? aud_state::idle : w.state;
    if (w.state == aud_state::playing) aud_start(s, w.pos);
    if (w.state == aud_state::paused) s.hold = w.pos;
  }
  return opened;
}

}  // namespace

void aud_mixsilent(int n) {
  static short scratch[2 * 4096];
  if (aud.dev && !aud.heard && aud_render && n > 0 && n <= 4096) aud_render(aud.dev, scratch, n);
}

void aud_closereal(ALCdevice* dev, ALCcontext* ctx) {
  aud_pwrelease(dev);
  if (ctx) alcDestroyContext(ctx);
  if (dev) alcCloseDevice(dev);
}

bool aud_gone() {
  if (!aud.heard || !aud.dev) return false;
  if (aud_pwowns(aud.dev)) return aud_pwgone(aud.dev);
  ALCint connected = ALC_TRUE;
  alcGetIntegerv(aud.dev, ALC_CONNECTED, 1, &connected);
  return connected == ALC_FALSE;
}

void aud_watch() {
  if (!aud.heard && !aud.lost && !aud.openwant) return;  // no sound at all: nothing to watch
  long long now = aud_monons();
  if (now < aud.nextcheck) return;
  aud.nextcheck = now + 250000000LL;
  if (aud.heard) {
    if (!aud_gone()) {
      for (auto& [h, s] : aud.sounds)  // fresh points to guess from, should it go
        if (s->loaded() && s->state == aud_state::playing) aud_pos(*s);
      return;
    }
    aud_say("sound: the audio device was lost; sounds play on silently");
    aud.lost = true;
    aud_movesounds(nullptr, nullptr);
    aud_wantdevice();
    return;
  }
  ALCdevice* dev = nullptr;
  ALCcontext* ctx = nullptr;
  {
    std::lock_guard lk(aud.openmx);
    dev = std::exchange(aud.readydev, nullptr);
    ctx = std::exchange(aud.readyctx, nullptr);
    if (dev) aud.openwant = false;
  }
  if (!dev) return;
  bool back = aud.lost;
  if (!aud_movesounds(dev, ctx)) {
    aud_wantdevice();
    return;
  }
  aud.lost = false;
  if (back)
    aud_say("sound: the audio device is back");
  else
    aud_say("sound: an audio device opened; sounds are heard from now on");
}

// ---- Start-up ------------------------------------------------------------------------

bool aud_init() {
  if (aud.inited) return aud.heard;
  aud.inited = true;

  if (char const* file = aud_cfgtext("SOUND_LOG")) {
    aud.logpath = file;
    aud.log = aud_openout("SOUND_LOG", file);
  }

  // Our own warning says all that matters; whoever sets ALSOFT_LOGLEVEL wants the rest.
  aud.quiet = !getenv("ALSOFT_LOGLEVEL");
  if (aud.quiet) {
    setenv("ALSOFT_LOGLEVEL", "0", 0);
    aud_quietalsa();
  }

  // On libdisp's virtual clock the sounds keep its time, not the card's: they play silently
  // on the stand-in, mixed by the entries as that clock moves, and no device is looked for.
  if (aud_vclockopen()) {
    if (!aud_opensilent(false))
      aud_say("sound: no silent stand-in for the virtual clock; sounds are off");
    aud_pickresampler();
    aud_latencyopen();
    return false;
  }

  // The first open waits for the server on the caller's thread: OpenAL Soft looks for its
  // backends once, inside the first call that needs one, and any other call (the silent
  // stand-in too) would wait for that search anyway. This is at start-up, before any frame.
  std::string why;
  aud_confundo conf = aud_periodconf();
  ALCdevice* dev = nullptr;
  ALCcontext* ctx = nullptr;
  bool real = aud_openreal(dev, ctx, why) && aud_takedevice(dev, ctx);
  aud_periodundo(conf);
  if (real) {
    aud.heard = true;
  } else if (aud_opensilent()) {
    aud_say("sound: no audio device (%s); sounds play silently", why.c_str());
    aud_wantdevice();  // a server that starts later is taken up then
  } else {
    aud_say("sound: no audio device (%s) and no silent stand-in; sounds are off", why.c_str());
  }
  aud_pickresampler();
  aud_latencyopen();
  return aud.heard;
}

// The resampler every source uses. Music sped up four times folds its highs back down as
// harshness through a linear resampler; the band-limited sinc ones keep it clean, and
// the shorter of them sounds the same as the longer at about half the mixing cost
// (figures in the README, measured with bench/resampler.sh). SOUND_RESAMPLER=NAME picks
// another by its OpenAL Soft name ("Linear", "23rd order Sinc"), case ignored.
void aud_pickresampler() {
  if (!aud.ctx || !alIsExtensionPresent("AL_SOFT_source_resampler")) return;
  auto names = reinterpret_cast<LPALGETSTRINGISOFT>(alGetProcAddress("alGetStringiSOFT"));
  if (!names) return;
  ALint n = alGetInteger(AL_NUM_RESAMPLERS_SOFT);
  char const* want = aud_cfgtext("SOUND_RESAMPLER");
  auto find = [&](char const* wanted) {
    for (ALint i = 0; i < n; ++i)
      if (char const* name = names(AL_RESAMPLER_NAME_SOFT, i); name && !strcasecmp(name, wanted))
        return int(i);
    return -1;
  };
  constexpr char const* ours = "11th order Sinc";
  aud.resampler = find(want && *want ? want : ours);
  char const* chosen = aud.resampler >= 0 ? names(AL_RESAMPLER_NAME_SOFT, aud.resampler) : ours;
  aud.fastresampler = chosen && strcasestr(chosen, "sinc") ? find("Cubic") : -1;
  if (aud.resampler >= 0 || !want || !*want) return;
  std::string list;
  for (ALint i = 0; i < n; ++i)
    if (char const* name = names(AL_RESAMPLER_NAME_SOFT, i)) list += std::string(", ") + name;
  aud.resampler = find(ours);
  aud.fastresampler = find("Cubic");
  aud_say("sound: SOUND_RESAMPLER=%s is not one of %s; using %s", aud_quote(want).c_str(),
          list.empty() ? "none" : list.c_str() + 2, ours);
}

// OpenAL Soft 1.19's sinc resamplers lose the whole sound above about 4.5 times the
// sound's rate (-2 dB at 5, -24 dB at 8, silence from 10), so faster sources play through
// the cubic one, which keeps every rate up to the 16-fold limit at full level.
constexpr double aud_sincmaxrate = 4.5;

int aud_resamplerfor(double rate) {
  return rate > aud_sincmaxrate && aud.fastresampler >= 0 ? aud.fastresampler : aud.resampler;
}

// ---- Log -----------------------------------------------------------------------------

void aud_logf(char const* fmt, ...) {
  if (!aud.log) return;
  va_list ap;
  va_start(ap, fmt);
  bool ok = vfprintf(aud.log, fmt, ap) >= 0;
  va_end(ap);
  ok = fputc('\n', aud.log) != EOF && ok;
  ok = fflush(aud.log) == 0 && ok;  // a killed process still leaves every line it made
  if (!ok) aud_closeout(aud.log, "SOUND_LOG", aud.logpath, false);
}

FILE* aud_openout(char const* what, char const* path) {
  // Non-blocking, so a FIFO nobody reads is refused at once instead of waiting for one.
  int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644);
  struct stat st {};
  std::string why;
  if (fd < 0)
    why = errno == ENXIO ? "not a regular file" : strerror(errno);
  else if (fstat(fd, &st) != 0)
    why = strerror(errno);
  else if (!S_ISREG(st.st_mode))
    why = "not a regular file";
  if (why.empty() && fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0)
    if (FILE* f = fdopen(fd, "a")) return f;
  if (why.empty()) why = strerror(errno);
  if (fd >= 0) close(fd);
  aud_say("sound: cannot open %s \"%s\": %s", what, aud_quote(path).c_str(), why.c_str());
  return nullptr;
}

void aud_closeout(FILE*& f, char const* what, std::string const& path, bool ok) {
  if (!f) return;
  int err = ok ? 0 : errno;
  if (ferror(f) && !err) err = EIO;
  if (fclose(f) != 0 && !err) err = errno;
  f = nullptr;
  if (err)
    aud_say("sound: cannot write %s \"%s\": %s; it stops there", what,
            aud_quote(path.c_str()).c_str(), strerror(err));
}

// ---- Shutdown ------------------------------------------------------------------------
// The game never tears anything down; we do it at exit so the threads stop before
// OpenAL Soft unloads, a wave-file device gets its header written, and nothing is left
// for OpenAL Soft to complain about.

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
  {
    std::lock_guard lk(clockmx);
    clockquit = true;
  }
  clockwake.notify_all();
  if (clock.joinable()) clock.join();
  for (auto& [h, s] : sounds) aud_free(*s);
  sounds.clear();
  alcMakeContextCurrent(nullptr);
  aud_closereal(dev, ctx);
  aud_closeout(log, "SOUND_LOG", logpath, true);
}
