// The three line-file writers through their routines, on real files: the word wrap on the
// recording surface, tab expansion, the plain copy, and every way a file can fail.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <random>
#include <string_view>
#include <vector>

#include "support/gtest_support.h"
#include "textprep/line_file.h"
#include "textprep_helpers.h"

namespace quireon2 {
namespace {

using testing::ReadFile;
using testing::Repeat;
namespace fs = std::filesystem;

class LineFileTest : public testing::ProgramTest {
 protected:
  void SetUp() override {
    // Every character measures 100 twips: CharsPerLine = 1000 \ 100 + WidthFudge = 12.
    testing::UseBookletCell(p, 1000, 2000, 10);
    p.settings().WidthFudge = 2;
    line_file = dir.File("QRNline.tmp");
    p.prep.LineFilePath = line_file;
  }
  std::string WrapText(const std::string& source_bytes) {
    EXPECT_TRUE(WrapToLineFile(p, dir.Write("source.txt", source_bytes), line_file));
    return ReadFile(line_file);
  }

  testing::ScratchDir dir;
  std::string line_file;
};

TEST_F(LineFileTest, LfOnlyTextWrapsLikeCrLfALoneCrStaysAndAnEmptySourceIsReported) {
  EXPECT_EQ(WrapText("the quick brown fox\nab\n\nc"), "the quick\r\nbrown fox\r\nab\r\n\r\nc\r\n");
  EXPECT_EQ(WrapText("a\rb\r\r\n"), "a\rb\r\r\n");
  t.prompt.Expect("Source File has 0 bytes");
  EXPECT_EQ(WrapText(""), "");
}

// Random prose through the writer, the source read in chunks of every size: every printed
// line fits the cell; a line end the wrap adds falls at a blank, where the next word would
// not have fitted; and the printed lines, with those blanks, give back the source exactly.
TEST_F(LineFileTest, WrapBreaksOnlyAtBlanksFillsEachLineAndKeepsEveryByte) {
  t.surface.metrics().char_widths = {{"i", 50}, {"W", 170}, {"ü", 110}, {"€", 130}, {"日", 200}};
  auto width = [this](std::string_view text) { return t.surface.TextWidth(text); };
  const char* letters[] = {"a", "e", "n", "s", "t", "o", "i", "i", "W", "ü", "€", "日"};
  t.window.SetText(TextBox::kTCount, "3");
  std::mt19937 random(7);
  auto below = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  for (int round = 0; round < 300; ++round) {
    // Words of up to 12 characters, at most 2400 twips: none is wider than the cell.
    const int cell = 2400 + below(6000);
    testing::UseBookletCell(p, cell, 20000, 10);
    p.settings().WidthFudge = static_cast<Integer>(below(cell / 100 + 12) - cell / 100 + 1);
    const bool long_lines = round % 30 == 0;
    const int line_end_odds = long_lines ? 40000 : 2 + below(30);  // one in so many words
    const std::size_t size = long_lines ? 100000 + below(100000) : 1 + below(3000);
    std::string source;
    std::string text;  // the source as the wrap sees it: tabs expanded, every line end CR LF
    while (source.size() < size) {
      std::string word;
      for (int n = 1 + below(12); n > 0; --n) word += letters[below(12)];
      const int gap = below(line_end_odds);
      const std::string after = gap == 0   ? (below(2) ? "\n" : "\r\n") + std::string(below(3), ' ')
                                : gap == 1 ? std::string(1 + below(4), ' ')
                                : gap == 2 ? "\t"
                                           : " ";
      source += word + after;
      text += word + (after[0] == '\n' ? "\r" + after : after == "\t" ? "   " : after);
    }
    const std::size_t chunk = round % 10 == 5 ? kWrapChunk : 1 + below(40);
    const std::string where = "round " + std::to_string(round) + " chunk " + std::to_string(chunk);
    ASSERT_TRUE(WrapToLineFile(p, dir.Write("source.txt", source), line_file, chunk)) << where;
    const std::string out = ReadFile(line_file);

    std::size_t at = 0;  // where the current printed line starts in `text`
    for (std::size_t start = 0, end; (end = out.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
      const std::string_view line = std::string_view(out).substr(start, end - start);
      ASSERT_LE(width(line), cell) << where << ": " << line;
      ASSERT_EQ(text.compare(at, line.size(), line), 0) << where << ": " << line;
      const std::size_t line_start = at;
      at += line.size();
      if (text.compare(at, 2, "\r\n") == 0) {
        at += 2;
        continue;
      }
      // The wrap's own line end took at least one blank; any others start the next line.
      const std::size_t kept = std::min(out.find_first_not_of(' ', end + 2), out.size()) - end - 2;
      const std::size_t run = std::min(text.find_first_not_of(' ', at), text.size()) - at;
      ASSERT_GT(run, kept) << where << ", ends inside a word: " << line;
      at += run - kept;
      const std::size_t word_end = std::min(text.find_first_of(" \r", at + kept), text.size());
      if (word_end == at + kept) continue;  // only blanks were left
      ASSERT_GT(width(std::string_view(text).substr(line_start, word_end - line_start)), cell)
          << where << ", could have taken the next word: " << line;
    }
    // What follows the last line end is a full piece left as it is, or nothing.
    const std::size_t last_end = out.rfind("\r\n");
    ASSERT_EQ(text.substr(at), out.substr(last_end == std::string::npos ? 0 : last_end + 2)) << where;
  }
}

// Progress between the chunks counts the tabs' growth: 32768 tabs grew by 4 each.
TEST_F(LineFileTest, ProgressCountsTheTabsGrowth) {
  WrapText(Repeat("\t", 40000));
  ASSERT_EQ(t.status.progress_calls.size(), 1u);
  EXPECT_EQ(t.status.progress_calls[0].total, 40000 + 4 * 32768);
  EXPECT_EQ(t.status.progress_calls[0].current, 5 * 32768);
}

TEST_F(LineFileTest, PlainCopyIsByteExact) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  bytes += "\n\r\t\r\n\x1a" + Repeat("x", 70000);
  ASSERT_TRUE(CopyToLineFile(p, dir.Write("binary.bin", bytes), line_file));
  EXPECT_EQ(ReadFile(line_file), bytes);
  EXPECT_EQ(t.status.messages, std::vector<std::string>{"Making Temp File"});
  EXPECT_EQ(t.status.progress_calls.size(), 10u);
}

TEST_F(LineFileTest, FailuresLeaveNoLineFileAndEveryOtherFileAlone) {
  const std::string missing = dir.File("missing.txt");
  const std::string folder = dir.File("folder");
  const std::string source = dir.Write("s.txt", "abc\r\n");
  fs::create_directory(folder);
  const std::string pipe = dir.File("pipe");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);  // nobody writes to it: reading would wait forever
  struct Case { std::string source, line_file, message; };
  for (const Case& c :
       {Case{missing, line_file, "the file " + missing + " doesn't exist"},
        Case{folder, line_file, "Can't read the file " + folder + ": Is a directory"},
        Case{pipe, line_file, "Can't read the file " + pipe + ": it is not a regular file"},
        Case{source, folder, "Can't write the temporary file " + folder + ": Is a directory"},
        Case{source, source,
             "Can't write the temporary file " + source + ": it is the source file"}}) {
    t.prompt.Expect(c.message);
    EXPECT_FALSE(WrapToLineFile(p, c.source, c.line_file)) << c.message;
    t.prompt.Expect(c.message);
    EXPECT_FALSE(CopyToLineFile(p, c.source, c.line_file)) << c.message;
  }
  EXPECT_FALSE(fs::exists(missing));
  EXPECT_FALSE(fs::exists(line_file));
  EXPECT_TRUE(fs::is_empty(folder));
  EXPECT_EQ(ReadFile(source), "abc\r\n");
  // A printer that fails to measure stops the wrap too.
  t.surface.FailOnCall("TextWidth", 2, {482, "Printer error"});
  t.prompt.Expect("Error: Printer error");
  EXPECT_FALSE(WrapToLineFile(p, source, line_file));
  EXPECT_FALSE(fs::exists(line_file));
}

TEST_F(LineFileTest, FullDiskStopsEachWriterAndRemovesThePartialFile) {
  const std::string source = dir.Write("big.txt", Repeat("some words here\r\n", 6000));
  for (int writer = 0; writer < 3; ++writer) {
    // The child's files may not grow beyond 4096 bytes, as on a full disk. It answers 0
    // when the writer failed cleanly: false, the message shown, and no line file left.
    pid_t child = fork();
    if (child == 0) {
      std::signal(SIGXFSZ, SIG_IGN);
      rlimit limit{4096, 4096};
      setrlimit(RLIMIT_FSIZE, &limit);
      t.prompt.ExpectPrefix("Can't write the temporary file " + line_file + ": File too large");
      const bool ok = (writer == 0   ? WrapToLineFile(p, source, line_file)
                       : writer == 1 ? CopyToLineFile(p, source, line_file)
                                     : ExpandTabsToLineFile(p, source)).ok();
      _exit((ok ? 1 : 0) | (t.prompt.Problems().empty() ? 0 : 2) | (fs::exists(line_file) ? 4 : 0));
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status)) << writer;
    EXPECT_EQ(WEXITSTATUS(status), 0) << writer;
  }
  EXPECT_EQ(ReadFile(source).size(), 17u * 6000u);
}

}  // namespace
}  // namespace quireon2
