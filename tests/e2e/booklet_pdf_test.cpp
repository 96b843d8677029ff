// End to end on the real "Print to PDF" printer: the preparation and the print runs write
// PDF files, and pdftotext's word boxes show where every page landed on every sheet side
// of every job.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/cups_surface.h"
#include "platform/surface_test_tools.h"
#include "printing/print_runs.h"
#include "support/gtest_support.h"
#include "textprep/layout_metrics.h"
#include "textprep/prep_run.h"

namespace quireon2::testing {
namespace {

// A side as the words in each of its cells (a booklet's two halves), "" in a blank one.
using Side = std::vector<std::string>;
using Job = std::vector<Side>;

// What the jobs must hold for a text of marker pages ("M1", "M2", ...): the sheets as they
// lie in the bound stack, `signatures` (at least one) folded gatherings of equally many
// sheets, one after the other. Folded, a gathering of k sheets is 2k leaves; leaf i (from
// 0) carries pages 2i + 1 on its front and 2i + 2 on its back, and its sheet s (from 0, the
// outermost first) makes leaves s and 2k - 1 - s. A two-sided printer takes each sheet's
// outside then its inside in one job. Otherwise job 1 holds the outsides in stack order and
// job 2 the insides of the stack put back: flipped it comes back last sheet first, and so
// does a stack of signatures from the ink jet.
std::vector<Job> ExpectedJobs(int pages, int mode, int signatures) {
  const int gatherings = std::max(signatures, 1);
  const int per_gathering = ((pages + 3) / 4 + gatherings - 1) / gatherings;
  const auto page = [pages](int n) { return n <= pages ? "M" + std::to_string(n) : ""; };
  Job outsides, insides, both;
  for (int sheet = 0; sheet < per_gathering * gatherings; ++sheet) {
    const int before = 4 * per_gathering * (sheet / per_gathering), s = sheet % per_gathering;
    const int early = before + 2 * s, late = before + 2 * (2 * per_gathering - 1 - s);
    // Opened flat, the outside shows the late leaf's back, then the early leaf's front;
    // the inside the early leaf's back, then the late leaf's front.
    outsides.push_back({page(late + 2), page(early + 1)});
    insides.push_back({page(early + 2), page(late + 1)});
    both.insert(both.end(), {outsides.back(), insides.back()});
  }
  if (mode == 2) return {both};
  if (mode == 1 || (mode == 3 && signatures != 0)) std::reverse(insides.begin(), insides.end());
  return {outsides, insides};
}

using PrintToPdf = ProgramTest;

// Every page count from 1 to 40 (sheets with one to four pages, blank halves and blank
// sheets), prepared as a booklet as the main window would, printed as one booklet and in 1
// to 5 signatures in every paper-feed mode, going on at the prompt between the passes: each
// job has one side per sheet, or two in the one two-sided job, and each page is on its side
// and half. And 1 to 9 pages in 1, 2 and 4 up: one job of as many sides as the sheets
// counted, each page in its cell in reading order. A word is in the cell its middle is in.
TEST_F(PrintToPdf, PagesLandInFoldOrderOrReadingOrderInEveryPaperFeedMode) {
  ScratchDir dir;
  CupsSurface surface;
  surface.SelectPrinter(surface.Printers().size() - 1);  // "Print to PDF" comes last
  p.io.surface = &surface;
  const auto prepare = [&](int pages, int layout) {
    t.window.SetText(TextBox::kText1, dir.Write("book.txt", MarkerPages(pages)));
    t.window.SelectLayoutOption(layout == kLayoutBooklet ? kLayout2Up : layout);
    t.window.SetCheckValue(CheckBox::kDoBooklet, layout == kLayoutBooklet);
    p.settings().Layout = static_cast<Integer>(layout);
    ComputeLayoutMetrics(p, p.settings_state.layouts[layout].font_size);
    return PrePrint1(p);
  };
  // Prints into RUN.pdf, RUN-2.pdf, ...: each job's sides as the words in each of their
  // `columns` x `rows` cells, numbered by rows.
  const auto print = [&](const std::string& run, int columns, int rows) {
    surface.SetDocumentName(p.settings().TextFile);  // the jobs are numbered from 1 again
    surface.SetPdfOutputPath(run + ".pdf");
    EXPECT_TRUE(PrintNow(p));
    std::vector<Job> jobs;
    for (std::string file = run + ".pdf"; std::filesystem::exists(file);
         file = run + "-" + std::to_string(jobs.size() + 1) + ".pdf") {
      Job& job = jobs.emplace_back();
      for (const PdfPageText& page : ReadPdfPages(file)) {
        Side& side = job.emplace_back(columns * rows);
        for (const auto& [text, w] : page.words) {
          const int column = (w.x_min + w.x_max) / page.width * columns / 2;
          const int row = (w.y_min + w.y_max) / page.height * rows / 2;
          side.at(row * columns + column) += text;
        }
      }
    }
    return jobs;
  };
  for (int pages = 1; pages <= 40; ++pages) {
    ASSERT_TRUE(prepare(pages, kLayoutBooklet));
    for (int signatures = 0; signatures <= 5; ++signatures) {
      for (int mode = 0; mode <= 3; ++mode) {
        p.settings().PrinterMode = static_cast<Integer>(mode);
        p.settings().DoSig = signatures != 0;
        p.print.SigCount = static_cast<Integer>(signatures);
        if (mode != 2) t.prompt.ExpectPrefix(mode == 1 ? "Insert paper back" : "Flip paper over");
        EXPECT_EQ(print(dir.File(std::to_string(pages * 100 + signatures * 10 + mode)), 2, 1),
                  ExpectedJobs(pages, mode, signatures))
            << pages << " pages, " << signatures << " signatures, mode " << mode;
      }
    }
  }
  for (int layout = kLayout1Up; layout <= kLayout4Up; ++layout) {
    const int columns = layout == kLayout1Up ? 1 : 2, rows = layout == kLayout4Up ? 2 : 1;
    for (int pages = 1; pages <= 9; ++pages) {
      ASSERT_TRUE(prepare(pages, layout));
      Job expected(p.prep.SheetCount, Side(columns * rows));
      for (int page = 0; page < pages; ++page) {
        expected.at(page / (columns * rows)).at(page % (columns * rows)) =
            "M" + std::to_string(page + 1);
      }
      EXPECT_EQ(print(dir.File("up" + std::to_string(layout * 10 + pages)), columns, rows),
                std::vector<Job>{expected})
          << pages << " pages, layout " << layout;
    }
  }
  DeleteLineFile(p);
}

}  // namespace
}  // namespace quireon2::testing
