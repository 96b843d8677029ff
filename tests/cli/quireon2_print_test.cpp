// The real quireon2-print as a script or a person at a terminal runs it, its PDFs read back
// with the poppler tools: -o never replacing a device, a comma locale, the prompt between
// the sides, the paper, text from a pipe and PDFs to standard output, several files, chosen
// sheets and pages, and copies and job options on a CUPS queue named in any case.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/marker_pages.h"
#include "cli/program_run.h"

namespace quireon2::testing {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;
using Pages = std::vector<std::string>;

// The file type lstat sees at `path` (S_IFREG, S_IFLNK, ...); 0 when nothing is there.
mode_t TypeAt(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

class Quireon2Print : public ProgramRunTest {
 protected:
  std::string source = dir.Write("eight.txt", MarkerPages(8));
};

// As root, a device given to -o would be replaced by a file; it stays a device.
TEST_F(Quireon2Print, OutputNeverReplacesADevice) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root makes a device node";
  const std::string device = dir.File("null.pdf");
  ASSERT_EQ(::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
  EXPECT_EQ(Run({"-P", "Print to PDF", "-o", device, "-q", source}), 1);
  EXPECT_NE(ReadFile(err).find(device + ": is a character device"), std::string::npos)
      << ReadFile(err);
  EXPECT_EQ(TypeAt(device), S_IFCHR);
  EXPECT_FALSE(fs::exists(dir.File("null-2.pdf")));
}

// The window program runs in the user's locale; a comma locale must not change how this
// program reads the numbers the window stored.
TEST_F(Quireon2Print, ACommaLocaleReadsStoredNumbersAlike) {
  if (RunCommand("locale -a").value_or("").find("de_DE.utf8") == std::string::npos) {
    GTEST_SKIP() << "the locale de_DE.UTF-8 is not installed (scripts/setup makes it)";
  }
  std::string lines;
  for (int i = 1; i <= 300; ++i) lines += "line " + std::to_string(i) + "\r\n";
  source = dir.Write("lines.txt", lines);
  auto count = [&](const std::string& locale, const std::string& line_multiple) {
    settings = dir.Write("spacing.ini", "[Quireon2]\nLineMultiple=" + line_multiple + "\n");
    return RunCommand("LC_ALL=" + locale + " LANG=" + locale + " " +
                      ShellQuote(QUIREON2_PRINT_BINARY) + " --settings " + ShellQuote(settings) +
                      " --count " + ShellQuote(source) + " 2>/dev/null")
        .value_or("(failed)");
  };
  for (const char* stored : {" 1.25", " .5", "-1.75"}) {
    EXPECT_EQ(count("de_DE.UTF-8", stored), count("C", stored)) << stored;
  }
  EXPECT_NE(count("de_DE.UTF-8", " 1.25"), count("C", " 1")) << "the fraction was lost";
}

// At the prompt between the sides the program waits on the terminal with the first sides
// out; Enter goes on, Ctrl-C cancels with status 4.
TEST_F(Quireon2Print, ThePromptWaitsForEnterAndCancelsOtherwise) {
  const std::string out2 = dir.File("out-2.pdf");
  for (bool enter : {true, false}) {
    fs::remove(out);
    fs::remove(out2);
    // A fresh file each time, so one run's prompt is not taken for the next one's.
    err = dir.File(enter ? "err-enter.txt" : "err-interrupt.txt");
    Program program({"--settings", settings, "-P", "Print to PDF", "-o", out, "-m",
                     enter ? "flipped" : "inkjet", source},
                    err, Input::kTerminal);
    for (int waited = 0; ReadFile(err).find("and then press Enter") == std::string::npos;
         ++waited) {
      ASSERT_LT(waited, 2000) << "no prompt in 20 s: " << ReadFile(err);
      ASSERT_EQ(program.Wait(milliseconds(10)), kStillRunning) << ReadFile(err);
    }
    EXPECT_EQ(program.Wait(milliseconds(300)), kStillRunning) << enter;
    EXPECT_EQ(PdfPages(out).size(), 2u) << enter;
    if (enter && ::write(program.input, "\n", 1) != 1) ADD_FAILURE() << "no Enter";
    if (!enter) ::kill(program.pid, SIGINT);
    EXPECT_EQ(program.Wait(), enter ? 0 : 4) << ReadFile(err);
    EXPECT_EQ(PdfPages(out2).size(), enter ? 2u : 0u) << enter;
    EXPECT_EQ(ReadFile(err).find("\nquireon2-print: cancelled\n") != std::string::npos, !enter);
  }
}

// --paper names a paper in any case for this run; a name the printer lacks is bad usage,
// answered with the printer's papers. Sizes in points: A5 148 x 210 mm, Legal 8.5 x 14 in.
TEST_F(Quireon2Print, PaperOptionSetsThePagesOrListsThePapers) {
  struct Case {
    const char* paper;
    int status;
    const char* page_size;  // pdfinfo's words, or the message on stderr
  };
  const Case cases[] = {
      {"a5", 0, "419.528 x 595.276 pts"},
      {"LEGAL", 0, "612 x 1008 pts"},
      {"B0", 1, "\"Print to PDF\" has no paper called \"B0\"; its papers are: Letter, A4, "
                "Legal, A5, Executive, Tabloid, A3, B4, B5\n"}};
  for (const Case& c : cases) {
    fs::remove(out);
    ASSERT_EQ(Run({"-P", "Print to PDF", "-o", out, "--paper", c.paper, "-l", "1", "-q", source}),
              c.status)
        << ReadFile(err);
    const std::string shown =
        c.status == 0 ? RunCommand("pdfinfo " + ShellQuote(out)).value_or("") : ReadFile(err);
    EXPECT_NE(shown.find(c.page_size), std::string::npos) << c.paper << ": " << shown;
  }
}

// Text from a pipe prints as the same text read from its file, with "stdin" or the --title
// where the file's name would be (as the file does with that title); -o - puts the same PDF
// on standard output. The copy of standard input and the PDF on its way out leave nothing
// in the temp folder.
TEST_F(Quireon2Print, StandardInputPrintsAsTheSameFileByName) {
  const std::string tmp = dir.File("tmp");
  fs::create_directory(tmp);
  ScopedEnv tmpdir("TMPDIR", tmp);
  const Args common = {"-P", "Print to PDF", "-q", "--header", "file"};
  auto with = [&](Args args) {
    args.insert(args.begin(), common.begin(), common.end());
    return args;
  };
  struct Case {
    Args args;
    bool piped;         // the text on standard input
    bool to_stdout;     // the PDF on standard output
    std::string shown;  // the name in the header
  };
  const Case cases[] = {
      {{"-o", out, "-"}, true, false, "stdin"},
      {{"-o", out}, true, false, "stdin"},
      {{"-o", out, "--title", "Notes", "-"}, true, false, "Notes"},
      {{"-o", "-", source}, false, true, "eight.txt"},
      {{"-o", "-"}, true, true, "stdin"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Run(with({"-o", out, "--title", c.shown, source})), 0) << ReadFile(err);
    const Pages by_name = PdfPages(out);
    ASSERT_EQ(by_name.size(), 4u);
    fs::remove(out);
    const std::string piped = c.piped ? MarkerPages(8) : "";
    ASSERT_EQ(Run(with(c.args), piped, c.to_stdout ? out : ""), 0)
        << c.args.back() << ReadFile(err);
    EXPECT_EQ(PdfPages(out), by_name) << c.args.back() << " " << c.shown;
    EXPECT_TRUE(fs::is_empty(tmp)) << c.args.back();
  }
  // A PDF that cannot reach standard output says so.
  EXPECT_EQ(Run(with({"-o", "-", source}), "", "/dev/full"), 3);
  EXPECT_NE(ReadFile(err).find("quireon2-print: standard output: No space left on device"),
            std::string::npos)
      << ReadFile(err);
}

// Each FILE is a run of its own: its own PDF, into the folder -o names or beside the FILE;
// a FILE that cannot be used is passed over and the others print.
TEST_F(Quireon2Print, SeveralFilesGiveAPdfEach) {
  const std::string a = dir.Write("a.txt", MarkerPages(4));
  const std::string b = dir.Write("b.txt", MarkerPages(6));
  const std::string folder = dir.File("pdfs");
  fs::create_directory(folder);
  struct Case {
    Args args;
    int status;
    std::string a_pdf, b_pdf;
  };
  const Case cases[] = {
      {{"-o", folder, a, b}, 0, folder + "/a.pdf", folder + "/b.pdf"},
      {{a, dir.File("missing.txt"), b}, 2, dir.File("a.pdf"), dir.File("b.pdf")},
  };
  for (const Case& c : cases) {
    Args args = {"-P", "Print to PDF", "-l", "1", "-q"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    EXPECT_EQ(Run(args), c.status) << ReadFile(err);
    EXPECT_EQ(PdfPages(c.a_pdf), (Pages{"M1", "M2", "M3", "M4"})) << c.a_pdf;
    EXPECT_EQ(PdfPages(c.b_pdf).size(), 6u) << c.b_pdf;
  }
}

// --sheets reprints exactly the chosen booklet sheets, both sides, in the one two-sided job
// or in the two passes in the paper-feed mode's order; --pages keeps the chosen pages of 4
// up on their sides and leaves out the sides without one. 20 pages make 5 sheets: sheet 1
// holds M20 M1 outside and M2 M19 inside, sheet 2 M18 M3 and M4 M17, sheet 4 M14 M7 and
// M8 M13. In 2 signatures of 3 sheets, sheet 4 is the second's outer one: M13 (its other
// half blank) and M14.
TEST_F(Quireon2Print, SheetsAndPagesPrintOnlyThoseInTheModesOrder) {
  const std::string twenty = dir.Write("twenty.txt", MarkerPages(20));
  struct Case {
    Args args;
    Pages first, second;  // the two jobs' sides
  };
  const Case cases[] = {
      {{"-m", "duplex", "--sheets", "2"}, {"M18 M3", "M4 M17"}, {}},
      {{"-m", "straight", "--sheets", "2"}, {"M18 M3"}, {"M4 M17"}},
      // The flipped stack comes back last sheet first; so does an inkjet one in signatures.
      {{"-m", "flipped", "--sheets", "1,4"}, {"M20 M1", "M14 M7"}, {"M8 M13", "M2 M19"}},
      {{"-m", "inkjet", "--sheets", "1,4"}, {"M20 M1", "M14 M7"}, {"M2 M19", "M8 M13"}},
      {{"-m", "inkjet", "-s", "2", "--sheets", "4"}, {"M13"}, {"M14"}},
      {{"-l", "4", "--pages", "3,6-7,20"}, {"M3", "M6 M7", "M20"}, {}},
  };
  for (const Case& c : cases) {
    fs::remove(out);
    fs::remove(dir.File("out-2.pdf"));
    Args args = {"-P", "Print to PDF", "-yq", "--header", "none", "--footer", "none", "-o", out};
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.push_back(twenty);
    EXPECT_EQ(Run(args), 0) << ReadFile(err);
    EXPECT_EQ(PdfPages(out), c.first) << c.args[1] << " " << c.args.back();
    EXPECT_EQ(PdfPages(dir.File("out-2.pdf")), c.second) << c.args[1] << " " << c.args.back();
  }
}

// Needs the test scheduler (tests/cups). The job of a lower-case queue named in capitals
// carries the user's lpoptions for the queue (but not one that would lay the pages out
// again), with --copies and --option over them, and text from a pipe is the job "stdin".
TEST_F(Quireon2Print, CopiesAndOptionsReachTheQueue) {
  const std::string queue = "q2testoffice";
  if (!RunCommand("lpadmin -p " + queue + " -E -v file:///dev/null -P " +
                  "/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd 2>/dev/null && " +
                  "cupsdisable " + queue)) {
    GTEST_SKIP() << "no test CUPS scheduler to make the queue " << queue << " on (tests/cups)";
  }
  fs::create_directories(dir.File("home/.cups"));
  dir.Write("home/.cups/lpoptions", "Dest " + queue + " job-priority=20 number-up=2\n");
  ScopedEnv user_home("HOME", dir.File("home"));
  const std::string get_jobs = dir.Write(
      "get-jobs.test",
      "{\n OPERATION Get-Jobs\n GROUP operation-attributes-tag\n"
      " ATTR charset attributes-charset utf-8\n ATTR language attributes-natural-language en\n"
      " ATTR uri printer-uri $uri\n ATTR name requesting-user-name $user\n"
      " ATTR keyword requested-attributes job-name,copies,job-priority,multiple-document-handling,number-up\n"
      " STATUS successful-ok\n}\n");
  struct Case {
    Args args;
    std::string input;
    std::vector<std::string> attributes;  // as ipptool shows them
  };
  const Case cases[] = {
      {{},
       MarkerPages(2),
       {"job-name (nameWithoutLanguage) = stdin", "job-priority (integer) = 20"}},
      {{"--copies", "3", "--option", "job-priority=90", dir.Write("n.txt", "n\n")},
       "",
       {"job-name (nameWithoutLanguage) = n.txt", "copies (integer) = 3",
        "job-priority (integer) = 90",
        "multiple-document-handling (keyword) = separate-documents-collated-copies"}},
  };
  for (const Case& c : cases) {
    Args args = {"-q", "-P", "Q2TESTOFFICE", "-l", "1"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    EXPECT_EQ(Run(args, c.input), 0) << ReadFile(err);
    const std::string jobs =
        RunCommand("ipptool -tv ipp://localhost/printers/" + queue + " " + ShellQuote(get_jobs))
            .value_or("(ipptool failed)");
    for (const std::string& attribute : c.attributes) {
      EXPECT_NE(jobs.find(attribute), std::string::npos) << attribute << " in\n" << jobs;
    }
    EXPECT_EQ(jobs.find("number-up (integer)"), std::string::npos) << jobs;
    RunCommand("cancel -a -x " + queue + " 2>/dev/null");
  }
  RunCommand("lpadmin -x " + queue + " 2>/dev/null");
}

}  // namespace
}  // namespace quireon2::testing
