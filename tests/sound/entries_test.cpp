// The libsound entries beyond the game's seven, on OpenAL Soft's null backend: empty
// sounds and loading into a handle, looping, freeing, pause and stop, states, names,
// lengths, and volume, speed and pitch with their effect on the rate of play.
#include <climits>
#include <cmath>

#include "platform/sound/sound.h"
#include "tests/sound/testfiles.h"

using namespace soundtest;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

// A sound that plays at rate 1 beside the one measured; long enough that even a mixer held
// up for seconds finds it still playing.
unsigned long reference() {
  static unsigned long const ref = LoadAudio3(wav("reference.wav", 10).c_str());
  return ref;
}

// Positions of the sound h and of the reference ref read together; a mix that falls between
// the reads puts h's moment between ref's two.
struct reading {
  double before, pos, after;  // ref, h, ref
};
reading readtogether(unsigned long h, unsigned long ref) {
  double before = GetAudioPos15(ref), pos = GetAudioPos15(h);
  return {before, pos, GetAudioPos15(ref)};
}

// Waits until ref has played at least `secs`; false after a generous deadline.
bool playeduntil(unsigned long ref, double secs) {
  for (auto t0 = std::chrono::steady_clock::now(); GetAudioPos15(ref) < secs; wait(0.005))
    if (since(t0) > 20) return false;
  return true;
}

// Plays h from 0 beside ref, a sound at rate 1, and checks that h's position runs at `rate`
// times ref's. Both are mixed together, so a loaded machine that runs the mixer late delays
// both alike: no wall clock enters the check.
void expectrate(unsigned long h, unsigned long ref, double rate) {
  ASSERT_EQ(PlayAudio8(ref), 1u);
  ASSERT_EQ(PlayAudio8(h), 1u);
  ASSERT_TRUE(playeduntil(ref, 0.05)) << "the mixer does not run";
  reading const a = readtogether(h, ref);
  ASSERT_TRUE(playeduntil(ref, a.after + 0.3)) << "the mixer stopped";
  reading const b = readtogether(h, ref);
  ASSERT_EQ(GetAudioSit13(h), 1) << "ended before the second reading";
  // Within a frame of either sound's offset (at 8 kHz and up).
  double const frame = 1.0 / 8000;
  EXPECT_GE(b.pos - a.pos, rate * (b.before - a.after - frame) - frame) << "rate " << rate;
  EXPECT_LE(b.pos - a.pos, rate * (b.after - a.before + frame) + frame) << "rate " << rate;
}

// A tone too long to decode whole at load, at a low rate to keep the file small.
std::string longwav(std::string const& name, double secs = 11) {
  std::string p = at(name);
  EXPECT_TRUE(tone(p, secs, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 441, 1, 8000));
  return p;
}

TEST(SoundHandles, EveryEntryRefusesZeroUnknownAndFreedHandles) {
  InitAudio1();
  unsigned long freed = LoadAudio3(wav("freed.wav", 0.5).c_str());
  ASSERT_EQ(FreeAudio7(freed), 1u);
  for (unsigned long h : {0ul, 4242ul, ULONG_MAX, freed}) {
    std::string p = wav("into.wav", 0.5);
    CaptureStderr();
    EXPECT_EQ(LoadAudio5(h, p.c_str()), 0u);
    EXPECT_EQ(LoadAudio6(h, p.c_str(), true), 0u);
    GetCapturedStderr();
    EXPECT_EQ(FreeAudio7(h), 0u);
    EXPECT_EQ(PauseAudio10(h), 0u);
    EXPECT_EQ(StopAudio11(h), 0u);
    EXPECT_STREQ(GetAudioName12(h), "");
    EXPECT_EQ(GetAudioSit13(h), 0);
    EXPECT_EQ(GetAudioLen14(h), 0.0);
    EXPECT_EQ(GetAudioVol16(h), 0.0f);
    EXPECT_EQ(GetAudioSpd17(h), 0.0f);
    EXPECT_EQ(GetAudioPch18(h), 0.0f);
    EXPECT_EQ(GetAudioFrq19(h), 0.0f);
    EXPECT_EQ(SetAudioName20(h, "x"), 0u);
    EXPECT_EQ(SetAudioSit21(h, 1), 0u);
    EXPECT_EQ(SetAudioVol23(h, 1), 0u);
    EXPECT_EQ(SetAudioSpd24(h, 1), 0u);
    EXPECT_EQ(SetAudioPch25(h, 1), 0u);
    EXPECT_EQ(PlayAudio8(h), 0u);
  }
}

TEST(SoundHandles, AFreedHandleIsNotHandedOutAgainAndItsSourceIs) {
  InitAudio1();
  std::string p = wav("many.wav", 0.1);
  unsigned long last = 0;
  for (int i = 0; i < 600; ++i) {  // well past OpenAL Soft's 256 sources
    unsigned long h = i % 2 ? LoadAudio3(p.c_str()) : LoadAudio4(p.c_str(), true);
    ASSERT_GT(h, last) << "load " << i;
    PlayAudio8(h);
    ASSERT_EQ(FreeAudio7(h), 1u);
    last = h;
  }
}

TEST(SoundNew, AnEmptySoundKeepsItsSettingsUntilALoadFillsIt) {
  InitAudio1();
  unsigned long h = NewAudio2();
  ASSERT_NE(h, 0u);
  EXPECT_NE(NewAudio2(), h);
  EXPECT_EQ(PlayAudio8(h), 0u);  // nothing to play yet
  EXPECT_EQ(SetAudioPos22(h, 1), 0u);
  EXPECT_EQ(StopAudio11(h), 1u);
  EXPECT_EQ(GetAudioLen14(h), 0.0);
  EXPECT_STREQ(GetAudioName12(h), "");
  EXPECT_EQ(SetAudioSpd24(h, 2), 1u);
  EXPECT_EQ(SetAudioVol23(h, 0.5f), 1u);

  EXPECT_EQ(LoadAudio5(h, wav("filled.wav", 1.5).c_str()), h);
  EXPECT_DOUBLE_EQ(GetAudioLen14(h), 1.5);
  EXPECT_STREQ(GetAudioName12(h), "filled.wav");
  EXPECT_EQ(GetAudioVol16(h), 0.5f);
  expectrate(h, reference(), 2);
}

TEST(SoundNew, LoadingIntoAHandleReplacesItsSoundOnlyIfTheFileLoads) {
  InitAudio1();
  unsigned long h = LoadAudio3(wav("first.wav", 1).c_str());
  PlayAudio8(h);
  CaptureStderr();
  EXPECT_EQ(LoadAudio5(h, at("missing.wav").c_str()), 0u);
  std::string err = GetCapturedStderr();
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_EQ(GetAudioSit13(h), 1);  // the first sound plays on untouched
  EXPECT_DOUBLE_EQ(GetAudioLen14(h), 1.0);

  EXPECT_EQ(LoadAudio6(h, longwav("second.wav").c_str(), false), h);
  EXPECT_EQ(GetAudioSit13(h), 0);  // a new sound starts out stopped at 0
  EXPECT_EQ(GetAudioPos15(h), 0.0);
  EXPECT_DOUBLE_EQ(GetAudioLen14(h), 11.0);
  EXPECT_STREQ(GetAudioName12(h), "second.wav");
}

// Whole sounds loop in OpenAL; streams by starting their decoder over.
TEST(SoundLoop, ALoopedSoundStartsOverWhereAPlainOneEnds) {
  InitAudio1();
  std::vector<std::string> files = {wav("loop.wav", 1), longwav("loop-streamed.wav")};
  if (std::string p = mp3("loop.mp3", 11); !p.empty()) files.push_back(p);
  for (auto const& p : files) {
    SCOPED_TRACE(p);
    unsigned long plain = LoadAudio4(p.c_str(), false), looped = LoadAudio4(p.c_str(), true);
    double len = GetAudioLen14(looped);
    PlayAudio9(plain, float(len - 0.1));
    PlayAudio9(looped, float(len - 0.1));
    auto t0 = std::chrono::steady_clock::now();
    wait(0.4);
    double wall = since(t0);
    EXPECT_EQ(GetAudioSit13(plain), 0);
    EXPECT_NEAR(GetAudioPos15(plain), GetAudioLen14(plain), 1e-6);
    EXPECT_EQ(GetAudioSit13(looped), 1);
    expecttime(GetAudioPos15(looped) + 0.1, wall, 1);
    EXPECT_EQ(PlayAudio9(looped, float(len)), 1u);  // the end of a loop is its start
    EXPECT_EQ(GetAudioSit13(looped), 1);
    EXPECT_LT(GetAudioPos15(looped), 0.05);
  }
}

// Pause, resume and stop behave alike for a sound decoded whole and a streamed one.
class SoundControl : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    InitAudio1();
    h = LoadAudio3((GetParam() ? longwav("control.wav") : wav("control.wav", 3)).c_str());
    ASSERT_NE(h, 0u);
  }
  unsigned long h = 0;
};

TEST_P(SoundControl, APauseHoldsThePositionAndAResumePlaysOnFromIt) {
  EXPECT_EQ(PauseAudio10(h), 0u);  // not playing: nothing to pause
  EXPECT_EQ(GetAudioSit13(h), 0);
  PlayAudio9(h, 1);
  wait(0.15);
  ASSERT_EQ(PauseAudio10(h), 1u);
  EXPECT_EQ(GetAudioSit13(h), 2);
  double held = GetAudioPos15(h);
  EXPECT_GT(held, 1.05);
  wait(0.15);
  EXPECT_EQ(GetAudioPos15(h), held);
  ASSERT_EQ(SetAudioSit21(h, 1), 1u);
  EXPECT_EQ(GetAudioSit13(h), 1);
  auto t0 = std::chrono::steady_clock::now();
  wait(0.2);
  expecttime(GetAudioPos15(h) - held, since(t0), 1);
}

TEST_P(SoundControl, ASeekWhilePausedMovesWhereTheResumeStarts) {
  PlayAudio8(h);
  SetAudioSit21(h, 2);
  EXPECT_EQ(SetAudioPos22(h, 2), 1u);
  EXPECT_EQ(GetAudioSit13(h), 2);
  EXPECT_DOUBLE_EQ(GetAudioPos15(h), 2.0);
  SetAudioSit21(h, 1);
  double back = GetAudioPos15(h);
  EXPECT_GE(back, 2.0);
  EXPECT_LT(back, 2.05);
}

TEST_P(SoundControl, StopGoesBackToTheStartAndStaysThere) {
  PlayAudio9(h, 2);
  wait(0.1);
  EXPECT_EQ(StopAudio11(h), 1u);
  EXPECT_EQ(GetAudioSit13(h), 0);
  EXPECT_EQ(GetAudioPos15(h), 0.0);
  wait(0.1);
  EXPECT_EQ(GetAudioPos15(h), 0.0);
  EXPECT_EQ(SetAudioSit21(h, 1), 1u);  // plays from where it stands: the start
  EXPECT_LT(GetAudioPos15(h), 0.05);
  PlayAudio9(h, 2);
  PauseAudio10(h);
  EXPECT_EQ(SetAudioSit21(h, 0), 1u);  // a paused sound forgets where it paused
  EXPECT_EQ(GetAudioSit13(h), 0);
  EXPECT_EQ(GetAudioPos15(h), 0.0);
}

TEST_P(SoundControl, OnlyTheThreeStatesAreAccepted) {
  PlayAudio8(h);
  for (long bad : {-1l, 3l, LONG_MAX}) EXPECT_EQ(SetAudioSit21(h, bad), 0u);
  EXPECT_EQ(GetAudioSit13(h), 1);
  PlayAudio9(h, 1e6f);  // at once at its end: stopped, and a resume starts it over
  EXPECT_EQ(GetAudioSit13(h), 0);
  EXPECT_EQ(SetAudioSit21(h, 1), 1u);
  EXPECT_LT(GetAudioPos15(h), 0.05);
  StopAudio11(h);
  SetAudioPos22(h, 1e6f);  // the same for a stopped sound moved to its end
  EXPECT_EQ(SetAudioSit21(h, 1), 1u);
  EXPECT_LT(GetAudioPos15(h), 0.05);
}

INSTANTIATE_TEST_SUITE_P(WholeAndStreamed, SoundControl, testing::Values(false, true),
                         [](auto const& p) { return p.param ? "Streamed" : "Whole"; });

TEST(SoundName, StartsAsTheFilesBaseNameAndTakesAnyText) {
  InitAudio1();
  unsigned long a = LoadAudio3(wav("named.wav", 0.1).c_str());
  unsigned long b = LoadAudio3(wav("other.wav", 0.1).c_str());
  EXPECT_STREQ(GetAudioName12(a), "named.wav");
  std::string longname(2000, 'n');
  EXPECT_EQ(SetAudioName20(a, longname.c_str()), 1u);
  EXPECT_EQ(SetAudioName20(b, ""), 1u);
  EXPECT_EQ(SetAudioName20(a, nullptr), 0u);
  EXPECT_EQ(GetAudioName12(a), longname);
  EXPECT_STREQ(GetAudioName12(b), "");
}

TEST(SoundLength, IsTheFramesOverTheRateAndAShortFilesTrueLength) {
  InitAudio1();
  EXPECT_DOUBLE_EQ(GetAudioLen14(LoadAudio3(wav("len.wav", 1.25).c_str())), 1.25);
  std::string p = at("eight.wav");
  ASSERT_TRUE(tone(p, 0.75, SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 441, 2, 8000));
  EXPECT_DOUBLE_EQ(GetAudioLen14(LoadAudio3(p.c_str())), 0.75);
  std::string whole = slurp(wav("whole.wav", 1.0));
  p = bytes("cut.wav", whole.substr(0, 44 + 2 * 11025));  // a header that claims 1 s
  EXPECT_DOUBLE_EQ(GetAudioLen14(LoadAudio3(p.c_str())), 0.25);
}

TEST(SoundMix, SettingsReadBackAsSetAndBadOnesAreRefused) {
  InitAudio1();
  unsigned long h = LoadAudio3(wav("mix.wav", 1).c_str());
  EXPECT_EQ(GetAudioVol16(h), 1.0f);
  EXPECT_EQ(GetAudioSpd17(h), 1.0f);
  EXPECT_EQ(GetAudioPch18(h), 1.0f);
  EXPECT_EQ(GetAudioFrq19(h), 0.0f);
  SetAudioVol23(h, 0.3f), SetAudioSpd24(h, 1.7f), SetAudioPch25(h, 0.6f), SetAudioFrq26(h, -4);
  EXPECT_EQ(GetAudioVol16(h), 0.3f);
  EXPECT_EQ(GetAudioSpd17(h), 1.7f);
  EXPECT_EQ(GetAudioPch18(h), 0.6f);
  EXPECT_EQ(GetAudioFrq19(h), -4.0f);
  EXPECT_EQ(SetAudioVol23(h, 3), 1u);
  EXPECT_EQ(GetAudioVol16(h), 1.0f);
  EXPECT_EQ(SetAudioVol23(h, -1), 1u);
  EXPECT_EQ(GetAudioVol16(h), 0.0f);
  EXPECT_EQ(SetAudioVol23(h, NAN), 0u);
  EXPECT_EQ(SetAudioVol23(h, INFINITY), 0u);
  for (float bad : {0.0f, -2.0f, NAN, INFINITY}) {
    EXPECT_EQ(SetAudioSpd24(h, bad), 0u) << bad;
    EXPECT_EQ(SetAudioPch25(h, bad), 0u) << bad;
  }
  EXPECT_EQ(GetAudioVol16(h), 0.0f);
  EXPECT_EQ(GetAudioSpd17(h), 1.7f);
  EXPECT_EQ(GetAudioPch18(h), 0.6f);
}

// OpenAL can only resample, so speed, pitch and frequency all multiply the rate of play.
TEST(SoundMix, SpeedPitchAndFrequencyMultiplyTheRateVolumeDoesNot) {
  InitAudio1();
  unsigned long h = LoadAudio3(wav("rate.wav", 10).c_str());  // as long as the reference
  SetAudioSpd24(h, 2);
  expectrate(h, reference(), 2);
  SetAudioPch25(h, 0.5f);
  expectrate(h, reference(), 1);
  SetAudioFrq26(h, 24);
  SetAudioVol23(h, 0.1f);
  expectrate(h, reference(), 4);
}

TEST(SoundLog, PauseStopStateAndMixCallsWriteOneLineEach) {
  InitAudio1();
  char const* log = getenv("SOUND_LOG");
  ASSERT_TRUE(log);
  unsigned long h = LoadAudio3(wav("logged.wav", 1).c_str());
  unsigned long empty = NewAudio2();
  size_t before = slurp(log).size();
  PlayAudio8(h);
  PauseAudio10(h);
  SetAudioSit21(h, 1);
  StopAudio11(h);
  SetAudioVol23(h, 0.5f);
  SetAudioSpd24(h, 1.5f);
  SetAudioPch25(h, 0.75f);
  SetAudioName20(h, "renamed");
  SetAudioVol23(empty, 0.5f);  // no file behind it: nothing to name in the log
  SetAudioSit21(h, 7);
  EXPECT_EQ(slurp(log).substr(before),
            "play logged.wav\npause logged.wav\nsit logged.wav 1\nstop logged.wav\n"
            "vol logged.wav 0.5\nspd logged.wav 1.5\npch logged.wav 0.75\n");
}

}  // namespace

int main(int argc, char** argv) {
  setenv("ALSOFT_DRIVERS", "null", 0);
  setenv("SOUND_LOG", at("sound.log").c_str(), 0);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
