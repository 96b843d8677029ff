// Settings to window controls and printer, and back, and the check of the printer itself.
#include <gtest/gtest.h>

#include <random>

#include "interfaces/printer_surface.h"
#include "settings/capability.h"
#include "settings/runtime_failure.h"
#include "settings/settings_file.h"
#include "support/gtest_support.h"

namespace quireon2 {
namespace {

using testing::TestProgram;

// The window shows the booklet as the 2-up option with the booklet box; an option that is
// none of the three leaves Layout as it was.
TEST(Options, LayoutMapsToTheOptionAndTheBookletBoxBothWays) {
  struct Case { Integer layout, do_book; int start_option, start_booklet, option, booklet; };
  for (const Case& c : {Case{0, 1, 1, 1, 0, 0}, Case{1, 1, 1, 1, 1, 0}, Case{2, 0, 1, 1, 2, 0},
                        Case{3, 0, 2, 0, 1, 1}, Case{3, 1, 1, 1, 1, 1}}) {
    TestProgram t;
    t.window.SelectLayoutOption(c.start_option);
    t.window.SetCheckValue(CheckBox::kDoBooklet, c.start_booklet);
    t->settings().Layout = c.layout;
    t->settings().DoBook = c.do_book;
    SetOptions(*t);
    EXPECT_EQ(t.window.SelectedLayoutOption(), c.option) << "Layout " << c.layout;
    EXPECT_EQ(t.window.CheckValue(CheckBox::kDoBooklet), c.booklet) << "Layout " << c.layout;
  }
  TestProgram t;
  for (const Case& c : {Case{0, 1, 0, 1, 0, 0}, Case{2, 1, 2, 1, 0, 0}, Case{2, 1, -1, 1, 0, 0},
                        Case{2, 0, -1, 0, 0, 0}}) {
    t->settings().Layout = 2;
    t.window.SelectLayoutOption(c.start_option);
    t.window.SetCheckValue(CheckBox::kDoBooklet, c.start_booklet);
    GetOptions(*t);
    EXPECT_EQ(t->settings().Layout, c.layout) << "option " << c.start_option;
    EXPECT_EQ(t->settings().DoBook, c.do_book) << "option " << c.start_option;
  }
}

// The print font size goes to the printer (an exact half to the even neighbour when read
// back); the preview shows what the printer holds; a printer that refuses keeps its own.
TEST(Options, APrintFontSizeGoesToThePrinterOtherwiseThePrintersIsTaken) {
  TestProgram t;
  Program& p = t.program;
  t.surface.SetFontSize(10.5);
  SetOptions(p);
  EXPECT_EQ(p.settings_state.print_font_size, 10);
  p.settings_state.print_font_size = 12;
  p.settings().Layout = 2;
  p.settings_state.layouts[2].font_name = "courier new";
  SetOptions(p);
  EXPECT_EQ(t.window.preview_font_name(), "Courier New");
  EXPECT_DOUBLE_EQ(t.window.preview_size(), 12);
  t.surface.printer().refuses = {"FontSize", "FontName"};
  p.settings_state.print_font_size = 14;
  p.settings().PrinterMode = 0;
  SetOptions(p);
  EXPECT_EQ(t.window.GetPrinterMode(), 0);
  EXPECT_DOUBLE_EQ(t.window.preview_size(), 12);
}

// Random settings shown by SetOptions land in their own controls and come back whole.
TEST(Options, EveryShownSettingGoesToItsControlAndBack) {
  struct Flag { CheckBox box; Integer Settings::*field; };
  const Flag flags[] = {
      {CheckBox::kHPageNum, &Settings::HPgNumber}, {CheckBox::kHFilename, &Settings::HFileTitle},
      {CheckBox::kHDate, &Settings::HCurDate},     {CheckBox::kFDate, &Settings::FCurDate},
      {CheckBox::kFFileName, &Settings::FFileTitle}, {CheckBox::kFPageNum, &Settings::FPgNumber},
      {CheckBox::kDoTabEx, &Settings::ExpandTab},  {CheckBox::kDoSig, &Settings::DoSig},
      {CheckBox::kDoOutlines, &Settings::DoBox},   {CheckBox::kDoWordWrap, &Settings::WordWrap},
      {CheckBox::kTabStops, &Settings::TabStops}};
  std::mt19937 random(5);
  for (int round = 0; round < 40; ++round) {
    TestProgram t;
    t.surface.printer().paper_size = round % 2 ? kPaperA4 : kPaperLetter;
    Settings& s = t->settings();
    for (const Flag& f : flags) s.*f.field = static_cast<Integer>(random() % 2);
    s.Layout = static_cast<Integer>(random() % 4);
    s.DoBook = s.Layout == kLayoutBooklet;
    s.PrinterMode = static_cast<Integer>(random() % 4);
    const Settings before = s;
    SetOptions(*t);
    for (const Flag& f : flags) EXPECT_EQ(t.window.CheckValue(f.box), before.*f.field) << round;
    // The word-wrap box is hidden as the window is made: hidden, it leaves the stored choice.
    const bool wrap_shown = round % 3 == 0;
    t.window.SetVisible(CheckBox::kDoWordWrap, wrap_shown);
    s = Settings();
    GetOptions(*t);
    for (const Flag& f : flags) {
      const bool kept = f.field == &Settings::WordWrap && !wrap_shown;
      EXPECT_EQ(s.*f.field, kept ? Settings().WordWrap : before.*f.field) << round;
    }
    EXPECT_EQ(s.Layout, before.Layout) << round;
    EXPECT_EQ(s.DoBook, before.DoBook) << round;
    EXPECT_EQ(s.PrinterMode, before.PrinterMode) << round;
    EXPECT_EQ(s.DoHeader, before.HPgNumber + before.HFileTitle + before.HCurDate > 0) << round;
    EXPECT_EQ(s.DoFooter, before.FPgNumber + before.FFileTitle + before.FCurDate > 0) << round;
    EXPECT_EQ(t->settings_state.paper_size, t.surface.printer().paper_size) << round;
  }
}

// The printer capability check: landscape decides, the two-sided answer enables option 2.
TEST(PrinterUnsuitable, LandscapeDecidesAndTwoSidedEnablesOptionTwo) {
  struct Case {
    int two_sided, landscape;
    Integer do_book;
    bool start_enabled, want_unsuitable, want_enabled, raises = false;
  };
  // DoBook 0 leaves the option as it was; no answer counts as two-sided and lets the printer
  // pass; a query that raises is no answer.
  for (const Case& c : {Case{1, 90, 0, true, false, true}, Case{1, 90, 0, false, false, false},
                        Case{1, 270, 1, false, false, true}, Case{0, 90, 1, true, false, false},
                        Case{-1, 90, 1, false, false, true}, Case{1, 0, 1, false, true, true},
                        Case{0, 0, 0, true, true, false}, Case{1, -1, 0, true, false, true},
                        Case{0, 0, 1, false, false, true, true}}) {
    testing::RecordedPrinter printer;
    printer.two_sided = c.two_sided;
    printer.landscape = c.landscape;
    testing::TestProgram t({printer});
    if (c.raises) t.surface.FailOnCall("DeviceCapabilities", 0, {kPrinterError, "Printer error"});
    t->settings().DoBook = c.do_book;
    t.window.EnablePrinterMode(2, c.start_enabled);
    t.window.SetPrinterMode(2);
    const std::string label = std::to_string(c.two_sided) + " " + std::to_string(c.landscape) +
                              " DoBook " + std::to_string(c.do_book);
    EXPECT_EQ(PrinterUnsuitable(*t), c.want_unsuitable) << label;
    EXPECT_EQ(t.window.IsPrinterModeEnabled(2), c.want_enabled) << label;
    EXPECT_EQ(t.window.GetPrinterMode(), 2) << label;  // the selection stays
    for (int other : {0, 1, 3}) EXPECT_TRUE(t.window.IsPrinterModeEnabled(other)) << label;
    EXPECT_EQ(t->settings_state.checked_device_name, "Test Printer");
  }
}

}  // namespace
}  // namespace quireon2
