// Tab stops: a tab goes to the next multiple of the tab width, counted from the start of its
// source line, however the text is cut into chunks; and the two writers that expand tabs
// use them when the window's box asks for them.
#include <gtest/gtest.h>

#include <string>

#include "support/gtest_support.h"
#include "textprep/line_file.h"
#include "textprep/line_format.h"
#include "textprep/prep_run.h"
#include "textprep_helpers.h"

namespace quireon2 {
namespace {

TEST(TabStops, ReachTheNextMultipleOfTheWidthWhereverTheChunksEnd) {
  struct Case {
    const char* text;
    int width;
    const char* expanded;
  };
  const Case cases[] = {
      {"a\tb", 4, "a   b"},
      {"abcd\te", 4, "abcd    e"},
      {"abcdefgh\ti", 4, "abcdefgh    i"},
      {"a\tb", 8, "a       b"},
      {"abcd\te", 8, "abcd    e"},
      {"abcdefgh\ti", 8, "abcdefgh        i"},
      {"\t\tx\ty", 4, "        x   y"},
      {"ab\tc\nd\te\r\nf\tg", 4, "ab  c\nd   e\r\nf   g"},  // columns start again after LF
      {"a\tb", 0, "ab"},
      // One column a character, whatever its bytes; a combining mark takes none.
      {"\xC3\xA9t\xC3\xA9\tx", 4, "\xC3\xA9t\xC3\xA9 x"},
      {"e\xCC\x81" "e\xCC\x81\tx", 4, "e\xCC\x81" "e\xCC\x81  x"},
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

class TabStopWriters : public testing::ProgramTest {
 protected:
  void SetUp() override {
    testing::UseBookletCell(p, 100000, 2000, 10);
    p.prep.LineFilePath = dir.File("QRNline.tmp");
    t.window.SetText(TextBox::kTCount, "4");
  }
  testing::ScratchDir dir;
};

// The box decides; the wrap reads the source three bytes at a time, so the columns must
// carry over from one chunk to the next.
TEST_F(TabStopWriters, BothWritersFollowTheBox) {
  const std::string source = dir.Write("s.txt", "ab\tc\nabcde\tf\n");
  for (int stops : {0, 1}) {
    t.window.SetCheckValue(CheckBox::kTabStops, stops);
    const std::string expected = stops ? "ab  c\r\nabcde   f\r\n" : "ab    c\r\nabcde    f\r\n";
    ASSERT_TRUE(WrapToLineFile(p, source, p.prep.LineFilePath, 3));
    EXPECT_EQ(testing::ReadFile(p.prep.LineFilePath), expected) << stops;
    EXPECT_EQ(TabRule(p.settings()), stops ? "stops every 4 columns" : "4 blanks each");
    ASSERT_TRUE(ExpandTabsToLineFile(p, source));
    EXPECT_EQ(testing::ReadFile(p.prep.LineFilePath),
              stops ? "ab  c\nabcde   f\n" : "ab    c\nabcde    f\n");
  }
}

}  // namespace
}  // namespace quireon2
