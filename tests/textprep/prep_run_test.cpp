// The preparation run end to end on the recording surface and a scratch temp folder: the
// page index, the counts shown, the temp files made and removed, and the run's failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <tuple>

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

TEST(PageScanner, LinesAndFormFeedsEndPagesHoweverTheTextIsFed) {
  // Every page's first byte, then the length + 1 (or, when cut, the first page left out).
  struct Case {
    std::string bytes;
    long page_lines, max_pages;
    std::vector<long long> starts;
    bool cut = false;
  };
  for (const Case& c : {
           Case{Repeat("xx\r\n", 120), 50, 100, {1, 201, 401, 481}},
           Case{Repeat("xx\r\n", 100), 50, 100, {1, 201, 401}},  // no empty last page
           Case{Repeat("xx\n", 100) + "tail", 50, 100, {1, 151, 301, 305}},
           Case{"a\r\n\f\fb\r\n", 50, 100, {1, 5, 6, 9}},
           Case{Repeat("x\r\n", 50) + "\f" + "y\r\n", 50, 100, {1, 151, 152, 155}},
           Case{"ab\fcd\r\n", 50, 100, {1, 4, 8}},  // a form feed inside a line ends it
           Case{"", 50, 100, {1}}, Case{"x", 50, 100, {1, 2}},
           Case{Repeat("x\r\n", 200) + "\f" + "y", -1, 100, {1, 602, 603}},  // form feeds only
           // A closing form feed starts no page, whatever line ends or blanks follow it;
           // one at the start still gives its blank page.
           Case{Repeat("x\f", 5), 50, 100, {1, 3, 5, 7, 9, 11}},
           Case{Repeat("x\f", 5) + "  \n", 50, 100, {1, 3, 5, 7, 9, 14}},
           Case{"x\f" + Repeat("\r\n", 120) + "\x1a\t", 50, 100, {1, 245}},
           Case{"x\f\r\n y", 50, 100, {1, 3, 7}}, Case{"\fx", 50, 100, {1, 2, 3}},
           // The page limit: the entry after the last page is where the text goes on.
           Case{Repeat("xx\r\n", 120), 50, 2, {1, 201, 401}, true},
           Case{Repeat("xx\r\n", 100), 50, 2, {1, 201, 401}},
           Case{"x\fy\f\r\n" + Repeat("\r\n", 60), 50, 2, {1, 3, 127}},
           Case{"x\fy\f\f", 50, 2, {1, 3, 5}, true}}) {  // a third, blank page is left out
    // Whole, a byte at a time and in pieces of 7.
    for (std::size_t piece : {c.bytes.size() + 1, std::size_t{1}, std::size_t{7}}) {
      PageScanner scanner(c.page_lines, c.max_pages);
      for (std::size_t at = 0; at < c.bytes.size(); at += piece) {
        scanner.Feed(std::string_view(c.bytes).substr(at, piece));
      }
      const PageScanner::Pages pages = scanner.Finish();
      const std::string what = ::testing::PrintToString(c.bytes) + " piece " + std::to_string(piece);
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

// The line file's pages in the page table: its length, the limit's message, progress by
// chunk, and a file that cannot be read.
TEST_F(PrepRunTest, PageIndexTableLimitProgressAndFailures) {
  auto index = [this](const std::string& bytes) {
    p.prep.LineFilePath = dir.Write("lines.tmp", bytes);
    EXPECT_TRUE(IndexLineFile(p));
  };
  p.prep.LinesPerPage = 0;  // no wrap has run: 55 lines a page
  p.prep.PageLines = 0;
  index(Repeat("x\r\n", 111));
  EXPECT_EQ(p.prep.TotalPages, 3);
  EXPECT_EQ(p.prep.PageStart[2], 166);
  p.prep.PageLines = 40;  // an earlier run's page length stays
  index(Repeat("x\r\n", 81));
  EXPECT_EQ(p.prep.TotalPages, 3);

  p.prep.LinesPerPage = 50;
  p.settings().MaxPages = 2;
  t.prompt.Expect("Too many pages - printing only 2");
  index(Repeat("xx\r\n", 120));
  EXPECT_EQ(p.prep.PageStart, (std::vector<Long>{0, 1, 201, 401}));

  p.settings().MaxPages = 2024;
  t.status.progress_calls.clear();
  index(Repeat(std::string(98, 'x') + "\r\n", 700));  // 70000 bytes, 14 pages of 5000
  EXPECT_EQ(p.prep.TotalPages, 14);
  EXPECT_EQ(p.prep.PageStart[15], 70001);
  // Pages that are not there must read as blank to the page drawing.
  EXPECT_EQ(std::count(p.prep.PageStart.begin() + 16, p.prep.PageStart.end(), 0),
            static_cast<long>(p.prep.PageStart.size()) - 16);
  std::vector<std::pair<long, long>> at;  // (total, done) after each chunk of 32766 bytes
  for (const auto& call : t.status.progress_calls) at.emplace_back(call.total, call.current);
  EXPECT_EQ(at,
            (std::vector<std::pair<long, long>>{{70000, 32766}, {70000, 65532}, {70000, 70000}}));

  p.prep.LineFilePath = dir.path().string();
  t.prompt.Expect("Can't read the temporary file " + dir.path().string() + ": Is a directory");
  EXPECT_FALSE(IndexLineFile(p));
}

TEST_F(PrepRunTest, WrapsCountsAndShowsTheTotals) {
  const std::string source = Source(Repeat("xx\r\n", 100));
  t.window.SetText(TextBox::kSigNum, "2.5");  // halves to even: 2 signatures
  ASSERT_TRUE(PrePrint1(p));
  EXPECT_EQ(t.status.messages,
            (std::vector<std::string>{"Creating Temp File", "Indexing File", "Count Done"}));
  EXPECT_EQ(p.prep.LinesPerPage, 43);
  EXPECT_EQ(p.settings().TextFile, source);
  EXPECT_EQ(t.surface.document_name(), source);
  EXPECT_EQ(ReadFile(p.prep.LineFilePath), Repeat("xx\r\n", 100));
  // Pages of 43 + 43 + 14 lines, one sheet, one a signature; the printer and the font size.
  const StatusCounts c = t.status.counts.at(0);
  EXPECT_EQ(std::make_tuple(c.total_pages, c.sheet_count, c.sheets_per_signature, p.print.SigCount,
                            c.printer, c.font_size),
            std::make_tuple(3, 1, 1, 2, std::string("Test Printer"), 8));
  // The signature box is read as the number at its start, rounded half to even.
  for (const auto& [text, sigs] : {std::pair{"3.5 sigs", 4}, {"x", 0}, {"99999", 0}}) {
    t.window.SetText(TextBox::kSigNum, text);
    UpdateCounts(p);
    EXPECT_EQ(p.print.SigCount, sigs) << text;
    EXPECT_EQ(t.status.counts.back().sheets_per_signature, sigs == 0 ? 0 : 1) << text;
  }
  // Without the wrap the tabs are expanded, unless the expand box is cleared: then the bytes
  // are copied as they are.
  p.settings().WordWrap = 0;
  t.window.SetText(TextBox::kTCount, "4");
  for (int expand : {1, 0}) {
    Source("a\tb\r\n");
    t.window.SetCheckValue(CheckBox::kDoTabEx, expand);
    ASSERT_TRUE(PrePrint1(p));
    EXPECT_EQ(ReadFile(p.prep.LineFilePath), expand ? "a    b\r\n" : "a\tb\r\n") << expand;
  }
}

TEST_F(PrepRunTest, EachRunRemovesThePreviousLineFileButNeverTheSource) {
  // A temp folder path of any length.
  fs::path folder = temp.path();
  for (int i = 0; i < 4; ++i) folder /= std::string(90, static_cast<char>('a' + i));
  fs::create_directories(folder);
  testing::ScopedEnv long_tmpdir("TMPDIR", folder.string());
  const std::string source = Source("abc\r\n");
  ASSERT_TRUE(PrePrint1(p));
  const std::string first = p.prep.LineFilePath;
  EXPECT_EQ(fs::path(first).parent_path(), folder);
  EXPECT_EQ(fs::path(first).filename().string().rfind("QRN", 0), 0u);
  ASSERT_TRUE(PrePrint1(p));
  EXPECT_NE(p.prep.LineFilePath, first);
  EXPECT_FALSE(fs::exists(first));
  EXPECT_TRUE(DeleteLineFile(p));  // at shutdown
  EXPECT_TRUE(p.prep.LineFilePath.empty());
  EXPECT_TRUE(fs::is_empty(folder));
  p.prep.LineFilePath = source;
  EXPECT_TRUE(DeleteLineFile(p));
  EXPECT_EQ(ReadFile(source), "abc\r\n");
}

TEST_F(PrepRunTest, FailuresStopTheRunAndLeaveNoFile) {
  EXPECT_FALSE(PrePrint1(p));  // nothing in Text1: no message
  Source("abc\r\n");
  p.settings().MaxPages = 0;
  t.prompt.Expect("The page limit MaxPages must lie from 1 to 32766, not 0");
  EXPECT_FALSE(PrePrint1(p));
  p.settings().MaxPages = 2024;
  t.surface.printer().refuses.insert("FontSize");
  t.prompt.Expect(
      "Your Printer - Test Printer does not support features needed for Quireon2. Please "
      "select another printer");
  EXPECT_FALSE(PrePrint1(p));
  EXPECT_TRUE(t.status.messages.empty());
  t.surface.printer().refuses.clear();

  const std::string missing = dir.File("gone.txt");
  t.window.SetText(TextBox::kText1, missing);
  t.prompt.Expect("the file " + missing + " doesn't exist");
  EXPECT_FALSE(PrePrint1(p));
  EXPECT_TRUE(p.prep.LineFilePath.empty());
  EXPECT_TRUE(fs::is_empty(temp.path()));

  testing::ScopedEnv no_tmpdir("TMPDIR", dir.File("nowhere"));
  Source("abc\r\n");
  t.prompt.Expect("sorry, you have no temp directory assigned");
  EXPECT_FALSE(PrePrint1(p));
}

}  // namespace
}  // namespace quireon2
