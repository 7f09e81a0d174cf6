// The facade's one error channel: both libraries tell it of each failure on the failing
// thread, and it keeps the most recent.
#include "facade/detail.h"

#include <string>

#include "platform/disp/disp.h"
#include "platform/sound/sound.h"

namespace {

thread_local unsigned long lastcode = 0;
thread_local std::string lasttext;

void remember(void*, unsigned long code, char const* text) {
  lastcode = code;
  lasttext = code && text ? text : "";
}

}  // namespace

namespace quib_detail {

// Also where the two libraries are joined: sounds keep libdisp's clock when it is virtual.
bool watcherrors() {
  static bool const once =
      (disp_seterrorwatch(remember, nullptr), sound_seterrorwatch(remember, nullptr),
       sound_setclock(GetTime50), true);
  return once;
}

unsigned long lasterror() { return lastcode; }

char const* lasterrortext() { return lasttext.c_str(); }

void setlog(void (*fn)(void* user, char const* line), void* user) {
  disp_setlog(fn, user);
  sound_setlog(fn, user);
}

}  // namespace quib_detail
