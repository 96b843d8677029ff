// End to end on the real "Print to PDF" printer: the preparation and the print runs write
// PDF files, and pdftotext's word boxes show where every page landed on every sheet side
// of every job.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
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

// A text of marker pages ("M1", "M2", ... separated by form feeds) prepared as a booklet
// and printed on "Print to PDF" as the main window would.
class PrintToPdf : public ProgramTest {
 protected:
  PrintToPdf() {
    surface.SelectPrinter(surface.Printers().size() - 1);  // "Print to PDF" comes last
    p.io.surface = &surface;
  }
  ~PrintToPdf() override { DeleteLineFile(p); }

  void Prepare(int pages) {
    t.window.SetText(TextBox::kText1, dir.Write("book.txt", MarkerPages(pages)));
    t.window.SetCheckValue(CheckBox::kDoBooklet, 1);
    p.settings().Layout = kLayoutBooklet;
    ComputeLayoutMetrics(p, p.settings_state.layouts[kLayoutBooklet].font_size);
    ASSERT_TRUE(PrePrint1(p));
  }

  // Prints what was prepared in paper-feed mode `mode`, in `signatures` signatures unless
  // 0, going on at the prompt between the passes. Each job's sides as read back, every
  // word in the half its middle falls in.
  std::vector<Job> Print(int mode, int signatures) {
    const std::string run = "run" + std::to_string(++runs);
    surface.SetDocumentName(p.settings().TextFile);  // the jobs are numbered from 1 again
    surface.SetPdfOutputPath(dir.File(run + ".pdf"));
    p.settings().PrinterMode = static_cast<Integer>(mode);
    p.settings().DoSig = signatures != 0;
    p.print.SigCount = static_cast<Integer>(signatures);
    if (mode != 2) t.prompt.ExpectPrefix(mode == 1 ? "Insert paper back" : "Flip paper over");
    EXPECT_TRUE(PrintNow(p));
    std::vector<Job> jobs;
    for (int n = 1;; ++n) {
      const std::string file = dir.File(run + (n == 1 ? "" : "-" + std::to_string(n)) + ".pdf");
      if (!std::filesystem::exists(file)) return jobs;
      jobs.emplace_back();
      for (const PdfPageText& page : ReadPdfPages(file)) {
        Side& side = jobs.back().emplace_back(2);
        for (const auto& [text, w] : page.words) side.at(w.x_min + w.x_max > page.width) += text;
      }
    }
  }

  ScratchDir dir;
  CupsSurface surface;
  int runs = 0;
};

// The side holding pages `left` and `right` of a text of `pages` pages.
Side Face(int left, int right, int pages) {
  return {left <= pages ? "M" + std::to_string(left) : "",
          right <= pages ? "M" + std::to_string(right) : ""};
}

// What the jobs must hold: the sheets as they lie in the bound stack, `signatures` (at
// least one) folded gatherings of equally many sheets, one after the other. Folded, a
// gathering of k sheets is 2k leaves; leaf i (from 0) carries pages 2i + 1 on its front and
// 2i + 2 on its back, and its sheet s (from 0, the outermost first) makes leaves s and
// 2k - 1 - s. A two-sided printer takes each sheet's outside then its inside in one job.
// Otherwise job 1 holds the outsides in stack order and job 2 the insides of the stack put
// back: flipped it comes back last sheet first, and so does a stack of signatures from the
// ink jet.
std::vector<Job> ExpectedJobs(int pages, int mode, int signatures) {
  const int sheets = (pages + 3) / 4, gatherings = std::max(signatures, 1);
  const int per_gathering = (sheets + gatherings - 1) / gatherings;
  std::vector<std::pair<Side, Side>> stack;  // each sheet's outside and inside
  for (int before = 0; before < 4 * per_gathering * gatherings; before += 4 * per_gathering) {
    for (int s = 0; s < per_gathering; ++s) {
      const int early = before + 2 * s, late = before + 2 * (2 * per_gathering - 1 - s);
      // Opened flat, the outside shows the late leaf's back, then the early leaf's front;
      // the inside the early leaf's back, then the late leaf's front.
      stack.emplace_back(Face(late + 2, early + 1, pages), Face(early + 2, late + 1, pages));
    }
  }
  const bool reversed = mode == 1 || (mode == 3 && signatures != 0);
  Job first, second;
  for (std::size_t i = 0; i < stack.size(); ++i) {
    first.push_back(stack[i].first);
    (mode == 2 ? first : second).push_back(stack[reversed ? stack.size() - 1 - i : i].second);
  }
  return mode == 2 ? std::vector<Job>{first} : std::vector<Job>{first, second};
}

// Every page count from 1 to 40 (sheets with one to four pages, blank halves and blank
// sheets), as one booklet and in 1 to 5 signatures, in every paper-feed mode: each job has
// one side per sheet, or two in the one two-sided job, and each page is on its side and half.
TEST_F(PrintToPdf, BookletsLandInFoldOrderInEveryPaperFeedMode) {
  for (int pages = 1; pages <= 40; ++pages) {
    Prepare(pages);
    ASSERT_EQ(p.prep.SheetCount, (pages + 3) / 4) << pages << " pages";
    for (int signatures = 0; signatures <= 5; ++signatures) {
      for (int mode = 0; mode <= 3; ++mode) {
        EXPECT_EQ(Print(mode, signatures), ExpectedJobs(pages, mode, signatures))
            << pages << " pages, " << signatures << " signatures, mode " << mode;
      }
    }
  }
}

}  // namespace
}  // namespace quireon2::testing
