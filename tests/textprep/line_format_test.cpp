// The word wrap of one chunk, tab expansion, FindLast and UTF-8 boundaries, measured by a
// fixed-width rule so every expected line can be counted by hand.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "textprep/line_file.h"
#include "textprep/line_format.h"

namespace quireon2 {
namespace {

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
                 const WidthFunction& width) {
  std::string out;
  WrapChunk(chunk, chars_per_line, cell_width, width, out);
  return out;
}

std::string Repeat(const std::string& s, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += s;
  return out;
}

TEST(FindLast, PositionsFromOneAndNoneAsZero) {
  EXPECT_EQ(FindLast("the quick br", " "), 10);
  EXPECT_EQ(FindLast("a/b/c", "/"), 4);
  EXPECT_EQ(FindLast("abc", "x"), 0);
  EXPECT_EQ(FindLast("ab\r\ncd\r\n", "\r\n"), 7);
  EXPECT_EQ(FindLast("ab\r", "\r\n"), 0);  // too close to the end to hold the pair
  EXPECT_EQ(FindLast("Abc", "a"), 0);      // case-sensitive
  EXPECT_EQ(FindLast("", " "), 0);
}

TEST(WordWrap, WorkedExamples) {
  // 100 twips a character, cell 1000, pieces of 12.
  EXPECT_EQ(Wrap("the quick brown fox\r\n", 12, 1000, FixedWidth(100)),
            "the quick\r\nbrown fox\r\n");
  // 50 twips a character: a full piece fits and the next one fills the rest of the line.
  EXPECT_EQ(Wrap("abcdefghijklmnopqrstuvwxyz\r\n", 12, 1000, FixedWidth(50)),
            "abcdefghijkl" "mnopqrst\r\n" "uvwxyz\r\n");
}

TEST(WordWrap, ShortLinesAndLastLines) {
  const WidthFunction w = FixedWidth(100);
  EXPECT_EQ(Wrap("abc\r\n", 12, 1000, w), "abc\r\n");
  EXPECT_EQ(Wrap("ab   \r\n", 12, 1000, w), "ab   \r\n");  // fits: kept as it is
  EXPECT_EQ(Wrap("abc  ", 12, 1000, w), "abc\r\n");        // no line end: trimmed, ended
  EXPECT_EQ(Wrap("x", 12, 1000, w), "x\r\n");
  EXPECT_EQ(Wrap("\x1a", 12, 1000, w), "\x1a\r\n");
  EXPECT_EQ(Wrap("line\r\n\x1a", 12, 1000, w), "line\r\n\x1a\r\n");
  EXPECT_EQ(Wrap("\r\n\r\n", 12, 1000, w), "\r\n\r\n");
  EXPECT_EQ(Wrap("a\rb\r\n", 12, 1000, w), "a\rb\r\n");  // a lone CR is an ordinary character
}

TEST(WordWrap, LongLineOfWordsBreaksAtBlanks) {
  // 40 words "abcd": 199 characters; 60 characters fit, pieces of 70.
  std::string line = "abcd";
  for (int i = 1; i < 40; ++i) line += " abcd";
  ASSERT_EQ(line.size(), 199u);
  const std::string twelve = "abcd" + Repeat(" abcd", 11);
  EXPECT_EQ(Wrap(line + "\r\n", 70, 6000, FixedWidth(100)),
            twelve + "\r\n" + twelve + "\r\n" + twelve + "\r\n" + "abcd abcd abcd abcd\r\n");
}

TEST(WordWrap, WordsWiderThanTheCell) {
  const WidthFunction w = FixedWidth(100);
  EXPECT_EQ(Wrap("abcdefghijklmnopqrstuvwxy\r\n", 12, 1000, w),
            "abcdefghij\r\nklmnopqrst\r\nuvwxy\r\n");
  // A first character wider than the whole cell still gets a line and the wrap moves on.
  EXPECT_EQ(Wrap("Wab\r\n", 12, 1000, FixedWidth(100, 1500)), "W\r\nab\r\n");
  EXPECT_EQ(Wrap("WWW", 12, 1000, FixedWidth(100, 1500)), "W\r\nW\r\nW\r\n");
  // No room at all: one character a line, nothing lost.
  EXPECT_EQ(Wrap("abc", 12, 0, w), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(Wrap("abc", 12, -500, w), "a\r\nb\r\nc\r\n");
}

TEST(WordWrap, CharsPerLineBelowOneStillWritesTheText) {
  // One character a piece: each full piece fits beside the one before it.
  EXPECT_EQ(Wrap("ab\r\n", 0, 1000, FixedWidth(100)), "ab\r\n");
  EXPECT_EQ(Wrap("ab\r\n", -7, 1000, FixedWidth(100)), "ab\r\n");
}

TEST(WordWrap, NeverCutsInsideAUtf8Character) {
  const std::string e = "\xC3\xA9";  // é, two bytes, one character
  // Pieces of 12 bytes are 6 characters; 10 fit the cell.
  EXPECT_EQ(Wrap(Repeat(e, 15) + "\r\n", 12, 1000, FixedWidth(100)),
            Repeat(e, 10) + "\r\n" + Repeat(e, 5) + "\r\n");
  // Shifted by one byte, the first piece would end inside a character: it takes all of it.
  EXPECT_EQ(Wrap("a" + Repeat(e, 15) + "\r\n", 12, 1000, FixedWidth(100)),
            "a" + Repeat(e, 9) + "\r\n" + Repeat(e, 6) + "\r\n");
  const std::string euro = "\xE2\x82\xAC";  // three bytes
  EXPECT_EQ(Wrap(Repeat(euro, 4), 12, 250, FixedWidth(100)),
            Repeat(euro, 2) + "\r\n" + Repeat(euro, 2) + "\r\n");
  // Invalid bytes stand for one character each.
  EXPECT_EQ(Wrap("\xC3\xC3\xC3", 12, 200, FixedWidth(100)), "\xC3\xC3\r\n\xC3\r\n");
}

TEST(Utf8, Boundaries) {
  const std::string text = "a\xC3\xA9" "b\xE2\x82\xAC\xC3";
  std::vector<bool> expected = {true, true, false, true, true, false, false, true, true};
  ASSERT_EQ(expected.size(), text.size() + 1);
  for (std::size_t i = 0; i <= text.size(); ++i) {
    EXPECT_EQ(IsCharBoundary(text, i), expected[i]) << "position " << i;
  }
}

TEST(TabExpansion, FixedBlanksWhereverTheTabStands) {
  std::string out;
  AppendExpandedTabs("a\tb", 5, out);
  EXPECT_EQ(out, "a     b");
  out.clear();
  AppendExpandedTabs("abcd\te\t", 5, out);
  EXPECT_EQ(out, "abcd     e     ");
  out.clear();
  AppendExpandedTabs("\ta\t\tb", 0, out);
  EXPECT_EQ(out, "ab");
  out.clear();
  AppendExpandedTabs("x\ty", 8, out);
  EXPECT_EQ(out, "x        y");
}

// Keeps the bytes a wrap must never drop or invent: all but blanks and line-end bytes.
std::string Ink(const std::string& text) {
  std::string ink;
  for (char c : text) {
    if (c != ' ' && c != '\r' && c != '\n') ink += c;
  }
  return ink;
}

TEST(WordWrapProperty, NeverLosesOrAddsANonBlankByte) {
  std::uint32_t seed = 12345;
  auto next = [&seed](std::uint32_t range) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % range;
  };
  const char* pieces[] = {"a", "b", "W", " ", " ", "\r\n", "\r", "\xC3\xA9", "\xE2\x82\xAC",
                          "\xC3", "\x1a", "mm"};
  for (int round = 0; round < 400; ++round) {
    std::string text;
    const std::uint32_t length = next(300);
    for (std::uint32_t i = 0; i < length; ++i) text += pieces[next(12)];
    const long long chars_per_line = static_cast<long long>(next(40)) - 5;
    const long long cell = static_cast<long long>(next(3000)) - 200;
    std::string out;
    WrapChunk(text, chars_per_line, cell, FixedWidth(100, 700), out);
    ASSERT_EQ(Ink(out), Ink(text)) << "round " << round << " L " << chars_per_line
                                   << " W " << cell;
  }
}

}  // namespace
}  // namespace quireon2
