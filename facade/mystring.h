// mystring: the facade's fixed-size text value. Library text is copied into one at once,
// so the library may reuse its own buffer for every result.
#if defined(QUIB_FACADE_AGAIN) ? !defined(QUIB_MYSTRING_IN_QUIB) : !defined(QUIB_FACADE_MYSTRING_H)
#ifdef QUIB_FACADE_AGAIN
#define QUIB_MYSTRING_IN_QUIB
#else
#define QUIB_FACADE_MYSTRING_H
#endif

#include "facade/detail.h"

struct mystring {
  char text[512];
  std::uint32_t length;

  // Copies s; a text longer than 511 characters is cut to 511 so nothing overflows,
  // and `length` counts what was kept. A null pointer gives the empty text.
  mystring(char const* s) {
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
  operator char const*() const { return text; }

  // Adds s at the end, cut at 511 characters as a construction is; a null s adds nothing.
  mystring& operator+=(char const* s) {
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
  mystring& operator+=(mystring const& s) { return *this += s.text; }
};

namespace quib_detail {

// Text that joins a mystring: a character pointer or array, or another mystring. Plain
// numbers are left out on purpose, so `m + 1` stays what it was (the text from its second
// character) instead of becoming ambiguous.
template <typename T>
struct istext
    : std::integral_constant<bool,
                             std::is_same<typename std::decay<T>::type, char const*>::value ||
                                 std::is_same<typename std::decay<T>::type, char*>::value ||
                                 std::is_same<typename std::decay<T>::type, mystring>::value> {};

}  // namespace quib_detail

// a + b for a mystring and a text (either side) or two mystrings: a new mystring, cut at
// 511 characters.
template <typename T, typename std::enable_if<quib_detail::istext<T>::value, int>::type = 0>
inline mystring operator+(mystring a, T const& b) {
  return a += b;
}
template <typename T,
          typename std::enable_if<quib_detail::istext<T>::value &&
                                      !std::is_same<typename std::decay<T>::type, mystring>::value,
                                  int>::type = 0>
inline mystring operator+(T const& a, mystring const& b) {
  return mystring(a) += b;
}

#endif
