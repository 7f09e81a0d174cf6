// Send effects of the mix: a ping-pong echo and a plate-like reverb. Both run over a whole
// stereo send bus in one go and return only the wet signal.
#pragma once
#include "audio.h"

namespace ag {

// Echo that alternates left and right every `delay` seconds, each repeat darker than the last.
Audio pingpong(const Audio& send, double delay, double feedback);

// Reverb of parallel damped combs and series all-passes (Schroeder-Moorer), slightly
// different per side for width; input is high-passed to keep the low end clean.
Audio reverb(const Audio& send, double size, double damping);

}  // namespace ag
