// SOUND_LOG, one line per call that changes a loaded sound, and the one way our output
// files (this log and the latency log) are opened and closed; libpulse's own lines on
// stderr turned into ours.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstring>
#include <future>
#include <mutex>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

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

// ---- libpulse's own lines ------------------------------------------------------------
// Where it cannot make its folders or find its cookie (a read-only HOME, an XDG_RUNTIME_DIR
// that names a missing folder) libpulse prints "Failed to create secure directory (...)"
// and "Failed to load cookie file from ..." on stderr, outside our one-line policy, from
// every client that is set up: our probe and stream,
// OpenAL Soft's PulseAudio backend, and ALSA's pulse plugin (its configuration hook asks
// PulseAudio whether it runs whenever OpenAL Soft's ALSA backend opens a device). While a
// catch lives, stderr goes to a memory file that a thread of ours reads as it fills: every
// line but libpulse's goes on to the real stderr within milliseconds, so a catch held over
// an open that waits on a stuck server holds nobody's lines back; libpulse's become ours,
// each said once, by whoever ends the last catch. Catches on several threads share one
// stretch: the first in sets it up, the last out puts stderr back. None is made while
// another of our stderr catches runs (a decoder's): nothing ever waits for one.

namespace {

// How libpulse's lines start (its client's errors, the only level it prints unasked).
constexpr std::string_view aud_palines[] = {"Failed to create secure directory",
                                            "Failed to load cookie file"};
constexpr auto aud_tapevery = std::chrono::milliseconds(5);

// One stretch of stderr in the memory file, and the thread that reads it.
struct aud_tap {
  int file = -1, saved = -1;  // the memory file; the real stderr
  std::thread reader;
  std::atomic<bool> over{false};
  std::vector<std::string> caught;  // libpulse's lines, the reader's until it is joined
};

std::mutex& aud_tapmx() {
  static auto* mx = new std::mutex;  // never destroyed: a catch may come at exit
  return *mx;
}
aud_tap* aud_tapon = nullptr;  // the stretch now, under aud_tapmx
int aud_tapusers = 0;

void aud_tapwrite(int fd, std::string const& text) {
  for (size_t done = 0; done < text.size();) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // stderr itself is gone: nowhere left to say so
    done += size_t(n);
  }
}

bool aud_paline(std::string const& line) {
  for (std::string_view start : aud_palines)
    if (line.find(start) != std::string::npos) return true;
  return false;
}

// Whether text may still grow into one of libpulse's lines.
bool aud_pastart(std::string const& text) {
  for (std::string_view start : aud_palines) {
    size_t n = std::min(text.size(), start.size());
    if (text.compare(0, n, start.substr(0, n)) == 0) return true;
  }
  return false;
}

// Sorts what was written since the last look: whole lines, and a started one that cannot
// be the beginning of libpulse's, go on at once; libpulse's are kept; the rest waits for
// its end (or for the stretch to end).
void aud_tapsort(aud_tap& t, std::string& pending, bool last) {
  std::string on;
  size_t a = 0;
  for (size_t e; (e = pending.find('\n', a)) != std::string::npos; a = e + 1) {
    std::string line = pending.substr(a, e + 1 - a);
    if (aud_paline(line))
      t.caught.push_back(std::move(line));
    else
      on += line;
  }
  pending.erase(0, a);
  if (last || !aud_pastart(pending)) {
    if (last && aud_paline(pending))
      t.caught.push_back(std::move(pending));
    else
      on += pending;
    pending.clear();
  }
  aud_tapwrite(t.saved, on);
}

// The reader: holds our stderr claim (taken and let go on this thread, as a mutex must
// be), says whether it got it, then follows the memory file until the stretch is over.
void aud_taprun(aud_tap* t, std::promise<bool> claimed) {
  if (!aud_stderrmx().try_lock()) return claimed.set_value(false);
  claimed.set_value(true);
  std::string pending;
  off_t at = 0;
  char buf[4096];
  for (bool last = false;;) {
    last = t->over.load();  // what was written before the stretch ended is read after
    for (ssize_t n; (n = pread(t->file, buf, sizeof buf, at)) > 0; at += n)
      pending.append(buf, size_t(n));
    aud_tapsort(*t, pending, last);
    if (last) break;
    std::this_thread::sleep_for(aud_tapevery);
  }
  aud_stderrmx().unlock();
}

// A new stretch: null (stderr as it was) when none can be made or another catch runs.
aud_tap* aud_tapstart() {
  auto* t = new aud_tap;
  t->file = memfd_create("quib-libpulse-lines", MFD_CLOEXEC);
  std::promise<bool> claim;
  std::future<bool> claimed = claim.get_future();
  if (t->file >= 0) t->reader = std::thread(aud_taprun, t, std::move(claim));
  if (t->reader.joinable() && claimed.get()) {
    fflush(stderr);
    t->saved = fcntl(2, F_DUPFD_CLOEXEC, 3);
    if (t->saved >= 0 && dup2(t->file, 2) >= 0) return t;
  }
  t->over = true;
  if (t->reader.joinable()) t->reader.join();
  if (t->saved >= 0) close(t->saved);
  if (t->file >= 0) close(t->file);
  delete t;
  return nullptr;
}

// stderr back and the last of the stretch read; libpulse's lines, to be said as ours.
std::vector<std::string> aud_tapend(aud_tap* t) {
  fflush(stderr);
  dup2(t->saved, 2);
  t->over = true;
  t->reader.join();
  close(t->saved);
  close(t->file);  // a child that inherited it may still write there: it goes nowhere
  std::vector<std::string> lines = std::move(t->caught);
  delete t;
  return lines;
}

}  // namespace

std::mutex& aud_stderrmx() {
  static auto* mx = new std::mutex;  // never destroyed: a catch may come at exit
  return *mx;
}

aud_pacatch::aud_pacatch() {
  if (!aud.quiet) return;
  std::lock_guard<std::mutex> g(aud_tapmx());
  if (!aud_tapon) aud_tapon = aud_tapstart();
  if (!aud_tapon) return;
  ++aud_tapusers;
  on = true;
}

// The stretch ends under the lock, so that a catch made next finds our claim let go; the
// lines are said after it, as a log hook may set a client up again.
aud_pacatch::~aud_pacatch() {
  if (!on) return;
  std::vector<std::string> lines;
  {
    std::lock_guard<std::mutex> g(aud_tapmx());
    if (--aud_tapusers == 0) lines = aud_tapend(std::exchange(aud_tapon, nullptr));
  }
  for (std::string& line : lines) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    aud_warn(line.c_str(), "sound: PulseAudio's client library: %s",
             aud_quote(line.c_str()).c_str());
  }
}
