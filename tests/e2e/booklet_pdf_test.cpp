// End to end on the real "Print to PDF" printer: the preparation and the print runs write
// PDF files, and pdftotext's word boxes show where every page landed on every sheet side.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
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

// The pages of a PDF with their words, read from `pdftotext -bbox`.
std::vector<PdfPage> ReadPdf(const std::string& pdf, const ScratchDir& dir) {
  const std::string html = dir.File("words.html");
  const std::string command = "pdftotext -bbox '" + pdf + "' '" + html + "' 2>/dev/null";
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

// The page markers ("Qmark3" -> "3") of a PDF page in reading order: top to bottom, then
// left to right, rows told apart by more than half an inch.
std::string Markers(const PdfPage& page) {
  std::vector<Word> marks;
  for (const Word& w : page.words) {
    if (w.text.rfind("Qmark", 0) == 0) marks.push_back(w);
  }
  std::sort(marks.begin(), marks.end(), [](const Word& a, const Word& b) {
    if (std::abs(a.y_min - b.y_min) > 36) return a.y_min < b.y_min;
    return a.x_min < b.x_min;
  });
  std::string out;
  for (const Word& w : marks) out += (out.empty() ? "" : " ") + w.text.substr(5);
  return out;
}

const Word* Find(const PdfPage& page, const std::string& text, int nth = 0) {
  for (const Word& w : page.words) {
    if (w.text == text && nth-- == 0) return &w;
  }
  return nullptr;
}

class PdfTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto printers = surface.Printers();
    for (std::size_t i = 0; i < printers.size(); ++i) {
      if (printers[i].device_name == kPrintToPdf) surface.SelectPrinter(i);
    }
    ASSERT_EQ(surface.DeviceName(), kPrintToPdf);
    surface.SetPdfOutputPath(dir.File("out.pdf"));
    p.io.surface = &surface;
    p.io.prompt = &prompt;
    p.io.window = &window;
    p.io.status = &status;
    p.settings_state.today = "03-14-2024";
  }
  void TearDown() override {
    DeleteLineFile(p);
    EXPECT_EQ(prompt.Problems(), "");
  }

  // A source of `pages` pages, each one marker word, separated by form feeds; the layout
  // option (0 1 up, 1 2 up, 2 4 up) and the booklet box as the main window would hold them.
  void Prepare(int pages, int layout_option, bool booklet, int mode) {
    std::string text;
    for (int i = 1; i <= pages; ++i) {
      text += "Qmark" + std::to_string(i) + "\r\n";
      if (i < pages) text += "\f";
    }
    window.SetText(TextBox::kText1, dir.Write("book.txt", text));
    window.SelectLayoutOption(layout_option);
    window.SetCheckValue(CheckBox::kDoBooklet, booklet ? 1 : 0);
    window.SetPrinterMode(mode);
    p.settings().Layout = static_cast<Integer>(booklet ? kLayoutBooklet : layout_option);
    ComputeLayoutMetrics(p, p.settings_state.layouts[p.settings().Layout].font_size);
    ASSERT_TRUE(PrePrint1(p));
    ASSERT_EQ(p.prep.TotalPages, pages);
  }

  ScratchDir dir;
  CupsSurface surface;
  ScriptedPrompt prompt;
  MemoryControls window;
  RecordingStatus status;
  Program p;
};

TEST_F(PdfTest, DuplexBookletOfEightPagesIsOneLandscapePdfInFoldOrder) {
  Prepare(8, 1, true, 2);
  ASSERT_TRUE(PrintNow(p));
  auto pages = ReadPdf(dir.File("out.pdf"), dir);
  ASSERT_EQ(pages.size(), 4u);
  for (const auto& page : pages) EXPECT_GT(page.width, page.height);
  EXPECT_EQ(Markers(pages[0]), "8 1");
  EXPECT_EQ(Markers(pages[1]), "2 7");
  EXPECT_EQ(Markers(pages[2]), "6 3");
  EXPECT_EQ(Markers(pages[3]), "4 5");
  EXPECT_EQ(status.messages.back(), "Printing Completed");
}

TEST_F(PdfTest, FlippedBookletGivesTwoPdfsTheSecondInReverseSheetOrder) {
  Prepare(8, 1, true, 1);
  prompt.Expect("Insert paper back in tray\r\nwhen printer stops\r\nand then press Enter");
  ASSERT_TRUE(PrintNow(p));
  auto first = ReadPdf(dir.File("out.pdf"), dir);
  ASSERT_EQ(first.size(), 2u);
  EXPECT_EQ(Markers(first[0]), "8 1");
  EXPECT_EQ(Markers(first[1]), "6 3");
  auto second = ReadPdf(dir.File("out-2.pdf"), dir);
  ASSERT_EQ(second.size(), 2u);
  EXPECT_EQ(Markers(second[0]), "4 5");
  EXPECT_EQ(Markers(second[1]), "2 7");
}

TEST_F(PdfTest, FourUpOfSixPagesReadsInOrderOnTwoPortraitPages) {
  Prepare(6, 2, false, 1);
  ASSERT_TRUE(PrintNow(p));
  auto pages = ReadPdf(dir.File("out.pdf"), dir);
  ASSERT_EQ(pages.size(), 2u);
  for (const auto& page : pages) EXPECT_LT(page.width, page.height);
  EXPECT_EQ(Markers(pages[0]), "1 2 3 4");
  EXPECT_EQ(Markers(pages[1]), "5 6");
}

TEST_F(PdfTest, BookletHeaderAndFooterSitAtTheirEdges) {
  window.SetCheckValue(CheckBox::kHPageNum, 1);
  window.SetCheckValue(CheckBox::kHDate, 1);
  window.SetCheckValue(CheckBox::kFFileName, 1);
  Prepare(8, 1, true, 2);
  ASSERT_TRUE(PrintNow(p));
  auto pages = ReadPdf(dir.File("out.pdf"), dir);
  ASSERT_EQ(pages.size(), 4u);
  const PdfPage& front = pages[0];  // page 8 on the left, page 1 on the right
  // With the default borders and gutter (720 twips = 36 points) the left cell spans
  // 36 .. width/2 - 36 and the right cell width/2 + 36 .. width - 36.
  const double half = front.width / 2;
  const Word* label8 = Find(front, "8");
  const Word* label1 = Find(front, "1");
  const Word* page_left = Find(front, "Page", 0);
  const Word* page_right = Find(front, "Page", 1);
  ASSERT_TRUE(label8 && label1 && page_left && page_right);
  // Page 8: its label at the outer (left) edge, the date at the fold.
  EXPECT_NEAR(page_left->x_min, 36, 1.5);
  // Page 1: its label ends at the outer (right) edge, the date starts at the fold.
  EXPECT_NEAR(label1->x_max, front.width - 36, 1.5);
  const Word* date_left = Find(front, "03-14-2024", 0);
  const Word* date_right = Find(front, "03-14-2024", 1);
  ASSERT_TRUE(date_left && date_right);
  EXPECT_NEAR(date_left->x_max, half - 36, 1.5);
  EXPECT_NEAR(date_right->x_min, half + 36, 1.5);
  // The header line lies above the text, the file name at the foot of both cells.
  const Word* marker8 = Find(front, "Qmark8");
  ASSERT_TRUE(marker8);
  EXPECT_LT(page_left->y_max, marker8->y_min);
  const Word* name_left = Find(front, "book.txt", 0);
  const Word* name_right = Find(front, "book.txt", 1);
  ASSERT_TRUE(name_left && name_right);
  EXPECT_GT(name_left->y_min, front.height * 0.8);
  EXPECT_NEAR((name_left->x_min + name_left->x_max) / 2, half / 2, 2);
  EXPECT_NEAR((name_right->x_min + name_right->x_max) / 2, half + half / 2, 2);
}

}  // namespace
}  // namespace quireon2::testing
