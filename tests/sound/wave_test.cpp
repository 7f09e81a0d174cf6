// What libsound really mixes, captured through OpenAL Soft's wave-file backend: a child
// run of this program plays one sound and exits, and the test reads the file it left.
#include <AL/alc.h>
#include <AL/alext.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>

#include "platform/sound/sound.h"
#include "tests/sound/testfiles.h"

using namespace soundtest;

namespace {

struct capture {
  std::vector<float> left;  // the mix's first channel
  int rate = 0;
  bool heldup = false;  // every try was held up (a stream may have run dry)
};

// How the child sets up the sound before it plays it.
struct mix {
  float frq = 0, vol = 1, spd = 1, pch = 1;
};

// The child's exit status when the machine held it up while it played (see stallwatch) or
// while it opened the device.
constexpr int heldupstatus = 75;

// Runs this program with args in a child process and returns the mix it played. A child
// that was held up is run again, up to ten times: its streams may have run dry through no
// fault of the library's.
capture render(std::string const& args) {
  std::string out = at("mix.wav"), conf = at("alsoft.conf");
  std::ofstream(conf) << "[wave]\nfile = " << out << "\n";
  char self[4096] = {};
  EXPECT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
  std::string cmd = "ALSOFT_CONF='" + conf + "' '" + self + "' " + args;
  int status = 0;
  for (int tries = 0; tries < 10; ++tries) {
    unlink(out.c_str());
    status = std::system(cmd.c_str());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != heldupstatus) break;
  }
  EXPECT_TRUE(WIFEXITED(status) &&
              (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == heldupstatus))
      << cmd << ": status " << status;
  capture c;
  SF_INFO info{};
  SNDFILE* f = sf_open(out.c_str(), SFM_READ, &info);
  if (!f) return ADD_FAILURE() << "no mix in " << out, c;
  std::vector<float> all(size_t(info.frames) * info.channels);
  sf_readf_float(f, all.data(), info.frames);
  sf_close(f);
  for (size_t i = 0; i < all.size(); i += info.channels) c.left.push_back(all[i]);
  c.rate = info.samplerate;
  c.heldup = WIFEXITED(status) && WEXITSTATUS(status) == heldupstatus;
  return c;
}

// Plays path with settings m for secs.
capture render(std::string const& path, mix m, double secs) {
  std::string args = "--render '" + path + "' " + std::to_string(secs);
  for (float x : {m.frq, m.vol, m.spd, m.pch}) args.append(" ").append(std::to_string(x));
  return render(args);
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
    capture c = render(tone, {.frq = v}, 0.4);
    double rate = std::exp2(v / 12);
    EXPECT_NEAR(pitch(c), 441 * rate, 441 * rate * 0.02) << "setting " << v;
  }
  // At rate 4 the whole second of sound is over in a quarter of a second.
  capture c = render(tone, {.frq = 24}, 0.6);
  auto [a, b] = heard(c);
  EXPECT_NEAR(double(b - a) / c.rate, 0.25, 0.02);
}

// Loudest sample of the sounding part.
float peak(capture const& c) {
  auto [a, b] = heard(c);
  float most = 0;
  for (size_t i = a; i < b; ++i) most = std::max(most, std::fabs(c.left[i]));
  return most;
}

TEST(SoundMix, VolumeScalesTheSoundSpeedAndPitchBothRaiseIt) {
  std::string tone = wav("tone.wav", 1.0);  // 441 Hz
  float full = peak(render(tone, {}, 0.3));
  EXPECT_GT(full, 0.1f);
  EXPECT_NEAR(peak(render(tone, {.vol = 0.5f}, 0.3)) / full, 0.5, 0.03);
  EXPECT_NEAR(pitch(render(tone, {.spd = 2}, 0.3)), 882, 882 * 0.02);
  EXPECT_NEAR(pitch(render(tone, {.spd = 2, .pch = 0.75f}, 0.3)), 661.5, 661.5 * 0.02);
}

// Sinc resamplers fade out above about 4.5 times the rate; faster sounds must still be heard
// at full level, and at the right pitch.
TEST(SoundMix, EveryRateUpToTheLimitPlaysAtFullLevel) {
  std::string tone = wav("tone.wav", 4.0);  // 441 Hz
  float full = peak(render(tone, {}, 0.2));
  for (float spd : {4.0f, 6.0f, 12.0f, 16.0f}) {
    capture c = render(tone, {.spd = spd}, 0.2);
    EXPECT_NEAR(peak(c) / full, 1.0, 0.05) << "rate " << spd;
    EXPECT_NEAR(pitch(c), 441 * spd, 441 * spd * 0.02) << "rate " << spd;
  }
}

TEST(SoundMix, AStreamAtRateFourPlaysWithoutGaps) {
  std::string music = mp3("music.mp3", 14);
  if (music.empty()) GTEST_SKIP() << "this libsndfile cannot write MP3";
  capture c = render(music, {.frq = 24}, 1.0);
  EXPECT_NEAR(pitch(c), 1764, 1764 * 0.02);
  auto [a, b] = heard(c);
  EXPECT_GT(double(b - a) / c.rate, 0.8);
  // A sine at 1764 Hz is never near zero for longer.
  EXPECT_LT(longestgap(c), 8u) << (c.heldup ? "the machine held up every try" : "");
}

// The feeder sleeps longer while a stream plays slowly (0.19 s at rate 1); a sudden
// speed-up must not find it asleep with too little queued (about 1 s of music, which lasts
// 60 ms at rate 16).
TEST(SoundMix, AStreamSpedUpMidwayPlaysWithoutGaps) {
  std::string music = mp3("music.mp3", 14);
  if (music.empty()) GTEST_SKIP() << "this libsndfile cannot write MP3";
  capture c = render("--speedup '" + music + "' 0.6 16 0.8");
  auto [a, b] = heard(c);
  EXPECT_GT(double(b - a) / c.rate, 1.3);
  EXPECT_LT(longestgap(c), 8u) << (c.heldup ? "the machine held up every try" : "");
}

// ---- The child -----------------------------------------------------------------------

// Seconds of sound the device has mixed (OpenAL Soft's device clock); -1 where the device
// has no clock to tell.
double mixed() {
  ALCdevice* d = alcGetContextsDevice(alcGetCurrentContext());
  if (!d || !alcIsExtensionPresent(d, "ALC_SOFT_device_clock")) return -1;
  auto get64 =
      reinterpret_cast<LPALCGETINTEGER64VSOFT>(alcGetProcAddress(d, "alcGetInteger64vSOFT"));
  ALCint64SOFT ns = -1;
  if (get64) get64(d, ALC_DEVICE_CLOCK_SOFT, 1, &ns);
  return double(ns) * 1e-9;
}

// The child plays for a stretch of the mix, not of the wall clock, so a mixer that a
// loaded machine runs late still writes the whole stretch before the device closes.
void playfor(double secs) {
  double const from = mixed();
  if (from < 0) return wait(secs);
  for (auto t0 = std::chrono::steady_clock::now(); mixed() < from + secs && since(t0) < 30;)
    wait(0.002);
}

// Notes the longest time the child went without running (a thread that wakes every
// millisecond woke that much late): 40 ms and more, and a stream's feeder may have fallen
// behind the mixer's catch-up.
class stallwatch {
 public:
  stallwatch() : watcher([this] { watch(); }) {}
  ~stallwatch() {
    done = true;
    watcher.join();
  }
  bool heldup() const { return worst >= 0.04; }

 private:
  void watch() {
    for (auto last = std::chrono::steady_clock::now(); !done;) {
      wait(0.001);
      worst = std::max(worst.load(), since(last) - 0.001);
      last = std::chrono::steady_clock::now();
    }
  }
  std::atomic<bool> done{false};
  std::atomic<double> worst{0};
  std::thread watcher;
};

}  // namespace

int main(int argc, char** argv) {
  setenv("ALSOFT_DRIVERS", "wave", 1);
  // The device is closed at exit, which completes the file.
  // A device that a held-up machine opened too late for the library, which then plays
  // silently, is held up too.
  if (argc == 8 && std::string(argv[1]) == "--render") {
    if (!InitAudio1()) return heldupstatus;
    unsigned long h = LoadAudio3(argv[2]);
    SetAudioFrq26(h, std::stof(argv[4]));
    SetAudioVol23(h, std::stof(argv[5]));
    SetAudioSpd24(h, std::stof(argv[6]));
    SetAudioPch25(h, std::stof(argv[7]));
    stallwatch watch;
    PlayAudio8(h);
    playfor(std::stod(argv[3]));
    return !h ? 1 : watch.heldup() ? heldupstatus : 0;
  }
  if (argc == 6 && std::string(argv[1]) == "--speedup") {  // path, secs, speed, secs
    if (!InitAudio1()) return heldupstatus;
    unsigned long h = LoadAudio3(argv[2]);
    stallwatch watch;
    PlayAudio8(h);
    playfor(std::stod(argv[3]));
    SetAudioSpd24(h, std::stof(argv[4]));
    playfor(std::stod(argv[5]));
    return !h ? 1 : watch.heldup() ? heldupstatus : 0;
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
