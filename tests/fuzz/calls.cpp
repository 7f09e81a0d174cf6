// The call interpreter: every row of the entry tables becomes a caller that draws its
// arguments from hostile pools by parameter type code, so an entry added to the tables is
// fuzzed without anyone listing it here.
#include "tests/fuzz/calls.h"

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cfloat>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <iterator>
#include <limits>
#include <string>
#include <string_view>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/disp/disp.h"
#include "platform/sound/sound.h"

namespace calls {
namespace {

// ---- Input ---------------------------------------------------------------------------

// The bytes of one run; past their end every byte reads as 0, so any input is a whole run.
struct reader {
  uint8_t const* p;
  size_t n;
  uint8_t byte() {
    if (n == 0) return 0;
    --n;
    return *p++;
  }
  uint64_t bytes(int k) {  // k bytes, little-endian
    uint64_t v = 0;
    for (int i = 0; i < k; ++i) v |= uint64_t(byte()) << (8 * i);
    return v;
  }
};

// ---- Pools ---------------------------------------------------------------------------
// Each argument starts with one selector byte; its top two bits pick the source:
// 00 a fixed hostile value, 01 something the libraries handed out earlier in the run,
// 10 a small value from the low six bits, 11 raw bytes (or a text) that follow.

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

double const dpool[] = {0,       -0.0,      1,      -1,      0.5,     3.141592653589793,
                        6.2832,  -6.2832,   1e-300, -1e-300, DBL_MIN, DBL_TRUE_MIN,
                        1e300,   -1e300,    1e308,  -1e308,  DBL_MAX, -DBL_MAX,
                        inf,     -inf,      nan,    -nan,    4194304, -4194304,
                        1e9,     -1e9,      12.5,   65535.5, 1e18,    9.3e18,
                        -9.3e18, 4294967296};
long const lpool[] = {0,
                      1,
                      -1,
                      2,
                      10,
                      -10,
                      100,
                      400,
                      300,
                      799,
                      599,
                      800,
                      600,
                      INT_MAX,
                      INT_MIN,
                      LONG_MAX,
                      LONG_MIN,
                      1L << 22,
                      -(1L << 22),
                      1L << 24,
                      -(1L << 24),
                      (1L << 24) + 1,
                      65535,
                      -65536,
                      1L << 31,
                      1L << 32,
                      -(1L << 32),
                      4194303,
                      LONG_MAX - 1,
                      LONG_MIN + 1};
unsigned long const upool[] = {0,
                               1,
                               2,
                               3,
                               5,
                               10,
                               20,
                               100,
                               255,
                               256,
                               800,
                               600,
                               4096,
                               16384,
                               16385,
                               65535,
                               65536,
                               0x7FFFFFFF,
                               0x80000000,
                               0xFFFFFFFF,
                               1ul << 32,
                               LONG_MAX,
                               1ul << 63,
                               ULONG_MAX,
                               0xFFFFFF,
                               0x808080,
                               0x1000001,
                               1000,
                               1000000,
                               86400000,
                               ULONG_MAX - 1,
                               0x7FFFFFFFFFFF};
// Byte-sized parameters arrive widened to 32 bits, so a C caller can pass any int.
long const bytepool[] = {0,   1,   2,    -1,   27,     32,      65,       123,
                         127, 128, 255,  256,  -128,   -129,    INT_MAX,  INT_MIN,
                         3,   4,   0x10, 0x40, 0x7FFF, 0x10000, UINT_MAX, 13};

// Long texts: past every fixed buffer of the libraries (4 KiB results, 1 KiB script lines)
// and past the longest font name; longer ones only cost the fuzzer time, as drawing and
// measuring text is linear in its length.
std::string const longx(8192, 'x');
std::string const longbad(8192, '\xff');
std::string const hugename(65536, 'A');
std::string const longpath(5000, 'p');
char const* const spool[] = {nullptr,
                             "",
                             " ",
                             "a",
                             "0",
                             "-1",
                             "  -42abc",
                             "9223372036854775808",
                             "-9223372036854775809",
                             "0xffffffffffffffffff",
                             "ffz",
                             "61zz62",
                             "\xff\xfe",
                             "\xc0\x80",
                             "\xed\xa0\x80",
                             "\xf4\x90\x80\x80",
                             "\xc3\xa9t\xc3\xa9",
                             "one\ntwo\n",
                             "\t\r",
                             "%s%n%x%p",
                             "Consolas",
                             "monospace",
                             "a.bmp",
                             "cut.bmp",
                             "a.wav",
                             "cut.wav",
                             "junk.mp3",
                             "t.txt",
                             "d",
                             "d/",
                             "none",
                             "fifo",
                             "new",
                             "d/new",
                             ".",
                             "..",
                             longx.c_str(),
                             longbad.c_str(),
                             hugename.c_str(),
                             longpath.c_str()};

char16_t const wabc[] = u"abc";
char16_t const wfile[] = u"a.bmp";
char16_t const wlone[] = {0xD800, 0};
char16_t const wlow[] = {0xDC00, u'a', 0xD83D, 0xDE00, 0};
std::u16string const wlong(70000, u'y');
std::u16string const wlonesome(70000, char16_t(0xD800));
char16_t const* const wspool[] = {nullptr, u"",  wabc,          wfile,
                                  wlone,   wlow, wlong.c_str(), wlonesome.c_str()};

// Procedures safe to hand to a thread or to the draw procedure (arbitrary pointers there
// would only test the fuzzer's luck): one that does nothing, one that draws on bitmaps of
// its own (see "Hooks and threads" below).
void noop();
void drawer();
void* const ppool[] = {nullptr, reinterpret_cast<void*>(&noop), reinterpret_cast<void*>(&drawer)};
void noopwith(void*);
void drawerwith(void*);
qe_pu const pupool[] = {nullptr, &noopwith, &drawerwith};

// Pointers the libraries never handed out: they must be refused without being read.
alignas(64) unsigned char foreign[256];
bitmap* const fakebitmaps[] = {nullptr, reinterpret_cast<bitmap*>(foreign),
                               reinterpret_cast<bitmap*>(uintptr_t(0x1000))};
bitbuf* const fakebufs[] = {nullptr, reinterpret_cast<bitbuf*>(foreign),
                            reinterpret_cast<bitbuf*>(uintptr_t(0x1000))};

template <class T, size_t N>
T const& pick(T const (&pool)[N], uint8_t k) {
  return pool[k % N];
}

// ---- State of one run ----------------------------------------------------------------

// What the libraries handed out: numbers (sound handles, thread ids, ...), bitmaps and bit
// buffers, live and released, and copies of returned texts.
struct handouts {
  std::vector<unsigned long> numbers;     // the last few, to pass on
  std::vector<unsigned long> allnumbers;  // every one, to free the sounds among them
  std::vector<bitmap*> bitmaps, releasedbitmaps;
  std::vector<bitbuf*> bufs, releasedbufs;
  std::deque<std::string> texts;
  std::deque<std::u16string> wides;
  std::deque<std::string> scratch;  // fuzz-made texts of the call in progress
  unsigned long last = 0;           // the number the last call handed out
};
handouts got;
bool trace = false;
std::string dir;

// Bitmaps and bit buffers are what a run can pile up (up to 1 GiB each): a few live ones
// at a time are enough to mix and draw between, and older ones are released first.
constexpr size_t maxbitmaps = 4;
// Resident memory past this after a call (the libraries allow 16384 x 16384 pictures, 1 GiB
// each) closes everything the run made, so memory stays bounded whatever sizes the input
// asks for: at most this plus what one call makes (-rss_limit_mb in calls.flags).
constexpr long maxresidentmb = 1024;

template <class T>
void remember(std::vector<T>& v, T x, size_t cap = 8) {
  if (std::find(v.begin(), v.end(), x) != v.end()) return;
  if (v.size() == cap) v.erase(v.begin());
  v.push_back(x);
}

// ---- Hooks and threads ---------------------------------------------------------------
// Hooks that call back into both libraries, and threads that draw on bitmaps of their own
// while the run goes on (closing and opening the window among its calls). Both may run on
// any thread at once, so they share nothing with the run but atomics, and call only what
// the libraries allow from any thread. A run waits for every thread it started before it
// ends, and takes its hooks back, so runs stay independent.

std::thread::id mainthread;
// Threads of ours started and ended in this run. A start is counted before the entry that
// makes the thread is called (and taken back if it fails), so that every thread still to
// be counted as ended is one counted as started.
std::atomic<long> launched{0}, ended{0};
std::atomic<int> drawing{0};           // threads drawing now
std::atomic<unsigned> scenes{0};       // scenes drawn so far, to vary the next
std::atomic<unsigned long> passon{0};  // the last number a library handed out
std::atomic<unsigned long> hooked{0};  // what the counting hooks saw
// What a process did in all, said at its exit (on stderr, or in the file QUIB_CALLS_TALLY
// names: libFuzzer closes the target's stderr): calls the runs made, runs, threads
// started, hooks that called back.
std::atomic<unsigned long long> madecalls{0}, runs{0}, threads{0}, callbacks{0};
void tally() {
  char const* to = getenv("QUIB_CALLS_TALLY");
  FILE* f = to ? fopen(to, "w") : stderr;
  if (!f) return;
  fprintf(f, "call: %llu calls in %llu runs, %llu threads, %u scenes, %llu hook callbacks\n",
          madecalls.load(), runs.load(), threads.load(), scenes.load(), callbacks.load());
  if (f != stderr) fclose(f);
}
// At most this many threads draw at once; hooks start threads only below it.
constexpr int maxdrawing = 4;

bool onmain() { return std::this_thread::get_id() == mainthread; }

// A thread of ours counts as ended only as it goes: its thread-local objects go in the
// reverse order of their making, so this one, made first thing, goes after the libraries'
// own (a thread's blur scratch), which a leak check made the moment the run ends would
// otherwise find neither freed nor held by anyone.
struct ending {
  ~ending() { ++ended; }
};
void begin() {
  if (onmain()) return;
  thread_local ending mark;
  (void)mark;
}

// One scene on bitmaps of the caller's own: shapes, text through cairo and through Pango,
// blurs, one bitmap onto the other, the current font pinned, pixels read back; on some, a
// failure (its watchers run on this thread) and a sound loaded, played and freed.
void scene(unsigned v) {
  bitmap* b = CreateBMP192(24 + v % 41, 16 + v % 29);
  bitmap* c = CreateBMP192(12, 10);
  Circle185(b, 12, 8, long(3 + v % 9), 0xFF2020, 0x20FF20);
  Bar157(c, 1, 1, 8, 6, 0xFFFFFF, 0x2040C0);
  Line154(b, 0, 0, 40, 30, 0x123456);
  if (v % 4 == 1) SetFont103(b);
  DrawTextXY119(b, v % 2 ? "12:34" : "\xec\x95\x88 \xd9\x85\xd8\xb1 \xf0\x9f\x99\x82", 1, 1,
                0xFFFF00);
  DrawTextXYw134(c, "wrap me", 0, 0, 0xFFFFFF);
  DrawBMP208(b, c);
  BlurBMPBox230(b, 2, 1);
  BlurBMPGau232(c, 1.5);
  (void)GetPixel147(b, v % 20, v % 12);
  if (v % 3 == 0) DrawTextXY119(b, nullptr, 0, 0, 0);
  if (v % 5 == 0) {
    unsigned long s = LoadAudio3("a.wav");
    PlayAudio8(s);
    FreeAudio7(s);
  }
  ReleaseBMP194(c);
  ReleaseBMP194(b);
}

// A thread's procedure: a few scenes, unless enough threads draw already. As the draw
// procedure (on the run's own thread) it draws one.
void draw() {
  begin();
  if (!onmain() && ++drawing > maxdrawing) {
    --drawing;
    return;
  }
  unsigned const v = scenes++;
  for (unsigned i = 0, n = onmain() ? 1 : 1 + v % 4; i < n; ++i) scene(v + i);
  if (!onmain()) --drawing;
}
void noop() { begin(); }
void drawer() { draw(); }
void noopwith(void*) { begin(); }
void drawerwith(void*) { draw(); }

// What a calling hook does, each a separate hook so that the input picks it.
enum class back { ask, fail, sound, threads, all };

// Calls back into both libraries from inside a hook, around the text it was given: the
// text is the hook's until it returns, so it must read the same after the calls (read to
// its end, a text freed meanwhile shows under ASan).
void callback(back what, char const* text) {
  ++callbacks;
  std::string const before = text;
  if (what == back::ask || what == back::all) {
    GetError38();
    (void)strlen(disp_errortext());
    sound_geterror();
    (void)strlen(sound_errortext());
  }
  if (what == back::fail || what == back::all) {
    (void)GetPixel147(fakebitmaps[1], 0, 0);  // not a bitmap: error 2
    PlayAudio8(~0ul);                         // not a sound
    LoadAudio3("no-such.wav");                // a line and a failure
    PauseThread19(passon);                    // never possible
  }
  if (what == back::sound || what == back::all) {
    (void)GetAudioSit13(passon);
    FreeAudio7(NewAudio2());
  }
  if (what == back::threads || what == back::all) {
    if (drawing < maxdrawing && launched - ended < 2 * maxdrawing) {
      ++launched;
      unsigned long id = disp_newthreadwith(drawerwith, nullptr);
      if (!id) --launched;
      threads += id != 0;
      PauseThread19(id);
    }
  }
  if (before != text) {
    fprintf(stderr, "call: a hook's text changed under it: \"%s\" became \"%s\"\n", before.c_str(),
            text);
    abort();
  }
}

void counting(void*, char const* line) { hooked += line[0] != 0; }
void counted(void*, unsigned long code, char const*) { hooked += code; }
template <back what>
void calling(void*, char const* line) {
  callback(what, line);
}
template <back what>
void watching(void*, unsigned long, char const* text) {
  callback(what, text);
}

qe_lf const lfpool[] = {nullptr,
                        counting,
                        calling<back::ask>,
                        calling<back::fail>,
                        calling<back::sound>,
                        calling<back::threads>,
                        calling<back::all>};
qe_ef const efpool[] = {nullptr,
                        counted,
                        watching<back::ask>,
                        watching<back::fail>,
                        watching<back::sound>,
                        watching<back::threads>,
                        watching<back::all>};
qe_lf arg_lf(reader& r) { return pick(lfpool, r.byte()); }
qe_ef arg_ef(reader& r) { return pick(efpool, r.byte()); }

// The end of a run: hooks taken back first (a hook starts threads), then every thread of
// the run waited for. One still running after this long is stuck: that is a finding.
void settle() {
  disp_setlog(nullptr, nullptr);
  disp_seterrorwatch(nullptr, nullptr);
  sound_setlog(nullptr, nullptr);
  sound_seterrorwatch(nullptr, nullptr);
  auto const until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (ended != launched) {
    if (std::chrono::steady_clock::now() > until) {
      fprintf(stderr, "call: %ld of the run's threads still running after 20 s\n",
              launched - ended);
      abort();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  launched = ended = 0;
}

// ---- Arguments by type code ----------------------------------------------------------

double dfrom(uint8_t k, reader& r) {
  switch (k >> 6) {
    case 0:
      return pick(dpool, k);
    case 1:
      return double(got.numbers.empty() ? 0 : got.numbers[k % got.numbers.size()]);
    case 2:
      return double(int(k & 63) - 32) * 0.25;
    default: {
      uint64_t bits = r.bytes(8);
      double d;
      memcpy(&d, &bits, sizeof d);
      return d;
    }
  }
}

qe_d arg_d(reader& r) { return dfrom(r.byte(), r); }

qe_f arg_f(reader& r) {
  uint8_t k = r.byte();
  if (k >> 6 != 3) return float(dfrom(k, r));
  uint32_t bits = uint32_t(r.bytes(4));
  float f;
  memcpy(&f, &bits, sizeof f);
  return f;
}

long arg_int(reader& r, long small0) {
  uint8_t k = r.byte();
  switch (k >> 6) {
    case 0:
      return pick(lpool, k);
    case 1:
      return got.numbers.empty() ? 0 : long(got.numbers[k % got.numbers.size()]);
    case 2:
      return long(k & 63) + small0;
    default:
      return long(int64_t(r.bytes(8)));
  }
}

qe_l arg_l(reader& r) { return arg_int(r, -16); }

qe_u arg_u(reader& r) {
  uint8_t k = r.byte();
  switch (k >> 6) {
    case 0:
      return pick(upool, k);
    case 1:
      return got.numbers.empty() ? 0 : got.numbers[k % got.numbers.size()];
    case 2:
      return k & 63;
    default:
      return r.bytes(8);
  }
}

long arg_byte(reader& r) {
  uint8_t k = r.byte();
  switch (k >> 6) {
    case 0:
      return pick(bytepool, k);
    case 1:
      return long(k & 63) + 64;
    case 2:
      return long(k & 63);
    default:
      return long(int32_t(r.bytes(4)));
  }
}
qe_uc arg_uc(reader& r) { return qe_uc(arg_byte(r)); }
qe_c arg_c(reader& r) { return qe_c(arg_byte(r)); }
qe_bool arg_bool(reader& r) { return qe_bool(arg_byte(r)); }

// A text made from the input: '/' becomes '_', so a made-up path never leaves the scratch
// directory (the file entries create, move and delete what they are given).
char const* madetext(reader& r, size_t len) {
  std::string s;
  for (size_t i = 0; i < len && r.n; ++i) {
    char c = char(r.byte());
    if (c == '\0') break;
    s.push_back(c == '/' ? '_' : c);
  }
  got.scratch.push_back(std::move(s));
  return got.scratch.back().c_str();
}

qe_s arg_s(reader& r) {
  uint8_t k = r.byte();
  switch (k >> 6) {
    case 0:
      return pick(spool, k);
    case 1:
      return got.texts.empty() ? "" : got.texts[k % got.texts.size()].c_str();
    case 2:
      return madetext(r, k & 63);
    default:
      return madetext(r, size_t(r.byte()) * 16 + (k & 15));
  }
}

qe_ws arg_ws(reader& r) {
  uint8_t k = r.byte();
  char16_t const* w;
  if (k >> 6 == 0) {
    w = pick(wspool, k);
  } else if (k >> 6 == 1) {
    w = got.wides.empty() ? u"" : got.wides[k % got.wides.size()].c_str();
  } else {
    std::u16string s;
    for (size_t i = 0, len = k & 63; i < len && r.n; ++i) {
      char16_t c = char16_t(r.bytes(2));
      if (!c) break;
      s.push_back(c);
    }
    got.wides.push_back(std::move(s));
    if (got.wides.size() > 8) got.wides.pop_front();
    w = got.wides.back().c_str();
  }
  return reinterpret_cast<short const*>(w);
}

qe_b arg_b(reader& r) {
  uint8_t k = r.byte();
  switch (k >> 6) {
    case 0:
      return pick(fakebitmaps, k);
    case 1:
      return got.releasedbitmaps.empty() ? nullptr
                                         : got.releasedbitmaps[k % got.releasedbitmaps.size()];
    default:
      return got.bitmaps.empty() ? nullptr : got.bitmaps[k % got.bitmaps.size()];
  }
}

qe_bb arg_bb(reader& r) {
  uint8_t k = r.byte();
  switch (k >> 6) {
    case 0:
      return pick(fakebufs, k);
    case 1:
      return got.releasedbufs.empty() ? nullptr : got.releasedbufs[k % got.releasedbufs.size()];
    default:
      return got.bufs.empty() ? nullptr : got.bufs[k % got.bufs.size()];
  }
}

qe_p arg_p(reader& r) { return pick(ppool, r.byte()); }
qe_pu arg_pu(reader& r) { return pick(pupool, r.byte()); }
// Bytes to write come with a size the caller vouches for; a drawn size over a real buffer
// would only read past it, so only the null pointer is tried (refused unless the size is 0).
qe_cp arg_cp(reader&) { return nullptr; }
// A sprite's description: none, or one of drawn numbers (NaN, infinities, huge scales and
// parts outside the bitmap among them).
qe_sp arg_sp(reader& r) {
  static disp_sprite s;
  static double const odd[] = {0, 1, -1, 0.5, 90, 33.3, 1e-9, 1e9, -1e300, NAN, INFINITY, 16};
  if (r.byte() & 1) return nullptr;
  for (double* v : {&s.x, &s.y, &s.degrees, &s.scalex, &s.scaley, &s.originx, &s.originy})
    *v = odd[r.byte() % (sizeof odd / sizeof odd[0])] * (r.byte() & 1 ? 1 : 37);
  for (long* v : {&s.sx, &s.sy, &s.sw, &s.sh}) *v = long(int8_t(r.byte()));
  s.flipx = r.byte() & 1, s.flipy = r.byte() & 1;
  return &s;
}
// A log hook and an error watcher for either library: none (the default), or one from the
// pool of "Hooks and threads" below, called from wherever the libraries fail or speak.
qe_lf arg_lf(reader& r);
qe_ef arg_ef(reader& r);
// The sound clock: the one the run started with (libdisp's, on its virtual clock) or none;
// it is read at start-up only, so either leaves the run as it was.
qe_ck arg_ck(reader& r) { return r.byte() & 1 ? nullptr : GetTime50; }

// ---- Results -------------------------------------------------------------------------

template <class F>
void keep_v(F f) {
  f();
}
template <class F>
void keep_number(F f) {
  auto const v = static_cast<unsigned long>(f());
  remember(got.numbers, v);
  got.allnumbers.push_back(v);
  got.last = v;
  passon = v;
}
template <class F>
void keep_u(F f) {
  keep_number(f);
}
template <class F>
void keep_l(F f) {
  keep_number(f);
}
template <class F>
void keep_value(F f) {
  (void)f();
}
template <class F>
void keep_d(F f) {
  keep_value(f);
}
template <class F>
void keep_f(F f) {
  keep_value(f);
}
template <class F>
void keep_bool(F f) {
  keep_value(f);
}
template <class F>
void keep_c(F f) {
  keep_value(f);
}
template <class F>
void keep_p(F f) {
  keep_value(f);
}
// Texts are read to their end at once (a missing terminator shows under ASan) and copied.
template <class F>
void keep_s(F f) {
  if (char const* s = f()) {
    got.texts.emplace_back(s);
    if (got.texts.size() > 8) got.texts.pop_front();
  }
}
template <class F>
void keep_ms(F f) {
  keep_s(f);
}
template <class F>
void keep_ws(F f) {
  if (short const* s = f()) {
    auto w = reinterpret_cast<char16_t const*>(s);
    got.wides.emplace_back(w);
    if (got.wides.size() > 8) got.wides.pop_front();
  }
}
template <class F>
void keep_b(F f) {
  if (bitmap* b = f())
    if (std::find(got.bitmaps.begin(), got.bitmaps.end(), b) == got.bitmaps.end())
      got.bitmaps.push_back(b);
}
template <class F>
void keep_bb(F f) {
  if (bitbuf* b = f())
    if (std::find(got.bufs.begin(), got.bufs.end(), b) == got.bufs.end()) got.bufs.push_back(b);
}

// ---- Tracing -------------------------------------------------------------------------

void show(double v) { fprintf(stderr, "%.17g", v); }
void show(float v) { fprintf(stderr, "%.9gf", double(v)); }
void show(long v) { fprintf(stderr, "%ld", v); }
void show(unsigned long v) { fprintf(stderr, "%luu", v); }
void show(unsigned v) { fprintf(stderr, "%uu", v); }
void show(int v) { fprintf(stderr, "%d", v); }
void show(char const* s) {
  if (!s) return void(fprintf(stderr, "null"));
  size_t n = strlen(s);
  fprintf(stderr, "\"%.40s\"%s", s, n > 40 ? "...(long)" : "");
}
void show(short const* s) { fprintf(stderr, s ? "L\"...\"" : "null"); }
void show(void const* p) { fprintf(stderr, "%p", p); }
void show(qe_pu p) { fprintf(stderr, p ? "procedure" : "null"); }
void show(qe_lf p) { fprintf(stderr, p ? "log" : "null"); }
void show(qe_ef p) { fprintf(stderr, p ? "watch" : "null"); }
void show(qe_ck p) { fprintf(stderr, p ? "clock" : "null"); }

template <class Tuple>
void showcall(char const* name, Tuple const& args) {
  fprintf(stderr, "call: %s(", name);
  std::apply(
      [](auto const&... a) {
        int i = 0;
        ((fprintf(stderr, i++ ? ", " : ""), show(a)), ...);
      },
      args);
  fprintf(stderr, ")\n");
}

// ---- The table -----------------------------------------------------------------------

#define CALLS_A_0()
#define CALLS_A_1(t1) arg_##t1(r)
#define CALLS_A_2(t1, t2) CALLS_A_1(t1), arg_##t2(r)
#define CALLS_A_3(t1, t2, t3) CALLS_A_2(t1, t2), arg_##t3(r)
#define CALLS_A_4(t1, t2, t3, t4) CALLS_A_3(t1, t2, t3), arg_##t4(r)
#define CALLS_A_5(t1, t2, t3, t4, t5) CALLS_A_4(t1, t2, t3, t4), arg_##t5(r)
#define CALLS_A_6(t1, t2, t3, t4, t5, t6) CALLS_A_5(t1, t2, t3, t4, t5), arg_##t6(r)
#define CALLS_A_7(t1, t2, t3, t4, t5, t6, t7) CALLS_A_6(t1, t2, t3, t4, t5, t6), arg_##t7(r)
#define CALLS_A_8(t1, t2, t3, t4, t5, t6, t7, t8) CALLS_A_7(t1, t2, t3, t4, t5, t6, t7), arg_##t8(r)
#define CALLS_A_9(t1, t2, t3, t4, t5, t6, t7, t8, t9) \
  CALLS_A_8(t1, t2, t3, t4, t5, t6, t7, t8), arg_##t9(r)
#define CALLS_A_10(t1, t2, t3, t4, t5, t6, t7, t8, t9, t10) \
  CALLS_A_9(t1, t2, t3, t4, t5, t6, t7, t8, t9), arg_##t10(r)
#define CALLS_A_11(t1, t2, t3, t4, t5, t6, t7, t8, t9, t10, t11) \
  CALLS_A_10(t1, t2, t3, t4, t5, t6, t7, t8, t9, t10), arg_##t11(r)
// CALLS_ARGS((d, u)) -> arg_d(r), arg_u(r): drawn left to right, as a braced list is
// evaluated in order.
#define CALLS_ARGS(types) QUIB_APPLY(QUIB_CAT(CALLS_A_, QUIB_NARGS types), (QUIB_UNPACK types))

#define CALLS_CALLER(entry, name, ret, types)            \
  void call_##entry([[maybe_unused]] reader& r) {        \
    auto args = std::tuple{CALLS_ARGS(types)};           \
    if (trace) showcall(#entry, args);                   \
    keep_##ret([&] { return std::apply(entry, args); }); \
  }
QUIB_DISP_ENTRIES(CALLS_CALLER)
QUIB_DISP_EXTENSIONS(CALLS_CALLER)
QUIB_SOUND_ENTRIES(CALLS_CALLER)
QUIB_SOUND_EXTENSIONS(CALLS_CALLER)

struct row {
  char const* name;
  void (*call)(reader&);
  bool makesbitmap, makesbuf, startsthread;
  uint16_t key;  // where the row sits among the 65536 values of the selector
};

#define CALLS_ROW(entry, name, ret, types) \
  {#entry,                                 \
   call_##entry,                           \
   std::is_same_v<qr_##ret, bitmap*>,      \
   std::is_same_v<qr_##ret, bitbuf*>,      \
   std::string_view(#name) == "newthread", \
   0},
row table[] = {QUIB_DISP_ENTRIES(CALLS_ROW) QUIB_DISP_EXTENSIONS(CALLS_ROW)
                   QUIB_SOUND_ENTRIES(CALLS_ROW) QUIB_SOUND_EXTENSIONS(CALLS_ROW)};
constexpr size_t nrows = sizeof table / sizeof table[0];

// A row is chosen by a 16-bit selector: the first row whose key (a hash of its name) is
// at or above it. Keys depend on names alone, so an entry added to the tables later takes
// over only a sliver of selectors and saved inputs keep calling what they called.
uint16_t namekey(char const* s) {
  uint32_t h = 2166136261u;
  for (; *s; ++s) h = (h ^ uint8_t(*s)) * 16777619u;
  return uint16_t(h ^ (h >> 16));
}

void sorttable() {
  for (row& e : table) e.key = namekey(e.name);
  std::sort(std::begin(table), std::end(table), [](row const& a, row const& b) {
    return a.key != b.key ? a.key < b.key : strcmp(a.name, b.name) < 0;
  });
  // Two names on one key: the later moves up past it, so both can be chosen.
  for (size_t i = 1; i < nrows; ++i)
    if (table[i].key <= table[i - 1].key && table[i - 1].key < 0xFFFF)
      table[i].key = uint16_t(table[i - 1].key + 1);
}

row const& choose(uint16_t sel) {
  auto it = std::lower_bound(std::begin(table), std::end(table), sel,
                             [](row const& e, uint16_t v) { return e.key < v; });
  return it == std::end(table) ? table[0] : *it;
}

// ---- Scratch directory ---------------------------------------------------------------

void put(char const* name, void const* data, size_t size) {
  int fd = open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return;
  if (write(fd, data, size) != ssize_t(size)) perror(name);
  close(fd);
}

void le(std::string& s, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s.push_back(char(v >> (8 * i)));
}

// A 2 x 2 picture, 24 bits a pixel, rows padded to 8 bytes.
std::string samplebmp() {
  std::string s = "BM";
  le(s, 54 + 16, 4), le(s, 0, 4), le(s, 54, 4);
  le(s, 40, 4), le(s, 2, 4), le(s, 2, 4), le(s, 1, 2), le(s, 24, 2);
  le(s, 0, 4), le(s, 16, 4), le(s, 2835, 4), le(s, 2835, 4), le(s, 0, 4), le(s, 0, 4);
  for (int row = 0; row < 2; ++row) s += std::string("\x00\x00\xff\x00\xff\x00\x00\x00", 8);
  return s;
}

// A tenth of a second of a 440 Hz tone, 16-bit mono at 8 kHz.
std::string samplewav() {
  std::string s = "RIFF";
  int const n = 800;
  le(s, 36 + 2 * n, 4);
  s += "WAVEfmt ";
  le(s, 16, 4), le(s, 1, 2), le(s, 1, 2), le(s, 8000, 4), le(s, 16000, 4), le(s, 2, 2);
  le(s, 16, 2);
  s += "data";
  le(s, 2 * n, 4);
  for (int i = 0; i < n; ++i) le(s, uint32_t(int(8000 * std::sin(i * 0.3456))), 2);
  return s;
}

int removeone(char const* path, struct stat const*, int, struct FTW*) {
  remove(path);
  return 0;
}

// What the sample files were when laid out: if none of them (nor the directory) changed,
// the next run can keep them.
struct stamp {
  ino_t ino;
  off_t size;
  timespec mtime;
};
char const* const samples[] = {".",        "a.bmp", "cut.bmp", "a.wav", "cut.wav",
                               "junk.mp3", "t.txt", "d",       "fifo"};
stamp laid[std::size(samples)];

bool unchanged() {
  for (size_t i = 0; i < std::size(samples); ++i) {
    struct stat st;
    if (lstat(samples[i], &st) != 0 || st.st_ino != laid[i].ino || st.st_size != laid[i].size ||
        st.st_mtim.tv_sec != laid[i].mtime.tv_sec || st.st_mtim.tv_nsec != laid[i].mtime.tv_nsec)
      return false;
  }
  return true;
}

// Empties the scratch directory and lays the sample files out again when the file entries
// of the run before moved, changed or deleted any of them.
void layout() {
  if (unchanged()) return;
  nftw(".", removeone, 16, FTW_DEPTH | FTW_PHYS);
  static std::string const bmp = samplebmp(), wav = samplewav();
  put("a.bmp", bmp.data(), bmp.size());
  put("cut.bmp", bmp.data(), 30);
  put("a.wav", wav.data(), wav.size());
  put("cut.wav", wav.data(), 40);
  put("junk.mp3", "\xff\xfb\x90\x64junk", 8);
  static char const text[] = "12 -7 0x1F\nline two\n\xff\xfe\n";
  put("t.txt", text, sizeof text - 1);
  mkdir("d", 0700);
  mkfifo("fifo", 0600);
  for (size_t i = 0; i < std::size(samples); ++i) {
    struct stat st = {};
    lstat(samples[i], &st);
    laid[i] = {st.st_ino, st.st_size, st.st_mtim};
  }
}

void cleanup() {
  if (dir.empty()) return;
  if (chdir("/") == 0) nftw(dir.c_str(), removeone, 16, FTW_DEPTH | FTW_PHYS);
}

long residentmb() {
  FILE* f = fopen("/proc/self/statm", "r");
  if (!f) return 0;
  long pages = 0, resident = 0;
  if (fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
  fclose(f);
  return resident * (sysconf(_SC_PAGESIZE) / 1024) / 1024;
}

// Runs f in the scratch directory, so that the relative paths of the texts land there,
// and comes back: libFuzzer's own paths are relative to where it started.
template <class F>
void inscratch(F f) {
  int home = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (home < 0 || chdir(dir.c_str()) != 0) abort();
  f();
  if (fchdir(home) != 0) abort();
  close(home);
}

// Releases what the run made and brings back the starting state: a small window, the
// default font and pen, no open file, no sounds.
void reset() {
  settle();
  for (bitbuf* b : got.bufs) ReleaseBB234(b);
  for (bitmap* b : got.bitmaps) ReleaseBMP194(b);
  for (unsigned long h : got.allnumbers) FreeAudio7(h);
  got = handouts{};
  CloseFile315();
  CloseWin46();
  SetFont104();
  SetPenWidth82(1);
  SetDrawProcedure48(nullptr);
  if (!CreateWin42(160, 120)) abort();
  while (IsNextMsg254()) {
  }
  GetError38();
  layout();
}

// One run, in the scratch directory.
void runhere(uint8_t const* data, size_t size) {
  reader r{data, size};
  while (r.n > 0) {
    uint16_t sel = uint16_t(r.bytes(2));
    row const& e = choose(sel);
    if (e.makesbitmap && got.bitmaps.size() >= maxbitmaps) {
      ReleaseBMP194(got.bitmaps.front());
      remember(got.releasedbitmaps, got.bitmaps.front());
      got.bitmaps.erase(got.bitmaps.begin());
    }
    if (e.makesbuf && got.bufs.size() >= maxbitmaps) {
      ReleaseBB234(got.bufs.front());
      remember(got.releasedbufs, got.bufs.front());
      got.bufs.erase(got.bufs.begin());
    }
    if (e.startsthread) ++launched;  // taken back below if no thread started
    got.last = 0;
    e.call(r);
    if (e.startsthread && got.last == 0) --launched;
    threads += e.startsthread && got.last != 0;
    ++madecalls;
    got.scratch.clear();
    if (residentmb() > maxresidentmb) {
      if (trace)
        fprintf(stderr, "call: (memory past %ld MB: everything released)\n", maxresidentmb);
      reset();
    }
  }
  reset();
}

}  // namespace

void setup() {
  static bool done = false;
  if (done) return;
  done = true;
  setenv("DISP_HEADLESS", "1", 1);
  setenv("DISP_CLOCK", "virtual", 1);
  setenv("ALSOFT_DRIVERS", "null", 1);
  unsetenv("DISP_KEYS");
  unsetenv("DISP_SHOT");
  unsetenv("DISP_STATS");
  unsetenv("DISP_QUIT_AT");
  trace = getenv("QUIB_CALLS_TRACE") != nullptr;
  mainthread = std::this_thread::get_id();
  char const* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : getenv("TMPDIR");
  std::string tmpl = std::string(base ? base : "/tmp") + "/quibcalls.XXXXXX";
  if (!mkdtemp(tmpl.data())) abort();
  dir = tmpl;
  atexit(cleanup);
  atexit(tally);
  sorttable();
  sound_setclock(GetTime50);  // sounds on libdisp's virtual clock, as the facade sets it
  InitAudio1();
  inscratch(reset);
}

void run(uint8_t const* data, size_t size) {
  ++runs;
  inscratch([&] { runhere(data, size); });
}

size_t entries() { return nrows; }

size_t reachable() {
  std::vector<row const*> seen;
  for (uint32_t sel = 0; sel <= 0xFFFF; ++sel) seen.push_back(&choose(uint16_t(sel)));
  std::sort(seen.begin(), seen.end());
  return size_t(std::unique(seen.begin(), seen.end()) - seen.begin());
}

}  // namespace calls
