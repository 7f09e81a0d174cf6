// Loading: opens a WAV or MP3 file through libsndfile, checks that it can be played, and
// either decodes it whole into one buffer (short effects) or prepares it for streaming
// (long music), so that start-up never waits for a whole song to decode.
#include <AL/alext.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/sound/aud_internal.h"

namespace {

// Prints the one line that tells why a file did not load.
bool aud_fail(char const* path, std::string why) {
  for (char& c : why)
    if (c == '\n' || c == '\r') c = ' ';
  while (!why.empty() && (why.back() == ' ' || why.back() == '.')) why.pop_back();
  fprintf(stderr, "sound: cannot load %s: %s\n", path, why.c_str());
  return false;
}

// Reads up to want frames (or to the end), tolerating files that claim more than they hold.
std::vector<short> aud_decode(SNDFILE* f, int channels, sf_count_t want) {
  std::vector<short> pcm;
  sf_count_t got = 0;
  while (got < want) {
    sf_count_t n = std::min<sf_count_t>(want - got, 65536);
    pcm.resize(size_t(got + n) * channels);
    sf_count_t r = sf_readf_short(f, pcm.data() + got * channels, n);
    if (r <= 0) break;
    got += r;
  }
  pcm.resize(size_t(got) * channels);
  return pcm;
}

// libmpg123, under libsndfile, prints notes of its own about damaged MP3 data. While a
// file is opened and decoded on the caller's thread, stderr goes to /dev/null, unless
// ALSOFT_LOGLEVEL asks for diagnostics; our own message is printed after it is restored.
struct aud_hush {
  int saved = -1;
  aud_hush() {
    if (!aud.quiet) return;
    int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null < 0) return;
    fflush(stderr);
    saved = fcntl(2, F_DUPFD_CLOEXEC, 3);
    if (saved >= 0) dup2(null, 2);
    close(null);
  }
  ~aud_hush() {
    if (saved < 0) return;
    fflush(stderr);
    dup2(saved, 2);
    close(saved);
  }
};

std::string aud_basename(char const* path) {
  char const* slash = strrchr(path, '/');
  return slash ? slash + 1 : path;
}

// Everything of loading but the message: returns the record, or null and why not.
std::unique_ptr<aud_sound> aud_open(char const* path, bool loop, std::string& why) {
  auto fail = [&why](std::string reason) {
    why = std::move(reason);
    return std::unique_ptr<aud_sound>();
  };

  // libsndfile words a missing or empty file vaguely; say it plainly.
  struct stat st {};
  if (stat(path, &st) != 0) return fail(strerror(errno));
  if (S_ISDIR(st.st_mode)) return fail("is a directory");
  if (st.st_size == 0) return fail("empty file");
  SF_INFO info{};
  SNDFILE* f = sf_open(path, SFM_READ, &info);
  if (!f) {
    // For a damaged MP3 libsndfile claims the file is missing; we know better by now.
    std::string msg = sf_strerror(nullptr);
    if (msg.find("does not exist") != std::string::npos) msg = "damaged or unsupported data";
    return fail("not a playable sound: " + msg);
  }
  // Float data (MP3 decodes to float) beyond full scale would wrap when read as 16-bit.
  // Not SFC_SET_SCALE_FLOAT_INT_READ: it decodes the whole file to find its peak.
  sf_command(f, SFC_SET_CLIPPING, nullptr, SF_TRUE);

  auto s = std::make_unique<aud_sound>();
  s->path = path;
  s->file = s->name = aud_basename(path);
  s->loop = loop;
  s->channels = info.channels;
  s->rate = info.samplerate;
  s->frames = info.frames;
  auto bad = [&](std::string reason) {
    sf_close(f);
    return fail(std::move(reason));
  };
  if (info.channels != 1 && info.channels != 2)
    return bad(std::to_string(info.channels) + " channels; only mono and stereo are played");
  if (info.samplerate < 1000 || info.samplerate > 384000)
    return bad("sample rate " + std::to_string(info.samplerate) + " Hz is out of range");
  if (info.frames <= 0) return bad("no audio data");
  s->format = info.channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;

  alGetError();
  alGenSources(1, &s->source);
  if (alGetError() != AL_NO_ERROR) {
    s->source = 0;
    return bad("no free OpenAL source");
  }
  if (aud.resampler >= 0) alSourcei(s->source, AL_SOURCE_RESAMPLER_SOFT, aud.resampler);

  if (double(info.frames) > aud_streamsecs * info.samplerate) {
    auto q = std::make_unique<aud_stream>();
    alGenBuffers(aud_nbufs, q->ids.data());
    if (alGetError() != AL_NO_ERROR) {
      alDeleteSources(1, &s->source);
      return bad("no OpenAL buffers");
    }
    q->spare.assign(q->ids.begin(), q->ids.end());
    q->pcm.resize(size_t(aud_chunk) * info.channels);
    q->file = f;
    s->stream = std::move(q);
    aud_startfeeder();
  } else {
    std::vector<short> pcm = aud_decode(f, info.channels, info.frames);
    sf_close(f);
    if (pcm.empty()) {
      alDeleteSources(1, &s->source);
      return fail("no audio data");
    }
    s->frames = sf_count_t(pcm.size() / info.channels);
    alGenBuffers(1, &s->buffer);
    alBufferData(s->buffer, s->format, pcm.data(), ALsizei(pcm.size() * sizeof(short)),
                 info.samplerate);
    if (alGetError() != AL_NO_ERROR) {
      alDeleteBuffers(1, &s->buffer);
      alDeleteSources(1, &s->source);
      return fail("OpenAL refused the samples");
    }
    alSourcei(s->source, AL_BUFFER, ALint(s->buffer));
    alSourcei(s->source, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);  // a stream loops by hand
  }
  return s;
}

}  // namespace

bool aud_load(aud_sound& s, char const* path, bool loop) {
  if (!path) return aud_fail("(null)", "no file name");
  if (!aud.ctx) return aud_fail(path, "no audio output");
  std::string why;
  std::unique_ptr<aud_sound> n;
  {
    aud_hush hush;
    n = aud_open(path, loop, why);
  }
  if (!n) return aud_fail(path, why);
  // The new file takes the handle's settings; the old one goes only now, so a file that
  // fails to load leaves the sound that was there playable.
  n->vol = s.vol;
  n->spd = s.spd;
  n->pch = s.pch;
  n->frq = s.frq;
  aud_applymix(*n);
  aud_free(s);
  s = std::move(*n);
  return true;
}

void aud_free(aud_sound& s) {
  if (s.source) {
    alSourceStop(s.source);
    alSourcei(s.source, AL_BUFFER, 0);
    alDeleteSources(1, &s.source);
  }
  if (s.buffer) alDeleteBuffers(1, &s.buffer);
  if (s.stream) {
    alDeleteBuffers(aud_nbufs, s.stream->ids.data());
    if (s.stream->file) sf_close(s.stream->file);
  }
  s.source = s.buffer = 0;
  s.stream.reset();
  s.frames = 0;
  s.state = aud_state::idle;
  s.hold = 0;
}
