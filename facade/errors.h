// One channel for the failures of both libraries: the most recent one on this thread, with
// the text that names the function and what was wrong. Included by facade.h; C++11.
#if defined(QUIB_FACADE_AGAIN) ? !defined(QUIB_ERRORS_IN_QUIB) : !defined(QUIB_FACADE_ERRORS_H)
#ifdef QUIB_FACADE_AGAIN
#define QUIB_ERRORS_IN_QUIB
#else
#define QUIB_FACADE_ERRORS_H
#endif

#include "facade/detail.h"
#include "facade/mystring.h"

namespace quib_detail {
// Every file that includes the facade makes sure of it before main() runs.
namespace {
__attribute__((unused)) bool const errorswatched = ::quib_detail::watcherrors();
}
}  // namespace quib_detail

// The code of this thread's most recent failure in either library (the codes geterror()
// and getsounderror() use: 1 no window, 2 bad argument, 3 file, 4 memory, 5 unsupported,
// 6 device; QUIB_ERR_... in <keys.h>); 0 when none, or when one of the functions our
// extensions add to the libraries (the ones whose C name is disp_... or sound_...:
// loadpng, writefile, iskeydown, loadfont, ...) has succeeded since. The functions of the
// classic numbered set (createbmp, loadaudio, line, ...) never clear it: like geterror(),
// their failure stays until something newer replaces it, so read it right after the call
// that may fail. Reading it clears nothing.
inline unsigned long lasterror() { return ::quib_detail::lasterror(); }
// Its text, e.g. `createbmp: size 0 x 10 is outside 1..16384`; "" when lasterror() is 0.
inline mystring lasterrortext() { return ::quib_detail::lasterrortext(); }
// Sends the diagnostic lines of both libraries ("disp: ...", "sound: ...", no newline) to
// fn(user, line) instead of stderr; setlog(nullptr) gives them back to stderr. A lambda
// without captures will do: setlog([](void*, char const*) {}) silences them.
inline void setlog(void (*fn)(void* user, char const* line), void* user = nullptr) {
  ::quib_detail::setlog(fn, user);
}

#endif
