// Playback of one sound: start, seek, position and rate, for whole-buffer sounds and for
// streams, plus the feeder thread that keeps every playing stream's queue full.
// Positions are frames of the sound's own timeline, so pitch never changes their meaning.
#include <algorithm>
#include <chrono>
#include <cmath>

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
  for (auto& q : st.queued) st.spare.push_back(q.first);
  st.queued.clear();
  st.base = st.next = frame;
  st.eof = sf_seek(st.file, frame, SEEK_SET) < 0;
  aud_feed(s, 2);  // enough to start on; the feeder thread decodes the rest
  aud.wake.notify_one();
}

void aud_runfeeder() {
  std::unique_lock lk(aud.mx);
  while (!aud.quit) {
    bool busy = false;
    for (auto& s : aud.sounds) {
      if (!s || !s->stream || s->state != aud_state::playing) continue;
      aud_feed(*s);
      busy = busy || s->state == aud_state::playing;
    }
    // 10 ms keeps even a 16-fold rate (70 ms of queue) fed; idle streams cost nothing.
    if (busy)
      aud.wake.wait_for(lk, std::chrono::milliseconds(10));
    else
      aud.wake.wait(lk);
  }
}

}  // namespace

void aud_applymix(aud_sound& s) {
  // Semitones beyond four octaves either way are not music any more; the rate limit also
  // keeps a stream's decoder well ahead of playback.
  double v = std::clamp(double(s.frq), -48.0, 48.0);
  double rate = double(s.spd) * s.pch * std::exp2(v / 12);
  alSourcef(s.source, AL_PITCH, float(std::clamp(rate, 1.0 / 256, 16.0)));
  alSourcef(s.source, AL_GAIN, std::max(s.vol, 0.0f));
}

void aud_start(aud_sound& s, double pos) {
  sf_count_t frame = aud_frame(s, pos);
  s.state = aud_state::playing;
  if (s.stream) return aud_restream(s, frame);
  alSourceStop(s.source);
  if (frame >= s.frames) return aud_end(s);
  // An offset set on a stopped source takes effect at the next play.
  alSourcei(s.source, AL_SAMPLE_OFFSET, ALint(frame));
  alSourcePlay(s.source);
}

void aud_seek(aud_sound& s, double pos) {
  if (s.state == aud_state::playing || s.state == aud_state::ended)
    aud_start(s, pos);
  else
    s.hold = double(aud_frame(s, pos)) / s.rate;
}

double aud_pos(aud_sound& s) {
  if (s.state != aud_state::playing) return s.hold;
  // Offset before state: if the source stops in between, the state says so.
  ALint off = 0, st = 0;
  alGetSourcei(s.source, AL_SAMPLE_OFFSET, &off);
  alGetSourcei(s.source, AL_SOURCE_STATE, &st);
  if (!s.stream) {
    if (st == AL_PLAYING || st == AL_PAUSED) return double(off) / s.rate;
    aud_end(s);
    return s.hold;
  }
  aud_stream& q = *s.stream;
  sf_count_t frame = q.base;
  if (st == AL_PLAYING || st == AL_PAUSED) {
    frame += off;
  } else {  // ran dry: everything queued has been heard
    for (auto& b : q.queued) frame += b.second;
    if (q.eof && frame >= s.frames) {
      aud_end(s);
      return s.hold;
    }
  }
  if (q.eof) frame = std::min(frame, s.frames);
  return double(frame) / s.rate;
}

void aud_feed(aud_sound& s, int most) {
  if (s.state != aud_state::playing) return;
  aud_stream& q = *s.stream;
  ALint done = 0;
  alGetSourcei(s.source, AL_BUFFERS_PROCESSED, &done);
  for (; done > 0 && !q.queued.empty(); --done) {
    ALuint b = 0;
    alSourceUnqueueBuffers(s.source, 1, &b);
    q.base += q.queued.front().second;
    q.spare.push_back(q.queued.front().first);
    q.queued.pop_front();
  }
  for (; most > 0 && !q.eof && !q.spare.empty(); --most) {
    sf_count_t n = sf_readf_short(q.file, q.pcm.data(), aud_chunk);
    if (n <= 0) {
      q.eof = true;
      s.frames = q.next;  // the true length, whatever the header claimed
      break;
    }
    ALuint b = q.spare.back();
    q.spare.pop_back();
    alBufferData(b, s.format, q.pcm.data(), ALsizei(n * s.channels * sizeof(short)), s.rate);
    alSourceQueueBuffers(s.source, 1, &b);
    q.queued.emplace_back(b, n);
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
  if (!aud.feeder.joinable()) aud.feeder = std::thread(aud_runfeeder);
}
