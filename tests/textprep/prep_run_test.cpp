// The preparation run end to end on the recording surface and a scratch temp folder: the
// page index, the counts shown, the temp files made and removed, and the run's failures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/gtest_support.h"
#include "textprep/layout_metrics.h"
#include "textprep/prep_run.h"

namespace quireon2 {
namespace {

using testing::ProgramTest;
using testing::ReadFile;
using testing::ScratchDir;
namespace fs = std::filesystem;

std::string Repeat(const std::string& s, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += s;
  return out;
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

class PageIndex : public ProgramTest {
 protected:
  void Index(const std::string& bytes) {
    p.prep.LineFilePath = dir.Write("lines.tmp", bytes);
    IndexPages(p);
  }
  std::vector<Long> Starts(int count) {
    return std::vector<Long>(p.prep.PageStart.begin() + 1, p.prep.PageStart.begin() + 1 + count);
  }
  ScratchDir dir;
};

TEST_F(PageIndex, FullPagesAndTheEndOfText) {
  p.prep.LinesPerPage = 50;
  Index(Repeat("xx\r\n", 120));  // 4 bytes a line
  EXPECT_EQ(p.prep.TotalPages, 3);
  EXPECT_EQ(Starts(4), (std::vector<Long>{1, 201, 401, 481}));
  EXPECT_EQ(p.prep.PageLines, 50);

  Index(Repeat("xx\r\n", 100));
  EXPECT_EQ(p.prep.TotalPages, 2);
  EXPECT_EQ(Starts(3), (std::vector<Long>{1, 201, 401}));  // entry 3: length + 1

  Index(Repeat("xx\n", 100) + "tail");  // LF-only lines count the same
  EXPECT_EQ(p.prep.TotalPages, 3);
  EXPECT_EQ(Starts(4), (std::vector<Long>{1, 151, 301, 305}));
}

TEST_F(PageIndex, FormFeedsEndPages) {
  p.prep.LinesPerPage = 50;
  Index("a\r\n\fb\r\n");
  EXPECT_EQ(p.prep.TotalPages, 2);
  EXPECT_EQ(Starts(3), (std::vector<Long>{1, 5, 8}));
  Index("a\r\n\f\fb\r\n");
  EXPECT_EQ(p.prep.TotalPages, 3);
  EXPECT_EQ(Starts(4), (std::vector<Long>{1, 5, 6, 9}));
  // A form feed right after a full page makes a page of its own.
  Index(Repeat("x\r\n", 50) + "\f" + "y\r\n");
  EXPECT_EQ(p.prep.TotalPages, 3);
  EXPECT_EQ(Starts(4), (std::vector<Long>{1, 151, 152, 155}));
  // A form feed inside a line ends it and the page.
  Index("ab\fcd\r\n");
  EXPECT_EQ(p.prep.TotalPages, 2);
  EXPECT_EQ(Starts(3), (std::vector<Long>{1, 4, 8}));
}

TEST_F(PageIndex, NoLineFeedAndEmptyFile) {
  p.prep.LinesPerPage = 50;
  Index("abc");
  EXPECT_EQ(p.prep.TotalPages, 1);
  EXPECT_EQ(Starts(2), (std::vector<Long>{1, 4}));
  Index("");
  EXPECT_EQ(p.prep.TotalPages, 0);
}

TEST_F(PageIndex, PageLimitStopsTheCountWithAMessage) {
  p.prep.LinesPerPage = 50;
  p.settings().MaxPages = 2;
  t.prompt.Expect("Too many pages - printing only 2");
  Index(Repeat("xx\r\n", 120));
  EXPECT_EQ(p.prep.TotalPages, 2);
  EXPECT_EQ(p.prep.PageStart.size(), 4u);
  EXPECT_EQ(Starts(3), (std::vector<Long>{1, 201, 401}));
}

TEST_F(PageIndex, ChunksOf32766BytesCountEveryLineOnce) {
  p.prep.LinesPerPage = 50;
  Index(Repeat(std::string(98, 'x') + "\r\n", 700));  // 70000 bytes, 14 pages of 5000
  EXPECT_EQ(p.prep.TotalPages, 14);
  for (int page = 1; page <= 14; ++page) {
    EXPECT_EQ(p.prep.PageStart[page], (page - 1) * 5000 + 1) << page;
  }
  ASSERT_EQ(t.status.progress_calls.size(), 3u);
  EXPECT_EQ(t.status.progress_calls[0].current, 32766);
  EXPECT_EQ(t.status.progress_calls[1].current, 65532);
  EXPECT_EQ(t.status.progress_calls[2].current, 70000);
  EXPECT_EQ(t.status.progress_calls[2].total, 70000);
}

TEST_F(PageIndex, PageLinesWithoutAWrappingRun) {
  Index(Repeat("x\r\n", 111));  // no wrap has run: 55 lines a page
  EXPECT_EQ(p.prep.PageLines, 55);
  EXPECT_EQ(p.prep.TotalPages, 3);
  p.prep.PageLines = 40;  // an earlier run's value stays while LinesPerPage is 0
  Index(Repeat("x\r\n", 81));
  EXPECT_EQ(p.prep.TotalPages, 3);
  p.prep.LinesPerPage = -1;  // never reached: only form feeds break pages
  Index(Repeat("x\r\n", 200) + "\f" + "y");
  EXPECT_EQ(p.prep.TotalPages, 2);
}

TEST_F(PageIndex, UnreadableLineFileIsReported) {
  p.prep.LineFilePath = dir.path().string();
  t.prompt.Expect("Can't read the temporary file " + dir.path().string() + ": Is a directory");
  EXPECT_FALSE(IndexLineFile(p));
}

// A run with the temp folder pointed at a scratch folder, so every file it makes is seen.
class PrepRun : public ProgramTest {
 protected:
  void SetUp() override {
    const char* old = std::getenv("TMPDIR");
    had_tmpdir_ = old != nullptr;
    if (had_tmpdir_) old_tmpdir_ = old;
    temp = tempdir_.path().string();
    setenv("TMPDIR", temp.c_str(), 1);
    // Letter, 100 twips a character, 200 a line: the booklet cell is 6480 x 10800, so
    // CharsPerLine = 64 + 10 and LinesPerPage = 10800 \ 250 = 43.
    ComputeLayoutMetrics(p, 0);
  }
  void TearDown() override {
    if (had_tmpdir_) {
      setenv("TMPDIR", old_tmpdir_.c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
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
  bool had_tmpdir_ = false;
  std::string old_tmpdir_;
};

TEST_F(PrepRun, WrapsCountsAndShowsTheTotals) {
  const std::string source = Source(Repeat("xx\r\n", 100));
  t.window.SetText(TextBox::kSigNum, "2.5");  // halves to even: 2 signatures
  ASSERT_TRUE(PrePrint1(p));
  EXPECT_EQ(t.status.messages,
            (std::vector<std::string>{"Creating Temp File", "Indexing File", "Count Done"}));
  EXPECT_EQ(p.prep.LinesPerPage, 43);
  EXPECT_EQ(p.prep.TotalPages, 3);  // 43 + 43 + 14 lines
  EXPECT_EQ(p.prep.SheetCount, 1);
  EXPECT_EQ(p.settings().TextFile, source);
  EXPECT_EQ(t.surface.document_name(), source);
  ASSERT_EQ(t.status.counts.size(), 1u);
  const StatusCounts& c = t.status.counts[0];
  EXPECT_EQ(c.total_pages, 3);
  EXPECT_EQ(c.sheet_count, 1);
  EXPECT_EQ(c.sheets_per_signature, 1);
  EXPECT_EQ(p.print.SigCount, 2);
  EXPECT_EQ(c.printer, "Test Printer");
  EXPECT_EQ(c.font_name, "Times New Roman");
  EXPECT_EQ(c.font_size, 8);
  EXPECT_EQ(t.window.preview_font_name(), "Times New Roman");
  EXPECT_EQ(t.window.preview_size(), 8);

  const std::string line_file = p.prep.LineFilePath;
  EXPECT_EQ(fs::path(line_file).parent_path(), fs::path(temp));
  EXPECT_EQ(fs::path(line_file).filename().string().rfind("QRN", 0), 0u);
  EXPECT_EQ(ReadFile(line_file), Repeat("xx\r\n", 100));
}

TEST_F(PrepRun, LfOnlyAndCrLfSourcesGiveTheSamePages) {
  std::string lf;
  for (int i = 0; i < 400; ++i) lf += Repeat("text ", i % 29) + "\n" + (i % 97 == 0 ? "\f" : "");
  Source(lf);
  ASSERT_TRUE(PrePrint1(p));
  const std::vector<Long> from_lf = p.prep.PageStart;
  const Long pages = p.prep.TotalPages;
  std::string crlf;
  for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  Source(crlf);
  ASSERT_TRUE(PrePrint1(p));
  EXPECT_EQ(p.prep.TotalPages, pages);
  EXPECT_EQ(p.prep.PageStart, from_lf);
  EXPECT_GT(pages, 5);
}

TEST_F(PrepRun, PlainCopyAndCountsWithoutWrap) {
  p.settings().WordWrap = 0;
  t.window.SetCheckValue(CheckBox::kDoTabEx, 0);
  Source(Repeat("x\r\n", 56) + "\tend");
  ASSERT_TRUE(PrePrint1(p));
  EXPECT_EQ(t.status.messages, (std::vector<std::string>{"Creating Temp File", "Making Temp File",
                                                         "Indexing File", "Count Done"}));
  EXPECT_EQ(p.prep.PageLines, 55);
  EXPECT_EQ(p.prep.TotalPages, 2);
  EXPECT_EQ(ReadFile(p.prep.LineFilePath), Repeat("x\r\n", 56) + "\tend");
}

TEST_F(PrepRun, EmptySourceCountsNothing) {
  Source("");
  t.prompt.Expect("Source File has 0 bytes");
  ASSERT_TRUE(PrePrint1(p));
  EXPECT_EQ(p.prep.TotalPages, 0);
  EXPECT_EQ(p.prep.SheetCount, 0);
  EXPECT_EQ(t.status.counts.at(0).sheets_per_signature, 0);
}

TEST_F(PrepRun, NewRunRemovesThePreviousLineFileAndShutdownTheLast) {
  Source("abc\r\n");
  ASSERT_TRUE(PrePrint1(p));
  const std::string first = p.prep.LineFilePath;
  ASSERT_TRUE(PrePrint1(p));
  EXPECT_NE(p.prep.LineFilePath, first);
  EXPECT_EQ(FilesIn(temp), std::vector<std::string>{fs::path(p.prep.LineFilePath).filename()});
  EXPECT_TRUE(DeleteLineFile(p));
  EXPECT_TRUE(p.prep.LineFilePath.empty());
  EXPECT_TRUE(FilesIn(temp).empty());
  EXPECT_TRUE(DeleteLineFile(p));  // nothing left to delete
}

TEST_F(PrepRun, DeleteLineFileNeverDeletesTheSource) {
  const std::string source = Source("abc\r\n");
  p.settings().TextFile = source;
  p.prep.LineFilePath = source;
  EXPECT_TRUE(DeleteLineFile(p));
  EXPECT_TRUE(p.prep.LineFilePath.empty());
  EXPECT_EQ(ReadFile(source), "abc\r\n");
}

TEST_F(PrepRun, LongTempFolderPath) {
  fs::path folder = temp;
  for (int i = 0; i < 4; ++i) folder /= std::string(90, static_cast<char>('a' + i));
  fs::create_directories(folder);
  setenv("TMPDIR", folder.c_str(), 1);
  Source("abc\r\n");
  ASSERT_TRUE(PrePrint1(p));
  EXPECT_GT(p.prep.LineFilePath.size(), 360u);
  EXPECT_EQ(fs::path(p.prep.LineFilePath).parent_path(), folder);
  EXPECT_EQ(ReadFile(p.prep.LineFilePath), "abc\r\n");
}

TEST_F(PrepRun, StopsWithoutTouchingFiles) {
  // Nothing in Text1: no message, no file.
  EXPECT_FALSE(PrePrint1(p));
  EXPECT_TRUE(t.status.messages.empty());

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
  EXPECT_TRUE(FilesIn(temp).empty());
  EXPECT_TRUE(t.status.messages.empty());
}

TEST_F(PrepRun, MissingSourceLeavesNoFileAnywhere) {
  const std::string missing = dir.File("gone.txt");
  t.window.SetText(TextBox::kText1, missing);
  t.prompt.Expect("the file " + missing + " doesn't exist");
  EXPECT_FALSE(PrePrint1(p));
  EXPECT_FALSE(fs::exists(missing));
  EXPECT_TRUE(FilesIn(temp).empty());
  EXPECT_TRUE(p.prep.LineFilePath.empty());

  p.settings().WordWrap = 0;  // the plain copy too
  t.window.SetCheckValue(CheckBox::kDoTabEx, 0);
  t.prompt.Expect("the file " + missing + " doesn't exist");
  EXPECT_FALSE(PrePrint1(p));
  EXPECT_FALSE(fs::exists(missing));
  EXPECT_TRUE(FilesIn(temp).empty());
}

TEST_F(PrepRun, NoTempFolder) {
  setenv("TMPDIR", dir.File("nowhere").c_str(), 1);
  Source("abc\r\n");
  t.prompt.Expect("sorry, you have no temp directory assigned");
  EXPECT_FALSE(PrePrint1(p));
}

TEST_F(PrepRun, NegativeWidthFudgeStillPrintsTheText) {
  p.settings().WidthFudge = -200;  // CharsPerLine = 64 - 200
  Source("hello world\r\n");
  ASSERT_TRUE(PrePrint1(p));
  EXPECT_EQ(ReadFile(p.prep.LineFilePath), "hello world\r\n");
  EXPECT_EQ(p.prep.TotalPages, 1);
}

TEST(UpdateCounts, SignatureCountFromTheBox) {
  testing::TestProgram t;
  Program& p = t.program;
  p.prep.TotalPages = 37;
  p.prep.SheetCount = 10;
  const std::pair<const char*, int> cases[] = {
      {"4", 3}, {"3.5 sigs", 3}, {"x", 0}, {"0", 0}, {"99999", 0}, {" 10", 1}};
  for (const auto& [text, sheets] : cases) {
    t.window.SetText(TextBox::kSigNum, text);
    UpdateCounts(p);
    EXPECT_EQ(t.status.counts.back().sheets_per_signature, sheets) << text;
    EXPECT_EQ(t.status.counts.back().total_pages, 37) << text;
  }
  EXPECT_EQ(p.print.SigCount, 10);
}

}  // namespace
}  // namespace quireon2
