// What libsound really mixes, captured through OpenAL Soft's wave-file backend: a child
// run of this program plays one sound and exits, and the test reads the file it left.
#include <unistd.h>

#include "platform/sound/sound.h"
#include "tests/sound/testfiles.h"

using namespace soundtest;

namespace {

struct capture {
  std::vector<float> left;  // the mix's first channel
  int rate = 0;
};

// Plays path at frequency setting v in a child process, for secs, and returns the mix.
capture render(std::string const& path, float v, double secs) {
  std::string out = at("mix.wav"), conf = at("alsoft.conf");
  std::ofstream(conf) << "[wave]\nfile = " << out << "\n";
  unlink(out.c_str());
  char self[4096] = {};
  EXPECT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
  std::string cmd = "ALSOFT_CONF='" + conf + "' '" + self + "' --render '" + path + "' " +
                    std::to_string(v) + " " + std::to_string(secs);
  EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
  capture c;
  SF_INFO info{};
  SNDFILE* f = sf_open(out.c_str(), SFM_READ, &info);
  if (!f) return ADD_FAILURE() << "no mix in " << out, c;
  std::vector<float> all(size_t(info.frames) * info.channels);
  sf_readf_float(f, all.data(), info.frames);
  sf_close(f);
  for (size_t i = 0; i < all.size(); i += info.channels) c.left.push_back(all[i]);
  c.rate = info.samplerate;
  return c;
}

// The sounding part of a mix: from its first to its last sample above the noise.
std::pair<size_t, size_t> heard(capture const& c) {
  size_t a = 0, b = c.left.size();
  while (a < b && std::fabs(c.left[a]) < 0.01f) ++a;
  while (b > a && std::fabs(c.left[b - 1]) < 0.01f) --b;
  return {a, b};
}

// Frequency of a sine from its upward zero crossings.
double pitch(capture const& c) {
  auto [a, b] = heard(c);
  int ups = 0;
  size_t first = 0, last = 0;
  for (size_t i = a + 1; i < b; ++i)
    if (c.left[i - 1] < 0 && c.left[i] >= 0) {
      if (!ups++) first = i;
      last = i;
    }
  return ups > 1 ? (ups - 1) * double(c.rate) / double(last - first) : 0;
}

// Longest run of near-silence inside the sounding part: a stream that ran dry shows one.
size_t longestgap(capture const& c) {
  auto [a, b] = heard(c);
  size_t run = 0, most = 0;
  for (size_t i = a; i < b; ++i) {
    run = std::fabs(c.left[i]) < 0.01f ? run + 1 : 0;
    most = std::max(most, run);
  }
  return most;
}

TEST(SoundMix, FrequencySettingsRaiseThePitchUpToFourfold) {
  std::string tone = wav("tone.wav", 1.0);  // 441 Hz
  for (float v : {0.0f, 12.0f, 24.0f}) {
    capture c = render(tone, v, 0.4);
    double rate = std::exp2(v / 12);
    EXPECT_NEAR(pitch(c), 441 * rate, 441 * rate * 0.02) << "setting " << v;
  }
  // At rate 4 the whole second of sound is over in a quarter of a second.
  capture c = render(tone, 24, 0.6);
  auto [a, b] = heard(c);
  EXPECT_NEAR(double(b - a) / c.rate, 0.25, 0.02);
}

TEST(SoundMix, AStreamAtRateFourPlaysWithoutGaps) {
  std::string music = mp3("music.mp3", 14);
  if (music.empty()) GTEST_SKIP() << "this libsndfile cannot write MP3";
  capture c = render(music, 24, 1.0);
  EXPECT_NEAR(pitch(c), 1764, 1764 * 0.02);
  auto [a, b] = heard(c);
  EXPECT_GT(double(b - a) / c.rate, 0.8);
  EXPECT_LT(longestgap(c), 8u);  // a sine at 1764 Hz is never near zero for longer
}

}  // namespace

int main(int argc, char** argv) {
  setenv("ALSOFT_DRIVERS", "wave", 1);
  if (argc == 5 && std::string(argv[1]) == "--render") {
    InitAudio1();
    unsigned long h = LoadAudio3(argv[2]);
    SetAudioFrq26(h, std::stof(argv[3]));
    PlayAudio8(h);
    wait(std::stod(argv[4]));
    return h ? 0 : 1;  // the device is closed at exit, which completes the file
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
