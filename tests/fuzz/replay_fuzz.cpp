// Feeds arbitrary bytes to the game as a recording: the parser either refuses it with one
// short line, or the replay runs it through the game's own steps, keys and frames to its
// end. Every input must end, however many steps it claims.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "facade/facade.h"
#include "facade/random.h"
#include "game/loop.h"
#include "game/replay.h"
#include "game/state.h"
#include "game/stats.h"

namespace {

std::string file;  // one scratch file per fuzzing process, rewritten for every input

bool put(uint8_t const* data, size_t size) {
  int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = write(fd, data, size) == ssize_t(size);
  close(fd);
  return ok;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("DISP_HEADLESS", "1", 1);
  setenv("DISP_CLOCK", "virtual", 1);
  setenv("DISP_SIZE", "80x60", 1);
  char const* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : getenv("TMPDIR");
  file = std::string(dir ? dir : "/tmp") + "/replayfuzz." + std::to_string(getpid());
  atexit([] { unlink(file.c_str()); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  if (!put(data, size)) return 0;
  // What the player would read: one short line, never the input itself at length.
  std::string why = checkrecording(file.c_str());
  if (why.find('\n') != std::string::npos || why.size() > 200) abort();
  if (!startreplay(file.c_str())) {
    stopreplay();
    return 0;
  }
  // The start-up of a replayed run without its sounds (handle 0 plays nothing); a
  // recorded Esc closes the window, so each input opens its own.
  resetstats();
  randomize();
  if (!iswin()) initwin();
  initreplay();
  initgame();
  // The steps as the main loop runs them, without its pacing: the recording alone must
  // bound them.
  while (feedreplay()) runstep();
  if (!isplayedout()) abort();
  stopreplay();
  return 0;
}
