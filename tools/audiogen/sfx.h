// The four sound effects of the game, mono 44.1 kHz: the two side flips, the jump onto a
// new loop and the death of the ball.
#pragma once
#include <array>

#include "audio.h"

namespace ag {

struct Effect {
  const char* file;  // name under audio/
  Audio (*make)();   // raw voice, any level
  double lufs;       // loudness while it sounds (ungated K-weighted), set against the music
};

Audio flipin();   // outside to inside: short rising blip
Audio flipout();  // inside to outside: short falling blip, hollow and buzzier than flipin
Audio jumped();   // onto another loop: bright rising arpeggio, the reward
Audio died();     // the ball dies: falling, wobbling, decaying

const std::array<Effect, 4>& effects();

// The finished effect: at its loudness, never above the ceiling, edges faded.
Audio rendereffect(const Effect& e);

constexpr double kEffectCeilingDb = -1.5;
constexpr double kEdgeFade = 0.003;  // seconds faded in and out at the edges

}  // namespace ag
