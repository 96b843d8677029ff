// The real quireon2-print used the way terminal users print text: from a pipe, several
// files at once, a PDF on standard output, only some sheets or pages again, and copies and
// job options on a CUPS queue named in any case.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "cli/marker_pages.h"
#include "cli/program_run.h"
#include "support/gtest_support.h"

namespace quireon2::testing {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;
using Pages = std::vector<std::string>;

class TerminalHabitsTest : public ::testing::Test {
 protected:
  // Runs the program with `args` after the settings and "Print to PDF", `input` on its
  // standard input and its standard output into `stdout_path`; its exit status.
  int Run(Args args, const std::string& input = "", const std::string& stdout_path = "") {
    args.insert(args.begin(), {"--settings", settings, "-P", "Print to PDF"});
    Program program(args, err, Input::kPipe, stdout_path);
    program.Give(input);
    return program.Wait();
  }

  ScratchDir dir;
  std::string settings = dir.Write("settings.ini", "[Quireon2]\nLayout= 3\nPrinterMode= 2\n");
  std::string err = dir.File("err.txt");
};

// Text from a pipe prints as the same text read from its file, with "stdin" or the --title
// where the file's name would be; -o - puts the same PDF on standard output. The copy of
// standard input and the PDF on its way out leave nothing in the temp folder.
TEST_F(TerminalHabitsTest, StandardInputPrintsAsTheSameFileByName) {
  const std::string text = MarkerPages(8);
  const std::string source = dir.Write("eight.txt", text);
  const std::string pdf = dir.File("out.pdf");
  const std::string tmp = dir.File("tmp");
  fs::create_directory(tmp);
  ScopedEnv tmpdir("TMPDIR", tmp);
  const Args common = {"-q", "--header", "file"};
  auto with = [&](Args args) {
    args.insert(args.begin(), common.begin(), common.end());
    return args;
  };
  ASSERT_EQ(Run(with({"-o", pdf, source})), 0) << ReadFile(err);
  const Pages by_name = PdfPages(pdf);
  ASSERT_EQ(by_name.size(), 4u);
  struct Case {
    Args args;
    bool piped;            // the text on standard input
    bool to_stdout;        // the PDF on standard output
    std::string shown;     // the name in the header
  };
  const Case cases[] = {
      {{"-o", pdf, "-"}, true, false, "stdin"},
      {{"-o", pdf}, true, false, "stdin"},
      {{"-o", pdf, "--title", "Notes", "-"}, true, false, "Notes"},
      {{"-o", "-", source}, false, true, "eight.txt"},
      {{"-o", "-"}, true, true, "stdin"},
  };
  for (const Case& c : cases) {
    fs::remove(pdf);
    const std::string out = c.to_stdout ? pdf : "";
    ASSERT_EQ(Run(with(c.args), c.piped ? text : "", out), 0) << c.args.back() << ReadFile(err);
    Pages expected = by_name;
    for (std::string& page : expected) {
      for (std::size_t at = 0; (at = page.find("eight.txt", at)) != std::string::npos;) {
        page.replace(at, 9, c.shown);
        at += c.shown.size();
      }
    }
    EXPECT_EQ(PdfPages(pdf), expected) << c.args.back() << " " << c.shown;
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
TEST_F(TerminalHabitsTest, SeveralFilesGiveAPdfEach) {
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
    Args args = {"-l", "1", "-q"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    EXPECT_EQ(Run(args), c.status) << ReadFile(err);
    EXPECT_EQ(PdfPages(c.a_pdf), (Pages{"M1", "M2", "M3", "M4"})) << c.a_pdf;
    EXPECT_EQ(PdfPages(c.b_pdf).size(), 6u) << c.b_pdf;
  }
}

// The sides of the chosen sheets, picked from the whole booklet's jobs in the order the
// paper-feed mode prints them: one two-sided job, front then back of each sheet; or the
// fronts in stack order and then the backs, in stack order or, `backs_reversed`, from the
// last sheet.
struct Jobs {
  Pages first, second;
  bool operator==(const Jobs& o) const { return first == o.first && second == o.second; }
};
void PrintTo(const Jobs& jobs, std::ostream* out) {
  for (const Pages* job : {&jobs.first, &jobs.second}) {
    *out << "[";
    for (const std::string& page : *job) *out << " (" << page << ")";
    *out << " ]";
  }
}
Jobs PickSheets(const Jobs& whole, const std::string& feed, bool backs_reversed,
                const std::vector<int>& sheets) {
  Jobs picked;
  for (int s : sheets) {
    if (feed == "duplex") {
      picked.first.push_back(whole.first[2 * s - 2]);
      picked.first.push_back(whole.first[2 * s - 1]);
    } else {
      picked.first.push_back(whole.first[s - 1]);
    }
  }
  if (backs_reversed) {
    const int n = static_cast<int>(whole.second.size());
    for (auto s = sheets.rbegin(); s != sheets.rend(); ++s) {
      picked.second.push_back(whole.second[n - *s]);
    }
  } else if (feed != "duplex") {
    for (int s : sheets) picked.second.push_back(whole.second[s - 1]);
  }
  return picked;
}

// --sheets reprints exactly the chosen sheets of the booklet, both sides, as the whole run
// prints them, in every paper-feed mode and through signatures; --pages prints the chosen
// pages of 2 and 4 up where the whole run puts them, the other cells blank.
TEST_F(TerminalHabitsTest, SheetsAndPagesPrintOnlyThoseInTheModesOrder) {
  const std::string twenty = dir.Write("twenty.txt", MarkerPages(20));  // 5 booklet sheets
  const std::string pdf = dir.File("out.pdf");
  const std::string pdf2 = dir.File("out-2.pdf");
  auto print = [&](Args args) {
    fs::remove(pdf);
    fs::remove(pdf2);
    args.insert(args.end(), {"-yq", "--header", "none", "--footer", "none", "-o", pdf, twenty});
    EXPECT_EQ(Run(args), 0) << ReadFile(err);
    return Jobs{PdfPages(pdf), PdfPages(pdf2)};
  };
  struct Case {
    Args layout;
    std::string sheets;
    std::vector<int> chosen;
    bool signatures = false;
  };
  const Case cases[] = {
      {{}, "2", {2}},
      {{}, "1,4-5", {1, 4, 5}},
      // 2 signatures of 3 sheets: the second's outer sheet, and sheets of both.
      {{"-s", "2"}, "4", {4}, true},
      {{"-s", "2"}, "2-4", {2, 3, 4}, true},
  };
  for (const char* feed : {"straight", "flipped", "inkjet", "duplex"}) {
    for (const Case& c : cases) {
      Args args = c.layout;
      args.insert(args.end(), {"-m", feed});
      const Jobs whole = print(args);
      args.insert(args.end(), {"--sheets", c.sheets});
      // The flipped stack comes back last sheet first; so does an inkjet one in signatures.
      const std::string mode = feed;
      const bool reversed = mode == "flipped" || (mode == "inkjet" && c.signatures);
      EXPECT_EQ(print(args), PickSheets(whole, feed, reversed, c.chosen))
          << feed << " " << c.sheets;
    }
  }
  // 2 up: sides "M1 M2", "M3 M4", ...; 4 up: "M1 M2 M3 M4", ... The chosen markers stay on
  // their sides; a side without one is left out.
  for (const char* layout : {"2", "4"}) {
    const Pages chosen = print({"-l", layout, "-m", "duplex", "--pages", "3,6-7,20"}).first;
    Pages expected;
    for (const std::string& side : print({"-l", layout, "-m", "duplex"}).first) {
      std::string kept;
      for (const char* marker : {"M3", "M6", "M7", "M20"}) {
        if ((" " + side + " ").find(std::string(" ") + marker + " ") != std::string::npos) {
          kept += (kept.empty() ? "" : " ") + std::string(marker);
        }
      }
      if (!kept.empty()) expected.push_back(kept);
    }
    EXPECT_EQ(chosen, expected) << layout << " up";
  }
}

// Needs the test scheduler (tests/cups). The job of a lower-case queue named in capitals
// carries the user's lpoptions for the queue (but not one that would lay the pages out
// again), with --copies and --option over them, and text from a pipe is the job "stdin".
TEST_F(TerminalHabitsTest, CopiesAndOptionsReachTheQueue) {
  const std::string queue = "q2testoffice";
  if (!RunCommand("lpadmin -p " + queue + " -E -v file:///dev/null -P " +
                  "/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd 2>/dev/null && " +
                  "cupsdisable " + queue)) {
    GTEST_SKIP() << "no test CUPS scheduler to make the queue " << queue << " on (tests/cups)";
  }
  const std::string home = dir.File("home");
  fs::create_directories(home + "/.cups");
  dir.Write("home/.cups/lpoptions", "Dest " + queue + " job-priority=20 number-up=2\n");
  ScopedEnv user_home("HOME", home);
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
      {{"-l", "1"}, MarkerPages(2), {"job-name (nameWithoutLanguage) = stdin",
                                     "job-priority (integer) = 20"}},
      {{"-l", "1", "--copies", "3", "--option", "job-priority=90", dir.Write("n.txt", "n\n")},
       "",
       {"job-name (nameWithoutLanguage) = n.txt", "copies (integer) = 3",
        "job-priority (integer) = 90",
        "multiple-document-handling (keyword) = separate-documents-collated-copies"}},
  };
  for (const Case& c : cases) {
    Args args = {"--settings", settings, "-q", "-P", "Q2TESTOFFICE"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    Program program(args, err);
    program.Give(c.input);
    EXPECT_EQ(program.Wait(), 0) << ReadFile(err);
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
