// The text pen: printer text decoded, looked up in the face and shown as cairo glyphs.
#include "platform/glyph_pen.h"

#include <cmath>

#include "platform/font_cache.h"
#include "platform/surface_text.h"

namespace quireon2 {

void GlyphPen::StartJob() {
  font_ = nullptr;
  source_black_ = false;
  pen_valid_ = false;
}

double GlyphPen::Measure(FontFace& face, std::string_view line) {
  decoded_.clear();
  DecodePrinterText(line, decoded_);
  return face.AdvanceMilli(decoded_);
}

void GlyphPen::ShowRun(cairo_t* cr, FontFace* face, double size, std::size_t begin,
                       std::size_t end) {
  if (face == nullptr || begin == end) return;
  cairo_scaled_font_t* font = face->ScaledFont(size);
  if (font_ != font) {
    cairo_set_scaled_font(cr, font);
    font_ = font;
  }
  if (!source_black_) {
    cairo_set_source_rgb(cr, 0, 0, 0);
    source_black_ = true;
  }
  cairo_show_glyphs(cr, glyphs_.data() + begin, static_cast<int>(end - begin));
}

double GlyphPen::Draw(cairo_t* cr, FontFace& face, double size, double x, double top,
                      std::string_view line) {
  decoded_.clear();
  DecodePrinterText(line, decoded_);
  if (cr == nullptr || decoded_.empty()) return face.AdvanceMilli(decoded_);

  const double baseline = top + face.ascent_units() / face.units_per_em() * size;
  double cairo_start = x;
  if (pen_valid_ && pen_baseline_ == baseline && pen_size_ == size &&
      std::fabs(x + pen_drift_ - pen_cairo_x_) <= 10 * size) {
    cairo_start = x + pen_drift_;
  } else {
    pen_drift_ = 0;
  }
  glyphs_.resize(decoded_.size());
  double em = 0;
  double milli = 0;
  // Characters the face lacks come from other faces: each run of one face is shown with
  // that face's font, all on one pen, so the line's width does not depend on the runs.
  FontFace* run_face = nullptr;
  std::size_t run_start = 0;
  double base_em = 0;  // the advance of the last character that is not a mark
  for (std::size_t i = 0; i < decoded_.size(); ++i) {
    const FontFace::Glyph& glyph = face.Lookup(decoded_[i]);
    if (glyph.face != run_face) {
      ShowRun(cr, run_face, size, run_start, i);
      run_face = glyph.face;
      run_start = i;
    }
    glyphs_[i].index = glyph.index;
    glyphs_[i].x = cairo_start + em * size;
    if (!glyph.mark) {
      base_em = glyph.advance_em;
    } else if (glyph.mark_em > 0 && base_em > 0) {
      // A mark with a width of its own (as in monospaced fonts) is drawn in a cell of that
      // width centred on the character before it; a mark without one is drawn from where
      // that character ended, as fonts design such marks.
      glyphs_[i].x -= (base_em + glyph.mark_em) / 2 * size;
    }
    glyphs_[i].y = baseline;
    em += glyph.advance_em;
    milli += glyph.advance_milli;
  }
  ShowRun(cr, run_face, size, run_start, decoded_.size());
  pen_valid_ = true;
  pen_baseline_ = baseline;
  pen_size_ = size;
  pen_cairo_x_ = cairo_start + em * size;
  pen_drift_ += (em - milli / 1000) * size;
  return milli;
}

}  // namespace quireon2
