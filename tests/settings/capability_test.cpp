// The printer capability check and the failure message.
#include "settings/capability.h"

#include <gtest/gtest.h>

#include "support/gtest_support.h"

namespace quireon2 {
namespace {

using testing::ProgramTest;
using testing::RecordedPrinter;
using testing::TestProgram;

TEST(PrinterUnsuitable, LandscapeDecidesAndTwoSidedEnablesOptionTwo) {
  struct Case {
    int two_sided, landscape;
    Integer do_book;
    bool start_enabled;
    bool want_unsuitable, want_enabled;
  };
  for (const Case& c : {
           Case{1, 90, 0, true, false, true},  // DoBook 0: option left as it was
           Case{1, 90, 0, false, false, false},
           Case{1, 270, 1, false, false, true},  // DoBook set: enabled
           Case{0, 90, 1, true, false, false},   // no two-sided: disabled, whatever DoBook
           Case{0, 90, 0, true, false, false},
           Case{-1, 90, 1, false, false, true},  // no answer counts as two-sided
           Case{-1, 90, 0, false, false, false},
           Case{1, 0, 1, false, true, true},  // no landscape: unsuitable
           Case{0, 0, 0, true, true, false},
           Case{1, -1, 0, true, false, true},  // no answer lets the printer pass
       }) {
    RecordedPrinter printer;
    printer.two_sided = c.two_sided;
    printer.landscape = c.landscape;
    TestProgram t({printer});
    t->settings().DoBook = c.do_book;
    t.window.EnablePrinterMode(2, c.start_enabled);
    t.window.SetPrinterMode(2);
    std::string label = "two-sided " + std::to_string(c.two_sided) + " landscape " +
                        std::to_string(c.landscape) + " DoBook " + std::to_string(c.do_book);
    EXPECT_EQ(PrinterUnsuitable(*t), c.want_unsuitable) << label;
    EXPECT_EQ(t.window.IsPrinterModeEnabled(2), c.want_enabled) << label;
    EXPECT_EQ(t.window.GetPrinterMode(), 2) << label;  // the selection stays
    for (int other : {0, 1, 3}) EXPECT_TRUE(t.window.IsPrinterModeEnabled(other)) << label;
  }
}

TEST(PrinterUnsuitable, ExaminesTheCurrentPrinterAndRemembersIt) {
  std::vector<RecordedPrinter> printers(2);
  printers[0].name = "Wide";
  printers[1].name = "Narrow";
  printers[1].port = "ipp://narrow/";
  printers[1].landscape = 0;
  printers[1].two_sided = 0;
  TestProgram t(printers, 1);
  EXPECT_TRUE(PrinterUnsuitable(*t));
  EXPECT_FALSE(t.window.IsPrinterModeEnabled(2));
  EXPECT_EQ(t->settings_state.checked_device_name, "Narrow");
  EXPECT_EQ(t->settings_state.checked_port, "ipp://narrow/");

  t.surface.SelectPrinter(0);
  t->settings().DoBook = 1;
  EXPECT_FALSE(PrinterUnsuitable(*t));
  EXPECT_TRUE(t.window.IsPrinterModeEnabled(2));
  EXPECT_EQ(t->settings_state.checked_device_name, "Wide");
}

// A driver whose queries raise instead of answering.
class FailingDriver : public testing::RecordingSurface {
 public:
  int DeviceCapabilities(const std::string&, const std::string&, int) override {
    RaiseFailure(kPrinterError);
  }
};

TEST(PrinterUnsuitable, AQueryThatRaisesCountsAsNoAnswer) {
  TestProgram t;
  FailingDriver driver;
  t->io.surface = &driver;
  t->settings().DoBook = 1;
  t.window.EnablePrinterMode(2, false);
  EXPECT_FALSE(PrinterUnsuitable(*t));
  EXPECT_TRUE(t.window.IsPrinterModeEnabled(2));
}

using ReportErrorTest = ProgramTest;

TEST_F(ReportErrorTest, ARefusedSettingNamesThePrinter) {
  t.surface.printer().name = "Office Laser";
  t.prompt.Expect(
      "Your Printer - Office Laser does not support features needed for Quireon2. Please "
      "select another printer");
  EXPECT_EQ(ReportError(p, RuntimeFailure{380, "Invalid property value"}), 380);
  ASSERT_EQ(t.prompt.shown().size(), 1u);
  EXPECT_EQ(t.prompt.shown()[0].buttons, Buttons::kOk);
}

TEST_F(ReportErrorTest, AnyOtherFailureShowsItsDescription) {
  t.prompt.Expect("Error: Printer error");
  t.prompt.Expect("Error: ");
  EXPECT_EQ(ReportError(p, RuntimeFailure{482, "Printer error"}), 482);
  EXPECT_EQ(ReportError(p, RuntimeFailure{6, ""}), 6);
  ASSERT_EQ(t.prompt.shown().size(), 2u);
  EXPECT_EQ(t.prompt.shown()[1].buttons, Buttons::kOk);
}

}  // namespace
}  // namespace quireon2
