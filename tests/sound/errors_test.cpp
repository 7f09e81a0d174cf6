// libsound's error code and text, the quoting of file names in messages, a music file cut
// short, and the formats libsndfile brings beyond WAV and MP3 (FLAC, Ogg Vorbis).
#include <climits>
#include <cmath>

#include "platform/sound/sound.h"
#include "tests/sound/testfiles.h"

using namespace soundtest;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

// The code, read once: a second read gives 0.
unsigned long takecode() {
  unsigned long code = sound_geterror();
  EXPECT_EQ(sound_geterror(), 0u);
  return code;
}

TEST(SoundErrors, AFailedLoadGivesCodeThreeAndTheLineItPrinted) {
  InitAudio1();
  sound_geterror();
  for (auto const& path : {at("missing.wav"), bytes("garbage.wav", std::string(3000, 'Z'))}) {
    CaptureStderr();
    EXPECT_EQ(LoadAudio3(path.c_str()), 0u);
    std::string err = GetCapturedStderr();
    EXPECT_EQ(takecode(), 3u) << path;
    EXPECT_EQ(err, "sound: " + std::string(sound_errortext()) + "\n");
    EXPECT_EQ(std::string(sound_errortext()).rfind("cannot load " + path + ": ", 0), 0u)
        << sound_errortext();
  }
  EXPECT_EQ(LoadAudio3(nullptr), 0u);
  EXPECT_EQ(takecode(), 2u);
  // A success leaves the code alone, and the text stays readable after the code.
  EXPECT_NE(LoadAudio3(wav("fine.wav", 0.2).c_str()), 0u);
  EXPECT_EQ(sound_geterror(), 0u);
  EXPECT_NE(std::string(sound_errortext()), "");
}

TEST(SoundErrors, BadHandlesEmptySoundsAndBadNumbersGiveCodeTwo) {
  InitAudio1();
  unsigned long h = LoadAudio3(wav("ok.wav", 0.5).c_str()), empty = NewAudio2();
  sound_geterror();
  EXPECT_EQ(PlayAudio8(ULONG_MAX), 0u);
  EXPECT_EQ(takecode(), 2u);
  EXPECT_EQ(std::string(sound_errortext()), "unknown sound handle " + std::to_string(ULONG_MAX));
  EXPECT_EQ(GetAudioLen14(4242), 0.0);
  EXPECT_EQ(takecode(), 2u);
  EXPECT_EQ(PlayAudio8(empty), 0u);
  EXPECT_EQ(takecode(), 2u);
  EXPECT_EQ(SetAudioSpd24(h, -1), 0u);
  EXPECT_EQ(takecode(), 2u);
  EXPECT_EQ(SetAudioPos22(h, NAN), 0u);
  EXPECT_EQ(takecode(), 2u);
  EXPECT_EQ(SetAudioSit21(h, 7), 0u);
  EXPECT_EQ(takecode(), 2u);
  EXPECT_EQ(FreeAudio7(h), 1u);
  EXPECT_EQ(FreeAudio7(h), 0u);
  EXPECT_EQ(takecode(), 2u);
  // Reading an empty sound's plain zeros is no failure.
  EXPECT_EQ(GetAudioPos15(empty), 0.0);
  EXPECT_EQ(GetAudioSit13(empty), 0);
  EXPECT_EQ(sound_geterror(), 0u);
}

TEST(SoundErrors, EachThreadKeepsItsOwn) {
  InitAudio1();
  sound_geterror();
  PlayAudio8(4242);
  unsigned long other = 99;
  std::thread([&] { other = sound_geterror(); }).join();
  EXPECT_EQ(other, 0u);
  EXPECT_EQ(sound_geterror(), 2u);
}

TEST(SoundErrors, AHugeOrRawFileNameIsQuotedShortAndEscaped) {
  InitAudio1();
  std::string name = "/nowhere/\x01\xff\n" + std::string(1 << 20, 'a') + ".wav";
  CaptureStderr();
  EXPECT_EQ(LoadAudio3(name.c_str()), 0u);
  std::string err = GetCapturedStderr();
  EXPECT_LT(err.size(), 200u) << err.substr(0, 300);
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
  EXPECT_NE(err.find("/nowhere/\\x01\\xFF\\x0Aaaa"), std::string::npos) << err;
  EXPECT_NE(err.find("aaa...: "), std::string::npos) << err;
  EXPECT_LT(std::string(sound_errortext()).size(), 200u);
}

// The game's music cut to 10 KB: its header still claims 85.76 s.
TEST(SoundDamaged, ACutMp3ReportsWhatDecodesSaysSoOnceAndEndsThere) {
  InitAudio1();
  std::string whole = slurp(QUIB_SOURCE_DIR "/audio/bg.mp3");
  ASSERT_GT(whole.size(), 100000u);
  std::string cut = bytes("bg.mp3", whole.substr(0, 10240));
  sound_geterror();
  CaptureStderr();
  unsigned long h = LoadAudio3(cut.c_str());
  std::string err = GetCapturedStderr();
  ASSERT_NE(h, 0u);
  double len = GetAudioLen14(h);
  EXPECT_GT(len, 0.2);
  EXPECT_LT(len, 0.5);
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_NE(err.find("bg.mp3 is damaged"), std::string::npos) << err;
  EXPECT_EQ(sound_geterror(), 3u);

  PlayAudio8(h);
  wait(len + 0.25);
  EXPECT_EQ(GetAudioSit13(h), 0);
  EXPECT_DOUBLE_EQ(GetAudioPos15(h), len);
  SetAudioPos22(h, 0.1f);  // a seek plays it again from there, as for any ended sound
  EXPECT_EQ(GetAudioSit13(h), 1);

  // The whole file still loads quietly with the length its header gives.
  CaptureStderr();
  unsigned long full = LoadAudio3(QUIB_SOURCE_DIR "/audio/bg.mp3");
  EXPECT_EQ(GetCapturedStderr(), "");
  EXPECT_NEAR(GetAudioLen14(full), 85.76, 0.01);
}

// FLAC and Ogg Vorbis come through libsndfile like WAV: decoded whole when short,
// streamed when long.
TEST(SoundFormats, FlacAndOggLoadAndPlayWholeAndStreamed) {
  InitAudio1();
  struct kind {
    char const* ext;
    int format;
  };
  for (kind k : {kind{"flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
                 kind{"ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS}}) {
    for (double secs : {1.0, 11.0}) {
      std::string p = at("tone" + std::to_string(int(secs)) + "." + k.ext);
      SCOPED_TRACE(p);
      ASSERT_TRUE(tone(p, secs, k.format));
      unsigned long h = LoadAudio3(p.c_str());
      ASSERT_NE(h, 0u);
      EXPECT_NEAR(GetAudioLen14(h), secs, 0.01);
      PlayAudio9(h, float(secs - 0.5));
      auto t0 = std::chrono::steady_clock::now();
      wait(0.2);
      expecttime(GetAudioPos15(h) - (secs - 0.5), since(t0), 1);
      wait(0.5);
      EXPECT_EQ(GetAudioSit13(h), 0);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
