// The last error of each thread (code and text), the quoting of names in messages (so a
// hostile or huge name never turns into a huge or garbled stderr line), and warnings said
// once per cause.
#include <cstdarg>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

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

}  // namespace

thread_local int aud_held = 0;

namespace {

// What waits on this thread for the library lock to be let go: lines, and failures with
// their texts, told in the order they came.
struct aud_waiting {
  bool failure;
  unsigned long code;
  std::string text;
};
thread_local std::vector<aud_waiting> aud_waitlist;
// A hook runs on this thread now: a failure inside the watcher is recorded but not told to
// it again, and a line said inside the log hook goes to stderr, so neither can recurse.
thread_local bool aud_watching = false, aud_logging = false;

void aud_sayline(std::string const& line) {
  auto [fn, user] = aud_logger().get<aud_logfn>();
  if (fn && aud_logging) fn = nullptr;
  if (fn && aud_held) return aud_waitlist.push_back({false, 0, line});
  if (fn) {
    aud_logging = true;
    fn(user, line.c_str());
    aud_logging = false;
  } else {
    fprintf(stderr, "%s\n", line.c_str());
  }
}

void aud_tellwatcher(unsigned long code, std::string const& text) {
  auto [fn, user] = aud_watcher().get<aud_errorfn>();
  if (!fn || aud_watching) return;
  aud_watching = true;
  fn(user, code, text.c_str());
  aud_watching = false;
}

// Enough of a path to recognise it; the rest is cut and marked.
constexpr size_t aud_quotemax = 96;

}  // namespace

void aud_enter(char const* entry) { aud_entrynow = entry; }

void aud_seterror(int code, std::string text) {
  aud_errcodenow = code;
  aud_errtextnow = aud_entrynow ? aud_callname(aud_entrynow) + ": " + text : std::move(text);
  if (aud_watching || !aud_watcher().get<aud_errorfn>().first) return;
  if (aud_held)
    return aud_waitlist.push_back({true, static_cast<unsigned long>(code), aud_errtextnow});
  std::string const told = aud_errtextnow;  // the watcher may fail again while reading it
  aud_tellwatcher(static_cast<unsigned long>(code), told);
}

bool aud_pending() { return !aud_waitlist.empty(); }

void aud_tellpending() {
  // Taken first: a hook that fails or speaks again adds to a fresh list, told after.
  while (!aud_waitlist.empty()) {
    std::vector<aud_waiting> now;
    now.swap(aud_waitlist);
    for (aud_waiting const& w : now)
      if (w.failure)
        aud_tellwatcher(w.code, w.text);
      else
        aud_sayline(w.text);
  }
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
  bool first = false;
  {
    std::lock_guard lk(aud_saidlines.mx);
    auto [it, fresh] = aud_saidlines.causes.try_emplace(cause, line, 0);
    first = ++it->second.second == 1;
  }
  if (first) aud_sayline(line);  // not under the lock: the log hook may warn in turn
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
