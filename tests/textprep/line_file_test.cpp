// The three line-file writers through their routines, on real files: the word wrap on the
// recording surface, tab expansion, the plain copy, and every way a file can fail.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

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
  EXPECT_EQ(p.prep.CharsPerLine, 12);
  EXPECT_EQ(WrapText("a\rb\r\r\n"), "a\rb\r\r\n");
  t.prompt.Expect("Source File has 0 bytes");
  EXPECT_EQ(WrapText(""), "");
}

TEST_F(LineFileTest, TabWidthsFromTheTabBox) {
  p.settings_state.layouts[kLayoutBooklet].cell_width = 10000;
  t.window.SetText(TextBox::kTCount, "0");
  EXPECT_EQ(WrapText("a\tb\r\n"), "ab\r\n");
  t.window.SetText(TextBox::kTCount, " 8 ");
  EXPECT_EQ(WrapText("a\tb\r\n\tc\r\n"), "a        b\r\n        c\r\n");
  EXPECT_EQ(p.settings().TCount, 8);
  t.window.SetCheckValue(CheckBox::kDoTabEx, 0);
  EXPECT_EQ(WrapText("a\tb\r\n"), "a\tb\r\n");
  EXPECT_EQ(p.settings().ExpandTab, 0);
  // Expanding without the wrap keeps every other byte.
  t.window.SetText(TextBox::kTCount, "5");
  ASSERT_TRUE(ExpandTabsToLineFile(p, dir.Write("s.txt", "a\tb\nabcd\te\r\n\t")));
  EXPECT_EQ(ReadFile(line_file), "a     b\nabcd     e\r\n     ");
}

TEST_F(LineFileTest, ChunkBoundaries) {
  // 4000 units "abcdefghi ": each fits one printed line; the first chunk of 32768 bytes
  // ends 8 bytes into unit 3277.
  EXPECT_EQ(WrapText(Repeat("abcdefghi ", 4000)),
            Repeat("abcdefghi\r\n", 3276) + "abcdefgh\r\ni\r\n" + Repeat("abcdefghi\r\n", 723));
  // 2978 lines of 11 bytes fill 32758 bytes; the next line's CR is byte 32768, its LF the
  // first of the next chunk: still one line end, with CR LF or LF-only text.
  const std::string source = Repeat("abcdefghi\r\n", 2979) + "end\r\n";
  EXPECT_EQ(WrapText(source), source);
  EXPECT_EQ(WrapText(Repeat("abcdefghi\n", 2979) + "end\n"), source);
  // Byte 32768 is the first byte of an é: it stays whole.
  p.settings_state.layouts[kLayoutBooklet].cell_width = 100000;
  p.settings().WidthFudge = 0;  // 1000 bytes a piece
  const std::string out = WrapText(Repeat("a", 32767) + "\xC3\xA9" + "b\r\n");
  EXPECT_NE(out.find("\xC3\xA9"), std::string::npos);
  EXPECT_EQ(out.find("\xC3\r\n"), std::string::npos);
  // Progress between the chunks counts the tabs' growth: 32768 tabs grew by 4 each.
  t.status.progress_calls.clear();
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

TEST_F(LineFileTest, BadTabBoxStopsBeforeAnyFile) {
  const std::string source = dir.Write("s.txt", "a\tb\r\n");
  for (const char* text : {"abc", "-1", "100", "", "5x"}) {
    t.window.SetText(TextBox::kTCount, text);
    t.prompt.Expect(std::string("The tab width must be a whole number from 0 to 99, not \"") +
                    text + "\"");
    EXPECT_FALSE(WrapToLineFile(p, source, line_file)) << text;
    EXPECT_FALSE(fs::exists(line_file)) << text;
  }
  t.window.SetText(TextBox::kTCount, "99");
  EXPECT_TRUE(ReadTabWidth(p));
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
      bool ok = writer == 0   ? WrapToLineFile(p, source, line_file)
                : writer == 1 ? CopyToLineFile(p, source, line_file)
                              : ExpandTabsToLineFile(p, source);
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
