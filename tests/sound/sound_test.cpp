// libsound on OpenAL Soft's null backend: loading and its failures, harmless bad handles,
// positions in real time under pitch, seeking, the end of a sound, and SOUND_LOG.
#include <AL/alc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstring>

#include "platform/sound/sound.h"
#include "tests/sound/testfiles.h"

using namespace soundtest;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

TEST(SoundLoad, EveryFailurePrintsOneLineNamingTheFileAndGivesZero) {
  InitAudio1();
  std::string good = slurp(wav("good.wav", 0.5));
  std::string sixch = at("six.wav");
  ASSERT_TRUE(tone(sixch, 0.1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 441, 6));
  std::string huge = good.substr(0, 44);  // mono header, then 65535 channels in it
  huge[22] = huge[23] = char(0xff);
  mkdir(at("folder.wav").c_str(), 0755);
  std::vector<std::string> bad = {
      at("missing.wav"),
      bytes("empty.wav", ""),
      bytes("garbage.wav", std::string(3000, '\x5a')),
      bytes("garbage.mp3", std::string(3000, '\x5a')),
      bytes("cut.wav", good.substr(0, 30)),
      sixch,
      bytes("huge.wav", huge + good.substr(44)),
      at("folder.wav"),
  };
  for (auto& path : bad) {
    CaptureStderr();
    unsigned long h = LoadAudio3(path.c_str());
    std::string err = GetCapturedStderr();
    EXPECT_EQ(h, 0u) << path;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find(path), std::string::npos) << err;
  }
  EXPECT_EQ(LoadAudio3(nullptr), 0u);
}

TEST(SoundLoad, AWavCutInItsDataPlaysWhatItHas) {
  InitAudio1();
  std::string whole = slurp(wav("whole.wav", 1.0));
  unsigned long h = LoadAudio3(bytes("short.wav", whole.substr(0, 44 + 2 * 4410)).c_str());
  ASSERT_NE(h, 0u);
  PlayAudio9(h, 5.0f);  // past its true end
  EXPECT_NEAR(GetAudioPos15(h), 0.1, 1e-9);
}

// The game loads its 85 s music at start-up; that must not cost a whole decode.
TEST(SoundLoad, ALongMp3LoadsWithoutDecodingItWhole) {
  InitAudio1();
  std::string p = mp3("startup.mp3", 40);
  if (p.empty()) GTEST_SKIP() << "this libsndfile cannot write MP3";
  auto t0 = std::chrono::steady_clock::now();
  SF_INFO info{};
  SNDFILE* f = sf_open(p.c_str(), SFM_READ, &info);
  std::vector<short> pcm(65536);
  while (sf_readf_short(f, pcm.data(), 32768) > 0) {
  }
  sf_close(f);
  double decode = since(t0);
  t0 = std::chrono::steady_clock::now();
  EXPECT_NE(LoadAudio3(p.c_str()), 0u);
  EXPECT_LT(since(t0), decode / 4);
}

TEST(SoundHandles, ZeroUnknownAndBadNumbersDoNothing) {
  InitAudio1();
  for (unsigned long h : {0ul, 4242ul, ULONG_MAX}) {
    EXPECT_EQ(PlayAudio8(h), 0u);
    EXPECT_EQ(PlayAudio9(h, 1), 0u);
    EXPECT_EQ(GetAudioPos15(h), 0.0);
    EXPECT_EQ(SetAudioPos22(h, 1), 0u);
    EXPECT_EQ(SetAudioFrq26(h, 1), 0u);
  }
  unsigned long h = LoadAudio3(wav("nan.wav", 1).c_str());
  EXPECT_EQ(PlayAudio9(h, NAN), 0u);
  EXPECT_EQ(SetAudioPos22(h, INFINITY), 0u);
  EXPECT_EQ(SetAudioFrq26(h, NAN), 0u);
  EXPECT_EQ(GetAudioPos15(h), 0.0);
}

// The same rules for a sound decoded whole and for a long one that is streamed.
class SoundPlay : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    InitAudio1();
    if (GetParam()) {
      std::string p = mp3("long.mp3", 20);
      if (p.empty()) GTEST_SKIP() << "this libsndfile cannot write MP3";
      h = LoadAudio3(p.c_str());
      len = 20;
    } else {
      h = LoadAudio3(wav("effect.wav", 3).c_str());
      len = 3;
    }
    ASSERT_NE(h, 0u);
  }
  unsigned long h = 0;
  double len = 0;
};

TEST_P(SoundPlay, PositionFollowsTheClockAtThePitchsRate) {
  EXPECT_EQ(GetAudioPos15(h), 0.0);
  for (float v : {0.0f, 12.0f, 24.0f}) {
    SetAudioFrq26(h, v);
    auto t0 = std::chrono::steady_clock::now();
    ASSERT_EQ(PlayAudio8(h), 1u);
    wait(0.2);
    expecttime(GetAudioPos15(h), since(t0), std::exp2(v / 12));
  }
}

TEST_P(SoundPlay, ARepitchAppliesToWhatIsPlaying) {
  auto t0 = std::chrono::steady_clock::now();
  PlayAudio9(h, 1);
  wait(0.2);
  double first = since(t0);
  ASSERT_EQ(SetAudioFrq26(h, 12), 1u);
  auto t1 = std::chrono::steady_clock::now();
  wait(0.2);
  expecttime(GetAudioPos15(h) - 1 - first, since(t1), 2);
}

TEST_P(SoundPlay, SeeksReadBackAndPlayOn) {
  PlayAudio8(h);
  ASSERT_EQ(SetAudioPos22(h, 2.25f), 1u);
  double back = GetAudioPos15(h);  // it plays on: a mixer period may pass in between
  EXPECT_GE(back, 2.25 - 1e-4);
  EXPECT_LT(back, 2.25 + 0.05);
  auto t0 = std::chrono::steady_clock::now();
  wait(0.2);
  expecttime(GetAudioPos15(h) - 2.25, since(t0), 1);
  PlayAudio8(h);  // restarts from the beginning
  EXPECT_LT(GetAudioPos15(h), 0.03);
  PlayAudio9(h, -3);
  EXPECT_LT(GetAudioPos15(h), 0.03);
}

TEST_P(SoundPlay, StopsAtItsEndHoldingItsLengthAndASeekResumesIt) {
  PlayAudio9(h, float(len - 0.1));
  wait(0.35);
  EXPECT_NEAR(GetAudioPos15(h), len, 1e-6);
  wait(0.05);
  EXPECT_NEAR(GetAudioPos15(h), len, 1e-6);
  // The music's loop-back must work even when a stall let the music run off its end.
  SetAudioPos22(h, 1);
  auto t0 = std::chrono::steady_clock::now();
  wait(0.2);
  expecttime(GetAudioPos15(h) - 1, since(t0), 1);
  PlayAudio9(h, float(len + 5));
  EXPECT_NEAR(GetAudioPos15(h), len, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(WholeAndStreamed, SoundPlay, testing::Values(false, true),
                         [](auto const& p) { return p.param ? "Streamed" : "Whole"; });

TEST(SoundPlay, AStreamKeepsUpAtTheHighestRate) {
  InitAudio1();
  std::string p = mp3("fast.mp3", 15);
  if (p.empty()) GTEST_SKIP() << "this libsndfile cannot write MP3";
  unsigned long h = LoadAudio3(p.c_str());
  SetAudioFrq26(h, 48);  // 16-fold: a 0.19 s buffer lasts 12 ms
  auto t0 = std::chrono::steady_clock::now();
  PlayAudio8(h);
  wait(0.4);
  expecttime(GetAudioPos15(h), since(t0), 16);
}

TEST(SoundLog, OneLinePerPlaySeekAndFrqCallInCallOrder) {
  InitAudio1();
  char const* log = getenv("SOUND_LOG");
  ASSERT_TRUE(log);
  mkdir(at("audio").c_str(), 0755);
  unsigned long bg = LoadAudio3(wav("audio/bg.mp3", 0.5).c_str());  // a WAV by content
  unsigned long sj = LoadAudio3(wav("audio/sj3.wav", 0.5).c_str());
  size_t before = slurp(log).size();
  PlayAudio8(sj);
  PlayAudio9(bg, 0);
  SetAudioPos22(bg, 27.49f);
  SetAudioFrq26(sj, float(-11.0 / 3));
  PlayAudio8(0);
  SetAudioFrq26(bg, NAN);
  EXPECT_EQ(slurp(log).substr(before),
            "play sj3.wav\nplay bg.mp3 0\nseek bg.mp3 27.49\nfrq sj3.wav -3.66667\n");
}

}  // namespace

// The mixer's period in ms and its rate, as a child run with env set up opens the device.
std::pair<double, int> period(std::string const& env) {
  char self[4096] = {};
  EXPECT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
  std::string cmd = "env -u ALSOFT_CONF -u SOUND_PERIOD_MS " + env + " '" + self + "' --period";
  FILE* p = popen(cmd.c_str(), "r");
  char line[128] = {};
  if (!p || !fgets(line, sizeof line, p)) line[0] = 0;
  if (p) pclose(p);
  double ms = 0;
  int hz = 0;
  EXPECT_EQ(sscanf(line, "%lf %d", &ms, &hz), 2) << env << ": " << line;
  EXPECT_EQ(strstr(line, "leaked"), nullptr) << env << ": ALSOFT_CONF still names our file";
  return {ms, hz};
}

// OpenAL Soft reports the period as a whole number of periods per second.
void expectperiod(std::string const& env, double ms, int hz) {
  auto [gotms, gothz] = period(env);
  EXPECT_NEAR(gotms, ms, ms * 0.03) << env;
  EXPECT_EQ(gothz, hz) << env;
}

// Short periods keep a key press close to its sound. OpenAL Soft takes them only from its
// configuration, so the library adds a file to it for the moment it opens the device: the
// user's own configuration still applies, and only SOUND_PERIOD_MS overrules its period.
TEST(SoundDevice, OpensWithShortPeriodsUnlessTheUserSaysOtherwise) {
  std::string conf = at("user.conf"), odd = at("user-odd.conf");
  std::ofstream(conf) << "[general]\nfrequency = 22050\nperiod_size = 441\n";
  std::ofstream(odd) << "[general]\nfrequency = 22050\n";
  expectperiod("", 3, 44100);
  expectperiod("SOUND_PERIOD_MS=0", 23.2, 44100);  // OpenAL Soft's own 1024 frames
  expectperiod("SOUND_PERIOD_MS=10", 10, 44100);
  expectperiod("ALSOFT_CONF=" + conf, 20, 22050);  // the user's period and rate
  expectperiod("ALSOFT_CONF=" + odd, 3, 22050);    // the user's rate, our period
  expectperiod("ALSOFT_CONF=" + conf + " SOUND_PERIOD_MS=8", 8, 22050);
  expectperiod("SOUND_PERIOD_MS=fast", 3, 44100);  // with one line saying why
}

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--period") {
    setenv("ALSOFT_DRIVERS", "null", 1);
    InitAudio1();
    ALCdevice* dev = alcGetContextsDevice(alcGetCurrentContext());
    ALCint hz = 0, refresh = 0;
    alcGetIntegerv(dev, ALC_FREQUENCY, 1, &hz);
    alcGetIntegerv(dev, ALC_REFRESH, 1, &refresh);
    // Our memory file must not outlive the opening: a program started later would read
    // a file of its own under that name.
    char const* left = getenv("ALSOFT_CONF");
    bool ours = left && strncmp(left, "/proc/self/fd/", 14) == 0;
    printf("%.4g %d%s\n", refresh ? 1000.0 / refresh : 0.0, hz, ours ? " leaked" : "");
    return 0;
  }
  setenv("ALSOFT_DRIVERS", "null", 0);
  setenv("SOUND_LOG", at("sound.log").c_str(), 0);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
