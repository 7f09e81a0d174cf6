// One channel for the failures of both libraries: the most recent one on this thread, with
// the text that names the function and what was wrong. Included by facade.h; C++11.
#ifndef QUIB_FACADE_ERRORS_H
#define QUIB_FACADE_ERRORS_H

#include "facade/mystring.h"

namespace quib_detail {
// Hands both libraries' failures to the channel (facade/errors.cpp); true.
bool watcherrors();
// Every file that includes the facade makes sure of it before main() runs.
namespace {
__attribute__((unused)) bool const errorswatched = watcherrors();
}
}  // namespace quib_detail

// The code of this thread's most recent failure in either library (the codes geterror()
// and getsounderror() use: 1 no window, 2 bad argument, 3 file, 4 memory, 5 unsupported,
// 6 device); 0 when none, or when a function of ours (the lower-case ones added to the
// libraries: loadpng, writefile, iskeydown, ...) has succeeded since. Reading it clears
// nothing.
unsigned long lasterror();
// Its text, e.g. `createbmp: size 0 x 10 is outside 1..16384`; "" when lasterror() is 0.
mystring lasterrortext();
// Sends the diagnostic lines of both libraries ("disp: ...", "sound: ...", no newline) to
// fn(user, line) instead of stderr; setlog(nullptr) gives them back to stderr. A lambda
// without captures will do: setlog([](void*, char const*) {}) silences them.
void setlog(void (*fn)(void* user, char const* line), void* user = nullptr);

#endif  // QUIB_FACADE_ERRORS_H
