// The real quireon2-print as a script or a person at a terminal runs it, its PDFs read back
// with the poppler tools: the prompt between the sides, text from a pipe and PDFs to
// standard output, several files, chosen sheets and pages on the paper asked for;
// characters the layout's font lacks printed from installed fonts that have them, measured
// as drawn; a C header's comments lined up by tab stops; and the picture of a sheet that
// --preview writes, which is what the printer gets.
#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
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
    fs::remove(out);
    fs::remove(dir.File("out-2.pdf"));
    // A fresh file each time, so one run's prompt is not taken for the next one's.
    err = dir.File(enter ? "err-enter.txt" : "err-interrupt.txt");
    Program program({"--settings", settings, "-P", "Print to PDF", "-o", out, "-m",
                     enter ? "flipped" : "inkjet", source},
                    err);
    for (int waited = 0; ReadFile(err).find("and then press Enter") == std::string::npos;
         ++waited) {
      ASSERT_LT(waited, 2000) << "no prompt in 20 s: " << ReadFile(err);
      ASSERT_EQ(program.Wait(milliseconds(10)), kStillRunning) << ReadFile(err);
    }
    EXPECT_EQ(program.Wait(milliseconds(300)), kStillRunning) << enter;
    EXPECT_EQ(PdfPages(out).size(), 2u) << enter;
    if (enter && ::write(program.terminal, "\n", 1) != 1) ADD_FAILURE() << "no Enter";
    if (!enter) ::kill(program.pid, SIGINT);
    EXPECT_EQ(program.Wait(), enter ? 0 : 4) << ReadFile(err);
    EXPECT_EQ(PdfPages(dir.File("out-2.pdf")).size(), enter ? 2u : 0u) << enter;
    EXPECT_EQ(ReadFile(err).find("\nquireon2-print: cancelled\n") != std::string::npos, !enter);
  }
}

// Text from a pipe, given as "-" or as no FILE, prints as the same text read from its file
// does, with the --title or "stdin" where the file's name would be; -o - puts the PDF on
// standard output. The copy of standard input and the PDF on its way out leave nothing in
// the temp folder; a PDF that cannot reach standard output says so.
TEST_F(Quireon2Print, StandardInputPrintsAsTheSameFileByName) {
  const std::string tmp = dir.File("tmp");
  fs::create_directory(tmp);
  ScopedEnv tmpdir("TMPDIR", tmp);
  struct Case { Args args; std::string text, shown; };  // standard input, the name shown
  const Case cases[] = {
      {{"-o", out, "--title", "Notes", "-"}, MarkerPages(8), "Notes"},
      {{"-o", "-"}, MarkerPages(8), "stdin"},
      {{"-o", "-", source}, "", "eight.txt"},
  };
  for (const Case& c : cases) {
    Args args = {"-P", "Print to PDF", "-q", "--header", "file"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    fs::remove(out);
    ASSERT_EQ(Run(args, c.text, c.args[1] == "-" ? out : ""), 0) << c.shown << ReadFile(err);
    Pages sides;  // the booklet's sides, the name over each page
    for (const char* side : {"M8 M1", "M2 M7", "M6 M3", "M4 M5"}) {
      sides.push_back(c.shown + " " + c.shown + " " + side);
    }
    EXPECT_EQ(PdfPages(out), sides) << c.shown;
    EXPECT_TRUE(fs::is_empty(tmp)) << c.shown;
  }
  EXPECT_EQ(Run({"-P", "Print to PDF", "-q", "-o", "-", source}, "", "/dev/full"), 3);
  EXPECT_NE(ReadFile(err).find("quireon2-print: standard output: No space left on device"),
            std::string::npos)
      << ReadFile(err);
}

// Each FILE is a run of its own: its own PDF, into the folder -o names or beside the FILE;
// a FILE that cannot be used is passed over and the others print.
TEST_F(Quireon2Print, SeveralFilesGiveAPdfEach) {
  const std::string a = dir.Write("a.txt", MarkerPages(4)), b = dir.Write("b.txt", MarkerPages(6));
  const std::string folder = dir.File("pdfs");
  fs::create_directory(folder);
  EXPECT_EQ(Run({"-P", "Print to PDF", "-l", "1", "-q", "-o", folder, a, b}), 0) << ReadFile(err);
  EXPECT_EQ(Run({"-P", "Print to PDF", "-l", "1", "-q", a, dir.File("missing.txt"), b}), 2);
  for (const std::string& pdfs : {folder + "/", dir.File("")}) {
    EXPECT_EQ(PdfPages(pdfs + "a.pdf"), (Pages{"M1", "M2", "M3", "M4"})) << pdfs;
    EXPECT_EQ(PdfPages(pdfs + "b.pdf").size(), 6u) << pdfs;
  }
}

// --sheets reprints exactly the chosen booklet sheets, both sides, in the one two-sided job
// or in the two passes in the paper-feed mode's order; --pages keeps the chosen pages of 4
// up on their sides and leaves out the sides without one. 20 pages make 5 sheets: sheet 1
// holds M20 M1 outside and M2 M19 inside, sheet 2 M18 M3 and M4 M17, sheet 4 M14 M7 and
// M8 M13. In 2 signatures of 3 sheets, sheet 4 is the second's outer one: M13 (its other
// half blank) and M14. --paper names a paper in any case for the run (sizes in points: A5
// 148 x 210 mm, Legal 8.5 x 14 in).
TEST_F(Quireon2Print, SheetsAndPagesPrintOnlyThoseInTheModesOrder) {
  const std::string twenty = dir.Write("twenty.txt", MarkerPages(20));
  struct Case { Args args; Pages first, second; std::string size = ""; };  // pdfinfo's size
  const Case cases[] = {
      {{"-m", "duplex", "--sheets", "2", "--paper", "a5"}, {"M18 M3", "M4 M17"}, {},
       "595.276 x 419.528 pts"},
      {{"-m", "straight", "--sheets", "2"}, {"M18 M3"}, {"M4 M17"}},
      // The flipped stack comes back last sheet first; so does an inkjet one in signatures.
      {{"-m", "flipped", "--sheets", "1,4"}, {"M20 M1", "M14 M7"}, {"M8 M13", "M2 M19"}},
      {{"-m", "inkjet", "--sheets", "1,4"}, {"M20 M1", "M14 M7"}, {"M2 M19", "M8 M13"}},
      {{"-m", "inkjet", "-s", "2", "--sheets", "4"}, {"M13"}, {"M14"}},
      {{"-l", "4", "--pages", "3,6-7,20", "--paper", "LEGAL"}, {"M3", "M6 M7", "M20"}, {},
       "612 x 1008 pts"},
  };
  for (const Case& c : cases) {
    fs::remove(out);
    fs::remove(dir.File("out-2.pdf"));
    Args args = {"-P", "Print to PDF", "-yq", "--header", "none", "--footer", "none", "-o", out};
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.push_back(twenty);
    EXPECT_EQ(Run(args), 0) << ReadFile(err);
    EXPECT_EQ(PdfPages(out), c.first) << c.args[1] << " " << c.args[3];
    EXPECT_EQ(PdfPages(dir.File("out-2.pdf")), c.second) << c.args[1] << " " << c.args[3];
    const std::string info = RunCommand("pdfinfo " + ShellQuote(out)).value_or("");
    EXPECT_NE(info.find(c.size), std::string::npos) << c.args[1] << ": " << info;
  }
}

class PrintedPdf : public Quireon2Print {
 protected:
  // Prints `text` 1 up on A4 with the options `extra`; the exit status.
  int Print(const std::string& text, Args extra) {
    extra.insert(extra.begin(), {"-P", "Print to PDF", "-o", out, "--paper", "A4", "-l", "1",
                                 "-yq", "--header", "none", "--footer", "none"});
    extra.push_back(dir.Write("text.txt", text));
    return Run(extra);
  }
};

// Latin with a combining acute, polytonic Greek, Cyrillic and a long run of Chinese that
// must be cut by characters. Every character comes back from the PDF, which needs each
// drawn glyph to map to it in its font's character map (a missing-glyph box maps to
// nothing); the fallback fonts are embedded (DejaVu has the marks and the Greek, WenQuanYi
// the Chinese); and every wrapped line fits the cell while the next character would not
// have, so the widths measured are the widths drawn.
TEST_F(PrintedPdf, CharactersTheFontLacksPrintFromFontsThatHaveThem) {
  std::string chinese;
  for (int i = 0; i < 12; ++i) chinese += "中文字体测试打印书";
  const std::string text = "Cafe\u0301 au lait, re\u0301sume\u0301\n"
                           "ἐν ἀρχῇ ἦν ὁ λόγος\n"
                           "Съешь же ещё\n" +
                           chinese + "\n";
  ASSERT_EQ(Print(text, {"-z", "10"}), 0) << ReadFile(err);
  const std::string fonts = RunCommand("pdffonts " + ShellQuote(out)).value_or("");
  for (const char* font : {"LiberationSerif", "DejaVu", "WenQuanYi"}) {
    EXPECT_NE(fonts.find(font), std::string::npos) << font << " in\n" << fonts;
  }
  const std::vector<PdfPageText> pages = ReadPdfPages(out);
  ASSERT_EQ(pages.size(), 1u);
  std::string printed, kept = text;
  kept.erase(std::remove_if(kept.begin(), kept.end(), [](char c) { return c == ' ' || c == '\n'; }),
             kept.end());
  double right = 0;
  std::vector<double> line_ends;  // the right edge of each line of Chinese
  for (const auto& [word, box] : pages[0].words) {
    printed += word;
    right = std::max(right, box.x_max);
    const auto lead = static_cast<unsigned char>(word[0]);
    if (lead >= 0xE4 && lead <= 0xE9) line_ends.push_back(box.x_max);
  }
  EXPECT_EQ(printed, kept);
  // 1 up: the cell runs from half an inch inside the left edge to half an inch inside the
  // right one; the Chinese takes several lines, all but its last filled to within one
  // character (10 points) of that edge.
  const double cell_right = pages[0].width - 36;
  EXPECT_LE(right, cell_right + 0.1);
  ASSERT_GE(line_ends.size(), 3u);
  for (std::size_t i = 0; i + 1 < line_ends.size(); ++i) {
    EXPECT_GT(line_ends[i], cell_right - 10.1) << "line " << i << " of the Chinese";
  }
}

// With tab stops every 8 columns each comment of the header starts in column 33 (a letter
// of two bytes is one column, a combining mark none), so in a monospaced font all of them
// start at one x position; the mark, as wide as a letter in this font, covers the E.
TEST_F(PrintedPdf, TabStopsKeepACHeadersCommentsInOneColumn) {
  const std::string header =
      "#define QR_CAFÉ\t64\t\t/* a name with a two-byte letter */\n"
      "#define QR_CAFE\u0301\t65\t\t/* and with a combining acute */\n"
      "#define QR_PAGE_LINES\t55\t/* lines on a page */\n"
      "struct page {\t\t\t/* one printed page */\n"
      "\tint\tnumber;\t\t/* from 1 */\n"
      "\tchar\t*text;\t\t/* its bytes */\n"
      "};\n";
  ASSERT_EQ(Print(header, {"-f", "DejaVu Sans Mono", "-z", "10", "--tab-stops", "--tab", "8"}), 0)
      << ReadFile(err);
  const std::vector<PdfPageText> pages = ReadPdfPages(out);
  ASSERT_EQ(pages.size(), 1u);
  std::vector<double> starts;
  double first_x = 1e9, mark_x = 0;
  for (const auto& [word, box] : pages[0].words) {
    if (word == "/*") starts.push_back(box.x_min);
    if (word == "\u0301") mark_x = box.x_min;
    first_x = std::min(first_x, box.x_min);
  }
  ASSERT_EQ(starts.size(), 6u);
  for (double x : starts) EXPECT_NEAR(x, starts[0], 0.05);
  // Column 33: 32 cells of the font's advance (0.602 em at 10 points) after the line's
  // start; the E of the second line is in column 15.
  EXPECT_NEAR(starts[0] - first_x, 32 * 6.02, 0.5);
  EXPECT_NEAR(mark_x - first_x, 14 * 6.02, 0.1);
}

// The grey of the dot at x, y of a picture: its red, green and blue added (0 to 765).
int Grey(cairo_surface_t* picture, int x, int y) {
  const unsigned char* row =
      cairo_image_surface_get_data(picture) + y * cairo_image_surface_get_stride(picture);
  const std::uint32_t dot = reinterpret_cast<const std::uint32_t*>(row)[x];
  return (dot >> 16 & 0xFF) + (dot >> 8 & 0xFF) + (dot & 0xFF);
}

// The blocks of 4 x 4 dots of `page` whose mean grey differs by more than 48 levels a colour
// from the picture's at the same place, `x0` dots from the picture's left edge. Single dots of a
// glyph's edge may be shaded differently by two rasterizers; a block shows any real shift.
long Differing(cairo_surface_t* picture, int x0, cairo_surface_t* page) {
  long differing = 0;
  for (int by = 0; by + 4 <= cairo_image_surface_get_height(page); by += 4) {
    for (int bx = 0; bx + 4 <= cairo_image_surface_get_width(page); bx += 4) {
      long sum = 0;
      for (int y = by; y < by + 4; ++y) {
        for (int x = bx; x < bx + 4; ++x) sum += Grey(picture, x0 + x, y) - Grey(page, x, y);
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
  std::string text;
  for (int page = 1; page <= 8; ++page) {
    if (page > 1) text += "\f";
    for (int line = 0; line < 10 + 2 * page; ++line) {  // each page its own length
      text += "Page " + std::to_string(page) + " line " + std::to_string(line) +
              ": the quick brown fox jumps over the lazy dog.\r\n";
    }
  }
  Args args = {"-P", "Print to PDF", "-m", "duplex", "--outlines", "--header", "page,file",
               "--footer", "date", "-q", dir.Write("pages.txt", text), "-o", out};
  ASSERT_EQ(Run(args), 0) << ReadFile(err);
  args.insert(args.end(), {"--preview", "2", "-o", dir.File("2.png")});
  ASSERT_EQ(Run(args), 0) << ReadFile(err);
  // Sheet 2 is the job's third and fourth page.
  for (const char* page : {"3", "4"}) {
    ASSERT_TRUE(RunCommand("pdftoppm -png -singlefile -r 96 -f " + std::string(page) + " -l " +
                           page + " " + ShellQuote(out) + " " + ShellQuote(dir.File(page))));
  }
  std::shared_ptr<cairo_surface_t> pngs[3];
  for (int i = 0; i < 3; ++i) {
    const std::string png = dir.File(std::to_string(i + 2) + ".png");
    pngs[i].reset(cairo_image_surface_create_from_png(png.c_str()), cairo_surface_destroy);
  }
  cairo_surface_t *picture = pngs[0].get(), *front = pngs[1].get(), *back = pngs[2].get();
  const int width = cairo_image_surface_get_width(front);
  const int height = cairo_image_surface_get_height(front);
  ASSERT_GT(width, 0);
  ASSERT_EQ(cairo_image_surface_get_height(picture), height);
  ASSERT_EQ(cairo_image_surface_get_width(picture),
            width + 24 + cairo_image_surface_get_width(back));
  const long tolerance = width * height / 16 / 1000;  // a thousandth of the blocks
  EXPECT_LE(Differing(picture, 0, front), tolerance);
  EXPECT_LE(Differing(picture, width + 24, back), tolerance);
  EXPECT_GT(Differing(picture, 0, back), 5 * tolerance);
}

}  // namespace
}  // namespace quireon2::testing
