// Replays every input that once brought the call fuzzer down, through the same call
// interpreter, in the ordinary test run: each must now run to its end.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/fuzz/calls.h"

namespace {

std::vector<std::filesystem::path> crashfiles() {
  std::vector<std::filesystem::path> v;
  for (auto const& e : std::filesystem::directory_iterator(QUIB_CALLS_CRASHES))
    if (e.is_regular_file()) v.push_back(e.path());
  std::sort(v.begin(), v.end());
  return v;
}

TEST(CallFuzzFinds, EveryCrashInputNowRunsThrough) {
  calls::setup();
  auto const files = crashfiles();
  ASSERT_FALSE(files.empty()) << "no inputs in " << QUIB_CALLS_CRASHES;
  for (auto const& f : files) {
    SCOPED_TRACE(f.filename().string());
    std::ifstream in(f, std::ios::binary);
    std::string const bytes{std::istreambuf_iterator<char>(in), {}};
    calls::run(reinterpret_cast<uint8_t const*>(bytes.data()), bytes.size());
  }
}

// Rows are chosen by a hash of their name; two names with one hash must not hide either.
TEST(CallFuzzFinds, EveryEntryCanBeChosen) {
  calls::setup();
  EXPECT_EQ(calls::reachable(), calls::entries());
  EXPECT_GT(calls::entries(), 300u);
}

}  // namespace
