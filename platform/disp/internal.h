// The inside of libdisp: the one state record `dsp` and the helpers that the entry files
// share. Every source file of the library includes this header; nothing outside it does.
#pragma once
#include <cairo.h>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

// The entries keep default visibility; everything else in the library is hidden.
#pragma GCC visibility push(default)
#include "platform/disp/disp.h"
#pragma GCC visibility pop

struct SDL_Window;
struct dsp_fontpin;

// ---- Types ---------------------------------------------------------------------------

// A key press from a DISP_KEYS script, due once the clock reaches `at` seconds.
struct dsp_scriptkey {
  double at;
  unsigned vk;
};

// A frame to save as PNG: the first one shown at or after `at` seconds.
struct dsp_shot {
  double at;
  std::string file;
  bool done;
};

// The current message: what IsKey260 examines.
struct dsp_msg {
  bool iskey;   // a key press, auto-repeat included
  unsigned vk;  // its virtual-key code (0: a key the table does not know)
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

// A font face and the scaled fonts made from it for the sizes asked for recently.
struct dsp_sized {
  unsigned w, h;  // character width and cell height in pixels
  cairo_scaled_font_t* font;
  double ascent;  // from the top of the cell to the baseline, in pixels
};

// A drawing surface: the window's picture (dsp.canvas) or an off-screen picture. Each has
// its own cairo context, pen and colour cache, so drawing on one never disturbs another.
struct bitmap {
  cairo_surface_t* surface = nullptr;  // RGB24
  cairo_t* cr = nullptr;
  int w = 0, h = 0;
  unsigned long bg = 0x000000;              // what Clear paints
  double pen = 1;                           // outline width in pixels
  unsigned long source = ~0ul;              // colour last set on cr (~0: none)
  cairo_scaled_font_t* fontoncr = nullptr;  // scaled font last set on cr
  unsigned long pencolour = 0xFFFFFF;       // outline colour of the shape forms without one
  unsigned long brushcolour = 1;            // fill colour of those forms (1: none)
  long textx = 0, texty = 0, textleft = 0;  // text cursor and the left edge its lines return to
  std::shared_ptr<dsp_fontpin> fontpin;     // font given by SetFont103; null: the current font
};

// ---- Drawing targets, colours, fonts and text (draw.cpp, shapes.cpp, text.cpp, textdraw.cpp) --

// Settings that hold for drawing on every target.
struct dsp_drawsettings {
  unsigned long fg = 0xFFFFFF;  // colour of the text and pixel forms that take none
  unsigned weight = 400;        // font weight, 1..1000: 400 regular, 700 bold
  bool italic = false, underline = false, strikeout = false;
};

// A target's own font, taken by SetFont103 from the settings of that moment.
struct dsp_fontpin {
  dsp_sized sized = {0, 0, nullptr, 0};  // font null when no font was found
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
bitmap* dsp_target(bitmap* b);
// Sets up a new drawing context t.cr on t.surface: tolerance, pen, joins, empty caches.
// Every target gets it, so drawing comes out the same on each.
void dsp_initcontext(bitmap& t);
// Sets t's drawing colour, skipping repeats.
inline void dsp_colour(bitmap& t, unsigned long rgb) {
  rgb &= 0xFFFFFF;
  if (rgb == t.source) return;
  t.source = rgb;
  cairo_set_source_rgb(t.cr, double(rgb >> 16) / 255.0, double((rgb >> 8) & 0xFF) / 255.0,
                       double(rgb & 0xFF) / 255.0);
}
// The font for text on t: its own (SetFont103) or the current one.
dsp_textstyle dsp_style(bitmap& t);

// ---- State ---------------------------------------------------------------------------

struct dsp_state {
  // Environment switches, read once at the first entry call.
  struct {
    bool headless = false;
    bool virtualclock = false;
    double quitat = -1;  // < 0: never
    std::string keysfile;
    std::string statsfile;
  } env;

  // Window: the SDL window (none when headless) and what the game set for it.
  struct {
    bool open = false;  // what IsWin47 answers
    SDL_Window* sdl = nullptr;
    bool videoinit = false;  // SDL's video subsystem is running
    bool direct = false;     // the canvas draws straight into the window's own pixels
    int w = 0, h = 0;
    std::string title;
  } win;

  // Canvas: the window's picture, the bitmap that FreshWin45 shows; its surface is null
  // while no window is open.
  bitmap canvas;

  dsp_drawsettings draw;  // foreground colour and font style

  // Text: the current face and the scaled fonts cached for it.
  struct {
    std::string name = "Consolas";
    cairo_font_face_t* face = nullptr;
    double advance = 1, cell = 1, ascent = 1;  // of the face at size 1
    unsigned w = 10, h = 20;                   // size asked for by SetFontSize107
    std::vector<dsp_sized> sizes;              // most recently used first
    dsp_sized const* current = nullptr;        // the size of (w, h), made on first use
  } font;

  // Messages: scripted key presses still to come and the current message.
  struct {
    std::deque<dsp_scriptkey> script;
    dsp_msg current = {false, 0};
  } input;

  // Clock: the real clock counts from the first entry call; the virtual one counts the
  // milliseconds that Delay28 was asked for. Frame times feed GetFPS37.
  struct {
    int64_t epochns = 0;
    uint64_t virtualms = 0;
    std::deque<double> frames;  // clock times of the frames shown in the last second
  } clock;

  // Frame dumps asked for by DISP_SHOT, in the order given.
  std::vector<dsp_shot> shots;

  // Figures for DISP_STATS (empty histograms unless it is set). Times on the steady
  // clock in nanoseconds, 0 while not yet seen.
  struct {
    bool on = false;
    uint64_t frames = 0, passes = 0;
    int64_t lastframe = 0, lastpass = 0, clearat = 0;
    dsp_hist frame, pass, draw;
  } stats;
};

extern dsp_state dsp;

// ---- Internals -----------------------------------------------------------------------

// Reads the environment once; every entry calls dsp_setup() first.
void dsp_readenv();
inline void dsp_setup() {
  static bool const once = (dsp_readenv(), true);
  (void)once;
}

// One line on stderr, prefixed "disp: ".
void dsp_warn(char const* fmt, ...) __attribute__((format(printf, 1, 2)));

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
char const* dsp_utf8(char const* s, std::string& buf);

// Window: closes it (from CloseWin46, the close button or DISP_QUIT_AT); shows the canvas
// again (after the window was uncovered).
void dsp_close();
void dsp_present();
// Applies DISP_QUIT_AT; called by the entries the game calls every pass.
void dsp_tick();

// Stats: one sample each; dsp_writestats() writes the DISP_STATS file.
void dsp_statpass();
void dsp_statclear();
void dsp_statframe(int64_t start, int64_t end);
void dsp_writestats();
