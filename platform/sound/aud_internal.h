// Inside libsound: the per-sound record, the library state and the internal functions that
// the entries in sound.cpp are built from. Every name here starts with aud_.
#pragma once
#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <sndfile.h>

#include <array>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/core/quote.h"
#include "platform/core/report.h"
#include "platform/core/switches.h"

// ---- Types ---------------------------------------------------------------------------

// What the sound is doing as the entries see it. ended: it played to its last frame by
// itself; the music's loop-back still seeks it, so a seek resumes an ended sound.
enum class aud_state { idle, playing, paused, ended };

// Files longer than this are streamed instead of decoded whole at load.
constexpr double aud_streamsecs = 10.0;
constexpr int aud_nbufs = 6;            // buffers in a stream's queue
constexpr sf_count_t aud_chunk = 8192;  // frames per stream buffer (0.19 s at 44.1 kHz)
constexpr int aud_silentrate = 44100;   // frames per second of the silent stand-in's mix

// One buffer in a stream's queue and the frames of the sound it holds. A looping stream
// queues the end of the file and then its start, so each buffer keeps where it begins.
struct aud_queued {
  ALuint id;
  sf_count_t start, frames;
};

// A long file played through a queue of small buffers that the feeder thread refills.
struct aud_stream {
  SNDFILE* file = nullptr;
  std::array<ALuint, aud_nbufs> ids{};
  std::vector<ALuint> spare;      // buffers not in the queue
  std::deque<aud_queued> queued;  // oldest first
  sf_count_t base = 0;            // frame of the sound that plays next while nothing is queued
  sf_count_t next = 0;            // frame of the sound that the decoder reads next
  bool eof = false;               // the decoder has read the last frame and will not start over
  std::vector<short> pcm;
};

// One sound behind a handle. Volume, speed, pitch and frequency are kept apart and
// combined into AL_GAIN and AL_PITCH by aud_applymix, so each reads back as it was set;
// they belong to the handle and survive loading another file into it. A record made by
// NewAudio2 holds no file (no source, no frames) until a load fills it.
struct aud_sound {
  std::string path;  // as given to the load
  std::string file;  // its base name, for the log
  std::string name;  // what GetAudioName12 reports; the base name until SetAudioName20
  int channels = 0;
  int rate = 0;           // frames per second of the file
  sf_count_t frames = 0;  // length; a stream corrects it when its decoder meets the end
  sf_count_t cut = 0;     // a damaged file: the length its header claimed; else 0
  ALenum format = 0;
  ALuint source = 0;
  ALuint buffer = 0;                   // the whole sound, unless it is streamed
  std::vector<short> pcm;              // its samples, kept to rebuild it on a new device
  std::unique_ptr<aud_stream> stream;  // set for streamed sounds
  bool loop = false;                   // starts over at its end instead of ending
  bool mpeg = false;                   // an MP3: its decoder may print notes (aud_hush)
  aud_state state = aud_state::idle;
  double hold = 0;  // position in seconds while not playing
  // The last position read from the mixer while playing and when (CLOCK_MONOTONIC ns):
  // once the device is gone, the position is guessed on from these at the sound's rate.
  double seenpos = 0;
  long long seenat = 0;
  float vol = 1, spd = 1, pch = 1;
  float frq = 0;  // semitones, as given
  bool loaded() const { return source != 0; }
  double length() const { return rate ? double(frames) / rate : 0.0; }
};

// ---- Outputs -------------------------------------------------------------------------
// Where the mix goes: one row per kind of output (OpenAL Soft's own device, our native
// PipeWire stream, the silent stand-in ...), each in a file of its own. The library asks
// only these questions of whatever output it has, and never which kind it is.

struct aud_output;

// One open output: the OpenAL device and context that mix (the context not made current by
// the output) and the output's own record.
struct aud_device {
  aud_output const* out = nullptr;
  ALCdevice* dev = nullptr;
  ALCcontext* ctx = nullptr;
  void* own = nullptr;
  explicit operator bool() const { return dev != nullptr; }
};

struct aud_output {
  char const* name;
  bool real;  // heard; false: the silent stand-in
  // Opens one into d; false with d empty: this output is not here (why empty) or failed
  // (why says). quiet: the libraries' own chatter is ours to keep off stderr. Real outputs
  // may wait on a sound server, so after start-up only the opener thread opens them.
  bool (*open)(aud_device& d, std::string& why, bool quiet);
  void (*close)(aud_device& d);               // d is empty afterwards; d may be empty
  bool (*gone)(aud_device const& d);          // its server went away or its stream failed
  long long (*latency)(aud_device const& d);  // ns from a sample mixed now to the output; -1
  int (*missed)(aud_device const& d);         // cycles it missed so far (each a gap heard)
};

// What the rows that mix on an OpenAL Soft loopback device (ALC_SOFT_loopback) share: the
// device, stereo samples of type at rate, with its context (not made current) and the
// function that mixes; false, nothing made, where OpenAL Soft has none. And their close.
inline bool aud_openloopback(ALCenum type, int rate, aud_device& d,
                             LPALCRENDERSAMPLESSOFT* render) {
  if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback")) return false;
  auto open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
      alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
  *render =
      reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
  ALCdevice* dev = open && *render ? open(nullptr) : nullptr;
  if (!dev) return false;
  ALCint attrs[] = {ALC_FORMAT_CHANNELS_SOFT,
                    ALC_STEREO_SOFT,
                    ALC_FORMAT_TYPE_SOFT,
                    type,
                    ALC_FREQUENCY,
                    rate,
                    0};
  ALCcontext* ctx = alcCreateContext(dev, attrs);
  if (!ctx) {
    alcCloseDevice(dev);
    return false;
  }
  d.dev = dev;
  d.ctx = ctx;
  return true;
}
inline void aud_closeloopback(aud_device& d) {
  if (d.ctx) alcDestroyContext(d.ctx);
  if (d.dev) alcCloseDevice(d.dev);
  d = {};
}

// The real outputs in the order they are tried (aud_device.cpp), and the silent ones.
extern std::vector<aud_output const*> aud_reals;
extern aud_output const aud_out_pipewire;  // aud_pipewire.cpp
extern aud_output const aud_out_openal;    // aud_openal.cpp
extern aud_output const aud_out_pulse;     // aud_pulse.cpp
extern aud_output const aud_out_silent;    // aud_silent.cpp: mixed in real time
extern aud_output const aud_out_virtual;   // aud_silent.cpp: mixed as the virtual clock moves

// ---- State ---------------------------------------------------------------------------

// The one library state. mx guards all of it and every record: the entries take it, and
// so does the feeder thread while it refills stream queues.
struct aud_lib {
  std::mutex mx;
  bool inited = false;
  bool heard = false;       // a real output is open
  bool quiet = false;       // we silence OpenAL Soft's, ALSA's and libmpg123's own messages
  bool lost = false;        // the real output went away; the silent stand-in plays meanwhile
  long long nextcheck = 0;  // CLOCK_MONOTONIC ns
  aud_device device;        // the output open now (its context current), or none
  int resampler = -1;       // the best resampler OpenAL Soft offers, -1: its default
  int fastresampler = -1;   // for rates a sinc resampler cannot take (see aud_resamplerfor)
  // Live sounds by handle. Handles count up from 1 and wrap at 32 bits, skipping live
  // ones, so a freed handle means nothing for the next four billion sounds made.
  std::unordered_map<unsigned long, std::unique_ptr<aud_sound>> sounds;
  std::uint32_t lasthandle = 0;
  FILE* log = nullptr;  // SOUND_LOG, or null
  std::string logpath;

  std::thread feeder;  // refills stream queues while any stream plays
  std::condition_variable wake;
  bool quit = false;

  // SOUND_LATENCY_LOG: plays waiting for the mixer to take their first sample.
  struct latplay {
    ALuint source;
    long long called;  // CLOCK_MONOTONIC ns of the play call
    std::string file;
  };
  FILE* latlog = nullptr;
  std::string latpath;
  std::vector<latplay> latpending;
  std::thread latwatch;
  std::condition_variable latwake;

  // The opener: opens real outputs off the caller's thread (aud_opener.cpp). openmx guards
  // these fields, never taken while waiting on a server; mx may be held when taking it.
  std::thread opener;
  std::mutex openmx;
  std::condition_variable openwake;
  bool openwant = false;  // a real output is wanted: the stand-in plays
  bool openbusy = false;  // the opener is opening one now
  bool openquit = false;
  aud_device ready;   // opened and waiting to be taken over
  int opentries = 0;  // opens tried so far, and why the last one failed
  std::string openwhy;

  ~aud_lib();
};
extern aud_lib aud;

// The library lock as the entries take it (sound.cpp). A hook (the error watcher, the log
// hook) is never called while the lock is held, since it may call any entry: what it is to
// be told waits on this thread and is told once the lock is let go.
class aud_guard {
 public:
  aud_guard();
  ~aud_guard();
  aud_guard(aud_guard const&) = delete;
  aud_guard& operator=(aud_guard const&) = delete;

 private:
  std::unique_lock<std::mutex> lk_;
};
// For a thread of the library's own that holds the lock in a loop (the feeder, the latency
// watch): it holds the lock for hooks' sake from the start, and lets go to tell the hooks
// before each wait.
// aud_tellunlocked: false when nothing waited (the lock was kept throughout).
void aud_holdforever();
bool aud_tellunlocked(std::unique_lock<std::mutex>& lk);
extern thread_local int aud_held;  // the lock is held on this thread: hooks wait
// aud_error.cpp: the hooks wait from the first hold to the last release on this thread
// (told then); whether anything waits now.
void aud_hold();
void aud_release();
bool aud_pending();

// ---- Internals -----------------------------------------------------------------------

// aud_device.cpp: choosing the output and moving the sounds between outputs.
bool aud_init();
// Opens the first real output that is here. Talks to sound servers and waits for their
// answers, so after start-up only the opener thread calls it.
bool aud_openreal(aud_device& d, std::string& why);
// Notices a lost output and moves every sound to the silent stand-in, and to a real output
// once the opener has one ready (after a loss, or when none opened at start-up); never
// waits on a sound server, and cheap enough for every main-loop pass, as it looks at most
// every 250 ms. Called with aud.mx held.
void aud_watch();
bool aud_gone();  // the real output is open but gone (asks it at once)

// aud_opener.cpp: the thread that opens real outputs.
void aud_wantdevice();  // asks it for a real output, starting it the first time
void aud_stopopener();  // at exit

// aud_resampler.cpp: OpenAL Soft's resamplers.
void aud_pickresampler();           // chooses the resampler for new sources
int aud_resamplerfor(double rate);  // the resampler for a source at rate; -1: leave it

// aud_log.cpp: SOUND_LOG and the way our output files are opened and closed.
void aud_logopen();  // at start-up: opens the log if the switch is set
void aud_logf(char const* fmt, ...) __attribute__((format(printf, 1, 2)));
// Our output files (the logs) are opened one way: a regular file or a new one, appended
// to, never blocking on open; null after one line naming the switch, the file and why.
FILE* aud_openout(char const* what, char const* path);
// Closes f (ok false: a write or flush just failed, errno says why); a failure gets one
// line naming the file and the cause. f is null afterwards.
void aud_closeout(FILE*& f, char const* what, std::string const& path, bool ok);

// aud_openal.cpp: what the OpenAL Soft device rows share with the loopback ones.
void aud_quietalsa();                    // ALSA's own lines kept off stderr
long long aud_alclatency(ALCdevice* d);  // OpenAL Soft's own figure; -1 without one

// aud_pulse.cpp: whether a PulseAudio server answers within ms (asked before OpenAL Soft
// is); the native PulseAudio row stays out of the way where OpenAL Soft reached it then.
enum class aud_server { absent, answers, silent };
aud_server aud_paprobe(int ms);
bool aud_pulseanswered();  // it answered then: OpenAL Soft reaches it itself
// Held by whoever sends stderr to a memory file for a while (aud_hush, aud_pacatch): taken
// with try_lock only, so that two never juggle stderr at once and nothing waits for one.
std::mutex& aud_stderrmx();
// While one lives, libpulse's lines about folders it cannot make become ours (said once
// each, when the last one on any thread ends) instead of going to stderr, and every other
// line goes on to stderr as it comes; made around whatever may set a PulseAudio client up
// (aud_log.cpp).
class aud_pacatch {
 public:
  aud_pacatch();
  ~aud_pacatch();
  aud_pacatch(aud_pacatch const&) = delete;
  aud_pacatch& operator=(aud_pacatch const&) = delete;

 private:
  bool on = false;
};

// aud_silent.cpp: mixes n frames (at most 4096) of the virtual stand-in on the calling
// thread: the virtual clock's way of moving time.
void aud_mixsilent(int n);

// aud_latency.cpp: SOUND_LATENCY_LOG, when each play's first sample leaves the mixer.
void aud_latencyopen();              // at start-up: opens the log if the switch is set
void aud_latencyplay(aud_sound& s);  // after a play, with aud.mx held
void aud_latencystop();              // at exit, before the lock's owner goes away
long long aud_monons();              // CLOCK_MONOTONIC in ns

// aud_error.cpp: the calling thread's last error, numbered as libdisp numbers its own.
enum aud_errcode {
  aud_ebadarg = 2,  // bad argument or unknown handle
  aud_efile = 3,    // file missing, unreadable or malformed
  aud_enomem = 4,   // out of memory or of OpenAL sources and buffers
  aud_enodev = 6,   // no audio device
};
// Every entry first names itself (aud_enter(__func__)), so that its failures are told as
// "loadaudio: ...", the name a program calls it by.
void aud_enter(char const* entry);
void aud_seterror(int code, std::string text);
// The same in two steps, for an entry holding the library's lock: record under it, tell
// the watcher once it is let go.
void aud_recorderror(int code, std::string const& text);
void aud_tellerror();
// Or, declared before the lock's guard: the failure and the lines of the scope are told
// once the guard has let go, so the hooks may call any entry back.
struct aud_holdtell {  // a scope: not to be copied
  aud_holdtell();
  ~aud_holdtell();
};
unsigned long aud_takeerror();  // the code, then cleared
char const* aud_errortext();    // the text of the last error, "" when none
// The core's one quoting function (bare): at most core_quotemax bytes, control bytes and
// bytes that are not UTF-8 as \xNN, "..." after a cut.
std::string aud_quote(char const* name);
// One line on stderr the first time cause comes up; repeats are counted and said at exit.
void aud_warn(char const* cause, char const* fmt, ...) __attribute__((format(printf, 2, 3)));
// One diagnostic line ("sound: ..."), to stderr or where sound_setlog sends it.
void aud_say(char const* fmt, ...) __attribute__((format(printf, 1, 2)));

// aud_config.cpp: the environment switches, their table (the core's rows) and the one parser.
struct aud_settings {
  char const* log = nullptr;         // SOUND_LOG
  char const* latencylog = nullptr;  // SOUND_LATENCY_LOG
  double periodms = 3;               // SOUND_PERIOD_MS
  double periods = 4;                // SOUND_PERIODS
  bool pipewire = true;              // SOUND_PIPEWIRE
  char const* resampler = nullptr;   // SOUND_RESAMPLER
  bool pulse = false;                // SOUND_PULSE
};
using aud_switch = core_switch<aud_settings>;
extern aud_switch const aud_switches[];
extern size_t const aud_nswitches;
bool aud_parseflag(char const* v, bool& out);  // 1/0, yes/no, on/off, true/false, any case
bool aud_parsenumber(char const* v, double lo, double hi, bool integer, double& out);
char const* aud_cfgtext(char const* name);  // the value, or null when unset or empty
// The value, or the default after one line; given: a valid value other than the default.
double aud_cfgnumber(char const* name, bool* given = nullptr);
bool aud_cfgflag(char const* name);  // the same for a yes/no switch
// DISP_CLOCK=virtual, spelt as libdisp takes it (any case); anything else is the real clock,
// and libdisp says so for a value it does not know.
bool aud_cfgvirtual();

// aud_vclock.cpp: sound on the program's virtual clock. Under DISP_CLOCK=virtual the silent
// stand-in is mixed on the caller's thread, up to the clock's now (the one sound_setclock
// gave), each time an entry reads or changes a playing sound; nothing runs on the real clock.
bool aud_vclockopen();  // at start-up: true if the virtual clock is on (a clock was given)
bool aud_virtual();     // the virtual clock is on
void aud_catchup();     // mixes up to the virtual now; does nothing on the real clock

// aud_quirks.cpp: what works around OpenAL Soft 1.19 and libpulse 16 (see the file).
struct aud_confundo {
  int fd = -1;
  std::string saved;
  bool hadconf = false;
};
// Before the first OpenAL call: our period through ALSOFT_CONF; nopulse: without OpenAL
// Soft's PulseAudio backend.
aud_confundo aud_periodconf(bool nopulse = false);
void aud_periodundo(aud_confundo& u);               // after it: ALSOFT_CONF as it was
std::set<int> aud_threads();                        // the ids of this process's threads
void aud_raisefeeder(std::set<int> const& before);  // after an open: libpulse's thread

// aud_pipewire.cpp: the native PipeWire stream's choice (aud_out_pipewire is its row).
bool aud_pwwanted();  // SOUND_PIPEWIRE on, no backend or server named, a PipeWire socket

// aud_load.cpp: fills s from a file, keeping its settings and handle, or prints why not
// and leaves s exactly as it was. aud_free gives back everything OpenAL and libsndfile
// hold for s and leaves it empty.
bool aud_load(aud_sound& s, char const* path, bool loop);  // also sets the error
void aud_free(aud_sound& s);
// Gives s OpenAL objects on the current context from what it holds (samples or stream);
// false (nothing made) when OpenAL has no source or buffer left.
bool aud_makeal(aud_sound& s);
void aud_dropal(aud_sound& s);  // gives them back, keeping the samples and the stream's file
// While one lives, libmpg123's notes about damaged data in the file named are kept off
// stderr (see aud_load.cpp); made around every decode of an MP3.
class aud_hush {
 public:
  explicit aud_hush(char const* file);
  ~aud_hush();
  aud_hush(aud_hush const&) = delete;
  aud_hush& operator=(aud_hush const&) = delete;
  bool report = true;  // false: the notes are dropped without our line

 private:
  int saved = -1;
  std::string name;
};

// aud_play.cpp: playback of one loaded record; all called with aud.mx held.
void aud_start(aud_sound& s, double pos);  // plays from pos
void aud_seek(aud_sound& s, double pos);   // playing or ended: plays on from pos; else sets hold
void aud_pause(aud_sound& s);              // playing: pauses where it is
void aud_stop(aud_sound& s);               // stops and goes back to 0
double aud_pos(aud_sound& s);              // also notices that a sound has ended
double aud_guess(aud_sound& s);            // the position the clock says, from the last one seen
double aud_rate(aud_sound const& s);       // the rate of play: speed x pitch x 2^(frq/12)
void aud_applymix(aud_sound& s);
void aud_feed(aud_sound& s, int most = aud_nbufs);  // refills at most that many buffers
void aud_startfeeder();
