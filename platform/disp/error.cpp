// The library's last error, kept per thread like errno: its code (GetError38) and the one
// line of text that tells what failed and in which entry (disp_errortext); and the watcher
// that is told of each failure (the facade's one channel for both libraries).
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

#include "platform/disp/internal.h"

namespace {

thread_local unsigned dsp_lasterror = dsp_enone;
// The text stays after GetError38 has cleared the code, so that `if (geterror())` followed
// by geterrortext() still tells what failed; the next failure replaces it.
thread_local std::string dsp_lasttext;
// Whether the watcher was last told of a failure (so a success has something to clear),
// and how many failures this thread has had.
thread_local bool dsp_watchdirty = false;
thread_local unsigned long dsp_failcount = 0;

struct dsp_errorwatch {
  std::mutex lock;
  qe_ef fn = nullptr;
  void* user = nullptr;
};
dsp_errorwatch& dsp_watch() {
  static auto* w = new dsp_errorwatch;  // never destroyed: failures may come at exit
  return *w;
}

void dsp_tellwatcher(unsigned long code, char const* text) {
  dsp_errorwatch& w = dsp_watch();
  qe_ef fn;
  void* user;
  {
    std::lock_guard<std::mutex> hold(w.lock);
    fn = w.fn, user = w.user;
  }
  dsp_watchdirty = code != 0;
  if (fn) fn(user, code, text);
}

char const* dsp_errorline(unsigned code) {
  switch (code) {
    case dsp_enowindow:
      return "no window is open";
    case dsp_earg:
      return "bad argument";
    case dsp_efile:
      return "file error";
    case dsp_enomem:
      return "out of memory";
    case dsp_eunsupported:
      return "not supported";
    case dsp_edevice:
      return "device unavailable";
    default:
      return "";
  }
}

}  // namespace

// A text may carry what the caller or the system gave (a DISPLAY value, SDL's words): its
// control bytes and bytes that are not UTF-8 are escaped here, as in warnings, so a program
// may print it as it comes.
constexpr size_t dsp_errortextmax = 1024;

void dsp_seterror(unsigned code, char const* text) {
  dsp_lasterror = code;
  ++dsp_failcount;
  dsp_lasttext = text ? dsp_quote(text, dsp_errortextmax) : dsp_errorline(code);
  dsp_tellwatcher(code, dsp_lasttext.c_str());
}

std::string dsp_callname(char const* entry) {
  std::string name = entry ? entry : "";
  if (name.rfind("disp_", 0) == 0) return name.substr(5);
  while (!name.empty() && isdigit(static_cast<unsigned char>(name.back()))) name.pop_back();
  for (char& c : name) c = char(tolower(static_cast<unsigned char>(c)));
  return name;
}

void dsp_fail(unsigned code, char const* entry, char const* fmt, ...) {
  char what[dsp_errortextmax];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(what, sizeof what, fmt, ap);
  va_end(ap);
  dsp_seterror(code, (dsp_callname(entry) + ": " + what).c_str());
}

void dsp_succeeded() {
  if (dsp_watchdirty) dsp_tellwatcher(0, "");
}

dsp_extension::dsp_extension() : failures(dsp_failcount) {}
dsp_extension::~dsp_extension() {
  if (dsp_failcount == failures) dsp_succeeded();
}

void dsp_failnowindow(char const* entry) {
  dsp_fail(dsp_enowindow, entry, "no window is open (createwin opens one)");
}

void dsp_failbitmap(char const* entry, bitmap const* b) {
  if (!b)
    dsp_fail(dsp_earg, entry, "the bitmap is null");
  else
    dsp_fail(dsp_earg, entry, "%p is not a live bitmap (released, or not made by this library)",
             static_cast<void const*>(b));
}

bool dsp_liveof(bitmap const* b, char const* entry) {
  if (dsp_isbitmap(b)) return true;
  if (b == &dsp.canvas)
    dsp_failnowindow(entry);
  else
    dsp_failbitmap(entry, b);
  return false;
}

bool dsp_bblive(bitbuf const* bb, char const* entry) {
  if (dsp_isbitbuf(bb)) return true;
  if (!bb)
    dsp_fail(dsp_earg, entry, "the bit buffer is null");
  else
    dsp_fail(dsp_earg, entry, "%p is not a live bit buffer (released, or not made by createbb)",
             static_cast<void const*>(bb));
  return false;
}

// ---- Entries -------------------------------------------------------------------------

// The code of the latest failure on this thread since the previous call, then 0.
qr_u GetError38() {
  unsigned e = dsp_lasterror;
  dsp_lasterror = dsp_enone;
  return e;
}

// ---- Extensions ----------------------------------------------------------------------

// The text of this thread's last failure, kept until the next one; "" before any.
qr_ms disp_errortext() { return dsp_lasttext.c_str(); }

// Who is told of each failure, on the failing thread: fn(user, code, text); null: no one.
qr_v disp_seterrorwatch(qe_ef fn, qe_p user) {
  dsp_errorwatch& w = dsp_watch();
  std::lock_guard<std::mutex> hold(w.lock);
  w.fn = fn, w.user = user;
}
