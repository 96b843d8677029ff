// Text and lines on a sheet side's cairo context.
#include "platform/side_drawing.h"

#include <algorithm>
#include <vector>

#include "interfaces/units.h"
#include "platform/font_cache.h"
#include "platform/glyph_pen.h"
#include "platform/surface_text.h"

namespace quireon2 {

void DrawSideText(const SideCanvas& canvas, GlyphPen& pen, FontFace& face, double size, double& x,
                  double& y, std::string_view text, bool line_end) {
  const double twips_per_milli = size / 1000 * kTwipsPerPoint;
  const double line_height = SideLineHeight(face, size);
  const std::vector<std::string_view> lines = PrinterTextLines(text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) {
      x = 0;
      y += line_height;
    }
    x += pen.Draw(canvas.cr, face, size, canvas.origin_x + x / kTwipsPerPoint,
                  canvas.origin_y + y / kTwipsPerPoint, lines[i]) *
         twips_per_milli;
  }
  if (line_end) {
    x = 0;
    y += line_height;
  }
}

double SideTextWidth(GlyphPen& pen, FontFace& face, double size, std::string_view text) {
  double widest = 0;
  for (std::string_view line : PrinterTextLines(text)) {
    widest = std::max(widest, pen.Measure(face, line));
  }
  return widest * size / 1000 * kTwipsPerPoint;
}

double SideLineHeight(const FontFace& face, double size) {
  return (face.ascent_units() + face.descent_units()) / face.units_per_em() * size * kTwipsPerPoint;
}

void DrawSideLine(const SideCanvas& canvas, GlyphPen& pen, double width, double x1, double y1,
                  double x2, double y2, Rgb colour, bool box) {
  cairo_t* cr = canvas.cr;
  if (cr == nullptr) return;
  const double ox = canvas.origin_x, oy = canvas.origin_y;
  cairo_set_source_rgb(cr, colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0);
  pen.SourceSet(colour == Rgb{});
  cairo_set_line_width(cr, width);
  if (box) {
    cairo_rectangle(cr, ox + x1 / kTwipsPerPoint, oy + y1 / kTwipsPerPoint,
                    (x2 - x1) / kTwipsPerPoint, (y2 - y1) / kTwipsPerPoint);
  } else {
    cairo_move_to(cr, ox + x1 / kTwipsPerPoint, oy + y1 / kTwipsPerPoint);
    cairo_line_to(cr, ox + x2 / kTwipsPerPoint, oy + y2 / kTwipsPerPoint);
  }
  cairo_stroke(cr);
  pen.EndTextObject();  // the stroke ended cairo's text object
}

}  // namespace quireon2
