// The printer capability check and the failure message.
#include "settings/capability.h"

#include <gtest/gtest.h>

#include "support/gtest_support.h"

namespace quireon2 {
namespace {

using testing::RecordedPrinter;
using testing::TestProgram;

TEST(PrinterUnsuitable, LandscapeDecidesAndTwoSidedEnablesOptionTwo) {
  struct Case {
    int two_sided, landscape;
    Integer do_book;
    bool start_enabled, want_unsuitable, want_enabled, raises = false;
  };
  for (const Case& c : {
           Case{1, 90, 0, true, false, true},  // DoBook 0: option left as it was
           Case{1, 90, 0, false, false, false},
           Case{1, 270, 1, false, false, true},  // DoBook set: enabled
           Case{0, 90, 1, true, false, false},   // no two-sided: disabled, whatever DoBook
           Case{-1, 90, 1, false, false, true},  // no answer counts as two-sided
           Case{1, 0, 1, false, true, true},  // no landscape: unsuitable
           Case{0, 0, 0, true, true, false},
           Case{1, -1, 0, true, false, true},  // no answer lets the printer pass
           Case{0, 0, 1, false, false, true, true},  // a query that raises is no answer
       }) {
    RecordedPrinter printer;
    printer.two_sided = c.two_sided;
    printer.landscape = c.landscape;
    TestProgram t({printer});
    if (c.raises) t.surface.FailOnCall("DeviceCapabilities", 0, {kPrinterError, "Printer error"});
    t->settings().DoBook = c.do_book;
    t.window.EnablePrinterMode(2, c.start_enabled);
    t.window.SetPrinterMode(2);
    std::string label = "two-sided " + std::to_string(c.two_sided) + " landscape " +
                        std::to_string(c.landscape) + " DoBook " + std::to_string(c.do_book);
    EXPECT_EQ(PrinterUnsuitable(*t), c.want_unsuitable) << label;
    EXPECT_EQ(t.window.IsPrinterModeEnabled(2), c.want_enabled) << label;
    EXPECT_EQ(t.window.GetPrinterMode(), 2) << label;  // the selection stays
    for (int other : {0, 1, 3}) EXPECT_TRUE(t.window.IsPrinterModeEnabled(other)) << label;
    EXPECT_EQ(t->settings_state.checked_device_name, "Test Printer");  // the printer examined
  }
}

TEST(ReportError, NamesThePrinterForARefusedSettingAndTheDescriptionOtherwise) {
  TestProgram t;
  t.surface.printer().name = "Office Laser";
  t.prompt.Expect(
      "Your Printer - Office Laser does not support features needed for Quireon2. Please "
      "select another printer");
  t.prompt.Expect("Error: Printer error");
  EXPECT_EQ(ReportError(*t, RuntimeFailure{380, "Invalid property value"}), 380);
  EXPECT_EQ(ReportError(*t, RuntimeFailure{482, "Printer error"}), 482);
  ASSERT_EQ(t.prompt.shown().size(), 2u);
  EXPECT_EQ(t.prompt.shown()[0].buttons, Buttons::kOk);
  EXPECT_EQ(t.prompt.Problems(), "");
}

}  // namespace
}  // namespace quireon2
