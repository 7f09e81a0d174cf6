// Loudness as ITU-R BS.1770-4 / EBU R128 defines it: K-weighting, 400 ms blocks with 75 %
// overlap, an absolute gate at -70 LUFS and a relative gate 10 LU below the gated mean.
#pragma once
#include <vector>

#include "audio.h"

namespace ag {

// Integrated (programme) loudness in LUFS; -inf when every block is below the absolute gate.
double integratedlufs(const Audio& a);

// Loudness of each 400 ms block, one every 100 ms (momentary loudness), in LUFS.
std::vector<double> momentarylufs(const Audio& a);

// Ungated K-weighted loudness over the whole buffer: what a short effect weighs while it sounds.
double activelufs(const Audio& a);

}  // namespace ag
