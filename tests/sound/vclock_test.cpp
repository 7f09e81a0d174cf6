// libsound on libdisp's virtual clock: positions, loops and ends at set virtual times, the
// same in every run; the real clock as before; and the fallback without libdisp.
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>

#include "platform/sound/sound.h"
#include "tests/sound/testfiles.h"
#ifndef QUIB_VCLOCK_NODISP
#include "platform/disp/disp.h"
#endif

using namespace soundtest;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

// One frame of the mix: a position is exact to the frame the virtual clock falls in.
constexpr double frame = 1.0 / 44100;

#ifndef QUIB_VCLOCK_NODISP

// Runs this program again with extra environment and one argument; its standard output.
std::string child(std::string const& env, char const* arg) {
  char self[4096] = {};
  EXPECT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
  std::string cmd = "env " + env + " '" + self + "' " + arg + " 2>&1";
  FILE* p = popen(cmd.c_str(), "r");
  std::string out;
  char buf[512];
  while (p && fgets(buf, sizeof buf, p)) out += buf;
  if (p) pclose(p);
  return out;
}

// A sound's position and state as the game reads them every pass.
struct seen {
  double pos;
  long sit;
};
seen look(unsigned long h) { return {GetAudioPos15(h), GetAudioSit13(h)}; }

TEST(SoundVirtualClock, WholeSoundsMoveOnlyWithTheClockAndLoopAndEndOnTime) {
  CaptureStderr();
  EXPECT_FALSE(InitAudio1());  // silent, though the null backend is there
  unsigned long plain = LoadAudio3(wav("plain.wav", 1.0).c_str());
  unsigned long loop = LoadAudio4(wav("loop.wav", 1.0).c_str(), 1);
  EXPECT_EQ(GetCapturedStderr(), "");  // the virtual clock is no failure: nothing said
  ASSERT_NE(plain, 0u);
  ASSERT_NE(loop, 0u);
  PlayAudio8(plain);
  PlayAudio8(loop);
  EXPECT_EQ(GetAudioPos15(plain), 0.0);
  wait(0.1);  // real time passing moves nothing
  EXPECT_EQ(GetAudioPos15(plain), 0.0);
  Delay28(500);
  for (unsigned long h : {plain, loop}) {
    seen s = look(h);
    EXPECT_NEAR(s.pos, 0.5, frame) << h;
    EXPECT_EQ(s.sit, 1) << h;
  }
  Delay28(400);
  Delay28(500);  // 1.4 s: the plain sound ended at its length, the loop wrapped
  seen p = look(plain), l = look(loop);
  EXPECT_EQ(p.sit, 0);
  EXPECT_DOUBLE_EQ(p.pos, 1.0);
  EXPECT_EQ(l.sit, 1);
  EXPECT_NEAR(l.pos, 0.4, frame);

  // A rate change takes effect at the virtual time it is made, not at the next look.
  SetAudioSpd24(loop, 2);
  Delay28(100);
  SetAudioSpd24(loop, 1);
  Delay28(100);
  EXPECT_NEAR(GetAudioPos15(loop), 0.7, 2 * frame);

  // A pause holds through any wait; a resume plays on from the paused frame.
  EXPECT_EQ(PauseAudio10(loop), 1u);
  double held = GetAudioPos15(loop);
  Delay28(5000);
  EXPECT_EQ(GetAudioPos15(loop), held);
  EXPECT_EQ(SetAudioSit21(loop, 1), 1u);
  Delay28(200);
  EXPECT_NEAR(GetAudioPos15(loop), held + 0.2, 2 * frame);

  // A seek of the ended sound plays it again from there, and it ends on time once more.
  SetAudioPos22(plain, 0.75f);
  Delay28(200);
  EXPECT_NEAR(GetAudioPos15(plain), 0.95, frame);
  EXPECT_EQ(GetAudioSit13(plain), 1);
  Delay28(60);
  EXPECT_EQ(GetAudioSit13(plain), 0);
  FreeAudio7(plain);
  FreeAudio7(loop);
}

// A stream is fed between mixes, so a wait longer than its whole queue loses nothing.
TEST(SoundVirtualClock, StreamsAreFedAsTheClockJumpsAndLoopAndEndOnTime) {
  InitAudio1();
  std::string twelve = wav("long.wav", 12.0);
  unsigned long loop = LoadAudio4(twelve.c_str(), 1), plain = LoadAudio3(twelve.c_str());
  ASSERT_NE(loop, 0u);
  ASSERT_NE(plain, 0u);
  PlayAudio8(loop);
  Delay28(3000);  // nearly three times the queue
  EXPECT_NEAR(GetAudioPos15(loop), 3.0, frame);
  Delay28(9500);
  seen l = look(loop);
  EXPECT_NEAR(l.pos, 0.5, frame);  // 12.5 s: round the end of the file
  EXPECT_EQ(l.sit, 1);

  PlayAudio9(plain, 11.5f);
  SetAudioFrq26(plain, 12);  // twice as fast
  Delay28(200);
  EXPECT_NEAR(GetAudioPos15(plain), 11.9, 2 * frame);
  Delay28(100);
  seen p = look(plain);
  EXPECT_EQ(p.sit, 0);
  EXPECT_DOUBLE_EQ(p.pos, 12.0);

  // An hour of virtual time is not mixed: the loop is moved on by its rate, at once; a
  // rate change made as the first call after it counts only from then.
  double before = GetAudioPos15(loop);
  auto t0 = std::chrono::steady_clock::now();
  Delay28(3600 * 1000 + 250);
  SetAudioSpd24(loop, 2);
  double after = GetAudioPos15(loop);
  EXPECT_LT(since(t0), 1.0);
  EXPECT_NEAR(after, std::fmod(before + 3600.25, 12.0), 1e-6);
  EXPECT_EQ(GetAudioSit13(loop), 1);
  Delay28(100);
  EXPECT_NEAR(GetAudioPos15(loop), after + 0.2, 2 * frame);
  FreeAudio7(loop);
  FreeAudio7(plain);
}

// The same program, run twice in fresh processes, sees the same numbers to the last bit.
TEST(SoundVirtualClock, TheSameCallsAtTheSameTimesGiveTheSameNumbersEveryRun) {
  std::string first = child("DISP_CLOCK=virtual", "--trace");
  std::string second = child("DISP_CLOCK=virtual", "--trace");
  EXPECT_EQ(first, second);
  // At 0.5, 1.0 and 1.4 s: the plain sound ends at 1.0, the loop wraps, the stream at rate 1.5.
  std::map<std::string, std::vector<double>> want = {
      {"0.5", {0.5, 1, 0.5, 1, 0.75, 1}},
      {"1", {1.0, 0, 0.0, 1, 1.5, 1}},
      {"1.4", {1.0, 0, 0.4, 1, 2.1, 1}},
      {"17.741", {1.0, 0, 0.741, 1, std::fmod(17.741 * 1.5, 12.0), 1}},
  };
  std::istringstream in(first);
  for (std::string t; in >> t;) {
    std::vector<double> got(6);
    for (double& x : got) in >> x;
    if (!want.count(t)) continue;
    for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[t][i], frame) << t << " " << i;
    want.erase(t);
  }
  EXPECT_TRUE(want.empty()) << first;
}

// Without the switch every sound keeps real time, with the device the backend gives.
TEST(SoundVirtualClock, TheRealClockStillKeepsWallTime) {
  std::string out = child("DISP_CLOCK=real", "--real");
  double pos = -1, wall = -1;
  int heard = -1;
  ASSERT_EQ(sscanf(out.c_str(), "%d %lf %lf", &heard, &pos, &wall), 3) << out;
  EXPECT_EQ(heard, 1);
  expecttime(pos, wall, 1.0);
}

// Positions at set virtual times, printed to the bit: what the determinism test compares.
void trace() {
  InitAudio1();
  unsigned long plain = LoadAudio3(wav("plain.wav", 1.0).c_str());
  unsigned long loop = LoadAudio4(wav("loop.wav", 1.0).c_str(), 1);
  unsigned long stream = LoadAudio4(wav("long.wav", 12.0).c_str(), 1);
  SetAudioSpd24(stream, 1.5f);
  for (unsigned long h : {plain, loop, stream}) PlayAudio8(h);
  long t = 0;
  for (long step : {500, 500, 400, 1234, 7, 3000, 12100}) {
    Delay28(step);
    t += step;
    printf("%g", t / 1000.0);
    for (unsigned long h : {plain, loop, stream})
      printf(" %.17g %ld", GetAudioPos15(h), GetAudioSit13(h));
    printf("\n");
  }
}

void realclock() {
  bool heard = InitAudio1();
  unsigned long h = LoadAudio4(wav("loop.wav", 1.0).c_str(), 1);
  PlayAudio8(h);
  auto t0 = std::chrono::steady_clock::now();
  Delay28(300);
  double pos = GetAudioPos15(h);
  printf("%d %.6f %.6f\n", heard, pos, since(t0));
}

#else

// Without libdisp in the program there is no virtual clock to follow: one line, then real time.
TEST(SoundVirtualClockWithoutDisp, SaysSoOnceAndKeepsRealTime) {
  setenv("DISP_CLOCK", "Virtual", 1);
  CaptureStderr();
  EXPECT_TRUE(InitAudio1());  // the null backend's device, as without the switch
  unsigned long h = LoadAudio4(wav("loop.wav", 1.0).c_str(), 1);
  std::string err = GetCapturedStderr();
  EXPECT_EQ(err,
            "sound: DISP_CLOCK=virtual, but libdisp is not in this program; sounds keep the real "
            "clock\n");
  PlayAudio8(h);
  auto t0 = std::chrono::steady_clock::now();
  wait(0.3);
  expecttime(GetAudioPos15(h), since(t0), 1.0);
}

#endif

}  // namespace

int main(int argc, char** argv) {
  setenv("ALSOFT_DRIVERS", "null", 0);  // a device is there: the virtual clock leaves it be
#ifndef QUIB_VCLOCK_NODISP
  setenv("DISP_HEADLESS", "1", 1);
  if (argc == 2 && !strcmp(argv[1], "--trace")) return trace(), 0;
  if (argc == 2 && !strcmp(argv[1], "--real")) return realclock(), 0;
  setenv("DISP_CLOCK", "virtual", 1);
#endif
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
