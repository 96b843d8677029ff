// The text preparation on the recording surface: the layouts' cells and the room for a
// line, the line height and text metrics of the current layout, the page scanner on strings,
// and the preparation run end to end on a scratch temp folder: the page index, the counts
// shown, the temp files made and removed, and the run's failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>
#include <vector>

#include "support/gtest_support.h"
#include "textprep/layout_metrics.h"
#include "textprep/page_scanner.h"
#include "textprep/prep_run.h"
#include "textprep_helpers.h"

namespace quireon2 {
namespace {

using testing::ReadFile;
using testing::Repeat;
using testing::ScratchDir;
namespace fs = std::filesystem;
using LayoutMetrics = testing::ProgramTest;
using TextMetrics = testing::ProgramTest;

// A record as "cells orientation width x height: x,y of each cell".
std::string Describe(const LayoutRecord& r) {
  std::string text = std::to_string(r.cell_count) + " " + std::to_string(r.orientation) + " " +
                     std::to_string(r.cell_width) + "x" + std::to_string(r.cell_height) + ":";
  for (int i = 1; i <= r.cell_count; ++i) {
    text += " " + std::to_string(r.x[i]) + "," + std::to_string(r.y[i]);
  }
  return text;
}

TEST_F(LayoutMetrics, CellsOfEveryLayoutOnLetterWithBordersGuttersAndOffsets) {
  Settings& s = p.settings();
  s.OffsetTop = 10, s.OffsetLeft = 20, s.OffsetRight = 30, s.OffsetBottom = 40;
  s.BookletGutter = 2000;
  ComputeLayoutMetrics(p, 0);
  // Letter's printable area is 12240 x 15840 twips; landscape swaps them. Borders are 720,
  // the other gutters 1440. The offsets were measured on the portrait sheet, so in
  // landscape top and bottom move the cells along x, left and right along y.
  const char* want[4] = {"1 1 10800x14400: 740,730", "2 2 6430x10750: 730,750 8650,750",
                         "4 1 4630x6430: 740,730 6860,730 740,8650 6860,8650",
                         "2 2 6150x10750: 730,750 8930,750"};
  for (int layout = 0; layout < 4; ++layout) {
    EXPECT_EQ(Describe(p.settings_state.layouts[layout]), want[layout]) << layout;
  }
}

// Settings that leave a cell no room for a line are named before anything prints: a
// booklet cell of no width, sums that leave the 16-bit range, and a 1-up cell pushed off the
// page: up, it keeps room while one whole line of it is on the page (the cell is 15840 - 2 x
// 720 twips high and starts at 720 + OffsetTop; a line is 200); right, none once it begins
// at the page's edge (12240).
TEST_F(LayoutMetrics, SettingsThatLeaveNoRoomForALineAreNamed) {
  ComputeLayoutMetrics(p, 0);
  struct Case { int layout; Integer Settings::*key; Integer value; std::string why; };
  for (const Case& c : {
           Case{kLayoutBooklet, &Settings::XEdgeBorder2, 7200,
                "XEdgeBorder2= 7200, BookletGutter= 1440 leave a cell 0 twips wide"},
           Case{kLayoutBooklet, &Settings::YEdgeBorder2, 20000,
                "XEdgeBorder2= 720, BookletGutter= 1440, YEdgeBorder2= 20000 "
                "overflow the cell's sums"},
           Case{kLayout1Up, &Settings::OffsetTop, -14920, ""},
           Case{kLayout1Up, &Settings::OffsetLeft, 11520,  // begins at the page's right edge
                "XEdgeBorder1= 720, OffsetLeft= 11520 put a cell off the page"},
           Case{kLayout1Up, &Settings::OffsetTop, -14921,
                "YEdgeBorder1= 720, OffsetTop=-14921 put a cell off the page"}}) {
    Settings& s = p.settings();
    s = Settings();
    s.Layout = static_cast<Integer>(c.layout), s.LineMultiple = 1, s.*c.key = c.value;
    if (!c.why.empty()) t.prompt.Expect("The settings leave no room for a line: " + c.why);
    EXPECT_EQ(CheckRoomForLines(p).kind,
              c.why.empty() ? OutcomeKind::kSucceeded : OutcomeKind::kSourceFailed) << c.value;
  }
}

// Each row starts from CharsPerLine 7 and LinesPerPage 9; a zero measure ends the
// computation without a word and keeps what is not yet computed (a printer that refuses a
// setting is told of by the terminal command's failure table).
TEST_F(TextMetrics, LineHeightCharactersAndLinesOfTheCell) {
  testing::UseBookletCell(p, 5760, 10800, 9);  // WidthFudge is 10
  t.surface.metrics().text_height_twips = 184;
  struct Case { double char_twips; float multiple; Integer header, footer;
                Long line, width, chars, lines; };
  for (const Case& c : {
           // 184 x 1.25 = 230 a line; 6820 \ 62 = 110 a character; 5760 \ 110 + 10 = 62
           // characters; 10800 \ 230 - 3 - 2 = 41 lines.
           Case{6820.0 / 62, 1.25f, 1, 1, 230, 110, 62, 41},
           Case{6881.0 / 62, 1.25f, 0, 1, 230, 110, 62, 43},  // 110.98 a character: 110 on average
           Case{0.5, 1.25f, 1, 1, 230, 0, 7, 9},  // 31 twips for 62 characters
           Case{110, 0, 1, 1, 0, 110, 62, 9},
       }) {
    p.prep.CharsPerLine = 7, p.prep.LinesPerPage = 9;
    t.surface.metrics().char_width_twips = c.char_twips;
    p.settings().LineMultiple = c.multiple;
    p.settings().DoHeader = c.header, p.settings().DoFooter = c.footer;
    SetTextMetrics(p);
    EXPECT_EQ((std::vector<Long>{p.settings_state.layouts[3].line_height, p.prep.CharWidth,
                                 p.prep.CharsPerLine, p.prep.LinesPerPage}),
              (std::vector<Long>{c.line, c.width, c.chars, c.lines}))
        << c.char_twips << " " << c.multiple << " " << c.header << c.footer;
  }
}

TEST(PageScanner, LinesAndFormFeedsEndPagesHoweverTheTextIsFed) {
  // Every page's first byte, then the length + 1 (or, when cut, the first page left out).
  struct Case { std::string bytes; long page_lines, max_pages; std::vector<long long> starts;
                bool cut = false; };
  for (const Case& c : {
           Case{Repeat("xx\r\n", 120), 50, 100, {1, 201, 401, 481}},
           Case{"a\r\n\f\fb\r\n", 50, 100, {1, 5, 6, 9}},
           Case{Repeat("x\r\n", 50) + "\f" + "y\r\n", 50, 100, {1, 151, 152, 155}},
           Case{"", 50, 100, {1}}, Case{"x", 50, 100, {1, 2}},
           Case{Repeat("x\r\n", 200) + "\f" + "y", -1, 100, {1, 602, 603}},  // form feeds only
           // A closing form feed starts no page, whatever line ends or blanks follow it.
           Case{Repeat("x\f", 5) + "  \n", 50, 100, {1, 3, 5, 7, 9, 14}},
           Case{"x\f" + Repeat("\r\n", 120) + "\x1a\t", 50, 100, {1, 245}},
           // The page limit: the entry after the last page is where the text goes on.
           Case{Repeat("xx\r\n", 120), 50, 2, {1, 201, 401}, true},
           Case{Repeat("xx\r\n", 100), 50, 2, {1, 201, 401}},  // no empty last page
           Case{"x\fy\f\r\n" + Repeat("\r\n", 60), 50, 2, {1, 3, 127}},
           Case{"x\fy\f\f", 50, 2, {1, 3, 5}, true}}) {  // a third, blank page is left out
    // Whole, a byte at a time and in pieces of 7.
    for (std::size_t piece : {c.bytes.size() + 1, std::size_t{1}, std::size_t{7}}) {
      PageScanner scanner(c.page_lines, c.max_pages);
      for (std::size_t at = 0; at < c.bytes.size(); at += piece) {
        scanner.Feed(std::string_view(c.bytes).substr(at, piece));
      }
      const PageScanner::Pages pages = scanner.Finish();
      const std::string what =
          ::testing::PrintToString(c.bytes) + " piece " + std::to_string(piece);
      EXPECT_EQ(pages.starts, c.starts) << what;
      EXPECT_EQ(pages.total, static_cast<long>(c.starts.size()) - 1) << what;
      EXPECT_EQ(pages.cut, c.cut) << what;
    }
  }
}

// A run with the temp folder pointed at a scratch folder, so every file it makes is seen.
class PrepRunTest : public testing::ProgramTest {
 protected:
  // Letter, 100 twips a character, 200 a line: the booklet cell is 6480 x 10800, so
  // CharsPerLine = 64 + 10 and LinesPerPage = 10800 \ 250 = 43.
  void SetUp() override { ComputeLayoutMetrics(p, 0); }
  std::string Source(const std::string& bytes) {
    const std::string path = dir.Write("source.txt", bytes);
    t.window.SetText(TextBox::kText1, "  " + path + " ");
    return path;
  }

  ScratchDir dir;
  ScratchDir temp;
  testing::ScopedEnv tmpdir{"TMPDIR", temp.path().string()};
};

// The line file's pages in the page table: its length, the limit's message, the blank
// entries after the last page, and a file that cannot be read.
TEST_F(PrepRunTest, PageIndexTableLimitAndFailures) {
  auto index = [this](const std::string& bytes) {
    p.prep.LineFilePath = dir.Write("lines.tmp", bytes);
    EXPECT_TRUE(IndexLineFile(p));
  };
  p.prep.LinesPerPage = 0;  // no wrap has run: 55 lines a page
  p.prep.PageLines = 0;
  index(Repeat("x\r\n", 111));
  EXPECT_EQ(p.prep.TotalPages, 3);
  EXPECT_EQ(p.prep.PageStart[2], 166);
  p.prep.LinesPerPage = 50;
  p.settings().MaxPages = 2;
  t.prompt.Expect("Too many pages - printing only 2");
  index(Repeat("xx\r\n", 120));
  EXPECT_EQ(p.prep.PageStart, (std::vector<Long>{0, 1, 201, 401}));

  p.settings().MaxPages = 2024;
  index(Repeat(std::string(98, 'x') + "\r\n", 700));  // 70000 bytes, 14 pages of 5000
  EXPECT_EQ(p.prep.TotalPages, 14);
  // Pages that are not there must read as blank to the page drawing.
  EXPECT_EQ(std::count(p.prep.PageStart.begin() + 16, p.prep.PageStart.end(), 0),
            static_cast<long>(p.prep.PageStart.size()) - 16);
  p.prep.LineFilePath = dir.path().string();
  t.prompt.Expect("Can't read the temporary file " + dir.path().string() + ": Is a directory");
  EXPECT_FALSE(IndexLineFile(p));
}

TEST_F(PrepRunTest, WrapsCountsAndRemovesEachEarlierLineFileButNeverTheSource) {
  const std::string source = Source(Repeat("xx\r\n", 100));
  t.window.SetText(TextBox::kSigNum, "2.5");  // halves to even: 2 signatures
  ASSERT_TRUE(PrePrint1(p));
  EXPECT_EQ(t.status.messages,
            (std::vector<std::string>{"Creating Temp File", "Indexing File", "Count Done"}));
  EXPECT_EQ(t.surface.document_name(), source);
  EXPECT_EQ(ReadFile(p.prep.LineFilePath), Repeat("xx\r\n", 100));
  // Pages of 43 + 43 + 14 lines, one sheet, one a signature; the printer and the font size.
  const StatusCounts c = t.status.counts.at(0);
  EXPECT_EQ(std::make_tuple(c.total_pages, c.sheet_count, c.sheets_per_signature, p.print.SigCount,
                            c.printer, c.font_size),
            std::make_tuple(3, 1, 1, 2, std::string("Test Printer"), 8));
  // A signature count past the Integer range is no signatures, like an empty box.
  t.window.SetText(TextBox::kSigNum, "99999");
  UpdateCounts(p);
  EXPECT_EQ(std::make_pair(p.print.SigCount, t.status.counts.back().sheets_per_signature),
            std::make_pair(Integer{0}, 0));
  // The tab boxes as the writers read them, with and without the wrap: fixed blanks or
  // stops every 4 columns, or no expansion (then the copy takes the bytes as they are); the
  // status window says which rule is in force. Each run removes the line file of the one
  // before; the source is never removed.
  t.window.SetText(TextBox::kTCount, " 4 ");
  struct Case { Integer wrap; int expand, stops; const char* lines, *rule; };
  for (const Case& c : {Case{1, 1, 0, "ab    c\r\nabcde    f\r\n", "4 blanks each"},
                        Case{1, 1, 1, "ab  c\r\nabcde   f\r\n", "stops every 4 columns"},
                        Case{0, 1, 0, "ab    c\nabcde    f\n", "4 blanks each"},
                        Case{0, 1, 1, "ab  c\nabcde   f\n", "stops every 4 columns"},
                        Case{0, 0, 1, "ab\tc\nabcde\tf\n", "printed as they are"}}) {
    const std::string previous = p.prep.LineFilePath;
    Source("ab\tc\nabcde\tf\n");
    p.settings().WordWrap = c.wrap;
    t.window.SetCheckValue(CheckBox::kDoTabEx, c.expand);
    t.window.SetCheckValue(CheckBox::kTabStops, c.stops);
    ASSERT_TRUE(PrePrint1(p));
    EXPECT_EQ(ReadFile(p.prep.LineFilePath), c.lines) << c.wrap << c.expand << c.stops;
    EXPECT_EQ(t.status.counts.back().tab_rule, c.rule) << c.wrap << c.expand << c.stops;
    EXPECT_FALSE(fs::exists(previous));
  }
  EXPECT_EQ(fs::path(p.prep.LineFilePath).filename().string().rfind("QRN", 0), 0u);
  EXPECT_TRUE(DeleteLineFile(p));  // at shutdown
  EXPECT_TRUE(fs::is_empty(temp.path()));
  p.prep.LineFilePath = Source("abc\r\n");
  EXPECT_TRUE(DeleteLineFile(p));
  EXPECT_EQ(ReadFile(dir.File("source.txt")), "abc\r\n");
}

TEST_F(PrepRunTest, FailuresStopTheRunAndLeaveNoFile) {
  EXPECT_FALSE(PrePrint1(p));  // nothing in Text1: no message
  Source("abc\r\n");
  p.settings().MaxPages = 0;
  t.prompt.Expect("The page limit MaxPages must lie from 1 to 32766, not 0");
  EXPECT_FALSE(PrePrint1(p));
  p.settings().MaxPages = 2024;
  for (const char* width : {"-1", "100"}) {
    t.window.SetText(TextBox::kTCount, width);
    t.prompt.Expect("The tab width must be a whole number from 0 to 99, not \"" +
                    std::string(width) + "\"");
    EXPECT_FALSE(PrePrint1(p));
  }
  t.window.SetText(TextBox::kTCount, "0");
  const std::string missing = dir.File("gone.txt");
  t.window.SetText(TextBox::kText1, missing);
  t.prompt.Expect("the file " + missing + " doesn't exist");
  EXPECT_FALSE(PrePrint1(p));
  EXPECT_TRUE(p.prep.LineFilePath.empty());
  EXPECT_TRUE(fs::is_empty(temp.path()));
}

}  // namespace
}  // namespace quireon2
