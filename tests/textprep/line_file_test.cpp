// The line-file writers through their routines, on real files: the word wrap on the
// recording surface, the plain copy, and every way a file can fail; the word wrap's rarer
// cases by hand, and tab stops.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string_view>

#include "support/gtest_support.h"
#include "textprep/line_file.h"
#include "textprep/line_format.h"
#include "textprep_helpers.h"

namespace quireon2 {
namespace {

using testing::ReadFile;
using testing::Repeat;
namespace fs = std::filesystem;

class LineFileTest : public testing::ProgramTest {
 protected:
  void SetUp() override {
    // Every character measures 100 twips: 10 characters a line.
    testing::UseBookletCell(p, 1000, 2000, 10);
    line_file = dir.File("QRNline.tmp");
    p.prep.LineFilePath = line_file;
  }

  testing::ScratchDir dir;
  std::string line_file;
};

// A lone CR ends no line (LF alone does, as the random prose below shows); an empty
// source is reported.
TEST_F(LineFileTest, ALoneCrStaysAndAnEmptySourceIsReported) {
  ASSERT_TRUE(WrapToLineFile(p, dir.Write("cr.txt", "a\rb\r\r\n"), line_file));
  EXPECT_EQ(ReadFile(line_file), "a\rb\r\r\n");
  t.prompt.Expect("Source File has 0 bytes");
  ASSERT_TRUE(WrapToLineFile(p, dir.Write("empty.txt", ""), line_file));
  EXPECT_EQ(ReadFile(line_file), "");
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
    // Every other round tabs go to stops every 3 columns, counted in characters from the
    // start of the source line; otherwise each is 3 blanks.
    const bool stops = round % 2 == 1;
    t.window.SetCheckValue(CheckBox::kTabStops, stops);
    std::string source;
    std::string text;  // the source as the wrap sees it: tabs expanded, every line end CR LF
    for (std::size_t column = 0; source.size() < size;) {
      std::string word;
      const int n = 1 + below(12);
      for (int k = 0; k < n; ++k) word += letters[below(12)];
      const int gap = below(line_end_odds);
      const std::string after = gap == 0   ? (below(2) ? "\n" : "\r\n") + std::string(below(3), ' ')
                                : gap == 1 ? std::string(1 + below(4), ' ')
                                : gap == 2 ? "\t"
                                           : " ";
      const std::string tab(stops ? 3 - (column + n) % 3 : 3, ' ');
      source += word + after;
      text += word + (after[0] == '\n' ? "\r" + after : after == "\t" ? tab : after);
      const std::size_t line_end = after.find('\n');
      column = line_end != std::string::npos ? after.size() - line_end - 1
                                             : column + n + (after == "\t" ? tab : after).size();
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
    ASSERT_EQ(text.substr(at), out.substr(last_end == std::string::npos ? 0 : last_end + 2))
        << where;
  }
}

// The plain copy is byte exact and shows progress at each tenth; the wrap's progress between
// its chunks counts the tabs' growth: 32768 tabs grew by 4 each.
TEST_F(LineFileTest, PlainCopyIsByteExactAndProgressCountsWhatIsWritten) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  bytes += "\n\r\t\r\n\x1a" + Repeat("x", 70000);
  ASSERT_TRUE(CopyToLineFile(p, dir.Write("binary.bin", bytes), line_file));
  EXPECT_EQ(ReadFile(line_file), bytes);
  EXPECT_EQ(t.status.progress_calls.size(), 10u);
  t.status.progress_calls.clear();
  ASSERT_TRUE(WrapToLineFile(p, dir.Write("tabs.txt", Repeat("\t", 40000)), line_file));
  ASSERT_EQ(t.status.progress_calls.size(), 1u);
  EXPECT_EQ(t.status.progress_calls[0].total, 40000 + 4 * 32768);
  EXPECT_EQ(t.status.progress_calls[0].current, 5 * 32768);
}

TEST_F(LineFileTest, FailuresLeaveNoLineFileAndEveryOtherFileAlone) {
  const std::string missing = dir.File("missing.txt");
  const std::string folder = dir.File("folder");
  const std::string source = dir.Write("s.txt", "abc\r\n");
  fs::create_directory(folder);
  struct Case { std::string source, line_file, message; };
  for (const Case& c :
       {Case{missing, line_file, "the file " + missing + " doesn't exist"},
        Case{folder, line_file, "Can't read the file " + folder + ": Is a directory"},
        Case{source, folder, "Can't write the temporary file " + folder + ": Is a directory"},
        Case{source, source,
             "Can't write the temporary file " + source + ": it is the source file"}}) {
    t.prompt.Expect(c.message);
    EXPECT_FALSE(WrapToLineFile(p, c.source, c.line_file)) << c.message;
  }
  EXPECT_FALSE(fs::exists(missing));
  EXPECT_FALSE(fs::exists(line_file));
  EXPECT_EQ(ReadFile(source), "abc\r\n");
  // A printer that fails to measure stops the wrap too.
  t.surface.FailOnCall("TextWidth", 2, {482, "Printer error"});
  t.prompt.Expect("Error: Printer error");
  EXPECT_FALSE(WrapToLineFile(p, source, line_file));
  EXPECT_FALSE(fs::exists(line_file));
}

// The text wrapped, fed in pieces of `piece` bytes, and measured on the recording surface:
// 100 twips a character (a valid UTF-8 sequence counts as one), 'W' `wide` twips if given.
std::string Wrap(std::string_view text, long long chars_per_line, long long cell, double wide = 0,
                 std::size_t piece = std::string::npos) {
  testing::RecordingSurface surface;
  if (wide != 0) surface.metrics().char_widths = {{"W", wide}};
  LineWrap wrap(chars_per_line, cell,
                [&surface](std::string_view t) { return RoundHalfEven(surface.TextWidth(t)); });
  std::string out;
  for (std::size_t at = 0; at < text.size(); at += piece) wrap.Add(text.substr(at, piece), out);
  wrap.Finish(out);
  return out;
}

// The cases the random prose of the line-file test does not reach: words and characters
// wider than the cell, no room at all, pieces of less than a character, bytes that are no
// character, and blanks at the cell's edge.
TEST(WordWrap, ExamplesCountedByHand) {
  struct Case { std::string in; long long chars_per_line, cell; std::string want; };
  const std::string e = "\xC3\xA9";  // é, two bytes, one character
  const std::string top = "\xF4\x8F\xBF\xBF";  // the last character there is
  for (const Case& c : {
           // 100 twips a character and a cell of 1000: 10 characters a line. Fits: kept as
           // it is; no line end: trimmed and ended.
           Case{"ab   \r\n", 12, 1000, "ab   \r\n"}, Case{"abc  ", 12, 1000, "abc\r\n"},
           // Words wider than the cell are cut where the cell ends.
           Case{"abcdefghijklmnopqrstuvwxy\r\n", 12, 1000, "abcdefghij\r\nklmnopqrst\r\nuvwxy\r\n"},
           // No room at all: one character a line, nothing lost.
           Case{"abc", 12, 0, "a\r\nb\r\nc\r\n"},
           // Fewer than one character a piece counts as one: the text is still written.
           Case{"abc\r\n", -7, 200, "ab\r\nc\r\n"},
           // Pieces of 12 bytes, shifted by one byte, would end inside a character: the
           // piece takes all of it.
           Case{"a" + Repeat(e, 15) + "\r\n", 12, 1000,
                "a" + Repeat(e, 9) + "\r\n" + Repeat(e, 6) + "\r\n"},
           Case{"\xC3\xC3\xC3", 12, 200, "\xC3\xC3\r\n\xC3\r\n"},  // invalid bytes: one each
           Case{Repeat(top, 3), 12, 250, Repeat(top, 2) + "\r\n" + top + "\r\n"},
       }) {
    EXPECT_EQ(Wrap(c.in, c.chars_per_line, c.cell), c.want) << c.in << " L " << c.chars_per_line;
    // Fed a byte at a time, cut inside characters and line ends, it wraps the same.
    EXPECT_EQ(Wrap(c.in, c.chars_per_line, c.cell, 0, 1), c.want) << "byte by byte: " << c.in;
  }
  // A first character wider than the whole cell still gets a line and the wrap moves on.
  EXPECT_EQ(Wrap("Wab\r\nWW", 12, 1000, 1500), "W\r\nab\r\nW\r\nW\r\n");
  // Blanks may run past the cell's edge, but no character that shows, however narrow.
  EXPECT_EQ(Wrap("aa  W", 1, 250, 1), "aa\r\nW");
}

TEST(TabStops, ReachTheNextMultipleOfTheWidthWhereverTheChunksEnd) {
  struct Case { const char* text; int width; const char* expanded; };
  const Case cases[] = {
      {"a\tb", 4, "a   b"}, {"abcd\te", 4, "abcd    e"}, {"abcdefgh\ti", 4, "abcdefgh    i"},
      {"a\tb", 8, "a       b"}, {"abcd\te", 8, "abcd    e"}, {"a\tb", 0, "ab"},
      {"abcdefgh\ti", 8, "abcdefgh        i"},
      // One column a character, whatever its bytes; a combining mark takes none.
      {"\xC3\xA9t\xC3\xA9\tx", 4, "\xC3\xA9t\xC3\xA9 x"}, {"\xDF\x80\tx", 4, "\xDF\x80   x"},
      {"e\xCC\x81" "e\xCC\x81\tx", 4, "e\xCC\x81" "e\xCC\x81  x"},
      {"ax\xE2\x83\x97\ty", 4, "ax\xE2\x83\x97  y"},  // a mark of three bytes (U+20D7)
      {"\xE4\xB8\xAD\xF0\x9F\x98\x80\tx", 4, "\xE4\xB8\xAD\xF0\x9F\x98\x80  x"},
      // A byte that starts no whole character is one column of its own.
      {"\xE9\xE4\tx\xE4", 4, "\xE9\xE4  x\xE4"},
  };
  for (const Case& c : cases) {
    const std::string text = c.text;
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
      TabStops stops(c.width);
      std::string out;
      stops.Append(text.substr(0, cut), out);
      stops.Append(text.substr(cut), out);
      stops.Finish(out);
      EXPECT_EQ(out, c.expanded) << ::testing::PrintToString(text) << " cut at " << cut;
    }
  }
}

}  // namespace
}  // namespace quireon2
