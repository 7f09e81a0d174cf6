// Writing files (writefile, appendfile, writetext, appendtext) against the real libdisp:
// what reaches the disk, what is refused and what a refusal leaves; and threads that get
// a pointer of the caller back (newthread(fn, user)).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "facade/facade.h"

namespace {

std::string slurp(std::string const& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A fresh directory of its own for each test, so leftovers can be counted.
struct scratch {
  std::string dir;
  scratch() {
    char tmpl[] = "/tmp/quib-write.XXXXXX";
    dir = mkdtemp(tmpl);
  }
  ~scratch() {
    std::string cmd = "rm -rf '" + dir + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
  }
  std::string at(char const* name) const { return dir + "/" + name; }
  // Every name in it, hidden ones too.
  int entries() const {
    int n = 0;
    DIR* d = opendir(dir.c_str());
    while (dirent* e = readdir(d))
      n += std::string(e->d_name) != "." && std::string(e->d_name) != "..";
    closedir(d);
    return n;
  }
};

std::string lasttext() { return geterrortext().text; }

TEST(WriteFile, ReplacesTheWholeContentAndAppendsAddToIt) {
  scratch s;
  std::string const path = s.at("score.dat");
  unsigned char const bytes[] = {1, 0, 2, 255, 0};
  EXPECT_TRUE(writefile(path.c_str(), bytes, sizeof bytes));
  EXPECT_EQ(slurp(path), std::string(reinterpret_cast<char const*>(bytes), sizeof bytes));
  // A shorter content leaves nothing of the longer one behind.
  EXPECT_TRUE(writetext(path.c_str(), "42"));
  EXPECT_EQ(slurp(path), "42");
  EXPECT_TRUE(appendtext(path.c_str(), "\n7"));
  EXPECT_TRUE(appendfile(path.c_str(), "xyz", 2));
  EXPECT_EQ(slurp(path), "42\n7xy");
  // Appending makes a missing file; nothing empty writes an empty file.
  EXPECT_TRUE(appendtext(s.at("log.txt").c_str(), "a"));
  EXPECT_EQ(slurp(s.at("log.txt")), "a");
  EXPECT_TRUE(writefile(path.c_str(), nullptr, 0));
  EXPECT_EQ(slurp(path), "");
  // A name as long as the system allows is written as well (the new content's file
  // beside it must not need a longer one).
  std::string const longest = s.at(std::string(255, 'n').c_str());
  EXPECT_TRUE(writetext(longest.c_str(), "long"));
  EXPECT_EQ(slurp(longest), "long");
  EXPECT_EQ(s.entries(), 3);  // no half-made file lies about
}

TEST(WriteFile, AReplacedFileKeepsItsPermissions) {
  scratch s;
  std::string const path = s.at("private");
  ASSERT_TRUE(writetext(path.c_str(), "old"));
  ASSERT_EQ(chmod(path.c_str(), 0600), 0);
  ASSERT_TRUE(writetext(path.c_str(), "new"));
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
}

TEST(WriteFile, RefusalsSayWhyAndLeaveTheOldContent) {
  scratch s;
  geterror();
  EXPECT_FALSE(writetext(nullptr, "x"));
  EXPECT_EQ(geterror(), 2u);
  EXPECT_EQ(lasttext(), "writetext: no file name");
  EXPECT_FALSE(appendfile("", "x", 1));
  EXPECT_EQ(geterror(), 2u);
  std::string const path = s.at("keep");
  ASSERT_TRUE(writetext(path.c_str(), "kept"));
  EXPECT_FALSE(writefile(path.c_str(), nullptr, 3));
  EXPECT_EQ(geterror(), 2u);
  EXPECT_EQ(lasttext(), "writefile: the data is null");
  EXPECT_FALSE(writetext(path.c_str(), nullptr));
  EXPECT_FALSE(appendtext(path.c_str(), nullptr));
  EXPECT_EQ(slurp(path), "kept");

  // A directory, a missing folder and a pipe are no files to write: refused at once (a pipe
  // without a reader must not hang the program).
  EXPECT_FALSE(writetext(s.dir.c_str(), "x"));
  EXPECT_EQ(geterror(), 3u);
  EXPECT_EQ(lasttext(), "writetext: cannot write \"" + s.dir + "\": not a regular file");
  EXPECT_FALSE(appendtext(s.dir.c_str(), "x"));
  EXPECT_EQ(geterror(), 3u);
  EXPECT_FALSE(writetext(s.at("no/such/dir").c_str(), "x"));
  EXPECT_EQ(geterror(), 3u);
  std::string const fifo = s.at("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(writetext(fifo.c_str(), "x"));
  EXPECT_FALSE(appendtext(fifo.c_str(), "x"));
  EXPECT_EQ(geterror(), 3u);
  EXPECT_EQ(s.entries(), 2);  // keep and fifo: nothing else was made
}

TEST(NewThreadWith, TheProcedureGetsThePointerBack) {
  std::atomic<int> seen{0};
  auto add = [](void* user) { static_cast<std::atomic<int>*>(user)->fetch_add(5); };
  unsigned long const id = newthread(add, &seen);
  EXPECT_NE(id, 0u);
  for (int i = 0; i < 500 && seen.load() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  EXPECT_EQ(seen.load(), 5);
  // Its ids are those of the other form: the next one follows, and it is known to them.
  EXPECT_EQ(newthread(add, &seen), id + 1);
  geterror();
  EXPECT_FALSE(pausethread(id));
  EXPECT_EQ(geterror(), 5u);
  EXPECT_EQ(newthread(static_cast<void (*)(void*)>(nullptr), &seen), 0u);
  EXPECT_EQ(geterror(), 2u);
  EXPECT_EQ(lasttext(), "newthread: the procedure is null");
  for (int i = 0; i < 500 && seen.load() != 10; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

}  // namespace
