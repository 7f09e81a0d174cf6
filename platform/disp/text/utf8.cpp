// UTF-8 for the whole library: one decoder decides what a well-formed character is, for
// the text handed to cairo, the wide-text conversions and the quoting of warnings.
#include <cstdint>
#include <string>

#include "platform/disp/internal.h"

// The core's rule, which the quoting of warnings follows too.
int dsp_u8len(unsigned char const* p) { return core_u8len(p); }

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
