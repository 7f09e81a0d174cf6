// Inside libsound: the per-sound record, the library state and the internal functions that
// the entries in sound.cpp are built from. Every name here starts with aud_.
#pragma once
#include <AL/al.h>
#include <AL/alc.h>
#include <sndfile.h>

#include <array>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// ---- Types ---------------------------------------------------------------------------

// What the sound is doing as the entries see it. ended: it played to its last frame by
// itself; the music's loop-back still seeks it, so a seek resumes an ended sound.
enum class aud_state { idle, playing, paused, ended };

// Files longer than this are streamed instead of decoded whole at load.
constexpr double aud_streamsecs = 10.0;
constexpr int aud_nbufs = 6;            // buffers in a stream's queue
constexpr sf_count_t aud_chunk = 8192;  // frames per stream buffer (0.19 s at 44.1 kHz)

// A long file played through a queue of small buffers that the feeder thread refills.
struct aud_stream {
  SNDFILE* file = nullptr;
  std::array<ALuint, aud_nbufs> ids{};
  std::vector<ALuint> spare;                         // buffers not in the queue
  std::deque<std::pair<ALuint, sf_count_t>> queued;  // buffer, frames; oldest first
  sf_count_t base = 0;  // frame of the sound where the oldest queued buffer starts
  sf_count_t next = 0;  // frame of the sound that the decoder reads next
  bool eof = false;     // the decoder has read the last frame
  std::vector<short> pcm;
};

// One loaded sound. Volume, speed, pitch and frequency are kept apart and combined into
// AL_GAIN and AL_PITCH by aud_applymix, so each can be read back as it was set.
struct aud_sound {
  std::string path;  // as given to LoadAudio3
  std::string name;  // its base name, for the log
  int channels = 0;
  int rate = 0;           // frames per second of the file
  sf_count_t frames = 0;  // length; a stream corrects it when its decoder meets the end
  ALenum format = 0;
  ALuint source = 0;
  ALuint buffer = 0;                   // the whole sound, unless it is streamed
  std::unique_ptr<aud_stream> stream;  // set for streamed sounds
  aud_state state = aud_state::idle;
  double hold = 0;  // position in seconds while not playing
  float vol = 1, spd = 1, pch = 1;
  float frq = 0;  // semitones, as given
  double length() const { return double(frames) / rate; }
};

// ---- State ---------------------------------------------------------------------------

// The one library state. mx guards all of it and every record: the entries take it, and
// so does the feeder thread while it refills stream queues.
struct aud_lib {
  std::mutex mx;
  bool inited = false;
  bool heard = false;  // a real output device is open
  bool quiet = false;  // we silence OpenAL Soft's, ALSA's and libmpg123's own messages
  ALCdevice* dev = nullptr;
  ALCcontext* ctx = nullptr;
  std::vector<std::unique_ptr<aud_sound>> sounds;  // handle h is sounds[h - 1]
  FILE* log = nullptr;                             // SOUND_LOG, or null

  std::thread feeder;  // refills stream queues while any stream plays
  std::condition_variable wake;
  bool quit = false;

  std::thread clock;  // renders the silent device in real time when there is no device
  std::mutex clockmx;
  std::condition_variable clockwake;
  bool clockquit = false;

  ~aud_lib();
};
extern aud_lib aud;

// ---- Internals -----------------------------------------------------------------------

// aud_device.cpp: opening the output (or the silent stand-in), the log, shutting down.
bool aud_init();
void aud_logf(char const* fmt, ...) __attribute__((format(printf, 1, 2)));

// aud_load.cpp: reads a file into a new record, or prints why not and returns null.
std::unique_ptr<aud_sound> aud_load(char const* path);
void aud_free(aud_sound& s);

// aud_play.cpp: playback of one record; all called with aud.mx held.
void aud_start(aud_sound& s,
               double pos);  // plays from pos; resuming a pause is aud_start(s, s.hold)
void aud_seek(aud_sound& s, double pos);  // playing or ended: plays on from pos; else sets hold
double aud_pos(aud_sound& s);
void aud_applymix(aud_sound& s);
void aud_feed(aud_sound& s, int most = aud_nbufs);  // refills at most that many buffers
void aud_startfeeder();
