// The last error of each thread (code and text), the quoting of names in messages (so a
// hostile or huge name never turns into a huge or garbled stderr line), and warnings said
// once per cause.
#include <cstdarg>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#pragma GCC visibility push(default)
#include "platform/sound/sound.h"
#pragma GCC visibility pop
#include "platform/sound/aud_internal.h"

namespace {

// Per thread, like errno: a failure on one thread never shows on another.
thread_local int aud_errcodenow = 0;
thread_local std::string aud_errtextnow;
thread_local char const* aud_entrynow = nullptr;

using aud_logfn = void (*)(void*, char const*);
using aud_errorfn = void (*)(void*, unsigned long, char const*);

// A hook (a function and its pointer) a program sets from any thread.
struct aud_hook {
  std::mutex mx;
  void* fn = nullptr;
  void* user = nullptr;
  template <class Fn>
  std::pair<Fn, void*> get() {
    std::lock_guard lk(mx);
    return {reinterpret_cast<Fn>(fn), user};
  }
  template <class Fn>
  void set(Fn f, void* u) {
    std::lock_guard lk(mx);
    fn = reinterpret_cast<void*>(f), user = u;
  }
};
// Never destroyed: lines and failures may come while the process exits.
aud_hook& aud_watcher() {
  static auto* h = new aud_hook;
  return *h;
}
aud_hook& aud_logger() {
  static auto* h = new aud_hook;
  return *h;
}

// "LoadAudio3" -> "loadaudio".
std::string aud_callname(char const* entry) {
  std::string name = entry ? entry : "";
  while (!name.empty() && name.back() >= '0' && name.back() <= '9') name.pop_back();
  for (char& c : name)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return name;
}

void aud_sayline(std::string const& line) {
  auto [fn, user] = aud_logger().get<aud_logfn>();
  if (fn)
    fn(user, line.c_str());
  else
    fprintf(stderr, "%s\n", line.c_str());
}

// Enough of a path to recognise it; the rest is cut and marked.
constexpr size_t aud_quotemax = 96;

}  // namespace

void aud_enter(char const* entry) { aud_entrynow = entry; }

void aud_seterror(int code, std::string text) {
  aud_errcodenow = code;
  aud_errtextnow = aud_entrynow ? aud_callname(aud_entrynow) + ": " + text : std::move(text);
  auto [fn, user] = aud_watcher().get<aud_errorfn>();
  if (fn) fn(user, static_cast<unsigned long>(code), aud_errtextnow.c_str());
}

unsigned long aud_takeerror() {
  int code = aud_errcodenow;
  aud_errcodenow = 0;
  return static_cast<unsigned long>(code);
}

char const* aud_errortext() { return aud_errtextnow.c_str(); }

std::string aud_quote(char const* name) {
  if (!name) return "(null)";
  std::string out;
  size_t i = 0;
  for (; name[i] && i < aud_quotemax; ++i) {
    auto c = static_cast<unsigned char>(name[i]);
    if (c >= 0x20 && c < 0x7f && c != '\\') {
      out += char(c);
    } else {
      char hex[8];
      snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  if (name[i]) out += "...";
  return out;
}

// ---- Warnings ------------------------------------------------------------------------
// A warning is said once per cause; its repeats are only counted, and the count is said
// at exit, so a cause that comes up every frame cannot flood stderr.

namespace {

struct aud_said {
  std::mutex mx;
  std::map<std::string, std::pair<std::string, long>> causes;  // cause: first line, times
  ~aud_said() {
    for (auto& [cause, seen] : causes)
      if (seen.second > 1)
        aud_sayline(seen.first + " (said " + std::to_string(seen.second) + " times)");
  }
};
aud_said aud_saidlines;

}  // namespace

void aud_warn(char const* cause, char const* fmt, ...) {
  char line[512];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(line, sizeof line, fmt, ap);
  va_end(ap);
  std::lock_guard lk(aud_saidlines.mx);
  auto [it, fresh] = aud_saidlines.causes.try_emplace(cause, line, 0);
  if (++it->second.second == 1) aud_sayline(line);
}

void aud_say(char const* fmt, ...) {
  char line[1024];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(line, sizeof line, fmt, ap);
  va_end(ap);
  aud_sayline(line);
}

// ---- Extensions ----------------------------------------------------------------------

void sound_seterrorwatch(aud_errorfn fn, void* user) { aud_watcher().set(fn, user); }
void sound_setlog(aud_logfn fn, void* user) { aud_logger().set(fn, user); }
