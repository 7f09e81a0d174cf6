// libsound's switch table and its parser: one yes/no rule, strict numbers, one line naming
// the switch for a bad value, and the README's switch table kept in step with the table.
#include <map>
#include <regex>

#include "platform/sound/aud_internal.h"
#include "tests/sound/testfiles.h"

using namespace soundtest;

namespace {

TEST(SoundConfig, YesAndNoAreSpelledOneWayInAnyCase) {
  for (char const* v : {"1", "yes", "YES", "On", "true", "TRUE"}) {
    bool x = false;
    EXPECT_TRUE(aud_parseflag(v, x) && x) << v;
  }
  for (char const* v : {"0", "no", "OFF", "False"}) {
    bool x = true;
    EXPECT_TRUE(aud_parseflag(v, x) && !x) << v;
  }
  for (char const* v : {"", "2", "y", "yess", " on", "enabled"}) {
    bool x = false;
    EXPECT_FALSE(aud_parseflag(v, x)) << v;
  }
}

TEST(SoundConfig, NumbersParseStrictlyWithinTheirRange) {
  double x = -1;
  EXPECT_TRUE(aud_parsenumber("2.5", 0, 200, false, x));
  EXPECT_EQ(x, 2.5);
  EXPECT_TRUE(aud_parsenumber("16", 2, 16, true, x));
  for (char const* v : {"", " 3", "3 ", "3ms", "0x10", "1e999", "nan", "inf", "-1", "201"})
    EXPECT_FALSE(aud_parsenumber(v, 0, 200, false, x)) << v;
  EXPECT_FALSE(aud_parsenumber("3.5", 2, 16, true, x));
}

TEST(SoundConfig, ABadValueGivesOneLineNamingTheSwitchAndTheDefault) {
  setenv("SOUND_PERIODS", "many\x1b[2J", 1);
  testing::internal::CaptureStderr();
  bool given = true;
  EXPECT_EQ(aud_cfgnumber("SOUND_PERIODS", &given), 4);
  EXPECT_EQ(aud_cfgnumber("SOUND_PERIODS"), 4);  // said once
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(given);
  EXPECT_EQ(err, "sound: SOUND_PERIODS=many\\x1B[2J is not a whole number from 2 to 16; using 4\n");
  unsetenv("SOUND_PERIODS");
}

// Every switch of the table has its row in the README's table, with the same default, and
// the README lists no SOUND_ (or DISP_) switch the library does not read.
TEST(SoundConfig, TheReadmeListsExactlyTheTablesSwitches) {
  std::string readme = slurp(std::string(QUIB_SOURCE_DIR) + "/platform/sound/README.md");
  std::regex row(R"(\n\| `((?:SOUND|DISP)_[A-Z_]+)[=`][^|]*\|([^\n]*))");
  std::map<std::string, std::string> rows;
  for (std::sregex_iterator it(readme.begin(), readme.end(), row), end; it != end; ++it)
    rows[(*it)[1]] = (*it)[2];
  for (size_t i = 0; i < aud_nswitches; ++i) {
    aud_switch const& s = aud_switches[i];
    ASSERT_TRUE(rows.count(s.name)) << s.name << " has no row in platform/sound/README.md";
    if (*s.def) {
      EXPECT_NE(rows[s.name].find(std::string("default ") + s.def), std::string::npos)
          << s.name << ": the README gives another default than " << s.def;
    }
    rows.erase(s.name);
  }
  for (auto& [name, text] : rows) ADD_FAILURE() << name << " is in the README but not in the table";
}

}  // namespace
