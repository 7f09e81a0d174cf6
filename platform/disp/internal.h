// The inside of libdisp: the one state record `dsp` and the helpers that the entry files
// share. Every source file of the library includes this header; nothing outside it does.
#pragma once
#include <cairo.h>

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

// The entries keep default visibility; everything else in the library is hidden.
#pragma GCC visibility push(default)
#include "platform/disp/disp.h"
#pragma GCC visibility pop

#include "platform/core/quote.h"
#include "platform/disp/backend.h"
#include "platform/disp/config.h"

struct dsp_fontpin;
struct _PangoFontDescription;

// ---- Types ---------------------------------------------------------------------------

// A key press from a DISP_KEYS script, due once the clock reaches `at` seconds.
struct dsp_scriptkey {
  double at;
  unsigned vk;
  std::string drop = {};  // a "DROP path" line: the dropped file's path, vk 0
  int hold = 0;           // 1: a "down" line, held until its "up" line (-1); 0: a tap
  // A "TEXT" line (typed text, 1) or a "COMPOSE" line (the composition so far, 2), vk 0.
  int typing = 0;
  std::string text = {};
};

// A frame to save as PNG: the first one shown at or after `at` seconds.
struct dsp_shot {
  double at;
  std::string file;
  bool done;
};

// Durations in milliseconds, kept as a histogram of 0.01 ms bins up to 1 s (longer ones
// land in the last bin; the maximum is kept exactly), so memory stays fixed however long
// the game runs.
struct dsp_hist {
  std::vector<uint32_t> bins;
  uint64_t n = 0;
  double max = 0;
  void add(double ms);
  double quantile(double q) const;  // nearest rank, q in (0, 1]
};

// The characters below U+0300 that the face has glyphs for. Text made only of those needs
// neither fallback nor shaping, and cairo draws it directly; anything else goes through Pango.
using dsp_plainset = std::bitset<0x300>;

// The same face and size for Pango: a family list (the face found, then fontconfig's
// fallback for what it lacks), weight, slant, and the size as an em of the cell's scale;
// the x scale stretches it to the width of a 1:2 cell of that height, and `stretch` from
// there to the character width asked for, advances and glyphs alike.
struct dsp_shapedfont {
  _PangoFontDescription* desc = nullptr;
  double xscale = 1;
  double stretch = 1;
  std::string language;  // the language hint ("" none)
  dsp_plainset plain;
  dsp_shapedfont() = default;
  dsp_shapedfont(dsp_shapedfont const&) = delete;
  dsp_shapedfont& operator=(dsp_shapedfont const&) = delete;
  ~dsp_shapedfont();
};

// A font face and the scaled fonts made from it for the sizes asked for recently.
struct dsp_sized {
  unsigned w, h;  // character width and cell height in pixels
  cairo_scaled_font_t* font;
  double ascent;  // from the top of the cell to the baseline, in pixels
  std::shared_ptr<dsp_shapedfont const> shaped;  // the Pango side of the same font
};

// A drawing surface: the window's picture (dsp.canvas) or an off-screen picture. Each has
// its own cairo context, pen and colour cache, so drawing on one never disturbs another.
struct bitmap {
  cairo_surface_t* surface = nullptr;  // RGB24, or ARGB32 for a bitmap with alpha
  cairo_t* cr = nullptr;
  int w = 0, h = 0;
  unsigned long bg = 0x000000;              // what Clear paints
  double pen = 1;                           // outline width in pixels
  bool aa = true;                           // antialiased shapes (disp_setantialias)
  unsigned long source = ~0ul;              // colour last set on cr (~0: none)
  cairo_scaled_font_t* fontoncr = nullptr;  // scaled font last set on cr
  unsigned long pencolour = 0xFFFFFF;       // outline colour of the shape forms without one
  unsigned long brushcolour = 1;            // fill colour of those forms (1: none)
  long textx = 0, texty = 0, textleft = 0;  // text cursor and the left edge its lines return to
  std::shared_ptr<dsp_fontpin> fontpin;     // font given by SetFont103; null: the current font
  // Colours that see through and blend modes (draw/blend.cpp); both off by default.
  bool coloralpha = false;  // the top byte of a colour given to a shape or text is its opacity
  unsigned blend = 0;       // dsp_blendnormal, dsp_blendadd or dsp_blendmultiply
};

// The clock times of the frames (or other counted events) of the last second, as runs of
// equal times: a clock that stands still (the virtual one between two Delay28 calls) costs
// one entry however many frames come, so the memory is bounded by the clock's resolution.
struct dsp_lastsecond {
  std::deque<std::pair<double, uint64_t>> runs;  // time, how many at that time
  uint64_t n = 0;                                // how many in all
  void add(double now);
  void drop(double now);  // forgets those at or before now - 1 s
  void clear();
};

// ---- Input (input.cpp, synth.cpp, mouse.cpp, drop.cpp) -------------------------------

// A synthesised message waiting in the window's queue until the clock reaches `at`;
// `pending` while its effect on the input state is still to come (a delayed release).
struct dsp_posted {
  double at;
  bool pending;
  dsp_msg msg;
};

// What the messages taken and posted so far say about the keyboard and the mouse.
struct dsp_inputstate {
  std::deque<dsp_posted> posted;  // synthesised messages, in the order they fall due
  bool keydown[256] = {};         // by virtual-key code
  unsigned buttons = 0;           // bit 1 << button for each mouse button held
  // The window's keys held, by physical key (scancode): the virtual-key code each one gave
  // (0: not held), so that a key code two keys share (both Shifts) stays down until both
  // are up.
  unsigned char heldscan[dsp_scanmax] = {};
  long x = 0, y = 0;        // the pointer in window coordinates
  std::vector<short> wide;  // the text GetDropFileW284 hands out
};

// Coordinates stay within +-16777216, so every sum of two stays far from overflow.
inline constexpr long dsp_xymax = 1L << 24;

// Messages: dsp_next() makes the next waiting message current (false: none, and none is
// current); dsp_wait() takes messages until `want(m, arg)` accepts one, waiting for more as
// long as any can come (false: the wait ended without one, and none is current).
bool dsp_next();
bool dsp_wait(bool (*want)(dsp_msg const& m, qe_u arg), qe_u arg);
// Queues a synthesised message due at clock time `at` (now, if earlier); the input state
// follows it once it is due. dsp_inputreset() forgets queue and state (the window closed).
void dsp_post(dsp_msg m, double at);
// A message the library makes itself (synthesis, pads), with the pointer where it is now.
dsp_msg dsp_newmsg(unsigned code);
void dsp_applyinput(dsp_msg const& m);
void dsp_inputreset();
// Lets go of every key and button (the window lost the keyboard focus or closed): their
// releases would go to another window.
void dsp_releaseall();
// Typed text (text.cpp): the backend told whether text input is on and where the text box
// is, as the program last set them (when a window opens, or they change).
void dsp_textinputsync();
// Whether a window is open to take input; when none is, its queue and state are forgotten.
bool dsp_inputwin();
// Mouse: a coordinate kept within dsp_xymax, the sum of two such, the window's position on
// the screen and its frame's left and top widths.
long dsp_clampxy(long v);
long dsp_sumxy(long a, long b);
void dsp_winpos(long& x, long& y);
void dsp_borders(long& left, long& top);

// Gamepads (input/pad.cpp, the drivers of input/pad.h): the pads of the open window by
// index, their messages, and the keys the program maps their buttons to. The drivers run
// while a window is open: SDL's game controllers with the window, the scripted pads of
// DISP_PAD_SCRIPT on either backend. A pad message carries the pad's index in `pad` and a
// button (1..21) in `button`.
enum : unsigned {
  dsp_wm_paddown = 0x480,  // our own codes, in the range Windows leaves to a program
  dsp_wm_padup = 0x481,
  dsp_wm_padadded = 0x482,
  dsp_wm_padremoved = 0x483,
};
void dsp_padopen();
void dsp_padclose();
// Whether SDL's game controllers run (SDL's queue then has pads to pump).
bool dsp_padon();
// Lets each open pad driver read what came (scripted lines due by now).
void dsp_padpump();
double dsp_padnextdue();  // when the next scripted line falls due (infinity: none)

// ---- System (numbers, conversions, threads, message boxes, beep, fps, errors, window) --

// Codes of the last error (GetError38), kept per thread like errno: an entry that fails
// sets one; GetError38 hands it out and clears it.
enum : unsigned {
  dsp_enone = 0,         // no failure since the last GetError38
  dsp_enowindow = 1,     // the entry needs an open window
  dsp_earg = 2,          // null text or pointer, unknown id, value out of range, no number
  dsp_efile = 3,         // a file is missing, unreadable, unwritable or malformed
  dsp_enomem = 4,        // memory or another system resource ran out
  dsp_eunsupported = 5,  // the system cannot do this safely (pausing or stopping a thread)
  dsp_edevice = 6,       // no display, audio device or message box could be reached
};
// Sets the code and the one-line text disp_errortext hands out: `text` where the failure
// has detail worth telling (what, which file, why), else the code's own line. The text is
// kept escaped as dsp_quote does (at most 1 KB), whatever it holds.
void dsp_seterror(unsigned code, char const* text = nullptr);
// A failure of `entry` (__func__ of the entry: "Line154", "disp_loadpng"), told as the name
// a program calls it by: "line: ...", "loadpng: ...". The format's arguments are the
// caller's; texts among them should come through dsp_quote (dsp_errquotemax).
void dsp_fail(unsigned code, char const* entry, char const* fmt, ...)
    __attribute__((format(printf, 3, 4)));
// "Line154" -> "line", "disp_loadpng" -> "loadpng".
std::string dsp_callname(char const* entry);
// An extension entry that succeeded clears the failure the error watcher was last told of
// (the facade's lasterror()); the numbered entries only ever set it.
void dsp_succeeded();
// Opens each extension entry: when the entry returns without a failure, the watcher's last
// failure is cleared (dsp_succeeded).
struct dsp_extension {
  dsp_extension();
  ~dsp_extension();
  dsp_extension(dsp_extension const&) = delete;
  dsp_extension& operator=(dsp_extension const&) = delete;
  unsigned long failures;  // the thread's count of failures when the entry began
};
// Declared before the guard of a library lock: a failure recorded while the lock is held
// is told to the watcher once the guard has let go, so the watcher may call back in.
struct dsp_holdtell {  // a scope: not to be copied
  dsp_holdtell();
  ~dsp_holdtell();
};
// The failures every drawing entry shares: no window open, or a bitmap that is not alive.
void dsp_failnowindow(char const* entry);
void dsp_failbitmap(char const* entry, bitmap const* b);
// Whether b is a live bitmap (or the window's picture while a window is open), telling
// the entry's failure when it is not; the same for bit buffers.
bool dsp_liveof(bitmap const* b, char const* entry);
bool dsp_bblive(bitbuf const* bb, char const* entry);
#define dsp_islive(b) dsp_liveof((b), __func__)
#define dsp_isbblive(bb) dsp_bblive((bb), __func__)
// An argument as an error text (disp_errortext) quotes it: in double quotes, its first 48
// bytes, escaped as by dsp_quote below and with quotes and backslashes escaped too, "..."
// when cut; (null) for null.
inline constexpr size_t dsp_errquotemax = 48;

// Wide text: zero-terminated UTF-16 as short const*, to UTF-8 and back. Unpaired
// surrogates become U+FFFD; at most dsp_widemax units are read, the rest is cut.
constexpr size_t dsp_widemax = 65536;
std::string dsp_fromwide(short const* ws);
std::u16string dsp_towide(char const* s);  // s is repaired as by dsp_utf8 first

// Window styles of CreateWin39/41 and the position that means "centred".
constexpr unsigned long dsp_wresizable = 1, dsp_wborderless = 2, dsp_wfullscreen = 4,
                        dsp_wontop = 8, dsp_wstyles = 15;
constexpr unsigned long dsp_centred = 0x80000000;  // low 32 bits of a position
// The screen of the headless backend: windows are centred on it and GetScr* report it.
constexpr int dsp_scrw = 1920, dsp_scrh = 1080, dsp_scrdpi = 96;

// State of these entries, kept in dsp.sys.
struct dsp_sys {
  int x = 0, y = 0;                   // headless: where the window's picture is on the screen
  unsigned long style = 0;            // dsp_w* flags of the open window
  void (*drawproc)() = nullptr;       // SetDrawProcedure48
  void (*drawwith)(void*) = nullptr;  // disp_setdrawprocedurewith, called with drawuser
  void* drawuser = nullptr;
  bool indrawproc = false;   // drawproc is running: no second call from inside it
  dsp_lastsecond fps;        // clock times of the AddFPS34 calls of the last second
  std::u16string widetitle;  // what GetTitleW54 hands out
};

// ---- Bitmaps and bit buffers (bitmap.cpp, bmpfile.cpp, bitbuf.cpp, blur.cpp) ----------

// An off-screen bitmap: the bitmap record plus the colour that DrawBMP leaves out when the
// call names none (1: none), as set by LoadBMP196.
struct dsp_picture : bitmap {
  unsigned long key = 1;
};

// A pixel buffer made from a bitmap: its size and a copy of its pixels.
struct bitbuf {
  bitmap const* from = nullptr;  // the bitmap it copies to and from; null once released
  int w = 0, h = 0;
  std::vector<uint32_t> px;  // w * h pixels, row by row, 0x00RRGGBB
};

// Every off-screen bitmap and bit buffer handed out and not yet released, so that an entry
// can tell a live pointer from a released or foreign one without touching it. Released
// records wait in `retired` before their memory is freed, so a stale pointer is not soon
// handed out again for a new bitmap. Threads make and release bitmaps of their own, so the
// sets and the retired lists are changed and read under `lock` only.
struct dsp_pictures {
  std::mutex lock;
  std::unordered_set<bitmap*> bitmaps;
  std::unordered_set<bitbuf*> bufs;
  std::deque<dsp_picture*> retiredbmp;
  std::deque<bitbuf*> retiredbb;
  dsp_picture* last = nullptr;    // made last by CreateBMP or LoadBMP: what DrawBMP219.. draw
  dsp_picture* screen = nullptr;  // GetScr73's copy of the window's picture
  unsigned loadfailures = 0;      // LoadBMP failures reported on stderr so far
  ~dsp_pictures();
};

// Pixels for direct work, 32-bit 0x??RRGGBB (the top byte is ignored on reading and written
// as 0); `stride` counts pixels.
struct dsp_pixels {
  uint32_t* p;
  int w, h;
  std::ptrdiff_t stride;
  uint32_t* row(int y) const { return p + std::ptrdiff_t(y) * stride; }
};

// True for the window's picture while a window is open and for live off-screen bitmaps.
bool dsp_isbitmap(bitmap const* b);
bool dsp_isbitbuf(bitbuf const* bb);
// A new registered off-screen bitmap, black, default settings; null when a side is outside
// 1..16384 or memory runs out. With `alpha` it has an alpha channel (cairo's premultiplied
// ARGB32) and starts transparent.
dsp_picture* dsp_newpicture(unsigned long w, unsigned long h, bool alpha = false);
// The same for an entry that makes a bitmap: a size outside 1..16384 sets error 2 and no
// memory error 4, each naming the entry.
dsp_picture* dsp_newpictureof(unsigned long w, unsigned long h, bool alpha, char const* entry);
// Unregisters p and frees its pixels; nothing when it is no longer registered (released
// meanwhile, by ReleaseBMP195 on another thread).
void dsp_release(dsp_picture* p);
// Whether b's pixels carry alpha (premultiplied); the window's picture never does.
inline bool dsp_hasalpha(bitmap const& b) {
  return b.surface && cairo_image_surface_get_format(b.surface) == CAIRO_FORMAT_ARGB32;
}
// The top byte a pixel written as a plain colour into b takes: opaque where b has alpha.
inline uint32_t dsp_opaque(bitmap const& b) { return dsp_hasalpha(b) ? 0xFF000000u : 0; }
// Reads a regular file of at most 256 MiB whole (picture files are untrusted: nothing is
// taken from them before it was read); null on success, else why not.
char const* dsp_readfile(char const* path, std::vector<uint8_t>& bytes);
// A picture load that failed: sets the error (file, or memory) with the text "ENTRY: cannot
// load PATH: why", and tells it on stderr as "WHO: PATH: why" the first ten times.
void dsp_loadfailed(char const* who, char const* entry, char const* path, char const* why);
// A live bitmap's pixels (flushed for reading); dsp_changed() after writing them.
dsp_pixels dsp_pixelsof(bitmap& b);
void dsp_changed(bitmap& b);
void dsp_changed(bitmap& b, int x, int y, int w, int h);  // only this rectangle changed
// Pixel work shared by bitmaps and bit buffers (blur.cpp); all three views of a mix have the
// same size. Each may throw std::bad_alloc. A picture with alpha (premultiplied) has its
// alpha mixed and blurred with its colours; one without is taken as opaque.
struct dsp_alphas {
  bool dest = false, a = false, b = false;
};
// Draws the sw x sh part of src at (sx, sy) unscaled onto dest with its top-left at (dx, dy),
// as DrawBMP199 does (the sprites' plain case, so both give the same pixels).
void dsp_drawpart(char const* entry, bitmap* dest, bitmap* src, long dx, long dy, long sx, long sy,
                  long sw, long sh);
void dsp_mixpixels(dsp_pixels dest, dsp_pixels a, dsp_pixels b, dsp_alphas alphas = {});
void dsp_boxblur(dsp_pixels p, unsigned long rx, unsigned long ry, bool alpha = false);
void dsp_gaussblur(dsp_pixels p, double sigma, bool alpha = false);

// ---- Drawing targets, colours, fonts and text (draw.cpp, shapes.cpp, text.cpp, textdraw.cpp) --

// Settings that hold for drawing on every target.
struct dsp_drawsettings {
  unsigned long fg = 0xFFFFFF;  // colour of the text and pixel forms that take none
  unsigned weight = 400;        // font weight, 1..1000: 400 regular, 700 bold
  bool italic = false, underline = false, strikeout = false;
};

// A target's own font, taken by SetFont103 from the settings of that moment.
struct dsp_fontpin {
  dsp_sized sized = {0, 0, nullptr, 0, nullptr};  // font null when no font was found
  bool underline = false, strikeout = false;
  ~dsp_fontpin();
};

// The font a target's text is drawn in (null when no font is found) and its decorations.
struct dsp_textstyle {
  dsp_sized const* f;
  bool underline, strikeout;
};

// The target of a drawing entry: b when it is the window's picture while a window is open,
// or an off-screen bitmap that is alive; else null, and the entry does nothing.
// dsp_target and dsp_win are called by the entries themselves, so a miss is told under the
// entry's own name: a bitmap that is not alive sets error 2, a window's picture or the
// window itself while none is open error 1.
bitmap* dsp_targetof(bitmap* b, char const* entry);
bitmap* dsp_winof(char const* entry);
#define dsp_target(b) dsp_targetof((b), __func__)
#define dsp_win() dsp_winof(__func__)
// Sets up a new drawing context t.cr on t.surface: tolerance, pen, joins, empty caches.
// Every target gets it, so drawing comes out the same on each.
void dsp_initcontext(bitmap& t);
// After a draw on t by `entry`: false, the failure told and t given a fresh context, when
// its context went into an error state; else true.
bool dsp_checkcontext(bitmap& t, char const* entry);
// A surface to read s's pixels through as a source (the caller destroys it), even once
// cairo put s into its lasting error state; null if s never had pixels (window.cpp).
cairo_surface_t* dsp_readable(cairo_surface_t* s);
// Sets t's drawing colour, skipping repeats. With t's colour alpha on, the top byte is the
// colour's opacity (0xFF opaque; below it, see-through).
void dsp_seealpha(bitmap& t, unsigned long argb);
inline void dsp_colour(bitmap& t, unsigned long rgb) {
  if (t.coloralpha && (rgb & 0xFF000000u) != 0xFF000000u) return dsp_seealpha(t, rgb);
  rgb &= 0xFFFFFF;
  if (rgb == t.source) return;
  t.source = rgb;
  cairo_set_source_rgb(t.cr, double(rgb >> 16) / 255.0, double((rgb >> 8) & 0xFF) / 255.0,
                       double(rgb & 0xFF) / 255.0);
}
// Blend modes of drawing on a target (disp_setblend): how a shape, text or bitmap meets
// what is already there. Normal paints over it; add sums the colours (glows, light);
// multiply darkens by the colour (shadows, tints).
enum : unsigned { dsp_blendnormal = 0, dsp_blendadd = 1, dsp_blendmultiply = 2, dsp_blends = 3 };
// Whether t draws as it always did: opaque colours only, normal blending. The direct ways
// (hard-edged raster shapes, the ring cache) write pixels themselves and serve only that.
inline bool dsp_plainpaint(bitmap const& t) { return !t.coloralpha && t.blend == dsp_blendnormal; }
// The cairo operator of t's blend mode, set on its context by dsp_initcontext.
cairo_operator_t dsp_cairoblend(unsigned mode);
// Paints all of t in the opaque colour whatever its modes: a clear replaces the picture.
void dsp_paintplain(bitmap& t, unsigned long colour);
// The font for text on t: its own (SetFont103) or the current one.
dsp_textstyle dsp_style(bitmap& t);
// Draws the outline of the circle of radius r around pixel (x, y) on t from the ring cache
// (ringcache.cpp), byte for byte what stroking it would give; false when the caller must
// stroke it itself (cache off, circle too large, pen not whole, t not a plain RGB24 image).
bool dsp_cachedcircle(bitmap& t, long x, long y, long r, unsigned long colour);

// ---- State ---------------------------------------------------------------------------

struct dsp_state {
  dsp_env env;  // the environment switches (config.h), read once at the first entry call

  // Window: what the program set for it and how the canvas is laid out in the backend's
  // output (the native window itself is the backend's own).
  struct {
    bool open = false;    // what IsWin47 answers
    bool direct = false;  // the canvas draws straight into the window's own pixels
    int w = 0, h = 0;     // the canvas in logical pixels: what GetWidth56/57 answer
    std::string title;
    // Output: the window's framebuffer (or, headless, the DISP_SIZE picture), outw x outh
    // device pixels. The canvas is shown in a dw x dh part of it at (ox, oy), `fit` output
    // pixels to a logical one, with bars of the background colour around it. Its cairo
    // surface has cw x ch pixels, `scale` to a logical one as its device scale: the shown
    // size where that is larger than the canvas; the canvas's own size where the output is
    // smaller, so that no logical pixel is lost, and it is then shrunk as it is shown.
    bool fixed = false;              // opened without the resizable or full-screen style: the
                                     // canvas keeps its size whatever the window's
    bool fullscreen = false;         // headless: shown full screen (disp_setfullscreen)
    bool hidecursorfs = false;       // the pointer hides while full screen
    int restorew = 0, restoreh = 0;  // headless: a resizable canvas's size before full screen
    int outw = 0, outh = 0, ox = 0, oy = 0, dw = 0, dh = 0, cw = 0, ch = 0;
    int pxw = 0, pxh = 0;  // the window's size in pixels when the output was laid out
    double fit = 1, scale = 1;
    unsigned long bars = ~0ul;  // the colour of the bars around it (~0: still to paint)
    // Raw pixel work on a scaled canvas: its logical pixels sampled into `view`, and
    // `seen`, what they were when sampled, so only changed pixels are written back.
    std::vector<uint32_t> view, seen;
  } win;

  // Canvas: the window's picture, the bitmap that FreshWin45 shows; its surface is null
  // while no window is open.
  bitmap canvas;

  dsp_drawsettings draw;  // foreground colour and font style

  // Text: the current face and the scaled fonts cached for it. Threads draw text on bitmaps
  // of their own, so the font settings and the cache are read and changed under `lock`,
  // held through a whole text draw (the sizes it uses may not be dropped meanwhile).
  struct {
    std::recursive_mutex lock;
    std::string name = "Consolas";
    cairo_font_face_t* face = nullptr;
    std::string family;                        // the family of the face found
    std::string language;                      // language hint for text ("" none)
    dsp_plainset plain;                        // the simple characters the face has
    double advance = 1, cell = 1, ascent = 1;  // of the face at size 1
    unsigned w = 10, h = 20;                   // size asked for by SetFontSize107
    std::vector<dsp_sized> sizes;              // most recently used first
    dsp_sized const* current = nullptr;        // the size of (w, h), made on first use
  } font;

  // Messages: scripted key presses still to come, the current message, and the queue of
  // synthesised messages with the keyboard and mouse state.
  struct {
    std::deque<dsp_scriptkey> script;
    dsp_msg current = {false, 0};
    dsp_inputstate state;
    // Typed text: whether it is on (disp_starttextinput), and where the program's text box
    // is on the canvas (w 0: not told), for the input method's candidate window.
    bool texton = false;
    long textx = 0, texty = 0, textw = 0, texth = 0;
    std::string clipboard;  // what disp_getclipboard last handed out
  } input;

  // Clock: the real clock counts from the first entry call; the virtual one counts the
  // milliseconds that Delay28 was asked for. Frame times feed GetFPS37.
  struct {
    int64_t epochns = 0;
    uint64_t virtualms = 0;
    dsp_lastsecond frames;  // clock times of the frames shown in the last second
  } clock;

  // Frame dumps asked for by DISP_SHOT, in the order given.
  std::vector<dsp_shot> shots;

  // Figures for DISP_STATS (empty histograms unless it is set). Times on the steady
  // clock in nanoseconds, 0 while not yet seen.
  struct {
    bool on = false;
    uint64_t frames = 0, passes = 0;
    uint64_t pumps = 0;  // SDL_PumpEvents calls made by the message entries
    int64_t lastframe = 0, lastpass = 0, clearat = 0;
    dsp_hist frame, pass, draw;
  } stats;

  dsp_sys sys;            // numbers to window: placement, draw procedure, caller's frame counter
  dsp_pictures pictures;  // off-screen bitmaps and bit buffers
};

extern dsp_state dsp;

// ---- Internals -----------------------------------------------------------------------

// Reads the environment once (config.cpp); every entry calls dsp_setup() first.
void dsp_readenv();
// A time in seconds as switches and scripts write it: decimal, finite, >= 0, nothing else.
bool dsp_seconds(char const* s, double& out);
// The scripts and lists the switches name (env.cpp): DISP_KEYS, DISP_PAD_SCRIPT, DISP_SHOT.
void dsp_readkeys(char const* path);
void dsp_readpads(char const* path);
void dsp_readshots(char const* list);
// A line script: from a regular file only, each line of at most `longest` bytes with its
// '#' comment cut and not blank handed to take(arg, quoted file name, line number, text);
// longer lines are reported and skipped. false, with one line "WHO: cannot read FILE:
// why; WITHOUT", when the file cannot be read.
using dsp_linefn = void (*)(void* arg, char const* file, int lineno, char* text);
bool dsp_readscript(char const* who, char const* path, size_t longest, char const* without,
                    dsp_linefn take, void* arg);
inline void dsp_setup() {
  static bool const once = (dsp_readenv(), true);
  (void)once;
}

// One line on stderr, prefixed "disp: ", its control bytes and bytes that are not UTF-8
// written as \xNN. A line said before is only counted; dsp_warnsummary() tells each count
// not yet told ("... (said 3,594 times)"), at exit and when the window closes.
void dsp_warn(char const* fmt, ...) __attribute__((format(printf, 1, 2)));
void dsp_warnsummary();
// A caller's text as it may appear in a line: at most `most` bytes of it (cut on a whole
// character, "..." marking the cut), control bytes and bytes that are not UTF-8 written
// as \xNN; with `quotes`, in double quotes with quotes and backslashes escaped. Every line
// that repeats a name or value it was given passes it through here, so a 1 MiB file name
// stays a short, printable line.
inline constexpr size_t dsp_quotemax = core_quotemax;
std::string dsp_quote(char const* s, size_t most = dsp_quotemax, bool quotes = false);
inline std::string dsp_quote(std::string const& s) { return dsp_quote(s.c_str()); }
inline std::string dsp_quoted(char const* s) { return dsp_quote(s, dsp_errquotemax, true); }

// UTF-8 (utf8.cpp): the length of the well-formed character at p (1..4; overlong forms,
// surrogates and values past U+10FFFF are not), 0 when its bytes do not form one; the
// character at p of valid text, moving p past it.
int dsp_u8len(unsigned char const* p);
uint32_t dsp_u8next(unsigned char const*& p);
// The characters of valid UTF-8 text.
long dsp_u8count(std::string const& s);

// Clock: the steady clock in nanoseconds; the library's clock (real or virtual) in seconds.
int64_t dsp_steadyns();
double dsp_now();
void dsp_countframe(double now);  // a frame was shown at clock time `now`

// Canvas: made at window creation, dropped at close. dsp_newcontext() (re)makes the
// drawing context on the current surface with the pen, tolerance and font.
bool dsp_newcanvas(unsigned char* pixels, int stride);
void dsp_newcontext();
void dsp_dropcanvas();
void dsp_colour(unsigned long rgb);  // sets the drawing colour, skipping repeats

// Text: makes sure the face is loaded. dsp_utf8() gives the text as valid UTF-8, either
// `s` itself or a repaired copy in `buf`.
void dsp_loadface();
// A draw failed: the cached sizes are dropped when one of them is in an error state.
void dsp_fontfailed();
// Fonts from files and language hints (fontfile.cpp): whether fontconfig has a family (or
// it is a generic name, or the library's default); fontconfig's set of fonts grew, so the
// face is found again and Pango told; the language hint of text from now on.
bool dsp_knownfamily(std::string const& name);
void dsp_fontschanged();
void dsp_pangochanged();
void dsp_setlanguage(std::string const& tag);
char const* dsp_utf8(char const* s, std::string& buf);

// Text measured and drawn in a font, valid UTF-8 on one line: through cairo directly when
// every character is one the face has and none needs shaping, else through Pango, whose
// fallback and shaping draw every script that has an installed font (pangotext.cpp).
// dsp_textwidth: the advance in pixels. dsp_textspan: the rows inked, from the top of the
// cell (negative above it). dsp_showtext: draws with the baseline at (x, base) in t's
// current colour and gives the x where it ends.
bool dsp_plaintext(dsp_sized const& f, char const* s);
// Where a line of text from p to end may break at or before q inside a word: the last
// boundary between user-perceived characters (a letter with its marks, an emoji sequence)
// after p, else the end of the first such character.
char const* dsp_clusterbreak(char const* p, char const* end, char const* q);
// The Pango side of the current face at scale sx x sy (sx2: the x scale of a 1:2 cell of
// that height); the font options of all text.
std::shared_ptr<dsp_shapedfont const> dsp_shapedfor(double sx, double sy, double sx2);
cairo_font_options_t* dsp_fontoptions();
double dsp_textwidth(dsp_sized const& f, char const* s);
void dsp_textspan(dsp_sized const& f, char const* s, double& top, double& bottom);
double dsp_showtext(bitmap& t, dsp_sized const& f, char const* s, double x, double base);

// Window: closes it (from CloseWin46, the close button or DISP_QUIT_AT); shows the canvas
// again (after the window was uncovered).
void dsp_close();
void dsp_present();
// Output: lays the canvas out in an outw x outh output (scale to fit, centred); whether the
// canvas's surface has other than its logical size; the device pixels [lo, hi) of logical
// column or row v (dsp_devlo for the start of v) and the one sampled for reading it.
void dsp_layout(int outw, int outh);
inline bool dsp_scaledcanvas() { return dsp.win.cw != dsp.win.w || dsp.win.ch != dsp.win.h; }
int dsp_devlo(long v, int limit);
int dsp_devsample(long v, int limit);
// A window whose size changed takes its new output (and, unless fixed, its new canvas
// size) at once; true when anything changed. Called for the resize message too, so that
// GetWidth56 answers the new size while that message is handled.
bool dsp_syncsize();
// The mouse position (window coordinates) to the canvas's logical pixels.
void dsp_tological(long& x, long& y);
void dsp_towindow(long& x, long& y);  // and back, for the screen and outer-window frames
// Raw pixels of a scaled canvas in logical pixels (see dsp.win.view); dsp_storeview
// writes back the changed ones inside the rectangle.
dsp_pixels dsp_canvasview();
void dsp_storeview(int x, int y, int w, int h);
// Icon: gives the window the icon set by disp_seticon (icon.cpp); a new one too.
void dsp_iconapply();
// Applies DISP_QUIT_AT; called by the entries the game calls every pass.
void dsp_tick();

// Files the library writes (output.cpp): dsp_openout() opens a regular or new file for
// writing (emptied, or appended to), never waiting on the open; dsp_writeout() writes all
// of the bytes; dsp_closeout() closes. Each is false once anything failed, with the first
// cause in `why`. dsp_outfail() tells it: one line "WHO: cannot write FILE: why", the file
// error with the text "ENTRY: cannot write ..." (none for a null ENTRY), and false;
// `removeit` deletes the half-written file. dsp_writepng() writes a picture as PNG that way
// (FreshWin45's DISP_SHOT).
struct dsp_out {
  int fd = -1;
  std::string path;
  std::string why;    // the first failure; empty while all went well
  bool made = false;  // the file was opened (and emptied, unless appended to)
};
bool dsp_openout(dsp_out& o, char const* path, bool append);
bool dsp_writeout(dsp_out& o, void const* data, size_t n);
bool dsp_closeout(dsp_out& o);
bool dsp_outfail(dsp_out& o, char const* who, char const* entry, bool removeit);
bool dsp_writepng(cairo_surface_t* picture, char const* path, char const* who);

// Stats: one sample each; dsp_writestats() writes the DISP_STATS file (false, told, when
// it cannot; at exit only told, as the thread's error state is gone by then).
void dsp_statpass();
void dsp_statclear();
void dsp_statframe(int64_t start, int64_t end);
bool dsp_writestats(bool atexit = false);
