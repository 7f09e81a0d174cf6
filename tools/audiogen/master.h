// Mastering: fixed tone shaping of the mix bus, gain, and a lookahead peak limiter.
#pragma once
#include "audio.h"

namespace ag {

// Removes rumble below 30 Hz and rolls the top off above 9.5 kHz, so nothing sharp is left
// to turn piercing (or to alias in the mixer's resampler) when the game plays the music up
// to four times faster.
void toneshape(Audio& a);

void scale(Audio& a, double gain);

// Brick-wall limiter on sample peaks: every channel stays at or below `ceilingdb`. Gain is
// lowered ahead of each peak over `lookahead` seconds (a raised ramp, no clicks) and rises
// back with the `release` time constant. Works offline, so it adds no delay.
void limit(Audio& a, double ceilingdb, double lookahead = 0.0015, double release = 0.08);

}  // namespace ag
