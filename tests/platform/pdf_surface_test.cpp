// The printer surface's "Print to PDF" printer, read back from the PDF files it writes:
// where text lands, how wide it is, pages, files per job, fonts, characters, lines.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/cups_surface.h"
#include "platform/surface_test_tools.h"
#include "settings/runtime_failure.h"
#include "support/gtest_support.h"

namespace quireon2 {
namespace {

using testing::PdfWords;
using testing::Raises;
using testing::ReadPdfWords;
using testing::RunCommand;
using testing::ShellQuote;
using testing::WordAt;

// Hand-worked metrics of the Times New Roman substitute (Liberation Serif, 2048 units per
// em). Advances in font units H 1479, e 909, l 569, o 1024, space 512, in whole
// thousandths of an em (cut, as the PDF records them) 722, 443, 277, 500, 250. Windows
// ascent 1825 and descent 443 units.
constexpr double kHelloTwips10 = 443.8;     // (722+443+277+277+500) / 1000 * 10 pt * 20
constexpr double kLineTwips10 = 221.484375;  // (1825+443) / 2048 * 10 * 20

class PrintToPdf : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!RunCommand("for t in pdftotext pdfinfo pdffonts pdftoppm; do command -v $t||exit; done")) {
      GTEST_SKIP() << "the poppler tools (poppler-utils) are not installed";
    }
    surface.SelectPrinter(surface.Printers().size() - 1);
    ASSERT_EQ(surface.DeviceName(), kPrintToPdf);
    surface.SetPdfOutputPath(Out());
    surface.SetFontName("Times New Roman");
    surface.SetFontSize(10);
  }

  std::string Out(const std::string& name = "out.pdf") const { return dir.File(name); }
  // The names in the output folder, sorted.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  // `pages` pages of 50 numbered lines each, so hardly anything repeats.
  void DrawPages(int pages) {
    for (int page = 1; page <= pages; ++page) {
      if (page > 1) surface.NewPage();
      for (int line = 0; line < 50; ++line) {
        At(0, line * 240, "Page " + std::to_string(page) + " line " + std::to_string(line) +
                              " carries " + std::to_string(page * 7919 + line * 104729));
      }
    }
  }
  void At(double x_twips, double y_twips, const std::string& text, bool line_end = true) {
    surface.SetCurrentX(x_twips);
    surface.SetCurrentY(y_twips);
    surface.Print(text, line_end);
  }

  testing::ScratchDir dir;
  CupsSurface surface;
};

TEST_F(PrintToPdf, PaperAndOrientationGiveThePrintableAreaAndThePage) {
  // Paper, orientation, the printable area's width and height in twips (the whole page:
  // nothing is unprintable), the page's in points. A4: 210 mm = 595.2756 pt = 11905.51
  // twips, 297 mm = 841.8898 pt = 16837.80 twips.
  const std::tuple<int, int, double, double, double, double> cases[] = {
      {kPaperLetter, kPortrait, 12240, 15840, 612, 792},
      {kPaperLetter, kLandscape, 15840, 12240, 792, 612},
      {kPaperA4, kPortrait, 11905.51, 16837.80, 595.28, 841.89},
      {kPaperA4, kLandscape, 16837.80, 11905.51, 841.89, 595.28},
  };
  for (const auto& [paper, orientation, width, height, page_width, page_height] : cases) {
    surface.SetPaperSize(paper);
    surface.SetOrientation(orientation);
    EXPECT_NEAR(surface.ScaleWidth(), width, 0.01) << page_width;
    EXPECT_NEAR(surface.ScaleHeight(), height, 0.01) << page_width;
    At(1440, 2880, "Corner");
    At(width - 2000, height - 1000, "Far");  // lost from a page cut too small
    surface.EndDoc();
    const std::string file = surface.last_pdf_path();
    const std::vector<testing::PdfPage> pages = testing::PdfPages(file);
    ASSERT_EQ(pages.size(), 1u) << file;
    EXPECT_NEAR(pages[0].width, page_width, 0.5) << file;
    EXPECT_NEAR(pages[0].height, page_height, 0.5) << file;
    const PdfWords words = ReadPdfWords(file);
    EXPECT_TRUE(WordAt(words, "Corner", 72, 144)) << file;
    EXPECT_TRUE(WordAt(words, "Far", (width - 2000) / 20, (height - 1000) / 20)) << file;
  }
}

TEST_F(PrintToPdf, MeasuresByTheFontsOwnMetricsAtAnySizeAndDrawsThere) {
  EXPECT_EQ(surface.FontName(), "Liberation Serif");
  EXPECT_NEAR(surface.TextWidth("Hello"), kHelloTwips10, 1e-6);
  EXPECT_NEAR(surface.TextHeight("Hello"), kLineTwips10, 1e-6);
  // The text lands where the current position says.
  At(100, 300, "Hello", false);
  surface.Print("Hello", true);
  surface.Print("", true);
  At(500, 0, "ab\r\nHello", false);  // the embedded line end starts a line at the left edge
  EXPECT_NEAR(surface.CurrentX(), kHelloTwips10, 1e-6);
  EXPECT_NEAR(surface.CurrentY(), kLineTwips10, 1e-6);
  surface.EndDoc();
  const PdfWords words = ReadPdfWords(Out());
  EXPECT_TRUE(WordAt(words, "HelloHello", 5, 15));  // the second Hello right after the first
  EXPECT_TRUE(WordAt(words, "ab", 25, 0));
  EXPECT_TRUE(WordAt(words, "Hello", 0, kLineTwips10 / 20));
  surface.SetFontSize(8.25);
  EXPECT_EQ(surface.FontSize(), 8.25);
  EXPECT_NEAR(surface.TextWidth("Hello"), 366.135, 1e-6);         // 2219 / 1000 * 8.25 * 20
  EXPECT_NEAR(surface.TextHeight("Hello"), 182.724609375, 1e-6);  // 2268 / 2048 * 8.25 * 20
  surface.SetFontName("courier new");
  EXPECT_EQ(surface.FontName(), "Liberation Mono");
  surface.SetFontSize(20);  // every glyph 1229 units, 600 thousandths: 12 pt at 20 pt
  EXPECT_NEAR(surface.TextWidth("abc"), 3 * 12 * 20, 1e-6);
}

TEST_F(PrintToPdf, MeasuredWidthIsTheDrawnWidth) {
  const std::string line = "The quick brown fox, WAVE AVAIL Tyre \xE9t\xE9 caf\xC3\xA9 10";
  for (double size : {10.0, 8.25, 14.5}) {
    surface.SetFontSize(size);
    const double width = surface.TextWidth(line);
    At(360, 1440, line, false);
    EXPECT_NEAR(surface.CurrentX(), 360 + width, 1e-9);
    surface.Print(" Z", false);
    surface.SetCurrentX(360 + width + 1440);  // further along the line, as a header's right part
    surface.Print("Right", false);
    surface.Print(" Q", true);
    surface.EndDoc();
    PdfWords words = ReadPdfWords(surface.last_pdf_path());
    const double end = (360 + width) / 20;  // points
    // A blank is 250 thousandths of an em; "Right " 2470 (R 666, i 277, g 500, h 500, t 277).
    EXPECT_NEAR(words["Z"].x_min, end + 0.25 * size, 0.03) << size;
    EXPECT_NEAR(words["Right"].x_min, end + 72, 0.03) << size;
    EXPECT_NEAR(words["Q"].x_min, end + 72 + 2.470 * size, 0.03) << size;
    // The word box is the font's height (2268 / 2048 em): a size rounded to whole points
    // would show.
    EXPECT_NEAR(words["The"].y_max - words["The"].y_min, 2268.0 / 2048 * size, 0.1) << size;
  }
}

TEST_F(PrintToPdf, Utf8AndWindows1252BytesPrintAsTheirCharacters) {
  At(1440, 1440, "caf\xC3\xA9 \xE2\x82\xAC \x80 na\xEFve \xE9t\xE9 \x93quoted\x94");
  surface.EndDoc();
  const std::string text = RunCommand("pdftotext -enc UTF-8 " + ShellQuote(Out()) + " -").value();
  EXPECT_TRUE(text.find("caf\u00E9 \u20AC \u20AC na\u00EFve \u00E9t\u00E9 \u201Cquoted\u201D") !=
              std::string::npos) << text;
}

TEST_F(PrintToPdf, EachPageTakesTheOrientationInForceAtItsStart) {
  surface.SetPaperSize(kPaperLetter);
  surface.Print("First", true);
  surface.NewPage();
  surface.SetOrientation(kLandscape);  // from this page on
  surface.Print("Second", true);
  surface.EndDoc();
  const std::vector<testing::PdfPage> pages = testing::PdfPages(Out());
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_NEAR(pages[0].width, 612, 0.5);
  EXPECT_NEAR(pages[1].width, 792, 0.5);
  PdfWords words = ReadPdfWords(Out());
  EXPECT_EQ(words["First"].page, 1);
  EXPECT_EQ(words["Second"].page, 2);
}

TEST_F(PrintToPdf, FontsAreEmbedded) {
  surface.Print("Serif", true);
  surface.SetFontName("Courier New");
  surface.Print("Mono", true);
  surface.EndDoc();
  // pdffonts's rows end "emb sub uni object ID"; an embedded subset's name has a prefix.
  std::istringstream rows(RunCommand("pdffonts " + ShellQuote(Out())).value());
  std::vector<std::string> fonts;
  for (std::string row; std::getline(rows, row);) {
    std::istringstream cells(row);
    const std::vector<std::string> c{std::istream_iterator<std::string>(cells), {}};
    if (c.size() > 5 && c[c.size() - 5] == "yes") fonts.push_back(c[0].substr(c[0].find('+') + 1));
  }
  EXPECT_EQ(fonts, (std::vector<std::string>{"LiberationSerif", "LiberationMono"}));
}

TEST_F(PrintToPdf, PathCallbackChoosesOrDeclinesEachJobAndASourceIsNeverOverwritten) {
  std::vector<std::string> suggested;
  surface.SetPdfPathCallback([&](const std::string& path) -> std::optional<std::string> {
    suggested.push_back(path);
    if (suggested.size() == 1) return std::nullopt;  // declined
    return suggested.size() == 2 ? Out("chosen.pdf") : path;
  });
  surface.SetDocumentName(dir.File("notes.txt"));
  surface.Print("Declined", true);
  surface.EndDoc();
  surface.Print("Kept", true);
  surface.EndDoc();
  EXPECT_FALSE(std::filesystem::exists(Out("notes.pdf")));
  EXPECT_EQ(ReadPdfWords(Out("chosen.pdf"))["Kept"].page, 1);
  EXPECT_EQ(surface.Port(), dir.path().string());  // the folder it last wrote to
  // A source named .pdf; a new document also starts the numbering again.
  const std::string source = dir.Write("paper.pdf", "plain text, oddly named\r\n");
  surface.SetDocumentName(source);
  surface.Print("Printed", true);
  surface.EndDoc();
  EXPECT_EQ(suggested, (std::vector<std::string>{Out("notes.pdf"), Out("notes-2.pdf"),
                                                 Out("paper.pdf.pdf")}));
  EXPECT_EQ(testing::ReadFile(source), "plain text, oddly named\r\n");
  EXPECT_EQ(ReadPdfWords(Out("paper.pdf.pdf"))["Printed"].page, 1);
}

TEST_F(PrintToPdf, AJobGoesToDiskAsItIsDrawnAndTakesTheFilesPlaceOnlyWhenItEnds) {
  dir.Write("out.pdf", "the previous print");
  DrawPages(300);
  // Drawn but not ended: the old file is untouched, the new one grows beside it.
  EXPECT_EQ(testing::ReadFile(Out()), "the previous print");
  std::vector<std::string> files = Files();
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[1].rfind("out.pdf", 0), 0u) << files[1];
  EXPECT_GT(std::filesystem::file_size(dir.path() / files[1]), 200u * 1024);
  surface.EndDoc();
  EXPECT_EQ(Files(), std::vector<std::string>{"out.pdf"});
  EXPECT_EQ(testing::PdfPages(Out()).size(), 300u);
  PdfWords words = ReadPdfWords(Out());
  EXPECT_EQ(words["2375700"].page, 300);  // 300 * 7919 + 0 * 104729
  // The file is the user's like any other they save: readable as the umask allows.
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(std::filesystem::status(Out()).permissions(),
            static_cast<std::filesystem::perms>(0666 & ~mask));
  // A dropped job leaves nothing behind.
  DrawPages(3);
  surface.AbortDoc();
  EXPECT_EQ(Files(), std::vector<std::string>{"out.pdf"});
}

TEST_F(PrintToPdf, AJobThatCannotBeWrittenFailsAndKeepsTheOldFile) {
  surface.SetPdfOutputPath(dir.File("no-such-folder/out.pdf"));
  surface.Print("Lost", true);
  EXPECT_TRUE(Raises([&] { surface.EndDoc(); }, kPathFileAccessError,
                     {"no-such-folder/out.pdf", "No such file or directory"}));
  surface.SetPdfOutputPath(Out());
  dir.Write("out.pdf", "the previous print");
  // A file-size limit stops the writing part-way, as a full disk would.
  rlimit old_limit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  rlimit limit = old_limit;
  limit.rlim_cur = 64 * 1024;
  void (*old_handler)(int) = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  DrawPages(300);
  std::string raised = "nothing";
  try {
    surface.EndDoc();
  } catch (const RuntimeError& e) {
    raised = std::to_string(e.number()) + " " + e.failure().description;
  }
  setrlimit(RLIMIT_FSIZE, &old_limit);
  signal(SIGXFSZ, old_handler);
  EXPECT_EQ(raised, "75 Path/File access error (" + Out() + ": File too large)");
  EXPECT_EQ(testing::ReadFile(Out()), "the previous print");
  EXPECT_EQ(Files(), std::vector<std::string>{"out.pdf"});
  // Nothing was written, so the next job takes the same name.
  surface.Print("Again", true);
  surface.EndDoc();
  const PdfWords words = ReadPdfWords(Out());
  EXPECT_EQ(words.at("Again").page, 1);
  EXPECT_EQ(words.count("Lost"), 0u);
  EXPECT_EQ(Files(), std::vector<std::string>{"out.pdf"});
}

TEST_F(PrintToPdf, LinesAndBoxesAreDrawnInWidthAndColour) {
  surface.SetPaperSize(kPaperLetter);
  surface.SetDrawWidth(60);  // 60 pixels at 600 dpi: 7.2 points wide
  surface.Line(1440, 1440, 2880, 2880, Rgb{255, 0, 0}, true);   // box 72..144 pt
  surface.Line(1440, 4320, 4320, 4320, Rgb{0, 0, 255}, false);  // line at y 216 pt
  surface.EndDoc();
  // At 72 dpi a pixel is a point: the P6 header, then three bytes a pixel.
  const std::string ppm = RunCommand("pdftoppm -r 72 -f 1 -l 1 " + ShellQuote(Out())).value();
  const std::string header = "P6\n612 792\n255\n";
  ASSERT_EQ(ppm.compare(0, header.size(), header), 0);
  const std::string red("\xFF\x00\x00", 3), blue("\x00\x00\xFF", 3), white("\xFF\xFF\xFF", 3);
  // (x, y) points: the box's left side, inside the 7.2 pt stroke, beyond it, inside the
  // unfilled box; the line, below it.
  const std::tuple<int, int, std::string> probes[] = {{72, 108, red},    {74, 108, red},
      {66, 108, white}, {108, 108, white}, {180, 216, blue}, {180, 224, white}};
  for (const auto& [x, y, colour] : probes) {
    EXPECT_EQ(ppm.substr(header.size() + (y * 612 + x) * 3, 3), colour) << x << ", " << y;
  }
}

TEST_F(PrintToPdf, TakesEveryValidSettingAndRefusesOthersWith380) {
  EXPECT_EQ(surface.DeviceCapabilities(kPrintToPdf, "", kCapabilityDuplex), 1);
  EXPECT_EQ(surface.DeviceCapabilities(kPrintToPdf, "", kCapabilityOrientation), 90);
  surface.SetOrientation(kLandscape);
  surface.SetPaperSize(kPaperLetter);
  surface.SetDuplex(kDuplexShortEdge);
  surface.SetScaleMode(1);
  surface.SetColorMode(2);
  CupsSurface& s = surface;
  const std::pair<const char*, std::function<void()>> refused[] = {
      {"orientation 3", [&] { s.SetOrientation(3); }},
      {"paper 0", [&] { s.SetPaperSize(0); }},       {"paper 2", [&] { s.SetPaperSize(2); }},
      {"duplex 4", [&] { s.SetDuplex(4); }},         {"size 0", [&] { s.SetFontSize(0); }},
      {"size 5000", [&] { s.SetFontSize(5000); }},   {"width 0", [&] { s.SetDrawWidth(0); }},
      {"scale 3", [&] { s.SetScaleMode(3); }},       {"colour 0", [&] { s.SetColorMode(0); }},
      {"printer 99", [&] { s.SelectPrinter(99); }}, {"kept 2", [&] { s.SetPdfPaperSize(2); }}};
  for (const auto& [what, set] : refused) EXPECT_TRUE(Raises(set, kInvalidPropertyValue)) << what;
  EXPECT_EQ(surface.Orientation(), kLandscape);
  EXPECT_EQ(surface.PaperSize(), kPaperLetter);
  EXPECT_EQ(surface.PdfPaperSize(), 0);
  EXPECT_EQ(surface.Duplex(), kDuplexShortEdge);
  EXPECT_EQ(surface.FontSize(), 10);
  // Choosing the printer again keeps the font and the orientation.
  surface.SetFontName("Courier New");
  surface.SelectPrinter(surface.Printers().size() - 1);
  EXPECT_EQ(surface.FontName(), "Liberation Mono");
  EXPECT_EQ(surface.Orientation(), kLandscape);
}

}  // namespace
}  // namespace quireon2
