// The printer surface's "Print to PDF" printer, read back from the PDF files it writes:
// pages and paper, where text lands and how wide it is, fonts, files per job, lines.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
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
using testing::ScopedEnv;
using testing::ReadPdfPages;
using testing::ReadPdfWords;
using testing::RunCommand;
using testing::ShellQuote;
using testing::WordAt;

class PrintToPdf : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!RunCommand("for t in pdftotext pdffonts pdftoppm; do command -v $t||exit; done")) {
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

// "Print to PDF" starts on the system's paper; each page takes the paper and orientation
// in force at its start, the whole page printable. A4: 210 x 297 mm = 595.28 x 841.89 pt.
TEST_F(PrintToPdf, EachPageTakesThePaperAndOrientationInForceAtItsStart) {
  std::optional<ScopedEnv> paper_env(std::in_place, "PAPERSIZE", "a5");
  CupsSurface system_paper;
  paper_env.reset();
  system_paper.SelectPrinter(system_paper.Printers().size() - 1);
  EXPECT_EQ(system_paper.Papers(kPrintToPdf).in_force, 11);
  // Paper, orientation, the page's width and height in points.
  const std::tuple<int, int, double, double> cases[] = {
      {kPaperLetter, kPortrait, 612, 792}, {kPaperA4, kLandscape, 841.89, 595.28}};
  for (const auto& [paper, orientation, width, height] : cases) {
    if (paper != kPaperLetter) surface.NewPage();
    surface.SetPaperSize(paper);
    surface.SetOrientation(orientation);
    EXPECT_NEAR(surface.ScaleWidth(), width * 20, 0.1) << width;
    EXPECT_NEAR(surface.ScaleHeight(), height * 20, 0.1) << width;
    At(1440, 2880, "Corner");
    At(width * 20 - 2000, height * 20 - 1000, "Far");  // lost from a page cut too small
  }
  surface.EndDoc();
  const std::vector<testing::PdfPageText> pages = ReadPdfPages(Out());
  ASSERT_EQ(pages.size(), std::size(cases));
  for (std::size_t i = 0; i < pages.size(); ++i) {
    const auto& [paper, orientation, width, height] = cases[i];
    EXPECT_NEAR(pages[i].width, width, 0.5) << i;
    EXPECT_NEAR(pages[i].height, height, 0.5) << i;
    const PdfWords words(pages[i].words.begin(), pages[i].words.end());
    EXPECT_TRUE(WordAt(words, "Corner", 72, 144)) << i;
    EXPECT_TRUE(WordAt(words, "Far", width - 100, height - 50)) << i;
  }
}

// One page a font and size, each measured and then drawn where it measured.
TEST_F(PrintToPdf, MeasuresByTheFontsOwnMetricsDrawsWhereItMeasuredAndEmbedsTheFonts) {
  // The face asked for, the substitute found, the size; in thousandths of an em as the PDF
  // records them, "Hello" (Serif: H 722, e 443, l 277, o 500) and a blank; the line
  // height in ems (Windows ascent and descent over 2048 units: Serif 1825 + 443, Mono
  // 1705 + 615). Sizes rounded to whole points would show.
  const std::tuple<const char*, const char*, double, double, double, double> cases[] = {
      {"Times New Roman", "Liberation Serif", 8.25, 2219, 250, 2268.0 / 2048},
      {"courier new", "Liberation Mono", 9, 3000, 600, 2320.0 / 2048},
  };
  // Kerning pairs, UTF-8 and Windows-1252 bytes.
  const std::string line =
      "The quick brown fox, WAVE AVAIL Tyre \xE9t\xE9 caf\xC3\xA9 \x80\xE2\x82\xAC \x93q\x94 10";
  std::vector<double> widths;
  for (const auto& [asked, family, size, hello, blank, em] : cases) {
    if (!widths.empty()) surface.NewPage();
    surface.SetFontName(asked);
    surface.SetFontSize(size);
    EXPECT_EQ(surface.FontName(), family);
    EXPECT_EQ(surface.FontSize(), size);
    EXPECT_NEAR(surface.TextWidth("Hello"), hello / 1000 * size * 20, 1e-6) << size;
    EXPECT_NEAR(surface.TextHeight("Hello"), em * size * 20, 1e-6) << size;
    widths.push_back(surface.TextWidth(line));
    At(500, 0, "ab\r\n" + line, false);  // the line end starts a line at the left edge
    EXPECT_NEAR(surface.CurrentX(), widths.back(), 1e-9);
    surface.Print(" Z", false);
    surface.SetCurrentX(widths.back() + 1440);  // further along, as a header's right part
    surface.Print("Right", true);
  }
  surface.EndDoc();
  const std::vector<testing::PdfPageText> pages = ReadPdfPages(Out());
  ASSERT_EQ(pages.size(), std::size(cases));
  for (std::size_t i = 0; i < pages.size(); ++i) {
    const auto& [asked, family, size, hello, blank, em] = cases[i];
    PdfWords words(pages[i].words.begin(), pages[i].words.end());
    EXPECT_TRUE(WordAt(words, "ab", 25, 0)) << size;
    EXPECT_TRUE(WordAt(words, "The", 0, em * size)) << size;
    EXPECT_NEAR(words["The"].y_max - words["The"].y_min, em * size, 0.1) << size;
    EXPECT_NEAR(words["Z"].x_min, widths[i] / 20 + blank / 1000 * size, 0.03) << size;
    EXPECT_NEAR(words["Right"].x_min, widths[i] / 20 + 72, 0.03) << size;
    for (const char* word : {"\u00E9t\u00E9", "caf\u00E9", "\u20AC\u20AC", "\u201Cq\u201D"}) {
      EXPECT_EQ(words.count(word), 1u) << word;
    }
  }
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
  // The second side of a run goes beside the first, wherever that was put; the next
  // document starts in the folder last written to.
  std::filesystem::create_directory(Out("elsewhere"));
  suggested.clear();
  surface.SetPdfPathCallback([&](const std::string& path) -> std::optional<std::string> {
    suggested.push_back(path);
    return suggested.size() == 1 ? Out("elsewhere/mine.pdf") : path;
  });
  surface.SetDocumentName(dir.File("notes.txt"));
  for (const char* side : {"Front", "Back"}) {
    surface.Print(side, true);
    surface.EndDoc();
  }
  surface.SetDocumentName(dir.File("other.txt"));
  surface.Print("Other", true);
  surface.EndDoc();
  EXPECT_EQ(suggested, (std::vector<std::string>{Out("notes.pdf"), Out("elsewhere/mine-2.pdf"),
                                                 Out("elsewhere/other.pdf")}));
  EXPECT_EQ(ReadPdfWords(Out("elsewhere/mine-2.pdf"))["Back"].page, 1);
}

// A job goes to disk as it is drawn and takes the file's place only when it ends well.
TEST_F(PrintToPdf, AJobReplacesTheFileOnlyWhenItIsWrittenWhole) {
  dir.Write("out.pdf", "the previous print");
  DrawPages(300);
  // Drawn but not ended: the old file is untouched, the new one grows beside it.
  EXPECT_EQ(testing::ReadFile(Out()), "the previous print");
  std::vector<std::string> files = Files();
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[1].rfind("out.pdf", 0), 0u) << files[1];
  EXPECT_GT(std::filesystem::file_size(dir.path() / files[1]), 200u * 1024);
  // A file-size limit stops the writing part-way, as a full disk would.
  rlimit old_limit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  rlimit limit = old_limit;
  limit.rlim_cur = 64 * 1024;
  void (*old_handler)(int) = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  const auto raised = Raises([&] { surface.EndDoc(); }, kPathFileAccessError,
                             {"Path/File access error (" + Out() + ": File too large)"});
  setrlimit(RLIMIT_FSIZE, &old_limit);
  signal(SIGXFSZ, old_handler);
  EXPECT_TRUE(raised);
  EXPECT_EQ(testing::ReadFile(Out()), "the previous print");
  EXPECT_EQ(Files(), std::vector<std::string>{"out.pdf"});
  // Nothing was written, so the next job takes the same name; the file is the user's like
  // any other they save, readable as the umask allows.
  DrawPages(2);
  surface.EndDoc();
  const std::vector<testing::PdfPageText> pages = ReadPdfPages(Out());
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[1].words.at(5).first, "15838");  // 2 * 7919 + 0 * 104729
  EXPECT_EQ(Files(), std::vector<std::string>{"out.pdf"});
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(std::filesystem::status(Out()).permissions(),
            static_cast<std::filesystem::perms>(0666 & ~mask));
  // A folder that is not there fails the job, which is the second of this run.
  surface.SetPdfOutputPath(dir.File("no-such-folder/out.pdf"));
  surface.Print("Lost", true);
  EXPECT_TRUE(Raises([&] { surface.EndDoc(); }, kPathFileAccessError,
                     {"no-such-folder/out-2.pdf", "No such file or directory"}));
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
      {"orientation 3", [&] { s.SetOrientation(3); }}, {"paper 2", [&] { s.SetPaperSize(2); }},
      {"paper 0", [&] { s.SetPaperSize(0); }},       {"size 0", [&] { s.SetFontSize(0); }},
      {"duplex 4", [&] { s.SetDuplex(4); }},         {"size 5000", [&] { s.SetFontSize(5000); }},
      {"width 0", [&] { s.SetDrawWidth(0); }},       {"scale 3", [&] { s.SetScaleMode(3); }},
      {"colour 0", [&] { s.SetColorMode(0); }},      {"printer 99", [&] { s.SelectPrinter(99); }},
      {"kept 2", [&] { s.SetPdfPaperSize(2); }}};
  for (const auto& [what, set] : refused) EXPECT_TRUE(Raises(set, kInvalidPropertyValue)) << what;
  EXPECT_TRUE(surface.Orientation() == kLandscape && surface.PaperSize() == kPaperLetter &&
              surface.PdfPaperSize() == 0 && surface.Duplex() == kDuplexShortEdge &&
              surface.FontSize() == 10);
  // Choosing the printer again keeps the font and the orientation.
  surface.SetFontName("Courier New");
  surface.SelectPrinter(surface.Printers().size() - 1);
  EXPECT_EQ(surface.FontName(), "Liberation Mono");
  EXPECT_EQ(surface.Orientation(), kLandscape);
}

}  // namespace
}  // namespace quireon2
