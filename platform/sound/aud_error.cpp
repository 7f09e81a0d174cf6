// The last error of each thread (code and text), the quoting of names in messages (so a
// hostile or huge name never turns into a huge or garbled stderr line), and warnings said
// once per cause.
#include <cstdarg>
#include <cstdio>
#include <map>
#include <mutex>

#include "platform/sound/aud_internal.h"

namespace {

// Per thread, like errno: a failure on one thread never shows on another.
thread_local int aud_errcodenow = 0;
thread_local std::string aud_errtextnow;

// Enough of a path to recognise it; the rest is cut and marked.
constexpr size_t aud_quotemax = 96;

}  // namespace

void aud_seterror(int code, std::string text) {
  aud_errcodenow = code;
  aud_errtextnow = std::move(text);
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
        fprintf(stderr, "%s (said %ld times)\n", seen.first.c_str(), seen.second);
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
  if (++it->second.second == 1) fprintf(stderr, "%s\n", line);
}
