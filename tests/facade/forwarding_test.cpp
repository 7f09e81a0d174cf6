// Every facade function reaches its own entry with its arguments unchanged and returns
// the entry's result unchanged; generated from the entry table, against the recorder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "facade/facade.h"
#include "tests/support/recorder.h"

namespace {

short const widetext[] = {'w', 'i', 'd', 'e', 0};

// A distinct value of each parameter type for argument position i, chosen to expose
// narrowing, lost signs and swapped arguments.
template <typename T>
T sample(int i);
template <>
double sample<double>(int i) {
  return i + 0.123456789012345;
}
template <>
float sample<float>(int i) {
  return static_cast<float>(i) + 0.3f;
}
template <>
long sample<long>(int i) {
  return -100000L - i;
}
template <>
unsigned long sample<unsigned long>(int i) {
  return 4000000000UL + static_cast<unsigned>(i);
}
template <>
unsigned char sample<unsigned char>(int i) {
  return static_cast<unsigned char>(200 + i);
}
template <>
char sample<char>(int i) {
  return static_cast<char>(-1 - i);
}
template <>
bool sample<bool>(int) {
  return true;
}
template <>
char const* sample<char const*>(int i) {
  static std::string texts[12];
  texts[i] = "text" + std::to_string(i);
  return texts[i].c_str();
}
template <>
short const* sample<short const*>(int) {
  return widetext;
}
template <>
bitmap* sample<bitmap*>(int i) {
  return reinterpret_cast<bitmap*>(0x10000 + 16 * i);
}
template <>
bitbuf* sample<bitbuf*>(int i) {
  return reinterpret_cast<bitbuf*>(0x20000 + 16 * i);
}
template <>
void* sample<void*>(int i) {
  return reinterpret_cast<void*>(0x30000 + 16 * i);
}

// What the recorder saw of one argument, as the number or text it logs.
template <typename T>
rec::arg expected(T v) {
  rec::arg a;
  if constexpr (std::is_same_v<T, char const*>) {
    a.text = v;
    a.istext = true;
  } else if constexpr (std::is_pointer_v<T>) {
    a.num = static_cast<double>(reinterpret_cast<std::uintptr_t>(v));
  } else {
    a.num = static_cast<double>(v);
  }
  return a;
}

// The value the recorder hands back, so results can be checked as unchanged.
constexpr double scripted = 77;

template <typename R>
bool resultunchanged(R const& r) {
  if constexpr (std::is_same_v<R, mystring>) {
    return std::string(r.text) == "result";
  } else if constexpr (std::is_same_v<R, char const*>) {
    return std::string(r) == "result";
  } else if constexpr (std::is_pointer_v<R>) {
    return reinterpret_cast<std::uintptr_t>(r) == static_cast<std::uintptr_t>(scripted);
  } else if constexpr (std::is_same_v<R, bool>) {
    return r;
  } else {
    return static_cast<double>(r) == scripted;
  }
}

struct outcome {
  std::string entry;
  std::string problem;
};

template <typename F, typename... A>
void check(char const* entry, std::vector<outcome>& bad, F call, A... args) {
  rec::reset();
  rec::numeric_result = [](rec::call const&) { return scripted; };
  rec::text_result = [](rec::call const&) { return std::string("result"); };
  std::vector<rec::arg> want = {expected(args)...};
  bool resultok = true;
  if constexpr (std::is_void_v<decltype(call(args...))>) {
    call(args...);
  } else {
    resultok = resultunchanged(call(args...));
  }
  if (rec::calls.size() != 1)
    return bad.push_back({entry, "calls made: " + std::to_string(rec::calls.size())});
  rec::call const& c = rec::calls[0];
  if (c.entry != entry) return bad.push_back({entry, "reached " + c.entry});
  if (c.args.size() != want.size()) return bad.push_back({entry, "argument count"});
  for (size_t i = 0; i < want.size(); ++i) {
    if (c.args[i].istext != want[i].istext || c.args[i].text != want[i].text ||
        c.args[i].num != want[i].num) {
      return bad.push_back({entry, "argument " + std::to_string(i + 1) + " changed"});
    }
  }
  if (!resultok) bad.push_back({entry, "result changed"});
}

#define QUIB_SAMPLE_ARGS(types) QUIB_CAT(QUIB_SAMPLE_, QUIB_NARGS types) types
#define QUIB_SAMPLE_0()
#define QUIB_SAMPLE_1(t1) , sample<qf_##t1>(0)
#define QUIB_SAMPLE_2(t1, t2) QUIB_SAMPLE_1(t1), sample<qf_##t2>(1)
#define QUIB_SAMPLE_3(t1, t2, t3) QUIB_SAMPLE_2(t1, t2), sample<qf_##t3>(2)
#define QUIB_SAMPLE_4(t1, t2, t3, t4) QUIB_SAMPLE_3(t1, t2, t3), sample<qf_##t4>(3)
#define QUIB_SAMPLE_5(t1, t2, t3, t4, t5) QUIB_SAMPLE_4(t1, t2, t3, t4), sample<qf_##t5>(4)
#define QUIB_SAMPLE_6(t1, t2, t3, t4, t5, t6) QUIB_SAMPLE_5(t1, t2, t3, t4, t5), sample<qf_##t6>(5)
#define QUIB_SAMPLE_7(t1, t2, t3, t4, t5, t6, t7) \
  QUIB_SAMPLE_6(t1, t2, t3, t4, t5, t6), sample<qf_##t7>(6)
#define QUIB_SAMPLE_8(t1, t2, t3, t4, t5, t6, t7, t8) \
  QUIB_SAMPLE_7(t1, t2, t3, t4, t5, t6, t7), sample<qf_##t8>(7)
#define QUIB_SAMPLE_9(t1, t2, t3, t4, t5, t6, t7, t8, t9) \
  QUIB_SAMPLE_8(t1, t2, t3, t4, t5, t6, t7, t8), sample<qf_##t9>(8)
#define QUIB_SAMPLE_10(t1, t2, t3, t4, t5, t6, t7, t8, t9, t10) \
  QUIB_SAMPLE_9(t1, t2, t3, t4, t5, t6, t7, t8, t9), sample<qf_##t10>(9)
#define QUIB_SAMPLE_11(t1, t2, t3, t4, t5, t6, t7, t8, t9, t10, t11) \
  QUIB_SAMPLE_10(t1, t2, t3, t4, t5, t6, t7, t8, t9, t10), sample<qf_##t11>(10)

// Calls the overload with exactly these parameter types, so each row picks its own.
#define QUIB_CHECK_ROW(entry, name, ret, types)        \
  check(                                               \
      #entry, bad, [](auto... a) -> qf_##ret {         \
        qf_##ret (*f)(QUIB_PARAMS(qf_, types)) = name; \
        return f(a...);                                \
      } QUIB_SAMPLE_ARGS(types));                      \
  ++rows;

TEST(Forwarding, EveryFacadeFunctionReachesItsOwnEntryUnchanged) {
  std::vector<outcome> bad;
  int rows = 0;
  QUIB_DISP_ENTRIES(QUIB_CHECK_ROW)
  QUIB_SOUND_ENTRIES(QUIB_CHECK_ROW)
  EXPECT_EQ(rows, 335);
  for (outcome const& o : bad) ADD_FAILURE() << o.entry << ": " << o.problem;
}

TEST(Forwarding, OverloadsByArgumentCountAndType) {
  rec::reset();
  circle(1, 2, 3, 4, 5);
  circle(1, 2, 3, 4);
  playaudio(7);
  playaudio(7, 0.5f);
  createwin(800, 600);
  ASSERT_EQ(rec::calls.size(), 5u);
  EXPECT_EQ(rec::calls[0].entry, "Circle186");
  EXPECT_EQ(rec::calls[1].entry, "Circle187");
  EXPECT_EQ(rec::calls[2].entry, "PlayAudio8");
  EXPECT_EQ(rec::calls[3].entry, "PlayAudio9");
  EXPECT_EQ(rec::calls[4].entry, "CreateWin42");
  EXPECT_EQ(rec::calls[4].num(0), 800);
  EXPECT_EQ(rec::calls[4].num(1), 600);
}

TEST(Forwarding, BytesAreWidenedKeepingTheirSign) {
  rec::reset();
  hc2i(static_cast<char>(-1));
  i2hc(static_cast<unsigned char>(255));
  EXPECT_EQ(rec::calls.at(0).num(0), -1);
  EXPECT_EQ(rec::calls.at(1).num(0), 255);
}

TEST(Forwarding, FloatsStaySinglePrecisionAndDoublesDouble) {
  rec::reset();
  setaudiofrq(1, 27.49f);
  arc(0, 0, 1, 1, 0.1, -0.1, 1, 1);
  EXPECT_EQ(rec::calls.at(0).num(1), static_cast<double>(27.49f));
  EXPECT_EQ(rec::calls.at(1).num(4), 0.1);
}

TEST(Forwarding, TextResultsAreCopiedAtOnce) {
  rec::reset();
  mystring a = i2s(1);
  mystring b = i2s(2);
  mystring c = i2s(3);
  EXPECT_STREQ(a.text, "1");
  EXPECT_STREQ(b.text, "2");
  EXPECT_STREQ(c.text, "3");
}

}  // namespace
