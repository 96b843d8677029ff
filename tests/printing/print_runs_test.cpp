// The print runs on the recording surface: the prompt between the passes, duplex, status,
// progress and failures.
#include <gtest/gtest.h>

#include <dirent.h>

#include <sstream>
#include <string>
#include <vector>

#include "print_fixture.h"
#include "printing/print_runs.h"

namespace quireon2::testing {
namespace {

const char kFlip[] =
    "Flip paper over and insert back in tray\r\nwhen printer stops\r\nand then press Enter";
const char kInsert[] = "Insert paper back in tray\r\nwhen printer stops\r\nand then press Enter";
const char kUnsupported[] = "Your printer does not support\r\na feature Quireon II needs";
// Status messages of the booklet runs, joined by '|'.
const char kTwoJobs[] = "Printing  Booklet |Printing Side 1|Printing Side 2|Printing Completed";
const char kCancelled[] = "Printing  Booklet |Printing Side 1|Printing Completed";
const char kDoubleSided[] =
    "Printing  Booklet |Printing Side 1|Printing Double Sided|Printing Double Sided|"
    "Printing Completed";

template <typename T>
std::string Join(const std::vector<T>& items) {
  std::ostringstream out;
  for (std::size_t i = 0; i < items.size(); ++i) out << (i ? "|" : "") << items[i];
  return out.str();
}

int OpenDescriptors() {
  int n = 0;
  if (DIR* d = opendir("/proc/self/fd")) {
    while (readdir(d) != nullptr) ++n;
    closedir(d);
  }
  return n;
}

// A job of `pages` numbered pages; `signatures` other than 0 turns signatures on.
struct Job : PrintJob {
  Job(int pages, int layout, int mode = 2, int signatures = 0) {
    WritePages(NumberedPages(pages), layout);
    p.settings().PrinterMode = static_cast<Integer>(mode);
    p.settings().DoSig = signatures != 0;
    p.print.SigCount = static_cast<Integer>(signatures);
  }
};

// Which page lands where the end-to-end table on "Print to PDF" checks for every mode;
// here the prompt, the status messages, the progress bar and the pages of each job.
TEST(PrintRuns, PromptStatusAndProgressOfEachRun) {
  struct Case {
    const char* name;
    int pages, layout, mode, signatures;
    const char* prompt;  // the paper prompt, answered with `answer`, or none
    Answer answer;
    const char* jobs;    // the pages of each job sent
    const char* status;  // the status messages, joined by '|'
    const char* bar;     // every value the progress bar was set to
  };
  const Case cases[] = {
      {"booklet 8, flipped", 8, kLayoutBooklet, 1, 0, kInsert, Answer::kOk, "2|2", kTwoJobs,
       "50|100|50"},
      {"booklet 8, laser straight through", 8, kLayoutBooklet, 0, 0, kFlip, Answer::kOk, "2|2",
       kTwoJobs, "50|100|50|100"},
      {"booklet 8, ink jet straight through", 8, kLayoutBooklet, 3, 0, kFlip, Answer::kOk, "2|2",
       kTwoJobs, "50|100|50|100"},
      {"booklet 8, duplex: one job", 8, kLayoutBooklet, 2, 0, nullptr, Answer::kOk, "4",
       "Printing  Booklet |Printing Side 1|Printing Duplex|Printing Completed", "50|100"},
      {"booklet 8, cancel at the prompt", 8, kLayoutBooklet, 0, 0, kFlip, Answer::kCancel, "2",
       kCancelled, "50|100"},
      // The second pass's first step reports 0 sheets done, which leaves the bar alone.
      {"booklet 10, flipped", 10, kLayoutBooklet, 1, 0, kInsert, Answer::kOk, "3|3", kTwoJobs,
       "33|66|100|33|66"},
      {"booklet of 1 page: a blank back", 1, kLayoutBooklet, 1, 0, kInsert, Answer::kOk, "1|1",
       kTwoJobs, "100"},
      {"2 signatures of 16 pages, duplex", 16, kLayoutBooklet, 2, 2, nullptr, Answer::kOk, "8",
       kDoubleSided, ""},
      {"2 signatures of 16, ink jet", 16, kLayoutBooklet, 3, 2, kFlip, Answer::kOk, "4|4",
       kTwoJobs, ""},
      {"2 signatures of 16 pages, cancel", 16, kLayoutBooklet, 3, 2, kFlip, Answer::kCancel, "4",
       kCancelled, ""},
      {"negative signatures", 8, kLayoutBooklet, 2, -2, nullptr, Answer::kOk, "", kDoubleSided, ""},
      {"4 up of 6 pages", 6, kLayout4Up, 1, 0, nullptr, Answer::kOk, "2",
       "Printing  4 Up |Printing Completed", "16|33|50|66|83|100"},
      {"2 up of 3 pages", 3, kLayout2Up, 1, 0, nullptr, Answer::kOk, "2",
       "Printing  2 Up |Printing Completed", "33|66|100"},
      {"1 up of 4 pages", 4, kLayout1Up, 1, 0, nullptr, Answer::kOk, "4",
       "Printing  1 Up |Printing Completed", "25|50|75|100"},
      {"empty text", 0, kLayout1Up, 1, 0, nullptr, Answer::kOk, "",
       "Printing  1 Up |Printing Completed", ""},
  };
  for (const Case& c : cases) {
    Job run(c.pages, c.layout, c.mode, c.signatures);
    if (c.prompt) run.t.prompt.Expect(c.prompt, c.answer);
    EXPECT_TRUE(PrintNow(run.p)) << c.name;
    std::vector<int> jobs;
    for (const auto& job : run.t.surface.sent_jobs()) jobs.push_back(job.pages);
    EXPECT_EQ(Join(jobs), c.jobs) << c.name;
    EXPECT_EQ(Join(run.t.status.messages), c.status) << c.name;
    EXPECT_EQ(Join(run.t.status.bar_values), c.bar) << c.name;
    for (const auto& m : run.t.prompt.shown()) EXPECT_EQ(m.buttons, Buttons::kOkCancel) << c.name;
    EXPECT_FALSE(run.t.surface.job_open()) << c.name;
  }
}

TEST(PrintRuns, NUpPutsTheLayoutOnThePrinter) {
  Job run(4, kLayout1Up);
  run.p.settings_state.layouts[kLayout1Up].font_name = "Times New Roman";
  run.p.settings_state.layouts[kLayout1Up].font_size = 9;
  run.t.surface.SetOrientation(kLandscape);
  EXPECT_EQ(PrintNUp(run.p).end, RunEnd::kCompleted);
  EXPECT_EQ(run.t.surface.Orientation(), kPortrait);
  EXPECT_EQ(run.t.surface.FontName(), "Times New Roman");
  EXPECT_EQ(run.t.surface.FontSize(), 9);
  EXPECT_EQ(run.t.surface.scale_mode(), 1);
}

// Duplex 3 is set before the first drawing and the old value comes back after EndDoc.
TEST(PrintRuns, TwoSidedJobsUseDuplexThreeAndPutTheOldValueBack) {
  for (int signatures : {0, 1}) {
    Job run(8, kLayoutBooklet, 2, signatures);
    run.t.surface.SetDuplex(kDuplexLongEdge);
    run.t.surface.ClearLog();
    EXPECT_TRUE(PrintNow(run.p));
    std::vector<std::string> sequence;
    for (const auto& c : run.t.surface.calls()) {
      if (c.op == "set Duplex") sequence.push_back("duplex " + std::to_string(int(c.value)));
      if (c.op == "Print" && sequence.back() != "print") sequence.push_back("print");
      if (c.op == "EndDoc") sequence.push_back("end");
    }
    EXPECT_EQ(Join(sequence), "duplex 3|print|end|duplex 2") << signatures << " signatures";
  }
}

TEST(PrintRuns, RefusedOrImpossibleSettingsEndTheRunWithTheirMessage) {
  // A printer that prints one side only refuses duplex 3 (failure 380).
  for (int signatures : {0, 1}) {
    Job run(8, kLayoutBooklet, 2, signatures);
    run.t.surface.printer().two_sided = 0;
    run.t.prompt.Expect(kUnsupported);
    EXPECT_TRUE(PrintNow(run.p));
    EXPECT_EQ(run.t.surface.jobs_started(), 0);
    EXPECT_EQ(run.t.surface.Duplex(), kDuplexSimplex);
    EXPECT_EQ(run.t.status.messages.back(),
              signatures ? "Printing Double Sided" : "Printing Duplex");
  }
  Job zero(8, kLayoutBooklet, 2, 0);
  zero.t.prompt.Expect("Division by zero");
  EXPECT_EQ(PrintSignatures(zero.p).end, RunEnd::kFailed);
  EXPECT_EQ(zero.Transcript(), "");
  EXPECT_EQ(Join(zero.t.status.messages), "Printing  Booklet |Printing Side 1");
}

TEST(PrintRuns, FailedDuplexJobIsDroppedAndTheDuplexValuePutBack) {
  Job run(8, kLayoutBooklet, 2);
  run.t.surface.SetDuplex(kDuplexLongEdge);
  // The third printed line fails: page 7, the back of the first sheet.
  run.t.surface.FailOnCall("Print", 3, {kPrinterError, "Printer error"});
  run.t.prompt.Expect("Printer error");
  EXPECT_EQ(PrintBooklet(run.p).end, RunEnd::kFailed);
  EXPECT_EQ(run.Transcript(), "job 1: 2:1 1:8, blank aborted\n");
  EXPECT_EQ(run.t.surface.Duplex(), kDuplexLongEdge);
  EXPECT_EQ(run.t.status.messages.back(), "Printing Duplex");

  // The next run gets a job of its own, not the rest of the failed one.
  run.t.surface.ClearLog();
  EXPECT_EQ(PrintBooklet(run.p).end, RunEnd::kCompleted);
  EXPECT_EQ(run.Transcript(), "job 2: 2:1 1:8, 2:7 1:2, 2:3 1:6, 2:5 1:4\n");
}

TEST(PrintRuns, FailedNUpRunSaysSoDropsItsJobAndClosesTheLineFile) {
  Job run(4, kLayout1Up);
  const int before = OpenDescriptors();
  run.t.surface.FailOnCall("NewPage", 2, {kPrinterError, "Printer error"});
  run.t.prompt.Expect("Printer error");
  EXPECT_EQ(PrintNUp(run.p).end, RunEnd::kFailed);
  EXPECT_EQ(OpenDescriptors(), before);
  EXPECT_EQ(run.Transcript(), "job 1: 1:1, 1:2 aborted\n");
  EXPECT_EQ(Join(run.t.status.messages), "Printing  1 Up ");
  EXPECT_FALSE(run.t.surface.job_open());
}

// A booklet run that cannot open its line file leaves the failure to Print Now, which
// reports it twice and keeps the window open; the n-up run shows it itself.
TEST(PrintRuns, MissingLineFile) {
  Job booklet(8, kLayoutBooklet, 1);
  booklet.p.prep.LineFilePath = booklet.dir.File("gone.tmp");
  booklet.t.prompt.Expect("Error: File not found");
  booklet.t.prompt.Expect("error File not found");
  EXPECT_FALSE(PrintNow(booklet.p));
  EXPECT_EQ(booklet.t.surface.jobs_started(), 0);
  EXPECT_EQ(Join(booklet.t.status.messages), "Printing  Booklet ");

  Job one_up(2, kLayout1Up);
  one_up.p.prep.LineFilePath = one_up.dir.File("gone.tmp");
  one_up.t.prompt.Expect("File not found");
  EXPECT_TRUE(PrintNow(one_up.p));
}

}  // namespace
}  // namespace quireon2::testing
