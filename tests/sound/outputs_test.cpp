// The table of outputs, with made-up real outputs in it: the first that is here is chosen,
// the silent stand-in plays while none is, and every sound moves between them (state,
// position, pause) when one comes, goes or comes back; the log says each move once.
#include <AL/alext.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "platform/sound/aud_internal.h"
#include "platform/sound/sound.h"
#include "tests/sound/testfiles.h"

using namespace soundtest;

namespace {

// A made-up real output: an OpenAL Soft loopback device nobody mixes, here or gone as the
// test says; it counts what was asked of it.
struct fake {
  aud_output const* row = nullptr;
  std::atomic<bool> here{false}, gone{false};
  std::atomic<int> opened{0}, closed{0};
};
fake first, second;

template <fake& f>
bool fakeopen(aud_device& d, std::string& why, bool) {
  if (!f.here) return why = &f == &first ? "first: not here" : "second: not here", false;
  auto open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
      alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
  ALCdevice* dev = open(nullptr);
  ALCint attrs[] = {ALC_FORMAT_CHANNELS_SOFT,
                    ALC_STEREO_SOFT,
                    ALC_FORMAT_TYPE_SOFT,
                    ALC_SHORT_SOFT,
                    ALC_FREQUENCY,
                    44100,
                    0};
  ALCcontext* ctx = alcCreateContext(dev, attrs);
  f.gone = false;
  ++f.opened;
  d = {f.row, dev, ctx, &f};
  return true;
}
void fakeclose(aud_device& d) {
  ++static_cast<fake*>(d.own)->closed;
  alcDestroyContext(d.ctx);
  alcCloseDevice(d.dev);
  d = {};
}
bool fakegone(aud_device const& d) { return static_cast<fake*>(d.own)->gone; }
long long fakelatency(aud_device const&) { return 4242; }
int fakemissed(aud_device const&) { return 0; }

aud_output const firstout = {"first",  true,        fakeopen<first>, fakeclose,
                             fakegone, fakelatency, fakemissed};
aud_output const secondout = {"second", true,        fakeopen<second>, fakeclose,
                              fakegone, fakelatency, fakemissed};

std::mutex linesmx;
std::vector<std::string> lines;
void keep(void*, char const* line) {
  std::lock_guard lk(linesmx);
  lines.push_back(line);
}
std::string said() {
  std::lock_guard lk(linesmx);
  std::string all;
  for (auto& l : lines) all += l + "\n";
  lines.clear();
  return all;
}

// The output in use, read under the library's lock.
std::string now() {
  std::lock_guard lk(aud.mx);
  return aud.device.out ? aud.device.out->name : "none";
}

// Asks (as a main loop does) until the output named is in use, for up to 3 s.
bool becomes(char const* name, unsigned long h) {
  for (int i = 0; i < 300; ++i) {
    GetAudioSit13(h);
    if (now() == name) return true;
    wait(0.01);
  }
  return false;
}

TEST(SoundOutputs, TheFirstOutputHereIsChosenAndSoundsMoveBetweenOutputs) {
  sound_setlog(keep, nullptr);
  EXPECT_FALSE(InitAudio1());
  EXPECT_EQ(now(), "silent");
  EXPECT_EQ(said(), "sound: no audio device (second: not here); sounds play silently\n")
      << "the last reason given";
  unsigned long music = LoadAudio4(wav("loop.wav", 4).c_str(), 1);
  unsigned long held = LoadAudio3(wav("held.wav", 4).c_str());
  ASSERT_TRUE(music && held);
  PlayAudio9(music, 1.0f);
  PlayAudio9(held, 2.0f);
  PauseAudio10(held);

  // Each step: what changes, the output in use then, the line said.
  struct step {
    char const* what;
    void (*change)();
    char const* output;
    char const* line;
  } const steps[] = {
      {"the second comes", [] { second.here = true; }, "second",
       "sound: an audio device opened; sounds are heard from now on\n"},
      {"it goes", [] { second.gone = true, second.here = false; }, "silent",
       "sound: the audio device was lost; sounds play on silently\n"},
      {"both come: the first in the table wins", [] { first.here = second.here = true; }, "first",
       "sound: the audio device is back\n"},
  };
  for (step const& s : steps) {
    SCOPED_TRACE(s.what);
    double before = GetAudioPos15(music);
    s.change();
    ASSERT_TRUE(becomes(s.output, music)) << now();
    EXPECT_EQ(said(), s.line);
    EXPECT_EQ(GetAudioSit13(music), 1) << "the music plays on";
    EXPECT_GE(GetAudioPos15(music), before - 0.01) << "from where it was";
    EXPECT_EQ(GetAudioSit13(held), 2) << "the paused sound stays paused";
    EXPECT_NEAR(GetAudioPos15(held), 2.0, 0.01) << "where it was paused";
  }
  EXPECT_EQ(second.opened, 1);
  EXPECT_EQ(second.closed, 1) << "the lost output is closed";
  EXPECT_EQ(first.opened, 1);
}

}  // namespace

int main(int argc, char** argv) {
  first.row = &firstout;
  second.row = &secondout;
  aud_reals = {&firstout, &secondout};
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
