// Bad input thrown at the real quireon2-print, one row each: what it is given, the exit
// status and the words it must say, and afterwards nothing made, changed or removed but the
// PDF it was asked for: the source, the settings file and every other file beside them as
// they were, and the temp folder empty.
// Each row's outcome is also written as a Markdown table row into the build folder
// (reliability/<test>.md); scripts/reliability-doc puts the rows into docs/reliability.md.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/marker_pages.h"
#include "cli/program_run.h"

namespace quireon2::testing {
namespace {

namespace fs = std::filesystem;

// What a row needs of the machine; a row that cannot run here is reported as skipped.
enum Needs { kAny, kRoot, kNotRoot, kCups };

// One bad input. `args` are words split at blanks; "{pdf}" stands for "-P 'Print to PDF' -o
// OUT -m duplex -q" (a later -o or -m counts instead), "{dir}" for the scratch folder and
// "{source}" for the source; `source` names a file the test makes (or is a path), by
// default eight marker pages;
// `settings` is a line added to the settings file; `tmp` is "" for a private temp folder,
// "missing", "full", or "no-cups" for no print service.
struct Row {
  std::string name;
  std::string args;
  int status;
  std::string said;  // on standard error
  std::string source = "eight.txt";
  std::string settings = "";
  Needs needs = kAny;
  std::string tmp = "";
};

const std::vector<Row> kRows = {
    {"missing source", "{pdf}", 2, "doesn't exist", "missing.txt"},
    {"directory as source", "{pdf}", 2, "is a directory", "folder"},
    {"FIFO as source", "{pdf}", 2, "not a regular file", "fifo"},
    {"device as source", "{pdf}", 2, "not a regular file", "/dev/zero"},
    {"empty source", "{pdf}", 2, "nothing to print", "empty.txt"},
    {"unreadable source", "{pdf}", 2, "Permission denied", "unreadable.txt", "", kNotRoot},
    {"size the system reports as 0", "{pdf}", 0, "", "/proc/cpuinfo"},
    {"binary source", "{pdf}", 0, "", "binary.txt"},
    {"NUL-filled source", "{pdf}", 0, "", "nuls.txt"},
    {"invalid UTF-8", "{pdf}", 0, "", "bad-utf8.txt"},
    {"UTF-16 with byte order mark", "{pdf}", 0, "", "utf16.txt"},
    {"one line of 1 MB", "{pdf}", 0, "", "long-line.txt"},
    {"3 MB of prose", "{pdf}", 0, "", "big.txt"},
    {"200,000 form feeds", "{pdf}", 0, "Too many pages", "feeds.txt"},
    {"source through a symlink", "{pdf}", 0, "", "link.txt"},
    {"name with blanks and UTF-8", "{pdf}", 0, "", "n\xC3\xA4me with blanks.txt"},
    {"unknown option", "{pdf} --bogus", 1, "--bogus"},
    {"option taking the file as its value", "{pdf} --size", 1, "--size"},
    {"font size 0 on the command line", "{pdf} --size 0", 1, "--size"},
    {"tab width 100", "{pdf} --tab 100", 1, "--tab"},
    {"two files, -o no folder", "{pdf} other.txt", 1, "names a folder"},
    {"signatures on 2 up", "{pdf} -l 2 -s 3", 1, "booklet layout"},
    {"settings file missing", "--settings /nonexistent/q2.ini --count", 1, "doesn't exist"},
    {"settings file is a directory", "--settings / --count", 1, "is a directory"},
    {"settings file unreadable", "--settings {dir}/unreadable.txt --count", 1, "Permission denied",
     "eight.txt", "", kNotRoot},
    {"settings file of random bytes", "{pdf}", 0, "", "eight.txt", "\x01\xff\xfe[x\x80=\x7f"},
    {"only counting", "--count", 0, "Count Done"},
    {"two passes, no terminal to press Enter on", "{pdf} -m flipped", 1, "give -y"},
    {"line height nan", "{pdf}", 2, "LineMultiple= 0", "eight.txt", "LineMultiple=nan"},
    {"line height .001", "{pdf}", 2, "LineMultiple= .001 gives lines 0 twips high", "eight.txt",
     "LineMultiple=.001"},
    {"cell off a 1 up page", "{pdf} -l 1", 2, "OffsetTop=-30000", "eight.txt", "OffsetTop=-30000"},
    {"cell off a booklet page", "{pdf}", 2, "OffsetTop=-30000", "eight.txt", "OffsetTop=-30000"},
    {"output in a missing folder", "{pdf} -o /nonexistent/out.pdf", 3, "/nonexistent/out.pdf"},
    {"output is /dev/full", "{pdf} -o /dev/full", 1, "is a character device"},
    {"output is the source", "{pdf} -o {source}", 1, "would write over the file to print"},
    {"output is a FIFO", "{pdf} -o {dir}/fifo", 1, "fifo: is a FIFO"},
    {"second job's output is a FIFO", "{pdf} -m flipped -y -o {dir}/two.pdf", 1,
     "two-2.pdf: is a FIFO"},
    {"output is a directory", "{pdf} -o {dir}/folder", 1, "folder: is a directory"},
    {"output file read-only", "{pdf} -o {dir}/read-only.pdf", 1, "read-only.pdf: Permission denied",
     "eight.txt", "", kNotRoot},
    // The PDF goes to the link's target, and the link stays.
    {"output through a symlink", "{pdf} -o {dir}/link.pdf", 0, ""},
    {"output through a symlink to no file yet", "{pdf} -o {dir}/dangling.pdf", 0, ""},
    {"output a loop of symlinks", "{pdf} -o {dir}/loop.pdf", 1, "Too many levels of symbolic links"},
    {"output folder read-only", "{pdf} -o {dir}/ro/out.pdf", 3, "Permission denied", "eight.txt",
     "", kNotRoot},
    {"output folder full", "{pdf} -o {dir}/full/out.pdf", 3, "No space left on device", "eight.txt",
     "", kRoot},
    {"temp folder missing", "{pdf}", 2, "no temp directory", "eight.txt", "", kAny, "missing"},
    {"temp folder full", "{pdf}", 2, "No space left on device", "long-line.txt", "", kRoot, "full"},
    {"print service not running", "-P office -q", 3, "is not running", "eight.txt", "", kAny,
     "no-cups"},
    {"queue that does not exist", "-P Q2TestNoSuchQueue -q", 1, "Q2TestNoSuchQueue", "eight.txt",
     "", kCups},
    {"queue rejecting jobs", "-P Q2TestRejecting -l 1 -q", 3, "Q2TestRejecting", "eight.txt", "",
     kCups},
    {"queue disabled", "-P Q2TestDisabled -l 1 -q", 0, "is paused", "eight.txt", "", kCups},
};

// A settings key given a value out of its range, a word and 300 digits: each makes three
// rows, with the exit status and words expected for each of the three.
struct KeyRow {
  std::string key;
  std::string out_of_range;
  int status[3];
  std::string said[3]{};
};

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
      const std::string value = i == 0 ? k.out_of_range : values[i];
      rows.push_back({k.key + " " + kinds[i], "{pdf}", k.status[i], k.said[i], "eight.txt",
                      k.key + "=" + value});
    }
  }
  return rows;
}

// Every file and folder under `root` (not following links), relative to it, with what a
// change to it would change: a folder's type; anything else's type, inode, size and ctime.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
  std::map<std::string, std::string> entries;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    struct stat st {};
    ::lstat(it->path().c_str(), &st);
    const auto type = st.st_mode & S_IFMT;
    entries[it->path().lexically_relative(root).string()] =
        type == S_IFDIR ? "folder"
                        : std::to_string(type) + " " + std::to_string(st.st_ino) + " " +
                              std::to_string(st.st_size) + " " + std::to_string(st.st_ctim.tv_sec) +
                              "." + std::to_string(st.st_ctim.tv_nsec);
  }
  return entries;
}

// The files the rows use, made once in a scratch folder, and the rows run against them.
class BadInputTable : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("eight.txt", MarkerPages(8));
    dir.Write("other.txt", "x");
    dir.Write("empty.txt", "");
    dir.Write("unreadable.txt", "text");
    ::chmod(dir.File("unreadable.txt").c_str(), 0);
    fs::create_directories(dir.File("folder"));
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo(dir.File("two-2.pdf").c_str(), 0644), 0);
    ::chmod(dir.Write("read-only.pdf", "old").c_str(), 0444);
    fs::create_symlink(elsewhere.Write("real.pdf", "old"), dir.File("link.pdf"));
    fs::create_symlink(elsewhere.File("new.pdf"), dir.File("dangling.pdf"));
    fs::create_symlink(dir.File("loop.pdf"), dir.File("loop.pdf"));
    std::string binary;
    for (unsigned i = 0; i < 20000; ++i) binary += static_cast<char>((i * 2654435761u) >> 13);
    dir.Write("binary.txt", binary);
    dir.Write("nuls.txt", std::string(20000, '\0'));
    dir.Write("bad-utf8.txt", "caf\xC3 \xFF\xFE \xE2\x28\xA1 \xF4\x90\x80\x80 \xC0\xAF end\n");
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("hello, world\r\nsecond line\r\n")) utf16 += std::string{c, '\0'};
    dir.Write("utf16.txt", utf16);
    dir.Write("long-line.txt", std::string(1 << 20, 'x') + "\n");
    std::string prose;
    while (prose.size() < (3u << 20)) prose += "lorem ipsum dolor sit amet, consectetur elit\n";
    dir.Write("big.txt", prose);
    dir.Write("feeds.txt", std::string(200000, '\f'));
    fs::create_symlink(dir.File("eight.txt"), dir.File("link.txt"));
    dir.Write("n\xC3\xA4me with blanks.txt", MarkerPages(2));
    fs::create_directories(dir.File("ro"));
    ::chmod(dir.File("ro").c_str(), 0555);
    fs::create_directories(dir.File("full"));
    full_mounted = ::geteuid() == 0 &&
                   ::mount("tmpfs", dir.File("full").c_str(), "tmpfs", 0, "size=4k") == 0;
    fs::create_directories(dir.File("work"));
    fs::create_directories(dir.File("tmp"));
  }
  void TearDown() override {
    if (full_mounted) ::umount(dir.File("full").c_str());
  }

  // Why `row` cannot run here; empty when it can.
  std::string Unmet(const Row& row) const {
    const bool root = ::geteuid() == 0;
    if (row.needs == kRoot && !root) return "needs root";
    if (row.needs == kNotRoot && root) return "root may do it";
    if ((row.tmp == "full" || row.args.find("{dir}/full") != std::string::npos) && !full_mounted) {
      return "no small file system could be mounted";
    }
    return "";
  }

  std::string Path(const std::string& name) const {
    return name.front() == '/' ? name : dir.File(name);
  }

  // Runs `row` and checks what it did; its outcome as the reliability page shows it.
  std::string RunRow(const Row& row) {
    const std::string out = dir.File("work/out.pdf");
    const std::string err = dir.File("err.txt");
    dir.Write("settings.ini", "[Quireon2]\nLayout= 3\nPrinterMode= 1\n" + row.settings + "\n");
    std::vector<std::string> args = {"--settings", dir.File("settings.ini")};
    std::string output;  // what -o names
    std::istringstream words(row.args);
    for (std::string word; words >> word;) {
      if (word == "{pdf}") {
        args.insert(args.end(), {"-P", "Print to PDF", "-o", out, "-m", "duplex", "-q"});
        output = out;
        continue;
      }
      for (const auto& [mark, path] : std::map<std::string, std::string>{
               {"{source}", Path(row.source)}, {"{dir}", dir.path().string()}}) {
        if (word.find(mark) == 0) word = path + word.substr(mark.size());
      }
      if (args.back() == "-o") output = word;
      args.push_back(word);
    }
    args.push_back(Path(row.source));
    fs::remove(out);
    // The program's own settings file, beside it, is never written either.
    const fs::path own = fs::path(QUIREON2_PRINT_BINARY).parent_path() / "Quireon2.ini";
    const std::string own_before = fs::exists(own) ? ReadFile(own.string()) : "(none)";
    std::map<std::string, std::string> before = Snapshot(dir.path());
    const std::string tmp = row.tmp == "missing" ? dir.File("no-such-folder")
                            : row.tmp == "full"  ? dir.File("full")
                                                 : dir.File("tmp");
    ScopedEnv tmp_env("TMPDIR", tmp);
    std::optional<ScopedEnv> cups_env;
    if (row.tmp == "no-cups") cups_env.emplace("CUPS_SERVER", dir.File("nothing-listens"));
    Program program(args, err);
    program.CloseInput();  // standard input at its end
    const int status = program.Wait(milliseconds(600000));
    const std::string said = ReadFile(err);

    // Nothing but the PDFs asked for and the messages is made, changed or removed, the
    // temp folder's files included.
    std::vector<std::string> faults;
    if (status != row.status) faults.push_back("exit status " + std::to_string(status));
    if (said.find(row.said) == std::string::npos) faults.push_back("message not said");
    if (status != 0 && said.empty()) faults.push_back("failed without a word");
    std::map<std::string, std::string> after = Snapshot(dir.path());
    for (const char* made : {"work/out.pdf", "work/out-2.pdf", "err.txt"}) {
      before.erase(made);
      after.erase(made);
    }
    for (const auto& [name, state] : after) {
      if (before.count(name) == 0) faults.push_back("left " + name);
      if (before.count(name) != 0 && before[name] != state) faults.push_back("changed " + name);
    }
    for (const auto& [name, state] : before) {
      if (after.count(name) == 0) faults.push_back("removed " + name);
    }
    if ((fs::exists(own) ? ReadFile(own.string()) : "(none)") != own_before) {
      faults.push_back("changed " + own.string());
    }
    if (status == 0 && !output.empty() && ReadFile(output).rfind("%PDF", 0) != 0) {
      faults.push_back("no PDF");
    }
    std::string outcome = "as expected";
    for (const std::string& f : faults) outcome = (f == faults.front() ? "" : outcome + "; ") + f;
    EXPECT_TRUE(faults.empty()) << row.name << ": " << outcome << "\n" << said;
    // The line saying the expected words, else the last one said.
    std::string line;
    std::istringstream lines(said);
    for (std::string l; std::getline(lines, l);) {
      if (line.find(row.said) == std::string::npos || row.said.empty()) line = l;
    }
    // The scratch folder's name changes with every run; the page shows it as DIR.
    for (std::size_t at; (at = line.find(dir.path().string())) != std::string::npos;) {
      line.replace(at, dir.path().string().size(), "DIR");
    }
    std::replace(line.begin(), line.end(), '|', '/');
    return outcome + " (exit " + std::to_string(status) + (line.empty() ? "" : ": " + line) + ")";
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

  ScratchDir dir;
  ScratchDir elsewhere;  // where a link in `dir` points
  bool full_mounted = false;
};

TEST_F(BadInputTable, NothingHarmfulHiddenOrLeft) {
  RunRows([](const Row& row) { return row.needs != kCups; }, "local");
}

// Needs the test scheduler (tests/cups): the queues are the test's own.
TEST_F(BadInputTable, QueuesThatCannotTakeTheJob) {
  if (!RunCommand("lpstat -r 2>/dev/null | grep -q 'is running'")) {
    GTEST_SKIP() << "no test CUPS scheduler (tests/cups)";
  }
  const std::string ppd = " -v file:///dev/null -P /usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd";
  ASSERT_TRUE(RunCommand("lpadmin -p Q2TestRejecting -E" + ppd + " && cupsreject Q2TestRejecting"));
  ASSERT_TRUE(RunCommand("lpadmin -p Q2TestDisabled -E" + ppd + " && cupsdisable Q2TestDisabled"));
  RunRows([](const Row& row) { return row.needs == kCups; }, "queues");
  RunCommand("for q in Q2TestRejecting Q2TestDisabled; do cancel -a -x $q; lpadmin -x $q; done "
             "2>/dev/null");
}

}  // namespace
}  // namespace quireon2::testing
