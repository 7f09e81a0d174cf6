// Sound loading, the common pitch and the music loop-back.
#include "sound/cues.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "tests/game/fixture.h"

namespace {

// The recording library's loadaudio gives every file a handle (7) but an empty one, which
// fails to load as it does in the real library.
struct Cues : GameTest {
  void SetUp() override {
    GameTest::SetUp();
    auto base = rec::numeric_result;
    rec::numeric_result = [base](rec::call const& c) -> double {
      if (c.entry != "LoadAudio3") return base(c);
      std::error_code ec;
      return std::filesystem::file_size(c.text(0), ec) > 0 ? 7 : 0;
    };
  }
};

// Runs a test in another working directory, with QUIB_DATA_DIR set or unset.
struct indir {
  std::filesystem::path old = std::filesystem::current_path();
  explicit indir(std::filesystem::path const& dir, char const* datadir = nullptr) {
    std::filesystem::current_path(dir);
    if (datadir != nullptr) {
      setenv("QUIB_DATA_DIR", datadir, 1);
    } else {
      unsetenv("QUIB_DATA_DIR");
    }
  }
  ~indir() {
    std::filesystem::current_path(old);
    unsetenv("QUIB_DATA_DIR");
  }
};

std::filesystem::path scratch(char const* name) {
  auto dir = std::filesystem::temp_directory_path() /
             (std::string("quib-cues-") + std::to_string(getpid()) + "-" + name);
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir / "audio");
  return dir;
}

std::vector<std::string> loaded() {
  std::vector<std::string> paths;
  for (auto const& c : rec::of("LoadAudio3")) paths.push_back(c.text(0));
  return paths;
}

TEST_F(Cues, ElsewhereTheSoundsComeFromTheDataDirectoryThenTheSourceTree) {
  auto data = scratch("data");
  auto empty = scratch("empty");
  std::ofstream(data / "audio" / "sj1.wav") << "x";
  {
    indir there(empty, data.c_str());
    initsound();
  }
  auto paths = loaded();
  ASSERT_EQ(paths.size(), 5u);
  EXPECT_EQ(paths[1], (data / "audio" / "sj1.wav").string());           // the data directory first
  EXPECT_EQ(paths[0], std::string(QUIB_SOURCE_DIR) + "/audio/bg.mp3");  // then the sources
  // Where the working directory holds a sound, it wins, under its relative name.
  std::ofstream(empty / "audio" / "sj2.wav") << "x";
  rec::calls.clear();
  {
    indir there(empty, data.c_str());
    initsound();
  }
  EXPECT_EQ(loaded().at(2), "audio/sj2.wav");
  std::filesystem::remove_all(data);
  std::filesystem::remove_all(empty);
  sbg = 1, sj1 = 2, sj2 = 3, sj3 = 4, sj4 = 5;
}

TEST_F(Cues, AMissingSoundIsNamedOnceWithEveryPlaceTriedAndIsNoSound) {
  auto empty = scratch("missing");
  std::string longdir(5000, 'd');
  testing::internal::CaptureStderr();
  unsigned int h;
  {
    indir there(empty, ("/nonexistent/" + longdir).c_str());
    h = loadsound("audio/nosuch.wav");
  }
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(h, 0u);
  EXPECT_EQ(rec::count("LoadAudio3"), 0u);  // nothing half-loaded, no second message
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_LT(err.size(), 1000u);  // a long QUIB_DATA_DIR is cut short
  EXPECT_NE(err.find("audio/nosuch.wav in the working directory"), std::string::npos) << err;
  EXPECT_NE(err.find("'/nonexistent/ddd"), std::string::npos) << err;
  EXPECT_NE(err.find(std::string(QUIB_SOURCE_DIR) + "/audio/nosuch.wav"), std::string::npos) << err;
  std::filesystem::remove_all(empty);
}

TEST_F(Cues, ACopyThatDoesNotLoadIsPassedOverForTheNextPlaceAndTheLineNamesBoth) {
  auto cwd = scratch("cwd");
  auto data = scratch("data");
  auto good = scratch("good");
  std::ofstream(cwd / "audio" / "sj1.wav") << "";
  std::ofstream(data / "audio" / "sj1.wav") << "";
  std::ofstream(good / "audio" / "sj1.wav") << "x";
  unsigned int h, none;
  testing::internal::CaptureStderr();
  {
    indir there(cwd, data.c_str());
    h = loadsound("audio/sj1.wav");  // working directory, then the data directory: both broken
  }
  std::string fell = testing::internal::GetCapturedStderr();
  EXPECT_EQ(h, 7u);  // the source tree's copy, the next place
  auto paths = loaded();
  ASSERT_EQ(paths.size(), 3u);
  EXPECT_EQ(paths[0], "audio/sj1.wav");
  EXPECT_EQ(paths[1], (data / "audio" / "sj1.wav").string());
  EXPECT_EQ(paths[2], std::string(QUIB_SOURCE_DIR) + "/audio/sj1.wav");
  EXPECT_EQ(std::count(fell.begin(), fell.end(), '\n'), 1) << fell;
  EXPECT_EQ(fell.rfind("quib: sound audio/sj1.wav: cannot load audio/sj1.wav in the working "
                       "directory, '" +
                           (data / "audio" / "sj1.wav").string() + "'; playing '" +
                           QUIB_SOURCE_DIR + "/audio/sj1.wav' instead",
                       0),
            0u)
      << fell;

  // A good copy in the working directory loads with no line, and nothing after it is tried.
  rec::calls.clear();
  testing::internal::CaptureStderr();
  {
    indir there(good, data.c_str());
    h = loadsound("audio/sj1.wav");
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(h, 7u);
  EXPECT_EQ(loaded(), std::vector<std::string>{"audio/sj1.wav"});

  // Where every copy that exists fails, the sound is none, and the line says it could not
  // be loaded rather than that it was not found.
  testing::internal::CaptureStderr();
  {
    indir there(cwd, data.c_str());
    none = loadsound("audio/nosuch.wav");
    std::ofstream(cwd / "audio" / "only.wav") << "";
    h = loadsound("audio/only.wav");
  }
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(none, 0u);
  EXPECT_EQ(h, 0u);
  EXPECT_NE(err.find("quib: sound audio/nosuch.wav not found (tried"), std::string::npos) << err;
  EXPECT_NE(err.find("quib: sound audio/only.wav cannot be loaded (tried audio/only.wav in the "
                     "working directory, '" +
                     (data / "audio" / "only.wav").string()),
            std::string::npos)
      << err;
  for (auto const& d : {cwd, data, good}) std::filesystem::remove_all(d);
}

TEST_F(Cues, LoadsTheMusicThenTheFourEffectsAfterStartingTheLibrary) {
  indir here(QUIB_SOURCE_DIR);  // where audio/ lies: the paths go to the library as they are
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
