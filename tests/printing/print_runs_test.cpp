// The print runs on the recording surface: the prompt between the passes, duplex, status,
// progress, failures and how each run ends; and the sheet preview of each run, which must
// show every side as the run feeds and draws it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "print_fixture.h"
#include "printing/print_runs.h"
#include "printing/sheet_preview.h"

namespace quireon2::testing {
namespace {

const char kFlip[] =
    "Flip paper over and insert back in tray\r\nwhen printer stops\r\nand then press Enter";
const char kInsert[] = "Insert paper back in tray\r\nwhen printer stops\r\nand then press Enter";
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
  return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
}

// A job of `pages` numbered pages; `signatures` other than 0 turns signatures on.
struct Job : PrintJob {
  Job(int pages, int layout, int mode, int signatures = 0) {
    WritePages(NumberedPages(pages), layout);
    p.settings().PrinterMode = static_cast<Integer>(mode);
    p.settings().DoSig = signatures != 0;
    p.print.SigCount = static_cast<Integer>(signatures);
  }
};

// The drawing of every side the preview plans, in the order the print run feeds them: in
// one pass the sheets go through front then back; in two, all fronts first.
std::vector<std::string> PreviewedSides(Job& run) {
  struct Fed { int pass; long fed; std::string drawing; };
  std::vector<Fed> fed;
  for (long sheet = 1; sheet <= PreviewSheetCount(run.p); ++sheet) {
    const SheetPlan plan = PlanSheet(run.p, sheet);
    EXPECT_FALSE(DrawSheet(run.p, sheet, 96).failure) << sheet;
    for (int side = 0; side < 2; ++side) {
      const SidePlan& s = plan.sides[side];
      if (!s.printed) continue;
      std::string drawing;  // each printed side is a picture of its own
      for (const SurfaceCall& c : run.t.surface.pictures().at(fed.size())) drawing += Drawing(c);
      fed.push_back({s.pass == 0 ? 1 : s.pass, s.pass == 0 ? 2 * s.fed + side : s.fed, drawing});
    }
  }
  std::stable_sort(fed.begin(), fed.end(), [](const Fed& a, const Fed& b) {
    return a.pass != b.pass ? a.pass < b.pass : a.fed < b.fed;
  });
  std::vector<std::string> sides;
  for (const Fed& side : fed) sides.push_back(side.drawing);
  return sides;
}

// The drawing of every side the printer received.
std::vector<std::string> PrintedSides(const Job& run) {
  std::vector<std::string> sides(1);
  for (const SurfaceCall& c : run.t.surface.calls()) {
    if (c.op == "NewPage" || c.op == "EndDoc") {
      sides.emplace_back();
    } else {
      sides.back() += Drawing(c);
    }
  }
  sides.pop_back();  // after the last page end
  return sides;
}

// Which page lands where the end-to-end table on "Print to PDF" checks for every mode;
// here the outcome, the prompt, the status messages, the progress bar, each job's pages,
// duplex (3 from the first drawing to the end of a two-sided job, then the old value), and
// the preview made first, which must leave nothing behind that changes the run.
TEST(PrintRuns, PromptStatusAndProgressOfEachRun) {
  // The paper prompt, answered with `answer`, or none; the pages of each job sent; the
  // status messages, joined by '|'; every value the progress bar was set to.
  struct Case { const char* name; int pages, layout, mode, signatures; const char* prompt; Answer answer;
                const char* jobs; const char* status; const char* bar; };
  const Answer ok = Answer::kOk;
  const int booklet = kLayoutBooklet;
  const Case cases[] = {
      {"booklet 8, flipped", 8, booklet, 1, 0, kInsert, ok, "2|2", kTwoJobs, "50|100|50"},
      {"booklet 8, laser straight", 8, booklet, 0, 0, kFlip, ok, "2|2", kTwoJobs, "50|100|50|100"},
      {"booklet 8, ink jet", 8, booklet, 3, 0, kFlip, ok, "2|2", kTwoJobs, "50|100|50|100"},
      {"booklet 8, duplex: one job", 8, booklet, 2, 0, nullptr, ok, "4",
       "Printing  Booklet |Printing Side 1|Printing Duplex|Printing Completed", "50|100"},
      {"booklet 8, cancel", 8, booklet, 0, 0, kFlip, Answer::kCancel, "2", kCancelled, "50|100"},
      // The second pass's first step reports 0 sheets done, which leaves the bar alone.
      {"booklet 10, flipped", 10, booklet, 1, 0, kInsert, ok, "3|3", kTwoJobs, "33|66|100|33|66"},
      {"booklet of 1 page: a blank back", 1, booklet, 1, 0, kInsert, ok, "1|1", kTwoJobs, "100"},
      {"2 signatures of 16, duplex", 16, booklet, 2, 2, nullptr, ok, "8", kDoubleSided, ""},
      // 20 pages need 5 sheets: 2 signatures of 3, the last partly blank.
      {"2 signatures of 20, laser straight", 20, booklet, 0, 2, kFlip, ok, "6|6", kTwoJobs, ""},
      {"2 signatures of 20, flipped", 20, booklet, 1, 2, kInsert, ok, "6|6", kTwoJobs, ""},
      {"2 signatures of 20, ink jet", 20, booklet, 3, 2, kFlip, ok, "6|6", kTwoJobs, ""},
      {"2 signatures of 16, cancel", 16, booklet, 3, 2, kFlip, Answer::kCancel, "4", kCancelled, ""},
      {"4 up of 6 pages", 6, kLayout4Up, 1, 0, nullptr, ok, "2",
       "Printing  4 Up |Printing Completed", "16|33|50|66|83|100"},
      {"2 up of 3 pages", 3, kLayout2Up, 1, 0, nullptr, ok, "2", "Printing  2 Up |Printing Completed",
       "33|66|100"},
      {"1 up of 4 pages", 4, kLayout1Up, 1, 0, nullptr, ok, "4", "Printing  1 Up |Printing Completed",
       "25|50|75|100"},
      {"empty text", 0, kLayout1Up, 1, 0, nullptr, ok, "", "Printing  1 Up |Printing Completed", ""},
  };
  for (const Case& c : cases) {
    Job run(c.pages, c.layout, c.mode, c.signatures);
    Settings& s = run.p.settings();
    s.DoBox = s.DoHeader = s.HPgNumber = s.DoFooter = s.FCurDate = 1;
    run.t.surface.SetDuplex(kDuplexLongEdge);
    const std::vector<std::string> previewed = PreviewedSides(run);
    EXPECT_EQ(run.t.surface.jobs_started(), 0) << c.name;
    if (c.prompt) run.t.prompt.Expect(c.prompt, c.answer);
    run.t.surface.ClearLog();
    const Outcome outcome = PrintNow(run.p);
    EXPECT_EQ(outcome.kind, c.answer == ok ? OutcomeKind::kSucceeded : OutcomeKind::kCancelled)
        << c.name;
    EXPECT_FALSE(outcome.failure) << c.name;
    std::vector<int> jobs;
    for (const auto& job : run.t.surface.sent_jobs()) jobs.push_back(job.pages);
    EXPECT_EQ(Join(jobs), c.jobs) << c.name;
    EXPECT_EQ(Join(run.t.status.messages), c.status) << c.name;
    EXPECT_EQ(Join(run.t.status.bar_values), c.bar) << c.name;
    EXPECT_FALSE(run.t.surface.job_open()) << c.name;
    std::set<int> duplex;  // in effect at every drawing and job end
    int current = kDuplexLongEdge;
    for (const auto& call : run.t.surface.calls()) {
      if (call.op == "set Duplex") current = static_cast<int>(call.value);
      if (call.op == "Print" || call.op == "EndDoc") duplex.insert(current);
    }
    EXPECT_EQ(Join(std::vector<int>(duplex.begin(), duplex.end())),
              jobs.empty() ? "" : c.mode == 2 ? "3" : "2") << c.name;
    EXPECT_EQ(run.t.surface.Duplex(), kDuplexLongEdge) << c.name;
    if (outcome.kind == OutcomeKind::kSucceeded) {
      EXPECT_EQ(previewed, PrintedSides(run)) << c.name;
    }
  }
}

// Every way a run fails: its outcome and failure, the messages shown, what reached the
// printer (a failed job is dropped, never ended as printed), the status it stopped at, the
// old duplex value back and the line file closed. A run after a failed one starts a job
// of its own.
TEST(PrintRuns, FailuresEndTheRunWithTheirOutcomeAndMessages) {
  enum Fault { kOneSided, kFailThirdLine, kFailSecondPage, kNoLineFile, kZeroSignatures,
               kNegativeSignatures };
  // The last: the transcript of the next run, or none.
  struct Case { int pages, layout, mode, signatures; Fault fault; OutcomeKind kind; int number;
                std::vector<std::string> messages; const char* transcript, *status, *retry; };
  const std::string unsupported = "Your printer does not support\r\na feature Quireon II needs";
  const OutcomeKind printer = OutcomeKind::kPrinterFailed;
  const Case cases[] = {
      {8, kLayoutBooklet, 2, 0, kOneSided, printer, kInvalidPropertyValue, {unsupported}, "",
       "Printing  Booklet |Printing Side 1|Printing Duplex", nullptr},
      {8, kLayoutBooklet, 2, 1, kOneSided, printer, kInvalidPropertyValue, {unsupported}, "",
       "Printing  Booklet |Printing Side 1|Printing Double Sided", nullptr},
      // The third printed line is page 7, the back of the first sheet.
      {8, kLayoutBooklet, 2, 0, kFailThirdLine, printer, kPrinterError, {"Printer error"},
       "job 1: 1 8, blank aborted\n", "Printing  Booklet |Printing Side 1|Printing Duplex",
       "job 2: 1 8, 7 2, 3 6, 5 4\n"},
      {4, kLayout1Up, 1, 0, kFailSecondPage, printer, kPrinterError, {"Printer error"},
       "job 1: 1, 2 aborted\n", "Printing  1 Up ", "job 2: 1, 2, 3, 4\n"},
      {8, kLayoutBooklet, 2, 0, kZeroSignatures, printer, kDivisionByZero, {"Division by zero"},
       "", "Printing  Booklet |Printing Side 1", nullptr},
      // Printing no signature at all would be reported complete.
      {8, kLayoutBooklet, 2, -2, kNegativeSignatures, printer, kInvalidProcedureCall,
       {"Signatures per book must be 1 or more, not -2."}, "", "Printing  Booklet |Printing Side 1",
       nullptr},
      // A booklet that cannot open its line file opens no job and says so twice.
      {8, kLayoutBooklet, 1, 0, kNoLineFile, OutcomeKind::kSourceFailed, kFileNotFound,
       {"Error: File not found", "error File not found"}, "", "Printing  Booklet ", nullptr},
      {2, kLayout1Up, 1, 0, kNoLineFile, printer, kFileNotFound, {"File not found"}, "",
       "Printing  1 Up ", nullptr},
  };
  for (const Case& c : cases) {
    const std::string name = std::to_string(c.fault) + " in layout " + std::to_string(c.layout);
    Job run(c.pages, c.layout, c.mode, c.signatures);
    if (c.fault == kOneSided) run.t.surface.printer().two_sided = 0;
    if (c.fault != kOneSided) run.t.surface.SetDuplex(kDuplexLongEdge);
    if (c.fault == kFailThirdLine) run.t.surface.FailOnCall("Print", 3, {kPrinterError, "Printer error"});
    if (c.fault == kFailSecondPage) run.t.surface.FailOnCall("NewPage", 2, {kPrinterError, "Printer error"});
    if (c.fault == kZeroSignatures) run.p.settings().DoSig = 1;
    const std::string line_file = run.p.prep.LineFilePath;
    if (c.fault == kNoLineFile) run.p.prep.LineFilePath = run.dir.File("gone.tmp");
    for (const std::string& message : c.messages) run.t.prompt.Expect(message);
    const int duplex = run.t.surface.Duplex();
    const int descriptors = OpenDescriptors();

    const Outcome outcome = PrintNow(run.p);
    EXPECT_EQ(outcome.kind, c.kind) << name;
    EXPECT_EQ(outcome.failure ? outcome.failure->number : 0, c.number) << name;
    EXPECT_EQ(run.Transcript(), c.transcript) << name;
    EXPECT_EQ(Join(run.t.status.messages), c.status) << name;
    EXPECT_EQ(run.t.surface.Duplex(), duplex) << name;
    EXPECT_EQ(OpenDescriptors(), descriptors) << name;
    EXPECT_FALSE(run.t.surface.job_open()) << name;
    if (c.retry) {
      run.t.surface.ClearLog();
      run.p.prep.LineFilePath = line_file;
      EXPECT_TRUE(PrintNow(run.p)) << name;
      EXPECT_EQ(run.Transcript(), c.retry) << name;
    }
  }
}

}  // namespace
}  // namespace quireon2::testing
