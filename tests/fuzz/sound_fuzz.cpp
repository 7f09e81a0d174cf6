// Feeds arbitrary bytes to libsound's loader as a sound file; whatever loads is played,
// sought, paused, reloaded as a loop and freed, so nothing piles up across runs.
// Runs on OpenAL Soft's null backend: no sound card needed.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/sound/sound.h"

namespace {

std::string file;  // one scratch file per fuzzing process, rewritten for every input

bool put(uint8_t const* data, size_t size) {
  int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = write(fd, data, size) == ssize_t(size);
  close(fd);
  return ok;
}

// Everything a game could do with a sound it just loaded, at points in and beyond it.
void exercise(unsigned long h) {
  double len = GetAudioLen14(h);
  PlayAudio8(h);
  GetAudioPos15(h);
  SetAudioFrq26(h, 48);
  SetAudioPos22(h, float(len / 2));
  GetAudioPos15(h);
  PauseAudio10(h);
  SetAudioSit21(h, 1);
  PlayAudio9(h, float(len));
  GetAudioSit13(h);
  GetAudioPos15(h);
  StopAudio11(h);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("ALSOFT_DRIVERS", "null", 1);
  char const* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : getenv("TMPDIR");
  file = std::string(dir ? dir : "/tmp") + "/soundfuzz." + std::to_string(getpid());
  atexit([] { unlink(file.c_str()); });
  InitAudio1();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  if (!put(data, size)) return 0;
  unsigned long h = LoadAudio3(file.c_str());
  if (!h) return 0;
  exercise(h);
  if (LoadAudio6(h, file.c_str(), true) == h) exercise(h);  // the looping paths
  FreeAudio7(h);
  return 0;
}
