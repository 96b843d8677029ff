// Settings to window controls and printer, and back.
#include <gtest/gtest.h>

#include "printing/printer_surface.h"
#include "settings/settings_file.h"
#include "support/gtest_support.h"

namespace quireon2 {
namespace {

using testing::ProgramTest;

using SetOptionsTest = ProgramTest;

TEST_F(SetOptionsTest, PutsEveryFlagIntoItsCheckBox) {
  Settings& s = p.settings();
  s.HPgNumber = 1, s.HFileTitle = 0, s.HCurDate = 1;
  s.FCurDate = 0, s.FFileTitle = 1, s.FPgNumber = 0;
  s.ExpandTab = 0, s.DoSig = 1, s.WordWrap = 0, s.DoBox = 1, s.PrinterMode = 2;
  SetOptions(p);
  struct Case {
    CheckBox box;
    int want;
    const char* name;
  };
  for (const Case& c :
       {Case{CheckBox::kHPageNum, 1, "HPageNum"}, Case{CheckBox::kHFilename, 0, "HFilename"},
        Case{CheckBox::kHDate, 1, "HDate"}, Case{CheckBox::kFDate, 0, "FDate"},
        Case{CheckBox::kFFileName, 1, "FFileName"}, Case{CheckBox::kFPageNum, 0, "FPageNum"},
        Case{CheckBox::kDoTabEx, 0, "DoTabEx"}, Case{CheckBox::kDoSig, 1, "DoSig"},
        Case{CheckBox::kDoWordWrap, 0, "DoWordWrap"},
        Case{CheckBox::kDoOutlines, 1, "DoOutlines"}}) {
    EXPECT_EQ(t.window.CheckValue(c.box), c.want) << c.name;
  }
  EXPECT_EQ(t.window.GetPrinterMode(), 2);
}

TEST_F(SetOptionsTest, LayoutPicksTheOptionAndTheBookletBox) {
  struct Case {
    Integer layout, do_book;
    int start_option, start_booklet;
    int want_option, want_booklet;
  };
  for (const Case& c : {Case{0, 1, 1, 1, 0, 0}, Case{1, 1, 1, 1, 1, 0}, Case{2, 0, 1, 1, 2, 0},
                        Case{3, 0, 2, 0, 1, 1}, Case{3, 1, 1, 1, 1, 1}}) {
    testing::TestProgram fresh;
    fresh.window.SelectLayoutOption(c.start_option);
    fresh.window.SetCheckValue(CheckBox::kDoBooklet, c.start_booklet);
    fresh->settings().Layout = c.layout;
    fresh->settings().DoBook = c.do_book;
    SetOptions(*fresh);
    EXPECT_EQ(fresh.window.SelectedLayoutOption(), c.want_option) << "Layout " << c.layout;
    EXPECT_EQ(fresh.window.CheckValue(CheckBox::kDoBooklet), c.want_booklet)
        << "Layout " << c.layout;
  }
}

TEST_F(SetOptionsTest, APrintFontSizeGoesToThePrinterOtherwiseThePrintersIsTaken) {
  t.surface.SetFontSize(10.5);
  t.surface.ClearLog();
  SetOptions(p);
  EXPECT_EQ(p.settings_state.print_font_size, 10);  // an exact half to the even neighbour
  EXPECT_DOUBLE_EQ(t.surface.FontSize(), 10.5);

  p.settings_state.print_font_size = 12;
  p.settings().Layout = 2;
  p.settings_state.layouts[2].font_name = "courier new";
  SetOptions(p);
  EXPECT_DOUBLE_EQ(t.surface.FontSize(), 12);
  EXPECT_EQ(t.surface.FontName(), "Courier New");
  // The preview shows what the printer holds, read back from it.
  EXPECT_EQ(t.window.preview_font_name(), "Courier New");
  EXPECT_DOUBLE_EQ(t.window.preview_size(), 12);
}

TEST_F(SetOptionsTest, ARefusedPrinterSettingStillFillsTheWindow) {
  t.surface.printer().refuses = {"FontSize", "FontName"};
  p.settings_state.print_font_size = 14;
  p.settings().Layout = 0;
  p.settings_state.layouts[0].font_name = "Courier New";
  p.settings().PrinterMode = 0;
  SetOptions(p);
  EXPECT_EQ(t.window.GetPrinterMode(), 0);
  EXPECT_EQ(t.window.SelectedLayoutOption(), 0);
  EXPECT_EQ(t.window.preview_updates(), 1);
  EXPECT_EQ(t.window.preview_font_name(), "Times New Roman");
  EXPECT_DOUBLE_EQ(t.window.preview_size(), 10);
}

using GetOptionsTest = ProgramTest;

TEST_F(GetOptionsTest, ReadsTheControlsAndDerivesHeaderAndFooter) {
  MemoryControls& w = t.window;
  w.SetCheckValue(CheckBox::kHPageNum, 0);
  w.SetCheckValue(CheckBox::kHFilename, 0);
  w.SetCheckValue(CheckBox::kHDate, 1);
  w.SetCheckValue(CheckBox::kFPageNum, 0);
  w.SetCheckValue(CheckBox::kFFileName, 0);
  w.SetCheckValue(CheckBox::kFDate, 0);
  w.SetCheckValue(CheckBox::kDoSig, 1);
  w.SetCheckValue(CheckBox::kDoTabEx, 0);
  w.SetCheckValue(CheckBox::kDoOutlines, 1);
  w.SetCheckValue(CheckBox::kDoWordWrap, 0);  // hidden, as the window is made
  w.SetPrinterMode(0);
  t.surface.printer().paper_size = kPaperA4;
  Settings& s = p.settings();
  s.FPgNumber = 1, s.DoFooter = 1;
  GetOptions(p);
  EXPECT_EQ(s.HCurDate, 1);
  EXPECT_EQ(s.HFileTitle, 0);
  EXPECT_EQ(s.HPgNumber, 0);
  EXPECT_EQ(s.DoHeader, 1);
  EXPECT_EQ(s.FPgNumber, 0);
  EXPECT_EQ(s.DoFooter, 0);
  EXPECT_EQ(s.DoSig, 1);
  EXPECT_EQ(s.ExpandTab, 0);
  EXPECT_EQ(s.DoBox, 1);
  EXPECT_EQ(s.WordWrap, 1);  // a hidden box leaves the stored choice
  EXPECT_EQ(s.PrinterMode, 0);
  EXPECT_EQ(p.settings_state.paper_size, kPaperA4);
  EXPECT_EQ(s.DoBook, 1);
  EXPECT_EQ(s.Layout, 3);

  w.SetVisible(CheckBox::kDoWordWrap, true);
  GetOptions(p);
  EXPECT_EQ(s.WordWrap, 0);
}

TEST_F(GetOptionsTest, LayoutComesFromTheOptionAndTheBookletBox) {
  struct Case {
    int option, booklet;
    Integer want;
  };
  for (const Case& c : {Case{0, 1, 0}, Case{1, 1, 3}, Case{1, 0, 1}, Case{2, 1, 2}, Case{-1, 1, 2},
                        Case{-1, 0, 2}}) {
    p.settings().Layout = 2;
    t.window.SelectLayoutOption(c.option);
    t.window.SetCheckValue(CheckBox::kDoBooklet, c.booklet);
    GetOptions(p);
    EXPECT_EQ(p.settings().Layout, c.want) << "option " << c.option << " booklet " << c.booklet;
    EXPECT_EQ(p.settings().DoBook, c.booklet);
  }
}

TEST_F(GetOptionsTest, WhatSetOptionsShowsComesBackUnchanged) {
  struct Case {
    Integer layout, do_book, printer_mode, flags;
  };
  for (const Case& c : {Case{0, 0, 0, 1}, Case{1, 0, 3, 0}, Case{2, 0, 1, 1}, Case{3, 1, 2, 0}}) {
    testing::TestProgram fresh;
    fresh.window.SetVisible(CheckBox::kDoWordWrap, true);
    Settings& s = fresh->settings();
    s.Layout = c.layout, s.DoBook = c.do_book, s.PrinterMode = c.printer_mode;
    s.HCurDate = s.FFileTitle = s.DoSig = s.DoBox = c.flags;
    s.HPgNumber = s.FCurDate = s.ExpandTab = s.WordWrap = static_cast<Integer>(1 - c.flags);
    const Settings before = s;
    SetOptions(*fresh);
    s = Settings();  // every field back to its default
    GetOptions(*fresh);
    EXPECT_EQ(s.Layout, before.Layout) << c.layout;
    EXPECT_EQ(s.DoBook, before.DoBook) << c.layout;
    EXPECT_EQ(s.PrinterMode, before.PrinterMode) << c.layout;
    EXPECT_EQ(s.HCurDate, before.HCurDate) << c.layout;
    EXPECT_EQ(s.HPgNumber, before.HPgNumber) << c.layout;
    EXPECT_EQ(s.HFileTitle, 0) << c.layout;
    EXPECT_EQ(s.FCurDate, before.FCurDate) << c.layout;
    EXPECT_EQ(s.FFileTitle, before.FFileTitle) << c.layout;
    EXPECT_EQ(s.FPgNumber, 0) << c.layout;
    EXPECT_EQ(s.DoSig, before.DoSig) << c.layout;
    EXPECT_EQ(s.DoBox, before.DoBox) << c.layout;
    EXPECT_EQ(s.ExpandTab, before.ExpandTab) << c.layout;
    EXPECT_EQ(s.WordWrap, before.WordWrap) << c.layout;
    EXPECT_EQ(s.DoHeader, 1) << c.layout;
    EXPECT_EQ(s.DoFooter, 1) << c.layout;
  }
}

}  // namespace
}  // namespace quireon2
