// The library's last error, kept per thread like errno: its code (GetError38) and the one
// line of text that tells what failed and in which entry (disp_errortext); and the watcher
// that is told of each failure (the facade's one channel for both libraries).
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <string>

#include "platform/core/report.h"
#include "platform/disp/internal.h"

namespace {

// This thread's record: the code GetError38 takes, and the text kept after it has cleared
// the code, so that `if (geterror())` followed by geterrortext() still tells what failed.
thread_local core_errors dsp_errors;

core_hook<core_errorfn>& dsp_watch() {
  static auto* w = new core_hook<core_errorfn>;  // never destroyed: failures may come at exit
  return *w;
}

// Each code's own line, for a failure that has no detail worth telling.
constexpr char const* dsp_errorlines[] = {
    "",
    "no window is open",
    "bad argument",
    "file error",
    "out of memory",
    "not supported",
    "device unavailable",
};

char const* dsp_errorline(unsigned code) {
  return code < std::size(dsp_errorlines) ? dsp_errorlines[code] : "";
}

}  // namespace

// A text may carry what the caller or the system gave (a DISPLAY value, SDL's words): its
// control bytes and bytes that are not UTF-8 are escaped here, as in warnings, so a program
// may print it as it comes.
constexpr size_t dsp_errortextmax = 1024;

void dsp_seterror(unsigned code, char const* text) {
  core_fail(dsp_errors, dsp_watch(), code,
            text ? dsp_quote(text, dsp_errortextmax) : dsp_errorline(code));
}

std::string dsp_callname(char const* entry) {
  std::string name = entry ? entry : "";
  if (name.rfind("disp_", 0) == 0) return name.substr(5);
  while (!name.empty() && isdigit(static_cast<unsigned char>(name.back()))) name.pop_back();
  for (char& c : name) c = char(tolower(static_cast<unsigned char>(c)));
  return name;
}

void dsp_fail(unsigned code, char const* entry, char const* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::string const what = core_vformat(fmt, ap, dsp_errortextmax);
  va_end(ap);
  dsp_seterror(code, (dsp_callname(entry) + ": " + what).c_str());
}

void dsp_succeeded() { core_succeeded(dsp_errors, dsp_watch()); }

dsp_extension::dsp_extension() : failures(dsp_errors.fails) {}
dsp_extension::~dsp_extension() {
  if (dsp_errors.fails == failures) dsp_succeeded();
}

dsp_holdtell::dsp_holdtell() { core_hold(dsp_errors); }
dsp_holdtell::~dsp_holdtell() { core_release(dsp_errors, dsp_watch()); }

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
qr_u GetError38() { return unsigned(core_takecode(dsp_errors)); }

// ---- Extensions ----------------------------------------------------------------------

// The text of this thread's last failure, kept until the next one; "" before any.
qr_ms disp_errortext() { return dsp_errors.text; }

// Who is told of each failure, on the failing thread: fn(user, code, text); null: no one.
qr_v disp_seterrorwatch(qe_ef fn, qe_p user) { dsp_watch().set(fn, user); }
