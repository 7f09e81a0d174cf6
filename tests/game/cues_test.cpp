// Sound loading, the common pitch and the music loop-back.
#include "sound/cues.h"

#include "tests/game/fixture.h"

namespace {

using Cues = GameTest;

TEST_F(Cues, LoadsTheMusicThenTheFourEffectsAfterStartingTheLibrary) {
  initsound();
  ASSERT_EQ(rec::calls.at(0).entry, "InitAudio1");
  std::vector<std::string> paths;
  for (auto const& c : rec::of("LoadAudio3")) paths.push_back(c.text(0));
  EXPECT_EQ(paths, (std::vector<std::string>{"audio/bg.mp3", "audio/sj1.wav", "audio/sj2.wav",
                                             "audio/sj3.wav", "audio/sj4.wav"}));
  sbg = 1, sj1 = 2, sj2 = 3, sj3 = 4, sj4 = 5;
}

TEST_F(Cues, CommonPitchGoesToAllFiveAsTheSameFloat) {
  setaudiofrqall(-11 / 3.0);
  auto f = rec::of("SetAudioFrq26");
  ASSERT_EQ(f.size(), 5u);
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(f[i].num(0), i + 1);  // sbg, sj1 .. sj4 in order
    EXPECT_EQ(f[i].num(1), static_cast<float>(-11 / 3.0));
  }
}

TEST_F(Cues, MusicJumpsBackOnlyOncePastTheEndOfItsStretch) {
  double pos = 82.33;
  rec::numeric_result = [&pos](rec::call const& c) { return c.entry == "GetAudioPos15" ? pos : 0; };
  setaudioloop(82.33, 27.49);
  EXPECT_EQ(rec::count("SetAudioPos22"), 0u);
  pos = 82.3300001;
  setaudioloop(82.33, 27.49);
  auto s = rec::of("SetAudioPos22");
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0].num(0), sbg);
  EXPECT_EQ(s[0].num(1), 27.49f);
}

}  // namespace
