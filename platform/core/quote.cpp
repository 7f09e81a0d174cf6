// The one quoting function: whatever a name holds, the terminal gets printable text of
// bounded length that cannot move its cursor or change its colours.
#include "platform/core/quote.h"

#include <cstdint>
#include <cstdio>

int core_u8len(unsigned char const* p) {
  unsigned char const c = p[0];
  int const n = c < 0x80             ? 1
                : (c & 0xE0) == 0xC0 ? 2
                : (c & 0xF0) == 0xE0 ? 3
                : (c & 0xF8) == 0xF0 ? 4
                                     : 0;
  if (n <= 1) return n;
  // Stops at the first byte that does not continue the character, so a terminating zero
  // is never read past.
  uint32_t v = n == 2 ? (c & 0x1Fu) : n == 3 ? (c & 0x0Fu) : (c & 0x07u);
  for (int i = 1; i < n; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    v = (v << 6) | (p[i] & 0x3Fu);
  }
  static constexpr uint32_t least[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (v < least[n] || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return 0;
  return n;
}

std::string core_quote(char const* s, core_quotes q, std::size_t most) {
  if (!s) return "(null)";
  char const mark = q == core_quotes::single ? '\'' : q == core_quotes::dbl ? '"' : 0;
  std::string out;
  if (mark) out += mark;
  auto const* p = reinterpret_cast<unsigned char const*>(s);
  std::size_t taken = 0;
  bool cut = false;
  while (*p) {
    int const n = core_u8len(p);
    std::size_t const len = n > 0 ? std::size_t(n) : 1;
    if (taken + len > most) {
      cut = true;
      break;
    }
    if (n == 0 || (n == 1 && (*p < 0x20 || *p == 0x7F))) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", *p);
      out += hex;
    } else {
      if (mark && (*p == mark || *p == '\\')) out += '\\';
      out.append(reinterpret_cast<char const*>(p), len);
    }
    p += len, taken += len;
  }
  // Where the mark of a cut goes is each layer's habit that programs and tests read:
  // libdisp's error texts put it after the closing quote, the game's messages inside.
  if (cut && q != core_quotes::dbl) out += "...";
  if (mark) out += mark;
  if (cut && q == core_quotes::dbl) out += "...";
  return out;
}
