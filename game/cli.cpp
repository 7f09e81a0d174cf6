// Command-line parsing and the help text. Every argument is untrusted: anything unknown
// is named back in escaped, shortened form and the game does not start.
#include "game/cli.h"

#include <cstring>

#include "game/keys.h"

namespace {

char const usage[] =
    "usage: quib [--fullscreen] [--record FILE | --replay FILE]\n"
    "       quib --help | --version\n";

char const help[] =
    "\n"
    "A ball runs round a circle; SPACE flips it inside or outside, or jumps it onto the\n"
    "next circle. Without options the game starts in an 800 x 600 window.\n"
    "\n"
    "Options:\n"
    "  --fullscreen     start in desktop full screen\n"
    "  --record FILE    write the seed and every key handled to FILE, for replaying\n"
    "  --replay FILE    play a recorded run back step for step; only Esc (quit) works\n"
    "  --help           show this help and exit\n"
    "  --version        show the version and exit\n"
    "\n"
    "Keys:\n";

// After the game keys: what the display library handles, and the gamepad.
char const morekeys[] =
    "  F11, Alt+Enter   full screen on / off\n"
    "\n"
    "Gamepad: A, B, X or Y is SPACE; the D-pad is the arrows; the shoulders are\n"
    "Numpad - / +; Start is R, Back is F12, Back + Start together quits.\n"
    "\n"
    "Environment:\n";

// The libraries' switches, after the game's own.
char const libswitches[] =
    "  DISP_HEADLESS=1  no window: draw into memory (with DISP_CLOCK=virtual, DISP_KEYS,\n"
    "                   DISP_QUIT_AT, DISP_SHOT, DISP_STATS, DISP_SIZE; see the display\n"
    "                   library)\n"
    "  DISP_FULLSCREEN=1  start full screen, like --fullscreen\n"
    "  SOUND_PERIOD_MS=N  the sound mixer's period (default 3 ms; 0: OpenAL Soft's own)\n"
    "  SOUND_LOG=FILE   log every sound played\n";

bool is(char const* arg, char const* name) { return std::strcmp(arg, name) == 0; }

// --name VALUE or --name=VALUE; `i` moves past what was used. Null when `arg` is not
// this option at all; sets `missing` when it is but has no value.
char const* operand(int argc, char const* const* argv, int& i, char const* name, bool& missing) {
  char const* arg = argv[i];
  std::size_t n = std::strlen(name);
  if (std::strncmp(arg, name, n) != 0) return nullptr;
  if (arg[n] == '=') {
    missing = arg[n + 1] == '\0';
    return arg + n + 1;
  }
  if (arg[n] != '\0') return nullptr;
  if (i + 1 >= argc || argv[i + 1] == nullptr || argv[i + 1][0] == '\0') {
    missing = true;
    return arg;
  }
  return argv[++i];
}

int fail(std::FILE* err, std::string const& what) {
  std::fprintf(err, "quib: %s\n%sTry 'quib --help' for more.\n", what.c_str(), usage);
  return 2;
}

}  // namespace

int parseargs(int argc, char const* const* argv, options& o, std::FILE* out, std::FILE* err) {
  for (int i = 1; i < argc && argv[i] != nullptr; ++i) {
    char const* arg = argv[i];
    if (is(arg, "--help") || is(arg, "-h")) {
      std::fprintf(out, "%s%s%s%s%s%s", usage, help, keyhelp().c_str(), morekeys,
                   switchhelp().c_str(), libswitches);
      return 0;
    }
    if (is(arg, "--version")) {
      std::fprintf(out, "quib %s\n", QUIB_VERSION);
      return 0;
    }
    if (is(arg, "--fullscreen")) {
      o.fullscreen = true;
      continue;
    }
    bool missing = false;
    for (auto [name, slot] : {std::pair{"--record", &o.record}, std::pair{"--replay", &o.replay}}) {
      char const* value = operand(argc, argv, i, name, missing);
      if (value == nullptr) continue;
      if (missing) return fail(err, std::string(name) + " needs a file name");
      if (*slot != nullptr) return fail(err, std::string(name) + " given twice");
      *slot = value;
      arg = nullptr;
      break;
    }
    if (arg != nullptr) return fail(err, "unknown argument " + quoted(arg));
  }
  if (o.record != nullptr && o.replay != nullptr) {
    return fail(err, "--record and --replay cannot be used together");
  }
  return -1;
}
