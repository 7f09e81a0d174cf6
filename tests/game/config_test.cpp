// The game's switches: one yes/no rule, strict seeds, bounded and escaped complaints, and
// the help, the manual page and the README kept to the one table.
#include "game/config.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

namespace {

std::map<std::string, std::string> env;
char const* lookup(char const* name) {
  auto it = env.find(name);
  return it == env.end() ? nullptr : it->second.c_str();
}

// The settings and the complaint for one set of switches.
gamesettings read(std::map<std::string, std::string> given, std::string* error) {
  env = std::move(given);
  error->clear();
  return readsettings(lookup, error);
}

TEST(Switches, OneYesNoRuleInAnyCase) {
  std::string error;
  for (char const* yes : {"1", "yes", "YES", "On", "true", "TRUE"}) {
    EXPECT_TRUE(read({{"QUIB_CHECK", yes}}, &error).check) << yes;
    EXPECT_EQ(error, "") << yes;
  }
  // "false" once turned the checks on: anything not "0" did.
  for (char const* no : {"0", "no", "No", "OFF", "false", "False", ""}) {
    EXPECT_FALSE(read({{"QUIB_CHECK", no}}, &error).check) << no;
    EXPECT_EQ(error, "") << no;
  }
  for (char const* bad : {"2", "y", "enable", " 1", "1 ", "truee"}) {
    EXPECT_FALSE(read({{"QUIB_CHECK", bad}}, &error).check) << bad;
    EXPECT_EQ(error.rfind("QUIB_CHECK='", 0), 0u) << error;
    EXPECT_NE(error.find("is not yes or no"), std::string::npos) << error;
  }
}

TEST(Switches, SeedsAreWholeNumbersThatFitThirtyTwoBits) {
  std::string error;
  gamesettings s = read({{"QUIB_SEED", "4294967295"}}, &error);
  EXPECT_TRUE(s.seeded);
  EXPECT_EQ(s.seed, 4294967295u);
  EXPECT_EQ(read({{"QUIB_SEED", "0007"}}, &error).seed, 7u);
  EXPECT_FALSE(read({}, &error).seeded);
  EXPECT_FALSE(read({{"QUIB_SEED", ""}}, &error).seeded);
  EXPECT_EQ(error, "");
  // -1 once became 4294967295 and 4294967296 became 0, in silence.
  for (char const* bad :
       {"-1", "4294967296", "99999999999999999999", "+7", " 7", "7 ", "0x10", "7e3", "seven"}) {
    EXPECT_FALSE(read({{"QUIB_SEED", bad}}, &error).seeded) << bad;
    EXPECT_NE(error.find("is not a whole number from 0 to 4294967295"), std::string::npos)
        << bad << ": " << error;
  }
}

TEST(Switches, AComplaintIsOneShortEscapedLineNamingTheSwitch) {
  std::string error;
  read({{"QUIB_SEED", std::string(100000, '9')}}, &error);
  EXPECT_LT(error.size(), 160u);
  EXPECT_NE(error.find("999...'"), std::string::npos) << error;
  read({{"QUIB_SEED", "\x1b]0;owned\x07\n"}}, &error);
  EXPECT_EQ(error.find('\x1b'), std::string::npos);
  EXPECT_EQ(error.find('\n'), std::string::npos);
  EXPECT_NE(error.find("QUIB_SEED='\\x1B]0;owned\\x07\\x0A'"), std::string::npos) << error;
  // Only the first bad switch is named; files are taken as given.
  gamesettings s =
      read({{"QUIB_CHECK", "maybe"}, {"QUIB_SEED", "x"}, {"QUIB_STATS", "s.txt"}}, &error);
  EXPECT_EQ(error.rfind("QUIB_SEED=", 0), 0u) << error;
  EXPECT_STREQ(s.stats, "s.txt");
}

std::string readtext(std::string const& path) {
  std::ifstream in(std::string(QUIB_SOURCE_DIR) + "/" + path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// The help, the manual page's environment section and the README's table name the same
// switches as the table, and no others of the game's.
TEST(Switches, HelpManualAndReadmeFollowTheTable) {
  std::string help = switchhelp();
  std::string man = readtext("dist/quib.6.in");
  std::size_t from = man.find(".SH ENVIRONMENT"), to = man.find(".SH", from + 1);
  ASSERT_NE(from, std::string::npos);
  man = man.substr(from, to - from);
  std::string readme = readtext("README.md");
  for (switchinfo const& sw : gameswitches) {
    std::string name = sw.name;
    EXPECT_NE(help.find("  " + name + "=" + sw.values), std::string::npos) << name;
    EXPECT_NE(help.find(sw.help), std::string::npos) << name;
    EXPECT_NE(man.find(".B " + name + "\n"), std::string::npos) << name << " not in the manual";
    std::string row = "| `" + name + "=" + sw.values + "` | " + sw.def + " | " + sw.help + " |";
    EXPECT_NE(readme.find(row), std::string::npos) << "README lacks the row\n" << row;
  }
  std::regex quibswitch("QUIB_[A-Z_]+");
  for (std::sregex_iterator it(man.begin(), man.end(), quibswitch), end; it != end; ++it) {
    bool known = false;
    for (switchinfo const& sw : gameswitches) known = known || it->str() == sw.name;
    EXPECT_TRUE(known) << it->str() << " is in the manual, not in the table of switches";
  }
  std::istringstream lines(readme);
  int rows = 0;
  for (std::string line; std::getline(lines, line);) rows += line.rfind("| `QUIB_", 0) == 0;
  EXPECT_EQ(rows, 5) << "the README's table has switches the game does not read";
}

}  // namespace
