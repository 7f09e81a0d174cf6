// quib's icon: a ball on its loop with spikes, drawn as the game draws them. One list of
// shapes feeds the window's icon, the PNGs and the SVG (tools/icon), so they all agree.
#pragma once

struct bitmap;

// The kinds of shape the icon is made of.
constexpr int icondisc = 0;  // centre (x[0], y[0]), radius r
constexpr int icontri = 1;   // corners (x[i], y[i])

struct iconshape {
  int kind;
  double x[3], y[3];
  double r;
  unsigned long colour;
};

constexpr int iconshapemax = 16;

// Fills `out` with the icon's shapes in painting order, in a square of side 1 (y down);
// returns how many. The loop's colour comes from the display library's hsn2rgb.
int iconshapes(iconshape* out);

// A shape scaled to a size x size square, on whole pixels as libdisp draws it: the
// coordinates are pixel numbers (drawn centred on the pixel's middle), radii whole. The SVG uses
// the same numbers so it matches the PNGs.
iconshape iconpixels(iconshape const& s, long size);

// Paints the icon onto b, a size x size bitmap, over what it holds; without an outline,
// so the library's pen width is left alone.
void drawicon(bitmap* b, long size);

// Gives the window (and any window opened later) the icon. Draws off-screen only: the
// window's picture, the pen and the clocks stay as they were.
void initicon();
