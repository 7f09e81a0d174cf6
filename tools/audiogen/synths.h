// Pitched voices of the music. Each call renders one note from its onset through its
// release; `gate` is how long the key is held, in seconds.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "audio.h"

namespace ag {

using Mono = std::vector<double>;

// Detuned saws and a sine sub through a resonant low-pass with a snappy envelope: the
// rolling 16th-note bass. `cutoff` is the filter's resting frequency.
Mono bass(double note, double gate, double cutoff, double vel);

// Short saw/square pluck for the arpeggio; `cutoff` sets how bright its attack is.
Mono pluck(double note, double cutoff, double vel);

// Lead: saw and square with a delayed vibrato; `tone` is the filter's resting frequency.
Mono lead(double note, double gate, double tone, double vel);

// Stereo pad of five detuned saws per note, spread across the field; the filter follows
// `cutoff(t)`, t in seconds since note-on, so a sweep can run through a held chord.
Audio pad(double note, double gate, const std::function<double(double)>& cutoff, double vel,
          uint64_t seed);

}  // namespace ag
