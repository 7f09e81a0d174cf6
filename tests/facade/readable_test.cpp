// The facade as a newcomer writes it: plain functions and lambdas given to newthread and
// setdrawprocedure without a cast, and mystrings joined with + and +=.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "facade/facade.h"
#include "tests/support/recorder.h"

namespace {

void worker() {}
void withuser(void*) {}

double address(void (*f)()) { return static_cast<double>(reinterpret_cast<std::uintptr_t>(f)); }

TEST(TypedCallbacks, PlainFunctionsAndLambdasReachTheEntriesUnchanged) {
  rec::reset();
  newthread(worker);
  ASSERT_EQ(rec::count("NewThread18"), 1u);
  EXPECT_EQ(rec::of("NewThread18")[0].num(0), address(worker));
  setdrawprocedure(worker);
  ASSERT_EQ(rec::count("SetDrawProcedure48"), 1u);
  EXPECT_EQ(rec::of("SetDrawProcedure48")[0].num(0), address(worker));

  rec::reset();
  auto lambda = [] {};
  newthread(lambda);
  setdrawprocedure([] {});
  EXPECT_EQ(rec::of("NewThread18").at(0).num(0), address(+lambda));
  EXPECT_NE(rec::of("SetDrawProcedure48").at(0).num(0), 0);

  // A null pointer keeps the void* form (and its refusal in the library).
  rec::reset();
  newthread(nullptr);
  setdrawprocedure(nullptr);
  EXPECT_EQ(rec::of("NewThread18").at(0).num(0), 0);
  EXPECT_EQ(rec::of("SetDrawProcedure48").at(0).num(0), 0);

  rec::reset();
  int state = 0;
  newthread(withuser, &state);
  newthread([](void* u) { (void)u; }, &state);
  ASSERT_EQ(rec::count("disp_newthreadwith"), 2u);
  EXPECT_EQ(rec::of("disp_newthreadwith")[0].num(0),
            static_cast<double>(reinterpret_cast<std::uintptr_t>(&withuser)));
  EXPECT_EQ(rec::of("disp_newthreadwith")[1].num(1),
            static_cast<double>(reinterpret_cast<std::uintptr_t>(&state)));
}

TEST(MyStringJoin, JoinsTextOnEitherSideAndCutsAt511) {
  mystring score = i2s(42);
  EXPECT_STREQ(mystring("Score: ") + score, "Score: 42");
  EXPECT_STREQ(score + " points", "42 points");
  EXPECT_STREQ("best " + score, "best 42");
  char buf[8] = "!";
  EXPECT_STREQ(score + buf, "42!");
  EXPECT_EQ((score + score).length, 4u);
  EXPECT_STREQ(score, "42");  // + leaves its operands alone

  mystring s("ab");
  s += s;  // itself: its text as it was, once
  EXPECT_STREQ(s, "abab");
  s += nullptr;
  s += "";
  EXPECT_STREQ(s, "abab");
  EXPECT_EQ(s.length, 4u);

  mystring big(std::string(500, 'x').c_str());
  big += std::string(100, 'y').c_str();
  EXPECT_EQ(big.length, 511u);
  EXPECT_EQ(std::string(big.text), std::string(500, 'x') + std::string(11, 'y'));
  big += "z";
  EXPECT_EQ(big.length, 511u);
  EXPECT_EQ((big + big).length, 511u);

  // A number after a mystring is still an offset into its text, as before.
  char const* rest = score + 1;
  EXPECT_STREQ(rest, "2");
}

}  // namespace
