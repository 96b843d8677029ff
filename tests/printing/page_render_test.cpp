// Drawing one page into its cell: the text lines, header, footer and outline, checked on
// the recording surface (every character 100 twips wide, see print_fixture.h for the cells).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "print_fixture.h"
#include "printing/page_render.h"

namespace quireon2::testing {
namespace {

TEST(FileTitle, TakesThePartAfterTheLastSlash) {
  EXPECT_EQ(FileTitle("/home/ann/notes/book.txt"), "book.txt");
  EXPECT_EQ(FileTitle("book.txt"), "book.txt");
  EXPECT_EQ(FileTitle("/srv/dir/"), "");
  EXPECT_EQ(FileTitle(""), "");
}

TEST(PageLines, SplitAtLineEndsAndCharacter26) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"one\r\ntwo\r\n", {"one", "two"}},
      {"one\r\ntwo", {"one", "two"}},      // the last line needs no break
      {"one\r\n\r\ntwo", {"one", "", "two"}},
      {"one\ntwo\n", {"one", "two"}},      // LF alone ends a line too
      {"a\rb\r\n", {"a\rb"}},              // a lone CR is an ordinary character
      {"a\x1A" "b\r\n", {"a", "b"}},
      {"a\x1A\r\n", {"a", ""}},            // 26 comes first, then the CR LF ends an empty line
      {"", {}},
      {"\r\n", {""}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> got;
    for (auto line : SplitPageLines(c.text)) got.emplace_back(line);
    EXPECT_EQ(got, c.lines) << '"' << c.text << '"';
  }
  EXPECT_EQ(CutAtFormFeed("ab\fcd\fe"), "ab");
  EXPECT_EQ(CutAtFormFeed("abc"), "abc");
}

TEST(Outline, ColourFromThePalette) {
  EXPECT_EQ(OutlineColour(0), (Rgb{0, 0, 0}));
  EXPECT_EQ(OutlineColour(1), (Rgb{0, 0, 128}));
  EXPECT_EQ(OutlineColour(7), (Rgb{192, 192, 192}));
  EXPECT_EQ(OutlineColour(12), (Rgb{255, 0, 0}));
  EXPECT_EQ(OutlineColour(15), (Rgb{255, 255, 255}));
  EXPECT_EQ(OutlineColour(16), (Rgb{0, 0, 0}));
  EXPECT_EQ(OutlineColour(-1), (Rgb{0, 0, 0}));
  EXPECT_EQ(OutlineColour(0x00FF00L), (Rgb{0, 0, 0}));
}

class RenderTest : public ProgramTest {
 protected:
  void SetUp() override { SetTestGeometry(p); }

  // Renders `page` of `pages` into `cell` of `layout` and returns the surface's calls.
  std::vector<SurfaceCall> Render(const std::vector<std::string>& pages, int layout, int cell,
                                  long page) {
    WritePages(p, dir, pages, layout);
    LineFileReader file(p.prep.LineFilePath);
    t.surface.ClearLog();
    p.print.CellIndex = static_cast<Integer>(cell);
    RenderPage(p, file, page);
    std::vector<SurfaceCall> drawn;
    for (const auto& c : t.surface.calls()) {
      if (c.op == "Print" || c.op == "Line" || c.op == "Box") drawn.push_back(c);
    }
    return drawn;
  }

  static std::string Describe(const std::vector<SurfaceCall>& calls) {
    std::string out;
    for (const auto& c : calls) {
      out += c.op + " ";
      if (c.op == "Print") {
        out += "\"" + c.text + "\" at " + std::to_string(static_cast<long>(c.x)) + "," +
               std::to_string(static_cast<long>(c.y));
      } else {
        out += std::to_string(static_cast<long>(c.x)) + "," +
               std::to_string(static_cast<long>(c.y)) + " to " +
               std::to_string(static_cast<long>(c.x2)) + "," +
               std::to_string(static_cast<long>(c.y2));
      }
      out += "\n";
    }
    return out;
  }

  ScratchDir dir;
};

TEST_F(RenderTest, TextLinesStartAtTheCellOriginOneLineApart) {
  auto calls = Render({"first\r\n\r\nthird\r\n"}, kLayout1Up, 1, 1);
  EXPECT_EQ(Describe(calls),
            "Print \"first\" at 720,720\n"
            "Print \"third\" at 720,1120\n");
  // One round of window events per line, the empty one included.
  EXPECT_EQ(t.status.events, 3);
}

TEST_F(RenderTest, PageStopsAtItsFirstFormFeed) {
  auto calls = Render({"one\r\ntwo\fthree\r\nfour\r\n", "next\r\n"}, kLayout2Up, 2, 1);
  EXPECT_EQ(Describe(calls),
            "Print \"one\" at 8640,720\n"
            "Print \"two\" at 8640,920\n");
}

TEST_F(RenderTest, LfOnlyTextPrintsLikeCrLfText) {
  auto lf = Describe(Render({"alpha\nbeta\n"}, kLayout1Up, 1, 1));
  auto crlf = Describe(Render({"alpha\r\nbeta\r\n"}, kLayout1Up, 1, 1));
  EXPECT_EQ(lf, crlf);
  EXPECT_EQ(lf, "Print \"alpha\" at 720,720\nPrint \"beta\" at 720,920\n");
}

TEST_F(RenderTest, PageBeyondTheTextLeavesTheCellBlank) {
  p.settings().DoBox = 1;
  p.settings().HPgNumber = 1;
  p.settings().DoHeader = 1;
  p.settings().FPgNumber = 1;
  p.settings().DoFooter = 1;
  EXPECT_TRUE(Render(NumberedPages(10), kLayoutBooklet, 1, 11).empty());
  EXPECT_TRUE(Render(NumberedPages(10), kLayoutBooklet, 1, 12).empty());
  EXPECT_TRUE(Render(NumberedPages(10), kLayoutBooklet, 1, 40000).empty());
  // A page of a form feed alone has no text but still gets its outline and header.
  auto calls = Render({"page 1\r\n\f", "\f", "page 3\r\n"}, kLayoutBooklet, 1, 2);
  EXPECT_EQ(Describe(calls),
            "Box 450,450 to 7470,11790\n"
            "Print \"Page 2\" at 720,720\n"
            "Line 720,920 to 7200,920\n"
            "Print \"Page 2\" at 720,11320\n");
}

TEST_F(RenderTest, BookletHeaderMirrorsAcrossTheFold) {
  p.settings().HPgNumber = 1;
  p.settings().HCurDate = 1;
  p.settings().DoHeader = 1;
  // Page 2 (left cell): label on the outer (left) edge, date on the inner (right) edge;
  // "Page 2" is 600 twips wide and the date 1000.
  auto calls = Render(NumberedPages(4), kLayoutBooklet, 1, 2);
  EXPECT_EQ(Describe(calls),
            "Print \"Page 2\" at 720,720\n"
            "Print \"03-14-2024\" at 6200,720\n"
            "Line 720,920 to 7200,920\n"
            "Print \"page 2\" at 720,1120\n");
  // Page 3 (right cell): date at the left, label right-aligned.
  calls = Render(NumberedPages(4), kLayoutBooklet, 2, 3);
  EXPECT_EQ(Describe(calls),
            "Print \"Page 3\" at 14520,720\n"
            "Print \"03-14-2024\" at 8640,720\n"
            "Line 8640,920 to 15120,920\n"
            "Print \"page 3\" at 8640,1120\n");
}

TEST_F(RenderTest, TwoUpHeaderKeepsLabelRightAndDateLeft) {
  p.settings().HPgNumber = 1;
  p.settings().HCurDate = 1;
  p.settings().DoHeader = 1;
  auto even = Describe(Render(NumberedPages(3), kLayout2Up, 2, 2));
  EXPECT_EQ(even,
            "Print \"Page 2\" at 14520,720\n"
            "Print \"03-14-2024\" at 8640,720\n"
            "Line 8640,920 to 15120,920\n"
            "Print \"page 2\" at 8640,1120\n");
  auto odd = Describe(Render(NumberedPages(3), kLayout2Up, 1, 3));
  EXPECT_EQ(odd,
            "Print \"Page 3\" at 6600,720\n"
            "Print \"03-14-2024\" at 720,720\n"
            "Line 720,920 to 7200,920\n"
            "Print \"page 3\" at 720,1120\n");
}

TEST_F(RenderTest, PageLabelOfTwoDigitsAndCentredFileName) {
  p.settings().FPgNumber = 1;
  p.settings().FFileTitle = 1;
  p.settings().DoFooter = 1;
  p.settings().TextFile = "/home/ann/notes/book.txt";
  // Footer of page 12 in a 1-up cell: the rule at 720 + 14400 - 200 = 14920, the texts
  // half a line lower; "book.txt" (800) centred: (10800 - 800) \ 2 + 720 = 5720;
  // "Page 12" (700) right-aligned: 10800 - 700 + 720 = 10820.
  auto calls = Render(NumberedPages(12), kLayout1Up, 1, 12);
  EXPECT_EQ(Describe(calls),
            "Print \"page 12\" at 720,720\n"
            "Line 720,14920 to 11520,14920\n"
            "Print \"book.txt\" at 5720,15020\n"
            "Print \"Page 12\" at 10820,15020\n");
  // DoPath 0: the whole path (24 characters, 2400 twips): (10800 - 2400) \ 2 + 720 = 4920.
  p.settings().DoPath = 0;
  p.settings().FPgNumber = 0;
  calls = Render(NumberedPages(12), kLayout1Up, 1, 1);
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[2].text, "/home/ann/notes/book.txt");
  EXPECT_EQ(calls[2].x, 4920);
}

TEST_F(RenderTest, FileNameWiderThanTheCellIsCentredTowardZero) {
  p.settings().HFileTitle = 1;
  p.settings().DoHeader = 1;
  p.settings().TextFile = std::string(66, 'n');  // 6600 twips in a 4680-twip cell
  auto calls = Render(NumberedPages(1), kLayout4Up, 1, 1);
  ASSERT_FALSE(calls.empty());
  // (4680 - 6600) \ 2 = -1920 \ 2 = -960; + 720.
  EXPECT_EQ(calls[0].x, -240);
}

TEST_F(RenderTest, FooterRuleOnlyWithoutOutlines) {
  p.settings().FCurDate = 1;
  p.settings().DoFooter = 1;
  p.settings().DoBox = 1;
  p.settings().Lineweight = 3;
  p.settings().Linecolor = 4;
  auto boxed = Render(NumberedPages(2), kLayout2Up, 1, 1);
  EXPECT_EQ(Describe(boxed),
            "Box 450,450 to 7470,11790\n"
            "Print \"page 1\" at 720,720\n"
            "Print \"03-14-2024\" at 720,11320\n");
  EXPECT_EQ(boxed[0].colour, (Rgb{128, 0, 0}));
  EXPECT_EQ(boxed[0].value, 3);

  p.settings().DoBox = 0;
  auto plain = Render(NumberedPages(2), kLayout2Up, 1, 1);
  EXPECT_EQ(Describe(plain),
            "Print \"page 1\" at 720,720\n"
            "Line 720,11320 to 7200,11320\n"
            "Print \"03-14-2024\" at 720,11420\n");
  EXPECT_EQ(plain[1].colour, (Rgb{0, 0, 0}));
}

TEST_F(RenderTest, HeaderRuleStaysWithOutlines) {
  p.settings().HCurDate = 1;
  p.settings().DoHeader = 1;
  p.settings().DoBox = 1;
  auto calls = Render(NumberedPages(1), kLayout4Up, 4, 1);
  EXPECT_EQ(Describe(calls),
            "Box 6570,8370 to 11790,15390\n"
            "Print \"03-14-2024\" at 6840,8640\n"
            "Line 6840,8840 to 11520,8840\n"
            "Print \"page 1\" at 6840,9040\n");
}

TEST_F(RenderTest, OutlineWeightBelowOneDrawsOneAndStrangeColourDrawsBlack) {
  p.settings().DoBox = 1;
  p.settings().Lineweight = 0;
  p.settings().Linecolor = 99;
  auto calls = Render(NumberedPages(1), kLayout1Up, 1, 1);
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls[0].op, "Box");
  EXPECT_EQ(calls[0].value, 1);
  EXPECT_EQ(calls[0].colour, (Rgb{0, 0, 0}));
}

TEST(LineFileReader, MissingFileIsFileNotFound) {
  try {
    LineFileReader file("/nonexistent/folder/QRNnone.tmp");
    FAIL() << "opened a missing file";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), kFileNotFound);
  }
}

}  // namespace
}  // namespace quireon2::testing
