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

TEST(PageScanner, LinesAndFormFeedsEndPages) {
  // Every page's first byte, then the length + 1 (or, when cut, the first page left out).
  struct Case { std::string bytes; long page_lines, max_pages; std::vector<long long> starts; bool cut; };
  for (const Case& c : {
           Case{Repeat("xx\r\n", 120), 50, 100, {1, 201, 401, 481}, false},
           Case{Repeat("xx\r\n", 100), 50, 100, {1, 201, 401}, false},  // no empty last page
           Case{Repeat("xx\n", 100) + "tail", 50, 100, {1, 151, 301, 305}, false},
           Case{"a\r\n\fb\r\n", 50, 100, {1, 5, 8}, false}, Case{"a\r\n\f\fb\r\n", 50, 100, {1, 5, 6, 9}, false},
           Case{Repeat("x\r\n", 50) + "\f" + "y\r\n", 50, 100, {1, 151, 152, 155}, false},
           Case{"ab\fcd\r\n", 50, 100, {1, 4, 8}, false},  // a form feed inside a line ends it
           Case{"abc", 50, 100, {1, 4}, false}, Case{"", 50, 100, {1}, false}, Case{"x", 50, 100, {1, 2}, false},
           Case{Repeat("x\r\n", 200) + "\f" + "y", -1, 100, {1, 602, 603}, false},  // form feeds only
           // A closing form feed starts no page, whatever line ends or blanks follow it;
           // one at the start or two in a row still give their blank pages.
           Case{Repeat("x\f", 5), 50, 100, {1, 3, 5, 7, 9, 11}, false},
           Case{Repeat("x\f", 5) + "\r\n", 50, 100, {1, 3, 5, 7, 9, 13}, false},
           Case{Repeat("x\f", 5) + "  \n", 50, 100, {1, 3, 5, 7, 9, 14}, false},
           Case{"x\f" + Repeat("\r\n", 120) + "\x1a\t", 50, 100, {1, 245}, false},
           Case{"x\f\r\n\f\r\n", 50, 100, {1, 3, 8}, false}, Case{"x\f\r\n y", 50, 100, {1, 3, 7}, false},
           Case{"\fx", 50, 100, {1, 2, 3}, false}, Case{"\f\r\n", 50, 100, {1, 4}, false},
           Case{"x\f\fy", 50, 100, {1, 3, 4, 5}, false},
           // The page limit: the entry after the last page is where the text goes on.
           Case{Repeat("xx\r\n", 120), 50, 2, {1, 201, 401}, true},
           Case{Repeat("xx\r\n", 100), 50, 2, {1, 201, 401}, false},
           Case{"x\fy\f\r\n" + Repeat("\r\n", 60), 50, 2, {1, 3, 127}, false},
           Case{"x\fy\f\f", 50, 2, {1, 3, 5}, true}}) {  // a third, blank page is left out
    // The pages do not depend on how the text is cut into pieces.
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

class PageIndex : public testing::ProgramTest {
 protected:
  void Index(const std::string& bytes) {
    p.prep.LineFilePath = dir.Write("lines.tmp", bytes);
    EXPECT_TRUE(IndexLineFile(p));
  }
  ScratchDir dir;
};

// The line file's pages in the page table: its length, the limit's message, progress by
// chunk, and a file that cannot be read.
TEST_F(PageIndex, TableLimitProgressAndFailures) {
  p.prep.LinesPerPage = 0;  // no wrap has run: 55 lines a page
  p.prep.PageLines = 0;
  Index(Repeat("x\r\n", 111));
  EXPECT_EQ(p.prep.TotalPages, 3);
  EXPECT_EQ(p.prep.PageStart[2], 166);
  p.prep.PageLines = 40;  // an earlier run's page length stays
  Index(Repeat("x\r\n", 81));
  EXPECT_EQ(p.prep.TotalPages, 3);

  p.prep.LinesPerPage = 50;
  p.settings().MaxPages = 2;
  t.prompt.Expect("Too many pages - printing only 2");
  Index(Repeat("xx\r\n", 120));
  EXPECT_EQ(p.prep.PageStart, (std::vector<Long>{0, 1, 201, 401}));

  p.settings().MaxPages = 2024;
  t.status.progress_calls.clear();
  Index(Repeat(std::string(98, 'x') + "\r\n", 700));  // 70000 bytes, 14 pages of 5000
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

// A run with the temp folder pointed at a scratch folder, so every file it makes is seen.
class PrepRun : public testing::ProgramTest {
 protected:
  void SetUp() override {
    const char* old = std::getenv("TMPDIR");
    if (old != nullptr) old_tmpdir_ = old;
    temp = tempdir_.path().string();
    setenv("TMPDIR", temp.c_str(), 1);
    // Letter, 100 twips a character, 200 a line: the booklet cell is 6480 x 10800, so
    // CharsPerLine = 64 + 10 and LinesPerPage = 10800 \ 250 = 43.
    ComputeLayoutMetrics(p, 0);
  }
  void TearDown() override {
    old_tmpdir_ ? setenv("TMPDIR", old_tmpdir_->c_str(), 1) : unsetenv("TMPDIR");
    ProgramTest::TearDown();
  }
  std::string Source(const std::string& bytes) {
    const std::string path = dir.Write("source.txt", bytes);
    t.window.SetText(TextBox::kText1, "  " + path + " ");
    return path;
  }

  ScratchDir dir;
  std::string temp;

 private:
  ScratchDir tempdir_;
  std::optional<std::string> old_tmpdir_;
};

TEST_F(PrepRun, WrapsCountsAndShowsTheTotals) {
  const std::string source = Source(Repeat("xx\r\n", 100));
  t.window.SetText(TextBox::kSigNum, "2.5");  // halves to even: 2 signatures
  ASSERT_TRUE(PrePrint1(p));
  EXPECT_EQ(t.status.messages,
            (std::vector<std::string>{"Creating Temp File", "Indexing File", "Count Done"}));
  EXPECT_EQ(p.prep.LinesPerPage, 43);
  EXPECT_EQ(p.settings().TextFile, source);
  EXPECT_EQ(t.surface.document_name(), source);
  // Pages of 43 + 43 + 14 lines, one sheet, one a signature; the printer and the font size.
  const StatusCounts c = t.status.counts.at(0);
  EXPECT_EQ(std::make_tuple(c.total_pages, c.sheet_count, c.sheets_per_signature, p.print.SigCount),
            std::make_tuple(3, 1, 1, 2));
  EXPECT_EQ(c.printer + " " + std::to_string(c.font_size), "Test Printer 8");
  // The signature box is read as the number at its start, rounded half to even.
  for (const auto& [text, sigs] : {std::pair{"3.5 sigs", 4}, {"x", 0}, {"99999", 0}}) {
    t.window.SetText(TextBox::kSigNum, text);
    UpdateCounts(p);
    EXPECT_EQ(p.print.SigCount, sigs) << text;
    EXPECT_EQ(t.status.counts.back().sheets_per_signature, sigs == 0 ? 0 : 1) << text;
  }
  EXPECT_EQ(fs::path(p.prep.LineFilePath).filename().string().rfind("QRN", 0), 0u);
  EXPECT_EQ(ReadFile(p.prep.LineFilePath), Repeat("xx\r\n", 100));
  // Without the wrap the tabs are expanded, unless the tab box is cleared: then the bytes
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

TEST_F(PrepRun, EachRunRemovesThePreviousLineFileButNeverTheSource) {
  // A temp folder path of any length.
  fs::path folder = temp;
  for (int i = 0; i < 4; ++i) folder /= std::string(90, static_cast<char>('a' + i));
  fs::create_directories(folder);
  setenv("TMPDIR", folder.c_str(), 1);
  const std::string source = Source("abc\r\n");
  ASSERT_TRUE(PrePrint1(p));
  const std::string first = p.prep.LineFilePath;
  EXPECT_EQ(fs::path(first).parent_path(), folder);
  EXPECT_EQ(ReadFile(first), "abc\r\n");
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

TEST_F(PrepRun, FailuresStopTheRunAndLeaveNoFile) {
  EXPECT_FALSE(PrePrint1(p));  // nothing in Text1: no message
  Source("a\tb\r\n");
  t.window.SetText(TextBox::kTCount, "4.5x");
  t.prompt.Expect("The tab width must be a whole number from 0 to 99, not \"4.5x\"");
  EXPECT_FALSE(PrePrint1(p));
  t.window.SetText(TextBox::kTCount, "5");
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

  // A missing source, with the wrap and with the plain copy.
  const std::string missing = dir.File("gone.txt");
  t.window.SetText(TextBox::kText1, missing);
  for (Integer wrap : {1, 0}) {
    p.settings().WordWrap = wrap;
    t.window.SetCheckValue(CheckBox::kDoTabEx, 0);
    t.prompt.Expect("the file " + missing + " doesn't exist");
    EXPECT_FALSE(PrePrint1(p)) << wrap;
    EXPECT_TRUE(p.prep.LineFilePath.empty());
  }
  EXPECT_FALSE(fs::exists(missing));
  EXPECT_TRUE(fs::is_empty(temp));

  setenv("TMPDIR", dir.File("nowhere").c_str(), 1);
  Source("abc\r\n");
  t.prompt.Expect("sorry, you have no temp directory assigned");
  EXPECT_FALSE(PrePrint1(p));
}

}  // namespace
}  // namespace quireon2
