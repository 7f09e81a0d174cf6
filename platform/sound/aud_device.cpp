// Opens the output device, or when there is none a silent stand-in that still keeps time,
// so positions advance and the game's music loop works on machines without sound.
// Also the SOUND_LOG writer and the tidy shutdown at process exit.
#include <AL/alext.h>
#include <dlfcn.h>

#include <chrono>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "platform/sound/aud_internal.h"

aud_lib aud;

namespace {

constexpr ALCint aud_silentrate = 44100;

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

bool aud_opensilent() {
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
  aud.clock = std::thread(aud_runclock);
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

bool aud_openreal(std::string& why) {
  aud_alsamsg[0] = 0;
  aud.dev = alcOpenDevice(nullptr);
  if (!aud.dev) {
    ALCenum e = alcGetError(nullptr);
    why = aud_alsamsg[0] ? std::string("ALSA: ") + aud_alsamsg
                         : std::string("OpenAL: ") + aud_alcerror(e);
    return false;
  }
  aud.ctx = alcCreateContext(aud.dev, nullptr);
  if (aud.ctx && alcMakeContextCurrent(aud.ctx)) return true;
  why = std::string("OpenAL: no context: ") + aud_alcerror(alcGetError(aud.dev));
  if (aud.ctx) alcDestroyContext(aud.ctx);
  alcCloseDevice(aud.dev);
  aud.ctx = nullptr;
  aud.dev = nullptr;
  return false;
}

}  // namespace

// ---- Start-up ------------------------------------------------------------------------

bool aud_init() {
  if (aud.inited) return aud.heard;
  aud.inited = true;

  if (char const* file = getenv("SOUND_LOG"); file && *file) {
    aud.log = fopen(file, "a");
    if (!aud.log) fprintf(stderr, "sound: cannot open SOUND_LOG %s: %s\n", file, strerror(errno));
  }

  // Our own warning says all that matters; whoever sets ALSOFT_LOGLEVEL wants the rest.
  aud.quiet = !getenv("ALSOFT_LOGLEVEL");
  if (aud.quiet) {
    setenv("ALSOFT_LOGLEVEL", "0", 0);
    aud_quietalsa();
  }

  std::string why;
  if (aud_openreal(why)) {
    aud.heard = true;
  } else if (aud_opensilent()) {
    fprintf(stderr, "sound: no audio device (%s); the game runs silent\n", why.c_str());
  } else {
    fprintf(stderr, "sound: no audio device (%s) and no silent stand-in; sounds are off\n",
            why.c_str());
  }
  aud_pickresampler();
  return aud.heard;
}

// Sounds played up to four times faster fold their highs back down as harshness with a
// linear or cubic resampler; a band-limited sinc one keeps them clean. OpenAL Soft lists
// its resamplers from cheapest to best.
void aud_pickresampler() {
  if (!aud.ctx || !alIsExtensionPresent("AL_SOFT_source_resampler")) return;
  auto names = reinterpret_cast<LPALGETSTRINGISOFT>(alGetProcAddress("alGetStringiSOFT"));
  ALint n = alGetInteger(AL_NUM_RESAMPLERS_SOFT);
  for (ALint i = 0; names && i < n; ++i) {
    char const* name = names(AL_RESAMPLER_NAME_SOFT, i);
    if (name && strstr(name, "Sinc")) aud.resampler = i;
  }
}

// ---- Log -----------------------------------------------------------------------------

void aud_logf(char const* fmt, ...) {
  if (!aud.log) return;
  va_list ap;
  va_start(ap, fmt);
  vfprintf(aud.log, fmt, ap);
  va_end(ap);
  fputc('\n', aud.log);
  fflush(aud.log);  // a killed game still leaves every line it made
}

// ---- Shutdown ------------------------------------------------------------------------
// The game never tears anything down; we do it at exit so the threads stop before
// OpenAL Soft unloads, a wave-file device gets its header written, and nothing is left
// for OpenAL Soft to complain about.

aud_lib::~aud_lib() {
  {
    std::lock_guard lk(mx);
    quit = true;
  }
  wake.notify_all();
  if (feeder.joinable()) feeder.join();
  {
    std::lock_guard lk(clockmx);
    clockquit = true;
  }
  clockwake.notify_all();
  if (clock.joinable()) clock.join();
  for (auto& [h, s] : sounds) aud_free(*s);
  sounds.clear();
  if (ctx) {
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(ctx);
  }
  if (dev) alcCloseDevice(dev);
  if (log) fclose(log);
}
