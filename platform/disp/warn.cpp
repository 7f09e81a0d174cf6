// Lines on stderr (or the program's log hook) and the quoting of the caller's texts in them,
// on the core's warnings: a warning is said once per cause and then only counted, since a
// program without fonts draws text a thousand times a second; the counts are told at exit
// and when the window closes.
#include <cstdarg>
#include <cstdio>
#include <string>

#include "platform/core/report.h"
#include "platform/disp/internal.h"

namespace {

// Never destroyed: lines come from atexit handlers too.
core_hook<core_logfn>& dsp_log() {
  static auto* l = new core_hook<core_logfn>;
  return *l;
}

void dsp_warnatexit() { dsp_warnsummary(); }

core_warnings& dsp_warnings() {
  static auto* w = new core_warnings(dsp_log(), dsp_warnatexit);
  return *w;
}

}  // namespace

std::string dsp_quote(char const* s, size_t most, bool quotes) {
  return core_quote(s, quotes ? core_quotes::dbl : core_quotes::bare, most);
}

void dsp_warn(char const* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::string const line = core_vformat(fmt, ap, 512);
  va_end(ap);
  // Whatever reached the line raw (a name from the environment, a message of SDL) cannot
  // move the terminal's cursor or change its colours.
  std::string const text = dsp_quote(line.c_str(), 512);
  dsp_warnings().warn(text, "disp: " + text);
}

void dsp_warnsummary() { dsp_warnings().summary(); }

// ---- Extensions ----------------------------------------------------------------------

qr_v disp_setlog(qe_lf fn, qe_p user) { dsp_log().set(fn, user); }
