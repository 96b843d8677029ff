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
#include "platform/temp_file.h"
#include "printing/print_runs.h"
#include "settings/memory_controls.h"
#include "support/gtest_support.h"
#include "support/recording_status.h"
#include "support/scripted_prompt.h"
#include "textprep/layout_metrics.h"
#include "textprep/prep_run.h"

namespace quireon2::testing {
namespace {

const char kFlip[] =
    "Flip paper over and insert back in tray\r\nwhen printer stops\r\nand then press Enter";
const char kInsert[] = "Insert paper back in tray\r\nwhen printer stops\r\nand then press Enter";

using PdfFile = std::vector<PdfPageText>;

// A text of marker pages ("M1", "M2", ... separated by form feeds) prepared and printed on
// "Print to PDF" as the main window would.
struct PdfJob {
  PdfJob() {
    surface.SelectPrinter(surface.Printers().size() - 1);  // "Print to PDF" comes last
    p.io = {&surface, &prompt, &window, &status, &temp_files};
    p.settings_state.today = "03-14-2024";
  }
  ~PdfJob() {
    DeleteLineFile(p);
    EXPECT_EQ(prompt.Problems(), "");
  }

  // The layout option (0 1 up, 1 2 up, 2 4 up) and the booklet box as the window holds them.
  void Prepare(int pages, int layout_option, bool booklet) {
    ASSERT_EQ(surface.DeviceName(), kPrintToPdf);
    window.SetText(TextBox::kText1, dir.Write("book.txt", MarkerPages(pages)));
    window.SelectLayoutOption(layout_option);
    window.SetCheckValue(CheckBox::kDoBooklet, booklet ? 1 : 0);
    p.settings().Layout = static_cast<Integer>(booklet ? kLayoutBooklet : layout_option);
    ComputeLayoutMetrics(p, p.settings_state.layouts[p.settings().Layout].font_size);
    ASSERT_TRUE(PrePrint1(p));
    ASSERT_EQ(p.prep.TotalPages, pages);
  }

  // Prints what was prepared in paper-feed mode `mode`, in `signatures` signatures unless
  // 0, going on at the prompt between the passes; the PDF file of each job, in order.
  std::vector<PdfFile> Print(int mode, int signatures = 0) {
    const std::string run = "run" + std::to_string(++runs);
    surface.SetDocumentName(p.settings().TextFile);  // the jobs are numbered from 1 again
    surface.SetPdfOutputPath(dir.File(run + ".pdf"));
    p.settings().PrinterMode = static_cast<Integer>(mode);
    p.settings().DoSig = signatures != 0;
    p.print.SigCount = static_cast<Integer>(signatures);
    if (p.settings().Layout == kLayoutBooklet && mode != 2) {
      prompt.Expect(mode == 1 ? kInsert : kFlip);
    }
    EXPECT_TRUE(PrintNow(p));
    EXPECT_EQ(status.messages.back(), "Printing Completed");
    std::vector<PdfFile> jobs;
    for (int n = 1;; ++n) {
      const std::string file =
          dir.File(n == 1 ? run + ".pdf" : run + "-" + std::to_string(n) + ".pdf");
      if (!std::filesystem::exists(file)) return jobs;
      jobs.push_back(ReadPdfPages(file));
    }
  }

  ScratchDir dir;
  CupsSurface surface;
  SystemTempFiles temp_files;
  ScriptedPrompt prompt;
  MemoryControls window;
  RecordingStatus status;
  Program p;
  int runs = 0;
};

// The sheets of a booklet of `pages` pages in the order they lie in the bound stack, each
// with its two faces as Side shows them: `gatherings` folded gatherings of equally many
// sheets, stacked one after the other. Folded, a gathering of k sheets is 2k leaves; leaf i
// (from 0) carries pages 2i + 1 on its front and 2i + 2 on its back, and its sheet s (from
// 0, the outermost first) makes leaves s and 2k - 1 - s.
struct SheetFaces { std::string outside, inside; };
std::vector<SheetFaces> BoundStack(int pages, int gatherings) {
  const int sheets = (pages + 3) / 4;
  const int per_gathering = (sheets + gatherings - 1) / gatherings;
  auto face = [pages](int left, int right) {
    std::string cells;
    if (left <= pages) cells = "0:M" + std::to_string(left);
    if (right <= pages) cells += (cells.empty() ? "1:M" : " 1:M") + std::to_string(right);
    return cells;
  };
  std::vector<SheetFaces> stack;
  for (int g = 0; g < gatherings; ++g) {
    const int before = 4 * per_gathering * g;  // the pages of the gatherings above
    for (int s = 0; s < per_gathering; ++s) {
      const int early = before + 2 * s, late = before + 2 * (2 * per_gathering - 1 - s);
      // Opened flat, the outside shows the late leaf's back, then the early leaf's front;
      // the inside the early leaf's back, then the late leaf's front.
      stack.push_back({face(late + 2, early + 1), face(early + 2, late + 1)});
    }
  }
  return stack;
}

// Sides joined into one text, as Show gives a job; a blank side is "_".
void AddSide(std::string& job, const std::string& side) {
  job += (job.empty() ? "" : " / ") + (side.empty() ? "_" : side);
}

// What the jobs must hold. A two-sided printer takes each sheet's outside then its inside
// in one job. Otherwise job 1 holds the outsides in stack order and job 2 the insides of
// the stack put back: flipped it comes back last sheet first, and so does a stack of
// signatures from the ink jet.
std::vector<std::string> ExpectedJobs(int pages, int mode, int signatures) {
  const std::vector<SheetFaces> stack = BoundStack(pages, std::max(signatures, 1));
  const bool reversed = mode == 1 || (mode == 3 && signatures != 0);
  std::string first, second;
  for (std::size_t i = 0; i < stack.size(); ++i) {
    AddSide(first, stack[i].outside);
    AddSide(mode == 2 ? first : second, stack[reversed ? stack.size() - 1 - i : i].inside);
  }
  if (mode == 2) return {first};
  return {first, second};
}

// Every word of a side as "CELL:WORD", in cell order, told by the cell its middle falls in
// of `columns` x `rows` cells numbered by rows from 0.
std::string Side(const PdfPageText& page, int columns, int rows) {
  std::vector<std::pair<int, std::string>> placed;
  for (const auto& [text, w] : page.words) {
    const int column = static_cast<int>((w.x_min + w.x_max) / 2 / page.width * columns);
    const int row = static_cast<int>((w.y_min + w.y_max) / 2 / page.height * rows);
    placed.emplace_back(row * columns + column, text);
  }
  std::sort(placed.begin(), placed.end());
  std::string out;
  for (const auto& [cell, text] : placed) {
    out += (out.empty() ? "" : " ") + std::to_string(cell) + ":" + text;
  }
  return out;
}

// Each job's sides, as AddSide joins them.
std::vector<std::string> Show(const std::vector<PdfFile>& jobs, int columns, int rows) {
  std::vector<std::string> shown;
  for (const PdfFile& job : jobs) {
    shown.emplace_back();
    for (const PdfPageText& page : job) AddSide(shown.back(), Side(page, columns, rows));
  }
  return shown;
}

// Every page count from 1 to 40 (sheets with one to four pages, blank halves and blank
// sheets), as one booklet and in 1 to 5 signatures, in every paper-feed mode: each job has
// one side per sheet, or two in the one two-sided job, and each page is on its side and half.
TEST(PrintToPdf, BookletsLandInFoldOrderInEveryPaperFeedMode) {
  PdfJob job;
  for (int pages = 1; pages <= 40; ++pages) {
    job.Prepare(pages, 1, true);
    ASSERT_EQ(job.p.prep.SheetCount, (pages + 3) / 4) << pages << " pages";
    for (int signatures = 0; signatures <= 5; ++signatures) {
      for (int mode = 0; mode <= 3; ++mode) {
        EXPECT_EQ(Show(job.Print(mode, signatures), 2, 1),
                  ExpectedJobs(pages, mode, signatures))
            << pages << " pages, " << signatures << " signatures, mode " << mode;
      }
    }
  }
}

// 1, 2 and 4 up print single-sided in reading order, one side per sheet counted.
TEST(PrintToPdf, NUpPagesLandInReadingOrderOnTheSidesCounted) {
  PdfJob job;
  const int columns[] = {1, 2, 2}, rows[] = {1, 1, 2};
  for (int option = 0; option <= 2; ++option) {
    const int per_side = columns[option] * rows[option];
    for (int pages = 1; pages <= 9; ++pages) {
      job.Prepare(pages, option, false);
      std::vector<std::string> sides((pages + per_side - 1) / per_side);
      for (int page = 1; page <= pages; ++page) {
        std::string& side = sides[(page - 1) / per_side];
        side += (side.empty() ? "" : " ") + std::to_string((page - 1) % per_side) + ":M" +
                std::to_string(page);
      }
      std::string expected;
      for (const std::string& side : sides) AddSide(expected, side);
      const std::vector<PdfFile> jobs = job.Print(1);
      ASSERT_EQ(jobs.size(), 1u) << pages << " pages " << per_side << " up";
      EXPECT_EQ(static_cast<long>(jobs[0].size()), job.p.prep.SheetCount);
      EXPECT_EQ(Show(jobs, columns[option], rows[option])[0], expected)
          << pages << " pages " << per_side << " up";
    }
  }
}

}  // namespace
}  // namespace quireon2::testing
