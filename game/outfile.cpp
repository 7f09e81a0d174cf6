// Output files. Nothing the game writes may hang it or fail in silence: a FIFO, a device
// or a directory is refused at open, and a full disk is reported by name.
#include "game/outfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "game/config.h"

namespace {

bool lost = false;

}  // namespace

std::FILE* openoutput(char const* path, std::string& why) {
  // O_NONBLOCK only so that the open itself cannot wait for a FIFO's reader.
  int fd = open(path, O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
  struct stat st {};
  if (fd < 0) {
    int err = errno;
    // A FIFO without a reader fails with "No such device or address": say what it is.
    bool special = stat(path, &st) == 0 && !S_ISREG(st.st_mode);
    why = special ? "not a regular file" : std::strerror(err);
    return nullptr;
  }
  int flags = fcntl(fd, F_GETFL);
  char const* bad = nullptr;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    bad = "not a regular file";
  } else if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 || ftruncate(fd, 0) != 0) {
    bad = std::strerror(errno);
  }
  std::FILE* f = bad == nullptr ? fdopen(fd, "w") : nullptr;
  if (f == nullptr) {
    why = bad != nullptr ? bad : std::strerror(errno);
    close(fd);
  }
  return f;
}

void outputfailed(char const* what, char const* path, char const* why) {
  std::fprintf(stderr, "quib: cannot write %s to %s: %s\n", what, quoted(path, 200).c_str(), why);
  lost = true;
}

bool closeoutput(std::FILE* f, char const* what, char const* path) {
  bool ok = std::fflush(f) == 0 && std::ferror(f) == 0;
  int err = ok ? 0 : errno;
  if (std::fclose(f) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (!ok) outputfailed(what, path, err != 0 ? std::strerror(err) : "write error");
  return ok;
}

bool isoutputlost() { return lost; }
void markoutputlost() { lost = true; }

void keepstdfds() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
    // The lowest free descriptor is this one, as the ones below it are open.
    int got = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (got >= 0 && got != fd) {
      dup2(got, fd);
      close(got);
    }
  }
}

bool flushstdout() {
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return true;
  std::fprintf(stderr, "quib: cannot write to standard output: %s\n", std::strerror(errno));
  return false;
}
