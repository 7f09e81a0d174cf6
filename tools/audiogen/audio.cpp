// libsndfile input and output for the Audio buffer, with the 16-bit rounding and dither.
#include "audio.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "dsp.h"

namespace ag {

double Audio::seconds() const { return static_cast<double>(frames()) / kRate; }

double peakdb(const Audio& a) {
  double m = 0.0;
  for (double v : a.s) m = std::max(m, std::fabs(v));
  return m > 0.0 ? gaindb(m) : -std::numeric_limits<double>::infinity();
}

bool writewav(const std::string& path, const Audio& a) {
  SF_INFO info{};
  info.samplerate = static_cast<int>(kRate);
  info.channels = a.channels;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!f) return false;
  std::vector<short> pcm(a.s.size());
  for (size_t i = 0; i < a.s.size(); ++i) {
    double v = a.s[i] * 32767.0;
    pcm[i] = static_cast<short>(std::clamp(std::floor(v + 0.5), -32768.0, 32767.0));
  }
  sf_count_t n = sf_writef_short(f, pcm.data(), static_cast<sf_count_t>(a.frames()));
  bool ok = n == static_cast<sf_count_t>(a.frames());
  return sf_close(f) == 0 && ok;
}

Audio readaudio(const std::string& path, int* rate) {
  SF_INFO info{};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  if (!f) return {};
  Audio a(info.channels, static_cast<size_t>(info.frames));
  sf_count_t n = sf_readf_double(f, a.s.data(), info.frames);
  sf_close(f);
  a.s.resize(static_cast<size_t>(std::max<sf_count_t>(n, 0)) * info.channels);
  if (rate) *rate = info.samplerate;
  return a;
}

}  // namespace ag
