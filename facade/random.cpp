// random and randomize over a 15-bit linear congruential generator.
#include "facade/detail.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {
unsigned int state = 1;
unsigned int seed = 1;  // the last seed given, so a recording can name it
bool fixed = false;     // a replay has fixed the seed that randomize() uses
unsigned int fixedseed = 0;
}  // namespace

namespace quib_detail {

int rand15() {
  state = state * 214013u + 2531011u;
  return static_cast<int>((state >> 16) & 0x7FFF);
}

void srand15(unsigned int s) {
  state = s;
  seed = s;
}

unsigned int randseed() { return seed; }

void fixseed(unsigned int s) {
  fixed = true;
  fixedseed = s;
}

long random(long n) {
  long a = rand15();
  long b = rand15();
  long c = rand15();
  // a fills bits 16-30, b bits 1-15, c's lowest bit bit 0: at most 2^31 - 1.
  long v = a * 65536 + 2 * b + (c % 2);
  return v % n;
}

void randomize() {
  if (fixed) {
    srand15(fixedseed);
    return;
  }
  if (char const* given = std::getenv("QUIB_SEED"); given != nullptr && *given != '\0') {
    char* end = nullptr;
    errno = 0;
    unsigned long value = std::strtoul(given, &end, 10);
    if (errno == 0 && *end == '\0') {
      srand15(static_cast<unsigned int>(value));
      return;
    }
    std::fprintf(stderr, "quib: QUIB_SEED=%s is not a number; seeding from the clock\n", given);
  }
  srand15(static_cast<unsigned int>(std::time(nullptr)));
}

}  // namespace quib_detail
