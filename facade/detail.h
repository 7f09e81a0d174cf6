// What the facade's headers rest on, outside any namespace: the two libraries' C entries,
// the named codes, and the facade's own compiled code under quib_detail. Included first by
// facade.h and quib.h, so that the facade itself can be read into namespace quib; C++11.
#ifndef QUIB_FACADE_DETAIL_H
#define QUIB_FACADE_DETAIL_H

#include <cstdint>
#include <type_traits>

#include "facade/keys.h"
#include "platform/disp/disp.h"
#include "platform/sound/sound.h"

namespace quib_detail {

// The error channel (errors.cpp): hands both libraries' failures to it (true); the most
// recent failure on this thread and its text; where diagnostic lines go.
bool watcherrors();
unsigned long lasterror();
char const* lasterrortext();
void setlog(void (*fn)(void* user, char const* line), void* user);

// The 15-bit generator (random.cpp).
int rand15();
void srand15(unsigned int seed);
unsigned int randseed();
void fixseed(unsigned int seed);
long random(long n);
void randomize();

}  // namespace quib_detail

#endif  // QUIB_FACADE_DETAIL_H
