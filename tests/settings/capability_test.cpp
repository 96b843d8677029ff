// The printer capability check: landscape decides, the two-sided answer enables option 2.
#include "settings/capability.h"

#include <gtest/gtest.h>

#include "support/gtest_support.h"

namespace quireon2 {
namespace {

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
