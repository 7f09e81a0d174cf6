// Drum voices of the music. Each call renders one hit, mono, from its onset to its end;
// noisy voices take a seed so that the same hit in a repeated bar is the same sound.
#pragma once
#include <cstdint>
#include <vector>

namespace ag {

using Mono = std::vector<double>;

Mono kick(double vel);
Mono clap(double vel, uint64_t seed);
Mono snare(double vel, uint64_t seed);  // the short hit of the build-up rolls
Mono hat(double vel, double decay, uint64_t seed);
Mono crash(double vel, uint64_t seed);  // dark wash at the top of a section
Mono boom(double vel);                  // sub drop under the crash
Mono riser(double seconds, uint64_t seed);

}  // namespace ag
