// The printer surface's "Print to PDF" printer, read back from the PDF files it writes: the
// pages it sends, as the recording surface of the other tests must send them too, the
// system's paper, where text lands and how wide it is, the bytes it prints as which
// characters, fonts, and the files a job is written to.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <initializer_list>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/cups_surface.h"
#include "platform/paper.h"
#include "platform/surface_test_tools.h"
#include "settings/runtime_failure.h"
#include "support/gtest_support.h"
#include "support/recording_surface.h"

namespace quireon2::testing {
namespace {

// Per job, per page, the words drawn there, each followed by a blank.
using SentJobs = std::vector<std::vector<std::string>>;

// Jobs as "PAGE/PAGE | PAGE", a page as its words, a blank page as "_".
std::string Show(const SentJobs& jobs) {
  std::string out;
  for (const auto& job : jobs) {
    out += out.empty() ? "" : " | ";
    for (std::size_t i = 0; i < job.size(); ++i) {
      out += (i ? "/" : "") + (job[i].empty() ? "_" : job[i].substr(0, job[i].size() - 1));
    }
  }
  return out;
}

// What the recording surface sent, from its log.
std::string SentByRecording(const RecordingSurface& surface) {
  SentJobs jobs;
  for (const auto& job : surface.sent_jobs()) {
    jobs.emplace_back(static_cast<std::size_t>(job.pages));
    for (const SurfaceCall& c : surface.calls()) {
      if (c.op == "Print" && c.job == job.number) jobs.back().at(c.page - 1) += c.text + " ";
    }
  }
  return Show(jobs);
}

// Job n went to job.pdf, job-2.pdf, ... in `dir`: every file there must be one of them.
std::string SentAsPdf(const ScratchDir& dir) {
  const auto files = std::filesystem::directory_iterator(dir.path());
  SentJobs jobs(static_cast<std::size_t>(std::distance(begin(files), end(files))));
  for (std::size_t n = 1; n <= jobs.size(); ++n) {
    const std::string name = n == 1 ? "job.pdf" : "job-" + std::to_string(n) + ".pdf";
    for (const PdfPageText& page : ReadPdfPages(dir.File(name))) {
      jobs[n - 1].emplace_back();
      for (const auto& word : page.words) jobs[n - 1].back() += word.first + " ";
    }
  }
  return Show(jobs);
}

// One table for both surfaces, so a test of the printing that passes with the recording
// surface holds on paper too. Every NewPage and EndDoc ends one page, blank or not; EndDoc
// with nothing open still sends one blank page; AbortDoc sends nothing and leaves no trace
// in the next job.
TEST(SurfaceContract, EverySideEndedIsOnePageOfTheJob) {
  if (!RunCommand("command -v pdftotext")) GTEST_SKIP() << "no pdftotext (poppler-utils)";
  // The script ("/" NewPage, "." EndDoc, "x" AbortDoc, any other word printed on a line
  // of its own) and the jobs sent.
  const std::pair<const char*, const char*> cases[] = {
      {"A B / C .", "A B/C"},
      {"A / .", "A/_"},            // a blank last side
      {"A / / B .", "A/_/B"},      // a blank side inside the job
      {"/ A .", "_/A"},            // a page end opens the job
      {".", "_"},                  // nothing drawn at all
      {"A . .", "A | _"},          // the second pass of a one-page booklet
      {"A / . / .", "A/_ | _/_"},
      {"A / x", ""},
      {"x .", "_"},
      {"A / B x C / .", "C/_"},    // the dropped job takes no number and leaves nothing
  };
  for (const auto& [script, sent] : cases) {
    RecordingSurface recording;
    ScratchDir dir;
    CupsSurface pdf;
    pdf.SelectPrinter(pdf.Printers().size() - 1);
    pdf.SetPdfOutputPath(dir.File("job.pdf"));
    for (PrinterSurface* surface : std::initializer_list<PrinterSurface*>{&recording, &pdf}) {
      std::istringstream steps(script);
      for (std::string step; steps >> step;) {
        if (step == "/") {
          surface->NewPage();
        } else if (step == ".") {
          surface->EndDoc();
        } else if (step == "x") {
          surface->AbortDoc();
        } else {
          surface->Print(step, true);
        }
      }
    }
    EXPECT_EQ(SentByRecording(recording), sent) << "the recording surface: " << script;
    EXPECT_EQ(SentAsPdf(dir), sent) << "Print to PDF: " << script;
  }
}

// The system's paper: $PAPERSIZE, then the locale (its own paper where it is installed,
// else Letter for the territories that use it), then /etc/papersize, then A4. A new
// "Print to PDF" printer starts on it.
TEST(PaperTable, SystemDefaultFromPapersizeThenLocaleThenFileThenA4) {
  ScratchDir dir;
  // $PAPERSIZE, LC_ALL, LC_PAPER, LANG, /etc/papersize (null: no file), the paper.
  struct Case { const char* env[4]; const char* file; int paper; };
  const Case cases[] = {
      {{"", "", "", ""}, "# the paper\n\n  Legal  \n", 5},
      {{"", "", "", "C.UTF-8"}, nullptr, 9},  // the C locale names no paper
      {{"", "", "de_DE.UTF-8", ""}, "letter", 9},
      {{"", "fr_FR.UTF-8", "es_MX", ""}, "letter", 9},  // LC_ALL rules
      {{"", "", "", "es_MX"}, "a4", 1},
      {{"LEGAL", "", "de_DE.UTF-8", ""}, "a4", 5},
      {{"nonsense", "", "en", ""}, "b0", 9},  // no paper, no territory, no paper: A4
  };
  for (const Case& c : cases) {
    const ScopedEnv env[] = {{"PAPERSIZE", c.env[0]}, {"LC_ALL", c.env[1]},
                             {"LC_PAPER", c.env[2]}, {"LANG", c.env[3]}};
    const std::string file = c.file ? dir.Write("papersize", c.file) : dir.File("missing");
    EXPECT_EQ(SystemPaperCode(file), c.paper) << "row " << &c - cases;
  }
  ScopedEnv paper("PAPERSIZE", "a5");
  EXPECT_EQ(CupsSurface().Papers(kPrintToPdf).in_force, 11);
}

class PrintToPdf : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!RunCommand("command -v pdftotext && command -v pdffonts")) GTEST_SKIP() << "no poppler";
    surface.SelectPrinter(surface.Printers().size() - 1);  // "Print to PDF" comes last
    surface.SetPdfOutputPath(Out());
    surface.SetFontName("Times New Roman");
  }
  std::string Out(const std::string& name = "out.pdf") const { return dir.File(name); }
  std::size_t FileCount() const {
    const std::filesystem::directory_iterator files(dir.path());
    return static_cast<std::size_t>(std::distance(begin(files), end(files)));
  }

  ScratchDir dir;
  CupsSurface surface;
};

// A text is measured by its font's own metrics and drawn where it measured, on a page of
// the paper and orientation set, with its font embedded. Valid UTF-8 prints as its
// characters, every other byte as its Windows-1252 character.
TEST_F(PrintToPdf, MeasuresByTheFontsOwnMetricsAndDrawsWhereItMeasured) {
  surface.SetPaperSize(kPaperA4);  // 210 x 297 mm = 595.28 x 841.89 pt
  surface.SetOrientation(kLandscape);
  EXPECT_NEAR(surface.ScaleWidth(), 841.89 * 20, 0.1);
  EXPECT_NEAR(surface.ScaleHeight(), 595.28 * 20, 0.1);
  surface.SetFontSize(8.25);  // a size rounded to whole points would show
  EXPECT_EQ(surface.FontName(), "Liberation Serif");
  // In thousandths of an em as the PDF records them, "Hello" (H 722, e 443, l 277, o 500);
  // the line height in ems is the Windows ascent and descent, 1825 + 443 over 2048 units.
  const double line_height = 2268.0 / 2048 * 8.25;
  EXPECT_NEAR(surface.TextWidth("Hello"), 2.219 * 8.25 * 20, 1e-6);
  EXPECT_NEAR(surface.TextHeight("Hello"), line_height * 20, 1e-6);
  // Kerning pairs; UTF-8 of two, three and four bytes; Windows-1252 bytes, alone and where
  // UTF-8 is overlong, a surrogate, beyond U+10FFFF, lacks its continuation or is cut off.
  const std::string line = "WAVE AVAIL Tyre caf\xC3\xA9 \x80\xE2\x82\xAC\xF0\x9D\x90\x80 "
                           "\x93\xC0\x80\xED\xA0\x80\xF5\x80\x80\x80\xC3" "A\xE2\x82";
  const double width = surface.TextWidth(line);
  surface.SetCurrentX(500);
  surface.Print("ab\r\n" + line, false);  // the line end starts a line at the left edge
  surface.Print(" Z", false);
  surface.SetCurrentX(width + 1440);  // further along, as a header's right part
  surface.Print("Right", true);
  EXPECT_TRUE(surface.CurrentX() == 0 && surface.CurrentY() == 2 * line_height * 20);
  surface.EndDoc();
  const std::vector<PdfPageText> pages = ReadPdfPages(Out());
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_NEAR(pages[0].width, 841.89, 0.5);
  EXPECT_NEAR(pages[0].height, 595.28, 0.5);
  std::string words;
  for (const auto& word : pages[0].words) words += word.first + " ";
  // (pdftotext gives the no-break space U+00A0 as a blank.)
  EXPECT_EQ(words, "ab WAVE AVAIL Tyre caf\u00E9 \u20AC\u20AC\U0001D400 \u201C\u00C0\u20AC\u00ED "
                   "\u20AC\u00F5\u20AC\u20AC\u20AC\u00C3A\u00E2\u201A Z Right ");
  EXPECT_TRUE(WordAt(pages[0], "ab", 25, 0));
  EXPECT_TRUE(WordAt(pages[0], "Z", width / 20 + 0.25 * 8.25, line_height, 0.03));  // a blank
  EXPECT_TRUE(WordAt(pages[0], "Right", width / 20 + 72, line_height, 0.03));
  // pdffonts's rows end "emb sub uni object ID"; an embedded subset's name has a prefix.
  const std::string fonts = RunCommand("pdffonts " + ShellQuote(Out())).value_or("");
  EXPECT_TRUE(std::regex_search(fonts, std::regex("\n[A-Z]{6}\\+LiberationSerif .* yes +yes")))
      << fonts;
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
  for (const std::string& document : {Out("notes.txt"), std::string(), source, Out("notes.txt")}) {
    if (!document.empty()) surface.SetDocumentName(document);
    surface.Print("Printed", true);
    surface.EndDoc();
  }
  EXPECT_EQ(suggested, (std::vector<std::string>{Out("notes.pdf"), Out("elsewhere/mine-2.pdf"),
                                                 Out("elsewhere/paper.pdf.pdf"),
                                                 Out("elsewhere/notes.pdf")}));
  EXPECT_EQ(ReadFile(source), "plain text, oddly named\r\n");
  for (const char* written : {"mine.pdf", "mine-2.pdf", "paper.pdf.pdf"}) {
    EXPECT_EQ(ReadPdfPages(Out("elsewhere/") + written).at(0).words.at(0).first, "Printed");
  }
  EXPECT_EQ(FileCount(), 2u);  // the folder and paper.pdf: nothing of the declined job
  EXPECT_EQ(surface.Port(), Out("elsewhere"));  // the folder it last wrote to
}

// A job goes to disk as it is drawn and takes the file's place only when it ends well; it
// is then the user's file like any other they save, readable as the umask allows.
TEST_F(PrintToPdf, AJobReplacesTheFileOnlyWhenItIsWrittenWhole) {
  dir.Write("out.pdf", "the previous print");
  surface.Print("Drawn", true);
  EXPECT_EQ(FileCount(), 2u);  // the new file beside the old one
  // A file-size limit stops the writing part-way, as a full disk would.
  rlimit old_limit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  const rlimit limit{2048, old_limit.rlim_max};
  signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of ending the test
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  std::string raised = "nothing";
  try {
    surface.EndDoc();
  } catch (const RuntimeError& e) {
    raised = std::to_string(e.number()) + " " + e.failure().description;
  }
  setrlimit(RLIMIT_FSIZE, &old_limit);
  EXPECT_EQ(raised, "75 Path/File access error (" + Out() + ": File too large)");
  EXPECT_EQ(ReadFile(Out()), "the previous print");
  EXPECT_EQ(FileCount(), 1u);
  // Nothing was written, so the next job takes the same name.
  surface.Print("Next", true);
  surface.EndDoc();
  EXPECT_EQ(ReadPdfPages(Out()).at(0).words.at(0).first, "Next");
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(std::filesystem::status(Out()).permissions(), std::filesystem::perms(0666 & ~mask));
}

}  // namespace
}  // namespace quireon2::testing
