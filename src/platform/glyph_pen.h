// Draws lines of printer text as cairo glyphs, placed where a PDF reader will show them.
#pragma once

#include <cairo.h>

#include <string>
#include <string_view>
#include <vector>

namespace quireon2 {

class FontFace;

// One job's text pen. Readers place each glyph by the whole-thousandth width the PDF font
// records, while cairo keeps its own pen by the font's finer advances and adds a
// correction only where a glyph strays from that pen. A text continuing on the same line
// in the same text object is therefore handed to cairo at cairo's pen, shifted by the
// difference, so readers put it exactly where it was measured to go.
class GlyphPen {
 public:
  // A new job: no font or colour set on its context yet.
  void StartJob();
  // Anything that starts a new text position in cairo (a stroke, a new page) ends the
  // text object the pen continues.
  void EndTextObject() { pen_valid_ = false; }
  // The context's source colour was set elsewhere; `black` tells whether it is black.
  void SourceSet(bool black) { source_black_ = black; }

  // Draws `line` (printer text, one line) at `x`, `top` (points) in the face at `size`
  // points on `cr`, which may be null (nothing is drawn). Returns its width in thousandths
  // of an em.
  double Draw(cairo_t* cr, FontFace& face, double size, double x, double top,
              std::string_view line);
  // The width of one line of printer text in thousandths of an em.
  double Measure(FontFace& face, std::string_view line);

 private:
  // Shows glyphs [begin, end) of the buffer in `face` (nothing for a null face).
  void ShowRun(cairo_t* cr, FontFace* face, double size, std::size_t begin, std::size_t end);

  std::u32string decoded_;             // reused decoding buffer
  std::vector<cairo_glyph_t> glyphs_;  // reused glyph buffer
  cairo_scaled_font_t* font_ = nullptr;  // set on the context; owned by the face
  bool source_black_ = false;
  // cairo's pen after the last text drawn, and how far readers are behind it (points).
  bool pen_valid_ = false;
  double pen_baseline_ = 0, pen_size_ = 0, pen_cairo_x_ = 0, pen_drift_ = 0;
};

}  // namespace quireon2
