// The text of the last error (geterrortext, libdisp's disp_errortext): what failed, on
// which argument and why, per thread, beside the unchanged code of geterror().
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "facade/facade.h"

namespace {

std::string lasttext() { return geterrortext().text; }

TEST(ErrorText, FailedFileOperationsNameTheCallThePathAndTheCause) {
  geterror();
  EXPECT_FALSE(openfile("no-such-dir/x.txt"));
  EXPECT_EQ(geterror(), 3u);
  EXPECT_EQ(lasttext(), "openfile: cannot open \"no-such-dir/x.txt\": No such file or directory");

  EXPECT_FALSE(copyfile("no-such-file", "/tmp/never-made"));
  EXPECT_EQ(geterror(), 3u);
  EXPECT_EQ(lasttext(),
            "copyfile: cannot copy \"no-such-file\" to \"/tmp/never-made\": No such file or "
            "directory");

  EXPECT_FALSE(deletefile("no-such-file"));
  EXPECT_EQ(lasttext(), "deletefile: cannot delete \"no-such-file\": No such file or directory");
  EXPECT_FALSE(newfile("/"));
  EXPECT_EQ(lasttext(), "newfile: cannot create \"/\": File exists");
  EXPECT_EQ(geterror(), 3u);
}

TEST(ErrorText, TheTextOutlivesReadingTheCodeUntilTheNextFailure) {
  openfile("first-missing");
  EXPECT_EQ(geterror(), 3u);
  EXPECT_EQ(geterror(), 0u);  // the code is cleared as before ...
  EXPECT_EQ(lasttext(), "openfile: cannot open \"first-missing\": No such file or directory");
  EXPECT_TRUE(newdir("/tmp"));  // ... and a success leaves both alone
  EXPECT_EQ(lasttext(), "openfile: cannot open \"first-missing\": No such file or directory");
  s2i(nullptr);  // every failure names its function and what was wrong
  EXPECT_EQ(geterror(), 2u);
  EXPECT_EQ(lasttext(), "s2i: the text is null");
}

TEST(ErrorText, QuotedArgumentsAreEscapedAndCut) {
  openfile("a\"b\\c\nd\te");
  EXPECT_EQ(lasttext(),
            "openfile: cannot open \"a\\\"b\\\\c\\x0Ad\\x09e\": No such file or directory");
  std::string longpath(200, 'x');
  openfile(longpath.c_str());
  EXPECT_EQ(lasttext(),
            "openfile: cannot open \"" + std::string(48, 'x') + "\"...: No such file or directory");
  // A cut never splits a UTF-8 character: 47 bytes then a two-byte letter.
  std::string utf = std::string(47, 'y') + "\xC3\xA9" + "zz";
  openfile(utf.c_str());
  EXPECT_EQ(lasttext(),
            "openfile: cannot open \"" + std::string(47, 'y') + "\"...: No such file or directory");
}

TEST(ErrorText, EachThreadKeepsItsOwn) {
  openfile("main-thread-missing");
  std::string other;
  std::thread t([&] {
    other = lasttext();  // nothing failed on this thread yet
    openfile("other-thread-missing");
  });
  t.join();
  EXPECT_EQ(other, "");
  EXPECT_EQ(lasttext(), "openfile: cannot open \"main-thread-missing\": No such file or directory");
}

TEST(ErrorText, LoadersThreadsAndBadHandlesSayWhat) {
  geterror();
  EXPECT_EQ(loadbmp("no-such.bmp"), nullptr);
  EXPECT_EQ(geterror(), 3u);  // a failed load now sets the file error
  EXPECT_EQ(lasttext().rfind("loadbmp: cannot load \"no-such.bmp\": ", 0), 0u) << lasttext();

  static int notabitmap;  // a pointer the library never handed out
  bitmap* foreign = reinterpret_cast<bitmap*>(&notabitmap);
  EXPECT_FALSE(savebmp(foreign, "/tmp/never-written.bmp"));
  EXPECT_EQ(geterror(), 2u);
  EXPECT_EQ(lasttext(), "savebmp: not a live bitmap");

  EXPECT_EQ(newthread(nullptr), 0u);
  EXPECT_EQ(geterror(), 2u);
  EXPECT_EQ(lasttext(), "newthread: the procedure is null");
  EXPECT_FALSE(pausethread(987654));
  EXPECT_EQ(lasttext(), "no thread has the id 987654");
}

TEST(ErrorText, WindowCreationSaysWhy) {
  geterror();
  EXPECT_FALSE(createwin(0, 600));
  EXPECT_EQ(geterror(), 2u);
  EXPECT_EQ(lasttext().rfind("createwin: cannot open a window: ", 0), 0u) << lasttext();
}

}  // namespace
