// The terminal command on "Print to PDF", read back with the poppler tools: characters the
// layout's font lacks print from installed fonts that have them, measured as drawn; and
// with tab stops a C header's comments line up.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "cli/program_run.h"

namespace quireon2::testing {
namespace {

class PrintedPdf : public ProgramRunTest {
 protected:
  // Prints `text` 1 up on A4 with the options `extra`; the exit status.
  int Print(const std::string& text, std::vector<std::string> extra) {
    extra.insert(extra.begin(), {"-P", "Print to PDF", "-o", out, "--paper", "A4", "-l", "1",
                                 "-yq", "--header", "none", "--footer", "none"});
    extra.push_back(dir.Write("text.txt", text));
    return Run(extra);
  }
};

std::string WithoutBlanks(const std::string& text) {
  std::string kept;
  for (char c : text) {
    if (c != ' ' && c != '\n' && c != '\r' && c != '\f') kept += c;
  }
  return kept;
}

// Latin with a combining acute, polytonic Greek, Cyrillic and a long run of Chinese that
// must be cut by characters. Every character comes back from the PDF, which needs each
// drawn glyph to map to it in its font's character map (a missing-glyph box maps to
// nothing); the fallback fonts are embedded; and every wrapped line fits the cell while
// the next character would not have, so the widths measured are the widths drawn.
TEST_F(PrintedPdf, CharactersTheFontLacksPrintFromFontsThatHaveThem) {
  std::string chinese;
  for (int i = 0; i < 12; ++i) chinese += "中文字体测试打印书";
  const std::string text = "Cafe\u0301 au lait, re\u0301sume\u0301\n"
                           "ἐν ἀρχῇ ἦν ὁ λόγος\n"
                           "Съешь же ещё\n" +
                           chinese + "\n";
  ASSERT_EQ(Print(text, {"-z", "10"}), 0) << ReadFile(err);

  const std::string fonts = RunCommand("pdffonts " + ShellQuote(out)).value_or("");
  EXPECT_NE(fonts.find("LiberationSerif"), std::string::npos) << fonts;
  EXPECT_NE(fonts.find("DejaVu"), std::string::npos) << fonts;      // the marks and the Greek
  EXPECT_NE(fonts.find("WenQuanYi"), std::string::npos) << fonts;   // the Chinese

  const std::vector<PdfPageText> pages = ReadPdfPages(out);
  ASSERT_EQ(pages.size(), 1u);
  std::string printed;
  double right = 0;
  std::vector<double> line_ends;  // the right edge of each line of Chinese
  for (const auto& [word, box] : pages[0].words) {
    printed += word;
    right = std::max(right, box.x_max);
    const auto lead = static_cast<unsigned char>(word[0]);
    if (lead >= 0xE4 && lead <= 0xE9) line_ends.push_back(box.x_max);
  }
  EXPECT_EQ(printed, WithoutBlanks(text));
  // 1 up: the cell runs from half an inch inside the left edge to half an inch inside the
  // right one; the Chinese takes several lines, all but its last filled to within one
  // character (10 points) of that edge.
  const double cell_right = pages[0].width - 36;
  EXPECT_LE(right, cell_right + 0.1);
  ASSERT_GE(line_ends.size(), 3u);
  for (std::size_t i = 0; i + 1 < line_ends.size(); ++i) {
    EXPECT_GT(line_ends[i], cell_right - 10.1) << "line " << i << " of the Chinese";
  }
}

// With tab stops every 8 columns each comment of the header starts in column 33 (a letter
// of two bytes is one column, a combining mark none), so in a monospaced font all of them
// start at one x position; the mark, as wide as a letter in this font, covers the E.
TEST_F(PrintedPdf, TabStopsKeepACHeadersCommentsInOneColumn) {
  const std::string header =
      "#define QR_CAFÉ\t64\t\t/* a name with a two-byte letter */\n"
      "#define QR_CAFE\u0301\t65\t\t/* and with a combining acute */\n"
      "#define QR_PAGE_LINES\t55\t/* lines on a page */\n"
      "struct page {\t\t\t/* one printed page */\n"
      "\tint\tnumber;\t\t/* from 1 */\n"
      "\tchar\t*text;\t\t/* its bytes */\n"
      "};\n";
  ASSERT_EQ(Print(header, {"-f", "DejaVu Sans Mono", "-z", "10", "--tab-stops", "--tab", "8"}), 0)
      << ReadFile(err);
  const std::vector<PdfPageText> pages = ReadPdfPages(out);
  ASSERT_EQ(pages.size(), 1u);
  std::vector<double> starts;
  double first_x = 1e9;
  double mark_x = 0;
  for (const auto& [word, box] : pages[0].words) {
    if (word == "/*") starts.push_back(box.x_min);
    if (word == "\u0301") mark_x = box.x_min;
    first_x = std::min(first_x, box.x_min);
  }
  ASSERT_EQ(starts.size(), 6u);
  for (double x : starts) EXPECT_NEAR(x, starts[0], 0.05);
  // Column 33: 32 cells of the font's advance (0.602 em at 10 points) after the line's
  // start; the E of the second line is in column 15.
  const double cell = 6.02;
  EXPECT_NEAR(starts[0] - first_x, 32 * cell, 0.5);
  EXPECT_NEAR(mark_x - first_x, 14 * cell, 0.1);
}

}  // namespace
}  // namespace quireon2::testing
