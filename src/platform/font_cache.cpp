// fontconfig matching, FreeType faces and their cached glyphs, cairo fonts.
#include "platform/font_cache.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H
#include <glib.h>

#include <algorithm>
#include <cmath>

#include "settings/runtime_failure.h"
#include "settings/text_helpers.h"

namespace quireon2 {
namespace {

// One FreeType library for the process. cairo may keep a face after we let go of it (its
// font caches), and the face must not outlive the library, so the library is never freed.
FT_Library Library() {
  static FT_Library library = [] {
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) != 0) lib = nullptr;
    return lib;
  }();
  return library;
}

const cairo_user_data_key_t kFaceKey{};

void DoneFace(void* face) { FT_Done_Face(static_cast<FT_Face>(face)); }

// The family name to report for a matched font: the requested spelling when the font
// carries that name among its families, else the font's first family.
std::string ReportedFamily(FcPattern* font, const std::string& requested) {
  FcChar8* value = nullptr;
  std::string first;
  for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &value) == FcResultMatch; ++i) {
    std::string family(reinterpret_cast<const char*>(value));
    if (i == 0) first = family;
    if (SameIgnoringCase(family, requested)) return family;
  }
  return first;
}

// Characters no font draws: controls and the C1 range of the cp1252 gaps.
bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

bool IsCombiningMark(char32_t c) {
  return c >= 0x300 && g_unichar_type(c) == G_UNICODE_NON_SPACING_MARK;
}

}  // namespace

FontFace::FontFace(FT_Face face, std::string family, FontCache* fallbacks)
    : face_(face), family_(std::move(family)), fallbacks_(fallbacks) {
  if (face_->units_per_EM > 0) units_per_em_ = face_->units_per_EM;
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
  const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face_, FT_SFNT_HHEA));
  if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    ascent_units_ = os2->usWinAscent;
    descent_units_ = os2->usWinDescent;
  } else if (hhea != nullptr && hhea->Ascender - hhea->Descender > 0) {
    ascent_units_ = hhea->Ascender;
    descent_units_ = -hhea->Descender;
  } else {
    ascent_units_ = face_->ascender;
    descent_units_ = -face_->descender;
  }
  cairo_face_ = cairo_ft_font_face_create_for_ft_face(face_, FT_LOAD_NO_HINTING);
  // From here cairo owns the FreeType face and closes it with its last reference.
  if (cairo_font_face_set_user_data(cairo_face_, &kFaceKey, face_, DoneFace) !=
      CAIRO_STATUS_SUCCESS) {
    FT_Done_Face(face_);
  }
}

FontFace::~FontFace() {
  for (auto& [size, font] : scaled_) cairo_scaled_font_destroy(font);
  cairo_font_face_destroy(cairo_face_);
}

FontFace::Glyph FontFace::LoadOwn(char32_t character) {
  Glyph glyph;
  glyph.face = this;
  glyph.index = FT_Get_Char_Index(face_, character);
  FT_Fixed advance = 0;
  if (FT_Get_Advance(face_, glyph.index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING, &advance) == 0) {
    glyph.advance_em = static_cast<double>(advance) / units_per_em_;
    glyph.advance_milli = std::trunc(glyph.advance_em * 1000);
  }
  return glyph;
}

FontFace::Glyph FontFace::Load(char32_t character) {
  Glyph glyph = LoadOwn(character);
  if (glyph.index == 0 && fallbacks_ != nullptr && !IsControl(character)) {
    // The same size in another font: its advance in its own ems is the width in points.
    if (FontFace* other = fallbacks_->Fallback(*this, character)) glyph = other->LoadOwn(character);
  }
  // Whatever advance the font gives a combining mark, the text goes on where the character
  // before it ended; the pen places the mark over that character.
  if (IsCombiningMark(character)) {
    glyph.mark = true;
    glyph.mark_em = glyph.advance_em;
    glyph.advance_em = glyph.advance_milli = 0;
  }
  return glyph;
}

double FontFace::AdvanceMilli(std::u32string_view text) {
  double milli = 0;
  for (char32_t c : text) milli += Lookup(c).advance_milli;
  return milli;
}

bool FontFace::HasGlyph(char32_t character) const {
  return FT_Get_Char_Index(face_, character) != 0;
}

cairo_scaled_font_t* FontFace::ScaledFont(double size_points) {
  auto it = scaled_.find(size_points);
  if (it != scaled_.end()) return it->second;
  cairo_matrix_t font_matrix;
  cairo_matrix_t identity;
  cairo_matrix_init_scale(&font_matrix, size_points, size_points);
  cairo_matrix_init_identity(&identity);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_scaled_font_t* font =
      cairo_scaled_font_create(cairo_face_, &font_matrix, &identity, options);
  cairo_font_options_destroy(options);
  scaled_.emplace(size_points, font);
  return font;
}

FontCache::FontCache() = default;

FontCache::~FontCache() {
  for (auto& [face, order] : fallback_order_) {
    if (order != nullptr) FcFontSetDestroy(order);
  }
}

FontFace* FontCache::Open(FcPattern* font, const std::string& requested) {
  FcBool outline = FcFalse;
  FcChar8* file = nullptr;
  int index = 0;
  if (FcPatternGetBool(font, FC_OUTLINE, 0, &outline) != FcResultMatch || !outline) return nullptr;
  if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch) return nullptr;
  FcPatternGetInteger(font, FC_INDEX, 0, &index);
  std::pair<std::string, int> file_key(reinterpret_cast<const char*>(file), index);
  if (auto known = by_file_.find(file_key); known != by_file_.end()) return known->second.get();
  FT_Face face = nullptr;
  if (Library() == nullptr || FT_New_Face(Library(), file_key.first.c_str(), index, &face) != 0) {
    return nullptr;
  }
  if (!FT_IS_SCALABLE(face)) {
    FT_Done_Face(face);
    return nullptr;
  }
  auto made = std::make_unique<FontFace>(face, ReportedFamily(font, requested), this);
  FontFace* opened = made.get();
  by_file_.emplace(file_key, std::move(made));
  return opened;
}

FontFace* FontCache::Fallback(const FontFace& base, char32_t character) {
  auto [it, added] = fallback_order_.emplace(&base, nullptr);
  if (added) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(base.family().c_str()));
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    it->second = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result);
    FcPatternDestroy(pattern);
  }
  FcFontSet* order = it->second;
  for (int i = 0; order != nullptr && i < order->nfont; ++i) {
    FcCharSet* charset = nullptr;
    if (FcPatternGetCharSet(order->fonts[i], FC_CHARSET, 0, &charset) != FcResultMatch ||
        !FcCharSetHasChar(charset, character)) {
      continue;
    }
    FontFace* face = Open(order->fonts[i], std::string());
    if (face != nullptr && face != &base && face->HasGlyph(character)) return face;
  }
  return nullptr;
}

FontFace& FontCache::Match(const std::string& family) {
  const std::string key = Lower(family);
  if (auto it = by_request_.find(key); it != by_request_.end()) return *it->second;

  FcPattern* pattern = FcPatternCreate();
  if (!family.empty()) {
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  }
  FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  // Sorted candidates rather than the single best match: a bitmap face or a file FreeType
  // cannot open must give way to the next outline face.
  FcFontSet* candidates = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result);
  FontFace* chosen = nullptr;
  for (int i = 0; candidates != nullptr && i < candidates->nfont && chosen == nullptr; ++i) {
    chosen = Open(candidates->fonts[i], family);
  }
  if (candidates != nullptr) FcFontSetDestroy(candidates);
  FcPatternDestroy(pattern);
  if (chosen == nullptr) {
    RaiseFailure(kInvalidPropertyValue, "Invalid property value (no printer font for \"" +
                                            family + "\")");
  }
  by_request_.emplace(key, chosen);
  return *chosen;
}

std::vector<FontFamily> FontCache::Families() {
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_OUTLINE, FC_FONTFORMAT, nullptr);
  FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
  std::map<std::string, FontFamily> by_name;
  for (int i = 0; fonts != nullptr && i < fonts->nfont; ++i) {
    FcChar8* family = nullptr;
    if (FcPatternGetString(fonts->fonts[i], FC_FAMILY, 0, &family) != FcResultMatch) continue;
    FcBool outline = FcFalse;
    FcChar8* format = nullptr;
    FcPatternGetBool(fonts->fonts[i], FC_OUTLINE, 0, &outline);
    FcPatternGetString(fonts->fonts[i], FC_FONTFORMAT, 0, &format);
    const std::string format_name = format ? reinterpret_cast<const char*>(format) : "";
    const bool scalable = outline && (format_name == "TrueType" || format_name == "CFF");
    std::string name(reinterpret_cast<const char*>(family));
    FontFamily& entry = by_name[Lower(name)];
    if (entry.name.empty()) entry.name = name;
    entry.scalable = entry.scalable || scalable;
  }
  if (fonts != nullptr) FcFontSetDestroy(fonts);
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  std::vector<FontFamily> families;
  families.reserve(by_name.size());
  for (auto& [key, family] : by_name) families.push_back(std::move(family));
  return families;
}

}  // namespace quireon2
