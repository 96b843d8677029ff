// End to end on the real "Print to PDF" printer: the preparation and the print runs write
// PDF files, and pdftotext's word boxes show where every page landed on every sheet side
// of every job.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/marker_pages.h"
#include "platform/cups_surface.h"
#include "platform/surface_test_tools.h"
#include "printing/print_runs.h"
#include "support/gtest_support.h"
#include "textprep/layout_metrics.h"
#include "textprep/prep_run.h"

namespace quireon2::testing {
namespace {

// A side as its left and right half with the word on each, "" on a blank one.
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
// and half (the half its word's middle falls in).
TEST_F(PrintToPdf, BookletsLandInFoldOrderInEveryPaperFeedMode) {
  ScratchDir dir;
  CupsSurface surface;
  surface.SelectPrinter(surface.Printers().size() - 1);  // "Print to PDF" comes last
  p.io.surface = &surface;
  t.window.SetCheckValue(CheckBox::kDoBooklet, 1);
  p.settings().Layout = kLayoutBooklet;
  for (int pages = 1; pages <= 40; ++pages) {
    t.window.SetText(TextBox::kText1, dir.Write("book.txt", MarkerPages(pages)));
    ComputeLayoutMetrics(p, p.settings_state.layouts[kLayoutBooklet].font_size);
    ASSERT_TRUE(PrePrint1(p));
    for (int signatures = 0; signatures <= 5; ++signatures) {
      for (int mode = 0; mode <= 3; ++mode) {
        const std::string run = dir.File(std::to_string(pages * 100 + signatures * 10 + mode));
        surface.SetDocumentName(p.settings().TextFile);  // the jobs are numbered from 1 again
        surface.SetPdfOutputPath(run + ".pdf");
        p.settings().PrinterMode = static_cast<Integer>(mode);
        p.settings().DoSig = signatures != 0;
        p.print.SigCount = static_cast<Integer>(signatures);
        if (mode != 2) t.prompt.ExpectPrefix(mode == 1 ? "Insert paper back" : "Flip paper over");
        EXPECT_TRUE(PrintNow(p));
        std::vector<Job> jobs;
        for (std::string file = run + ".pdf"; std::filesystem::exists(file);
             file = run + "-" + std::to_string(jobs.size() + 1) + ".pdf") {
          Job& job = jobs.emplace_back();
          for (const PdfPageText& page : ReadPdfPages(file)) {
            Side& side = job.emplace_back(2);
            for (const auto& [text, w] : page.words) side[w.x_min + w.x_max > page.width] += text;
          }
        }
        EXPECT_EQ(jobs, ExpectedJobs(pages, mode, signatures))
            << pages << " pages, " << signatures << " signatures, mode " << mode;
      }
    }
  }
  DeleteLineFile(p);
}

}  // namespace
}  // namespace quireon2::testing
