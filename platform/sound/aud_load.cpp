// Loading: opens a WAV or MP3 file through libsndfile, checks that it can be played, and
// either decodes it whole into one buffer (short effects) or prepares it for streaming
// (long music), so that start-up never waits for a whole song to decode.
#include <AL/alext.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/sound/aud_internal.h"

namespace {

// The thread's error and the same line on stderr: why a file did not load.
bool aud_fail(int code, char const* path, std::string why) {
  for (char& c : why)
    if (c == '\n' || c == '\r') c = ' ';
  while (!why.empty() && (why.back() == ' ' || why.back() == '.')) why.pop_back();
  std::string text = "cannot load \"";
  text.append(aud_quote(path)).append("\": ").append(why);
  aud_seterror(code, std::move(text));
  aud_say("sound: %s", aud_errortext());
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

// The frames a long file really holds. An MP3 cut short keeps the length its header
// claims, and would only find out when its stream ran dry, long before the game's music
// loop-back point. Reading its last stretch costs a few milliseconds; only if that stretch
// is missing is the file decoded through to count what is there.
sf_count_t aud_truelength(SNDFILE* f, int channels, sf_count_t claimed) {
  constexpr sf_count_t tail = 4096;
  sf_count_t from = claimed > tail ? claimed - tail : 0;
  std::vector<short> pcm(size_t(tail) * channels);
  bool whole = sf_seek(f, from, SEEK_SET) == from &&
               sf_readf_short(f, pcm.data(), claimed - from) == claimed - from;
  sf_count_t frames = claimed;
  if (!whole && sf_seek(f, 0, SEEK_SET) == 0) {
    frames = 0;
    for (sf_count_t n; (n = sf_readf_short(f, pcm.data(), tail)) > 0;) frames += n;
  }
  sf_seek(f, 0, SEEK_SET);
  return frames;
}

std::string aud_basename(char const* path) {
  char const* slash = strrchr(path, '/');
  return slash ? slash + 1 : path;
}

// Opens path for reading and checks what its header says; null and why not.
SNDFILE* aud_openfile(char const* path, SF_INFO& info, std::string& why) {
  // libsndfile words a missing or empty file vaguely; say it plainly.
  struct stat st {};
  if (stat(path, &st) != 0) return why = strerror(errno), nullptr;
  if (S_ISDIR(st.st_mode)) return why = "is a directory", nullptr;
  if (st.st_size == 0) return why = "empty file", nullptr;
  SNDFILE* f = sf_open(path, SFM_READ, &info);
  if (!f) {
    // For a damaged MP3 libsndfile claims the file is missing; we know better by now.
    std::string msg = sf_strerror(nullptr);
    if (msg.find("does not exist") != std::string::npos) msg = "damaged or unsupported data";
    return why = "not a playable sound: " + msg, nullptr;
  }
  if (info.channels != 1 && info.channels != 2)
    why = std::to_string(info.channels) + " channels; only mono and stereo are played";
  else if (info.samplerate < 1000 || info.samplerate > 384000)
    why = "sample rate " + std::to_string(info.samplerate) + " Hz is out of range";
  else if (info.frames <= 0)
    why = "no audio data";
  if (!why.empty()) return sf_close(f), nullptr;
  // Float data (MP3 decodes to float) beyond full scale would wrap when read as 16-bit.
  // Not SFC_SET_SCALE_FLOAT_INT_READ: it decodes the whole file to find its peak.
  sf_command(f, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  return f;
}

// Gives s its frames from the open file f: a long file keeps f to stream from, a short one
// is decoded whole and f closed. False (f closed) and why not.
bool aud_fill(aud_sound& s, SNDFILE* f, SF_INFO const& info, std::string& why) {
  auto streamed = [&](sf_count_t frames) {
    return double(frames) > aud_streamsecs * info.samplerate;
  };
  s.frames = info.frames;
  if (streamed(info.frames)) {
    s.frames = aud_truelength(f, info.channels, info.frames);
    if (s.frames <= 0) return sf_close(f), why = "damaged: no audio data decodes", false;
    if (s.frames < info.frames) s.cut = info.frames;
  }
  if (streamed(s.frames)) {
    auto q = std::make_unique<aud_stream>();
    q->pcm.resize(size_t(aud_chunk) * info.channels);
    q->file = f;
    s.stream = std::move(q);
    return true;
  }
  s.pcm = aud_decode(f, info.channels, s.frames);
  sf_close(f);
  if (s.pcm.empty()) return why = "no audio data", false;
  s.frames = sf_count_t(s.pcm.size() / info.channels);
  return true;
}

// Everything of loading but the message: returns the record, or null and why not.
std::unique_ptr<aud_sound> aud_open(char const* path, bool loop, int& code, std::string& why) {
  SF_INFO info{};
  SNDFILE* f = aud_openfile(path, info, why);
  auto s = std::make_unique<aud_sound>();
  code = aud_efile;
  if (!f || !aud_fill(*s, f, info, why)) return nullptr;
  s->path = path;
  s->file = s->name = aud_basename(path);
  s->loop = loop;
  s->mpeg = (info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG;
  s->channels = info.channels;
  s->rate = info.samplerate;
  s->format = info.channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
  if (!aud_makeal(*s)) {
    if (s->stream) sf_close(s->stream->file);
    code = aud_enomem;
    why = "no free OpenAL source or buffer";
    return nullptr;
  }
  return s;
}

}  // namespace

// ---- libmpg123's notes ---------------------------------------------------------------
// libmpg123, under libsndfile, prints notes of its own about damaged MP3 data (such as
// "dequantization failed" and "Trying to resync"), on loading and on every later decode of
// a streamed file. While a decoder runs, stderr goes to a memory file (unless
// ALSOFT_LOGLEVEL asks for diagnostics); afterwards the decoder's notes become one line
// of ours per file, and anything another thread wrote meanwhile goes on to stderr, late
// by the decode's few milliseconds but not lost. Decoders run with aud.mx held, so one
// hush at a time.

namespace {

int aud_hushfile = -1;  // made once, emptied after each use

bool aud_decodernote(std::string const& line) {
  return line.find("libmpg123") != std::string::npos || line.rfind("Note: ", 0) == 0 ||
         line.rfind("Warning: ", 0) == 0 || line.rfind("[src/", 0) == 0;
}

}  // namespace

aud_hush::aud_hush(char const* file) {
  if (!aud.quiet || !file || !aud_stderrmx().try_lock()) return;
  if (aud_hushfile < 0) aud_hushfile = memfd_create("quib-decoder-notes", MFD_CLOEXEC);
  fflush(stderr);
  saved = aud_hushfile < 0 ? -1 : fcntl(2, F_DUPFD_CLOEXEC, 3);
  if (saved >= 0 && dup2(aud_hushfile, 2) < 0) {
    close(saved);
    saved = -1;
  }
  if (saved < 0) {
    aud_stderrmx().unlock();
    return;
  }
  name = file;
}

aud_hush::~aud_hush() {
  if (saved < 0) return;
  fflush(stderr);
  dup2(saved, 2);
  close(saved);
  aud_stderrmx().unlock();
  off_t size = lseek(aud_hushfile, 0, SEEK_CUR);
  std::string text(size_t(size > 0 ? size : 0), '\0');
  ssize_t got = size > 0 ? pread(aud_hushfile, text.data(), text.size(), 0) : 0;
  text.resize(size_t(got > 0 ? got : 0));
  lseek(aud_hushfile, 0, SEEK_SET);
  if (ftruncate(aud_hushfile, 0) != 0) {
    close(aud_hushfile);  // a fresh one next time rather than old lines again
    aud_hushfile = -1;
  }
  std::string others;
  bool notes = false;
  for (size_t a = 0; a < text.size();) {
    size_t e = text.find('\n', a);
    e = e == std::string::npos ? text.size() : e + 1;
    std::string line = text.substr(a, e - a);
    if (aud_decodernote(line))
      notes = true;
    else
      others += line;
    a = e;
  }
  if (!others.empty() && write(2, others.data(), others.size()) < 0) {
    // stderr itself is gone: nowhere left to say so
  }
  if (notes && report)
    aud_warn(("decoder " + name).c_str(),
             "sound: %s has damaged MP3 data; it plays what decodes, and the decoder's notes "
             "about it are not shown",
             aud_quote(name.c_str()).c_str());
}

bool aud_makeal(aud_sound& s) {
  alGetError();
  alGenSources(1, &s.source);
  if (alGetError() != AL_NO_ERROR) return s.source = 0, false;
  if (aud.resampler >= 0) alSourcei(s.source, AL_SOURCE_RESAMPLER_SOFT, aud.resampler);
  if (s.stream) {
    aud_stream& q = *s.stream;
    alGenBuffers(aud_nbufs, q.ids.data());
    if (alGetError() != AL_NO_ERROR) {
      alDeleteSources(1, &s.source);
      return s.source = 0, false;
    }
    q.spare.assign(q.ids.begin(), q.ids.end());
    q.queued.clear();
    aud_startfeeder();
  } else {
    alGenBuffers(1, &s.buffer);
    if (alGetError() == AL_NO_ERROR)
      alBufferData(s.buffer, s.format, s.pcm.data(), ALsizei(s.pcm.size() * sizeof(short)), s.rate);
    if (alGetError() != AL_NO_ERROR) {
      alDeleteBuffers(1, &s.buffer);
      alDeleteSources(1, &s.source);
      return s.source = s.buffer = 0, false;
    }
    alSourcei(s.source, AL_BUFFER, ALint(s.buffer));
    alSourcei(s.source, AL_LOOPING, s.loop ? AL_TRUE : AL_FALSE);  // a stream loops by hand
  }
  aud_applymix(s);
  return true;
}

void aud_dropal(aud_sound& s) {
  if (s.source) {
    alSourceStop(s.source);
    alSourcei(s.source, AL_BUFFER, 0);
    alDeleteSources(1, &s.source);
  }
  if (s.buffer) alDeleteBuffers(1, &s.buffer);
  if (s.stream) {
    alDeleteBuffers(aud_nbufs, s.stream->ids.data());
    s.stream->ids.fill(0);
    s.stream->spare.clear();
    s.stream->queued.clear();
  }
  s.source = s.buffer = 0;
}

bool aud_load(aud_sound& s, char const* path, bool loop) {
  if (!path) return aud_fail(aud_ebadarg, nullptr, "no file name");
  if (!aud.device.ctx) return aud_fail(aud_enodev, path, "no audio output");
  int code = 0;
  std::string why;
  std::unique_ptr<aud_sound> n;
  {
    aud_hush hush(path);
    n = aud_open(path, loop, code, why);
    hush.report = n && !n->cut;  // else the one line below says what is wrong
  }
  if (!n) return aud_fail(code, path, why);
  // A file cut short still plays what it has; the one line says so, and a caller that
  // asks for the error learns it too.
  if (n->cut) {
    char secs[80];
    snprintf(secs, sizeof secs, "only %.2f s of its %.2f s decode", double(n->frames) / n->rate,
             double(n->cut) / n->rate);
    std::string const what = std::string(" is damaged: ") + secs + "; it plays that much and ends";
    std::string text = "\"";
    text.append(aud_quote(path)).append("\"").append(what);
    aud_seterror(aud_efile, std::move(text));
    aud_say("sound: %s", aud_errortext());
  }
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
  aud_dropal(s);
  if (s.stream && s.stream->file) sf_close(s.stream->file);
  s.stream.reset();
  s.pcm.clear();
  s.pcm.shrink_to_fit();
  s.frames = 0;
  s.cut = 0;
  s.state = aud_state::idle;
  s.hold = 0;
}
