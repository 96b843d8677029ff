// Bad input thrown at the real quireon2-print, one row each: what it is given, the exit
// status and the words it must say, and afterwards nothing made, changed or removed but the
// PDF it was asked for: the source, the settings files and every other file beside them as
// they were, and the temp folder empty.
// Each row's outcome is also written as a Markdown table row into the build folder
// (reliability/<test>.md); scripts/reliability-doc puts the rows into docs/reliability.md.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/types.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
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

// One bad input. `args` are words split at blanks; "{pdf}" stands for "-P 'Print to PDF' -o
// OUT -m duplex -q" (a later -o or -m counts instead), "{dir}" for the scratch folder and
// "{source}" for the source; `source` names a file the test makes (or is a path), by
// default eight marker pages (eight.txt); `settings` is a line added to the settings file.
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
    {"output is the source", "{pdf} -o {source}", 1, "would write over the file to print"},
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

// One key of each kind the settings file holds (a flag, a number, a ranged one, a colour, a
// font name, a printer, paths) and one of each way a key can leave no room for a line.
const std::vector<KeyRow> kKeyRows = {
    {"HCurDate", "7", {0, 0, 0}, {}},
    {"WidthFudge", "-30000", {0, 0, 0}, {}},
    {"TCount", "100", {2, 0, 0}, {"not \"100\""}},
    {"Layout", "-1", {0, 0, 0}, {}},
    {"MaxPages", "0", {0, 0, 0}, {}},
    {"LineMultiple", "-3", {2, 2, 2}, {"LineMultiple=-3", "LineMultiple= 0", "too high to count"}},
    {"Layout3", "-5", {2, 2, 0}, {"Layout3=-5 is no font size", "Layout3= 0 is no font size"}},
    {"Lineweight", "-30000", {0, 0, 0}, {}},
    {"Linecolor", "-1", {0, 0, 0}, {}},
    {"OffsetTop", "30000", {2, 0, 0}, {"OffsetTop= 30000 leave a cell"}},
    {"OffsetLeft", "30000", {2, 0, 0}, {"OffsetLeft= 30000 leave a cell"}},
    {"XEdgeBorder1", "30000", {2, 0, 0}, {"2 x XEdgeBorder1 = 60000 in the settings"}},
    {"PdfPaper", "9999", {0, 0, 0}, {}},
    {"Layout 3 font", "\x01\x02", {0, 0, 0}, {}},
    {"LastPrinter", "-1", {0, 0, 0}, {"\"-1\" is not available", "\"abc\" is not available",
                                      "\"999999999"}},
    {"LastTempFile", "/etc/passwd", {0, 0, 0}, {}},
};

std::vector<Row> AllRows() {
  std::vector<Row> rows = kRows;
  const std::string values[3] = {"", "abc", std::string(300, '9')};
  const char* kinds[3] = {"out of range", "not a number", "300 digits"};
  for (const KeyRow& k : kKeyRows) {
    for (int i = 0; i < 3; ++i) {
      rows.push_back({k.key + " " + kinds[i], "{pdf}", k.status[i], k.said[i], kAny, "",
                      k.key + "=" + (i == 0 ? k.out_of_range : values[i])});
    }
  }
  return rows;
}

// The files the rows use, made once in the scratch folder, and the rows run against them.
class BadInputTable : public ProgramRunTest {
 protected:
  void SetUp() override {
    for (const char* folder : {"folder", "ro", "full", "work", "tmp"}) {
      fs::create_directory(dir.File(folder));
    }
    dir.Write("other.txt", "x");
    dir.Write("empty.txt", "");
    ::chmod(dir.Write("unreadable.txt", "text").c_str(), 0);
    ::chmod(dir.Write("read-only.pdf", "old").c_str(), 0444);
    ::chmod(dir.File("ro").c_str(), 0555);
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo(dir.File("two-2.pdf").c_str(), 0644), 0);
    // As root, a device given to -o would be replaced by a file.
    ASSERT_TRUE(!root || ::mknod(dir.File("null.pdf").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0);
    fs::create_symlink(elsewhere.Write("real.pdf", "old"), dir.File("link.pdf"));
    fs::create_symlink(elsewhere.File("new.pdf"), dir.File("dangling.pdf"));
    fs::create_symlink(dir.File("loop.pdf"), dir.File("loop.pdf"));
    fs::create_symlink(source, dir.File("link.txt"));
    std::string binary, prose;
    for (unsigned i = 0; i < 20000; ++i) binary += static_cast<char>((i * 2654435761u) >> 13);
    dir.Write("binary.txt", binary);
    dir.Write("nuls.txt", std::string(20000, '\0'));
    dir.Write("bad-utf8.txt", "caf\xC3 \xFF\xFE \xE2\x28\xA1 \xF4\x90\x80\x80 \xC0\xAF end\n");
    dir.Write("utf16.txt", std::string("\xFF\xFEh\0e\0l\0l\0o\0,\0 \0w\0o\0r\0l\0d\0\r\0\n\0", 28));
    dir.Write("long-line.txt", std::string(1 << 20, 'x') + "\n");
    while (prose.size() < (3u << 20)) prose += "lorem ipsum dolor sit amet, consectetur elit\n";
    dir.Write("big.txt", prose);
    dir.Write("feeds.txt", std::string(200000, '\f'));
    dir.Write("n\xC3\xA4me with blanks.txt", MarkerPages(2));
    full_mounted = root && ::mount("tmpfs", dir.File("full").c_str(), "tmpfs", 0, "size=4k") == 0;
  }
  void TearDown() override {
    if (full_mounted) ::umount(dir.File("full").c_str());
  }

  // Why `row` cannot run here; empty when it can.
  std::string Unmet(const Row& row) const {
    if (row.needs == kNotRoot && root) return "root may do it";
    if (row.needs == kRoot && !root) return "needs root";
    const bool full = row.needs == kFullTemp || row.args.find("{dir}/full") != std::string::npos;
    if (full && !full_mounted) return root ? "no small file system could be mounted" : "needs root";
    return "";
  }

  // Every file and folder in the scratch folder (not following links), by its name in it,
  // with what a change to it would change: a folder's type; anything else's type, inode,
  // size and change time. The program's own settings file, beside it, by its bytes.
  std::map<std::string, std::string> Snapshot() const {
    const fs::path own = fs::path(QUIREON2_PRINT_BINARY).parent_path() / "Quireon2.ini";
    std::map<std::string, std::string> entries = {
        {own.string(), fs::exists(own) ? ReadFile(own.string()) : "(none)"}};
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
      struct stat st {};
      ::lstat(entry.path().c_str(), &st);
      std::ostringstream state;
      state << (st.st_mode & S_IFMT) << " " << st.st_ino << " " << st.st_size << " "
            << st.st_ctim.tv_sec << "." << st.st_ctim.tv_nsec;
      entries[entry.path().lexically_relative(dir.path())] =
          S_ISDIR(st.st_mode) ? "folder" : state.str();
    }
    return entries;
  }

  // Runs `row` and checks what it did; its outcome as the reliability page shows it.
  std::string RunRow(const Row& row) {
    const std::string pdf = dir.File("work/out.pdf");
    const std::string file = row.source.empty()         ? source
                             : row.source.front() == '/' ? row.source
                                                         : dir.File(row.source);
    dir.Write("settings.ini", "[Quireon2]\nLayout= 3\nPrinterMode= 1\n" + row.settings + "\n");
    std::vector<std::string> args;
    std::istringstream words(row.args);
    for (std::string word; words >> word;) {
      if (word == "{pdf}") {
        args.insert(args.end(), {"-P", "Print to PDF", "-o", pdf, "-m", "duplex", "-q"});
        continue;
      }
      if (word == "{source}") word = file;
      if (word.rfind("{dir}", 0) == 0) word = dir.path().string() + word.substr(5);
      args.push_back(word);
    }
    args.push_back(file);
    const auto o = std::find(args.rbegin(), args.rend(), "-o");  // what the last -o names
    const std::string output = o == args.rend() ? "" : *o.base();
    fs::remove(pdf);
    std::map<std::string, std::string> before = Snapshot();
    ScopedEnv tmp("TMPDIR", dir.File(row.needs == kNoTemp     ? "no-such-folder"
                                     : row.needs == kFullTemp ? "full"
                                                              : "tmp"));
    const std::string nowhere = dir.File("nothing-listens");
    ScopedEnv cups("CUPS_SERVER", row.needs == kNoCups ? nowhere.c_str() : getenv("CUPS_SERVER"));
    const int status = Run(args);
    const std::string said = ReadFile(err);

    std::string outcome;
    const auto fault = [&outcome](const std::string& what) {
      outcome += (outcome.empty() ? "" : "; ") + what;
    };
    if (status != row.status) fault("exit status " + std::to_string(status));
    if (said.find(row.said) == std::string::npos) fault("message not said");
    if (status != 0 && said.empty()) fault("failed without a word");
    // Nothing but the PDFs asked for and the messages is made, changed or removed, the
    // temp folder's files included.
    std::map<std::string, std::string> after = Snapshot();
    for (const auto& [name, state] : after) before.emplace(name, "(none)");
    for (const auto& [name, state] : before) {
      const std::string now = after.count(name) != 0 ? after[name] : "(none)";
      if (now == state || name == "work/out.pdf" || name == "work/out-2.pdf" || name == "err.txt") {
        continue;
      }
      fault((state == "(none)" ? "left " : now == "(none)" ? "removed " : "changed ") + name);
    }
    if (status == 0 && !output.empty() && ReadFile(output).rfind("%PDF", 0) != 0) fault("no PDF");
    EXPECT_EQ(outcome, "") << row.name << "\n" << said;
    // The line saying the expected words, else the last one said, with the scratch folder
    // (named anew in every run) as DIR.
    std::size_t found = row.said.empty() ? std::string::npos : said.find(row.said);
    if (found == std::string::npos) found = said.find_last_not_of('\n');
    const std::size_t start = said.rfind('\n', found) + 1;
    std::string line = said.substr(start, said.find('\n', start) - start);
    for (std::size_t at; (at = line.find(dir.path().string())) != std::string::npos;) {
      line.replace(at, dir.path().string().size(), "DIR");
    }
    std::replace(line.begin(), line.end(), '|', '/');
    return (outcome.empty() ? "as expected" : outcome) + " (exit " + std::to_string(status) +
           (line.empty() ? "" : ": " + line) + ")";
  }

  // Runs every row `pick` accepts and writes their outcomes to reliability/<file>.md in the
  // build folder.
  void RunRows(const std::function<bool(const Row&)>& pick, const std::string& file) {
    std::ostringstream doc;
    for (const Row& row : AllRows()) {
      if (!pick(row)) continue;
      const std::string unmet = Unmet(row);
      doc << "| " << row.name << " | " << row.status << " | " << row.said << " | "
          << (unmet.empty() ? RunRow(row) : "skipped: " + unmet) << " |\n";
    }
    EXPECT_NE(doc.str(), "");
    fs::create_directories(QUIREON2_RELIABILITY_DIR);
    std::ofstream(std::string(QUIREON2_RELIABILITY_DIR) + "/" + file + ".md") << doc.str();
  }

  const bool root = ::geteuid() == 0;
  ScratchDir elsewhere;  // where a link in `dir` points
  bool full_mounted = false;
};

TEST_F(BadInputTable, NothingHarmfulHiddenOrLeft) {
  RunRows([](const Row& row) { return row.needs != kCups; }, "local");
}

// Needs the test scheduler (tests/cups): the queues are the test's own. The job the paused
// queue holds, named there in other case, carries the user's lpoptions for the queue (but
// not one that would lay the pages out again) with --copies and --option over them.
TEST_F(BadInputTable, QueuesThatCannotTakeTheJob) {
  if (!RunCommand("lpstat -r 2>/dev/null | grep -q 'is running'")) {
    GTEST_SKIP() << "no test CUPS scheduler (tests/cups)";
  }
  const std::string ppd = " -v file:///dev/null -P /usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd";
  ASSERT_TRUE(RunCommand("lpadmin -p Q2TestRejecting -E" + ppd + " && cupsreject Q2TestRejecting"));
  ASSERT_TRUE(RunCommand("lpadmin -p Q2TestDisabled -E" + ppd + " && cupsdisable Q2TestDisabled"));
  fs::create_directories(dir.File("home/.cups"));
  dir.Write("home/.cups/lpoptions",
            "Dest Q2TestDisabled job-priority=20 job-hold-until=indefinite number-up=2\n");
  ScopedEnv home("HOME", dir.File("home"));
  RunRows([](const Row& row) { return row.needs == kCups; }, "queues");
  const std::string jobs =
      RunCommand("ipptool -tv ipp://localhost/printers/Q2TestDisabled " +
                 ShellQuote(dir.Write("get-jobs.test",
                                      "{ OPERATION Get-Jobs GROUP operation-attributes-tag "
                                      "ATTR charset attributes-charset utf-8 "
                                      "ATTR language attributes-natural-language en "
                                      "ATTR uri printer-uri $uri "
                                      "ATTR name requesting-user-name $user "
                                      "ATTR keyword requested-attributes all }")))
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
