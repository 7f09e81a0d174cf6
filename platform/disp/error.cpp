// The library's last error, kept per thread like errno: its code (GetError38) and the one
// line of text that tells what failed (disp_errortext).
#include <string>

#include "platform/disp/internal.h"

namespace {

thread_local unsigned dsp_lasterror = dsp_enone;
// The text stays after GetError38 has cleared the code, so that `if (geterror())` followed
// by geterrortext() still tells what failed; the next failure replaces it.
thread_local std::string dsp_lasttext;

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
  dsp_lasttext = text ? dsp_quote(text, dsp_errortextmax) : dsp_errorline(code);
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
