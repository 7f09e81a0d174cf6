// Reads bytes as a sequence of calls into both libraries, with arguments taken from hostile
// pools per parameter type. Shared by the API fuzzer and by the test that replays its finds.
#pragma once
#include <cstddef>
#include <cstdint>

namespace calls {

// Once per process, before anything else: headless display, virtual clock, null audio, and
// a scratch directory (made current) holding the sample files the texts name.
void setup();

// Runs one byte sequence as calls, then releases everything the calls made and leaves the
// libraries as setup() found them (a small headless window open), so runs do not depend on
// each other. With QUIB_CALLS_TRACE set, each call is printed on stderr before it is made.
void run(uint8_t const* data, size_t size);

// How many entries the interpreter chooses among (every row of the entry tables).
size_t entries();
// How many of them some selector reaches (all, unless two names share a key).
size_t reachable();

}  // namespace calls
