// The command line: each option's output and exit status, and arguments of any shape.
#include "game/cli.h"

#include <gtest/gtest.h>

#include <fstream>
#include <list>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct parsed {
  int status;
  options o;
  std::string out, err;
};

parsed parse(std::vector<std::string> given) {
  // The options point into the arguments, which live as long as the program, as argv does.
  static std::list<std::vector<std::string>> kept;
  auto& args = kept.emplace_back(std::move(given));
  args.insert(args.begin(), "quib");
  std::vector<char const*> argv;
  for (auto const& a : args) argv.push_back(a.c_str());
  argv.push_back(nullptr);
  parsed p{};
  char* outbuf = nullptr;
  char* errbuf = nullptr;
  size_t outlen = 0, errlen = 0;
  std::FILE* out = open_memstream(&outbuf, &outlen);
  std::FILE* err = open_memstream(&errbuf, &errlen);
  p.status = parseargs(static_cast<int>(args.size()), argv.data(), p.o, out, err);
  std::fclose(out);
  std::fclose(err);
  p.out.assign(outbuf, outlen);
  p.err.assign(errbuf, errlen);
  std::free(outbuf);
  std::free(errbuf);
  return p;
}

TEST(CommandLine, HelpAndVersionPrintAndExitZero) {
  parsed v = parse({"--version", "--bogus"});  // the first answer wins
  EXPECT_EQ(v.status, 0);
  EXPECT_EQ(v.out, "quib 0.9.0\n");
  parsed h = parse({"--help"});
  EXPECT_EQ(h.status, 0);
  EXPECT_EQ(h.err, "");
  for (char const* want :
       {"usage: quib", "--record FILE", "--replay FILE", "--fullscreen", "SPACE", "F12", "Esc",
        "QUIB_SEED", "QUIB_STATS", "QUIB_DATA_DIR", "QUIB_CHECK", "DISP_HEADLESS", "SOUND_LOG"}) {
    EXPECT_NE(h.out.find(want), std::string::npos) << want;
  }
}

// The libraries' switches the help names are switches the libraries read: each is a row of
// its library's switch table (which that library's own test holds to its code).
TEST(CommandLine, TheHelpNamesOnlySwitchesTheLibrariesRead) {
  auto table = [](char const* readme) {
    std::ifstream in(std::string(QUIB_SOURCE_DIR) + "/" + readme);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  };
  std::string const disp = table("platform/disp/README.md"),
                    sound = table("platform/sound/README.md");
  ASSERT_FALSE(disp.empty());
  ASSERT_FALSE(sound.empty());
  std::string help = parse({"--help"}).out;
  std::regex libswitch("(DISP|SOUND)_[A-Z_]+");
  int named = 0;
  for (std::sregex_iterator it(help.begin(), help.end(), libswitch), end; it != end; ++it) {
    std::string const& readme = it->str()[0] == 'D' ? disp : sound;
    std::string const row = "| `" + it->str();  // then "`" or "=VALUE`"
    bool const found =
        readme.find(row + "`") != std::string::npos || readme.find(row + "=") != std::string::npos;
    EXPECT_TRUE(found) << it->str() << " is in --help but in no row of its library's switch table";
    ++named;
  }
  EXPECT_GE(named, 4);
}

TEST(CommandLine, OptionsWithTheirFiles) {
  parsed none = parse({});
  EXPECT_EQ(none.status, -1);  // no options: the game starts as it always has
  EXPECT_FALSE(none.o.fullscreen || none.o.record || none.o.replay);
  parsed p = parse({"--fullscreen", "--record", "run.txt", "--fullscreen"});
  EXPECT_EQ(p.status, -1);
  EXPECT_TRUE(p.o.fullscreen);
  EXPECT_STREQ(p.o.record, "run.txt");
  parsed q = parse({"--replay=a b.txt"});
  EXPECT_EQ(q.status, -1);
  EXPECT_STREQ(q.o.replay, "a b.txt");
}

TEST(CommandLine, EveryMisuseIsOneNamedLineThenTheUsageAndStatusTwo) {
  struct {
    std::vector<std::string> args;
    char const* says;
  } cases[] = {
      {{"--bogus"}, "unknown argument '--bogus'"},
      {{"game.txt"}, "unknown argument 'game.txt'"},
      {{"--fullscreen=yes"}, "unknown argument '--fullscreen=yes'"},
      {{"--recorder", "x"}, "unknown argument '--recorder'"},
      {{"--record"}, "--record needs a file name"},
      {{"--replay="}, "--replay needs a file name"},
      {{"--replay", ""}, "--replay needs a file name"},
      {{"--record", "a", "--record", "b"}, "--record given twice"},
      {{"--record", "a", "--replay", "b"}, "cannot be used together"},
      {{"--bo'g\\us\n\xff"}, "unknown argument '--bo\\'g\\\\us\\x0A\\xFF'"},
  };
  for (auto const& c : cases) {
    parsed p = parse(c.args);
    EXPECT_EQ(p.status, 2) << c.says;
    EXPECT_EQ(p.out, "");
    EXPECT_EQ(p.err.rfind("quib: ", 0), 0u) << p.err;
    EXPECT_NE(p.err.find(c.says), std::string::npos) << p.err;
    EXPECT_NE(p.err.find("usage: quib"), std::string::npos);
  }
}

TEST(CommandLine, AHugeArgumentIsNamedCutShort) {
  parsed p = parse({std::string(1 << 20, 'x')});
  EXPECT_EQ(p.status, 2);
  EXPECT_LT(p.err.size(), 400u);
  EXPECT_NE(p.err.find("xxx...'"), std::string::npos);
}

}  // namespace
