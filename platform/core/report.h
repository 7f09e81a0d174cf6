// How both libraries tell what went wrong: the hooks a program sets (a log hook for lines,
// a watcher for failures), a warning said once per cause, and the per-thread error record
// (code and text). Each library keeps its own instances; nothing here is exported.
//
// A hook is called with no lock held, on the thread that failed or warned, with a text that
// stays valid until it returns; so it may call any entry of either library, failing ones,
// threads and at exit included. A failure inside a watcher is recorded but not told to the
// watcher again, and a line said inside a log hook goes to stderr: neither can recurse.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

using core_logfn = void (*)(void* user, char const* line);
using core_errorfn = void (*)(void* user, unsigned long code, char const* text);

// A function and its pointer, set from any thread. Each library makes its own once and
// never destroys it: lines and failures come from atexit handlers too.
template <class Fn>
class core_hook {
 public:
  void set(Fn fn, void* user) {
    std::lock_guard hold(lock_);
    fn_ = fn, user_ = user;
  }
  std::pair<Fn, void*> get() {
    std::lock_guard hold(lock_);
    return {fn_, user_};
  }

 private:
  std::mutex lock_;
  Fn fn_ = nullptr;
  void* user_ = nullptr;
};

// printf into a line of at most `most` bytes.
std::string core_vformat(char const* fmt, va_list ap, std::size_t most = 1024);

// One line to the log hook, else to stderr.
void core_say(core_hook<core_logfn>& log, std::string const& line);

// Warnings said once per cause, then only counted; summary() tells each count not yet
// told ("LINE (said 3,594 times)"). Made once per library and never destroyed.
class core_warnings {
 public:
  // atexitfn (the library's own, calling summary()) is registered at the first warning.
  core_warnings(core_hook<core_logfn>& log, void (*atexitfn)()) : log_(log), atexit_(atexitfn) {}
  void warn(std::string const& cause, std::string const& line);
  void summary();

 private:
  struct said {
    std::string line;
    unsigned long long times = 0;  // how often the line was asked for
    unsigned long long told = 1;   // the count the last summary gave (1: the line itself)
  };
  core_hook<core_logfn>& log_;
  void (*atexit_)();
  std::mutex lock_;
  std::map<std::string, said> causes_;
  bool hooked_ = false;
};

// The text a record keeps: a whole escaped error line (1 KB of a caller's bytes may
// become four times as many characters), and the end mark.
inline constexpr std::size_t core_errtextmax = 4 * 1024 + 64;

// The last failure of one thread in one library, like errno. Each library declares its
// own `thread_local core_errors`: plain bytes with nothing to destroy, so a failure told
// while the process exits never writes to storage already gone.
struct core_errors {
  unsigned long code;          // of the latest failure since the code was last taken
  unsigned long fails;         // failures this thread has had
  bool told;                   // the watcher was last told of a failure (a success may clear it)
  bool telling;                // the watcher runs on this thread now
  unsigned holding;            // core_hold scopes open on this thread
  bool pending;                // a failure recorded inside them waits to be told
  char text[core_errtextmax];  // kept after the code is taken, until the next failure
};

// Records a failure (the text cut on a whole character where too long).
void core_record(core_errors& e, unsigned long code, std::string_view text);
// Tells the watcher the record's failure, from a copy of its text: call it with no lock of
// the library held (or inside core_hold). A watcher failing again is recorded, not told
// again.
void core_tell(core_errors& e, core_hook<core_errorfn>& watch);
// Both, for a library whose failing entries hold no lock of their own.
void core_fail(core_errors& e, core_hook<core_errorfn>& watch, unsigned long code,
               std::string_view text);
// Opened before the guard of a library lock, closed after it has let go: a failure recorded
// in between is told (the latest one) at the close, and lines said in between are said
// then, in order; so a watcher or log hook may call back into the library, that lock's
// entries included.
void core_hold(core_errors& e);
void core_release(core_errors& e, core_hook<core_errorfn>& watch);
// Whether a failure or a line waits inside the open core_hold scopes of this thread.
bool core_waiting(core_errors const& e);
// Clears the failure the watcher was last told of (code 0, text ""), if it was.
void core_succeeded(core_errors& e, core_hook<core_errorfn>& watch);
// The code of the latest failure, then 0.
unsigned long core_takecode(core_errors& e);
