// Conversions between numbers and text: decimal and hexadecimal text, single hex digits,
// and "byte text" (as), where the characters of a text are the bytes of a number, most
// significant first. Also UTF-16 <-> UTF-8 for the entries that take wide text.
#include <climits>
#include <cstdint>
#include <cstring>

#include "platform/disp/internal.h"

namespace {

// Text results: a ring of buffers per thread, so that a result stays valid through the
// next three conversions on the same thread and a result passed straight into the next
// conversion (as2hs14(hs2as15(s))) is never overwritten while it is read.
constexpr size_t dsp_textmax = 4096;  // bytes of a result, terminator included

char* dsp_textbuf() {
  static thread_local char ring[4][dsp_textmax];
  static thread_local unsigned next = 0;
  char* b = ring[next++ % 4];
  b[0] = '\0';
  return b;
}

char const dsp_hexdigits[] = "0123456789ABCDEF";

bool dsp_isspace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The value of a hex digit, -1 for any other character.
int dsp_hexval(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

void dsp_append8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out.push_back(char(c));
  } else if (c < 0x800) {
    out.push_back(char(0xC0 | (c >> 6)));
    out.push_back(char(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(char(0xE0 | (c >> 12)));
    out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(char(0x80 | (c & 0x3F)));
  } else {
    out.push_back(char(0xF0 | (c >> 18)));
    out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(char(0x80 | (c & 0x3F)));
  }
}

}  // namespace

// ---- Wide text -----------------------------------------------------------------------

std::string dsp_fromwide(short const* ws) {
  std::string out;
  if (!ws) return out;
  for (size_t i = 0; i < dsp_widemax && ws[i]; ++i) {
    uint32_t c = uint16_t(ws[i]);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < dsp_widemax) {
      uint32_t lo = uint16_t(ws[i + 1]);  // 0 (the end) is no low surrogate, so never passed
      if (lo >= 0xDC00 && lo <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (lo - 0xDC00);
        ++i;
      } else {
        c = 0xFFFD;
      }
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    dsp_append8(out, c);
  }
  return out;
}

std::u16string dsp_towide(char const* s) {
  std::string buf;
  unsigned char const* p = reinterpret_cast<unsigned char const*>(dsp_utf8(s, buf));
  std::u16string out;
  while (*p) {  // valid UTF-8 from here on
    uint32_t const c = dsp_u8next(p);
    if (c >= 0x10000) {
      out.push_back(char16_t(0xD800 + ((c - 0x10000) >> 10)));
      out.push_back(char16_t(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      out.push_back(char16_t(c));
    }
  }
  return out;
}

// ---- Entries -------------------------------------------------------------------------

// Decimal text: spaces, then a sign, then digits up to the first other character. A value
// beyond the range of long saturates at LONG_MAX or LONG_MIN.
qr_l s2i8(qe_s s) {
  if (!s) {
    dsp_fail(dsp_earg, __func__, "the text is null");
    return 0;
  }
  unsigned char const* p = reinterpret_cast<unsigned char const*>(s);
  while (dsp_isspace(*p)) ++p;
  bool neg = *p == '-';
  if (*p == '+' || *p == '-') ++p;
  if (*p < '0' || *p > '9') {
    dsp_fail(dsp_earg, __func__, "%s is not a decimal number",
             dsp_quote(s, dsp_errquotemax, true).c_str());
    return 0;
  }
  unsigned long const limit = neg ? (unsigned long)LONG_MAX + 1 : (unsigned long)LONG_MAX;
  unsigned long v = 0;
  bool over = false;
  for (; *p >= '0' && *p <= '9'; ++p) {
    unsigned d = *p - '0';
    if (over || v > (limit - d) / 10) {
      over = true;
      continue;
    }
    v = v * 10 + d;
  }
  if (over) {
    dsp_fail(dsp_earg, __func__, "%s is beyond the range of long",
             dsp_quote(s, dsp_errquotemax, true).c_str());
    return neg ? LONG_MIN : LONG_MAX;
  }
  return neg ? long(0 - v) : long(v);
}

// The first eight bytes of the text as one number, the first byte most significant:
// "AB" is 0x4142. Eight bytes with the top bit set give a negative number.
qr_l as2i9(qe_s s) {
  if (!s) {
    dsp_fail(dsp_earg, __func__, "the text is null");
    return 0;
  }
  uint64_t v = 0;
  for (int i = 0; i < 8 && s[i]; ++i) v = (v << 8) | uint8_t(s[i]);
  return long(v);
}

// The hex digit of the low four bits.
qr_c i2hc10(qe_uc v) { return dsp_hexdigits[v & 15]; }

// 0..15 for '0'..'9', 'A'..'F', 'a'..'f'; -1 for any other character.
qr_l hc2i11(qe_c c) { return dsp_hexval(c); }

// Two hex digits of the low byte.
qr_ms i2hs12(qe_uc v) {
  char* b = dsp_textbuf();
  b[0] = dsp_hexdigits[(v >> 4) & 15];
  b[1] = dsp_hexdigits[v & 15];
  b[2] = '\0';
  return b;
}

// Hex text: spaces, an optional 0x, then hex digits up to the first other character. More
// than fits an unsigned long saturates at ULONG_MAX.
qr_u hs2i13(qe_s s) {
  if (!s) {
    dsp_fail(dsp_earg, __func__, "the text is null");
    return 0;
  }
  unsigned char const* p = reinterpret_cast<unsigned char const*>(s);
  while (dsp_isspace(*p)) ++p;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && dsp_hexval(p[2]) >= 0) p += 2;
  if (dsp_hexval(*p) < 0) {
    dsp_fail(dsp_earg, __func__, "%s is not a hex number",
             dsp_quote(s, dsp_errquotemax, true).c_str());
    return 0;
  }
  unsigned long v = 0;
  for (int d; (d = dsp_hexval(*p)) >= 0; ++p) {
    if (v > (ULONG_MAX >> 4)) {
      dsp_fail(dsp_earg, __func__, "%s is beyond the range of unsigned long",
               dsp_quote(s, dsp_errquotemax, true).c_str());
      return ULONG_MAX;
    }
    v = (v << 4) | unsigned(d);
  }
  return v;
}

// Two hex digits per byte of the text: "AB" gives "4142". A text of more than 2047 bytes
// is cut to its first 2047.
qr_ms as2hs14(qe_s s) {
  char* b = dsp_textbuf();
  if (!s) {
    dsp_fail(dsp_earg, __func__, "the text is null");
    return b;
  }
  size_t n = 0;
  for (unsigned char const* p = reinterpret_cast<unsigned char const*>(s);
       *p && n + 2 < dsp_textmax; ++p) {
    b[n++] = dsp_hexdigits[*p >> 4];
    b[n++] = dsp_hexdigits[*p & 15];
  }
  b[n] = '\0';
  return b;
}

// The reverse of as2hs14: each pair of hex digits becomes a byte, "4142" gives "AB". The
// digits run from the first (after spaces) to the first other character; an odd count
// reads as if a 0 led it, so that hs2as15(i2hs17(u)) equals i2as16(u). A 00 pair ends the
// text, which cannot hold a zero byte. At most 4095 bytes.
qr_ms hs2as15(qe_s s) {
  char* b = dsp_textbuf();
  if (!s) {
    dsp_fail(dsp_earg, __func__, "the text is null");
    return b;
  }
  unsigned char const* p = reinterpret_cast<unsigned char const*>(s);
  while (dsp_isspace(*p)) ++p;
  size_t digits = 0;
  while (dsp_hexval(p[digits]) >= 0) ++digits;
  size_t n = 0;
  int hi = digits % 2 ? 0 : -1;  // the pending high half of a byte (-1: none)
  for (size_t i = 0; i < digits && n + 1 < dsp_textmax; ++i) {
    int d = dsp_hexval(p[i]);
    if (hi < 0) {
      hi = d;
      continue;
    }
    int byte = hi << 4 | d;
    hi = -1;
    if (byte == 0) break;
    b[n++] = char(byte);
  }
  b[n] = '\0';
  return b;
}

// The bytes of the number as text, most significant first, from its highest non-zero
// byte: 0x4142 gives "AB", 0 gives "". A zero byte below that ends the text, which cannot
// hold one (0x410042 gives "A"). The reverse of as2i9 for texts of up to eight bytes.
qr_ms i2as16(qe_u v) {
  char* b = dsp_textbuf();
  size_t n = 0;
  bool started = false;
  for (int sh = 56; sh >= 0; sh -= 8) {
    unsigned char byte = (v >> sh) & 0xFF;
    if (!started && byte == 0) continue;
    started = true;
    if (byte == 0) break;
    b[n++] = char(byte);
  }
  b[n] = '\0';
  return b;
}

// Hex text of the number, upper case, without leading zeros: 255 gives "FF", 0 gives "0".
qr_ms i2hs17(qe_u v) {
  char* b = dsp_textbuf();
  char tmp[17];
  int n = 0;
  do {
    tmp[n++] = dsp_hexdigits[v & 15];
    v >>= 4;
  } while (v);
  for (int i = 0; i < n; ++i) b[i] = tmp[n - 1 - i];
  b[n] = '\0';
  return b;
}
