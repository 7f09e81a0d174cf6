// The direct way of plain drawing: with a target's antialiasing off, lines, rectangles and
// circles are written straight into its pixels (Bresenham, midpoint circles, spans).
#pragma once
#include "platform/disp/internal.h"

// No colour: that part of the shape is left undrawn.
inline constexpr unsigned long dsp_nocolour = ~0ul;
// A shape colour as the raster functions take it: the library's "1 leaves it out" made
// dsp_nocolour.
inline unsigned long dsp_ink(unsigned long c) {
  return (c & 0xFFFFFF) == 1 ? dsp_nocolour : c & 0xFFFFFF;
}

// Each draws the shape with hard edges and returns true, or returns false having drawn
// nothing when cairo must draw it instead (a scaled canvas, a transformed context, a pen
// wider than one pixel for an outline, coordinates too large for the direct way).
// The line runs from pixel (x, y) to pixel (x + dx, y + dy), both ends included.
bool dsp_rasterline(bitmap& t, long x, long y, long dx, long dy, unsigned long colour);
// The rectangle of pixels between corners (x, y) and (x + w, y + h); the outline is its
// border pixels, drawn over the fill.
bool dsp_rasterbar(bitmap& t, long x, long y, long w, long h, unsigned long outline,
                   unsigned long fill);
// The midpoint circle of radius r >= 0 around pixel (x, y); the fill takes in the outline's
// pixels, which the outline colour then covers.
bool dsp_rastercircle(bitmap& t, long x, long y, long r, unsigned long outline, unsigned long fill);
