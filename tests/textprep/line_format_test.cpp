// The word wrap, measured by a fixed-width rule so every expected line can be counted by
// hand; tab stops, and the window's tab boxes as the writers that expand tabs read them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/gtest_support.h"
#include "textprep/line_file.h"
#include "textprep/line_format.h"
#include "textprep/prep_run.h"
#include "textprep_helpers.h"

namespace quireon2 {
namespace {

using testing::Repeat;

// Every character (a valid UTF-8 sequence counts as one) is `twips` wide, except 'W'
// which is `wide`; a text with CR LF measures as its widest line.
WidthFunction FixedWidth(long long twips, long long wide = 0) {
  return [twips, wide](std::string_view text) {
    long long widest = 0;
    long long line = 0;
    for (std::size_t i = 0; i < text.size();) {
      if (text.compare(i, 2, "\r\n") == 0) {
        widest = std::max(widest, line);
        line = 0;
        i += 2;
        continue;
      }
      line += text[i] == 'W' && wide != 0 ? wide : twips;
      i += Utf8SequenceLength(text, i);
    }
    return std::max(widest, line);
  };
}

std::string Wrap(std::string_view chunk, long long chars_per_line, long long cell_width,
                 const WidthFunction& width = FixedWidth(100)) {
  std::string out;
  LineWrap wrap(chars_per_line, cell_width, width);
  wrap.Add(chunk, out);
  wrap.Finish(out);
  return out;
}

TEST(WordWrap, ExamplesCountedByHand) {
  struct Case { std::string in; long long chars_per_line, cell; std::string want; };
  const std::string e = "\xC3\xA9";  // é, two bytes, one character
  const std::string euro = "\xE2\x82\xAC";
  const std::string top = "\xF4\x8F\xBF\xBF";  // the last character there is
  for (const Case& c : {
           // 100 twips a character and a cell of 1000: 10 characters a line. Fits: kept as
           // it is; no line end: trimmed and ended; an end-of-file character ends a line.
           Case{"ab   \r\n", 12, 1000, "ab   \r\n"}, Case{"abc  ", 12, 1000, "abc\r\n"},
           Case{"line\r\n\x1a", 12, 1000, "line\r\n\x1a\r\n"}, Case{"\r\n\r\n", 12, 1000, "\r\n\r\n"},
           // Words wider than the cell are cut where the cell ends.
           Case{"abcdefghijklmnopqrstuvwxy\r\n", 12, 1000, "abcdefghij\r\nklmnopqrst\r\nuvwxy\r\n"},
           // No room at all: one character a line, nothing lost.
           Case{"abc", 12, 0, "a\r\nb\r\nc\r\n"},
           // Fewer than one character a piece counts as one: the text is still written.
           Case{"ab\r\n", 0, 1000, "ab\r\n"}, Case{"abc\r\n", -7, 200, "ab\r\nc\r\n"},
           Case{"abc\r\ndef\r\n", 2, 300, "abc\r\ndef\r\n"},  // no piece splits a line end
           // Pieces of 12 bytes are 6 é; 10 fit the cell. Shifted by one byte, the first
           // piece would end inside a character: it takes all of it.
           Case{Repeat(e, 15) + "\r\n", 12, 1000, Repeat(e, 10) + "\r\n" + Repeat(e, 5) + "\r\n"},
           Case{"a" + Repeat(e, 15) + "\r\n", 12, 1000,
                "a" + Repeat(e, 9) + "\r\n" + Repeat(e, 6) + "\r\n"},
           Case{Repeat(euro, 4), 12, 250, Repeat(euro, 2) + "\r\n" + Repeat(euro, 2) + "\r\n"},
           Case{"\xC3\xC3\xC3", 12, 200, "\xC3\xC3\r\n\xC3\r\n"},  // invalid bytes: one each
           Case{Repeat(top, 3), 12, 250, Repeat(top, 2) + "\r\n" + top + "\r\n"},
       }) {
    EXPECT_EQ(Wrap(c.in, c.chars_per_line, c.cell), c.want) << c.in << " L " << c.chars_per_line;
    // Fed a byte at a time, cut inside characters and line ends, it wraps the same.
    LineWrap bytewise(c.chars_per_line, c.cell, FixedWidth(100));
    std::string out;
    for (char byte : c.in) bytewise.Add(std::string_view(&byte, 1), out);
    bytewise.Finish(out);
    EXPECT_EQ(out, c.want) << "byte by byte: " << c.in;
  }
  // 50 twips a character: a full piece fits and the next one fills the rest of the line.
  EXPECT_EQ(Wrap("abcdefghijklmnopqrstuvwxyz\r\n", 12, 1000, FixedWidth(50)),
            "abcdefghijklmnopqrst\r\nuvwxyz\r\n");
  // Full pieces that fit one after another share the line's width: 10 characters a line.
  EXPECT_EQ(Wrap("abcdefghijklmnop\r\n", 3, 1000), "abcdefghij\r\nklmnop\r\n");
  // A word the line's full pieces began moves whole to the next line, to the line's last
  // blank even where that leaves the line empty.
  EXPECT_EQ(Wrap("ab cdefgh ij\r\n", 3, 700), "ab\r\ncdefgh\r\nij\r\n");
  EXPECT_EQ(Wrap(" abcdefghij", 3, 1000), "\r\nabcdefghij\r\n");
  // A first character wider than the whole cell still gets a line and the wrap moves on.
  EXPECT_EQ(Wrap("Wab\r\nWW", 12, 1000, FixedWidth(100, 1500)), "W\r\nab\r\nW\r\nW\r\n");
  // Blanks may run past the cell's edge, but no character that shows, however narrow.
  EXPECT_EQ(Wrap("aa  W", 1, 250, FixedWidth(100, 1)), "aa\r\nW");
}

TEST(TabStops, ReachTheNextMultipleOfTheWidthWhereverTheChunksEnd) {
  struct Case { const char* text; int width; const char* expanded; };
  const Case cases[] = {
      {"a\tb", 4, "a   b"},     {"abcd\te", 4, "abcd    e"}, {"abcdefgh\ti", 4, "abcdefgh    i"},
      {"a\tb", 8, "a       b"}, {"abcd\te", 8, "abcd    e"}, {"abcdefgh\ti", 8, "abcdefgh        i"},
      {"\t\tx\ty", 4, "        x   y"}, {"a\tb", 0, "ab"},
      {"ab\tc\nd\te\r\nf\tg", 4, "ab  c\nd   e\r\nf   g"},  // columns start again after LF
      // One column a character, whatever its bytes; a combining mark takes none.
      {"\xC3\xA9t\xC3\xA9\tx", 4, "\xC3\xA9t\xC3\xA9 x"},
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

// A program whose wrap never breaks a line, with a source of two lines holding tabs.
struct TabRun : testing::TestProgram {
  TabRun(const char* width_box, int expand, int stops) {
    testing::UseBookletCell(program, 100000, 2000, 10);
    program.prep.LineFilePath = dir.File("QRNline.tmp");
    window.SetText(TextBox::kTCount, width_box);
    window.SetCheckValue(CheckBox::kDoTabEx, expand);
    window.SetCheckValue(CheckBox::kTabStops, stops);
  }
  ~TabRun() { EXPECT_EQ(prompt.Problems(), ""); }
  testing::ScratchDir dir;
  const std::string source = dir.Write("s.txt", "ab\tc\nabcde\tf\n");
};

// The tab width box, the expand box and the tab-stops box as the wrap (reading the source
// three bytes at a time, so columns carry over between chunks) and the tab expansion read
// them.
TEST(TabStopBoxes, DecideTheWidthTheRuleAndWhetherTabsExpand) {
  // No expanded text: the expansion is not used.
  struct Case { const char* width_box; int expand, stops; const char* wrapped, *expanded, *rule; };
  const Case cases[] = {
      {"4", 1, 0, "ab    c\r\nabcde    f\r\n", "ab    c\nabcde    f\n", "4 blanks each"},
      {"4", 1, 1, "ab  c\r\nabcde   f\r\n", "ab  c\nabcde   f\n", "stops every 4 columns"},
      {" 8 ", 1, 1, "ab      c\r\nabcde   f\r\n", "ab      c\nabcde   f\n", "stops every 8 columns"},
      {"0", 1, 0, "abc\r\nabcdef\r\n", "abc\nabcdef\n", "0 blanks each"},
      {"99", 0, 0, "ab\tc\r\nabcde\tf\r\n", nullptr, "printed as they are"},
  };
  for (const Case& c : cases) {
    TabRun run(c.width_box, c.expand, c.stops);
    ASSERT_TRUE(WrapToLineFile(*run, run.source, run->prep.LineFilePath, 3)) << c.width_box;
    EXPECT_EQ(testing::ReadFile(run->prep.LineFilePath), c.wrapped) << c.width_box;
    EXPECT_EQ(TabRule(run->settings()), c.rule) << c.width_box;
    if (c.expanded == nullptr) continue;
    ASSERT_TRUE(ExpandTabsToLineFile(*run, run.source)) << c.width_box;
    EXPECT_EQ(testing::ReadFile(run->prep.LineFilePath), c.expanded) << c.width_box;
  }
}

// A width that is no whole number from 0 to 99 stops both writers before any file is made.
TEST(TabStopBoxes, AWidthOutsideZeroToNinetyNineStopsBeforeAnyFile) {
  for (const char* width_box : {"-1", "100", "", "5x"}) {
    TabRun run(width_box, 1, 0);
    const std::string message =
        std::string("The tab width must be a whole number from 0 to 99, not \"") + width_box + "\"";
    run.prompt.Expect(message);
    EXPECT_FALSE(WrapToLineFile(*run, run.source, run->prep.LineFilePath)) << width_box;
    run.prompt.Expect(message);
    EXPECT_FALSE(ExpandTabsToLineFile(*run, run.source)) << width_box;
    EXPECT_FALSE(std::filesystem::exists(run->prep.LineFilePath)) << width_box;
  }
}

}  // namespace
}  // namespace quireon2
