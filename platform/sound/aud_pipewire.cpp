// Playback straight to PipeWire. OpenAL Soft 1.19 reaches PipeWire only through
// pipewire-pulse, which refills a client's stream from its own thread, one that is not
// real-time: on a loaded machine key to sound took 22 ms at the median and a few refills a
// minute came too late to be heard as anything but gaps. Where PipeWire runs the sound we
// mix instead on an OpenAL Soft loopback device, inside a native stream's process callback
// on PipeWire's real-time data thread, which is what OpenAL Soft's own pipewire backend
// (1.22 and later) does. Off: SOUND_PIPEWIRE=0. Can go when Debian's OpenAL Soft has that
// backend.
#include <AL/alext.h>
#include <pipewire/pipewire.h>
#include <spa/param/audio/format-utils.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/sound/aud_internal.h"

namespace {

constexpr int aud_pwrate = 48000;  // PipeWire's own default rate: nothing to resample
constexpr int aud_pwchannels = 2;

// One open output: the loopback device that mixes and the PipeWire stream that plays it.
struct aud_pwout {
  ALCdevice* dev = nullptr;
  LPALCRENDERSAMPLESSOFT render = nullptr;
  pw_thread_loop* loop = nullptr;
  pw_context* context = nullptr;
  pw_core* core = nullptr;
  pw_stream* stream = nullptr;
  pw_registry* registry = nullptr;
  spa_hook corehook{}, streamhook{}, registryhook{};
  pw_core_events coreevents{};
  pw_stream_events streamevents{};
  pw_registry_events registryevents{};
  int syncseq = -1;
  bool synced = false;
  bool sinks = false;  // the server has an audio output
  pw_stream_state state = PW_STREAM_STATE_UNCONNECTED;
  std::atomic<bool> gone{false};       // the server went away or the stream failed
  std::atomic<long long> latency{-1};  // ns from a sample mixed now to the output
  // Cycles of the graph that went by without us (our thread woke too late: a gap heard),
  // counted on the data thread; the loop thread then asks for a longer cycle.
  uint64_t lastticks = 0, lastframes = 0;
  long long lastwall = 0;  // CLOCK_MONOTONIC ns of our last cycle (data thread)
  std::atomic<int> missed{0};
  int missedseen = 0;     // at the last change of cycle (loop thread)
  long cycle = 0;         // the cycle asked for, in frames
  long floor = 0;         // the shortest we go down to: the first cycle
  long long changed = 0;  // when the cycle last changed (loop thread)
  long long lowered = 0;  // when it was last lowered (loop thread; 0: not since a raise)
  long long quiet = 0;    // ns without a miss before the cycle is lowered (loop thread)
  spa_source* raise = nullptr;
  // Our heartbeat, and the server's answers to it: a stretch with no cycle where we were
  // running and the server answered nothing was the server's stall, not our miss.
  spa_source* beat = nullptr;
  int beatseq = -1;  // the question not yet answered; -1: none
  std::atomic<long long> alive{0}, wasalive{0}, answered{0}, wasanswered{0};
};

long long aud_pwnow() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1000000000LL + t.tv_nsec;
}

// The cycle starts at twice the mixer's period (256 frames, 5.3 ms, which a busy 2-core
// machine keeps where 128 missed a few times a minute), is doubled at each missed cycle
// (each one is already a gap heard) up to the longest, and comes down a step, to the
// first cycle at the least, after a quiet stretch; a miss soon after coming down doubles
// the stretch asked for next time. (Down to 128 frames, three 60 s runs on the busy
// machine had 0, 1 and 2 gaps, each soon after a step down, for no gain in key to sound.)
constexpr long aud_pwlongest = 1024;  // 21 ms
constexpr long long aud_pwquiet = 20000000000LL, aud_pwquietmost = 320000000000LL;
constexpr long long aud_pwsoon = 10000000000LL;  // a miss this soon after a step down
constexpr long long aud_pwbeat = 25000000LL;     // heartbeat period
constexpr long long aud_pwstall = 150000000LL;   // shorter gaps are always our misses

// ---- PipeWire's callbacks (on its threads) ---------------------------------------------

void aud_pwcoredone(void* data, uint32_t id, int seq) {
  auto* o = static_cast<aud_pwout*>(data);
  if (id == PW_ID_CORE && seq == o->beatseq) {
    o->beatseq = -1;
    o->wasanswered = o->answered.load();
    o->answered = aud_pwnow();
  }
  if (id == PW_ID_CORE && seq == o->syncseq) {
    o->synced = true;
    pw_thread_loop_signal(o->loop, false);
  }
}

void aud_pwcoreerror(void* data, uint32_t id, int, int res, char const*) {
  auto* o = static_cast<aud_pwout*>(data);
  if (id == PW_ID_CORE && res == -EPIPE) o->gone = true;  // the server is gone
  pw_thread_loop_signal(o->loop, false);
}

void aud_pwglobal(void* data, uint32_t, uint32_t, char const* type, uint32_t,
                  spa_dict const* props) {
  auto* o = static_cast<aud_pwout*>(data);
  if (strcmp(type, PW_TYPE_INTERFACE_Node) != 0 || !props) return;
  char const* cls = spa_dict_lookup(props, PW_KEY_MEDIA_CLASS);
  if (cls && strcmp(cls, "Audio/Sink") == 0) o->sinks = true;
}

void aud_pwstate(void* data, pw_stream_state, pw_stream_state state, char const*) {
  auto* o = static_cast<aud_pwout*>(data);
  o->state = state;
  if (state == PW_STREAM_STATE_ERROR) o->gone = true;
  pw_thread_loop_signal(o->loop, false);
}

// A miss of ours is a cycle the graph went through in real time without us: our time
// since the last cycle is at least the graph's. A graph that moves on faster than real time
// (a server catching up after a stall of its own: cycles back to back, 0.1 ms apart, each
// two cycles on) missed nothing of ours. Nor did a long stretch without a cycle while this
// process ran (its heartbeat went on inside the stretch) and the server answered nothing:
// the server itself stood still, and a longer cycle of ours would not help. A stopped
// process of ours shows no heartbeat inside the stretch, and a server that answered was
// there: our misses.
bool aud_pwstalled(aud_pwout* o, long long wall) {
  long long from = o->lastwall + 2 * aud_pwbeat;
  return wall - o->lastwall > aud_pwstall && o->wasalive > from && o->wasanswered < from;
}

// Each graph cycle: mix what the server asks for, straight into its buffer.
void aud_pwprocess(void* data) {
  auto* o = static_cast<aud_pwout*>(data);
  pw_buffer* b = pw_stream_dequeue_buffer(o->stream);
  if (!b) return;
  spa_data& d = b->buffer->datas[0];
  constexpr uint32_t stride = sizeof(float) * aud_pwchannels;
  uint64_t frames = d.data ? d.maxsize / stride : 0;
  if (b->requested && b->requested < frames) frames = b->requested;
  if (frames) o->render(o->dev, d.data, ALCsizei(frames));
  d.chunk->offset = 0;
  d.chunk->stride = stride;
  d.chunk->size = uint32_t(frames * stride);
  b->size = frames;
  pw_time t{};
  if (pw_stream_get_time_n(o->stream, &t, sizeof t) == 0 && t.rate.denom) {
    o->latency = (t.delay + int64_t(t.buffered) + int64_t(frames)) * 1000000000LL * t.rate.num /
                 t.rate.denom;
    // The graph's clock counts at the graph's rate, our frames at ours (a card may run at
    // 44.1 or 96 kHz): compare the time since the last cycle with that cycle's length.
    double since = double(t.ticks - o->lastticks) * t.rate.num / t.rate.denom;
    double cycle = double(o->lastframes) / aud_pwrate;
    long long wall = aud_pwnow();
    double gap = double(wall - o->lastwall) * 1e-9;
    if (o->lastticks && o->lastframes && since > 1.5 * cycle && gap > 0.5 * since &&
        !aud_pwstalled(o, wall)) {
      o->missed += int(std::lround(since / cycle)) - 1;
      pw_loop_signal_event(pw_thread_loop_get_loop(o->loop), o->raise);
    }
    o->lastwall = wall;
    o->lastticks = t.ticks;
    o->lastframes = frames;
  }
  pw_stream_queue_buffer(o->stream, b);
}

// Asks the server for a cycle of o->cycle frames (on the loop thread).
void aud_pwask(aud_pwout* o) {
  std::string latency = std::to_string(o->cycle) + "/" + std::to_string(aud_pwrate);
  spa_dict_item item = {PW_KEY_NODE_LATENCY, latency.c_str()};
  spa_dict dict = {0, 1, &item};
  pw_stream_update_properties(o->stream, &dict);
  o->changed = aud_pwnow();
}

// On the loop thread, after missed cycles: a longer cycle; a longer quiet stretch next
// time if the last step down was too far.
void aud_pwraise(void* data, uint64_t) {
  auto* o = static_cast<aud_pwout*>(data);
  int missed = o->missed;
  if (missed == o->missedseen) return;
  o->missedseen = missed;
  long long now = aud_pwnow();
  if (o->lowered && now - o->lowered < aud_pwsoon)
    o->quiet = std::min(2 * o->quiet, aud_pwquietmost);
  o->lowered = 0;
  if (o->cycle >= aud_pwlongest) {
    o->changed = now;  // the quiet stretch starts again
    return;
  }
  o->cycle = std::min(o->cycle * 2, aud_pwlongest);
  aud_pwask(o);
}

// The heartbeat (loop thread): we are running; a question for the server, if the last
// one was answered; a step down after a quiet stretch.
void aud_pwbeating(void* data, uint64_t) {
  auto* o = static_cast<aud_pwout*>(data);
  long long now = aud_pwnow();
  o->wasalive = o->alive.load();
  o->alive = now;
  if (o->beatseq < 0) o->beatseq = pw_core_sync(o->core, PW_ID_CORE, 0);
  if (o->cycle > o->floor && now - o->changed > o->quiet && o->missed == o->missedseen) {
    o->cycle = std::max(o->cycle / 2, o->floor);
    o->lowered = now;
    aud_pwask(o);
  }
}

// Waits on the loop (locked) until done() or 2 s; false on time-out or loss.
template <class F>
bool aud_pwwait(aud_pwout* o, F done) {
  timespec until{};
  pw_thread_loop_get_time(o->loop, &until, 2000000000LL);
  while (!done() && !o->gone)
    if (pw_thread_loop_timed_wait_full(o->loop, &until) != 0) break;
  return done() && !o->gone;
}

// Stops the stream and lets go of everything PipeWire holds for o; its device stays.
void aud_pwfree(aud_pwout* o) {
  if (o->loop) pw_thread_loop_stop(o->loop);
  if (o->stream) pw_stream_destroy(o->stream);
  if (o->registry) pw_proxy_destroy(reinterpret_cast<pw_proxy*>(o->registry));
  if (o->core) pw_core_disconnect(o->core);
  if (o->raise) pw_loop_destroy_source(pw_thread_loop_get_loop(o->loop), o->raise);
  if (o->beat) pw_loop_destroy_source(pw_thread_loop_get_loop(o->loop), o->beat);
  if (o->context) pw_context_destroy(o->context);
  if (o->loop) pw_thread_loop_destroy(o->loop);
  delete o;
}

// The graph cycle asked for first: the mixer's period (SOUND_PERIOD_MS; 0: OpenAL Soft's
// own 1024 frames), which PipeWire rounds down to a power of two.
long aud_pwperiod() {
  double ms = aud_cfgnumber("SOUND_PERIOD_MS");
  return ms > 0 ? std::max(32L, std::lround(ms * aud_pwrate / 1000)) : 1024;
}

// The first cycle, and what raises it after a miss and lowers it after a quiet stretch.
bool aud_pwcycles(aud_pwout* o) {
  o->floor = std::min(2 * aud_pwperiod(), aud_pwlongest);
  o->cycle = o->floor;
  o->quiet = aud_pwquiet;
  o->changed = aud_pwnow();
  pw_loop* loop = pw_thread_loop_get_loop(o->loop);
  o->raise = pw_loop_add_event(loop, aud_pwraise, o);
  o->beat = pw_loop_add_timer(loop, aud_pwbeating, o);
  if (!o->raise || !o->beat) return false;
  timespec first{0, aud_pwbeat}, every{0, aud_pwbeat};
  return pw_loop_update_timer(loop, o->beat, &first, &every, false) == 0;
}

// Connects o to the server, checks that it plays sound and starts the stream; why: if not.
bool aud_pwconnect(aud_pwout* o, std::string& why) {
  o->loop = pw_thread_loop_new("libsound-pw", nullptr);
  if (!o->loop) return why = "PipeWire: no event loop", false;
  // client-rt.conf: the configuration that raises the data thread, where we mix, to
  // real-time priority (where the system grants it), as PipeWire's ALSA plugin has it.
  o->context = pw_context_new(pw_thread_loop_get_loop(o->loop),
                              pw_properties_new(PW_KEY_CONFIG_NAME, "client-rt.conf", nullptr), 0);
  if (!o->context) return why = std::string("PipeWire: ") + strerror(errno), false;
  if (pw_thread_loop_start(o->loop) != 0) return why = "PipeWire: no event thread", false;
  pw_thread_loop_lock(o->loop);
  bool ok = [&] {
    o->core = pw_context_connect(o->context, nullptr, 0);
    if (!o->core) return why = std::string("PipeWire: ") + strerror(errno), false;
    o->coreevents.version = PW_VERSION_CORE_EVENTS;
    o->coreevents.done = aud_pwcoredone;
    o->coreevents.error = aud_pwcoreerror;
    pw_core_add_listener(o->core, &o->corehook, &o->coreevents, o);
    // A PipeWire that only shares screens (PulseAudio playing the sound) has no audio sink.
    o->registry = pw_core_get_registry(o->core, PW_VERSION_REGISTRY, 0);
    o->registryevents.version = PW_VERSION_REGISTRY_EVENTS;
    o->registryevents.global = aud_pwglobal;
    pw_registry_add_listener(o->registry, &o->registryhook, &o->registryevents, o);
    o->syncseq = pw_core_sync(o->core, PW_ID_CORE, 0);
    if (!aud_pwwait(o, [o] { return o->synced; }))
      return why = "PipeWire: the server does not answer", false;
    if (!o->sinks) return why = "PipeWire has no audio output", false;

    if (!aud_pwcycles(o)) return why = "PipeWire: no event source", false;
    std::string latency = std::to_string(o->cycle) + "/" + std::to_string(aud_pwrate);
    pw_properties* props =
        pw_properties_new(PW_KEY_MEDIA_TYPE, "Audio", PW_KEY_MEDIA_CATEGORY, "Playback",
                          PW_KEY_MEDIA_ROLE, "Game", PW_KEY_NODE_LATENCY, latency.c_str(), nullptr);
    o->stream = pw_stream_new(o->core, "libsound", props);
    if (!o->stream) return why = std::string("PipeWire: no stream: ") + strerror(errno), false;
    o->streamevents.version = PW_VERSION_STREAM_EVENTS;
    o->streamevents.state_changed = aud_pwstate;
    o->streamevents.process = aud_pwprocess;
    pw_stream_add_listener(o->stream, &o->streamhook, &o->streamevents, o);
    spa_audio_info_raw info{};
    info.format = SPA_AUDIO_FORMAT_F32;
    info.rate = aud_pwrate;
    info.channels = aud_pwchannels;
    info.position[0] = SPA_AUDIO_CHANNEL_FL;
    info.position[1] = SPA_AUDIO_CHANNEL_FR;
    uint8_t space[1024];
    spa_pod_builder builder{};
    spa_pod_builder_init(&builder, space, sizeof space);
    spa_pod const* params[] = {spa_format_audio_raw_build(&builder, SPA_PARAM_EnumFormat, &info)};
    auto flags = pw_stream_flags(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS |
                                 PW_STREAM_FLAG_RT_PROCESS);
    if (pw_stream_connect(o->stream, PW_DIRECTION_OUTPUT, PW_ID_ANY, flags, params, 1) < 0)
      return why = "PipeWire: the stream did not connect", false;
    if (!aud_pwwait(o, [o] { return o->state >= PW_STREAM_STATE_PAUSED; }))
      return why = "PipeWire: the stream did not start", false;
    return true;
  }();
  pw_thread_loop_unlock(o->loop);
  return ok;
}

// The socket a client connects to, as libpipewire looks for it.
bool aud_pwsocket() {
  char const* name = getenv("PIPEWIRE_REMOTE");
  if (!name || !*name) name = "pipewire-0";
  std::string path = name;
  if (name[0] != '/') {
    char const* dir = getenv("PIPEWIRE_RUNTIME_DIR");
    if (!dir || !*dir) dir = getenv("XDG_RUNTIME_DIR");
    if (!dir || !*dir) return false;
    path = std::string(dir) + "/" + name;
  }
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

}  // namespace

bool aud_pwwanted() {
  if (!aud_cfgflag("SOUND_PIPEWIRE")) return false;
  // Whoever names OpenAL Soft's backend or a PulseAudio server means that one.
  for (char const* v : {"ALSOFT_DRIVERS", "PULSE_SERVER"})
    if (char const* s = getenv(v); s && *s) return false;
  return aud_pwsocket();
}

namespace {

bool aud_pwopen(aud_device& d, std::string& why, bool quiet) {
  if (!aud_pwwanted()) return false;
  static std::once_flag once;
  std::call_once(once, [quiet] {
    pw_init(nullptr, nullptr);
    // Its own complaints (a missing client.conf, a refused socket) would repeat ours.
    if (quiet && !getenv("PIPEWIRE_DEBUG")) pw_log_set_level(SPA_LOG_LEVEL_NONE);
  });
  LPALCRENDERSAMPLESSOFT render = nullptr;
  if (!aud_openloopback(ALC_FLOAT_SOFT, aud_pwrate, d, &render)) return false;
  auto* o = new aud_pwout;
  o->dev = d.dev;
  o->render = render;
  if (!aud_pwconnect(o, why)) {
    aud_pwfree(o);
    aud_closeloopback(d);
    return false;
  }
  d.out = &aud_out_pipewire;
  d.own = o;
  return true;
}

aud_pwout* aud_pw(aud_device const& d) { return static_cast<aud_pwout*>(d.own); }

// The stream stops before the device it mixes on goes.
void aud_pwclose(aud_device& d) {
  if (aud_pwout* o = aud_pw(d)) aud_pwfree(o);
  aud_closeloopback(d);
}

bool aud_pwgone(aud_device const& d) { return aud_pw(d)->gone; }
long long aud_pwlatency(aud_device const& d) { return aud_pw(d)->latency; }
int aud_pwmissed(aud_device const& d) { return aud_pw(d)->missed; }

}  // namespace

aud_output const aud_out_pipewire = {"PipeWire", true,          aud_pwopen,  aud_pwclose,
                                     aud_pwgone, aud_pwlatency, aud_pwmissed};
