// How the printer surface reads text bytes and paper names, through its public helpers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/paper.h"
#include "platform/surface_text.h"
#include "support/gtest_support.h"

namespace quireon2 {
namespace {

std::u32string Decode(const std::string& bytes) {
  std::u32string out;
  DecodePrinterText(bytes, out);
  return out;
}

TEST(PrinterText, DecodesUtf8WhereValidAndOtherBytesAsWindows1252) {
  struct Case {
    std::string bytes;
    std::u32string characters;
  };
  const std::vector<Case> cases = {
      {"Hello", U"Hello"},
      {"caf\xC3\xA9", U"caf\u00E9"},                 // two-byte UTF-8
      {"\xE2\x82\xAC 5", U"\u20AC 5"},               // three-byte UTF-8 euro
      {"\xF0\x9F\x98\x80", U"\U0001F600"},           // four-byte UTF-8
      {"caf\xE9", U"caf\u00E9"},                     // Windows-1252 e acute
      {"\x80\x93\x94\x99", U"\u20AC\u201C\u201D\u2122"},
      {"\x81\x8D\x8F\x90\x9D", U"\u0081\u008D\u008F\u0090\u009D"},  // undefined in 1252
      {"\xC0\x80", U"\u00C0\u20AC"},                 // overlong form is not UTF-8
      {"\xED\xA0\x80", U"\u00ED\u00A0\u20AC"},       // an encoded surrogate is not UTF-8
      {"\xE2\x82", U"\u00E2\u201A"},                 // a sequence cut off at the end
      {"\xC3" "A", U"\u00C3A"},                      // lead byte without continuation
      {"\xF5\x80\x80\x80", U"\u00F5\u20AC\u20AC\u20AC"},  // beyond U+10FFFF
      {"\xFF\xFE", U"\u00FF\u00FE"},
      {std::string("a\0b", 3), std::u32string(U"a\0b", 3)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Decode(c.bytes), c.characters) << "bytes: " << c.bytes;
  }
}

TEST(PrinterText, SplitsLinesAtLfWithOrWithoutCr) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"", {""}},
      {"abc", {"abc"}},
      {"a\r\nb", {"a", "b"}},
      {"a\nb\r\nc", {"a", "b", "c"}},
      {"a\r\n", {"a"}},                 // a final line end starts no new line
      {"a\n\nb", {"a", "", "b"}},
      {"\n", {""}},
      {"a\rb", {"a\rb"}},               // a lone CR is an ordinary character
      {"a\r\r\nb", {"a\r", "b"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> got;
    for (std::string_view line : PrinterTextLines(c.text)) got.emplace_back(line);
    EXPECT_EQ(got, c.lines) << "text: " << c.text;
  }
}

TEST(PaperTable, CodesSizesAndNames) {
  std::optional<Paper> letter = PaperForCode(1);
  ASSERT_TRUE(letter);
  EXPECT_EQ(letter->media, "na_letter_8.5x11in");
  EXPECT_NEAR(letter->width_points, 612, 1e-9);
  EXPECT_NEAR(letter->height_points, 792, 1e-9);
  std::optional<Paper> a4 = PaperForCode(9);
  ASSERT_TRUE(a4);
  EXPECT_EQ(a4->media, "iso_a4_210x297mm");
  EXPECT_NEAR(a4->width_points, 595.2756, 1e-4);  // 210 / 25.4 * 72
  EXPECT_NEAR(a4->height_points, 841.8898, 1e-4);
  EXPECT_FALSE(PaperForCode(0));
  EXPECT_FALSE(PaperForCode(2));

  // Sizes in hundredths of a millimetre as CUPS reports them, within half a millimetre.
  EXPECT_EQ(PaperCodeForSize(21590, 27940), 1);
  EXPECT_EQ(PaperCodeForSize(21000, 29700), 9);
  EXPECT_EQ(PaperCodeForSize(20990, 29704), 9);  // A4 rounded to whole points
  EXPECT_EQ(PaperCodeForSize(21590, 35560), 5);
  EXPECT_EQ(PaperCodeForSize(14800, 21000), 11);
  EXPECT_EQ(PaperCodeForSize(21100, 29700), kPaperCustom);
  EXPECT_EQ(PaperCodeForSize(10000, 15000), kPaperCustom);

  EXPECT_EQ(PaperCodeForName("a4"), 9);
  EXPECT_EQ(PaperCodeForName("Letter"), 1);
  EXPECT_EQ(PaperCodeForName("legal"), 5);
  EXPECT_EQ(PaperCodeForName("quarto"), 0);
}

TEST(PaperTable, SystemDefaultFromEnvironmentThenFileThenA4) {
  testing::ScratchDir dir;
  const char* saved = std::getenv("PAPERSIZE");
  std::string saved_value = saved ? saved : "";
  unsetenv("PAPERSIZE");

  EXPECT_EQ(SystemPaperCode(dir.Write("letter", "# the paper\n\nletter\n")), 1);
  EXPECT_EQ(SystemPaperCode(dir.Write("a4", "a4")), 9);
  EXPECT_EQ(SystemPaperCode(dir.Write("legal", "  Legal  \n")), 5);
  EXPECT_EQ(SystemPaperCode(dir.Write("odd", "b0\n")), 9);  // unknown paper: A4
  EXPECT_EQ(SystemPaperCode(dir.File("missing")), 9);
  setenv("PAPERSIZE", "letter", 1);
  EXPECT_EQ(SystemPaperCode(dir.File("a4")), 1);
  setenv("PAPERSIZE", "nonsense", 1);
  EXPECT_EQ(SystemPaperCode(dir.File("a4")), 9);

  if (saved) {
    setenv("PAPERSIZE", saved_value.c_str(), 1);
  } else {
    unsetenv("PAPERSIZE");
  }
}

}  // namespace
}  // namespace quireon2
