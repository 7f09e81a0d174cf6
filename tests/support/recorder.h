// A recording stand-in for both platform libraries, generated from the entry table:
// every entry logs its name and arguments, and returns what the test scripted for it.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace rec {

// One argument as the entry received it: numbers widened to double (exact for every
// 32-bit value), text copied.
struct arg {
  double num = 0;
  std::string text;
  bool istext = false;
};

struct call {
  std::string entry;
  std::vector<arg> args;
  double num(size_t i) const { return args.at(i).num; }
  std::string const& text(size_t i) const { return args.at(i).text; }
};

// Calls made since the last reset(), in order.
extern std::vector<call> calls;

// Scripted results: by entry name, a function of the call that gives the numeric result
// (cast to the entry's result type) or, for text results, the text.
extern std::function<double(call const&)> numeric_result;
extern std::function<std::string(call const&)> text_result;

// Forgets the calls and restores the default results: text results are the decimal form
// of the first argument, numeric results 0, except abs2 and arccos5, which compute.
void reset();

// The calls of one entry, and how many there were.
std::vector<call> of(std::string const& entry);
size_t count(std::string const& entry);

}  // namespace rec
