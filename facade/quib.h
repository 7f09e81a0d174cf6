// The whole facade inside namespace quib, for programs that want no short global names
// (line, clear, delay, random): quib::createwin(), quib::mystring, quib::lasterror(). The
// libraries' C entries and the QUIB_ macros of <keys.h> stay what they are; C++11.
#ifndef QUIB_FACADE_QUIB_H
#define QUIB_FACADE_QUIB_H

#include "facade/detail.h"

#define QUIB_FACADE_AGAIN
namespace quib {
#include "facade/facade.h"
}  // namespace quib
#undef QUIB_FACADE_AGAIN

#endif  // QUIB_FACADE_QUIB_H
