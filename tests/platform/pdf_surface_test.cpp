// The printer surface's "Print to PDF" printer, read back from the PDF files it writes:
// paper, where text lands and how wide it is, fonts, file names, lines and settings.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

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

using testing::FindWord;
using testing::Raises;
using testing::ReadPdfPages;
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
  void At(double x_twips, double y_twips, const std::string& text, bool line_end = true) {
    surface.SetCurrentX(x_twips);
    surface.SetCurrentY(y_twips);
    surface.Print(text, line_end);
  }
  std::size_t FileCount() const {
    const std::filesystem::directory_iterator files(dir.path());
    return static_cast<std::size_t>(std::distance(begin(files), end(files)));
  }

  testing::ScratchDir dir;
  CupsSurface surface;
};

// A new "Print to PDF" printer starts on the system's paper, $PAPERSIZE first (A5 is 11).
TEST_F(PrintToPdf, StartsOnTheSystemsPaper) {
  std::optional<CupsSurface> fresh;
  {
    testing::ScopedEnv paper("PAPERSIZE", "a5");
    fresh.emplace();
  }
  fresh->SelectPrinter(fresh->Printers().size() - 1);
  EXPECT_EQ(fresh->Papers(kPrintToPdf).in_force, 11);
}

// A text is measured by its font's own metrics and drawn where it measured, on a page of
// the paper and orientation set, all of it printable, and the font is embedded.
TEST_F(PrintToPdf, MeasuresByTheFontsOwnMetricsAndDrawsWhereItMeasured) {
  surface.SetPaperSize(kPaperA4);  // 210 x 297 mm = 595.28 x 841.89 pt
  surface.SetOrientation(kLandscape);
  EXPECT_NEAR(surface.ScaleWidth(), 841.89 * 20, 0.1);
  EXPECT_NEAR(surface.ScaleHeight(), 595.28 * 20, 0.1);
  surface.SetFontName("Times New Roman");
  surface.SetFontSize(8.25);  // a size rounded to whole points would show
  EXPECT_EQ(surface.FontName(), "Liberation Serif");
  // In thousandths of an em as the PDF records them, "Hello" (H 722, e 443, l 277, o 500);
  // the line height in ems is the Windows ascent and descent, 1825 + 443 over 2048 units.
  const double line_height = 2268.0 / 2048 * 8.25;
  EXPECT_NEAR(surface.TextWidth("Hello"), 2.219 * 8.25 * 20, 1e-6);
  EXPECT_NEAR(surface.TextHeight("Hello"), line_height * 20, 1e-6);
  // Kerning pairs, UTF-8 and Windows-1252 bytes.
  const std::string line = "The quick brown fox, WAVE AVAIL Tyre caf\xC3\xA9 \x80\xE2\x82\xAC 10";
  const double width = surface.TextWidth(line);
  At(500, 0, "ab\r\n" + line, false);  // the line end starts a line at the left edge
  surface.Print(" Z", false);
  surface.SetCurrentX(width + 1440);  // further along, as a header's right part
  surface.Print("Right", true);
  At(841.89 * 20 - 2000, 595.28 * 20 - 1000, "Far");  // lost from a page cut too small
  surface.EndDoc();
  const std::vector<testing::PdfPageText> pages = ReadPdfPages(Out());
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_NEAR(pages[0].width, 841.89, 0.5);
  EXPECT_NEAR(pages[0].height, 595.28, 0.5);
  EXPECT_TRUE(WordAt(pages[0], "ab", 25, 0));
  EXPECT_TRUE(WordAt(pages[0], "The", 0, line_height));
  EXPECT_NEAR(FindWord(pages[0], "Z").value().x_min, width / 20 + 0.25 * 8.25, 0.03);  // a blank
  EXPECT_NEAR(FindWord(pages[0], "Right").value().x_min, width / 20 + 72, 0.03);
  EXPECT_TRUE(WordAt(pages[0], "Far", 841.89 - 100, 595.28 - 50));
  EXPECT_TRUE(FindWord(pages[0], "\u20AC\u20AC"));
  // pdffonts's rows end "emb sub uni object ID"; an embedded subset's name has a prefix.
  std::istringstream rows(RunCommand("pdffonts " + ShellQuote(Out())).value());
  std::vector<std::string> fonts;
  for (std::string row; std::getline(rows, row);) {
    std::istringstream cells(row);
    const std::vector<std::string> c{std::istream_iterator<std::string>(cells), {}};
    if (c.size() > 5 && c[c.size() - 5] == "yes") fonts.push_back(c[0].substr(c[0].find('+') + 1));
  }
  EXPECT_EQ(fonts, std::vector<std::string>{"LiberationSerif"});
}

// The name offered for a job follows its document, in the folder last written to; the
// second side of a run goes beside the first wherever that was put; a declined job writes
// nothing; a source named .pdf is never overwritten.
TEST_F(PrintToPdf, PathCallbackChoosesOrDeclinesEachJobAndASourceIsNeverOverwritten) {
  std::filesystem::create_directory(Out("elsewhere"));
  std::vector<std::string> suggested;
  surface.SetPdfPathCallback([&](const std::string& path) -> std::optional<std::string> {
    suggested.push_back(path);
    if (suggested.size() == 1) return Out("elsewhere/mine.pdf");
    if (suggested.size() == 4) return std::nullopt;
    return path;
  });
  const std::string source = dir.Write("paper.pdf", "plain text, oddly named\r\n");
  // The document of each job; an empty name goes on with the one before.
  for (const std::string& document : {dir.File("notes.txt"), std::string(), source,
                                      dir.File("notes.txt")}) {
    if (!document.empty()) surface.SetDocumentName(document);
    surface.Print("Printed", true);
    surface.EndDoc();
  }
  EXPECT_EQ(suggested, (std::vector<std::string>{Out("notes.pdf"), Out("elsewhere/mine-2.pdf"),
                                                 Out("elsewhere/paper.pdf.pdf"),
                                                 Out("elsewhere/notes.pdf")}));
  EXPECT_EQ(testing::ReadFile(source), "plain text, oddly named\r\n");
  for (const char* written : {"elsewhere/mine.pdf", "elsewhere/mine-2.pdf",
                              "elsewhere/paper.pdf.pdf"}) {
    EXPECT_TRUE(FindWord(ReadPdfPages(Out(written)).at(0), "Printed")) << written;
  }
  EXPECT_FALSE(std::filesystem::exists(Out("elsewhere/notes.pdf")));
  EXPECT_EQ(surface.Port(), Out("elsewhere"));  // the folder it last wrote to
}

// A job goes to disk as it is drawn and takes the file's place only when it ends well.
TEST_F(PrintToPdf, AJobReplacesTheFileOnlyWhenItIsWrittenWhole) {
  dir.Write("out.pdf", "the previous print");
  for (int page = 1; page <= 300; ++page) {
    if (page > 1) surface.NewPage();
    for (int line = 0; line < 50; ++line) {
      At(0, line * 240, "Page " + std::to_string(page) + " line " + std::to_string(line));
    }
  }
  // Drawn but not ended: the old file is untouched, the new one grows beside it.
  EXPECT_EQ(testing::ReadFile(Out()), "the previous print");
  EXPECT_EQ(FileCount(), 2u);
  // A file-size limit stops the writing part-way, as a full disk would.
  rlimit old_limit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  rlimit limit = old_limit;
  limit.rlim_cur = 64 * 1024;
  void (*old_handler)(int) = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  const auto raised = Raises([&] { surface.EndDoc(); }, kPathFileAccessError,
                             "Path/File access error (" + Out() + ": File too large)");
  setrlimit(RLIMIT_FSIZE, &old_limit);
  signal(SIGXFSZ, old_handler);
  EXPECT_TRUE(raised);
  EXPECT_EQ(testing::ReadFile(Out()), "the previous print");
  EXPECT_EQ(FileCount(), 1u);
  // Nothing was written, so the next job takes the same name; the file is the user's like
  // any other they save, readable as the umask allows.
  surface.Print("Next", true);
  surface.EndDoc();
  EXPECT_EQ(ReadPdfPages(Out()).size(), 1u);
  EXPECT_EQ(FileCount(), 1u);
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(std::filesystem::status(Out()).permissions(),
            static_cast<std::filesystem::perms>(0666 & ~mask));
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
