// libsound when no audio device opens: one warning, then the silent stand-in keeps
// every sound's clock, so the game's music loop still sees its position move.
#include "platform/sound/sound.h"
#include "tests/sound/testfiles.h"

using namespace soundtest;

namespace {

TEST(SoundWithoutDevice, WarnsOnceThenPlaysSilentlyWithWorkingPositions) {
  testing::internal::CaptureStderr();
  EXPECT_FALSE(InitAudio1());
  EXPECT_FALSE(InitAudio1());
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_EQ(err.rfind("sound: no audio device (", 0), 0u) << err;
  EXPECT_NE(err.find("sounds play silently"), std::string::npos) << err;

  std::vector<unsigned long> hs = {LoadAudio3(wav("sj1.wav", 2).c_str())};
  if (std::string p = mp3("bg.mp3", 12); !p.empty()) hs.push_back(LoadAudio3(p.c_str()));
  for (unsigned long h : hs) {
    ASSERT_NE(h, 0u);
    EXPECT_EQ(SetAudioFrq26(h, 12), 1u);
    EXPECT_EQ(PlayAudio9(h, 0.5f), 1u);
    auto t0 = std::chrono::steady_clock::now();
    wait(0.2);
    double pos = GetAudioPos15(h), wall = since(t0);
    EXPECT_GT(pos, 0.5 + 2 * (wall - 0.05));
    EXPECT_LT(pos, 0.5 + 2 * (wall + 0.02));
    EXPECT_EQ(SetAudioPos22(h, 1.25f), 1u);
    double back = GetAudioPos15(h);  // it plays on: the clock may tick in between
    EXPECT_GE(back, 1.25 - 1e-4);
    EXPECT_LT(back, 1.25 + 0.06);
  }
}

}  // namespace

int main(int argc, char** argv) {
  setenv("ALSOFT_DRIVERS", "no-such-backend", 1);  // the point of this program
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
