// The real quireon2-print program as a script or a person runs it: its exit statuses, PDFs
// read back with the poppler tools, the prompt between the sides on a terminal, Ctrl-C, and
// the settings file left alone.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/marker_pages.h"
#include "cli/program_run.h"
#include "platform/surface_test_tools.h"
#include "support/gtest_support.h"

namespace quireon2::testing {
namespace {

namespace fs = std::filesystem;

// Waits until `path` holds `text`, or gives up after 20 s.
bool WaitForText(const std::string& path, const std::string& text) {
  auto end = std::chrono::steady_clock::now() + milliseconds(20000);
  while (ReadFile(path).find(text) == std::string::npos) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(milliseconds(10));
  }
  return true;
}

class Quireon2PrintTest : public ::testing::Test {
 protected:
  // A booklet of 8 marker pages to "Print to PDF" with the options `extra`.
  std::vector<std::string> PdfArgs(const std::vector<std::string>& extra) {
    std::vector<std::string> args = {"--settings", settings, "-P", "Print to PDF", "-o", out};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(source);
    return args;
  }

  ScratchDir dir;
  std::string source = dir.Write("eight.txt", MarkerPages(8));
  std::string settings = dir.Write("settings.ini", "[Quireon2]\nLayout= 3\nPrinterMode= 1\n");
  std::string err = dir.File("err.txt");
  std::string out = dir.File("out.pdf");
  std::string out2 = dir.File("out-2.pdf");
};

// The file type lstat sees at `path` (S_IFREG, S_IFLNK, ...); 0 when nothing is there.
mode_t TypeAt(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

// -o writes a new file, or an existing regular one the user may write, through a symlink to
// its target; a FIFO, a folder or a read-only file (for the second job's "-2" name too) is
// bad usage named on stderr, before anything prints, and stays as it was.
TEST_F(Quireon2PrintTest, OutputIsOnlyANewOrWritableRegularFile) {
  const std::string fifo = dir.File("fifo.pdf");
  const std::string second_fifo = dir.File("two-2.pdf");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  ASSERT_EQ(::mkfifo(second_fifo.c_str(), 0644), 0);
  fs::create_directories(dir.File("folder.pdf"));
  const std::string read_only = dir.Write("read-only.pdf", "old");
  ::chmod(read_only.c_str(), 0444);
  fs::create_directories(dir.File("elsewhere"));
  const std::string target = dir.Write("elsewhere/real.pdf", "old");
  const std::string link = dir.File("link.pdf");
  fs::create_symlink(target, link);
  struct Case {
    std::string output;
    int status;
    std::string said;  // on stderr
    mode_t type;       // lstat's afterwards
  };
  const Case cases[] = {
      {fifo, 1, fifo + ": is a FIFO", S_IFIFO},
      {dir.File("two.pdf"), 1, second_fifo + ": is a FIFO", 0},
      {dir.File("folder.pdf"), 1, dir.File("folder.pdf") + ": is a directory", S_IFDIR},
      {read_only, 1, read_only + ": Permission denied", S_IFREG},
      {link, 0, "", S_IFLNK},
      {dir.File("new.pdf"), 0, "", S_IFREG},
  };
  for (const Case& c : cases) {
    if (c.output == read_only && ::geteuid() == 0) continue;  // root may write it
    out = c.output;
    EXPECT_EQ(Program(PdfArgs({"-m", "duplex", "-q"}), err).Wait(), c.status) << c.output;
    EXPECT_NE(ReadFile(err).find(c.said), std::string::npos) << c.output << ": " << ReadFile(err);
    EXPECT_EQ(TypeAt(c.output), c.type) << c.output;
    if (c.status == 0) {
      EXPECT_EQ(PdfPages(c.output).size(), 4u) << c.output;
    }
  }
  EXPECT_EQ(TypeAt(second_fifo), S_IFIFO);
  EXPECT_EQ(ReadFile(read_only), "old");
  EXPECT_EQ(TypeAt(target), S_IFREG);
  EXPECT_EQ(fs::read_symlink(link), target);
}

// As root, a device given to -o would be replaced by a file; it stays a device.
TEST_F(Quireon2PrintTest, OutputNeverReplacesADevice) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root makes a device node";
  const std::string device = dir.File("null.pdf");
  ASSERT_EQ(::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
  out = device;
  EXPECT_EQ(Program(PdfArgs({"-m", "duplex", "-q"}), err).Wait(), 1);
  EXPECT_NE(ReadFile(err).find(device + ": is a character device"), std::string::npos)
      << ReadFile(err);
  EXPECT_EQ(TypeAt(device), S_IFCHR);
  EXPECT_FALSE(fs::exists(dir.File("null-2.pdf")));
}

// The window program runs in the user's locale; a comma locale must not change how this
// program reads the numbers the window stored.
TEST_F(Quireon2PrintTest, ACommaLocaleReadsStoredNumbersAlike) {
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
TEST_F(Quireon2PrintTest, ThePromptWaitsForEnterAndCancelsOtherwise) {
  enum Answer { kEnter, kInterrupt };
  const char* modes[] = {"flipped", "inkjet"};
  for (Answer answer : {kEnter, kInterrupt}) {
    fs::remove(out);
    fs::remove(out2);
    // A fresh file each time, so one run's prompt is not taken for the next one's.
    err = dir.File("err" + std::to_string(answer) + ".txt");
    Program program(PdfArgs({"-m", modes[answer]}), err, Input::kTerminal);
    ASSERT_TRUE(WaitForText(err, "and then press Enter")) << ReadFile(err);
    EXPECT_EQ(program.Wait(milliseconds(300)), kStillRunning) << answer;
    EXPECT_EQ(PdfPages(out).size(), 2u) << answer;
    if (answer == kEnter && ::write(program.input, "\n", 1) != 1) ADD_FAILURE() << "no Enter";
    if (answer == kInterrupt) ::kill(program.pid, SIGINT);
    EXPECT_EQ(program.Wait(), answer == kEnter ? 0 : 4) << ReadFile(err);
    EXPECT_EQ(PdfPages(out2).size(), answer == kEnter ? 2u : 0u) << answer;
    EXPECT_EQ(ReadFile(err).find("\nquireon2-print: cancelled\n") != std::string::npos,
              answer != kEnter);
  }
}

// --paper names a paper in any case for this run; a name the printer lacks is bad usage,
// answered with the printer's papers. Sizes in points: A5 148 x 210 mm, Legal 8.5 x 14 in.
TEST_F(Quireon2PrintTest, PaperOptionSetsThePagesOrListsThePapers) {
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
    std::filesystem::remove(out);
    ASSERT_EQ(Program(PdfArgs({"--paper", c.paper, "-l", "1", "-q"}), err).Wait(), c.status)
        << ReadFile(err);
    const std::string shown =
        c.status == 0 ? RunCommand("pdfinfo " + ShellQuote(out)).value_or("") : ReadFile(err);
    EXPECT_NE(shown.find(c.page_size), std::string::npos) << c.paper << ": " << shown;
  }
}

// Neither the --settings file nor the program's own one beside it is written, not even by
// a rename.
TEST_F(Quireon2PrintTest, SettingsFileIsNeverWritten) {
  fs::path own = fs::path(QUIREON2_PRINT_BINARY).parent_path() / "Quireon2.ini";
  auto state = [&] {
    struct stat st {};
    EXPECT_EQ(::stat(settings.c_str(), &st), 0);
    return ReadFile(settings) + std::to_string(st.st_ino) + " " +
           std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec) + " " +
           (fs::exists(own) ? ReadFile(own.string()) : "(none)");
  };
  std::string before = state();
  std::this_thread::sleep_for(milliseconds(20));
  Program program(PdfArgs({"-m", "duplex", "-q", "-l", "2", "--outlines", "--header", "page"}),
                  err);
  ASSERT_EQ(program.Wait(), 0) << ReadFile(err);
  EXPECT_EQ(state(), before);
}

}  // namespace
}  // namespace quireon2::testing
