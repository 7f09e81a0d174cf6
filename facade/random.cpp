// random and randomize over rand/srand.
#include "facade/random.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

long random(long n) {
  long a = std::rand();
  long b = std::rand();
  long c = std::rand();
  // a fills bits 16-30, b bits 1-15, c's lowest bit bit 0: at most 2^31 - 1.
  long v = a * 65536 + 2 * b + (c % 2);
  return v % n;
}

void randomize() {
  if (char const* seed = std::getenv("QUIB_SEED"); seed != nullptr && *seed != '\0') {
    char* end = nullptr;
    errno = 0;
    unsigned long value = std::strtoul(seed, &end, 10);
    if (errno == 0 && *end == '\0') {
      std::srand(static_cast<unsigned>(value));
      return;
    }
    std::fprintf(stderr, "quib: QUIB_SEED=%s is not a number; seeding from the clock\n", seed);
  }
  std::srand(static_cast<unsigned>(std::time(nullptr)));
}
