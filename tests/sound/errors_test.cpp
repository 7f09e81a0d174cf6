// libsound's error code and text, the quoting of file names in messages, a music file cut
// short, and the formats libsndfile brings beyond WAV and MP3 (FLAC, Ogg Vorbis).
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

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
    EXPECT_EQ(std::string(sound_errortext()).rfind("loadaudio: cannot load \"" + path + "\": ", 0),
              0u)
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
  EXPECT_EQ(std::string(sound_errortext()), "playaudio: " + std::to_string(ULONG_MAX) +
                                                " is not a sound handle (freed, or never made)");
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
  EXPECT_NE(err.find("aaa...\": "), std::string::npos) << err;
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
  EXPECT_NE(err.find("bg.mp3\" is damaged"), std::string::npos) << err;
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

// A streamed MP3 damaged in its middle: libmpg123's notes about it, printed while the
// feeder decodes during play, stay off stderr; at most one line of ours names the file.
TEST(SoundErrors, ADamagedStreamPlaysWithoutTheDecodersNotes) {
  std::string path = mp3("damaged.mp3", 14);
  if (path.empty()) GTEST_SKIP() << "this libsndfile cannot write MP3";
  std::string data = slurp(path);
  unsigned seed = 7;
  for (size_t i = data.size() / 2; i < data.size() / 2 + 4000; ++i)
    data[i] = char((seed = seed * 1103515245 + 12345) >> 16);
  bytes("damaged.mp3", data);
  InitAudio1();
  CaptureStderr();
  unsigned long h = LoadAudio3(path.c_str());
  SetAudioFrq26(h, 36);  // eight times as fast: through the damage in under a second
  PlayAudio8(h);
  for (int i = 0; i < 250 && GetAudioSit13(h) == 1; ++i) wait(0.01);
  std::string err = GetCapturedStderr();
  ASSERT_NE(h, 0u);
  EXPECT_LE(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_EQ(err.find("resync"), std::string::npos) << err;
  EXPECT_EQ(err.find("dequantization"), std::string::npos) << err;
  if (!err.empty()) {
    EXPECT_NE(err.find("damaged.mp3"), std::string::npos) << err;
  }
}

// ---- Output files ----------------------------------------------------------------------

// Child: the logs are opened once, at start-up. Plays a sound 200 times, each a line in
// SOUND_LOG; with a size limit, writing fails part way.
int logchild(char const* limit) {
  if (*limit) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit r{rlim_t(atol(limit)), rlim_t(atol(limit))};
    setrlimit(RLIMIT_FSIZE, &r);
  }
  InitAudio1();
  unsigned long h = LoadAudio3(wav("log.wav", 0.1).c_str());
  for (int i = 0; i < 200; ++i) PlayAudio8(h);
  return 0;
}

// What a child with env printed on stderr; "hung" if it did not end within 10 s.
std::string logrun(std::string const& env, std::string const& limit = "") {
  char self[4096] = {};
  EXPECT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
  std::string cmd = "env " + env + " timeout 10 '" + std::string(self) + "' --log '" + limit +
                    "' 2>&1 >/dev/null; echo \"exit $?\"";
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  char buf[512];
  while (p && fgets(buf, sizeof buf, p)) out += buf;
  if (p) pclose(p);
  return out.find("exit 124") != std::string::npos ? "hung" : out;
}

// Every log is a regular file or a new one: a FIFO nobody reads, a folder or a device is
// refused at once, and a write that fails is said, each in one line naming the file.
TEST(SoundOutput, LogsThatCannotBeWrittenAreRefusedOrReportedNeverHung) {
  std::string fifo = at("fifo"), dir = at("dir");
  mkfifo(fifo.c_str(), 0600);
  mkdir(dir.c_str(), 0700);
  for (auto [env, file] : {std::pair{"SOUND_LOG=", fifo},
                           {"SOUND_LATENCY_LOG=", fifo},
                           {"SOUND_LOG=", dir},
                           {"SOUND_LOG=", std::string("/dev/full")},
                           {"SOUND_LATENCY_LOG=", std::string("/dev/full")}}) {
    std::string err = logrun(env + file);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << env << file << ": " << err;
    EXPECT_NE(err.find("sound: cannot open " + std::string(env).substr(0, strlen(env) - 1) + " \"" +
                       file + "\": "),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("exit 0"), std::string::npos) << err;
  }
  std::string log = at("small.log");
  std::string err = logrun("SOUND_LOG=" + log, "100");
  EXPECT_NE(err.find("sound: cannot write SOUND_LOG \"" + log + "\": File too large"),
            std::string::npos)
      << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << err;
  std::string lines = slurp(log);
  EXPECT_EQ(lines.substr(0, 13), "play log.wav\n") << lines;  // what fitted is kept

  err = logrun("SOUND_LOG=" + log);  // appended to, as before
  EXPECT_EQ(err, "exit 0\n");
  EXPECT_GT(slurp(log).size(), lines.size() + 100);
}

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--log") return logchild(argv[2]);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
