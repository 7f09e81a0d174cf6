// libsound on libdisp's virtual clock: positions, loops and ends at set virtual times, the
// same in every run; and the real clock as before.
#include <cstring>
#include <map>
#include <sstream>

#include "platform/disp/disp.h"
#include "platform/sound/sound.h"
#include "tests/sound/testfiles.h"

using namespace soundtest;

namespace {

// This program run again with env and one argument: what it printed, stderr included.
std::string child(std::string const& env, char const* arg) {
  char self[4096] = {};
  EXPECT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
  FILE* p = popen(("env " + env + " '" + self + "' " + arg + " 2>&1").c_str(), "r");
  std::string out;
  for (char buf[512]; p && fgets(buf, sizeof buf, p);) out += buf;
  if (p) pclose(p);
  return out;
}

// A plain 1 s sound, the same looping, and a streamed 12 s loop at rate 1.5, read at set
// virtual times (ms); the loop goes twice as fast from 1.5 s, though nothing reads it then.
// The 2.05 s step is nearly three times the stream's queue; the 12.1 s one is not mixed,
// and a rate change as the first call after it counts only from then.
void trace() {
  sound_setclock(GetTime50);  // libdisp's clock, as the facade gives it
  printf("init %d\n", InitAudio1());
  unsigned long hs[] = {LoadAudio3(wav("plain.wav", 1).c_str()),
                        LoadAudio4(wav("loop.wav", 1).c_str(), 1),
                        LoadAudio4(wav("long.wav", 12).c_str(), 1)};
  SetAudioSpd24(hs[2], 1.5f);
  for (unsigned long h : hs) PlayAudio8(h);
  long t = 0;
  for (long step : {500, 500, 400, 100, 2050, 12100}) {
    Delay28(step);
    t += step;
    if (t == 1500) SetAudioSpd24(hs[1], 2);
    if (t == 1500) continue;
    if (t == 15650) SetAudioSpd24(hs[2], 3);
    printf("%ld", t);
    for (unsigned long h : hs) printf(" %.17g %ld", GetAudioPos15(h), GetAudioSit13(h));
    printf("\n");
  }
}

TEST(SoundVirtualClock, PositionsLoopsAndEndsAtSetTimesTheSameInEveryRun) {
  std::string first = child("DISP_CLOCK=virtual", "--trace");
  EXPECT_EQ(first, child("DISP_CLOCK=virtual", "--trace"));
  // Silent though the null backend is there, and without a line: it is no failure.
  ASSERT_EQ(first.rfind("init 0\n", 0), 0u) << first;
  std::map<std::string, std::vector<double>> want = {
      {"500", {0.5, 1, 0.5, 1, 0.75, 1}},
      {"1000", {1, 0, 0, 1, 1.5, 1}},  // the plain sound ends at its length
      {"1400", {1, 0, 0.4, 1, 2.1, 1}},
      {"3550", {1, 0, 0.6, 1, 5.325, 1}},  // 0.4 + 0.1 + 2 x 2.05, round the end
      {"15650", {1, 0, 0.8, 1, 11.475, 1}},
  };
  std::istringstream in(first.substr(7));
  for (std::string t; in >> t;) {
    std::vector<double> got(6);
    for (double& x : got) in >> x;
    for (size_t i = 0; i < got.size() && want.count(t); ++i)
      EXPECT_NEAR(got[i], want[t][i], 2.0 / 44100) << t << " ms, number " << i;
    want.erase(t);
  }
  EXPECT_TRUE(want.empty()) << first;
}

// Without the switch (this process) a sound keeps real time, on the backend's device.
TEST(SoundVirtualClock, TheRealClockStillKeepsWallTime) {
  EXPECT_TRUE(InitAudio1());
  unsigned long h = LoadAudio4(wav("loop.wav", 1).c_str(), 1);
  PlayAudio8(h);
  auto t0 = std::chrono::steady_clock::now();
  Delay28(300);
  expecttime(GetAudioPos15(h), since(t0), 1.0);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("ALSOFT_DRIVERS", "null", 0);  // a device is there: the virtual clock leaves it be
  setenv("DISP_HEADLESS", "1", 1);
  if (argc == 2 && !strcmp(argv[1], "--trace")) return trace(), 0;
  unsetenv("DISP_CLOCK");
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
