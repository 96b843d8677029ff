// The print runs on the recording surface: which page lands in which cell of which side of
// which job, the prompt between the passes, duplex, status, progress and failures.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <string>
#include <vector>

#include "print_fixture.h"
#include "printing/constants.h"
#include "printing/print_runs.h"

namespace quireon2::testing {
namespace {

const char kFlipPrompt[] =
    "Flip paper over and insert back in tray\r\nwhen printer stops\r\nand then press Enter";
const char kInsertPrompt[] =
    "Insert paper back in tray\r\nwhen printer stops\r\nand then press Enter";
const char kUnsupported[] = "Your printer does not support\r\na feature Quireon II needs";

int OpenDescriptors() {
  int n = 0;
  if (DIR* d = opendir("/proc/self/fd")) {
    while (readdir(d) != nullptr) ++n;
    closedir(d);
  }
  return n;
}

class RunTest : public ProgramTest {
 protected:
  void SetUp() override { SetTestGeometry(p); }

  void Pages(int n, int layout, int mode = 1) {
    WritePages(p, dir, NumberedPages(n), layout);
    p.settings().PrinterMode = static_cast<Integer>(mode);
  }
  std::string Log() const { return Transcript(t.surface, p); }

  ScratchDir dir;
};

// The worked booklet of 8 pages in every paper-feed mode.

TEST_F(RunTest, Booklet8FlippedReversesTheSecondPass) {
  Pages(8, kLayoutBooklet, 1);
  t.prompt.Expect(kInsertPrompt, Answer::kOk);
  EXPECT_EQ(PrintBooklet(p).end, RunEnd::kCompleted);
  EXPECT_EQ(Log(),
            "job 1 side 1: cell 2 page 1, cell 1 page 8\n"
            "job 1 side 2: cell 2 page 3, cell 1 page 6\n"
            "job 2 side 1: cell 2 page 5, cell 1 page 4\n"
            "job 2 side 2: cell 2 page 7, cell 1 page 2\n");
  EXPECT_EQ(t.surface.jobs_ended(), 2);
  EXPECT_FALSE(t.surface.job_open());
  ASSERT_EQ(t.prompt.shown().size(), 1u);
  EXPECT_EQ(t.prompt.shown()[0].buttons, Buttons::kOkCancel);
  EXPECT_EQ(t.status.messages, (std::vector<std::string>{"Printing  Booklet ", "Printing Side 1",
                                                         "Printing Side 2", "Printing Completed"}));
}

TEST_F(RunTest, Booklet8StraightThroughKeepsTheSheetOrder) {
  for (int mode : {0, 3}) {
    TestProgram fresh;
    Program& q = fresh.program;
    SetTestGeometry(q);
    WritePages(q, dir, NumberedPages(8), kLayoutBooklet);
    q.settings().PrinterMode = static_cast<Integer>(mode);
    fresh.prompt.Expect(kFlipPrompt, Answer::kOk);
    PrintBooklet(q);
    EXPECT_EQ(Transcript(fresh.surface, q),
              "job 1 side 1: cell 2 page 1, cell 1 page 8\n"
              "job 1 side 2: cell 2 page 3, cell 1 page 6\n"
              "job 2 side 1: cell 2 page 7, cell 1 page 2\n"
              "job 2 side 2: cell 2 page 5, cell 1 page 4\n")
        << "mode " << mode;
    EXPECT_EQ(fresh.prompt.Problems(), "") << "mode " << mode;
  }
}

TEST_F(RunTest, Booklet8DuplexIsOneJobWithDuplex3AndTheOldValueAfter) {
  Pages(8, kLayoutBooklet, 2);
  t.surface.SetDuplex(kDuplexLongEdge);
  t.surface.ClearLog();
  EXPECT_EQ(PrintBooklet(p).end, RunEnd::kCompleted);
  EXPECT_EQ(Log(),
            "job 1 side 1: cell 2 page 1, cell 1 page 8\n"
            "job 1 side 2: cell 2 page 7, cell 1 page 2\n"
            "job 1 side 3: cell 2 page 3, cell 1 page 6\n"
            "job 1 side 4: cell 2 page 5, cell 1 page 4\n");
  // Duplex 3 is set before the first drawing and the old value comes back after EndDoc.
  std::vector<std::string> sequence;
  for (const auto& c : t.surface.calls()) {
    if (c.op == "set Duplex") sequence.push_back("duplex " + std::to_string(int(c.value)));
    if (c.op == "Print" && sequence.back() != "print") sequence.push_back("print");
    if (c.op == "EndDoc") sequence.push_back("end");
  }
  EXPECT_EQ(sequence, (std::vector<std::string>{"duplex 3", "print", "end", "duplex 2"}));
  EXPECT_EQ(t.surface.Duplex(), kDuplexLongEdge);
  EXPECT_EQ(t.surface.jobs_started(), 1);
  EXPECT_EQ(t.status.messages, (std::vector<std::string>{"Printing  Booklet ", "Printing Side 1",
                                                         "Printing Duplex", "Printing Completed"}));
}

TEST_F(RunTest, Booklet10LeavesPlacesElevenAndTwelveBlank) {
  Pages(10, kLayoutBooklet, 2);
  PrintBooklet(p);
  EXPECT_EQ(Log(),
            "job 1 side 1: cell 2 page 1\n"
            "job 1 side 2: cell 1 page 2\n"
            "job 1 side 3: cell 2 page 3, cell 1 page 10\n"
            "job 1 side 4: cell 2 page 9, cell 1 page 4\n"
            "job 1 side 5: cell 2 page 5, cell 1 page 8\n"
            "job 1 side 6: cell 2 page 7, cell 1 page 6\n");
}

TEST_F(RunTest, BookletOfOnePageFeedsABlankBack) {
  Pages(1, kLayoutBooklet, 1);
  t.prompt.Expect(kInsertPrompt, Answer::kOk);
  PrintBooklet(p);
  EXPECT_EQ(Log(),
            "job 1 side 1: cell 2 page 1\n"
            "job 2 side 1: blank\n");
}

TEST_F(RunTest, CancelAtThePromptPrintsOnlyTheFirstSides) {
  Pages(8, kLayoutBooklet, 0);
  t.prompt.Expect(kFlipPrompt, Answer::kCancel);
  EXPECT_EQ(PrintBooklet(p).end, RunEnd::kCancelled);
  EXPECT_EQ(Log(),
            "job 1 side 1: cell 2 page 1, cell 1 page 8\n"
            "job 1 side 2: cell 2 page 3, cell 1 page 6\n");
  // No second, empty job after the cancel.
  EXPECT_EQ(t.surface.jobs_started(), 1);
  EXPECT_EQ(t.status.messages.back(), "Printing Completed");
  EXPECT_EQ(std::count(t.status.messages.begin(), t.status.messages.end(), "Printing Side 2"), 0);
}

TEST_F(RunTest, SignatureCancelStopsBeforeTheBacks) {
  Pages(16, kLayoutBooklet, 3);
  p.print.SigCount = 2;
  t.prompt.Expect(kFlipPrompt, Answer::kCancel);
  EXPECT_EQ(PrintSignatures(p).end, RunEnd::kCancelled);
  EXPECT_EQ(t.surface.jobs_started(), 1);
  EXPECT_EQ(t.status.messages.back(), "Printing Completed");
}

// Signatures.

TEST_F(RunTest, TwoSignaturesOf16PagesInOneDuplexJob) {
  Pages(16, kLayoutBooklet, 2);
  p.print.SigCount = 2;
  EXPECT_EQ(PrintSignatures(p).end, RunEnd::kCompleted);
  EXPECT_EQ(p.print.SheetsPerSig, 2);
  EXPECT_EQ(Log(),
            "job 1 side 1: cell 2 page 1, cell 1 page 8\n"
            "job 1 side 2: cell 2 page 7, cell 1 page 2\n"
            "job 1 side 3: cell 2 page 3, cell 1 page 6\n"
            "job 1 side 4: cell 2 page 5, cell 1 page 4\n"
            "job 1 side 5: cell 2 page 9, cell 1 page 16\n"
            "job 1 side 6: cell 2 page 15, cell 1 page 10\n"
            "job 1 side 7: cell 2 page 11, cell 1 page 14\n"
            "job 1 side 8: cell 2 page 13, cell 1 page 12\n");
  EXPECT_EQ(t.status.messages,
            (std::vector<std::string>{"Printing  Booklet ", "Printing Side 1",
                                      "Printing Double Sided", "Printing Double Sided",
                                      "Printing Completed"}));
  EXPECT_EQ(t.surface.Duplex(), kDuplexSimplex);
}

TEST_F(RunTest, SignaturesInkJetStartTheBacksWithTheLastSheetOfTheLastSignature) {
  Pages(16, kLayoutBooklet, 3);
  p.print.SigCount = 2;
  t.prompt.Expect(kFlipPrompt, Answer::kOk);
  PrintSignatures(p);
  EXPECT_EQ(Log(),
            "job 1 side 1: cell 2 page 1, cell 1 page 8\n"
            "job 1 side 2: cell 2 page 3, cell 1 page 6\n"
            "job 1 side 3: cell 2 page 9, cell 1 page 16\n"
            "job 1 side 4: cell 2 page 11, cell 1 page 14\n"
            "job 2 side 1: cell 2 page 13, cell 1 page 12\n"
            "job 2 side 2: cell 2 page 15, cell 1 page 10\n"
            "job 2 side 3: cell 2 page 5, cell 1 page 4\n"
            "job 2 side 4: cell 2 page 7, cell 1 page 2\n");
  // The plain booklet in the same mode starts its backs with sheet 1.
  TestProgram plain;
  SetTestGeometry(plain.program);
  WritePages(plain.program, dir, NumberedPages(16), kLayoutBooklet);
  plain.program.settings().PrinterMode = 3;
  plain.prompt.Expect(kFlipPrompt, Answer::kOk);
  PrintBooklet(plain.program);
  const std::string log = Transcript(plain.surface, plain.program);
  EXPECT_NE(log.find("job 2 side 1: cell 2 page 15, cell 1 page 2\n"), std::string::npos) << log;
}

TEST_F(RunTest, TwoSignaturesOf10PagesLeaveTheLastSheetBlank) {
  Pages(10, kLayoutBooklet, 2);
  p.print.SigCount = 2;
  PrintSignatures(p);
  EXPECT_EQ(Log(),
            "job 1 side 1: cell 2 page 1, cell 1 page 8\n"
            "job 1 side 2: cell 2 page 7, cell 1 page 2\n"
            "job 1 side 3: cell 2 page 3, cell 1 page 6\n"
            "job 1 side 4: cell 2 page 5, cell 1 page 4\n"
            "job 1 side 5: cell 2 page 9\n"
            "job 1 side 6: cell 1 page 10\n"
            "job 1 side 7: blank\n"
            "job 1 side 8: blank\n");
}

TEST_F(RunTest, TwoSignaturesOf20PagesStraightThrough) {
  Pages(20, kLayoutBooklet, 0);
  p.print.SigCount = 2;
  t.prompt.Expect(kFlipPrompt, Answer::kOk);
  PrintSignatures(p);
  EXPECT_EQ(p.print.SheetsPerSig, 3);
  EXPECT_EQ(Log(),
            "job 1 side 1: cell 2 page 1, cell 1 page 12\n"
            "job 1 side 2: cell 2 page 3, cell 1 page 10\n"
            "job 1 side 3: cell 2 page 5, cell 1 page 8\n"
            "job 1 side 4: cell 2 page 13\n"
            "job 1 side 5: cell 2 page 15\n"
            "job 1 side 6: cell 2 page 17, cell 1 page 20\n"
            "job 2 side 1: cell 2 page 11, cell 1 page 2\n"
            "job 2 side 2: cell 2 page 9, cell 1 page 4\n"
            "job 2 side 3: cell 2 page 7, cell 1 page 6\n"
            "job 2 side 4: cell 1 page 14\n"
            "job 2 side 5: cell 1 page 16\n"
            "job 2 side 6: cell 2 page 19, cell 1 page 18\n");
}

TEST_F(RunTest, MoreSignaturesThanSheetsGiveBlankSheets) {
  Pages(4, kLayoutBooklet, 2);
  p.print.SigCount = 3;
  PrintSignatures(p);
  EXPECT_EQ(p.print.SheetsPerSig, 1);
  EXPECT_EQ(Log(),
            "job 1 side 1: cell 2 page 1, cell 1 page 4\n"
            "job 1 side 2: cell 2 page 3, cell 1 page 2\n"
            "job 1 side 3: blank\n"
            "job 1 side 4: blank\n"
            "job 1 side 5: blank\n"
            "job 1 side 6: blank\n");
}

TEST_F(RunTest, ZeroSignaturesFailAsADivisionByZero) {
  Pages(8, kLayoutBooklet, 2);
  p.print.SigCount = 0;
  t.prompt.Expect("Division by zero");
  RunResult result = PrintSignatures(p);
  EXPECT_EQ(result.end, RunEnd::kFailed);
  EXPECT_EQ(Log(), "");
  EXPECT_EQ(t.surface.jobs_started(), 0);
  EXPECT_EQ(t.status.messages,
            (std::vector<std::string>{"Printing  Booklet ", "Printing Side 1"}));
}

TEST_F(RunTest, NegativeSignaturesPrintNothing) {
  Pages(8, kLayoutBooklet, 2);
  p.print.SigCount = -2;
  EXPECT_EQ(PrintSignatures(p).end, RunEnd::kCompleted);
  EXPECT_EQ(t.surface.jobs_started(), 0);
  EXPECT_EQ(t.status.messages.back(), "Printing Completed");
}

// N-up.

TEST_F(RunTest, FourUpOfSixPagesEndsWithTheHalfFullSide) {
  Pages(6, kLayout4Up);
  p.prep.PrintOrientation = kPortrait;
  EXPECT_EQ(PrintNUp(p).end, RunEnd::kCompleted);
  EXPECT_EQ(Log(),
            "job 1 side 1: cell 1 page 1, cell 2 page 2, cell 3 page 3, cell 4 page 4\n"
            "job 1 side 2: cell 1 page 5, cell 2 page 6\n");
  EXPECT_EQ(t.surface.calls().back().op, "EndDoc");
  EXPECT_EQ(t.surface.jobs_ended(), 1);
  EXPECT_EQ(t.status.messages,
            (std::vector<std::string>{"Printing  4 Up ", "Printing Completed"}));
}

TEST_F(RunTest, TwoUpOfThreePages) {
  Pages(3, kLayout2Up);
  PrintNUp(p);
  EXPECT_EQ(Log(),
            "job 1 side 1: cell 1 page 1, cell 2 page 2\n"
            "job 1 side 2: cell 1 page 3\n");
  EXPECT_EQ(t.surface.jobs_ended(), 1);
}

TEST_F(RunTest, OneUpPutsTheLayoutOnThePrinterAndEndsEveryPage) {
  Pages(4, kLayout1Up);
  p.prep.PrintOrientation = kPortrait;
  p.settings_state.layouts[kLayout1Up].font_name = "Courier New";
  p.settings_state.layouts[kLayout1Up].font_size = 9;
  t.surface.SetOrientation(kLandscape);
  PrintNUp(p);
  EXPECT_EQ(Log(),
            "job 1 side 1: cell 1 page 1\n"
            "job 1 side 2: cell 1 page 2\n"
            "job 1 side 3: cell 1 page 3\n"
            "job 1 side 4: cell 1 page 4\n");
  EXPECT_EQ(t.surface.Orientation(), kPortrait);
  EXPECT_EQ(t.surface.FontName(), "Courier New");
  EXPECT_EQ(t.surface.FontSize(), 9);
  EXPECT_EQ(t.surface.scale_mode(), 1);
  EXPECT_EQ(t.status.bar_values, (std::vector<int>{25, 50, 75, 100}));
}

TEST_F(RunTest, BookletProgressOfThreeSheetsFlipped) {
  Pages(12, kLayoutBooklet, 1);
  t.prompt.Expect(kInsertPrompt, Answer::kOk);
  PrintBooklet(p);
  EXPECT_EQ(t.status.bar_values, (std::vector<int>{33, 66, 100, 33, 66}));
  // The second pass's first step reports 0 sheets done, which leaves the bar alone.
  ASSERT_EQ(t.status.progress_calls.size(), 6u);
  EXPECT_EQ(t.status.progress_calls[3].current, 0);
}

TEST_F(RunTest, SignatureRunLeavesTheProgressBarAlone) {
  Pages(16, kLayoutBooklet, 2);
  p.print.SigCount = 2;
  PrintSignatures(p);
  EXPECT_TRUE(t.status.progress_calls.empty());
}

// Failures: a refused setting, a failing printer, a missing line file.

TEST_F(RunTest, DuplexRefusedShowsThePrinterMessage) {
  Pages(8, kLayoutBooklet, 2);
  t.surface.printer().refuses = {"Duplex=3"};
  t.prompt.Expect(kUnsupported);
  EXPECT_EQ(PrintBooklet(p).end, RunEnd::kFailed);
  EXPECT_EQ(t.surface.jobs_started(), 0);
  EXPECT_EQ(t.surface.Duplex(), kDuplexSimplex);
  EXPECT_NE(t.status.messages.back(), "Printing Completed");
}

TEST_F(RunTest, SignaturesOnAOneSidedPrinterShowThePrinterMessage) {
  Pages(8, kLayoutBooklet, 2);
  p.print.SigCount = 1;
  t.surface.printer().two_sided = 0;
  t.prompt.Expect(kUnsupported);
  EXPECT_EQ(PrintSignatures(p).end, RunEnd::kFailed);
  EXPECT_EQ(t.surface.jobs_started(), 0);
}

TEST_F(RunTest, FailedDuplexJobIsDroppedAndTheDuplexValuePutBack) {
  Pages(8, kLayoutBooklet, 2);
  t.surface.SetDuplex(kDuplexLongEdge);
  t.surface.ClearLog();
  // The third printed line fails: page 7, the back of the first sheet.
  t.surface.FailOnCall("Print", 3, {kPrinterError, "Printer error"});
  t.prompt.Expect("Printer error");
  EXPECT_EQ(PrintBooklet(p).end, RunEnd::kFailed);
  EXPECT_EQ(Log(),
            "job 1 side 1: cell 2 page 1, cell 1 page 8\n"
            "job 1 side 2: blank aborted\n");
  EXPECT_EQ(t.surface.jobs_aborted(), 1);
  EXPECT_EQ(t.surface.Duplex(), kDuplexLongEdge);
  EXPECT_NE(t.status.messages.back(), "Printing Completed");

  // The next run gets a job of its own, not the rest of the failed one.
  t.surface.ClearLog();
  EXPECT_EQ(PrintBooklet(p).end, RunEnd::kCompleted);
  EXPECT_EQ(Log(),
            "job 2 side 1: cell 2 page 1, cell 1 page 8\n"
            "job 2 side 2: cell 2 page 7, cell 1 page 2\n"
            "job 2 side 3: cell 2 page 3, cell 1 page 6\n"
            "job 2 side 4: cell 2 page 5, cell 1 page 4\n");
}

TEST_F(RunTest, FailedNUpRunSaysSoDropsItsJobAndClosesTheLineFile) {
  Pages(4, kLayout1Up);
  p.prep.PrintOrientation = kPortrait;
  const int before = OpenDescriptors();
  t.surface.FailOnCall("NewPage", 2, {kPrinterError, "Printer error"});
  t.prompt.Expect("Printer error");
  EXPECT_EQ(PrintNUp(p).end, RunEnd::kFailed);
  EXPECT_EQ(OpenDescriptors(), before);
  EXPECT_EQ(Log(),
            "job 1 side 1: cell 1 page 1\n"
            "job 1 side 2: cell 1 page 2 aborted\n");
  EXPECT_EQ(t.status.messages, (std::vector<std::string>{"Printing  1 Up "}));
  EXPECT_FALSE(t.surface.job_open());
}

TEST_F(RunTest, NUpRunOnAPrinterRefusingTheOrientation) {
  Pages(2, kLayout2Up);
  t.surface.printer().refuses = {"Orientation"};
  t.prompt.Expect(kUnsupported);
  EXPECT_EQ(PrintNUp(p).end, RunEnd::kFailed);
  EXPECT_EQ(t.surface.jobs_started(), 0);
}

TEST_F(RunTest, PrintNowChoosesTheRunByLayoutAndSignatures) {
  Pages(4, kLayoutBooklet, 2);
  p.settings().DoSig = 1;
  p.print.SigCount = 2;
  EXPECT_TRUE(PrintNow(p));
  // Two signatures of one sheet each: the second is blank.
  EXPECT_EQ(Log(),
            "job 1 side 1: cell 2 page 1, cell 1 page 4\n"
            "job 1 side 2: cell 2 page 3, cell 1 page 2\n"
            "job 1 side 3: blank\n"
            "job 1 side 4: blank\n");

  t.surface.ClearLog();
  p.settings().DoSig = 0;
  EXPECT_TRUE(PrintNow(p));
  EXPECT_EQ(Log(),
            "job 2 side 1: cell 2 page 1, cell 1 page 4\n"
            "job 2 side 2: cell 2 page 3, cell 1 page 2\n");

  t.surface.ClearLog();
  p.settings().Layout = 4;  // the spare record: no run at all
  EXPECT_TRUE(PrintNow(p));
  EXPECT_TRUE(t.surface.calls().empty());
}

TEST_F(RunTest, PrintNowReportsALineFileThatCannotBeOpened) {
  Pages(8, kLayoutBooklet, 1);
  p.prep.LineFilePath = dir.File("gone.tmp");
  t.prompt.Expect("Error: File not found");
  t.prompt.Expect("error File not found");
  EXPECT_FALSE(PrintNow(p));
  EXPECT_EQ(t.surface.jobs_started(), 0);
  EXPECT_EQ(t.status.messages, (std::vector<std::string>{"Printing  Booklet "}));
}

TEST_F(RunTest, NUpRunShowsAMissingLineFileItself) {
  Pages(2, kLayout1Up);
  p.prep.PrintOrientation = kPortrait;
  p.prep.LineFilePath = dir.File("gone.tmp");
  t.prompt.Expect("File not found");
  EXPECT_TRUE(PrintNow(p));
}

TEST_F(RunTest, EmptyTextPrintsNoJob) {
  Pages(0, kLayout1Up);
  p.prep.PrintOrientation = kPortrait;
  EXPECT_EQ(PrintNUp(p).end, RunEnd::kCompleted);
  EXPECT_EQ(t.surface.jobs_started(), 0);
}

}  // namespace
}  // namespace quireon2::testing
