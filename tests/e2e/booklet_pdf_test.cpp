// End to end on the real "Print to PDF" printer: the preparation and the print runs write
// PDF files, and pdftotext's word boxes show where every page landed on every sheet side.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "platform/cups_surface.h"
#include "printing/print_runs.h"
#include "settings/memory_controls.h"
#include "support/gtest_support.h"
#include "support/recording_status.h"
#include "support/scripted_prompt.h"
#include "textprep/layout_metrics.h"
#include "textprep/prep_run.h"

namespace quireon2::testing {
namespace {

struct Word {
  std::string text;
  double x_min, y_min, x_max, y_max;
};
struct PdfPage {
  double width = 0, height = 0;
  std::vector<Word> words;
};

// A print request on "Print to PDF", writing out.pdf (and out-2.pdf for a second job).
struct PdfJob {
  PdfJob() {
    auto printers = surface.Printers();
    for (std::size_t i = 0; i < printers.size(); ++i) {
      if (printers[i].device_name == kPrintToPdf) surface.SelectPrinter(i);
    }
    surface.SetPdfOutputPath(dir.File("out.pdf"));
    p.io = {&surface, &prompt, &window, &status};
    p.settings_state.today = "03-14-2024";
  }
  ~PdfJob() {
    DeleteLineFile(p);
    EXPECT_EQ(prompt.Problems(), "");
  }

  // Prepares and prints a source of `pages` pages, each one marker word ("Qmark3"), with
  // the layout option (0 1 up, 1 2 up, 2 4 up) and booklet box the main window would hold.
  void Print(int pages, int layout_option, bool booklet, int mode) {
    ASSERT_EQ(surface.DeviceName(), kPrintToPdf);
    std::string text;
    for (int i = 1; i <= pages; ++i) text += "Qmark" + std::to_string(i) + "\r\n\f";
    window.SetText(TextBox::kText1, dir.Write("book.txt", text.substr(0, text.size() - 1)));
    window.SelectLayoutOption(layout_option);
    window.SetCheckValue(CheckBox::kDoBooklet, booklet ? 1 : 0);
    window.SetPrinterMode(mode);
    p.settings().Layout = static_cast<Integer>(booklet ? kLayoutBooklet : layout_option);
    ComputeLayoutMetrics(p, p.settings_state.layouts[p.settings().Layout].font_size);
    ASSERT_TRUE(PrePrint1(p));
    ASSERT_EQ(p.prep.TotalPages, pages);
    ASSERT_TRUE(PrintNow(p));
    EXPECT_EQ(status.messages.back(), "Printing Completed");
  }

  // The pages of a written PDF with their words, from `pdftotext -bbox`; none when the
  // file is missing.
  std::vector<PdfPage> Read(const std::string& name) const {
    const std::string html = dir.File("words.html");
    const std::string command =
        "pdftotext -bbox '" + dir.File(name) + "' '" + html + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) return {};
    std::ifstream in(html);
    const std::regex page_re(R"re(<page width="([\d.]+)" height="([\d.]+)")re");
    const std::regex word_re(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    std::vector<PdfPage> pages;
    std::string line;
    std::smatch m;
    while (std::getline(in, line)) {
      if (std::regex_search(line, m, page_re)) {
        pages.push_back({std::stod(m[1]), std::stod(m[2]), {}});
      } else if (std::regex_search(line, m, word_re) && !pages.empty()) {
        pages.back().words.push_back(
            {m[5], std::stod(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[4])});
      }
    }
    return pages;
  }

  // Each page of a written PDF as "L" (landscape) or "P" and its markers in reading order
  // (rows told apart by more than half an inch), pages joined by " / ".
  std::string Sheets(const std::string& name) const {
    std::string out;
    for (const PdfPage& page : Read(name)) {
      std::vector<Word> marks;
      for (const Word& w : page.words) {
        if (w.text.rfind("Qmark", 0) == 0) marks.push_back(w);
      }
      std::sort(marks.begin(), marks.end(), [](const Word& a, const Word& b) {
        if (std::abs(a.y_min - b.y_min) > 36) return a.y_min < b.y_min;
        return a.x_min < b.x_min;
      });
      out += out.empty() ? "" : " / ";
      out += page.width > page.height ? "L" : "P";
      for (const Word& w : marks) out += " " + w.text.substr(5);
    }
    return out;
  }

  ScratchDir dir;
  CupsSurface surface;
  ScriptedPrompt prompt;
  MemoryControls window;
  RecordingStatus status;
  Program p;
};

// The nth word `text` of a page; a word at NaN, which no position check accepts, when
// there is none.
Word Find(const PdfPage& page, const std::string& text, int nth = 0) {
  for (const Word& w : page.words) {
    if (w.text == text && nth-- == 0) return w;
  }
  const double nan = std::nan("");
  return {text, nan, nan, nan, nan};
}

TEST(PrintToPdf, PagesLandInFoldOrderOrReadingOrder) {
  struct Case {
    int pages, layout_option, booklet, mode;
    const char *first, *second;  // out.pdf and out-2.pdf, the second job
  };
  const Case cases[] = {
      {8, 1, 1, 2, "L 8 1 / L 2 7 / L 6 3 / L 4 5", ""},  // duplex: one job
      {8, 1, 1, 1, "L 8 1 / L 6 3", "L 4 5 / L 2 7"},     // flipped: backs reversed
      {6, 2, 0, 1, "P 1 2 3 4 / P 5 6", ""},              // 4 up
  };
  for (const Case& c : cases) {
    PdfJob job;
    if (c.booklet && c.mode == 1) {
      job.prompt.Expect("Insert paper back in tray\r\nwhen printer stops\r\nand then press Enter");
    }
    job.Print(c.pages, c.layout_option, c.booklet, c.mode);
    EXPECT_EQ(job.Sheets("out.pdf"), c.first) << c.pages << " pages, mode " << c.mode;
    EXPECT_EQ(job.Sheets("out-2.pdf"), c.second) << c.pages << " pages, mode " << c.mode;
  }
}

TEST(PrintToPdf, BookletHeaderAndFooterSitAtTheirEdges) {
  PdfJob job;
  job.window.SetCheckValue(CheckBox::kHPageNum, 1);
  job.window.SetCheckValue(CheckBox::kHDate, 1);
  job.window.SetCheckValue(CheckBox::kFFileName, 1);
  job.Print(8, 1, true, 2);
  auto pages = job.Read("out.pdf");
  ASSERT_EQ(pages.size(), 4u);
  const PdfPage& front = pages[0];  // page 8 on the left, page 1 on the right
  // With the default borders and gutter (720 twips = 36 points) the left cell spans
  // 36 .. width/2 - 36 and the right cell width/2 + 36 .. width - 36.
  const double half = front.width / 2;
  // Page 8: its label at the outer (left) edge, the date at the fold; page 1: its label
  // ends at the outer (right) edge, the date starts at the fold.
  EXPECT_NEAR(Find(front, "Page").x_min, 36, 1.5);
  EXPECT_NEAR(Find(front, "03-14-2024").x_max, half - 36, 1.5);
  EXPECT_NEAR(Find(front, "1").x_max, front.width - 36, 1.5);
  EXPECT_NEAR(Find(front, "03-14-2024", 1).x_min, half + 36, 1.5);
  // The header line lies above the text, the file name centred at the foot of both cells.
  EXPECT_LT(Find(front, "Page").y_max, Find(front, "Qmark8").y_min);
  EXPECT_GT(Find(front, "book.txt").y_min, front.height * 0.8);
  const Word left = Find(front, "book.txt"), right = Find(front, "book.txt", 1);
  EXPECT_NEAR((left.x_min + left.x_max) / 2, half / 2, 2);
  EXPECT_NEAR((right.x_min + right.x_max) / 2, half + half / 2, 2);
}

}  // namespace
}  // namespace quireon2::testing
