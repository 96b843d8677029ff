// The real quireon2-print as a script or a person at a terminal runs it, its PDFs read back
// with the poppler tools: the prompt between the sides, text from a pipe and PDFs to
// standard output, several files, chosen sheets and pages on the paper asked for; a C
// header's comments lined up by tab stops and characters the layout's font lacks printed
// from installed fonts that have them, measured as drawn; and the picture of a sheet that
// --preview writes, which is what the printer gets.
#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "cli/program_run.h"

namespace quireon2::testing {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;
using Pages = std::vector<std::string>;
using Quireon2Print = ProgramRunTest;

// At the prompt between the sides the program waits on the terminal with the first sides
// out; Enter goes on, Ctrl-C cancels with status 4.
TEST_F(Quireon2Print, ThePromptWaitsForEnterAndCancelsOtherwise) {
  for (bool enter : {true, false}) {
    const std::string run = dir.File(enter ? "enter" : "cancel");  // each run its own files
    err = run + ".txt";
    Program program({"--settings", settings, "-P", "Print to PDF", "-o", run + ".pdf", "-m",
                     enter ? "flipped" : "inkjet", source},
                    err);
    while (ReadFile(err).find("and then press Enter") == std::string::npos) {
      ASSERT_EQ(program.Wait(milliseconds(10)), kStillRunning) << ReadFile(err);
    }
    EXPECT_EQ(program.Wait(milliseconds(300)), kStillRunning) << enter;
    EXPECT_EQ(PdfPages(run + ".pdf").size(), 2u) << enter;
    if (enter && ::write(program.terminal, "\n", 1) != 1) ADD_FAILURE() << "no Enter";
    if (!enter) ::kill(program.pid, SIGINT);
    EXPECT_EQ(program.Wait(), enter ? 0 : 4) << ReadFile(err);
    EXPECT_EQ(PdfPages(run + "-2.pdf").size(), enter ? 2u : 0u) << enter;
  }
}

// What runs to "Print to PDF" write, page by page. Text from a pipe, given as "-" or as no
// FILE, prints as the same text read from its file does, with the --title or "stdin" where
// the file's name would be; -o - puts the PDF on standard output (stdout.pdf here). Each of
// several FILEs is a run of its own: its own PDF, into the folder -o names or beside the
// FILE; a FILE that cannot be used is passed over and the others print. --sheets reprints
// exactly the chosen booklet sheets, both sides, in the one two-sided job or in the two
// passes in the paper-feed mode's order; --pages keeps the chosen pages of 4 up on their
// sides and leaves out the sides without one. 20 pages make 5 sheets: sheet 1 holds M20 M1
// outside and M2 M19 inside, sheet 2 M18 M3 and M4 M17, sheet 4 M14 M7 and M8 M13. In 2
// signatures of 3 sheets, sheet 4 is the second's outer one: M13 (its other half blank) and
// M14. --paper names a paper in any case for the run (sizes in points: A5 148 x 210 mm,
// Legal 8.5 x 14 in). A PDF that cannot reach standard output says so. (The copy of
// standard input and a PDF on its way out are temp files: the suite fails on any left.)
TEST_F(Quireon2Print, PdfRunsWriteThePagesAskedFor) {
  fs::create_directory(dir.File("out"));
  const std::string a = dir.Write("a.txt", MarkerPages(4)), b = dir.Write("b.txt", MarkerPages(6));
  const std::string twenty = dir.Write("twenty.txt", MarkerPages(20));
  const Pages four = {"M1", "M2", "M3", "M4"}, six = {"M1", "M2", "M3", "M4", "M5", "M6"};
  struct Case {
    Args args;
    std::string text;  // on standard input
    int status;
    std::vector<std::pair<std::string, Pages>> pdfs;  // in the scratch folder; {}: none
    std::string size = "";  // of the first one's pages, as pdfinfo says it
  };
  const Case cases[] = {
      {{"-l", "1", "-o", out, "--title", "Notes", "--header", "file", "-"}, MarkerPages(2), 0,
       {{"out.pdf", {"Notes M1", "Notes M2"}}}},
      {{"-l", "1", "-o", "-", "--header", "file"}, MarkerPages(2), 0,
       {{"stdout.pdf", {"stdin M1", "stdin M2"}}}},
      {{"-l", "1", "-o", dir.File("out"), a, b}, "", 0, {{"out/a.pdf", four}, {"out/b.pdf", six}}},
      {{"-l", "1", a, dir.File("missing.txt"), b}, "", 2, {{"a.pdf", four}, {"b.pdf", six}}},
      {{"-o", out, "-m", "duplex", "--sheets", "2", "--paper", "a5", twenty}, "", 0,
       {{"out.pdf", {"M18 M3", "M4 M17"}}, {"out-2.pdf", {}}}, "595.276 x 419.528 pts"},
      // The flipped stack comes back last sheet first; so does an inkjet one in signatures.
      {{"-o", out, "-m", "flipped", "--sheets", "1,4", twenty}, "", 0,
       {{"out.pdf", {"M20 M1", "M14 M7"}}, {"out-2.pdf", {"M8 M13", "M2 M19"}}}},
      {{"-o", out, "-m", "inkjet", "--sheets", "1,4", twenty}, "", 0,
       {{"out.pdf", {"M20 M1", "M14 M7"}}, {"out-2.pdf", {"M2 M19", "M8 M13"}}}},
      {{"-o", out, "-m", "inkjet", "-s", "2", "--sheets", "4", twenty}, "", 0,
       {{"out.pdf", {"M13"}}, {"out-2.pdf", {"M14"}}}},
      {{"-o", out, "-l", "4", "--pages", "3,6-7,20", "--paper", "LEGAL", twenty}, "", 0,
       {{"out.pdf", {"M3", "M6 M7", "M20"}}, {"out-2.pdf", {}}}, "612 x 1008 pts"},
  };
  for (const Case& c : cases) {
    const std::string row = "row " + std::to_string(&c - cases) + " ";
    Args args = {"-P", "Print to PDF", "-yq"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    EXPECT_EQ(Run(args, c.text, dir.File("stdout.pdf")), c.status) << row << ReadFile(err);
    const std::string first = ShellQuote(dir.File(c.pdfs[0].first));
    EXPECT_NE(RunCommand("pdfinfo " + first).value_or("").find(c.size), std::string::npos) << row;
    for (const auto& [pdf, pages] : c.pdfs) {
      EXPECT_EQ(PdfPages(dir.File(pdf)), pages) << row << pdf;
      fs::remove(dir.File(pdf));
    }
  }
  EXPECT_EQ(Run({"-P", "Print to PDF", "-q", "-o", "-", source}, "", "/dev/full"), 3);
  EXPECT_NE(ReadFile(err).find("standard output: No space left on device"), std::string::npos);
}

// A C header, then Latin with combining acutes, polytonic Greek, Cyrillic and a long run of
// Chinese that must be cut by characters, 1 up in a monospaced font with tab stops
// every 8 columns. Characters the font lacks print from installed fonts that have them:
// every character comes back from the PDF, which needs each drawn glyph to map to it in its
// font's character map (a missing-glyph box maps to nothing); the fallback fonts are
// embedded (DejaVu has the marks and the Greek, WenQuanYi the Chinese); every wrapped line
// fits the cell while the next character would not have, so the widths measured are the
// widths drawn. Each comment of the header starts in column 33 (a letter of two bytes is one
// column, a combining mark none), so all of them start at one x position; a mark sits on the
// letter before it.
TEST_F(Quireon2Print, TextKeepsItsColumnsAndPrintsFromFontsThatHaveItsCharacters) {
  std::string chinese;
  for (int i = 0; i < 12; ++i) chinese += "中文字体测试打印书";
  const std::string text = "#define QR_CAFÉ\t64\t\t/* a name with a two-byte letter */\n"
                           "#define QR_CAFE\u0301\t65\t\t/* and with a combining acute */\n"
                           "#define QR_PAGE_LINES\t55\t/* lines on a page */\n"
                           "struct page {\t\t\t/* one printed page */\n"
                           "\tint\tnumber;\t\t/* from 1 */\n"
                           "\tchar\t*text;\t\t/* its bytes */\n"
                           "};\n"
                           "Cafe\u0301 au lait, re\u0301sume\u0301\nἐν ἀρχῇ ἦν ὁ λόγος\n"
                           "Съешь же ещё\n" + chinese + "\n";
  const Args args = {"-P", "Print to PDF", "-o", out, "-l", "1", "-q", "-f", "Liberation Mono",
                     "-z", "10", "--tab-stops", "--tab", "8", dir.Write("t", text)};
  ASSERT_EQ(Run(args), 0) << ReadFile(err);
  const std::string fonts = RunCommand("pdffonts " + ShellQuote(out)).value_or("");
  for (const char* font : {"LiberationMono", "DejaVu", "WenQuanYi"}) {
    EXPECT_NE(fonts.find(font), std::string::npos) << font << " in\n" << fonts;
  }
  const std::vector<PdfPageText> pages = ReadPdfPages(out);
  ASSERT_EQ(pages.size(), 1u);
  std::string printed;
  double right = 0, mark = 0;
  std::vector<double> comments, line_ends;  // where each comment starts, each Chinese line ends
  for (const auto& [word, box] : pages[0].words) {
    printed += word;
    right = std::max(right, box.x_max);
    if (word == "/*") comments.push_back(box.x_min);
    if (word == "\u0301" && mark == 0) mark = box.x_min;
    const auto lead = static_cast<unsigned char>(word[0]);
    if (lead >= 0xE4 && lead <= 0xE9) line_ends.push_back(box.x_max);
  }
  EXPECT_EQ(printed, std::regex_replace(text, std::regex("[ \t\n]"), ""));
  // The cell runs from half an inch (36 points) inside the left edge to half an inch inside
  // the right one; a column is the font's advance, 0.6 em. The Chinese takes several lines,
  // all but its last filled to within one character (10 points) of the cell's right edge.
  const double cell_right = pages[0].width - 36;
  EXPECT_LE(right, cell_right + 0.1);
  ASSERT_EQ(comments.size(), 6u);
  for (double x : comments) EXPECT_NEAR(x, 36 + 32 * 6.0, 0.1);
  EXPECT_NEAR(mark, 36 + 14 * 6.0, 0.1);  // on the E of the second line, in column 15
  ASSERT_GE(line_ends.size(), 3u);
  for (std::size_t i = 0; i + 1 < line_ends.size(); ++i) {
    EXPECT_GT(line_ends[i], cell_right - 10.1) << "line " << i << " of the Chinese";
  }
}

// The blocks of 4 x 4 dots of `page` whose mean grey (red, green and blue added) differs by
// more than 48 levels a colour from the picture's at the same place, `x0` dots from the
// picture's left edge. Single dots of a glyph's edge may be shaded differently by two
// rasterizers; a block shows any real shift.
long Differing(cairo_surface_t* picture, int x0, cairo_surface_t* page) {
  const auto grey = [](cairo_surface_t* pic, int x, int y) {
    const auto* row = cairo_image_surface_get_data(pic) + y * cairo_image_surface_get_stride(pic);
    const std::uint32_t dot = reinterpret_cast<const std::uint32_t*>(row)[x];
    return static_cast<long>((dot >> 16 & 0xFF) + (dot >> 8 & 0xFF) + (dot & 0xFF));
  };
  long differing = 0;
  for (int by = 0; by + 4 <= cairo_image_surface_get_height(page); by += 4) {
    for (int bx = 0; bx + 4 <= cairo_image_surface_get_width(page); bx += 4) {
      long sum = 0;
      for (int y = by; y < by + 4; ++y) {
        for (int x = bx; x < bx + 4; ++x) sum += grey(picture, x0 + x, y) - grey(page, x, y);
      }
      differing += std::abs(sum) > 48 * 3 * 16;
    }
  }
  return differing;
}

// Both sides of a booklet sheet with outlines, header and footer, in the picture --preview
// writes as a PNG file at 96 dots per inch side by side a quarter inch apart, match the
// pages of the same sheet in the "Print to PDF" job as pdftoppm renders them at that
// resolution; the other side of the sheet does not pass for either.
TEST_F(Quireon2Print, PreviewPictureMatchesTheSheetThePrinterGets) {
  std::string text;  // eight pages, each its own length
  for (int page = 1; page <= 8; ++page) {
    if (page > 1) text += "\f";
    for (int line = 0; line < 5 * page; ++line) text += "The quick brown fox jumps over it.\r\n";
  }
  Args args = {"-P", "Print to PDF", "-m", "duplex", "--outlines", "--header", "page,file",
               "--footer", "date", "-q", dir.Write("pages.txt", text), "-o", out};
  ASSERT_EQ(Run(args), 0) << ReadFile(err);
  args.insert(args.end(), {"--preview", "2", "-o", dir.File("sheet.png")});
  ASSERT_EQ(Run(args), 0) << ReadFile(err);
  // Sheet 2 is the job's third and fourth page: side-3.png and side-4.png.
  ASSERT_TRUE(RunCommand("pdftoppm -png -r 96 -f 3 -l 4 " + ShellQuote(out) + " " +
                         ShellQuote(dir.File("side"))));
  const auto png = [this](const std::string& name) {
    return std::shared_ptr<cairo_surface_t>(
        cairo_image_surface_create_from_png(dir.File(name).c_str()), cairo_surface_destroy);
  };
  const auto picture = png("sheet.png"), front = png("side-3.png"), back = png("side-4.png");
  const int width = cairo_image_surface_get_width(front.get());
  const int height = cairo_image_surface_get_height(front.get());
  ASSERT_EQ(cairo_image_surface_get_height(picture.get()), height);
  ASSERT_EQ(cairo_image_surface_get_width(picture.get()),
            width + 24 + cairo_image_surface_get_width(back.get()));
  const long tolerance = width * height / 16 / 1000;  // a thousandth of the blocks
  EXPECT_LE(Differing(picture.get(), 0, front.get()), tolerance);
  EXPECT_LE(Differing(picture.get(), width + 24, back.get()), tolerance);
  EXPECT_GT(Differing(picture.get(), 0, back.get()), 5 * tolerance);
}

}  // namespace
}  // namespace quireon2::testing
