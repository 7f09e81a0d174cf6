// mystring: the facade's fixed-size text value. Library text is copied into one at once,
// so the library may reuse its own buffer for every result.
#pragma once
#include <cstdint>

struct mystring {
  char text[512];
  std::uint32_t length;

  // Copies s; a text longer than 511 characters is cut to 511 so nothing overflows,
  // and `length` counts what was kept. A null pointer gives the empty text.
  mystring(char const* s);

  operator char const*() const { return text; }
};
