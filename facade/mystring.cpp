// mystring construction: bounded copy of a zero-terminated text.
#include "facade/mystring.h"

mystring::mystring(char const* s) {
  std::uint32_t n = 0;
  if (s != nullptr) {
    while (n < sizeof text - 1 && s[n] != '\0') {
      text[n] = s[n];
      ++n;
    }
  }
  text[n] = '\0';
  length = n;
}
