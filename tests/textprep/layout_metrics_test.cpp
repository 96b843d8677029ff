// Layout metrics on the recording surface: cell geometry of every layout, the line height,
// the text metrics of the current layout and their failure paths.
#include <gtest/gtest.h>

#include "support/gtest_support.h"
#include "textprep/cell_geometry.h"
#include "textprep/layout_metrics.h"

namespace quireon2 {
namespace {

using testing::ProgramTest;

struct Cells {
  Integer count, orientation;
  Long width, height;
  std::array<Long, 5> x, y;
};

void ExpectCells(const LayoutRecord& r, const Cells& c, const char* what) {
  EXPECT_EQ(r.cell_count, c.count) << what;
  EXPECT_EQ(r.orientation, c.orientation) << what;
  EXPECT_EQ(r.cell_width, c.width) << what;
  EXPECT_EQ(r.cell_height, c.height) << what;
  for (int i = 1; i <= c.count; ++i) {
    EXPECT_EQ(r.x[i], c.x[i]) << what << " cell " << i;
    EXPECT_EQ(r.y[i], c.y[i]) << what << " cell " << i;
  }
}

class LayoutMetrics : public ProgramTest {};

TEST_F(LayoutMetrics, CellGeometryWithDefaultBordersOnLetter) {
  // Letter printable area 12240 x 15840 twips; landscape swaps them.
  p.settings().BookletGutter = 2000;
  ComputeLayoutMetrics(p, 0);
  const auto& l = p.settings_state.layouts;
  ExpectCells(l[0], {1, 1, 10800, 14400, {0, 720}, {0, 720}}, "1 up");
  ExpectCells(l[2], {4, 1, 4680, 6480, {0, 720, 6840, 720, 6840}, {0, 720, 720, 8640, 8640}},
              "4 up");
  ExpectCells(l[1], {2, 2, 6480, 10800, {0, 720, 8640}, {0, 720, 720}}, "2 up");
  ExpectCells(l[3], {2, 2, 6200, 10800, {0, 720, 8920}, {0, 720, 720}}, "booklet");
  EXPECT_EQ(t.surface.Orientation(), kLandscape);
  EXPECT_EQ(t.surface.scale_mode(), 1);
  EXPECT_EQ(l[3].font_size, 8);  // no size handed in: fonts untouched
}

TEST_F(LayoutMetrics, OffsetsMoveTheCellsAsMeasuredOnThePortraitSheet) {
  Settings& s = p.settings();
  s.OffsetTop = 10;
  s.OffsetLeft = 20;
  s.OffsetRight = 30;
  s.OffsetBottom = 40;
  ComputeLayoutMetrics(p, 0);
  const auto& l = p.settings_state.layouts;
  ExpectCells(l[0], {1, 1, 10800, 14400, {0, 740}, {0, 730}}, "1 up");
  ExpectCells(l[2], {4, 1, 4630, 6430, {0, 740, 6860, 740, 6860}, {0, 730, 730, 8650, 8650}},
              "4 up");
  ExpectCells(l[1], {2, 2, 6430, 10750, {0, 730, 8650}, {0, 750, 750}}, "2 up");
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
}

TEST_F(LayoutMetrics, OverflowOfBorderArithmeticIsReportedAndLaterRecordsKept) {
  p.settings_state.layouts[1].cell_width = 111;
  p.settings_state.layouts[3].cell_width = 333;
  p.settings().YEdgeBorder2 = 20000;  // 2 x 20000 leaves the 16-bit range
  t.prompt.Expect("Error: Overflow");
  ComputeLayoutMetrics(p, 12);
  EXPECT_EQ(p.settings_state.layouts[0].cell_width, 10800);
  EXPECT_EQ(p.settings_state.layouts[2].cell_width, 4680);
  EXPECT_EQ(p.settings_state.layouts[1].cell_width, 111);
  EXPECT_EQ(p.settings_state.layouts[3].cell_width, 333);
  EXPECT_EQ(p.settings_state.layouts[3].font_size, 8);  // the routine ended before the size
}

TEST_F(LayoutMetrics, SumOfGutterAndBorderOverflows) {
  p.settings().FourUpGutter = 32000;  // 16000 + 20000
  p.settings().XEdgeBorder4 = 20000;
  p.settings_state.layouts[2].cell_width = 222;
  t.prompt.Expect("Error: Overflow");
  ComputeLayoutMetrics(p, 0);
  EXPECT_EQ(p.settings_state.layouts[0].cell_width, 10800);
  EXPECT_EQ(p.settings_state.layouts[2].cell_width, 222);
}

TEST_F(LayoutMetrics, PrinterWithoutLandscapeKeepsTheLandscapeRecords) {
  t.surface.printer().landscape = 0;
  p.settings_state.layouts[1].cell_width = 111;
  t.prompt.Expect(
      "Your Printer - Test Printer does not support features needed for Quireon2. Please "
      "select another printer");
  ComputeLayoutMetrics(p, 0);
  EXPECT_EQ(p.settings_state.layouts[0].cell_width, 10800);
  EXPECT_EQ(p.settings_state.layouts[2].cell_width, 4680);
  EXPECT_EQ(p.settings_state.layouts[1].cell_width, 111);
}

TEST_F(LayoutMetrics, FontSizeSetsTheCurrentLayoutsLineHeight) {
  p.settings().Layout = kLayout2Up;
  t.surface.metrics().text_height_twips = 187;
  ComputeLayoutMetrics(p, 12);
  EXPECT_EQ(t.surface.FontSize(), 12);
  EXPECT_EQ(p.settings_state.layouts[1].font_size, 12);
  EXPECT_EQ(p.settings_state.layouts[1].line_height, 234);  // 187 x 1.25 = 233.75
  EXPECT_EQ(p.settings_state.layouts[3].font_size, 8);
  p.settings().LineMultiple = 1;
  t.surface.metrics().text_height_twips = 182.5;  // half to even: 182
  SetLayoutFontSize(p, 9);
  EXPECT_EQ(p.settings_state.layouts[1].line_height, 182);
  SetLayoutFontSize(p, 0);  // nothing happens
  EXPECT_EQ(p.settings_state.layouts[1].font_size, 9);
}

class TextMetrics : public ProgramTest {
 protected:
  void SetUp() override {
    LayoutRecord& r = p.settings_state.layouts[kLayoutBooklet];
    r.cell_width = 5760;
    r.cell_height = 10800;
    r.orientation = 2;
    r.font_size = 9;
    r.font_name = "Courier New";
    p.settings().Layout = kLayoutBooklet;
    p.settings().LineMultiple = 1.25f;
    p.settings().WidthFudge = 10;
    p.settings().DoHeader = 1;
    p.settings().DoFooter = 1;
    t.surface.metrics().text_height_twips = 184;
    t.surface.metrics().char_width_twips = 6820.0 / 62;
  }
};

TEST_F(TextMetrics, WorkedExample) {
  SetTextMetrics(p);
  EXPECT_EQ(p.settings_state.layouts[3].line_height, 230);
  EXPECT_EQ(p.prep.CharWidth, 110);
  EXPECT_EQ(p.prep.CharsPerLine, 62);
  EXPECT_EQ(p.prep.LinesPerPage, 41);
  EXPECT_EQ(p.prep.PrintOrientation, 2);
  EXPECT_EQ(t.surface.Orientation(), kLandscape);
  EXPECT_EQ(t.surface.FontName(), "Courier New");
  EXPECT_EQ(t.surface.FontSize(), 9);
}

TEST_F(TextMetrics, HeaderAndFooterLinesAndTheWidthRemainder) {
  p.settings().DoHeader = 0;
  p.settings().DoFooter = 0;
  t.surface.metrics().char_width_twips = 6881.0 / 62;  // 110.98 a character, 110 on average
  SetTextMetrics(p);
  EXPECT_EQ(p.prep.CharWidth, 110);
  EXPECT_EQ(p.prep.LinesPerPage, 46);
  p.settings().DoFooter = 1;
  SetTextMetrics(p);
  EXPECT_EQ(p.prep.LinesPerPage, 43);
  p.settings().DoFooter = 0;
  p.settings().DoHeader = 1;
  p.settings().WidthFudge = -52;
  SetTextMetrics(p);
  EXPECT_EQ(p.prep.LinesPerPage, 44);
  EXPECT_EQ(p.prep.CharsPerLine, 0);
}

TEST_F(TextMetrics, ZeroWidthOrZeroLineHeightKeepEarlierValues) {
  p.prep.CharsPerLine = 7;
  p.prep.LinesPerPage = 9;
  t.surface.metrics().char_width_twips = 0.5;  // 31 twips for 62 characters
  SetTextMetrics(p);
  EXPECT_EQ(p.prep.CharWidth, 0);
  EXPECT_EQ(p.prep.CharsPerLine, 7);
  EXPECT_EQ(p.prep.LinesPerPage, 9);
  EXPECT_EQ(p.settings_state.layouts[3].line_height, 230);

  t.surface.metrics().char_width_twips = 110;
  p.settings().LineMultiple = 0;
  SetTextMetrics(p);
  EXPECT_EQ(p.settings_state.layouts[3].line_height, 0);
  EXPECT_EQ(p.prep.CharsPerLine, 62);
  EXPECT_EQ(p.prep.LinesPerPage, 9);
}

TEST_F(TextMetrics, RecordWithoutOrientationReadsTheSurfaces) {
  p.settings_state.layouts[3].orientation = 0;
  t.surface.SetOrientation(kPortrait);
  SetTextMetrics(p);
  EXPECT_EQ(p.prep.PrintOrientation, 1);
  EXPECT_EQ(p.prep.LinesPerPage, 41);
}

TEST_F(TextMetrics, RefusedSettingShowsThePrinterMessageAndKeepsValues) {
  p.prep.CharsPerLine = 7;
  t.surface.printer().refuses.insert("FontName");
  t.prompt.Expect(
      "your printer does not support features that Quireon II needs\r\n"
      "please choose another printer");
  SetTextMetrics(p);
  EXPECT_EQ(p.prep.CharsPerLine, 7);
  EXPECT_EQ(p.settings_state.layouts[3].line_height, 0);
}

TEST_F(TextMetrics, OtherFailureIsSilent) {
  p.prep.CharsPerLine = 7;
  t.surface.FailAlways("TextWidth", {kDeviceIoError, "Device I/O error"});
  SetTextMetrics(p);
  EXPECT_EQ(p.prep.CharsPerLine, 7);
  EXPECT_EQ(p.settings_state.layouts[3].line_height, 230);
}

}  // namespace
}  // namespace quireon2
