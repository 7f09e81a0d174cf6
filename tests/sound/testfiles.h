// Test inputs for libsound, made on the spot: sine tones written through libsndfile as WAV
// or MP3, raw bytes, and a scratch folder per test program.
#pragma once
#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace soundtest {

// A play position against the wall time since the play, at a rate: the mixer works in
// periods of about 20 ms, and a play starts at the next one.
inline void expecttime(double pos, double wall, double rate) {
  EXPECT_GE(pos, (wall - 0.08) * rate) << "wall " << wall << " s at rate " << rate;
  EXPECT_LE(pos, (wall + 0.04) * rate) << "wall " << wall << " s at rate " << rate;
}

// A fresh folder for this process's files (under $TMPDIR if set), removed at exit.
inline std::string const& scratch() {
  struct folder {
    std::string path;
    ~folder() {
      std::error_code ec;
      std::filesystem::remove_all(path, ec);
    }
  };
  static folder dir = [] {
    std::string tmpl = (std::filesystem::temp_directory_path() / "soundtest.XXXXXX").string();
    return folder{mkdtemp(tmpl.data())};
  }();
  return dir.path;
}

inline std::string at(std::string const& name) { return scratch() + "/" + name; }

// Writes secs seconds of a sine of hz; format is SF_FORMAT_WAV | ... or the MP3 pair.
// Returns false if libsndfile cannot write that format here.
inline bool tone(std::string const& path, double secs, int format, double hz = 441,
                 int channels = 1, int rate = 44100) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = format;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!f) return false;
  // Floats: libsndfile 1.2.0's MP3 encoder drops stretches of 16-bit input.
  sf_count_t frames = sf_count_t(secs * rate);
  std::vector<float> pcm(size_t(frames) * channels);
  for (sf_count_t i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      pcm[size_t(i) * channels + c] = float(0.36 * std::sin(2 * M_PI * hz * double(i) / rate));
  bool ok = sf_writef_float(f, pcm.data(), frames) == frames;
  sf_close(f);
  return ok;
}

inline std::string wav(std::string const& name, double secs, double hz = 441) {
  std::string p = at(name);
  EXPECT_TRUE(tone(p, secs, SF_FORMAT_WAV | SF_FORMAT_PCM_16, hz));
  return p;
}

// An MP3 of secs seconds of stereo, or "" if this libsndfile cannot encode MP3.
inline std::string mp3(std::string const& name, double secs) {
  std::string p = at(name);
  return tone(p, secs, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 441, 2) ? p : "";
}

inline std::string bytes(std::string const& name, std::string const& data) {
  std::string p = at(name);
  std::ofstream(p, std::ios::binary) << data;
  return p;
}

inline std::string slurp(std::string const& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline double since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

inline void wait(double secs) { std::this_thread::sleep_for(std::chrono::duration<double>(secs)); }

}  // namespace soundtest
