// How the printer surface reads text bytes and paper names, through its public helpers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/paper.h"
#include "platform/surface_text.h"
#include "support/gtest_support.h"

namespace quireon2 {
namespace {

TEST(PrinterText, DecodesUtf8WhereValidAndOtherBytesAsWindows1252) {
  const std::pair<std::string, std::u32string> cases[] = {
      {"\xF0\x9F\x98\x80", U"\U0001F600"},           // four-byte UTF-8
      {"\x80\x93\x94\x99", U"\u20AC\u201C\u201D\u2122"},
      {"\x81\x8D\x8F\x90\x9D", U"\u0081\u008D\u008F\u0090\u009D"},  // undefined in 1252
      {"\xC0\x80", U"\u00C0\u20AC"},                 // overlong form is not UTF-8
      {"\xED\xA0\x80", U"\u00ED\u00A0\u20AC"},       // an encoded surrogate is not UTF-8
      {"\xE2\x82", U"\u00E2\u201A"},                 // a sequence cut off at the end
      {"\xC3" "A", U"\u00C3A"},                      // lead byte without continuation
      {"\xF5\x80\x80\x80", U"\u00F5\u20AC\u20AC\u20AC"},  // beyond U+10FFFF
      {std::string("a\0b", 3), std::u32string(U"a\0b", 3)},
  };
  for (const auto& [bytes, characters] : cases) {
    std::u32string decoded;
    DecodePrinterText(bytes, decoded);
    EXPECT_EQ(decoded, characters) << "bytes: " << bytes;
  }
}

TEST(PaperTable, CodeOfASizeAsCupsReportsIt) {
  // Hundredths of a millimetre, within half a millimetre.
  const int sizes[][3] = {{21590, 27940, 1},  {21000, 29700, 9},  {20990, 29704, 9},
                          {21590, 35560, 5},  {14800, 21000, 11}, {21100, 29700, kPaperCustom},
                          {10000, 15000, kPaperCustom}};
  for (const auto& s : sizes) EXPECT_EQ(PaperCodeForSize(s[0], s[1]), s[2]) << s[0] << "x" << s[1];
}

TEST(PaperTable, SystemDefaultFromPapersizeThenLocaleThenFileThenA4) {
  testing::ScratchDir dir;
  // $PAPERSIZE, LC_ALL, LC_PAPER, LANG, /etc/papersize (null: no file), the paper.
  struct Case { const char* env[4]; const char* file; int paper; };
  const Case cases[] = {
      {{"", "", "", ""}, "# the paper\n\nletter\n", 1},
      {{"", "", "", ""}, "  Legal  \n", 5},
      {{"", "", "", ""}, "b0\n", 9},  // a paper outside the table: A4
      {{"", "", "", ""}, nullptr, 9},
      {{"", "", "", "C.UTF-8"}, "letter", 1},  // the C locale names no paper
      {{"", "", "POSIX", "en_US.UTF-8"}, "letter", 1},
      {{"", "", "en", ""}, "letter", 1},  // nor does a locale without a territory
      {{"", "", "en_US.UTF-8", ""}, "a4", 1},
      {{"", "", "de_DE.UTF-8", ""}, "letter", 9},
      {{"", "", "", "es_MX"}, "a4", 1},
      {{"", "", "en_CA.NoSuchCodeset@x", ""}, "a4", 1},
      {{"", "fr_FR.UTF-8", "en_US.UTF-8", ""}, "letter", 9},  // LC_ALL rules
      {{"letter", "", "de_DE.UTF-8", ""}, "a4", 1},
      {{"LEGAL", "", "", ""}, "a4", 5},
      {{"nonsense", "", "", ""}, "letter", 1},
  };
  const char* const names[] = {"PAPERSIZE", "LC_ALL", "LC_PAPER", "LANG"};
  int row = 0;
  for (const Case& c : cases) {
    const testing::ScopedEnv env[] = {
        {names[0], c.env[0]}, {names[1], c.env[1]}, {names[2], c.env[2]}, {names[3], c.env[3]}};
    const std::string file =
        c.file ? dir.Write("papersize" + std::to_string(++row), c.file) : dir.File("missing");
    EXPECT_EQ(SystemPaperCode(file), c.paper)
        << c.env[0] << "|" << c.env[1] << "|" << c.env[2] << "|" << c.env[3] << "|"
        << (c.file ? c.file : "(no file)");
  }
}

}  // namespace
}  // namespace quireon2
