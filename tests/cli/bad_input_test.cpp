// Bad input thrown at the real quireon2-print, one row each: what it is given, the exit
// status and the words it must say, and afterwards nothing made, changed or removed but the
// PDF it was asked for: the source, the settings files and every other file beside them as
// they were, and the temp folder empty.
// Each row's outcome is also written as a Markdown table row into the build folder
// (reliability/<test>.md); scripts/reliability-doc puts the rows into docs/reliability.md.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cli/program_run.h"

namespace quireon2::testing {
namespace {

namespace fs = std::filesystem;

// What a row needs of the machine (a row that cannot run here is reported as skipped), or
// the temp folder or print service it runs with.
enum Needs { kAny, kRoot, kNotRoot, kCups, kNoTemp, kFullTemp, kNoCups };

// One bad input. `args` are words split at blanks; "{pdf}" stands for "-o OUT -m duplex -q"
// (a later -o or -m counts instead) and "{dir}" for the scratch folder. The saved printer is
// "Print to PDF". `source` names a file the test makes (or is a path), by default eight
// marker pages (eight.txt); `settings` is a line put first in the settings file.
struct Row {
  std::string name, args;
  int status;
  std::string said;  // on standard error
  Needs needs = kAny;
  std::string source = "", settings = "";
};

const std::vector<Row> kRows = {
    {"missing source", "{pdf}", 2, "doesn't exist", kAny, "missing.txt"},
    {"directory as source", "{pdf}", 2, "is a directory", kAny, "folder"},
    {"FIFO as source", "{pdf}", 2, "not a regular file", kAny, "fifo"},
    {"device as source", "{pdf}", 2, "not a regular file", kAny, "/dev/zero"},
    {"empty source", "{pdf}", 2, "nothing to print", kAny, "empty.txt"},
    {"unreadable source", "{pdf}", 2, "Permission denied", kNotRoot, "unreadable.txt"},
    {"size the system reports as 0", "{pdf}", 0, "", kAny, "/proc/cpuinfo"},
    {"binary source", "{pdf}", 0, "", kAny, "binary.txt"},
    {"NUL-filled source", "{pdf}", 0, "", kAny, "nuls.txt"},
    {"invalid UTF-8", "{pdf}", 0, "", kAny, "bad-utf8.txt"},
    {"UTF-16 with byte order mark", "{pdf}", 0, "", kAny, "utf16.txt"},
    {"one line of 1 MB", "{pdf}", 0, "", kAny, "long-line.txt"},
    {"3 MB of prose", "{pdf}", 0, "", kAny, "big.txt"},
    {"200,000 form feeds", "{pdf}", 0, "Too many pages", kAny, "feeds.txt"},
    {"source through a symlink", "{pdf}", 0, "", kAny, "link.txt"},
    {"name with blanks and UTF-8", "{pdf}", 0, "", kAny, "n\xC3\xA4me with blanks.txt"},
    {"unknown option", "{pdf} --bogus", 1, "--bogus"},
    {"option taking the file as its value", "{pdf} --size", 1, "--size"},
    {"font size 0 on the command line", "{pdf} --size 0", 1, "--size"},
    {"tab width 100", "{pdf} --tab 100", 1, "--tab"},
    {"paper the printer lacks", "{pdf} --paper B0", 1, "no paper called \"B0\"; its papers are"},
    {"two files, -o no folder", "{pdf} other.txt", 1, "names a folder"},
    {"signatures on 2 up", "{pdf} -l 2 -s 3", 1, "booklet layout"},
    {"settings file missing", "--settings /nonexistent/q2.ini --count", 1, "doesn't exist"},
    {"settings file is a directory", "--settings / --count", 1, "is a directory"},
    {"settings file unreadable", "--settings {dir}/unreadable.txt --count", 1, "Permission denied",
     kNotRoot},
    {"settings file of random bytes", "{pdf}", 0, "", kAny, "", "\x01\xff\xfe[x\x80=\x7f"},
    {"only counting", "--count", 0, "Count Done"},
    {"two passes, no terminal to press Enter on", "{pdf} -m flipped", 1, "give -y"},
    {"line height nan", "{pdf}", 2, "LineMultiple= 0", kAny, "", "LineMultiple=nan"},
    {"line height .001", "{pdf}", 2, "LineMultiple= .001 gives lines 0 twips high", kAny, "",
     "LineMultiple=.001"},
    {"cell off a 1 up page", "{pdf} -l 1", 2, "OffsetTop=-30000", kAny, "", "OffsetTop=-30000"},
    {"cell off a booklet page", "{pdf}", 2, "OffsetTop=-30000", kAny, "", "OffsetTop=-30000"},
    {"output in a missing folder", "{pdf} -o /nonexistent/out.pdf", 3, "/nonexistent/out.pdf"},
    {"output is /dev/full", "{pdf} -o /dev/full", 1, "is a character device"},
    {"output a device node, run as root", "{pdf} -o {dir}/null.pdf", 1, "null.pdf: is a character",
     kRoot},
    {"output is the source", "{pdf} -o {dir}/eight.txt", 1, "would write over the file to print"},
    {"output is a FIFO", "{pdf} -o {dir}/fifo", 1, "fifo: is a FIFO"},
    {"second job's output is a FIFO", "{pdf} -m flipped -y -o {dir}/two.pdf", 1,
     "two-2.pdf: is a FIFO"},
    {"output is a directory", "{pdf} -o {dir}/folder", 1, "folder: is a directory"},
    {"output file read-only", "{pdf} -o {dir}/read-only.pdf", 1, "read-only.pdf: Permission denied",
     kNotRoot},
    // The PDF goes to the link's target, and the link stays.
    {"output through a symlink", "{pdf} -o {dir}/link.pdf", 0, ""},
    {"output through a symlink to no file yet", "{pdf} -o {dir}/dangling.pdf", 0, ""},
    {"output a loop of symlinks", "{pdf} -o {dir}/loop.pdf", 1, "Too many levels of symbolic links"},
    {"output folder read-only", "{pdf} -o {dir}/ro/out.pdf", 3, "Permission denied", kNotRoot},
    {"output folder full", "{pdf} -o {dir}/full/out.pdf", 3, "No space left on device", kRoot},
    {"temp folder missing", "{pdf}", 2, "no temp directory", kNoTemp},
    {"temp folder full", "{pdf}", 2, "No space left on device", kFullTemp, "long-line.txt"},
    {"print service not running", "-P office -q", 3, "is not running", kNoCups},
    {"queue that does not exist", "-P Q2TestNoSuchQueue -q", 1, "Q2TestNoSuchQueue", kCups},
    {"queue rejecting jobs", "-P Q2TestRejecting -l 1 -q", 3, "Q2TestRejecting", kCups},
    {"queue disabled", "-P q2testdisabled -l 1 --copies 3 --option job-priority=90 -q", 0,
     "is paused", kCups},
};

// A settings key given a value out of its range, a word and 300 digits: each makes three
// rows, with the exit status and words expected for each of the three.
struct KeyRow { std::string key, out_of_range; int status[3]; std::string said[3]{}; };

// One key of each kind of reader the settings file has (a number, the line height, a path, a
// font name, a printer, the PDF paper) and one of each way a key can leave no room for a line
// or make the wrap's character count negative.
const std::vector<KeyRow> kKeyRows = {
    {"WidthFudge", "-30000", {0, 0, 0}, {}},
    {"TCount", "100", {2, 0, 0}, {"not \"100\""}},
    {"LineMultiple", "-3", {2, 2, 2}, {"LineMultiple=-3", "LineMultiple= 0", "too high to count"}},
    {"Layout3", "-5", {2, 2, 0}, {"Layout3=-5 is no font size", "Layout3= 0 is no font size"}},
    {"OffsetTop", "30000", {2, 0, 0}, {"OffsetTop= 30000 leave a cell"}},
    {"OffsetLeft", "30000", {2, 0, 0}, {"OffsetLeft= 30000 leave a cell"}},
    {"XEdgeBorder1", "30000", {2, 0, 0}, {"2 x XEdgeBorder1 = 60000 in the settings"}},
    {"PdfPaper", "9999", {0, 0, 0}, {}},
    {"Layout 3 font", "\x01\x02", {0, 0, 0}, {}},
    {"LastPrinter", "-1", {0, 0, 0}, {"\"-1\" is not available", "\"abc\" is not available",
                                      "\"999999999"}},
    {"LastTempFile", "/etc/passwd", {0, 0, 0}, {}},
};

// The files the rows use, made once in the scratch folder, and the rows run against them.
class BadInputTable : public ProgramRunTest {
 protected:
  void SetUp() override {
    dir.Write("bad-utf8.txt", "caf\xC3 \xFF\xFE \xE2\x28\xA1 \xF4\x90\x80\x80 \xC0\xAF end\n");
    dir.Write("utf16.txt", std::string("\xFF\xFEh\0e\0l\0l\0o\0,\0 \0w\0o\0r\0l\0d\0\r\0\n\0", 28));
    dir.Write("n\xC3\xA4me with blanks.txt", MarkerPages(2));
    // Big texts, a program's bytes, links, FIFOs, modes; as root a device, which a PDF given to
    // -o would replace.
    ASSERT_TRUE(RunCommand(
        "cd " + ShellQuote(dir.path()) + " && mkdir folder ro full work tmp && chmod 555 ro && " +
        "echo x >other.txt && : >empty.txt && echo >unreadable.txt && chmod 0 unreadable.txt && " +
        "echo old >read-only.pdf && chmod 444 read-only.pdf && mkfifo fifo two-2.pdf && " +
        "head -c 20000 /dev/zero >nuls.txt && head -c 20000 /bin/sh >binary.txt && " +
        "ln -s eight.txt link.txt && ln -s loop.pdf loop.pdf" +
        " && head -c 200000 /dev/zero | tr '\\0' '\\f' >feeds.txt && " +
        "(head -c 1048576 /dev/zero | tr '\\0' x; echo) >long-line.txt && " +
        "yes 'lorem ipsum dolor sit amet, consectetur elit' | head -c 3145728 >big.txt && " +
        "ln -s " + ShellQuote(elsewhere.File("new.pdf")) + " dangling.pdf && ln -s " +
        ShellQuote(elsewhere.Write("real.pdf", "old")) + " link.pdf" +
        (root ? " && mknod null.pdf c 1 3" : "")));
    full_mounted = root && ::mount("tmpfs", dir.File("full").c_str(), "tmpfs", 0, "size=4k") == 0;
  }
  void TearDown() override {
    if (full_mounted) ::umount(dir.File("full").c_str());
  }

  // Every file and folder in the scratch folder (not following links) and the program's own
  // settings file beside it, one a line and sorted: a folder by its name, anything else with
  // what a change to it would change (type, inode, size and change time). The PDFs a row asks
  // for and the messages are left out.
  std::string Snapshot() const {
    const fs::path own = fs::path(QUIREON2_PRINT_BINARY).parent_path() / "Quireon2.ini";
    return RunCommand("cd " + ShellQuote(dir.path()) + " && find . " + ShellQuote(own) +
                      " -path ./err.txt -o -path './work/out*.pdf' -o -type d -printf '%p\\n' " +
                      "-o -printf '%p %y %i %s %C@\\n' 2>/dev/null | sort")
        .value_or("");
  }

  // Runs `row` and checks what it did; its outcome as the reliability page shows it.
  std::string RunRow(const Row& row) {
    dir.Write("settings.ini", "[Quireon2]\n" + row.settings + "\nLayout= 3\nPrinterMode= 1\n" +
                                  "LastPrinter= Print to PDF\n");
    std::istringstream words(std::regex_replace(
        std::regex_replace(row.args, std::regex("\\{pdf\\}"), "-o {dir}/work/out.pdf -m duplex -q"),
        std::regex("\\{dir\\}"), dir.path().string()));
    std::vector<std::string> args{std::istream_iterator<std::string>(words), {}};
    args.push_back(dir.path() / (row.source.empty() ? "eight.txt" : row.source));
    const auto o = std::find(args.rbegin(), args.rend(), "-o");  // what the last -o names
    const std::string output = o == args.rend() ? "" : *o.base();
    fs::remove(dir.File("work/out.pdf"));
    const std::string before = Snapshot();
    const char* temp = row.needs == kNoTemp ? "none" : row.needs == kFullTemp ? "full" : "tmp";
    ScopedEnv tmp("TMPDIR", dir.File(temp));
    ScopedEnv cups("CUPS_SERVER", row.needs == kNoCups ? "/nonexistent" : getenv("CUPS_SERVER"));
    const int status = Run(args);
    const std::string said = ReadFile(err);

    std::string outcome;  // each fault found, after "; "
    if (status != row.status) outcome += "; exit status " + std::to_string(status);
    if (said.find(row.said) == std::string::npos) outcome += "; message not said";
    if (status != 0 && said.empty()) outcome += "; failed without a word";
    // Nothing but the PDFs asked for and the messages is made, changed or removed, the
    // temp folder's files included.
    if (Snapshot() != before) outcome += "; a file made, changed or removed";
    const bool pdf = status != 0 || output.empty() || ReadFile(output).rfind("%PDF", 0) == 0;
    if (!pdf) outcome += "; no PDF";
    EXPECT_EQ(outcome, "") << row.name << "\n" << said;
    // The first line saying the expected words, else the last one said, with the scratch
    // folder (named anew in every run) as DIR.
    std::string line, next;
    for (std::istringstream lines(said); std::getline(lines, next);) {
      if (row.said.empty() || line.find(row.said) == std::string::npos) line = next;
    }
    line = std::regex_replace(line, std::regex(dir.path().string()), "DIR");
    std::replace(line.begin(), line.end(), '|', '/');
    return (outcome.empty() ? "as expected" : outcome.substr(2)) + " (exit " + std::to_string(status) +
           (line.empty() ? "" : ": " + line) + ")";
  }

  // Runs the rows that need the test scheduler, or the others, and writes their outcomes to
  // reliability/<file>.md in the build folder.
  void RunRows(bool queues, const std::string& file) {
    std::vector<Row> rows = kRows;  // and three rows for each settings key
    const char* kinds[3] = {"out of range", "not a number", "300 digits"};
    for (const KeyRow& k : kKeyRows) {
      const std::string values[3] = {k.out_of_range, "abc", std::string(300, '9')};
      for (int i = 0; i < 3; ++i) {
        rows.push_back({k.key + " " + kinds[i], "{pdf}", k.status[i], k.said[i], kAny, "",
                        k.key + "=" + values[i]});
      }
    }
    std::ostringstream doc;
    for (const Row& row : rows) {
      if ((row.needs == kCups) != queues) continue;
      // Why the row cannot run here; empty when it can.
      const bool full = row.needs == kFullTemp || row.args.find("{dir}/full") != std::string::npos;
      const std::string unmet = row.needs == kNotRoot && root ? "root may do it"
                                : (row.needs == kRoot || full) && !root ? "needs root"
                                : full && !full_mounted ? "no small file system could be mounted"
                                                        : "";
      doc << "| " << row.name << " | " << row.status << " | " << row.said << " | "
          << (unmet.empty() ? RunRow(row) : "skipped: " + unmet) << " |\n";
    }
    fs::create_directories(QUIREON2_RELIABILITY_DIR);
    std::ofstream(std::string(QUIREON2_RELIABILITY_DIR) + "/" + file + ".md") << doc.str();
  }

  const bool root = ::geteuid() == 0;
  ScratchDir elsewhere;  // where a link in `dir` points
  bool full_mounted = false;
};

TEST_F(BadInputTable, NothingHarmfulHiddenOrLeft) { RunRows(false, "local"); }

// Needs the test scheduler (tests/cups): the queues are the test's own. The job the paused
// queue holds, named there in other case, carries the user's lpoptions for the queue (but
// not one that would lay the pages out again) with --copies and --option over them.
TEST_F(BadInputTable, QueuesThatCannotTakeTheJob) {
  if (!RunCommand("lpstat -r 2>/dev/null | grep -q 'is running'")) GTEST_SKIP() << "no scheduler";
  const std::string add = "lpadmin -v file:///dev/null -P "
                          "/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd -p ";
  ASSERT_TRUE(RunCommand(add + "Q2TestRejecting -E && cupsreject Q2TestRejecting"));
  ASSERT_TRUE(RunCommand(add + "Q2TestDisabled -E && cupsdisable Q2TestDisabled"));
  fs::create_directories(dir.File("home/.cups"));
  dir.Write("home/.cups/lpoptions",
            "Dest Q2TestDisabled job-priority=20 job-hold-until=indefinite number-up=2\n");
  ScopedEnv home("HOME", dir.File("home"));
  RunRows(true, "queues");
  const std::string get_jobs = dir.Write(
      "get-jobs.test",
      "{ OPERATION Get-Jobs GROUP operation-attributes-tag ATTR charset attributes-charset utf-8 "
      "ATTR language attributes-natural-language en ATTR uri printer-uri $uri "
      "ATTR name requesting-user-name $user ATTR keyword requested-attributes all }");
  const std::string jobs =
      RunCommand("ipptool -tv ipp://localhost/printers/Q2TestDisabled " + ShellQuote(get_jobs))
          .value_or("(ipptool failed)");
  for (const char* attribute :
       {"job-name (nameWithoutLanguage) = eight.txt", "copies (integer) = 3",
        "job-priority (integer) = 90", "job-hold-until (keyword) = indefinite",
        "multiple-document-handling (keyword) = separate-documents-collated-copies"}) {
    EXPECT_NE(jobs.find(attribute), std::string::npos) << attribute << " in\n" << jobs;
  }
  EXPECT_EQ(jobs.find("number-up (integer)"), std::string::npos) << jobs;
  RunCommand("for q in Q2TestRejecting Q2TestDisabled; do cancel -a -x $q; lpadmin -x $q; done "
             "2>/dev/null");
}

}  // namespace
}  // namespace quireon2::testing
