// Random numbers for course generation, on one 15-bit generator (0..32767 per draw,
// like the classic C runtime's rand), the same on every platform for a given seed.
#if defined(QUIB_FACADE_AGAIN) ? !defined(QUIB_RANDOM_IN_QUIB) : !defined(QUIB_FACADE_RANDOM_H)
#ifdef QUIB_FACADE_AGAIN
#define QUIB_RANDOM_IN_QUIB
#else
#define QUIB_FACADE_RANDOM_H
#endif

#include "facade/detail.h"

// One draw of the generator: 0 to 32767.
inline int rand15() { return ::quib_detail::rand15(); }

// Seeds the generator.
inline void srand15(unsigned int seed) { ::quib_detail::srand15(seed); }

// The seed given last (by srand15 or randomize): what a recording must name to lay the
// same course again.
inline unsigned int randseed() { return ::quib_detail::randseed(); }

// Makes randomize() use this seed instead of QUIB_SEED or the clock: a replay lays the
// recorded course.
inline void fixseed(unsigned int seed) { ::quib_detail::fixseed(seed); }

// A number from 0 to n - 1 (n >= 1), built from three draws.
inline long random(long n) { return ::quib_detail::random(n); }

// Seeds the generator with the calendar time in seconds, or with QUIB_SEED when that
// environment variable holds a number, so a recorded run can be replayed exactly.
inline void randomize() { ::quib_detail::randomize(); }

#endif
