// Settings to window controls and printer, and back.
#include <gtest/gtest.h>

#include "interfaces/printer_surface.h"
#include "settings/settings_file.h"
#include "support/gtest_support.h"

namespace quireon2 {
namespace {

using testing::TestProgram;
using OptionsTest = testing::ProgramTest;

TEST_F(OptionsTest, SetOptionsPutsEveryFlagIntoItsCheckBox) {
  Settings& s = p.settings();
  s.HPgNumber = 1, s.HFileTitle = 0, s.HCurDate = 1, s.FCurDate = 0, s.FFileTitle = 1;
  s.FPgNumber = 0, s.ExpandTab = 0, s.DoSig = 1, s.WordWrap = 0, s.DoBox = 1;
  SetOptions(p);
  std::vector<int> boxes;
  for (CheckBox box : {CheckBox::kHPageNum, CheckBox::kHFilename, CheckBox::kHDate,
                       CheckBox::kFDate, CheckBox::kFFileName, CheckBox::kFPageNum,
                       CheckBox::kDoTabEx, CheckBox::kDoSig, CheckBox::kDoWordWrap,
                       CheckBox::kDoOutlines}) {
    boxes.push_back(t.window.CheckValue(box));
  }
  EXPECT_EQ(boxes, (std::vector<int>{1, 0, 1, 0, 1, 0, 0, 1, 0, 1}));
}

TEST(Options, LayoutMapsToTheOptionAndTheBookletBoxBothWays) {
  struct Case {
    Integer layout, do_book;
    int start_option, start_booklet;
    int want_option, want_booklet;
  };
  for (const Case& c : {Case{0, 1, 1, 1, 0, 0}, Case{1, 1, 1, 1, 1, 0}, Case{2, 0, 1, 1, 2, 0},
                        Case{3, 0, 2, 0, 1, 1}, Case{3, 1, 1, 1, 1, 1}}) {
    TestProgram fresh;
    fresh.window.SelectLayoutOption(c.start_option);
    fresh.window.SetCheckValue(CheckBox::kDoBooklet, c.start_booklet);
    fresh->settings().Layout = c.layout;
    fresh->settings().DoBook = c.do_book;
    SetOptions(*fresh);
    EXPECT_EQ(fresh.window.SelectedLayoutOption(), c.want_option) << "Layout " << c.layout;
    EXPECT_EQ(fresh.window.CheckValue(CheckBox::kDoBooklet), c.want_booklet) << c.layout;
  }
  struct Back { int option, booklet; Integer want; };
  TestProgram t;
  for (const Back& c : {Back{0, 1, 0}, Back{2, 1, 2}, Back{-1, 1, 2}, Back{-1, 0, 2}}) {
    t->settings().Layout = 2;
    t.window.SelectLayoutOption(c.option);
    t.window.SetCheckValue(CheckBox::kDoBooklet, c.booklet);
    GetOptions(*t);
    EXPECT_EQ(t->settings().Layout, c.want) << "option " << c.option << " booklet " << c.booklet;
    EXPECT_EQ(t->settings().DoBook, c.booklet);
  }
}

TEST_F(OptionsTest, APrintFontSizeGoesToThePrinterOtherwiseThePrintersIsTaken) {
  t.surface.SetFontSize(10.5);
  SetOptions(p);
  EXPECT_EQ(p.settings_state.print_font_size, 10);  // an exact half to the even neighbour
  EXPECT_DOUBLE_EQ(t.surface.FontSize(), 10.5);

  p.settings_state.print_font_size = 12;
  p.settings().Layout = 2;
  p.settings_state.layouts[2].font_name = "courier new";
  SetOptions(p);
  EXPECT_DOUBLE_EQ(t.surface.FontSize(), 12);
  // The preview shows what the printer holds, read back from it.
  EXPECT_EQ(t.window.preview_font_name(), "Courier New");
  EXPECT_DOUBLE_EQ(t.window.preview_size(), 12);

  // A printer that refuses a setting keeps its own, and the window is still filled.
  t.surface.printer().refuses = {"FontSize", "FontName"};
  p.settings_state.print_font_size = 14;
  p.settings().PrinterMode = 0;
  SetOptions(p);
  EXPECT_EQ(t.window.GetPrinterMode(), 0);
  EXPECT_DOUBLE_EQ(t.window.preview_size(), 12);
}

TEST(Options, WhatSetOptionsShowsGetOptionsReadsBack) {
  struct Case { Integer layout, do_book, printer_mode, flags; };
  for (const Case& c : {Case{0, 0, 0, 1}, Case{1, 0, 3, 0}, Case{2, 0, 1, 1}, Case{3, 1, 2, 0}}) {
    TestProgram fresh;
    fresh.surface.printer().paper_size = kPaperA4;
    Settings& s = fresh->settings();
    s.Layout = c.layout, s.DoBook = c.do_book, s.PrinterMode = c.printer_mode;
    s.HCurDate = s.FFileTitle = s.DoSig = s.DoBox = c.flags;
    s.HPgNumber = s.FCurDate = s.ExpandTab = s.WordWrap = static_cast<Integer>(1 - c.flags);
    // The fields the window shows, in one list.
    auto shown = [](const Settings& x) {
      return std::vector<int>{x.Layout,    x.DoBook,    x.PrinterMode, x.HCurDate, x.HPgNumber,
                              x.HFileTitle, x.FCurDate, x.FFileTitle,  x.FPgNumber, x.DoSig,
                              x.DoBox,     x.ExpandTab};
    };
    const Settings before = s;
    SetOptions(*fresh);
    s = Settings();  // every field back to its default
    GetOptions(*fresh);
    EXPECT_EQ(shown(s), shown(before)) << c.layout;
    EXPECT_EQ(s.DoHeader, 1) << c.layout;
    EXPECT_EQ(s.DoFooter, 1) << c.layout;
    EXPECT_EQ(fresh->settings_state.paper_size, kPaperA4);
    // The word-wrap box is hidden as the window is made: hidden, it leaves the stored choice.
    EXPECT_EQ(s.WordWrap, 1) << c.layout;
    fresh.window.SetVisible(CheckBox::kDoWordWrap, true);
    GetOptions(*fresh);
    EXPECT_EQ(s.WordWrap, before.WordWrap) << c.layout;
  }
}

}  // namespace
}  // namespace quireon2
