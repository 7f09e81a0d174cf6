// Hooks that call back: a libdisp error watcher or log hook may call any entry, failing
// ones, thread entries and at exit included, without a deadlock or a read of freed or
// destroyed memory. Each case runs in a child ended by its alarm, so a deadlock fails the
// case instead of holding the suite; under ASan a bad read ends the child with status 1.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "platform/core/report.h"
#include "platform/disp/disp.h"
#include "tests/disp/child.h"

namespace {

// ---- Scenarios: what the child runs ---------------------------------------------------

std::string const longname = "/nonexistent/" + std::string(300, 'l') + ".bmp";

// Failing entries of different texts (the long name's outgrows any text before it).
std::map<std::string, std::function<void()>> const failing = {
    {"pausethread", [] { PauseThread19(999); }},
    {"loadbmp", [] { LoadBMP197(longname.c_str()); }},
    {"newthread", [] { NewThread18(nullptr); }},
};

// The watcher fails once more before it reads the text it was handed.
int watchertext() {
  for (auto const& [outer, failouter] : failing) {
    for (auto const& [inner, failinner] : failing) {
      static std::function<void()> again;
      again = failinner;
      disp_seterrorwatch(
          [](void*, unsigned long code, char const* text) {
            static int depth = 0;  // as a careful watcher would: no failing again from within
            if (depth > 0) return;
            std::string const before = text;
            ++depth;
            again();
            --depth;
            printf("%s %lu %d\n", before == text ? "same" : "changed", code,
                   int(strlen(text) == before.size()));
          },
          nullptr);
      failouter();
      // The failure inside the watcher is this thread's latest.
      printf("%s %s %d\n", outer.c_str(), inner.c_str(),
             int(strncmp(disp_errortext(), inner.c_str(), inner.size()) == 0 ||
                 (inner == "pausethread" && strstr(disp_errortext(), "999"))));
    }
  }
  return 0;
}

void idle() {}

// The watcher starts a thread, asks to pause it and opens a file, while an entry that
// takes the same lock is failing.
int threadwatch() {
  disp_seterrorwatch(
      [](void*, unsigned long, char const*) {
        unsigned long id = NewThread18(reinterpret_cast<void*>(idle));
        PauseThread19(id);
        StopThread21(id);
        OpenFile313("/nonexistent/file");
      },
      nullptr);
  unsigned long const id = NewThread18(reinterpret_cast<void*>(idle));
  for (unsigned long which : {id, 999ul}) {
    PauseThread19(which);
    ResumeThread20(which);
    StopThread21(which);
  }
  NewThread18(nullptr);
  OpenFile313("/nonexistent/file");  // fails holding the file reader's lock
  printf("done\n");
  return 0;
}

// At exit the warnings' counts are told to the log hook, which calls a failing entry.
int exithook() {
  disp_setlog(
      [](void*, char const* line) {
        fprintf(stderr, "%s\n", line);
        PauseThread19(999);
        LoadBMP197("/nonexistent/again.bmp");
      },
      nullptr);
  for (int i = 0; i < 3; ++i) LoadBMP197(longname.c_str());
  return 0;  // exit: the main thread's own storage is gone before the summary
}

std::map<std::string, std::function<int()>> const scenarios = {
    {"watchertext", watchertext}, {"threadwatch", threadwatch}, {"exithook", exithook}};

child::result runchild(char const* scenario) {
  char dir[] = "/tmp/core_hooks_test.XXXXXX";
  EXPECT_NE(mkdtemp(dir), nullptr);
  child::result r = child::run(
      scenario, child::environment({"DISP_", "DISPLAY=", "WAYLAND_DISPLAY="}, {"DISP_HEADLESS=1"}),
      dir);
  std::system((std::string("rm -rf ") + dir).c_str());
  return r;
}

// ---- Cases ----------------------------------------------------------------------------

TEST(Hooks, AWatcherThatFailsAgainKeepsTheTextItWasHanded) {
  child::result r = runchild("watchertext");
  ASSERT_EQ(r.status, 0) << r.err.substr(0, 2000);
  std::string expected;
  for (auto const& [outer, f] : failing) {
    for (auto const& [inner, g] : failing) {
      unsigned long const code = outer == "loadbmp" ? 3 : 2;  // a file error, a bad argument
      expected += "same " + std::to_string(code) + " 1\n" + outer + " " + inner + " 1\n";
    }
  }
  EXPECT_EQ(r.out, expected);
}

TEST(Hooks, AWatcherMayCallThreadAndFileEntriesWhileTheirOwnFail) {
  child::result r = runchild("threadwatch");
  EXPECT_EQ(r.status, 0) << "142 is the alarm: a deadlock\n" << r.err.substr(0, 2000);
  EXPECT_EQ(r.out, "done\n");
}

TEST(Hooks, ALogHookThatFailsAtExitWritesToNoDestroyedStorage) {
  child::result r = runchild("exithook");
  EXPECT_EQ(r.status, 0) << r.err.substr(0, 3000);
  EXPECT_NE(r.err.find("(said 3 times)"), std::string::npos) << r.err.substr(0, 3000);
}

// What libsound's entries do under their lock: the hooks are told once the lock is let go,
// the latest failure and every line in order, each hook free to take the lock itself.
TEST(Hooks, WhatALockedEntrySaysIsToldOnceItsLockIsLetGo) {
  static std::mutex lock;
  static std::string heard;
  static thread_local core_errors errors;
  core_hook<core_errorfn> watch;
  core_hook<core_logfn> log;
  watch.set(
      [](void*, unsigned long code, char const* text) {
        bool const free = lock.try_lock();
        if (free) lock.unlock();
        heard += "fail " + std::to_string(code) + " " + text + (free ? "" : " LOCKED") + "\n";
      },
      nullptr);
  log.set(
      [](void*, char const* line) {
        bool const free = lock.try_lock();
        if (free) lock.unlock();
        heard += std::string(line) + (free ? "" : " LOCKED") + "\n";
      },
      nullptr);
  struct {
    int fails, lines;
    std::string heard;
  } const cases[] = {
      {0, 0, ""},
      {1, 0, "fail 1 first\n"},
      {2, 2, "fail 2 second\nline 1\nline 2\n"},  // the failure first: a hook may fail again
      {0, 1, "line 1\n"},
  };
  for (auto const& c : cases) {
    heard.clear();
    {
      core_hold(errors);
      {
        std::lock_guard hold(lock);
        char const* texts[] = {"first", "second"};
        for (int i = 0; i < c.fails; ++i) core_fail(errors, watch, unsigned(i + 1), texts[i]);
        for (int i = 0; i < c.lines; ++i) core_say(log, "line " + std::to_string(i + 1));
      }
      core_release(errors, watch);
    }
    EXPECT_EQ(heard, c.heard);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && strcmp(argv[1], "--scenario") == 0) {
    alarm(10);  // a deadlocked child ends here
    auto it = scenarios.find(argv[2]);
    return it == scenarios.end() ? 2 : it->second();
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
