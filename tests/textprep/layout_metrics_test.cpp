// Layout metrics on the recording surface: cell geometry of every layout, the line height,
// the text metrics of the current layout and their failure paths.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "support/gtest_support.h"
#include "textprep/cell_geometry.h"
#include "textprep/layout_metrics.h"
#include "textprep_helpers.h"

namespace quireon2 {
namespace {

using testing::TestProgram;
using LayoutMetrics = testing::ProgramTest;

// A record as "cells orientation width x height: x,y of each cell".
std::string Describe(const LayoutRecord& r) {
  std::string text = std::to_string(r.cell_count) + " " + std::to_string(r.orientation) + " " +
                     std::to_string(r.cell_width) + "x" + std::to_string(r.cell_height) + ":";
  for (int i = 1; i <= r.cell_count; ++i) {
    text += " " + std::to_string(r.x[i]) + "," + std::to_string(r.y[i]);
  }
  return text;
}

TEST_F(LayoutMetrics, CellsOfEveryLayoutOnLetterWithBordersGuttersAndOffsets) {
  Settings& s = p.settings();
  s.OffsetTop = 10, s.OffsetLeft = 20, s.OffsetRight = 30, s.OffsetBottom = 40;
  s.BookletGutter = 2000;
  ComputeLayoutMetrics(p, 0);
  // Letter's printable area is 12240 x 15840 twips; landscape swaps them. Borders are 720,
  // the other gutters 1440. The offsets were measured on the portrait sheet, so in
  // landscape top and bottom move the cells along x, left and right along y.
  const char* want[4] = {"1 1 10800x14400: 740,730", "2 2 6430x10750: 730,750 8650,750",
                         "4 1 4630x6430: 740,730 6860,730 740,8650 6860,8650",
                         "2 2 6150x10750: 730,750 8930,750"};
  for (int layout = 0; layout < 4; ++layout) {
    EXPECT_EQ(Describe(p.settings_state.layouts[layout]), want[layout]) << layout;
  }
  EXPECT_EQ(p.settings_state.layouts[3].font_size, 8);  // no size handed in: fonts untouched
}

TEST(CellGeometry, HalvesRoundTheAreaFirstAndCutTheRemainder) {
  Settings s;
  LayoutRecord r;
  // 12241.5 rounds to 12242 (half to even), halved 6121; 15841 halved 7920.
  ComputeCellGeometry(kLayout4Up, 12241.5, 15841, s, r);
  EXPECT_EQ(r.cell_width, 6121 - 1440);
  EXPECT_EQ(r.cell_height, 7920 - 1440);
  EXPECT_EQ(r.x[2], 6121 + 720);
  // A full-width cell rounds the difference: 12240.5 - 1440 = 10800.5 -> 10800.
  ComputeCellGeometry(kLayout1Up, 12240.5, 15840, s, r);
  EXPECT_EQ(r.cell_width, 10800);
  s.FourUpGutter = -1441;  // cut toward zero: -720
  ComputeCellGeometry(kLayout4Up, 12240, 15840, s, r);
  EXPECT_EQ(r.x[2], 6120 - 720);
  s.XEdgeBorder1 = -16384;  // twice is -32768, the last sum that fits the settings' range
  ComputeCellGeometry(kLayout1Up, 12240, 15840, s, r);
  EXPECT_EQ(r.cell_width, 12240 + 32768);
}

TEST(LayoutMetricsFailure, RecordsBeforeTheFailureAreFilledAndLaterOnesKept) {
  struct Case { const char* what; Integer y_edge2, four_up_gutter, x_edge4; int landscape;
                const char* message; Long want_width[4]; };
  const char* refused =
      "Your Printer - Test Printer does not support features needed for Quireon2. Please "
      "select another printer";
  for (const Case& c : {
           // 2 x 20000 leaves the 16-bit range in the 2-up record.
           Case{"border", 20000, 1440, 720, 90,
                "Error: Overflow (2 x YEdgeBorder2 = 40000 in the settings is out of range)",
                {10800, 111, 4680, 333}},
           // 16000 + 20000 in the 4-up record.
           Case{"gutter", 720, 32000, 20000, 90,
                "Error: Overflow (FourUpGutter / 2 + XEdgeBorder4 = 36000 in the settings is out of range)",
                {10800, 111, 222, 333}},
           Case{"no landscape", 720, 1440, 720, 0, refused, {10800, 111, 4680, 333}},
       }) {
    TestProgram t;
    t.surface.printer().landscape = c.landscape;
    Settings& s = t->settings();
    s.YEdgeBorder2 = c.y_edge2, s.FourUpGutter = c.four_up_gutter, s.XEdgeBorder4 = c.x_edge4;
    for (int i = 1; i < 4; ++i) t->settings_state.layouts[i].cell_width = 111 * i;
    t.prompt.Expect(c.message);
    ComputeLayoutMetrics(*t, 12);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(t->settings_state.layouts[i].cell_width, c.want_width[i]) << c.what << " " << i;
    }
    EXPECT_EQ(t->settings_state.layouts[3].font_size, 8) << c.what;  // ended before the size
    EXPECT_EQ(t.prompt.Problems(), "") << c.what;
  }
}

// Settings that leave the booklet's cell no width, or whose sums leave the 16-bit range
// (those of the width and of the height), are named before anything prints.
TEST_F(LayoutMetrics, SettingsThatLeaveNoRoomAreNamed) {
  ComputeLayoutMetrics(p, 0);
  struct Case { Integer x_edge2, y_edge2; std::string why; };
  for (const Case& c : {Case{7200, 720, "XEdgeBorder2= 7200, BookletGutter= 1440 leave a cell 0 twips wide"},
                        Case{720, 20000, "XEdgeBorder2= 720, BookletGutter= 1440, YEdgeBorder2= 20000 "
                                         "overflow the cell's sums"}}) {
    p.settings().XEdgeBorder2 = c.x_edge2, p.settings().YEdgeBorder2 = c.y_edge2;
    t.prompt.Expect("The settings leave no room for a line: " + c.why);
    EXPECT_EQ(CheckRoomForLines(p).kind, OutcomeKind::kSourceFailed) << c.why;
  }
}

// A cell pushed up off the page keeps room while one whole line of it is on the page: the
// 1-up cell is 15840 - 2 x 720 twips high and starts at 720 + OffsetTop; a line is 200.
TEST_F(LayoutMetrics, ACellWithOneLineLeftOnThePageStillPrints) {
  Settings& s = p.settings();
  s.Layout = kLayout1Up, s.YEdgeBorder1 = 720, s.LineMultiple = 1;
  ComputeLayoutMetrics(p, 0);
  for (const Integer offset : {-14920, -14921}) {
    s.OffsetTop = offset;
    const bool room = offset == -14920;
    if (!room) {
      t.prompt.Expect("The settings leave no room for a line: YEdgeBorder1= 720, OffsetTop=" +
                      std::to_string(offset) + " put a cell off the page");
    }
    EXPECT_EQ(CheckRoomForLines(p).kind,
              room ? OutcomeKind::kSucceeded : OutcomeKind::kSourceFailed) << offset;
  }
}

TEST_F(LayoutMetrics, FontSizeSetsTheCurrentLayoutsLineHeight) {
  p.settings().Layout = kLayout2Up;
  t.surface.metrics().text_height_twips = 187;
  ComputeLayoutMetrics(p, 12);
  EXPECT_EQ(p.settings_state.layouts[1].font_size, 12);
  EXPECT_EQ(p.settings_state.layouts[1].line_height, 234);  // 187 x 1.25 = 233.75
  EXPECT_EQ(p.settings_state.layouts[3].font_size, 8);
  p.settings().LineMultiple = 1;
  t.surface.metrics().text_height_twips = 182.5;  // half to even: 182
  SetLayoutFontSize(p, 9);
  EXPECT_EQ(p.settings_state.layouts[1].line_height, 182);
  SetLayoutFontSize(p, 0);  // no size: nothing changes, the printer is not asked
  EXPECT_EQ(p.settings_state.layouts[1].font_size, 9);
}

class TextMetrics : public testing::ProgramTest {
 protected:
  void SetUp() override {
    testing::UseBookletCell(p, 5760, 10800, 9).font_name = "Courier New";
    p.settings().WidthFudge = 10;
    t.surface.metrics().text_height_twips = 184;
    t.surface.metrics().char_width_twips = 6820.0 / 62;
  }
};

// Each row starts from CharsPerLine 7 and LinesPerPage 9; a zero measure ends the
// computation and keeps what is not yet computed.
TEST_F(TextMetrics, LineHeightCharactersAndLinesOfTheCell) {
  struct Case { double char_twips; float multiple; Integer header, footer;
                Long line, width, chars, lines; };
  for (const Case& c : {
           // 184 x 1.25 = 230 a line; 6820 \ 62 = 110 a character; 5760 \ 110 + 10 = 62
           // characters; 10800 \ 230 - 3 - 2 = 41 lines.
           Case{6820.0 / 62, 1.25f, 1, 1, 230, 110, 62, 41},
           Case{6881.0 / 62, 1.25f, 0, 1, 230, 110, 62, 43},  // 110.98 a character: 110 on average
           Case{110, 1.25f, 0, 0, 230, 110, 62, 46},
           Case{0.5, 1.25f, 1, 1, 230, 0, 7, 9},  // 31 twips for 62 characters
           Case{110, 0, 1, 1, 0, 110, 62, 9},
       }) {
    p.prep.CharsPerLine = 7, p.prep.LinesPerPage = 9;
    t.surface.metrics().char_width_twips = c.char_twips;
    p.settings().LineMultiple = c.multiple;
    p.settings().DoHeader = c.header, p.settings().DoFooter = c.footer;
    SetTextMetrics(p);
    EXPECT_EQ((std::vector<Long>{p.settings_state.layouts[3].line_height, p.prep.CharWidth,
                                 p.prep.CharsPerLine, p.prep.LinesPerPage}),
              (std::vector<Long>{c.line, c.width, c.chars, c.lines}))
        << c.char_twips << " " << c.multiple << " " << c.header << c.footer;
  }
  EXPECT_EQ(std::make_tuple(p.prep.PrintOrientation, t.surface.Orientation(), t.surface.FontName(),
                            t.surface.FontSize()),
            std::make_tuple(2, kLandscape, "Courier New", 9.0));
  // A record without orientation takes the surface's.
  p.settings_state.layouts[3].orientation = 0;
  t.surface.SetOrientation(kPortrait);
  SetTextMetrics(p);
  EXPECT_EQ(p.prep.PrintOrientation, 1);
}

TEST_F(TextMetrics, ARefusedSettingIsShownAndAnyOtherFailureIsSilent) {
  p.prep.CharsPerLine = 7;
  t.surface.FailOnCall("TextWidth", 0, {kDeviceIoError, "Device I/O error"});
  SetTextMetrics(p);
  EXPECT_EQ(p.prep.CharsPerLine, 7);
  EXPECT_EQ(p.settings_state.layouts[3].line_height, 230);
  t.surface.printer().refuses.insert("FontName");
  t.prompt.Expect(
      "your printer does not support features that Quireon II needs\r\n"
      "please choose another printer");
  SetTextMetrics(p);
  EXPECT_EQ(p.prep.CharsPerLine, 7);
}

}  // namespace
}  // namespace quireon2
