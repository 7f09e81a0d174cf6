// The facade in namespace quib leaves the program's own short names free, and works from
// there; the named modes mean what the libraries do with them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "facade/quib.h"

// A program that includes <quib.h> may name its own things as the facade's functions are
// named: none of these would compile if the header had put that name at the top level.
int line = 1, clear = 2, delay = 3, circle = 4, createwin = 5, iswin = 6, lasterror = 7;
struct mystring {};

namespace {

class Names : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("DISP_HEADLESS", "1", 1);
    setenv("ALSOFT_DRIVERS", "null", 1);
    if (!quib::iswin()) {
      ASSERT_TRUE(quib::createwin(200, 100, QUIB_WIN_RESIZABLE));
    }
  }
};

// Every function, type and operator is there under quib::.
TEST_F(Names, TheFacadeWorksFromItsNamespace) {
  quib::clear(0x102030);
  quib::circle(50, 50, 10, 0xFF0000ul, 0xFF0000ul);
  EXPECT_EQ(quib::getpixel(50, 50), 0xFF0000ul);
  quib::mystring m = quib::i2s(42);
  m += "!";
  EXPECT_STREQ((m + "?").text, "42!?");
  EXPECT_LT(quib::random(10), 10);
  EXPECT_EQ(line + clear + delay + circle + createwin + iswin + lasterror, 28);
  quib::loadpng("/no/such.png");
  EXPECT_EQ(quib::lasterror(), QUIB_ERR_FILE);
  EXPECT_EQ(std::string(quib::lasterrortext()).rfind("loadpng: cannot load", 0), 0u);
}

// The named modes do what their numbers do: headless, a message box answers its default
// button at once; an unknown button set is a bad argument.
TEST_F(Names, NamedModesMeanWhatTheLibrariesDo) {
  struct {
    unsigned long flags, answer, error;
  } const boxes[] = {
      {QUIB_MB_OK, QUIB_ID_OK, QUIB_ERR_NONE},
      {QUIB_MB_YESNO | QUIB_MB_DEFBUTTON2, QUIB_ID_NO, QUIB_ERR_NONE},
      {QUIB_MB_CANCELTRYCONTINUE | QUIB_MB_DEFBUTTON3 | QUIB_MB_ICONWARNING, QUIB_ID_CONTINUE,
       QUIB_ERR_NONE},
      {QUIB_MB_ABORTRETRYIGNORE | QUIB_MB_DEFBUTTON2, QUIB_ID_RETRY, QUIB_ERR_NONE},
      {7, 0, QUIB_ERR_ARGUMENT},
  };
  for (auto const& b : boxes) {
    quib::geterror();
    EXPECT_EQ(quib::msgbox("text", "caption", b.flags), b.answer) << b.flags;
    EXPECT_EQ(quib::geterror(), b.error) << b.flags;
  }
  // A resizable window takes a new size; its weight constant draws bold.
  quib::setsize(300, 150);
  EXPECT_EQ(quib::getwidth(), 300u);
  quib::setfontweight(QUIB_WEIGHT_BOLD);
  quib::setfont();
}

}  // namespace
