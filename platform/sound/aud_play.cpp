// Playback of one sound: start, pause, stop, seek, position and rate, for whole-buffer
// sounds and for streams, plus the feeder thread that keeps every playing stream's queue
// full. Positions are frames of the sound's own timeline, so pitch never changes them.
#include <AL/alext.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>

#include "platform/sound/aud_internal.h"

namespace {

// Frame of the sound at pos seconds, kept within the sound.
sf_count_t aud_frame(aud_sound const& s, double pos) {
  if (!(pos > 0)) return 0;
  double f = std::round(pos * s.rate);
  return f >= double(s.frames) ? s.frames : sf_count_t(f);
}

void aud_end(aud_sound& s) {
  s.state = aud_state::ended;
  s.hold = s.length();
}

// Drops the stream's queue and refills it from frame on; plays on if the sound is playing.
void aud_restream(aud_sound& s, sf_count_t frame) {
  aud_stream& st = *s.stream;
  alSourceStop(s.source);
  alSourcei(s.source, AL_BUFFER, 0);
  for (auto& q : st.queued) st.spare.push_back(q.id);
  st.queued.clear();
  st.base = st.next = frame;
  st.eof = sf_seek(st.file, frame, SEEK_SET) < 0;
  aud_feed(s, 2);  // enough to start on; the feeder thread decodes the rest
  aud.wake.notify_one();
}

// Decodes the next buffer of a stream into pcm; a looping stream starts over at the end
// of its file. Returns the frames read, 0 at the true end.
sf_count_t aud_decode(aud_sound& s) {
  aud_stream& q = *s.stream;
  sf_count_t n = sf_readf_short(q.file, q.pcm.data(), aud_chunk);
  if (n > 0) return n;
  if (q.next > 0) s.frames = q.next;  // the true length, whatever the header claimed
  if (!s.loop || q.next == 0 || sf_seek(q.file, 0, SEEK_SET) < 0) return 0;
  q.next = 0;
  return std::max<sf_count_t>(sf_readf_short(q.file, q.pcm.data(), aud_chunk), 0);
}

// The feeder sleeps about one buffer's playing time at the fastest stream's rate: the
// buffers still queued then last several times as long. That is 186 ms for music at its
// own rate and 12 ms at the 16-fold limit, instead of a wake-up every 10 ms whatever the
// rate. A rate change (aud_applymix) wakes it at once to measure again; the device watch
// keeps its 250 ms pace; idle streams cost nothing.
constexpr double aud_feedmin = 0.010, aud_feedmax = 0.250;

void aud_runfeeder() {
  std::unique_lock lk(aud.mx);
  aud_holdforever();
  while (!aud.quit) {
    double nap = aud_feedmax;
    bool busy = false;
    aud_watch();
    for (auto& [h, s] : aud.sounds) {
      if (!s->stream || s->state != aud_state::playing) continue;
      aud_feed(*s);
      if (s->state != aud_state::playing) continue;
      busy = true;
      nap = std::min(nap, double(aud_chunk) / (double(s->rate) * aud_rate(*s)));
    }
    if (aud_tellunlocked(lk)) continue;  // the watch said something: told, then look again
    if (busy)
      aud.wake.wait_for(lk, std::chrono::duration<double>(std::max(nap, aud_feedmin)));
    else
      aud.wake.wait(lk);
  }
}

}  // namespace

double aud_rate(aud_sound const& s) {
  // Semitones beyond four octaves either way are not music any more; the rate limit also
  // keeps a stream's decoder well ahead of playback.
  double v = std::clamp(double(s.frq), -48.0, 48.0);
  return std::clamp(double(s.spd) * s.pch * std::exp2(v / 12), 1.0 / 256, 16.0);
}

void aud_applymix(aud_sound& s) {
  if (!s.source) return;
  // On the virtual clock the old rate holds up to now.
  aud_catchup();
  if (s.state == aud_state::playing) {  // the guess after a loss must use the old rate so far
    s.seenpos = aud_guess(s);
    s.seenat = aud_monons();
  }
  alSourcef(s.source, AL_PITCH, float(aud_rate(s)));
  if (int r = aud_resamplerfor(aud_rate(s)); r >= 0)
    alSourcei(s.source, AL_SOURCE_RESAMPLER_SOFT, r);
  alSourcef(s.source, AL_GAIN, std::clamp(s.vol, 0.0f, 1.0f));
  if (s.stream && s.state == aud_state::playing) aud.wake.notify_one();  // a new pace
}

void aud_start(aud_sound& s, double pos) {
  aud_catchup();
  sf_count_t frame = aud_frame(s, pos);
  if (frame >= s.frames && s.loop) frame = 0;  // the end of a loop is its start
  s.state = aud_state::playing;
  s.seenpos = double(frame) / s.rate;
  s.seenat = aud_monons();
  if (s.stream) return aud_restream(s, frame);
  alSourceStop(s.source);
  if (frame >= s.frames) return aud_end(s);
  // An offset set on a stopped source takes effect at the next play.
  alSourcei(s.source, AL_SAMPLE_OFFSET, ALint(frame));
  alSourcePlay(s.source);
}

void aud_seek(aud_sound& s, double pos) {
  aud_catchup();
  if (s.state == aud_state::playing || s.state == aud_state::ended)
    aud_start(s, pos);
  else
    s.hold = double(aud_frame(s, pos)) / s.rate;
}

void aud_pause(aud_sound& s) {
  double pos = aud_pos(s);
  if (s.state != aud_state::playing) return;  // it may have ended just now
  alSourcePause(s.source);
  s.state = aud_state::paused;
  s.hold = pos;
}

void aud_stop(aud_sound& s) {
  aud_catchup();
  alSourceStop(s.source);
  s.state = aud_state::idle;
  s.hold = 0;
}

double aud_readpos(aud_sound& s);

double aud_guess(aud_sound& s) {
  if (s.state != aud_state::playing) return s.hold;
  double pos = s.seenpos + double(aud_monons() - s.seenat) * 1e-9 * aud_rate(s);
  double len = s.length();
  if (pos < len) return pos;
  if (s.loop && len > 0) return std::fmod(pos, len);
  return len;
}

double aud_pos(aud_sound& s) {
  aud_catchup();
  double pos = aud_readpos(s);
  if (s.state == aud_state::playing) {
    s.seenpos = pos;
    s.seenat = aud_monons();
  }
  return pos;
}

double aud_readpos(aud_sound& s) {
  if (s.state != aud_state::playing) return s.hold;
  // Offset before state: if the source stops in between, the state says so.
  ALint off = 0, st = 0;
  alGetSourcei(s.source, AL_SAMPLE_OFFSET, &off);
  alGetSourcei(s.source, AL_SOURCE_STATE, &st);
  bool running = st == AL_PLAYING || st == AL_PAUSED;
  // A lost device stops every source: that is no end, and the clock goes on.
  if (!running && aud_gone()) return aud_guess(s);
  if (!s.stream) {
    if (running) return double(off) / s.rate;
    aud_end(s);
    return s.hold;
  }
  // The offset counts from the first buffer still in the queue, heard or not.
  aud_stream& q = *s.stream;
  sf_count_t frame = q.base;
  if (!q.queued.empty()) frame = q.queued.back().start + q.queued.back().frames;
  if (running) {
    for (auto const& b : q.queued) {
      if (off < b.frames) {
        frame = b.start + off;
        break;
      }
      off -= ALint(b.frames);
    }
  } else if (q.eof && frame >= s.frames) {  // ran dry after the last frame: the end
    aud_end(s);
    return s.hold;
  }
  // Ran dry too early, or the feeder has not caught up: everything queued was heard.
  if (frame >= s.frames) frame = s.loop ? 0 : s.frames;
  return double(frame) / s.rate;
}

void aud_feed(aud_sound& s, int most) {
  if (s.state != aud_state::playing || aud_gone()) return;
  aud_stream& q = *s.stream;
  ALint done = 0;
  alGetSourcei(s.source, AL_BUFFERS_PROCESSED, &done);
  for (; done > 0 && !q.queued.empty(); --done) {
    ALuint b = 0;
    alSourceUnqueueBuffers(s.source, 1, &b);
    q.spare.push_back(q.queued.front().id);
    q.queued.pop_front();
  }
  if (q.queued.empty()) q.base = q.next;
  std::optional<aud_hush> hush;
  if (s.mpeg && most > 0 && !q.eof && !q.spare.empty()) hush.emplace(s.path.c_str());
  for (; most > 0 && !q.eof && !q.spare.empty(); --most) {
    sf_count_t n = aud_decode(s);
    if (n <= 0) {
      q.eof = true;
      break;
    }
    ALuint b = q.spare.back();
    q.spare.pop_back();
    alBufferData(b, s.format, q.pcm.data(), ALsizei(n * s.channels * sizeof(short)), s.rate);
    alSourceQueueBuffers(s.source, 1, &b);
    q.queued.push_back({b, q.next, n});
    q.next += n;
  }
  ALint st = 0;
  alGetSourcei(s.source, AL_SOURCE_STATE, &st);
  if (st == AL_PLAYING) return;
  if (!q.queued.empty())
    alSourcePlay(s.source);  // the first start, or again after the feeder fell behind
  else if (q.eof)
    aud_end(s);
}

void aud_startfeeder() {
  // On the virtual clock streams are fed as the stand-in is mixed, never on real time.
  if (!aud.feeder.joinable() && !aud_virtual()) aud.feeder = std::thread(aud_runfeeder);
}
