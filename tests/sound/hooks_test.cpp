// A program's hooks may call back into libsound: an error watcher or a log hook that asks
// a sound's state, loads, or fails once more is told each failure and line, in order, and
// never finds the library's lock held (it used to wait on it for ever).
#include <cstring>

#include "platform/sound/sound.h"
#include "tests/sound/testfiles.h"

using namespace soundtest;

namespace {

unsigned long sound = 0;

// Hooks that print what they are told and call entries back, one of them failing again.
void watcher(void*, unsigned long code, char const* text) {
  printf("watch %lu %s sit=%ld\n", code, text, GetAudioSit13(sound));
  PlayAudio8(99999);  // fails inside the watcher: recorded, not told again
  printf("  again %lu\n", sound_geterror());
}
void logger(void*, char const* line) {
  printf("log %s new=%d\n", line, NewAudio2() != 0);
  LoadAudio3("/no/such/inner.wav");  // its line goes to stderr, not back here
}

// Child: one case, with the hooks set, printing what they were told.
int hookchild(char const* which) {
  sound_seterrorwatch(watcher, nullptr);
  sound_setlog(logger, nullptr);
  InitAudio1();
  sound = LoadAudio3(wav("hook.wav", 1).c_str());
  if (!strcmp(which, "badhandle")) PlayAudio8(12345);
  if (!strcmp(which, "missing")) LoadAudio3("/no/such/file.wav");
  if (!strcmp(which, "badnumber")) SetAudioVol23(sound, NAN);
  printf("done\n");
  return 0;
}

// The child's output (and its stderr, with stderr true) for one case.
std::string hookrun(std::string const& env, char const* which, bool stderrtoo = false) {
  char self[4096] = {};
  EXPECT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
  std::string cmd = "env " + env + " timeout 10 '" + std::string(self) + "' --hooks " + which +
                    (stderrtoo ? " 2>&1" : " 2>/dev/null") + "; echo \"exit $?\"";
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  char buf[512];
  while (p && fgets(buf, sizeof buf, p)) out += buf;
  if (p) pclose(p);
  return out.find("exit 124") != std::string::npos ? "hung:\n" + out : out;
}

TEST(SoundHooks, AHookMayCallAnyEntryFailingOnesIncluded) {
  struct {
    char const* env;
    char const* which;
    char const* want;  // the child's whole output
  } const cases[] = {
      {"ALSOFT_DRIVERS=null", "badhandle",
       "watch 2 playaudio: 12345 is not a sound handle (freed, or never made) sit=0\n"
       "  again 2\ndone\nexit 0\n"},
      {"ALSOFT_DRIVERS=null", "badnumber",
       "watch 2 setaudiovol: volume nan is not a usable value sit=0\n  again 2\ndone\nexit 0\n"},
      // A failed load is a line and a failure, each told once the lock is let go.
      {"ALSOFT_DRIVERS=null", "missing",
       "log sound: loadaudio: cannot load \"/no/such/file.wav\": No such file or directory "
       "new=1\nwatch 3 loadaudio: cannot load \"/no/such/file.wav\": No such file or directory "
       "sit=0\n  again 2\n"},
      // No device: the line is said under the lock, inside the first entry.
      {"ALSOFT_DRIVERS=no-such-backend", "none", "log sound: no audio device ("},
  };
  for (auto const& c : cases) {
    std::string out = hookrun(c.env, c.which);
    EXPECT_EQ(out.rfind(c.want, 0), 0u) << c.which << ":\n" << out;
    EXPECT_NE(out.find("done\nexit 0\n"), std::string::npos) << c.which << ":\n" << out;
  }
}

// libpulse's own lines about folders it cannot make (here a runtime folder that cannot be)
// come through the log hook, one line of ours, and never straight to stderr.
TEST(SoundHooks, LibpulsesFolderLinesComeThroughTheLogHook) {
  std::string out =
      hookrun("-u PULSE_SERVER ALSOFT_DRIVERS=pulse XDG_RUNTIME_DIR=/proc/none", "none", true);
  EXPECT_NE(out.find("log sound: PulseAudio's client library: Failed to create secure "
                     "directory (/proc/none/pulse): "),
            std::string::npos)
      << out;
  EXPECT_EQ(out.find("\nFailed to create"), std::string::npos) << out;
  EXPECT_NE(out.rfind("Failed to create", 0), 0u) << out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && !strcmp(argv[1], "--hooks")) return hookchild(argv[2]);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
