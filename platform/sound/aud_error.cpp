// The last error of each thread (code and text), and the quoting of file names in messages,
// so that a hostile or huge name never turns into a huge or garbled stderr line.
#include <cstdio>

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
