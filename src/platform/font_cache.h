// Printer fonts: families matched through fontconfig, faces opened with FreeType, glyph ids
// and advances cached per face, and the cairo fonts that draw them.
//
// Widths are measured in thousandths of an em, each glyph's advance cut to a whole
// thousandth, because that is the width the PDF font records for the glyph (cairo writes
// whole thousandths) and so the width every PDF reader and printer places it by. Measuring
// by the font's finer advances would let a long line drift from what is drawn.
//
// A character the face has no glyph for is looked up in the other installed fonts, in the
// order fontconfig ranks them for the face's family, and measured and drawn with the first
// that has it. A combining mark takes no room of its own: it is drawn over the character
// before it.
#pragma once

#include <cairo.h>

#include <array>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "interfaces/printer_surface.h"

typedef struct FT_FaceRec_* FT_Face;
typedef struct _FcFontSet FcFontSet;
typedef struct _FcPattern FcPattern;

namespace quireon2 {

class FontCache;

class FontFace {
 public:
  struct Glyph {
    FontFace* face = nullptr;  // the face that draws it: this one or a fallback
    unsigned index = 0;        // glyph id in `face`; 0 draws the face's missing-glyph box
    double advance_milli = 0;  // thousandths of an em, cut to a whole number
    double advance_em = 0;     // the font's own advance in ems, unhinted
    // A combining mark takes no advance; `mark_em` keeps the width the font gives it.
    bool mark = false;
    double mark_em = 0;
  };

  // `fallbacks`, when given, finds the faces for characters this one lacks.
  FontFace(FT_Face face, std::string family, FontCache* fallbacks = nullptr);
  ~FontFace();
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  const std::string& family() const { return family_; }
  double units_per_em() const { return units_per_em_; }
  // The Windows ascent and descent (OS/2 usWinAscent/usWinDescent, else hhea), font units.
  double ascent_units() const { return ascent_units_; }
  double descent_units() const { return descent_units_; }

  const Glyph& Lookup(char32_t character) {
    if (character < ascii_.size()) {
      if (!ascii_ready_[character]) {
        ascii_[character] = Load(character);
        ascii_ready_[character] = true;
      }
      return ascii_[character];
    }
    auto it = others_.find(character);
    if (it == others_.end()) it = others_.emplace(character, Load(character)).first;
    return it->second;
  }

  // Whether the face itself has a glyph for `character`.
  bool HasGlyph(char32_t character) const;

  // The width of `text`'s characters, in thousandths of an em.
  double AdvanceMilli(std::u32string_view text);

  // The cairo font of this face at `size_points` (identity transformation, no hinting);
  // owned by the face.
  cairo_scaled_font_t* ScaledFont(double size_points);

 private:
  Glyph Load(char32_t character);
  Glyph LoadOwn(char32_t character);

  FT_Face face_;
  std::string family_;
  FontCache* fallbacks_;
  double units_per_em_ = 1000;
  double ascent_units_ = 0;
  double descent_units_ = 0;
  cairo_font_face_t* cairo_face_ = nullptr;
  std::map<double, cairo_scaled_font_t*> scaled_;
  std::array<Glyph, 256> ascii_{};
  std::array<bool, 256> ascii_ready_{};
  std::unordered_map<char32_t, Glyph> others_;
};

class FontCache {
 public:
  FontCache();
  ~FontCache();
  FontCache(const FontCache&) = delete;
  FontCache& operator=(const FontCache&) = delete;

  // The outline face fontconfig chooses for a family name (its best substitute when the
  // family is missing). Raises RuntimeError 380 when no outline font can be opened at all.
  FontFace& Match(const std::string& family);

  // The installed families, sorted without regard to case; `scalable` marks families with
  // a TrueType or OpenType face.
  static std::vector<FontFamily> Families();

  // The first font in fontconfig's ranking for `base`'s family, other than `base`, that
  // has a glyph for `character`; null when no installed outline font has one. Each face
  // caches the answer for each of its characters.
  FontFace* Fallback(const FontFace& base, char32_t character);

 private:
  // The face of a font fontconfig listed, opened once per file; null when it is no
  // outline font FreeType can open.
  FontFace* Open(FcPattern* font, const std::string& requested);

  std::map<std::string, FontFace*> by_request_;  // lower-case requested name -> face
  std::map<std::pair<std::string, int>, std::unique_ptr<FontFace>> by_file_;
  // Every installed font ranked for a face's family, made at its first missing character.
  std::map<const FontFace*, FcFontSet*> fallback_order_;
};

}  // namespace quireon2
