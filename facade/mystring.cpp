// mystring construction and joining: bounded copies of zero-terminated texts.
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

mystring& mystring::operator+=(char const* s) {
  // s may be this very text (m += m): what is copied is read before it is overwritten,
  // as the copy only ever writes past the end of what it has read.
  std::uint32_t n = length;
  if (s != nullptr) {
    std::uint32_t const start = n;
    for (std::uint32_t i = 0; n < sizeof text - 1; ++i) {
      if (s == text && i >= start) break;  // appending itself: its own original length only
      if (s[i] == '\0') break;
      text[n++] = s[i];
    }
  }
  text[n] = '\0';
  length = n;
  return *this;
}
