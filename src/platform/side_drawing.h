// Drawing on one sheet side's cairo context, shared by the printed job and the picture of a side,
// so both measure and place every glyph and line alike. Positions are twips from the printable
// area's corner, which lies at (origin_x, origin_y) points on the context.
#pragma once

#include <cairo.h>

#include <string_view>

#include "interfaces/printer_surface.h"

namespace quireon2 {

class FontFace;
class GlyphPen;

// Where drawing goes: the context (null draws nothing) and the printable area's corner.
struct SideCanvas {
  cairo_t* cr = nullptr;
  double origin_x = 0, origin_y = 0;  // points
};

// Draws `text` at (x, y) in `face` at `size` points, as PrinterSurface::Print does, and moves (x,
// y) on past it.
void DrawSideText(const SideCanvas& canvas, GlyphPen& pen, FontFace& face, double size, double& x,
                  double& y, std::string_view text, bool line_end);

// The width of `text`'s widest line, twips.
double SideTextWidth(GlyphPen& pen, FontFace& face, double size, std::string_view text);

// The height of one line, twips.
double SideLineHeight(const FontFace& face, double size);

// A line from (x1, y1) to (x2, y2), or with `box` the outline of the rectangle with these corners,
// `width` points wide.
void DrawSideLine(const SideCanvas& canvas, GlyphPen& pen, double width, double x1, double y1,
                  double x2, double y2, Rgb colour, bool box);

}  // namespace quireon2
