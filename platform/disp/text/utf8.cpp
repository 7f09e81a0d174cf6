// UTF-8 for the whole library: one decoder decides what a well-formed character is, for
// the text handed to cairo, the wide-text conversions and the quoting of warnings.
#include <cstdint>
#include <string>

#include "platform/disp/internal.h"

int dsp_u8len(unsigned char const* p) {
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
  // Overlong forms, surrogates and values past U+10FFFF are not characters.
  static constexpr uint32_t least[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (v < least[n] || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return 0;
  return n;
}

uint32_t dsp_u8next(unsigned char const*& p) {
  int const n = dsp_u8len(p);
  if (n <= 1) return *p++;
  uint32_t v = p[0] & (0x3Fu >> (n - 1));
  for (int i = 1; i < n; ++i) v = (v << 6) | (p[i] & 0x3Fu);
  p += n;
  return v;
}

// Text as valid UTF-8: cairo refuses anything else and leaves the drawing context in an
// error state. Plain ASCII passes through untouched; bytes that do not form UTF-8 are
// taken as Latin-1, the code page of the game's texts.
char const* dsp_utf8(char const* s, std::string& buf) {
  if (!s) return "";
  unsigned char const* p = reinterpret_cast<unsigned char const*>(s);
  bool ascii = true;
  for (unsigned char const* q = p; *q; ++q)
    if (*q >= 0x80) {
      ascii = false;
      break;
    }
  if (ascii) return s;
  buf.clear();
  while (*p) {
    if (int n = dsp_u8len(p)) {
      buf.append(reinterpret_cast<char const*>(p), size_t(n));
      p += n;
    } else {
      buf.push_back(char(0xC0 | (*p >> 6)));
      buf.push_back(char(0x80 | (*p & 0x3F)));
      ++p;
    }
  }
  return buf.c_str();
}
