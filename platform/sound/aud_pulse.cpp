// Playback straight to PulseAudio through libpulse, for a PulseAudio that OpenAL Soft 1.19
// cannot reach: it looks for its backends once, at its first call, so a server that starts
// (or answers) only later is never its own; and ALSA's pulse plugin points at PulseAudio
// only if it ran when ALSA first read its configuration. We ask PulseAudio ourselves and
// mix on a loopback device in the stream's write callback, as the PipeWire row does. Where
// OpenAL Soft found PulseAudio at start-up it plays there itself, as before (its own path
// with our short period and real-time threads is measured in the README).
#include <AL/alext.h>
#include <pulse/pulseaudio.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/sound/aud_internal.h"

namespace {

constexpr int aud_parate = 48000;
constexpr int aud_pachannels = 2;

// What the start-up probe found; OpenAL Soft's own PulseAudio backend exists only if the
// server answered then.
std::atomic<aud_server> aud_pafound{aud_server::absent};

// One open output: the loopback device that mixes and the stream that plays it.
struct aud_paout {
  ALCdevice* dev = nullptr;
  LPALCRENDERSAMPLESSOFT render = nullptr;
  pa_threaded_mainloop* loop = nullptr;
  pa_context* context = nullptr;
  pa_stream* stream = nullptr;
  std::atomic<bool> gone{false};
  std::atomic<long long> latency{-1};
  std::atomic<int> missed{0};
  std::vector<float> pcm;
};

void aud_pacontextstate(pa_context* c, void* data) {
  auto* o = static_cast<aud_paout*>(data);
  pa_context_state_t s = pa_context_get_state(c);
  if (s == PA_CONTEXT_FAILED || s == PA_CONTEXT_TERMINATED) o->gone = true;
  pa_threaded_mainloop_signal(o->loop, 0);
}

void aud_pastreamstate(pa_stream* st, void* data) {
  auto* o = static_cast<aud_paout*>(data);
  pa_stream_state_t s = pa_stream_get_state(st);
  if (s == PA_STREAM_FAILED || s == PA_STREAM_TERMINATED) o->gone = true;
  pa_threaded_mainloop_signal(o->loop, 0);
}

// The server asks for bytes: mix that many frames straight into its buffer.
void aud_pawrite(pa_stream* st, size_t bytes, void* data) {
  auto* o = static_cast<aud_paout*>(data);
  constexpr size_t stride = sizeof(float) * aud_pachannels;
  size_t frames = bytes / stride;
  if (!frames) return;
  o->pcm.resize(frames * aud_pachannels);
  o->render(o->dev, o->pcm.data(), ALCsizei(frames));
  pa_stream_write(st, o->pcm.data(), frames * stride, nullptr, 0, PA_SEEK_RELATIVE);
  pa_usec_t us = 0;
  int negative = 0;
  if (pa_stream_get_latency(st, &us, &negative) == 0)
    o->latency =
        negative ? 0 : (long long)(us)*1000 + (long long)frames * 1000000000LL / aud_parate;
}

void aud_paunderflow(pa_stream*, void* data) { ++static_cast<aud_paout*>(data)->missed; }

// Waits (the loop locked) until done() or until; false on time-out or loss.
template <class F>
bool aud_pawait(aud_paout* o, std::chrono::steady_clock::time_point until, F done) {
  while (!done() && !o->gone && std::chrono::steady_clock::now() < until) {
    pa_threaded_mainloop_unlock(o->loop);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    pa_threaded_mainloop_lock(o->loop);
  }
  return done() && !o->gone;
}

void aud_pafree(aud_paout* o) {
  if (o->loop) pa_threaded_mainloop_lock(o->loop);
  if (o->stream) {
    pa_stream_set_write_callback(o->stream, nullptr, nullptr);
    pa_stream_disconnect(o->stream);
    pa_stream_unref(o->stream);
  }
  if (o->context) {
    pa_context_disconnect(o->context);
    pa_context_unref(o->context);
  }
  if (o->loop) {
    pa_threaded_mainloop_unlock(o->loop);
    pa_threaded_mainloop_stop(o->loop);
    pa_threaded_mainloop_free(o->loop);
  }
  delete o;
}

// Connects o's context; false: no server, or none that answered within ms.
bool aud_paconnect(aud_paout* o, int ms, std::string& why) {
  o->loop = pa_threaded_mainloop_new();
  if (!o->loop) return why = "PulseAudio: no event loop", false;
  // The client is set up here, and its cookie read on the loop's thread while we wait.
  aud_pacatch lines;
  o->context = pa_context_new(pa_threaded_mainloop_get_api(o->loop), "libsound");
  if (!o->context) return why = "PulseAudio: no context", false;
  pa_context_set_state_callback(o->context, aud_pacontextstate, o);
  if (pa_context_connect(o->context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
    return why = "PulseAudio: no server", false;
  if (pa_threaded_mainloop_start(o->loop) < 0) return why = "PulseAudio: no event thread", false;
  pa_threaded_mainloop_lock(o->loop);
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  bool ok =
      aud_pawait(o, until, [o] { return pa_context_get_state(o->context) == PA_CONTEXT_READY; });
  pa_threaded_mainloop_unlock(o->loop);
  if (!ok) why = o->gone ? "PulseAudio: no server" : "PulseAudio: the server does not answer";
  return ok;
}

// Starts the stream; the loop locked.
bool aud_pastart(aud_paout* o, std::string& why) {
  pa_sample_spec format{PA_SAMPLE_FLOAT32NE, aud_parate, aud_pachannels};
  o->stream = pa_stream_new(o->context, "libsound", &format, nullptr);
  if (!o->stream) return why = "PulseAudio: no stream", false;
  pa_stream_set_state_callback(o->stream, aud_pastreamstate, o);
  pa_stream_set_write_callback(o->stream, aud_pawrite, o);
  pa_stream_set_underflow_callback(o->stream, aud_paunderflow, o);
  // The mixer's period asked for, four of them queued, as OpenAL Soft's own path has it.
  double ms = aud_cfgnumber("SOUND_PERIOD_MS");
  if (ms <= 0) ms = 1024.0 * 1000 / aud_parate;
  uint32_t period = uint32_t(ms * aud_parate / 1000) * sizeof(float) * aud_pachannels;
  pa_buffer_attr attr{};
  attr.maxlength = uint32_t(-1);
  attr.tlength = period * uint32_t(aud_cfgnumber("SOUND_PERIODS"));
  attr.prebuf = uint32_t(-1);
  attr.minreq = period;
  attr.fragsize = uint32_t(-1);
  auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_INTERPOLATE_TIMING |
                                 PA_STREAM_AUTO_TIMING_UPDATE);
  if (pa_stream_connect_playback(o->stream, nullptr, &attr, flags, nullptr, nullptr) < 0)
    return why = "PulseAudio: the stream did not connect", false;
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  if (!aud_pawait(o, until, [o] { return pa_stream_get_state(o->stream) == PA_STREAM_READY; }))
    return why = "PulseAudio: the stream did not start", false;
  return true;
}

bool aud_paopen(aud_device& d, std::string& why, bool) {
  // Where OpenAL Soft plays to PulseAudio itself, or the user named its backend or our
  // PipeWire path is meant, this row stays out of the way.
  if (aud_pafound == aud_server::answers && !aud_cfgflag("SOUND_PULSE")) return false;
  if (char const* s = getenv("ALSOFT_DRIVERS"); s && *s) return false;
  auto* o = new aud_paout;
  std::string reason;
  if (!aud_paconnect(o, 2000, reason)) {
    aud_pafree(o);
    return false;  // no PulseAudio here: not this row, and no reason to give
  }
  bool ok = aud_openloopback(ALC_FLOAT_SOFT, aud_parate, d, &o->render);
  o->dev = d.dev;
  if (ok) {
    pa_threaded_mainloop_lock(o->loop);
    ok = aud_pastart(o, why);
    pa_threaded_mainloop_unlock(o->loop);
  }
  if (!ok) {
    aud_pafree(o);
    aud_closeloopback(d);
    return false;
  }
  d.out = &aud_out_pulse;
  d.own = o;
  return true;
}

aud_paout* aud_pa(aud_device const& d) { return static_cast<aud_paout*>(d.own); }

void aud_paclose(aud_device& d) {
  if (aud_paout* o = aud_pa(d)) aud_pafree(o);
  aud_closeloopback(d);
}

bool aud_pagone(aud_device const& d) { return aud_pa(d)->gone; }
long long aud_palatency(aud_device const& d) { return aud_pa(d)->latency; }
int aud_pamissed(aud_device const& d) { return aud_pa(d)->missed; }

}  // namespace

aud_output const aud_out_pulse = {"PulseAudio", true,          aud_paopen,  aud_paclose,
                                  aud_pagone,   aud_palatency, aud_pamissed};

aud_server aud_paprobe(int ms) {
  // Not asked where OpenAL Soft is told to go without its PulseAudio backend, or where the
  // user named the backends.
  if (char const* v = getenv("ALSOFT_DRIVERS");
      v && *v && (!strstr(v, "pulse") || strstr(v, "-pulse")))
    return aud_pafound = aud_server::absent;
  auto* o = new aud_paout;
  std::string why;
  aud_server found =
      aud_paconnect(o, ms, why)
          ? aud_server::answers
          : (o->gone || why == "PulseAudio: no server" ? aud_server::absent : aud_server::silent);
  aud_pafree(o);
  aud_pafound = found;
  return found;
}

bool aud_pulseanswered() { return aud_pafound == aud_server::answers; }
