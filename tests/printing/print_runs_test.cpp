// Drawing a page into its cell and the print runs, on the recording surface: the lines,
// header, footer and outline of a page; the prompt between the passes, duplex, status,
// progress, failures and how each run ends; and the sheet preview of each run, which must
// show every side as the run feeds and draws it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "printing/page_render.h"
#include "printing/print_runs.h"
#include "printing/sheet_preview.h"
#include "support/gtest_support.h"
#include "textprep/sheet_count.h"

namespace quireon2::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> NumberedPages(int n) {
  std::vector<std::string> pages;
  for (int i = 1; i <= n; ++i) pages.push_back(std::to_string(i) + "\r\n");
  return pages;
}

// A prepared job of `pages` (each page's bytes as the line file holds them) on letter paper
// with 720-twip borders, 1440-twip gutters, 200-twip lines and the date 03-14-2024:
//   1 up     cell (720, 720) 10800 x 14400
//   2 up and booklet (landscape) cells x 720 and 8640, y 720, 6480 x 10800
//   4 up     cells x 720 / 6840, y 720 / 8640, 4680 x 6480
// `signatures` other than 0 turns signatures on. Fails the test on a message the script did
// not expect.
struct Job {
  Job(const std::vector<std::string>& pages, int layout, int mode = 1, int signatures = 0) {
    // Font size, line height, cell count, cell origins x and y, orientation, cell height
    // and width, font name.
    auto& l = p.settings_state.layouts;
    const char* font = "Courier New";
    l[kLayout1Up] = {10, 200, 1, {0, 720}, {0, 720}, kPortrait, 14400, 10800, font};
    l[kLayout2Up] = {10, 200, 2, {0, 720, 8640}, {0, 720, 720}, kLandscape, 10800, 6480, font};
    l[kLayout4Up] = {10, 200, 4, {0, 720, 6840, 720, 6840}, {0, 720, 720, 8640, 8640},
                     kPortrait, 6480, 4680, font};
    l[kLayoutBooklet] = l[kLayout2Up];
    p.settings_state.today = "03-14-2024";
    std::ofstream out(p.prep.LineFilePath = dir.File("QRNtest.tmp"), std::ios::binary);
    p.prep.PageStart.assign(pages.size() + 2, 0);
    for (std::size_t i = 0; i < pages.size(); ++i) {
      p.prep.PageStart[i + 1] = 1 + static_cast<Long>(out.tellp());
      out << pages[i];
    }
    p.prep.PageStart.back() = 1 + static_cast<Long>(out.tellp());
    p.prep.TotalPages = static_cast<Long>(pages.size());
    p.prep.SheetCount = static_cast<Integer>(CountSheets(layout, p.prep.TotalPages));
    p.prep.PrintOrientation = l[layout].orientation;
    p.settings().Layout = static_cast<Integer>(layout);
    p.settings().PrinterMode = static_cast<Integer>(mode);
    p.settings().DoSig = signatures != 0;
    p.print.SigCount = static_cast<Integer>(signatures);
  }
  ~Job() { EXPECT_EQ(t.prompt.Problems(), ""); }

  ScratchDir dir;
  TestProgram t;
  Program& p = t.program;
};

// A text, line or box call in short ('"text" x,y', 'line x,y x2,y2', 'box x,y x2,y2 wW' and
// a colour named only when it is not black), each ending in "; "; nothing for another call.
std::string Drawing(const SurfaceCall& c) {
  std::ostringstream out;
  if (c.op == "Print") out << '"' << c.text << "\" " << c.x << ',' << c.y << "; ";
  if (c.op != "Line" && c.op != "Box") return out.str();
  out << (c.op == "Box" ? "box " : "line ") << c.x << ',' << c.y << ' ' << c.x2 << ',' << c.y2;
  if (c.op == "Box") out << " w" << c.value;
  if (!(c.colour == Rgb{})) {
    out << " colour " << +c.colour.red << ',' << +c.colour.green << ',' << +c.colour.blue;
  }
  return out.str() + "; ";
}

// Page `page` drawn into `cell`: its drawing calls in short.
std::string Render(Job& job, int cell, long page) {
  LineFileReader file(job.p.prep.LineFilePath);
  job.t.surface.ClearLog();
  job.p.print.CellIndex = static_cast<Integer>(cell);
  RenderPage(job.p, file, page);
  std::string drawn;
  for (const SurfaceCall& c : job.t.surface.calls()) drawn += Drawing(c);
  return drawn;
}

// The lines of a page and its header, footer and outline. "Page 2" is 600 twips wide, the
// date 1000 and "book.txt" 800.
TEST(RenderTest, LinesHeaderFooterAndOutline) {
  using F = Integer Settings::*;
  struct Case { std::vector<F> flags; Integer do_path; std::vector<std::string> pages; int layout;
                int cell; long page; const char* drawn; };
  const std::vector<F> all = {&Settings::DoBox,     &Settings::HPgNumber, &Settings::HFileTitle,
                              &Settings::DoHeader,  &Settings::FPgNumber, &Settings::DoFooter};
  const std::vector<F> head = {&Settings::HPgNumber, &Settings::HCurDate, &Settings::DoHeader};
  const Case cases[] = {
      // The lines start at the cell's origin. CR LF and a lone LF end a line, so does
      // character 26 (with a CR LF after it, an empty one); a lone CR is an ordinary
      // character; a break at the end starts no further line and a form feed ends the text.
      {{}, 1, {"one\ntwo\r\n\r\na\rb\x1a" "c\x1a\r\nd\r\n\fgone\r\n", "next\r\n"}, kLayout2Up, 2, 1,
       "\"one\" 8640,720; \"two\" 8640,920; \"a\rb\" 8640,1320; \"c\" 8640,1520; "
       "\"d\" 8640,1920; "},
      // A page beyond the text leaves the cell blank.
      {all, 1, NumberedPages(10), kLayoutBooklet, 1, 11, ""},
      // A page of a form feed alone has no text but still gets its outline, header and
      // footer; with the outline the footer has no rule and stays on the cell's last line.
      {all, 1, {"1\r\n\f", "\f", "3\r\n"}, kLayoutBooklet, 1, 2,
       "box 450,450 7470,11790 w1; \"book.txt\" 3560,720; \"Page 2\" 720,720; "
       "line 720,920 7200,920; \"Page 2\" 720,11320; "},
      // Booklet page 2 (left cell): label on the outer (left) edge, date on the inner edge.
      {head, 1, NumberedPages(4), kLayoutBooklet, 1, 2,
       "\"Page 2\" 720,720; \"03-14-2024\" 6200,720; line 720,920 7200,920; \"2\" 720,1120; "},
      // Booklet page 3 (right cell): date at the left, label right-aligned.
      {head, 1, NumberedPages(4), kLayoutBooklet, 2, 3,
       "\"Page 3\" 14520,720; \"03-14-2024\" 8640,720; line 8640,920 15120,920; \"3\" 8640,1120; "},
      // In 2 up the label is always right and the date always left.
      {head, 1, NumberedPages(4), kLayout2Up, 2, 2,
       "\"Page 2\" 14520,720; \"03-14-2024\" 8640,720; line 8640,920 15120,920; \"2\" 8640,1120; "},
      // A 1-up footer without outline: the rule at 720 + 14400 - 200, the texts half a line
      // lower; without DoPath the whole path (2400) centred, "Page 12" (700) right-aligned.
      {{&Settings::FPgNumber, &Settings::FFileTitle, &Settings::DoFooter}, 0, NumberedPages(12),
       kLayout1Up, 1, 12,
       "\"12\" 720,720; line 720,14920 11520,14920; \"/home/ann/notes/book.txt\" 4920,15020; "
       "\"Page 12\" 10820,15020; "},
  };
  for (const Case& c : cases) {
    Job job(c.pages, c.layout);
    job.p.settings().TextFile = "/home/ann/notes/book.txt";
    job.p.settings().DoPath = c.do_path;
    for (F flag : c.flags) job.p.settings().*flag = 1;
    EXPECT_EQ(Render(job, c.cell, c.page), c.drawn)
        << "layout " << c.layout << " cell " << c.cell << " page " << c.page;
    if (!c.flags.empty()) continue;
    // One round of window events per line drawn, empty ones too; a cell no layout has is
    // "Subscript out of range".
    EXPECT_EQ(job.t.status.events, 7);
    for (int cell : {0, 5}) EXPECT_THROW(Render(job, cell, c.page), RuntimeError) << cell;
  }
  // An outline weight below 1 draws 1; a colour outside the palette draws black.
  struct Outline { int weight; long colour; const char* drawn; };
  for (const Outline& c : {Outline{3, 4, "w3 colour 128,0,0"}, Outline{0, 16, "w1"},
                           Outline{1, 15, "w1 colour 255,255,255"}, Outline{-2, -1, "w1"}}) {
    Job job({"\f"}, kLayout2Up);
    job.p.settings().DoBox = 1, job.p.settings().Lineweight = static_cast<Integer>(c.weight);
    job.p.settings().Linecolor = c.colour;
    EXPECT_EQ(Render(job, 1, 1), "box 450,450 7470,11790 " + std::string(c.drawn) + "; ");
  }
}

const char kFlip[] =
    "Flip paper over and insert back in tray\r\nwhen printer stops\r\nand then press Enter";
const char kInsert[] = "Insert paper back in tray\r\nwhen printer stops\r\nand then press Enter";
// Status messages of the booklet runs, joined by '|'.
const char kTwoJobs[] = "Printing  Booklet |Printing Side 1|Printing Side 2|Printing Completed";
const char kCancelled[] = "Printing  Booklet |Printing Side 1|Printing Completed";

template <typename T>
std::string Join(const std::vector<T>& items) {
  std::ostringstream out;
  for (std::size_t i = 0; i < items.size(); ++i) out << (i ? "|" : "") << items[i];
  return out.str();
}

// The drawing of every side the preview plans, in the order the print run feeds them: in
// one pass the sheets go through front then back; in two, all fronts first.
std::vector<std::string> PreviewedSides(Job& run) {
  std::map<std::pair<int, long>, std::string> fed;  // (pass, place in it) -> drawing
  std::size_t picture = 0;  // each printed side is a picture of its own
  for (long sheet = 1; sheet <= PreviewSheetCount(run.p); ++sheet) {
    const SheetPlan plan = PlanSheet(run.p, sheet);
    EXPECT_FALSE(DrawSheet(run.p, sheet, 96).failure) << sheet;
    for (int side = 0; side < 2; ++side) {
      const SidePlan& s = plan.sides[side];
      if (!s.printed) continue;
      const bool one_pass = s.pass == 0;
      std::string& drawing = fed[{one_pass ? 1 : s.pass, one_pass ? 2 * s.fed + side : s.fed}];
      for (const SurfaceCall& c : run.t.surface.pictures().at(picture++)) drawing += Drawing(c);
    }
  }
  std::vector<std::string> sides;
  for (const auto& [place, drawing] : fed) sides.push_back(drawing);
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

// One line per job the printer received: "job J: SIDE, SIDE, ..." where a side lists the
// texts in the order drawn, or "blank"; a dropped job ends with " aborted".
std::string Transcript(const Job& run) {
  std::string out, job, side;
  for (const SurfaceCall& c : run.t.surface.calls()) {
    if (c.op == "Print") side += (side.empty() ? "" : " ") + c.text;
    if (c.op != "NewPage" && c.op != "EndDoc" && c.op != "AbortDoc") continue;
    job += (job.empty() ? "" : ", ") + (side.empty() ? "blank" : side);
    side.clear();
    if (c.op == "NewPage") continue;
    out += "job " + std::to_string(c.job) + ": " + job + (c.op == "AbortDoc" ? " aborted\n" : "\n");
    job.clear();
  }
  return out + (job.empty() && side.empty() ? "" : "undelivered: " + job + side + "\n");
}

// Which page lands where the end-to-end table on "Print to PDF" checks for every mode;
// here the outcome, the prompt, the status messages, the progress bar, each job's pages,
// duplex (3 from the first drawing to the end of a two-sided job, then the old value), and
// the preview made first, which must leave nothing behind that changes the run.
TEST(PrintRuns, PromptStatusAndProgressOfEachRun) {
  // The paper prompt, answered with `answer`, or none; the pages of each job sent; the
  // status messages, joined by '|'; every value the progress bar was set to.
  struct Case { const char* name; int pages, layout, mode, signatures; const char* prompt;
                Answer answer; const char* jobs; const char* status; const char* bar; };
  const Answer ok = Answer::kOk;
  const int booklet = kLayoutBooklet;
  const Case cases[] = {
      {"booklet 8, flipped", 8, booklet, 1, 0, kInsert, ok, "2|2", kTwoJobs, "50|100|50"},
      {"booklet 8, laser straight", 8, booklet, 0, 0, kFlip, ok, "2|2", kTwoJobs, "50|100|50|100"},
      {"booklet 8, duplex: one job", 8, booklet, 2, 0, nullptr, ok, "4",
       "Printing  Booklet |Printing Side 1|Printing Duplex|Printing Completed", "50|100"},
      {"booklet 8, ink jet", 8, booklet, 3, 0, kFlip, ok, "2|2", kTwoJobs, "50|100|50|100"},
      {"booklet 8, cancel", 8, booklet, 0, 0, kFlip, Answer::kCancel, "2", kCancelled, "50|100"},
      // The second pass's first step reports 0 sheets done, which leaves the bar alone.
      {"booklet 10, flipped", 10, booklet, 1, 0, kInsert, ok, "3|3", kTwoJobs, "33|66|100|33|66"},
      {"booklet of 1 page: a blank back", 1, booklet, 1, 0, kInsert, ok, "1|1", kTwoJobs, "100"},
      {"2 signatures of 16, duplex", 16, booklet, 2, 2, nullptr, ok, "8",
       "Printing  Booklet |Printing Side 1|Printing Double Sided|Printing Double Sided|"
       "Printing Completed", ""},
      // 20 pages need 5 sheets: 2 signatures of 3, the last partly blank.
      {"2 signatures of 20, flipped", 20, booklet, 1, 2, kInsert, ok, "6|6", kTwoJobs, ""},
      {"2 signatures of 20, ink jet", 20, booklet, 3, 2, kFlip, ok, "6|6", kTwoJobs, ""},
      {"2 signatures, cancel", 16, booklet, 3, 2, kFlip, Answer::kCancel, "4", kCancelled, ""},
      {"4 up of 6 pages", 6, kLayout4Up, 1, 0, nullptr, ok, "2",
       "Printing  4 Up |Printing Completed", "16|33|50|66|83|100"},
      {"2 up of 3 pages", 3, kLayout2Up, 1, 0, nullptr, ok, "2",
       "Printing  2 Up |Printing Completed", "33|66|100"},
      {"1 up of 4 pages", 4, kLayout1Up, 1, 0, nullptr, ok, "4",
       "Printing  1 Up |Printing Completed", "25|50|75|100"},
      {"empty", 0, kLayout1Up, 1, 0, nullptr, ok, "", "Printing  1 Up |Printing Completed", ""},
  };
  for (const Case& c : cases) {
    Job run(NumberedPages(c.pages), c.layout, c.mode, c.signatures);
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
  const RuntimeFailure error{kPrinterError, "Printer error"};
  const Case cases[] = {
      {8, kLayoutBooklet, 2, 0, kOneSided, printer, kInvalidPropertyValue, {unsupported}, "",
       "Printing  Booklet |Printing Side 1|Printing Duplex", nullptr},
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
  };
  for (const Case& c : cases) {
    const std::string name = std::to_string(c.fault) + " in layout " + std::to_string(c.layout);
    Job run(NumberedPages(c.pages), c.layout, c.mode, c.signatures);
    if (c.fault == kOneSided) run.t.surface.printer().two_sided = 0;
    if (c.fault != kOneSided) run.t.surface.SetDuplex(kDuplexLongEdge);
    if (c.fault == kFailThirdLine) run.t.surface.FailOnCall("Print", 3, error);
    if (c.fault == kFailSecondPage) run.t.surface.FailOnCall("NewPage", 2, error);
    if (c.fault == kZeroSignatures) run.p.settings().DoSig = 1;
    const std::string line_file = run.p.prep.LineFilePath;
    if (c.fault == kNoLineFile) run.p.prep.LineFilePath = run.dir.File("gone.tmp");
    for (const std::string& message : c.messages) run.t.prompt.Expect(message);
    const int duplex = run.t.surface.Duplex();
    const auto descriptors = std::distance(fs::directory_iterator("/proc/self/fd"), {});

    const Outcome outcome = PrintNow(run.p);
    EXPECT_EQ(outcome.kind, c.kind) << name;
    EXPECT_EQ(outcome.failure ? outcome.failure->number : 0, c.number) << name;
    EXPECT_EQ(Transcript(run), c.transcript) << name;
    EXPECT_EQ(Join(run.t.status.messages), c.status) << name;
    EXPECT_EQ(run.t.surface.Duplex(), duplex) << name;
    EXPECT_EQ(std::distance(fs::directory_iterator("/proc/self/fd"), {}), descriptors) << name;
    EXPECT_FALSE(run.t.surface.job_open()) << name;
    if (c.retry) {
      run.t.surface.ClearLog();
      run.p.prep.LineFilePath = line_file;
      EXPECT_TRUE(PrintNow(run.p)) << name;
      EXPECT_EQ(Transcript(run), c.retry) << name;
    }
  }
}

}  // namespace
}  // namespace quireon2::testing
