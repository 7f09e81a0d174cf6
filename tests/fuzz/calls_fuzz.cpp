// The API fuzzer: libFuzzer's bytes become a sequence of calls into every entry of both
// libraries (tests/fuzz/calls.cpp), on the headless backend with the virtual clock.
#include <cstdint>

#include "tests/fuzz/calls.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  calls::setup();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  calls::run(data, size);
  return 0;
}
