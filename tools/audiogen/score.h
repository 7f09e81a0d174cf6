// What the music plays and when: tempo grid, chord progression, lead motif and the bar by
// bar arrangement, written out as a list of notes per instrument.
#pragma once
#include <cstdint>
#include <vector>

namespace ag {

// Time is counted in ticks, 128 to the bar (8 to a 16th). The tempo is chosen so that 32
// bars last exactly 54.84 s: a tick is then 604611/1024 samples, exact in binary, so a bar
// and the bar 32 later start on frames exactly 2418444 apart.
constexpr long kTicksPerBar = 128;
constexpr long kTicksPer16th = 8;
constexpr int kIntroBars = 16;
constexpr int kLoopBars = 32;
constexpr double kFirstFrame = 3087.0;  // bar 0 at 0.07 s puts bar 16 at 27.49 s

double frameat(double tick);       // frame (fractional) where a tick falls
double tickseconds(double ticks);  // duration of a number of ticks

struct Note {
  long tick = 0;       // onset
  double gate = 0.0;   // seconds held
  double pitch = 0.0;  // MIDI note number
  double vel = 1.0;
  double a = 0.0, b = 0.0;  // voice parameters: filter cutoffs, decay
  double pan = 0.0;         // -1 left .. +1 right
  uint64_t seed = 0;        // noise seed, the same for the same bar of the loop
};

struct Score {
  std::vector<Note> kick, clap, snare, hat, crash, boom, riser;
  std::vector<Note> bass, arp, pad, lead, harmony;
};

// Intro, then the loop played `loops` times, then `extrabars` bars of the loop once more.
Score compose(int loops, int extrabars);

}  // namespace ag
