// Every file libdisp writes (DISP_STATS, DISP_SHOT, DISP_KEYLOG, SaveBMP198) is opened and
// written here, one way: regular or new files only, the open never waits, and every write
// and the close are checked, so a failure is told instead of leaving a short file behind.
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/disp/internal.h"

namespace {

void dsp_outerror(dsp_out& o, char const* why) {
  if (o.why.empty()) o.why = why;
}

void dsp_outerrno(dsp_out& o, int err) {
  char buf[128];
  dsp_outerror(o, strerror_r(err ? err : EIO, buf, sizeof buf));
}

cairo_status_t dsp_pngchunk(void* closure, unsigned char const* data, unsigned int n) {
  return dsp_writeout(*static_cast<dsp_out*>(closure), data, n) ? CAIRO_STATUS_SUCCESS
                                                                : CAIRO_STATUS_WRITE_ERROR;
}

}  // namespace

// Opening a FIFO that nobody reads would wait for a reader for ever, and one that somebody
// reads, or a device, would take the game's output somewhere it cannot be kept: the open
// does not block (a FIFO without a reader fails at once, ENXIO), and anything but a
// regular file is then refused. Writes block as usual.
bool dsp_openout(dsp_out& o, char const* path, bool append) {
  o = dsp_out{};
  o.path = path ? path : "";
  if (!path || !*path) {
    dsp_outerror(o, "no file name");
    return false;
  }
  // No O_TRUNC here: the file is cut only once it has proved regular.
  o.fd = open(
      path, O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (append ? O_APPEND : 0), 0666);
  if (o.fd < 0) {
    if (errno == ENXIO)  // a FIFO without a reader, or a device without its hardware
      dsp_outerror(o, "not a regular file");
    dsp_outerrno(o, errno);
    return false;
  }
  struct stat st;
  if (fstat(o.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    dsp_outerror(o, "not a regular file");
    close(o.fd);
    o.fd = -1;
    return false;
  }
  int const flags = fcntl(o.fd, F_GETFL);
  if (flags < 0 || fcntl(o.fd, F_SETFL, flags & ~O_NONBLOCK) != 0 ||
      (!append && ftruncate(o.fd, 0) != 0)) {
    dsp_outerrno(o, errno);
    close(o.fd);
    o.fd = -1;
    return false;
  }
  o.made = true;
  return true;
}

bool dsp_writeout(dsp_out& o, void const* data, size_t n) {
  if (o.fd < 0 || !o.why.empty()) return false;
  auto const* p = static_cast<unsigned char const*>(data);
  while (n > 0) {
    ssize_t w = write(o.fd, p, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {  // 0 bytes taken would never end: a full device says so this way too
      dsp_outerrno(o, w < 0 ? errno : ENOSPC);
      return false;
    }
    p += w, n -= size_t(w);
  }
  return true;
}

bool dsp_closeout(dsp_out& o) {
  if (o.fd >= 0) {
    // A delayed write error (NFS, quota) shows only at the close.
    if (close(o.fd) != 0) dsp_outerrno(o, errno);
    o.fd = -1;
  }
  return o.why.empty();
}

bool dsp_outfail(dsp_out& o, char const* who, char const* entry, bool removeit) {
  if (o.fd >= 0) close(o.fd), o.fd = -1;
  // A half-written picture is worse than none: it looks like a result.
  if (removeit && o.made) unlink(o.path.c_str());
  std::string const text = std::string(entry ? entry : who) + ": cannot write " +
                           dsp_quoted(o.path.c_str()) + ": " + o.why;
  // A switch's file (DISP_SHOT, DISP_STATS) is told under the switch's name; an entry's under
  // the entry's, in the words of its error text.
  if (!entry || std::strncmp(who, "DISP_", 5) == 0)
    dsp_warn("%s: cannot write %s: %s", who, dsp_quote(o.path).c_str(), o.why.c_str());
  else
    dsp_warn("%s", text.c_str());
  if (!entry) return false;  // at exit: no entry to tell, and the error state is gone
  dsp_seterror(dsp_efile, text.c_str());
  return false;
}

bool dsp_writepng(cairo_surface_t* picture, char const* path, char const* who) {
  dsp_out o;
  if (!dsp_openout(o, path, false)) return dsp_outfail(o, who, "freshwin", false);
  cairo_status_t const st = cairo_surface_write_to_png_stream(picture, dsp_pngchunk, &o);
  if (st != CAIRO_STATUS_SUCCESS) dsp_outerror(o, cairo_status_to_string(st));
  if (!dsp_closeout(o)) return dsp_outfail(o, who, "freshwin", true);
  return true;
}
