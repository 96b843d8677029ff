// The printer surface: the pages it sends, as the recording surface of the other tests must
// send them too; the system's paper; "Print to PDF" read back from the files it writes (where
// text lands and how wide it is, the bytes it prints as which characters, fonts, the files a
// job is written to); real CUPS queues on the test scheduler that tests/cups/test-cupsd
// starts (a signal mid-job, and each job's paper, margins and sides as the A4 and the Letter
// queue get them; the spool file's removal after a job sent or refused, and the job's name,
// are checked on the real program); and where the program finds its settings file and its
// help page.
#include <cups/cups.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli/print_command.h"
#include "platform/cups_surface.h"
#include "platform/help_opener.h"
#include "platform/interruption.h"
#include "platform/paper.h"
#include "platform/settings_path.h"
#include "platform/surface_test_tools.h"
#include "settings/runtime_failure.h"
#include "support/gtest_support.h"

namespace quireon2::testing {
namespace {

namespace fs = std::filesystem;

// Adds a job's pages to `shown` as "PAGE/PAGE", after " | " when a job is there already; a
// page as its words, a blank page as "_".
void Show(std::string& shown, const std::vector<std::string>& pages) {
  for (std::size_t i = 0; i < pages.size(); ++i) {
    shown += (i ? "/" : shown.empty() ? "" : " | ") + (pages[i].empty() ? "_" : pages[i]);
  }
}

// One table for both surfaces, so a test of the printing that passes with the recording
// surface holds on paper too. Every NewPage and EndDoc ends one page, blank or not; EndDoc
// with nothing open still sends one blank page; AbortDoc sends nothing and leaves no trace
// in the next job.
TEST(SurfaceContract, EverySideEndedIsOnePageOfTheJob) {
  // The script ("/" NewPage, "." EndDoc, "x" AbortDoc, any other word printed on a line
  // of its own) and the jobs sent.
  const std::pair<const char*, const char*> cases[] = {
      {"A B / C .", "A B/C"},
      {"A / .", "A/_"},            // a blank last side
      {"A / / B .", "A/_/B"},      // a blank side inside the job
      {"/ A .", "_/A"},            // a page end opens the job
      {"A . .", "A | _"},          // the second pass of a one-page booklet
      {"A / x .", "_"},            // nothing left open: one blank page
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
        step == "/"   ? surface->NewPage()
        : step == "." ? surface->EndDoc()
        : step == "x" ? surface->AbortDoc()
                      : surface->Print(step, true);
      }
    }
    std::string by_recording, as_pdf;
    for (const auto& job : recording.sent_jobs()) {
      std::vector<std::string> pages(static_cast<std::size_t>(job.pages));
      for (const SurfaceCall& c : recording.calls()) {
        if (c.op != "Print" || c.job != job.number) continue;
        std::string& page = pages.at(c.page - 1);
        page += (page.empty() ? "" : " ") + c.text;
      }
      Show(by_recording, pages);
    }
    // Job n went to job.pdf, job-2.pdf, ...: every file in the folder must be one of them.
    const fs::directory_iterator files(dir.path());
    for (long n = 1, jobs = std::distance(begin(files), end(files)); n <= jobs; ++n) {
      Show(as_pdf, PdfPages(dir.File(n == 1 ? "job.pdf" : "job-" + std::to_string(n) + ".pdf")));
    }
    EXPECT_EQ(by_recording, sent) << "the recording surface: " << script;
    EXPECT_EQ(as_pdf, sent) << "Print to PDF: " << script;
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
    surface.SelectPrinter(surface.Printers().size() - 1);  // "Print to PDF" comes last
    surface.SetPdfOutputPath(Out());
  }
  std::string Out(const std::string& name = "out.pdf") const { return dir.File(name); }
  // The files and folders in the test's folder, at any depth.
  std::size_t FileCount() const {
    const fs::recursive_directory_iterator files(dir.path());
    return static_cast<std::size_t>(std::distance(begin(files), end(files)));
  }

  ScratchDir dir;
  CupsSurface surface;
};

// A text is measured by its font's own metrics and drawn where it measured, on a page of
// the paper and orientation set, with its font embedded. Valid UTF-8 prints as its
// characters, every other byte as its Windows-1252 character.
TEST_F(PrintToPdf, MeasuresByTheFontsOwnMetricsAndDrawsWhereItMeasured) {
  surface.SetFontName("Times New Roman");
  surface.SetPaperSize(kPaperA4);  // 210 x 297 mm = 595.28 x 841.89 pt
  surface.SetOrientation(kLandscape);
  EXPECT_NEAR(surface.ScaleWidth(), 841.89 * 20, 0.1);
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
  surface.EndDoc();
  const std::vector<PdfPageText> pages = ReadPdfPages(Out());
  ASSERT_EQ(pages.size(), 1u);
  // (pdftotext gives the no-break space U+00A0 as a blank.)
  EXPECT_EQ(PdfPages(Out()).at(0),
            "ab WAVE AVAIL Tyre caf\u00E9 \u20AC\u20AC\U0001D400 \u201C\u00C0\u20AC\u00ED "
            "\u20AC\u00F5\u20AC\u20AC\u20AC\u00C3A\u00E2\u201A Z Right");
  // "Z" a blank (a quarter em) after the line, "Right" 1 in after it, both on the second line.
  const PdfWord &z = pages[0].words.rbegin()[1].second, &right = pages[0].words.back().second;
  EXPECT_NEAR(z.x_min, width / 20 + 0.25 * 8.25, 0.03);
  EXPECT_NEAR(right.x_min, width / 20 + 72, 0.03);
  EXPECT_NEAR(right.y_min, line_height, 0.03);
  EXPECT_EQ(z.y_min, right.y_min);
  // pdffonts's rows end "emb sub uni object ID"; an embedded subset's name has a prefix.
  const std::string fonts = RunCommand("pdffonts " + ShellQuote(Out())).value_or("");
  EXPECT_TRUE(std::regex_search(fonts, std::regex("\n[A-Z]{6}\\+LiberationSerif .* yes +yes")))
      << fonts;
}

// The name offered for a job follows its document, in the folder last written to; the
// second side of a run goes beside the first wherever that was put; a declined job writes
// nothing; a source named .pdf is never overwritten. A job goes to disk as it is drawn and
// takes the file's place only when it ends well; it is then the user's file like any other
// they save, readable as the umask allows.
TEST_F(PrintToPdf, EachJobIsWrittenWholeWhereTheUserChoseAndASourceIsNeverOverwritten) {
  fs::create_directory(Out("elsewhere"));
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
    EXPECT_EQ(PdfPages(Out("elsewhere/") + written).at(0), "Printed");
  }
  EXPECT_EQ(FileCount(), 5u);  // nothing of the declined job
  EXPECT_EQ(surface.Port(), Out("elsewhere"));  // the folder it last wrote to
  // A file-size limit stops the writing part-way, as a full disk would.
  const std::string pdf = Out("elsewhere/mine.pdf");
  surface.SetPdfOutputPath(pdf);
  surface.SetDocumentName(source);  // its jobs are numbered from 1 again
  surface.Print("Drawn", true);
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
  EXPECT_EQ(raised, "75 Path/File access error (" + pdf + ": File too large)");
  EXPECT_EQ(PdfPages(pdf).at(0), "Printed");
  EXPECT_EQ(FileCount(), 5u);
  // Nothing was written, so the next job takes the same name.
  surface.Print("Next", true);
  surface.EndDoc();
  EXPECT_EQ(PdfPages(pdf).at(0), "Next");
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(fs::status(pdf).permissions(), fs::perms(0666 & ~mask));
}

// Where the program finds its files. The settings file: a build tree or a folder holding one
// (a copied, portable program) keeps it beside the program; an installed copy, in a plain
// folder such as ~/.local/bin or the install prefix's bin folder however it is spelled, uses
// the user's config folder; XDG_CONFIG_HOME counts only when it is absolute. The window's
// help page: in a build tree beside the program, else in the share folder of the prefix it
// was built for or of any other it is installed or unpacked under.
TEST(ProgramFiles, BesideABuildOrPortableProgramElseUnderItsPrefixOrTheUsersConfig) {
  ScratchDir dir;
  for (const char* folder : {"build", "portable", "opt/bin", "opt/share/quireon2"}) {
    fs::create_directories(dir.File(folder));
  }
  dir.Write("build/CMakeCache.txt", "");
  dir.Write("build/quireon2.html", "");
  dir.Write("portable/Quireon2.ini", "");
  dir.Write("opt/share/quireon2/quireon2.html", "");
  const std::string exe = dir.File("portable"), build = dir.File("build");
  ScopedEnv home("HOME", "/home/someone");
  const std::string xdg = "/xdg/config/Quireon2/Quireon2.ini";
  struct Case { const char* xdg_config_home; std::string exe_dir, bin_dir, expected; };
  const Case cases[] = {
      {"/xdg/config", exe, "/usr/local/bin", exe + "/Quireon2.ini"},
      {"/xdg/config", build, "/usr/bin", build + "/Quireon2.ini"},
      {"/xdg/config", dir.path(), "/usr/bin", xdg},
      {"/xdg/config", exe, exe + "/../portable/", xdg},
      {"relative/config", "", "/usr/bin", "/home/someone/.config/Quireon2/Quireon2.ini"},
  };
  for (const Case& c : cases) {
    ScopedEnv env("XDG_CONFIG_HOME", c.xdg_config_home);
    EXPECT_EQ(SettingsFilePath(c.exe_dir, c.bin_dir), c.expected) << c.exe_dir << " " << c.bin_dir;
  }
  // The program's folder, the bin folder this build was configured for (its pages in
  // /usr/share/quireon2), the help page found.
  const std::string help[][3] = {
      // The prefix this build was configured for, however its bin folder is spelled.
      {dir.File("opt/bin"), dir.File("opt/bin/../bin/"), "/usr/share/quireon2/quireon2.html"},
      {build, "/usr/bin", dir.File("build/quireon2.html")},  // a build tree
      {dir.File("opt/bin"), "/usr/bin", dir.File("opt/share/quireon2/quireon2.html")},
  };
  for (const auto& c : help) {
    EXPECT_EQ(HelpFilePath(c[0], c[1], "/usr/share/quireon2"), c[2]) << c[0];
  }
}

constexpr char kA4[] = "Q2TestA4";
constexpr char kLetter[] = "Q2TestDuplexPDF";

// What the scheduler says of a job's attribute `name` (a state as "completed"); "" for
// nothing.
std::string JobAttribute(int job_id, const char* name) {
  ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
  const std::string uri = "ipp://localhost/jobs/" + std::to_string(job_id);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.c_str());
  // Only the job's owner sees its name.
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
               cupsUser());
  ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");  // may be null
  char value[256];
  ippAttributeString(ippFindAttribute(response, name, IPP_TAG_ZERO), value, sizeof value);
  ippDelete(response);
  return value;
}

class CupsQueues : public ::testing::Test {
 protected:
  void SetUp() override {
    // ctest starts the scheduler and names its state folder.
    state_ = std::getenv("Q2_TEST_CUPS_STATE") ? std::getenv("Q2_TEST_CUPS_STATE") : "(unset)";
    const std::string status = ReadFile(state_ + "/status");
    if (status != "ready\n") GTEST_SKIP() << "no test scheduler in " << state_ << ": " << status;
    // The user's printer options (lpoptions) are the tests' own: libcups finds them under
    // HOME, which it reads at its first call.
    fs::create_directories(state_ + "/home");
    setenv("HOME", (state_ + "/home").c_str(), 1);
  }

  // A new surface with the queue `name` chosen.
  void Select(const std::string& name) {
    surface_ = std::make_unique<CupsSurface>();
    ASSERT_TRUE(SelectPrinterByName(*surface_, name)) << name << " is not in the printer list";
  }

  std::string state_;
  std::unique_ptr<CupsSurface> surface_;
};

// A signal while a job is being sent cancels the job in the queue before the process ends
// by it. (The suite's temp folder, checked empty at its end, shows the spooled PDF went.)
TEST_F(CupsQueues, ASignalWhileAJobIsSentCancelsIt) {
  Select(kA4);
  surface_->SetDocumentName("/nowhere/interrupted.txt");
  surface_->Print("Interrupted", true);
  EXPECT_EXIT(
      {
        EndOnSignals();
        HeldSignals held;  // the signal waits until the job exists
        ::raise(SIGTERM);
        surface_->EndDoc();
        std::exit(0);
      },
      ::testing::KilledBySignal(SIGTERM), "");
  Select(kA4);
  surface_->Print("After", true);  // the next job sent has the next number
  surface_->EndDoc();
  const int interrupted = surface_->last_job_id() - 1;
  EXPECT_EQ(JobAttribute(interrupted, "job-name"), "interrupted.txt");
  EXPECT_EQ(JobAttribute(interrupted, "job-state"), "canceled");
}

// Each job carries its paper and sides to the scheduler, and the queue's output has the
// job's paper with the text placed inside the queue's margins.
TEST_F(CupsQueues, AQueuePrintsOnItsOwnPaperUntilTheUserKeepsAnother) {
  RunCommand(std::string("lpoptions -p ") + kA4 + " -r media");  // what a failed run kept
  // The queue, the paper in force and the job's media, the page in points (1/72 in: A4
  // 210 x 297 mm, Letter 8.5 x 11 in, A5 148 x 210 mm), the queue's output, the job's sides.
  struct Case { const char* queue; int paper; const char* media; double width, height;
                const char* out; int duplex; };
  const Case cases[] = {
      {kA4, kPaperA4, "iso_a4_210x297mm", 595.28, 841.89, "a4-pdf", kDuplexSimplex},
      {kLetter, kPaperLetter, "na_letter_8.5x11in", 612, 792, "duplex-pdf", kDuplexShortEdge},
      {kA4, 11, "iso_a5_148x210mm", 419.53, 595.28, "a4-pdf", kDuplexSimplex},
      {kLetter, kPaperLetter, "na_letter_8.5x11in", 612, 792, "duplex-pdf", kDuplexSimplex}};
  for (const Case& c : cases) {
    if (&c == &cases[2]) {
      // The dialog's OK on the A4 queue keeps A5 for it; a paper set on the Letter queue
      // without keeping it holds for this run only.
      Select(kA4);
      surface_->SetPaperSize(11);
      surface_->KeepPaperSize();
      Select(kLetter);
      surface_->SetPaperSize(kPaperA4);
    }
    Select(c.queue);
    SCOPED_TRACE(std::string(c.out) + ", " + std::to_string(c.width) + " pt wide");
    EXPECT_EQ(surface_->PaperSize(), c.paper);
    // The printable area is the paper less the queue's margins, 18 pt left and right, 36 pt
    // top and bottom; in landscape the long side across, less the top and bottom ones.
    surface_->SetOrientation(kLandscape);
    EXPECT_NEAR(surface_->ScaleWidth(), (c.height - 72) * 20, 20);
    surface_->SetOrientation(kPortrait);
    EXPECT_NEAR(surface_->ScaleWidth(), (c.width - 36) * 20, 20);
    surface_->SetDuplex(c.duplex);
    surface_->SetCurrentX(1440);
    surface_->SetCurrentY(2880);
    surface_->Print("Placed", true);
    surface_->EndDoc();
    const int job = surface_->last_job_id();
    EXPECT_EQ(JobAttribute(job, "media"), c.media);
    EXPECT_EQ(JobAttribute(job, "sides"),
              c.duplex == kDuplexSimplex ? "one-sided" : "two-sided-short-edge");
    std::string state;  // the job's, until it is printed (90 s at most)
    for (int i = 0; i < 450 && (state = JobAttribute(job, "job-state")) != "completed"; ++i) {
      usleep(200000);
    }
    ASSERT_EQ(state, "completed");
    const std::vector<PdfPageText> pages = ReadPdfPages(state_ + "/" + c.out + ".out");
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NEAR(pages[0].width, c.width, 1);
    // "Placed", 1 in across and 2 down from the printable area's corner.
    ASSERT_EQ(pages[0].words.size(), 1u);
    EXPECT_NEAR(pages[0].words[0].second.x_min, 18 + 72, 0.25);
    EXPECT_NEAR(pages[0].words[0].second.y_min, 36 + 144, 0.25);
  }
  RunCommand(std::string("lpoptions -p ") + kA4 + " -r media");
  // Whether a queue prints on both sides comes from its driver.
  EXPECT_EQ(surface_->DeviceCapabilities("Q2TestOneSided", "", kCapabilityDuplex), 0);
  EXPECT_EQ(surface_->DeviceCapabilities(kLetter, "", kCapabilityDuplex), 1);
}

}  // namespace
}  // namespace quireon2::testing
