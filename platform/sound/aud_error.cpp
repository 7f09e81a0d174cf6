// libsound's errors and lines on the core: the calling thread's last error (code and text),
// the quoting of names in messages, warnings said once per cause, and the hooks a program
// sets (sound_seterrorwatch, sound_setlog).
#include <cstdarg>
#include <cstdio>
#include <string>

#pragma GCC visibility push(default)
#include "platform/sound/sound.h"
#pragma GCC visibility pop
#include "platform/sound/aud_internal.h"

namespace {

// Per thread, like errno: a failure on one thread never shows on another.
thread_local core_errors aud_errors;
thread_local char const* aud_entrynow = nullptr;

// Never destroyed: lines and failures may come while the process exits.
core_hook<core_errorfn>& aud_watcher() {
  static auto* h = new core_hook<core_errorfn>;
  return *h;
}
core_hook<core_logfn>& aud_logger() {
  static auto* h = new core_hook<core_logfn>;
  return *h;
}

void aud_warnatexit();
core_warnings& aud_warnings() {
  static auto* w = new core_warnings(aud_logger(), aud_warnatexit);
  return *w;
}
void aud_warnatexit() { aud_warnings().summary(); }

// "LoadAudio3" -> "loadaudio".
std::string aud_callname(char const* entry) {
  std::string name = entry ? entry : "";
  while (!name.empty() && name.back() >= '0' && name.back() <= '9') name.pop_back();
  for (char& c : name)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return name;
}

}  // namespace

void aud_enter(char const* entry) { aud_entrynow = entry; }

// Recording and telling apart: an entry that holds the library's lock records under it and
// tells (aud_tellerror) once it has let go, so the watcher may call the library back.
void aud_recorderror(int code, std::string const& text) {
  core_record(aud_errors, static_cast<unsigned long>(code),
              aud_entrynow ? aud_callname(aud_entrynow) + ": " + text : text);
}

void aud_tellerror() { core_tell(aud_errors, aud_watcher()); }

aud_holdtell::aud_holdtell() { core_hold(aud_errors); }
aud_holdtell::~aud_holdtell() { core_release(aud_errors, aud_watcher()); }

thread_local int aud_held = 0;
void aud_hold() { core_hold(aud_errors); }
void aud_release() { core_release(aud_errors, aud_watcher()); }
bool aud_pending() { return core_waiting(aud_errors); }

void aud_seterror(int code, std::string text) {
  aud_recorderror(code, text);
  aud_tellerror();
}

unsigned long aud_takeerror() { return core_takecode(aud_errors); }

char const* aud_errortext() { return aud_errors.text; }

std::string aud_quote(char const* name) { return core_quote(name); }

// ---- Lines ---------------------------------------------------------------------------

void aud_warn(char const* cause, char const* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::string const line = core_vformat(fmt, ap, 512);
  va_end(ap);
  aud_warnings().warn(cause, line);
}

void aud_say(char const* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::string const line = core_vformat(fmt, ap, 1024);
  va_end(ap);
  core_say(aud_logger(), line);
}

// ---- Extensions ----------------------------------------------------------------------

void sound_seterrorwatch(core_errorfn fn, void* user) { aud_watcher().set(fn, user); }
void sound_setlog(core_logfn fn, void* user) { aud_logger().set(fn, user); }
