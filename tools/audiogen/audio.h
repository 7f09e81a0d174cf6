// The one buffer type the generator passes around: interleaved doubles at 44.1 kHz,
// plus reading and writing through libsndfile.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace ag {

struct Audio {
  int channels = 1;
  std::vector<double> s;  // interleaved samples, full scale is 1.0

  Audio() = default;
  Audio(int ch, size_t frames) : channels(ch), s(frames * ch, 0.0) {}
  size_t frames() const { return s.size() / channels; }
  double& at(size_t i, int c) { return s[i * channels + c]; }
  double at(size_t i, int c) const { return s[i * channels + c]; }
  double seconds() const;
};

// Largest absolute sample, in dBFS (-inf for silence).
double peakdb(const Audio& a);

// Writes 16-bit PCM WAV, each sample rounded to the nearest step (no dither, so equal
// samples give equal bytes wherever they are). Returns false if the file cannot be written.
bool writewav(const std::string& path, const Audio& a);

// Reads any file libsndfile decodes (WAV, MP3, ...). Sets `rate` to the file's sample rate;
// returns an empty buffer if the file cannot be read.
Audio readaudio(const std::string& path, int* rate = nullptr);

}  // namespace ag
