// The background music: a 16-bar intro that builds into a 32-bar loop, arranged, mixed and
// mastered. The game jumps from 82.33 s back to 27.49 s; both fall on a bar line of the loop.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "audio.h"

namespace ag {

constexpr double kLoopStart = 27.49;  // seconds: the first bar of the loop
constexpr double kLoopEnd = 82.33;    // seconds: where the game jumps back
constexpr double kTargetLufs = -16.0;
constexpr double kCeilingDb = -1.8;  // leaves room for the overshoot of MP3 coding

struct MusicReport {
  double lufs = 0.0, peakdb = 0.0, gaindb = 0.0;
  std::vector<std::pair<std::string, double>> tracks;  // loudness of each track in the loop
};

// Renders the finished stereo master. After kLoopEnd the file repeats, sample for sample,
// the two bars that follow kLoopStart, so a late jump back still lands on the same music.
Audio rendermusic(MusicReport* report = nullptr);

}  // namespace ag
