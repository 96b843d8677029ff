// The three line-file writers through their routines, on real files: the word wrap on the
// recording surface, tab expansion, the plain copy, and every way a file can fail.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "support/gtest_support.h"
#include "textprep/line_file.h"

namespace quireon2 {
namespace {

using testing::ProgramTest;
using testing::ReadFile;
using testing::ScratchDir;

std::string Repeat(const std::string& s, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += s;
  return out;
}

class LineFileTest : public ProgramTest {
 protected:
  void SetUp() override {
    // The booklet cell is 1000 twips wide; every character measures 100 twips, so
    // CharsPerLine = 1000 \ 100 + WidthFudge = 12.
    LayoutRecord& r = p.settings_state.layouts[kLayoutBooklet];
    r.cell_width = 1000;
    r.cell_height = 2000;
    r.orientation = 2;
    r.font_size = 10;
    p.settings().Layout = kLayoutBooklet;
    p.settings().WidthFudge = 2;
    line_file = dir.File("QRNline.tmp");
  }
  std::string WrapText(const std::string& source_bytes) {
    const std::string source = dir.Write("source.txt", source_bytes);
    EXPECT_TRUE(WrapToLineFile(p, source, line_file));
    return ReadFile(line_file);
  }

  ScratchDir dir;
  std::string line_file;
};

TEST_F(LineFileTest, WrapWorkedExamplesOnTheSurface) {
  EXPECT_EQ(WrapText("the quick brown fox\r\n"), "the quick\r\nbrown fox\r\n");
  EXPECT_EQ(p.prep.CharsPerLine, 12);
  t.surface.metrics().char_width_twips = 50;
  p.settings().WidthFudge = -8;  // 1000 \ 50 - 8 = 12
  EXPECT_EQ(WrapText("abcdefghijklmnopqrstuvwxyz\r\n"), "abcdefghijklmnopqrst\r\nuvwxyz\r\n");
}

TEST_F(LineFileTest, LfOnlyTextWrapsLikeCrLfAndLoneCrStays) {
  EXPECT_EQ(WrapText("the quick brown fox\nab\n\nc"), "the quick\r\nbrown fox\r\nab\r\n\r\nc\r\n");
  EXPECT_EQ(WrapText("a\rb\r\r\n"), "a\rb\r\r\n");
  // Long, irregular text over several chunks gives the same line file either way.
  std::string lf;
  for (int i = 0; i < 3000; ++i) lf += Repeat("word ", i % 37) + std::to_string(i) + "\n";
  std::string crlf;
  for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  ASSERT_GT(lf.size(), 70000u);
  const std::string from_lf = WrapText(lf);
  EXPECT_EQ(from_lf, WrapText(crlf));
}

TEST_F(LineFileTest, TabWidthsAndTheTabBox) {
  p.settings_state.layouts[kLayoutBooklet].cell_width = 10000;
  t.window.SetText(TextBox::kTCount, "0");
  EXPECT_EQ(WrapText("a\tb\r\n"), "ab\r\n");
  EXPECT_EQ(p.settings().TCount, 0);
  t.window.SetText(TextBox::kTCount, " 8 ");
  EXPECT_EQ(WrapText("a\tb\r\n\tc\r\n"), "a        b\r\n        c\r\n");
  EXPECT_EQ(p.settings().TCount, 8);
  t.window.SetCheckValue(CheckBox::kDoTabEx, 0);
  EXPECT_EQ(WrapText("a\tb\r\n"), "a\tb\r\n");
  EXPECT_EQ(p.settings().ExpandTab, 0);
}

TEST_F(LineFileTest, LastLinesAndEndOfFileCharacter) {
  EXPECT_EQ(WrapText("x"), "x\r\n");
  EXPECT_EQ(WrapText("\x1a"), "\x1a\r\n");
  EXPECT_EQ(WrapText("abc\r\nde  "), "abc\r\nde\r\n");
}

TEST_F(LineFileTest, FortyThousandByteLineIsEndedAtTheChunkEnd) {
  // 4000 units "abcdefghi ": each fits one printed line; the first chunk of 32768 bytes
  // ends 8 bytes into unit 3277.
  const std::string out = WrapText(Repeat("abcdefghi ", 4000));
  EXPECT_EQ(out, Repeat("abcdefghi\r\n", 3276) + "abcdefgh\r\n" + "i\r\n" +
                     Repeat("abcdefghi\r\n", 723));
}

TEST_F(LineFileTest, ChunkBoundaryBetweenCrAndLfEndsOneLine) {
  // 2978 lines of 11 bytes fill 32758 bytes; the next line's CR is byte 32768.
  const std::string source = Repeat("abcdefghi\r\n", 2979) + "end\r\n";
  EXPECT_EQ(WrapText(source), source);
  // The same with LF-only text, where the CR before the LF is the wrap's own.
  EXPECT_EQ(WrapText(Repeat("abcdefghi\n", 2979) + "end\n"), source);
}

TEST_F(LineFileTest, Utf8CharacterAcrossTheChunkBoundaryStaysWhole) {
  p.settings_state.layouts[kLayoutBooklet].cell_width = 100000;
  p.settings().WidthFudge = 0;  // 1000 bytes a piece
  const std::string e = "\xC3\xA9";
  // Byte 32768 is the first byte of an é.
  const std::string source = Repeat("a", 32767) + e + "b\r\n";
  const std::string out = WrapText(source);
  EXPECT_NE(out.find(e), std::string::npos);
  EXPECT_EQ(out.find("\xC3\r\n"), std::string::npos);
}

TEST_F(LineFileTest, ProgressBetweenChunksCountsTabGrowth) {
  p.settings_state.layouts[kLayoutBooklet].cell_width = 100000;
  WrapText(Repeat("\t", 40000));  // 40000 tabs of 5 blanks
  ASSERT_EQ(t.status.progress_calls.size(), 1u);  // between the two chunks only
  // After the first chunk: 32768 tabs grew by 4 each.
  EXPECT_EQ(t.status.progress_calls[0].total, 40000 + 4 * 32768);
  EXPECT_EQ(t.status.progress_calls[0].current, 5 * 32768);
}

TEST_F(LineFileTest, EmptySourceIsReportedAndGivesAnEmptyLineFile) {
  t.prompt.Expect("Source File has 0 bytes");
  EXPECT_EQ(WrapText(""), "");
}

TEST_F(LineFileTest, PlainCopyIsByteExact) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  bytes += "\n\r\t\r\n\x1a" + Repeat("x", 70000);
  const std::string source = dir.Write("binary.bin", bytes);
  ASSERT_TRUE(CopyToLineFile(p, source, line_file));
  EXPECT_EQ(ReadFile(line_file), bytes);
  EXPECT_EQ(t.status.messages, std::vector<std::string>{"Making Temp File"});
  EXPECT_EQ(t.status.progress_calls.size(), 10u);
}

TEST_F(LineFileTest, CopyProgressAtEveryTenth) {
  const std::string source = dir.Write("s.txt", Repeat("x", 25));
  ASSERT_TRUE(CopyToLineFile(p, source, line_file));
  std::vector<long> at;
  for (const auto& call : t.status.progress_calls) {
    EXPECT_EQ(call.total, 25);
    at.push_back(call.current);
  }
  EXPECT_EQ(at, (std::vector<long>{2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24}));
  t.status.progress_calls.clear();
  const std::string small = dir.Write("small.txt", "123456789");
  ASSERT_TRUE(CopyToLineFile(p, small, line_file));
  EXPECT_TRUE(t.status.progress_calls.empty());
}

TEST_F(LineFileTest, ExpandTabsKeepsEverythingElse) {
  p.prep.LineFilePath = line_file;
  const std::string source = dir.Write("s.txt", "a\tb\nabcd\te\r\n\t");
  ASSERT_TRUE(ExpandTabsToLineFile(p, source));
  EXPECT_EQ(ReadFile(line_file), "a     b\nabcd     e\r\n     ");
  EXPECT_TRUE(t.status.messages.empty());
}

TEST_F(LineFileTest, BadTabBoxStopsBeforeAnyFile) {
  const std::string source = dir.Write("s.txt", "a\tb\r\n");
  p.prep.LineFilePath = line_file;
  for (const char* text : {"abc", "-1", "100", "", "5x"}) {
    t.window.SetText(TextBox::kTCount, text);
    t.prompt.Expect(std::string("The tab width must be a whole number from 0 to 99, not \"") +
                    text + "\"");
    EXPECT_FALSE(WrapToLineFile(p, source, line_file)) << text;
    t.prompt.Expect(std::string("The tab width must be a whole number from 0 to 99, not \"") +
                    text + "\"");
    EXPECT_FALSE(ExpandTabsToLineFile(p, source)) << text;
    EXPECT_FALSE(std::filesystem::exists(line_file)) << text;
  }
  t.window.SetText(TextBox::kTCount, "99");
  EXPECT_TRUE(ReadTabWidth(p));
}

TEST_F(LineFileTest, MissingOrUnreadableSourceLeavesNoFile) {
  const std::string missing = dir.File("missing.txt");
  dir.Write("QRNline.tmp", "old");
  t.prompt.Expect("the file " + missing + " doesn't exist");
  EXPECT_FALSE(WrapToLineFile(p, missing, line_file));
  t.prompt.Expect("the file " + missing + " doesn't exist");
  EXPECT_FALSE(CopyToLineFile(p, missing, line_file));
  EXPECT_FALSE(std::filesystem::exists(missing));

  const std::string folder = dir.File("folder");
  std::filesystem::create_directory(folder);
  t.prompt.Expect("Can't read the file " + folder + ": Is a directory");
  EXPECT_FALSE(WrapToLineFile(p, folder, line_file));
  p.prep.LineFilePath = line_file;
  t.prompt.Expect("Can't read the file " + folder + ": Is a directory");
  EXPECT_FALSE(ExpandTabsToLineFile(p, folder));
  EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST_F(LineFileTest, LineFileThatIsAFolderIsReportedAndLeftAlone) {
  const std::string source = dir.Write("s.txt", "abc\r\n");
  const std::string folder = dir.File("folder");
  std::filesystem::create_directory(folder);
  t.prompt.Expect("Can't write the temporary file " + folder + ": Is a directory");
  EXPECT_FALSE(WrapToLineFile(p, source, folder));
  t.prompt.Expect("Can't write the temporary file " + folder + ": Is a directory");
  EXPECT_FALSE(CopyToLineFile(p, source, folder));
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  EXPECT_EQ(ReadFile(source), "abc\r\n");
}

TEST_F(LineFileTest, SourceIsNeverItsOwnLineFile) {
  const std::string source = dir.Write("s.txt", "abc\r\n");
  t.prompt.Expect("Can't write the temporary file " + source + ": it is the source file");
  EXPECT_FALSE(WrapToLineFile(p, source, source));
  t.prompt.Expect("Can't write the temporary file " + source + ": it is the source file");
  EXPECT_FALSE(CopyToLineFile(p, source, source));
  EXPECT_EQ(ReadFile(source), "abc\r\n");
}

// Runs `write` in a child whose files may not grow beyond 4096 bytes, as on a full disk.
// The child answers 0 when the writer failed cleanly: false, the message shown, and no
// line file left.
int RunWithFileSizeLimit(const std::function<bool(testing::TestProgram&)>& write,
                         const std::string& line_file) {
  pid_t child = fork();
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    testing::TestProgram t;
    t.program.settings_state.layouts[kLayoutBooklet].cell_width = 1000;
    t.program.settings().Layout = kLayoutBooklet;
    t.program.prep.LineFilePath = line_file;
    t.prompt.ExpectPrefix("Can't write the temporary file " + line_file + ": File too large");
    bool ok = write(t);
    int code = (ok ? 1 : 0) | (t.prompt.Problems().empty() ? 0 : 2) |
               (std::filesystem::exists(line_file) ? 4 : 0);
    _exit(code);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

TEST_F(LineFileTest, FullDiskStopsEachWriterAndRemovesThePartialFile) {
  const std::string source = dir.Write("big.txt", Repeat("some words here\r\n", 6000));
  EXPECT_EQ(RunWithFileSizeLimit(
                [&](testing::TestProgram& t) {
                  return WrapToLineFile(t.program, source, line_file);
                },
                line_file),
            0);
  EXPECT_EQ(RunWithFileSizeLimit(
                [&](testing::TestProgram& t) {
                  return CopyToLineFile(t.program, source, line_file);
                },
                line_file),
            0);
  EXPECT_EQ(RunWithFileSizeLimit(
                [&](testing::TestProgram& t) {
                  return ExpandTabsToLineFile(t.program, source);
                },
                line_file),
            0);
  EXPECT_EQ(ReadFile(source).size(), 17u * 6000u);
}

TEST_F(LineFileTest, MeasuringFailureStopsTheWrap) {
  const std::string source = dir.Write("s.txt", "abc\r\n");
  t.surface.FailOnCall("TextWidth", 2, {482, "Printer error"});
  t.prompt.Expect("Error: Printer error");
  EXPECT_FALSE(WrapToLineFile(p, source, line_file));
  EXPECT_FALSE(std::filesystem::exists(line_file));
}

}  // namespace
}  // namespace quireon2
