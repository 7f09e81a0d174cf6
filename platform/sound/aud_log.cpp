// SOUND_LOG, one line per call that changes a loaded sound, and the one way our output
// files (this log and the latency log) are opened and closed.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstring>

#include "platform/sound/aud_internal.h"

void aud_logopen() {
  if (char const* file = aud_cfgtext("SOUND_LOG")) {
    aud.logpath = file;
    aud.log = aud_openout("SOUND_LOG", file);
  }
}

void aud_logf(char const* fmt, ...) {
  if (!aud.log) return;
  va_list ap;
  va_start(ap, fmt);
  bool ok = vfprintf(aud.log, fmt, ap) >= 0;
  va_end(ap);
  ok = fputc('\n', aud.log) != EOF && ok;
  ok = fflush(aud.log) == 0 && ok;  // a killed process still leaves every line it made
  if (!ok) aud_closeout(aud.log, "SOUND_LOG", aud.logpath, false);
}

FILE* aud_openout(char const* what, char const* path) {
  // Non-blocking, so a FIFO nobody reads is refused at once instead of waiting for one.
  int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644);
  struct stat st {};
  std::string why;
  if (fd < 0)
    why = errno == ENXIO ? "not a regular file" : strerror(errno);
  else if (fstat(fd, &st) != 0)
    why = strerror(errno);
  else if (!S_ISREG(st.st_mode))
    why = "not a regular file";
  if (why.empty() && fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0)
    if (FILE* f = fdopen(fd, "a")) return f;
  if (why.empty()) why = strerror(errno);
  if (fd >= 0) close(fd);
  aud_say("sound: cannot open %s \"%s\": %s", what, aud_quote(path).c_str(), why.c_str());
  return nullptr;
}

void aud_closeout(FILE*& f, char const* what, std::string const& path, bool ok) {
  if (!f) return;
  int err = ok ? 0 : errno;
  if (ferror(f) && !err) err = EIO;
  if (fclose(f) != 0 && !err) err = errno;
  f = nullptr;
  if (err)
    aud_say("sound: cannot write %s \"%s\": %s; it stops there", what,
            aud_quote(path.c_str()).c_str(), strerror(err));
}
