// Drawing one page into its cell: the text lines, header, footer and outline, checked on
// the recording surface (every character 100 twips wide, see print_fixture.h for the cells).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "print_fixture.h"
#include "printing/page_render.h"

namespace quireon2::testing {
namespace {

TEST(PageText, FileTitleAndLineBreaks) {
  EXPECT_EQ(FileTitle("/home/ann/notes/book.txt"), "book.txt");
  EXPECT_EQ(FileTitle("book.txt"), "book.txt");
  EXPECT_EQ(FileTitle("/srv/dir/"), "");
  // The last line needs no break; LF alone ends a line too; a lone CR is an ordinary
  // character; character 26 ends a line, and a CR LF after it an empty one.
  struct Case { std::string text; std::vector<std::string> lines; };
  for (const Case& c : {Case{"one\r\ntwo\r\n", {"one", "two"}}, Case{"one\r\ntwo", {"one", "two"}},
                        Case{"one\r\n\r\ntwo", {"one", "", "two"}}, Case{"one\ntwo\n", {"one", "two"}},
                        Case{"a\rb\r\n", {"a\rb"}}, Case{"a\032b\r\n", {"a", "b"}},
                        Case{"a\032\r\n", {"a", ""}}, Case{"", {}}, Case{"\r\n", {""}}}) {
    std::vector<std::string> got;
    for (auto line : SplitPageLines(c.text)) got.emplace_back(line);
    EXPECT_EQ(got, c.lines) << '"' << c.text << '"';
  }
}

class RenderTest : public ::testing::Test, public PrintJob {
 protected:
  // Renders `page` of `pages` into `cell` of `layout`: one line per drawing call.
  std::string Render(const std::vector<std::string>& pages, int layout, int cell, long page) {
    WritePages(pages, layout);
    LineFileReader file(p.prep.LineFilePath);
    t.surface.ClearLog();
    p.print.CellIndex = static_cast<Integer>(cell);
    RenderPage(p, file, page);
    std::string drawn;
    for (const auto& c : t.surface.calls()) drawn += Drawing(c);
    return drawn;
  }
};

TEST_F(RenderTest, TextLinesStartAtTheCellOriginAndStopAtAFormFeed) {
  EXPECT_EQ(Render({"first\r\n\r\nthird\r\n"}, kLayout1Up, 1, 1),
            "Print \"first\" at 720,720\n"
            "Print \"third\" at 720,1120\n");
  // One round of window events per line, the empty one included.
  EXPECT_EQ(t.status.events, 3);
  EXPECT_EQ(Render({"one\r\ntwo\fthree\r\nfour\r\n", "next\r\n"}, kLayout2Up, 2, 1),
            "Print \"one\" at 8640,720\n"
            "Print \"two\" at 8640,920\n");
  // A cell no layout has is "Subscript out of range".
  for (int cell : {0, 5}) {
    EXPECT_THROW(Render(NumberedPages(1), kLayout4Up, cell, 1), RuntimeError) << cell;
  }
}

// Header, footer and outline of one page. "Page 2" is 600 twips wide and the date 1000.
TEST_F(RenderTest, HeaderFooterAndOutline) {
  using F = Integer Settings::*;
  struct Case { std::vector<F> flags; std::vector<std::string> pages; int layout, cell; long page;
                const char* drawn; };
  const std::vector<F> all = {&Settings::DoBox,     &Settings::HPgNumber, &Settings::DoHeader,
                              &Settings::FPgNumber, &Settings::DoFooter};
  const std::vector<F> head = {&Settings::HPgNumber, &Settings::HCurDate, &Settings::DoHeader};
  const std::vector<F> foot = {&Settings::FPgNumber, &Settings::FFileTitle, &Settings::DoFooter};
  const Case cases[] = {
      // A page beyond the text leaves the cell blank.
      {all, NumberedPages(10), kLayoutBooklet, 1, 11, ""},
      {all, NumberedPages(10), kLayoutBooklet, 1, 40000, ""},
      // A page of a form feed alone has no text but still gets its outline, header and
      // footer; with the outline the footer has no rule and stays on the cell's last line.
      {all, {"1\r\n\f", "\f", "3\r\n"}, kLayoutBooklet, 1, 2,
       "Box 450,450 to 7470,11790 weight 1\nPrint \"Page 2\" at 720,720\n"
       "Line 720,920 to 7200,920\nPrint \"Page 2\" at 720,11320\n"},
      // Booklet page 2 (left cell): label on the outer (left) edge, date on the inner edge.
      {head, NumberedPages(4), kLayoutBooklet, 1, 2,
       "Print \"Page 2\" at 720,720\nPrint \"03-14-2024\" at 6200,720\n"
       "Line 720,920 to 7200,920\nPrint \"2\" at 720,1120\n"},
      // Booklet page 3 (right cell): date at the left, label right-aligned.
      {head, NumberedPages(4), kLayoutBooklet, 2, 3,
       "Print \"Page 3\" at 14520,720\nPrint \"03-14-2024\" at 8640,720\n"
       "Line 8640,920 to 15120,920\nPrint \"3\" at 8640,1120\n"},
      // In 2 up the label is always right and the date always left.
      {head, NumberedPages(4), kLayout2Up, 2, 2,
       "Print \"Page 2\" at 14520,720\nPrint \"03-14-2024\" at 8640,720\n"
       "Line 8640,920 to 15120,920\nPrint \"2\" at 8640,1120\n"},
      {head, NumberedPages(4), kLayout2Up, 1, 3,
       "Print \"Page 3\" at 6600,720\nPrint \"03-14-2024\" at 720,720\n"
       "Line 720,920 to 7200,920\nPrint \"3\" at 720,1120\n"},
      // A 1-up footer without outline: the rule at 720 + 14400 - 200, the texts half a line
      // lower; "book.txt" (800) centred, "Page 12" (700) right-aligned.
      {foot, NumberedPages(12), kLayout1Up, 1, 12,
       "Print \"12\" at 720,720\nLine 720,14920 to 11520,14920\n"
       "Print \"book.txt\" at 5720,15020\nPrint \"Page 12\" at 10820,15020\n"},
  };
  for (const Case& c : cases) {
    p.settings() = Settings();
    p.settings().TextFile = "/home/ann/notes/book.txt";
    for (F flag : c.flags) p.settings().*flag = 1;
    EXPECT_EQ(Render(c.pages, c.layout, c.cell, c.page), c.drawn)
        << "layout " << c.layout << " cell " << c.cell << " page " << c.page;
  }
  // Without DoPath the whole path (2400 twips) is centred.
  p.settings().DoPath = 0;
  p.settings().FPgNumber = 0;
  EXPECT_EQ(Render(NumberedPages(1), kLayout1Up, 1, 1),
            "Print \"1\" at 720,720\n"
            "Line 720,14920 to 11520,14920\n"
            "Print \"/home/ann/notes/book.txt\" at 4920,15020\n");
}

// A weight below 1 draws 1; a colour outside the palette draws black.
TEST_F(RenderTest, OutlineWeightAndColour) {
  p.settings().DoBox = 1;
  struct Case { int weight; long colour; const char* drawn; };
  for (const Case& c : {Case{3, 4, " weight 3 colour 128,0,0"}, Case{0, 16, " weight 1"},
                        Case{1, 15, " weight 1 colour 255,255,255"}, Case{-2, -1, " weight 1"},
                        Case{1, 0x00FF00, " weight 1"}}) {
    p.settings().Lineweight = static_cast<Integer>(c.weight);
    p.settings().Linecolor = c.colour;
    EXPECT_EQ(Render({"\f"}, kLayout2Up, 1, 1), "Box 450,450 to 7470,11790" + std::string(c.drawn) + "\n")
        << c.weight << " " << c.colour;
  }
}

}  // namespace
}  // namespace quireon2::testing
