// The printer surface's "Print to PDF" printer, read back from the PDF files it writes:
// where text lands, how wide it is, pages, files per job, fonts, characters, lines.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/cups_surface.h"
#include "platform/pdf_reading.h"
#include "settings/runtime_failure.h"
#include "support/gtest_support.h"

namespace quireon2 {
namespace {

using testing::FindWord;
using testing::PdfPages;
using testing::PdfText;
using testing::PdfWord;
using testing::PdfWords;

// Hand-worked metrics of the Times New Roman substitute (Liberation Serif, 2048 units per
// em). Advances in font units H 1479, e 909, l 569, o 1024, space 512, in whole
// thousandths of an em (cut, as the PDF records them) 722, 443, 277, 500, 250. Windows
// ascent 1825 and descent 443 units.
constexpr double kHelloTwips10 = 443.8;     // (722+443+277+277+500) / 1000 * 10 pt * 20
constexpr double kLineTwips10 = 221.484375;  // (1825+443) / 2048 * 10 * 20
// The Courier New substitute (Liberation Mono): every glyph 1229 units, 600 thousandths.
constexpr double kMonoCharTwips10 = 120;

class PrintToPdf : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::HavePdfTools()) {
      GTEST_SKIP() << "pdftotext, pdfinfo and pdffonts (poppler-utils) are not installed";
    }
    std::vector<PrinterInfo> printers = surface.Printers();
    surface.SelectPrinter(printers.size() - 1);
    ASSERT_EQ(surface.DeviceName(), kPrintToPdf);
    surface.SetPdfOutputPath(Out());
    surface.SetFontName("Times New Roman");
    surface.SetFontSize(10);
  }

  std::string Out(const std::string& name = "out.pdf") const { return dir.File(name); }

  testing::ScratchDir dir;
  CupsSurface surface;
};

TEST_F(PrintToPdf, PaperAndOrientationGiveThePrintableAreaAndThePage) {
  struct Case {
    int paper;
    int orientation;
    double width_twips, height_twips;  // whole page: nothing is unprintable
    double page_width, page_height;    // points
  };
  const std::vector<Case> cases = {
      {kPaperLetter, kPortrait, 12240, 15840, 612, 792},
      {kPaperLetter, kLandscape, 15840, 12240, 792, 612},
      // A4: 210 mm = 595.2756 pt = 11905.51 twips, 297 mm = 841.8898 pt = 16837.80 twips
      {kPaperA4, kPortrait, 11905.51, 16837.80, 595.28, 841.89},
      {kPaperA4, kLandscape, 16837.80, 11905.51, 841.89, 595.28},
  };
  int job = 0;
  for (const Case& c : cases) {
    ++job;
    surface.SetPaperSize(c.paper);
    surface.SetOrientation(c.orientation);
    EXPECT_EQ(surface.PaperSize(), c.paper);
    EXPECT_EQ(surface.Orientation(), c.orientation);
    EXPECT_NEAR(surface.ScaleWidth(), c.width_twips, 0.01) << job;
    EXPECT_NEAR(surface.ScaleHeight(), c.height_twips, 0.01) << job;
    surface.SetCurrentX(1440);
    surface.SetCurrentY(2880);
    surface.Print("Corner", false);
    // Near the far corner too, so a page cut to the wrong size would lose it.
    surface.SetCurrentX(c.width_twips - 2000);
    surface.SetCurrentY(c.height_twips - 1000);
    surface.Print("Far", true);
    surface.EndDoc();

    const std::string file = job == 1 ? Out() : Out("out-" + std::to_string(job) + ".pdf");
    std::vector<testing::PdfPage> pages = PdfPages(file);
    ASSERT_EQ(pages.size(), 1u) << file;
    EXPECT_NEAR(pages[0].width, c.page_width, 0.5) << job;
    EXPECT_NEAR(pages[0].height, c.page_height, 0.5) << job;
    std::vector<PdfWord> words = PdfWords(file);
    PdfWord corner = FindWord(words, "Corner");
    EXPECT_NEAR(corner.x_min, 72, 0.25) << job;
    EXPECT_NEAR(corner.y_min, 144, 0.25) << job;
    PdfWord far = FindWord(words, "Far");
    EXPECT_NEAR(far.x_min, (c.width_twips - 2000) / 20, 0.25) << job;
    EXPECT_NEAR(far.y_min, (c.height_twips - 1000) / 20, 0.25) << job;
  }
}

TEST_F(PrintToPdf, TimesNewRomanMeasuresWithItsOwnMetrics) {
  EXPECT_EQ(surface.FontName(), "Liberation Serif");
  EXPECT_NEAR(surface.TextWidth("Hello"), kHelloTwips10, 1e-6);
  EXPECT_NEAR(surface.TextHeight("Hello"), kLineTwips10, 1e-6);
  EXPECT_EQ(surface.TextWidth(""), 0);
  EXPECT_NEAR(surface.TextHeight(""), kLineTwips10, 1e-6);
  // Several lines: the widest line, all the lines.
  EXPECT_NEAR(surface.TextWidth("l\r\nHello\nel"), kHelloTwips10, 1e-6);
  EXPECT_NEAR(surface.TextHeight("l\r\nHello\nel"), 3 * kLineTwips10, 1e-6);
  EXPECT_NEAR(surface.TextHeight("Hello\r\n"), kLineTwips10, 1e-6);
  // A UTF-8 sequence is one character: e acute is as wide as e.
  EXPECT_NEAR(surface.TextWidth("\xC3\xA9"), 88.6, 1e-6);
  EXPECT_NEAR(surface.TextWidth("\xE9"), 88.6, 1e-6);

  surface.SetFontName("courier new");
  EXPECT_EQ(surface.FontName(), "Liberation Mono");
  EXPECT_NEAR(surface.TextWidth("abc"), 3 * kMonoCharTwips10, 1e-6);
  surface.SetFontSize(20);
  EXPECT_NEAR(surface.TextWidth("abc"), 6 * kMonoCharTwips10, 1e-6);
}

TEST_F(PrintToPdf, PrintMovesTheCurrentPosition) {
  surface.SetCurrentX(100);
  surface.SetCurrentY(300);
  surface.Print("Hello", false);
  EXPECT_NEAR(surface.CurrentX(), 100 + kHelloTwips10, 1e-6);
  EXPECT_EQ(surface.CurrentY(), 300);
  surface.Print("Hello", true);
  EXPECT_EQ(surface.CurrentX(), 0);
  EXPECT_NEAR(surface.CurrentY(), 300 + kLineTwips10, 1e-6);
  surface.Print("", true);
  EXPECT_NEAR(surface.CurrentY(), 300 + 2 * kLineTwips10, 1e-6);
  // An embedded line end starts the next line at the left edge.
  surface.SetCurrentX(500);
  surface.SetCurrentY(0);
  surface.Print("ab\r\nHello", false);
  EXPECT_NEAR(surface.CurrentX(), kHelloTwips10, 1e-6);
  EXPECT_NEAR(surface.CurrentY(), kLineTwips10, 1e-6);
  surface.EndDoc();

  std::vector<PdfWord> words = PdfWords(Out());
  ASSERT_EQ(words.size(), 3u);
  PdfWord twice = FindWord(words, "HelloHello");  // the second Hello right after the first
  EXPECT_NEAR(twice.x_min, 5, 0.25);               // at (100, 300) twips
  EXPECT_NEAR(twice.y_min, 15, 0.25);
  PdfWord ab = FindWord(words, "ab");
  EXPECT_NEAR(ab.x_min, 25, 0.25);
  EXPECT_NEAR(ab.y_min, 0, 0.25);
  PdfWord next = FindWord(words, "Hello");
  EXPECT_NEAR(next.x_min, 0, 0.25);
  EXPECT_NEAR(next.y_min, kLineTwips10 / 20, 0.25);
}

TEST_F(PrintToPdf, MeasuredWidthIsTheDrawnWidth) {
  const std::string line = "The quick brown fox, WAVE AVAIL Tyre \xE9t\xE9 caf\xC3\xA9 10";
  for (double size : {10.0, 8.25, 14.5}) {
    surface.SetFontSize(size);
    const double width = surface.TextWidth(line);
    surface.SetCurrentX(360);
    surface.SetCurrentY(1440);
    surface.Print(line, false);
    EXPECT_NEAR(surface.CurrentX(), 360 + width, 1e-9);
    surface.Print(" Z", false);  // lands right after the measured width and one blank
    // Further along the same line, as a header puts its right-hand part.
    surface.SetCurrentX(360 + width + 1440);
    surface.Print("Right", false);
    surface.Print(" Q", true);
    surface.EndDoc();
    std::vector<PdfWord> words = PdfWords(surface.last_pdf_path());
    // Z's left edge: start + the line's width + a blank of 250 thousandths of an em.
    EXPECT_NEAR(FindWord(words, "Z").x_min, (360 + width) / 20 + 0.25 * size, 0.03) << size;
    EXPECT_NEAR(FindWord(words, "Right").x_min, (360 + width) / 20 + 72, 0.03) << size;
    // Q after "Right " (R 666, i 277, g 500, h 500, t 277, blank 250 thousandths).
    EXPECT_NEAR(FindWord(words, "Q").x_min, (360 + width) / 20 + 72 + 2.470 * size, 0.03)
        << size;
  }
}

TEST_F(PrintToPdf, FractionalFontSizeIsKept) {
  surface.SetFontSize(8.25);
  EXPECT_EQ(surface.FontSize(), 8.25);
  EXPECT_NEAR(surface.TextWidth("Hello"), 366.135, 1e-6);  // 2219 / 1000 * 8.25 * 20
  EXPECT_NEAR(surface.TextHeight("Hello"), 182.724609375, 1e-6);  // 2268 / 2048 * 8.25 * 20
  surface.SetCurrentX(1440);
  surface.SetCurrentY(1440);
  surface.Print("Hello", false);
  surface.Print(" Z", true);
  surface.EndDoc();
  std::vector<PdfWord> words = PdfWords(Out());
  PdfWord z = FindWord(words, "Z");
  EXPECT_NEAR(z.x_min, 72 + 2.469 * 8.25, 0.03);  // Hello and a blank: 2469 thousandths
  // The word box is the font's height at its size: 8 or 9 points would differ by 0.5 pt.
  PdfWord hello = FindWord(words, "Hello");
  EXPECT_NEAR(hello.y_max - hello.y_min, 2268.0 / 2048 * 8.25, 0.1);
}

TEST_F(PrintToPdf, Utf8AndWindows1252BytesPrintAsTheirCharacters) {
  surface.SetCurrentX(1440);
  surface.SetCurrentY(1440);
  surface.Print("caf\xC3\xA9 \xE2\x82\xAC \x80 na\xEFve \xE9t\xE9 \x93quoted\x94", true);
  surface.EndDoc();
  EXPECT_NE(PdfText(Out()).find("caf\u00E9 \u20AC \u20AC na\u00EFve \u00E9t\u00E9 \u201Cquoted\u201D"),
            std::string::npos)
      << PdfText(Out());
}

TEST_F(PrintToPdf, NewPageAddsAPageOfTheSameJob) {
  surface.Print("First", true);
  surface.NewPage();
  surface.SetCurrentX(0);
  surface.SetCurrentY(0);
  surface.Print("Second", true);
  surface.NewPage();
  surface.NewPage();  // a blank page still counts
  surface.Print("Fourth", true);
  surface.EndDoc();
  EXPECT_EQ(PdfPages(Out()).size(), 4u);
  std::vector<PdfWord> words = PdfWords(Out());
  EXPECT_EQ(FindWord(words, "First").page, 1);
  EXPECT_EQ(FindWord(words, "Second").page, 2);
  EXPECT_EQ(FindWord(words, "Fourth").page, 4);
  EXPECT_FALSE(std::filesystem::exists(Out("out-2.pdf")));
}

TEST_F(PrintToPdf, OrientationChangesFromTheNextPage) {
  surface.SetPaperSize(kPaperLetter);
  surface.Print("Upright", true);
  surface.NewPage();
  surface.SetOrientation(kLandscape);
  surface.Print("Wide", true);
  surface.EndDoc();
  std::vector<testing::PdfPage> pages = PdfPages(Out());
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_NEAR(pages[0].width, 612, 0.5);
  EXPECT_NEAR(pages[1].width, 792, 0.5);
}

TEST_F(PrintToPdf, EachJobIsItsOwnFile) {
  surface.Print("One", true);
  surface.EndDoc();
  EXPECT_EQ(surface.last_pdf_path(), Out());
  surface.Print("Two", true);
  surface.NewPage();
  surface.EndDoc();  // right after a page end: no further blank page
  EXPECT_EQ(surface.last_pdf_path(), Out("out-2.pdf"));
  EXPECT_EQ(PdfPages(Out()).size(), 1u);
  EXPECT_EQ(PdfPages(Out("out-2.pdf")).size(), 1u);
  EXPECT_EQ(FindWord(PdfWords(Out()), "One").page, 1);
  EXPECT_EQ(FindWord(PdfWords(Out("out-2.pdf")), "Two").page, 1);
  EXPECT_EQ(FindWord(PdfWords(Out("out-2.pdf")), "One").text, "");

  // Ending a job that has no drawing writes nothing and uses no number.
  surface.EndDoc();
  EXPECT_FALSE(std::filesystem::exists(Out("out-3.pdf")));
  // A dropped job writes nothing either, and its number goes to the next job.
  surface.Print("Dropped", true);
  surface.AbortDoc();
  surface.AbortDoc();
  surface.Print("Three", true);
  surface.EndDoc();
  EXPECT_EQ(FindWord(PdfWords(Out("out-3.pdf")), "Three").page, 1);
  EXPECT_EQ(FindWord(PdfWords(Out("out-3.pdf")), "Dropped").text, "");
  // A new document starts the numbering again.
  surface.SetDocumentName(dir.File("notes.txt"));
  surface.Print("Again", true);
  surface.EndDoc();
  EXPECT_EQ(FindWord(PdfWords(Out()), "Again").page, 1);
}

TEST_F(PrintToPdf, FontsAreEmbedded) {
  surface.Print("Serif", true);
  surface.SetFontName("Courier New");
  surface.Print("Mono", true);
  surface.EndDoc();
  const std::string fonts = testing::PdfFonts(Out());
  EXPECT_NE(fonts.find("LiberationSerif"), std::string::npos) << fonts;
  EXPECT_NE(fonts.find("LiberationMono"), std::string::npos) << fonts;
  int listed = 0;
  std::size_t at = fonts.find('\n', fonts.find("----"));
  while (at != std::string::npos && at + 1 < fonts.size()) {
    std::size_t end = fonts.find('\n', at + 1);
    std::string row = fonts.substr(at + 1, end - at - 1);
    EXPECT_NE(row.find(" yes "), std::string::npos) << "not embedded: " << row;
    ++listed;
    at = end;
  }
  EXPECT_EQ(listed, 2);
}

TEST_F(PrintToPdf, PathCallbackChoosesOrDeclinesEachJob) {
  std::vector<std::string> suggested;
  std::vector<std::optional<std::string>> answers = {std::nullopt, Out("chosen.pdf")};
  surface.SetPdfPathCallback([&](const std::string& path) {
    suggested.push_back(path);
    std::optional<std::string> answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  });
  surface.SetDocumentName(dir.File("notes.txt"));
  surface.Print("Declined", true);
  surface.EndDoc();
  surface.Print("Kept", true);
  surface.EndDoc();
  EXPECT_EQ(suggested, (std::vector<std::string>{Out("notes.pdf"), Out("notes-2.pdf")}));
  EXPECT_FALSE(std::filesystem::exists(Out("notes.pdf")));
  EXPECT_EQ(FindWord(PdfWords(Out("chosen.pdf")), "Kept").page, 1);
  EXPECT_EQ(surface.Port(), dir.path().string());  // the folder it last wrote to
}

TEST_F(PrintToPdf, SourceNamedPdfIsNeverOverwrittenByItsPrint) {
  const std::string source = dir.Write("paper.pdf", "plain text, oddly named\r\n");
  CupsSurface fresh;
  fresh.SelectPrinter(fresh.Printers().size() - 1);
  fresh.SetDocumentName(source);
  fresh.Print("Printed", true);
  fresh.EndDoc();
  EXPECT_EQ(testing::ReadFile(source), "plain text, oddly named\r\n");
  EXPECT_EQ(fresh.last_pdf_path(), source + ".pdf");
  EXPECT_EQ(FindWord(PdfWords(source + ".pdf"), "Printed").page, 1);
}

TEST_F(PrintToPdf, UnwritableOutputRaisesAFailureAndTheNextJobWorks) {
  surface.SetPdfOutputPath(dir.File("no-such-folder/out.pdf"));
  surface.Print("Lost", true);
  try {
    surface.EndDoc();
    ADD_FAILURE() << "a PDF that cannot be written must raise";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), kPathFileAccessError);
    EXPECT_NE(e.failure().description.find("no-such-folder/out.pdf"), std::string::npos)
        << e.failure().description;
    EXPECT_NE(e.failure().description.find("No such file or directory"), std::string::npos)
        << e.failure().description;
  }
  surface.SetPdfOutputPath(Out());
  surface.Print("Found", true);
  surface.EndDoc();
  EXPECT_EQ(FindWord(PdfWords(Out()), "Found").page, 1);
  EXPECT_EQ(FindWord(PdfWords(Out()), "Lost").text, "");
}

TEST_F(PrintToPdf, LinesAndBoxesAreDrawnInWidthAndColour) {
  surface.SetPaperSize(kPaperLetter);
  // 60 pixels at 600 dpi: 7.2 points wide.
  surface.SetDrawWidth(60);
  surface.Line(1440, 1440, 2880, 2880, Rgb{255, 0, 0}, true);    // box 72..144 pt
  surface.Line(1440, 4320, 4320, 4320, Rgb{0, 0, 255}, false);   // line at y 216 pt
  surface.EndDoc();
  testing::CommandResult ppm =
      testing::RunCommand("pdftoppm -r 72 -f 1 -l 1 " + testing::ShellQuote(Out()));
  ASSERT_TRUE(ppm.ok);
  // P6 header: "P6\n612 792\n255\n", then three bytes a pixel.
  const std::string header = "P6\n612 792\n255\n";
  ASSERT_EQ(ppm.output.compare(0, header.size(), header), 0);
  auto pixel = [&](int x, int y) {
    std::size_t at = header.size() + (static_cast<std::size_t>(y) * 612 + x) * 3;
    return Rgb{static_cast<std::uint8_t>(ppm.output[at]),
               static_cast<std::uint8_t>(ppm.output[at + 1]),
               static_cast<std::uint8_t>(ppm.output[at + 2])};
  };
  const Rgb white{255, 255, 255};
  EXPECT_EQ(pixel(72, 108), (Rgb{255, 0, 0}));     // on the box's left side
  EXPECT_EQ(pixel(74, 108), (Rgb{255, 0, 0}));     // still inside the 7.2 pt stroke
  EXPECT_EQ(pixel(108, 143), (Rgb{255, 0, 0}));    // on its bottom side
  EXPECT_EQ(pixel(108, 108), white);               // the box is not filled
  EXPECT_EQ(pixel(66, 108), white);                // beyond the stroke
  EXPECT_EQ(pixel(180, 216), (Rgb{0, 0, 255}));
  EXPECT_EQ(pixel(180, 224), white);
  EXPECT_EQ(pixel(180, 144), white);               // a line is not a box
}

TEST_F(PrintToPdf, RefusedSettingsRaise380AndKeepTheValue) {
  surface.SetOrientation(kLandscape);
  surface.SetPaperSize(kPaperLetter);
  surface.SetDuplex(kDuplexShortEdge);  // "Print to PDF" takes every sides value
  surface.SetDrawWidth(3);
  struct Case {
    const char* what;
    std::function<void()> set;
  };
  const std::vector<Case> cases = {
      {"orientation 0", [&] { surface.SetOrientation(0); }},
      {"orientation 3", [&] { surface.SetOrientation(3); }},
      {"paper 2", [&] { surface.SetPaperSize(2); }},
      {"paper 0", [&] { surface.SetPaperSize(0); }},
      {"duplex 0", [&] { surface.SetDuplex(0); }},
      {"duplex 4", [&] { surface.SetDuplex(4); }},
      {"font size 0", [&] { surface.SetFontSize(0); }},
      {"font size -1", [&] { surface.SetFontSize(-1); }},
      {"font size 5000", [&] { surface.SetFontSize(5000); }},
      {"draw width 0", [&] { surface.SetDrawWidth(0); }},
      {"scale mode 3", [&] { surface.SetScaleMode(3); }},
      {"colour mode 0", [&] { surface.SetColorMode(0); }},
      {"printer 99", [&] { surface.SelectPrinter(99); }},
  };
  for (const Case& c : cases) {
    try {
      c.set();
      ADD_FAILURE() << c.what << " was accepted";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), kInvalidPropertyValue) << c.what;
    }
  }
  EXPECT_EQ(surface.Orientation(), kLandscape);
  EXPECT_EQ(surface.PaperSize(), kPaperLetter);
  EXPECT_EQ(surface.Duplex(), kDuplexShortEdge);
  EXPECT_EQ(surface.FontSize(), 10);
  EXPECT_EQ(surface.DeviceName(), kPrintToPdf);
  surface.SetScaleMode(1);
  surface.SetColorMode(1);
}

TEST_F(PrintToPdf, PrinterListEndsWithPrintToPdfWhichAnswersItsCapabilities) {
  std::vector<PrinterInfo> printers = surface.Printers();
  ASSERT_FALSE(printers.empty());
  EXPECT_EQ(printers.back().device_name, kPrintToPdf);
  EXPECT_EQ(surface.DeviceCapabilities(kPrintToPdf, "", kCapabilityDuplex), 1);
  EXPECT_EQ(surface.DeviceCapabilities(kPrintToPdf, "", kCapabilityOrientation), 90);
  EXPECT_EQ(surface.DeviceCapabilities("Q2 no such queue", "", kCapabilityDuplex), -1);
  EXPECT_EQ(surface.DeviceCapabilities("Q2 no such queue", "", kCapabilityOrientation), -1);

  // Making it current again keeps font, size and orientation.
  surface.SetFontName("Courier New");
  surface.SetFontSize(7.5);
  surface.SetOrientation(kLandscape);
  surface.SelectPrinter(printers.size() - 1);
  EXPECT_EQ(surface.FontName(), "Liberation Mono");
  EXPECT_EQ(surface.FontSize(), 7.5);
  EXPECT_EQ(surface.Orientation(), kLandscape);
}

TEST_F(PrintToPdf, FontFamiliesListTheInstalledOutlineFamilies) {
  std::vector<FontFamily> families = surface.FontFamilies();
  bool serif = false, mono = false;
  for (std::size_t i = 0; i < families.size(); ++i) {
    if (families[i].name == "Liberation Serif") serif = families[i].scalable;
    if (families[i].name == "Liberation Mono") mono = families[i].scalable;
    if (i > 0) {
      EXPECT_LT(strcasecmp(families[i - 1].name.c_str(), families[i].name.c_str()), 0)
          << families[i - 1].name << " / " << families[i].name;
    }
  }
  EXPECT_TRUE(serif);
  EXPECT_TRUE(mono);
}

}  // namespace
}  // namespace quireon2
