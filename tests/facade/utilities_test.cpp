// mystring and the random generator.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "facade/mystring.h"
#include "facade/random.h"

namespace {

TEST(MyString, CopiesTheTextAndCountsIt) {
  mystring e("");
  EXPECT_EQ(e.length, 0u);
  EXPECT_EQ(e.text[0], '\0');
  mystring s("1234");
  EXPECT_EQ(s.length, 4u);
  EXPECT_STREQ(static_cast<char const*>(s), "1234");
}

TEST(MyString, CutsALongTextTo511AndNeverOverflows) {
  std::string big(5000, 'x');
  mystring s(big.c_str());
  EXPECT_EQ(s.length, 511u);
  EXPECT_EQ(std::string(s.text), std::string(511, 'x'));
  mystring n(nullptr);
  EXPECT_EQ(n.length, 0u);
}

TEST(MyString, CopiesStayDistinctWhenTheSourceBufferIsReused) {
  char buf[8] = "1";
  mystring a(buf);
  buf[0] = '2';
  mystring b(buf);
  EXPECT_STREQ(a.text, "1");
  EXPECT_STREQ(b.text, "2");
}

TEST(Random, DrawsAre15BitsAndSeedsRepeat) {
  srand15(7);
  int first = rand15();
  for (int i = 0; i < 10000; ++i) {
    int v = rand15();
    ASSERT_GE(v, 0);
    ASSERT_LE(v, 32767);
  }
  srand15(7);
  EXPECT_EQ(rand15(), first);
}

TEST(Random, RandomBuildsFromThreeDrawsInOrder) {
  srand15(99);
  long a = rand15(), b = rand15(), c = rand15();
  srand15(99);
  EXPECT_EQ(random(2147483647L), (a * 65536 + 2 * b + c % 2) % 2147483647L);
  srand15(99);
  EXPECT_EQ(random(2), c % 2);  // the lowest bit of the third draw
  srand15(99);
  rand15(), rand15(), rand15();
  int fourth = rand15();
  srand15(99);
  EXPECT_EQ(random(1), 0);
  EXPECT_EQ(rand15(), fourth);  // random(1) still used up three draws
}

TEST(Random, StaysInRangeAndCoversIt) {
  srand15(3);
  int seen[6] = {};
  for (int i = 0; i < 6000; ++i) {
    long v = random(6);
    ASSERT_GE(v, 0);
    ASSERT_LT(v, 6);
    ++seen[v];
  }
  for (int n : seen) EXPECT_GT(n, 800);
}

TEST(Random, SeedFromTheEnvironmentReplaysACourse) {
  setenv("QUIB_SEED", "1234", 1);
  randomize();
  int a = rand15();
  srand15(1234);
  EXPECT_EQ(rand15(), a);
  setenv("QUIB_SEED", "not-a-number", 1);
  testing::internal::CaptureStderr();
  randomize();
  EXPECT_NE(testing::internal::GetCapturedStderr().find("QUIB_SEED"), std::string::npos);
  unsetenv("QUIB_SEED");
}

}  // namespace
