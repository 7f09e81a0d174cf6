// The output through OpenAL Soft's own device (its PulseAudio, ALSA, ... backends), and the
// quieting of ALSA's messages while OpenAL Soft probes the cards.
#include <AL/alext.h>
#include <dlfcn.h>

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <set>

#include "platform/sound/aud_internal.h"

namespace {

// ---- ALSA's chatter ------------------------------------------------------------------
// Without a sound card libasound prints half a dozen lines while OpenAL Soft probes it.
// We take its error handler over (through dlopen: we do not link libasound) and keep the
// last message of this thread as the reason for our own one-line warning.

thread_local char aud_alsamsg[160];

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

// ---- The row -------------------------------------------------------------------------

// Whether OpenAL Soft may set a PulseAudio client up: only its PulseAudio backend and its
// ALSA one (through ALSA's pulse plugin) do. A catch of libpulse's lines costs a thread,
// which a busy machine may be slow to run, so none where the backends asked for are
// others only (the tests' null); a list ending in a comma goes on to all of them.
bool aud_maypulse() {
  char const* d = getenv("ALSOFT_DRIVERS");
  if (!d || !*d || d[strlen(d) - 1] == ',') return true;
  return strstr(d, "pulse") || strstr(d, "alsa");
}

bool aud_alopen(aud_device& d, std::string& why, bool) {
  aud_alsamsg[0] = 0;
  std::set<int> before = aud_threads();
  ALCdevice* dev = nullptr;
  {
    // A PulseAudio client is set up here: by its PulseAudio backend, or by ALSA's pulse
    // plugin under its ALSA backend; at start-up and at every reopen after a lost server.
    std::optional<aud_pacatch> lines;
    if (aud_maypulse()) lines.emplace();
    dev = alcOpenDevice(nullptr);
  }
  if (!dev) {
    ALCenum e = alcGetError(nullptr);
    why = aud_alsamsg[0] ? std::string("ALSA: ") + aud_alsamsg
                         : std::string("OpenAL: ") + aud_alcerror(e);
    return false;
  }
  ALCcontext* ctx = alcCreateContext(dev, nullptr);
  if (!ctx) {
    why = std::string("OpenAL: no context: ") + aud_alcerror(alcGetError(dev));
    alcCloseDevice(dev);
    return false;
  }
  aud_raisefeeder(before);
  d = {&aud_out_openal, dev, ctx, nullptr};
  return true;
}

void aud_alclose(aud_device& d) {
  if (d.ctx) alcDestroyContext(d.ctx);
  if (d.dev) alcCloseDevice(d.dev);
  d = {};
}

bool aud_algone(aud_device const& d) {
  ALCint connected = ALC_TRUE;
  alcGetIntegerv(d.dev, ALC_CONNECTED, 1, &connected);
  return connected == ALC_FALSE;
}

long long aud_allatency(aud_device const& d) { return aud_alclatency(d.dev); }

int aud_almissed(aud_device const&) { return 0; }  // not told: the server counts them

}  // namespace

aud_output const aud_out_openal = {"OpenAL",   true,          aud_alopen,  aud_alclose,
                                   aud_algone, aud_allatency, aud_almissed};

void aud_quietalsa() {
  void* lib = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
  if (!lib) return;  // no libasound, no chatter; the handle stays open on purpose
  using handler = void (*)(char const*, int, char const*, int, char const*, ...);
  using sethandler = int (*)(handler);
  auto set = reinterpret_cast<sethandler>(dlsym(lib, "snd_lib_error_set_handler"));
  if (set) set(aud_alsaquiet);
}

long long aud_alclatency(ALCdevice* d) {
  if (!d || !alcIsExtensionPresent(d, "ALC_SOFT_device_clock")) return -1;
  auto get64 =
      reinterpret_cast<LPALCGETINTEGER64VSOFT>(alcGetProcAddress(d, "alcGetInteger64vSOFT"));
  if (!get64) return -1;
  ALCint64SOFT ns = -1;
  get64(d, ALC_DEVICE_LATENCY_SOFT, 1, &ns);
  return ns;
}
