// The real quireon2-print program as a script or a person runs it: PDFs read back with the
// poppler tools, the prompt between the sides on a pipe, Ctrl-C, exit statuses, and the
// settings file left alone.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "support/gtest_support.h"

namespace quireon2::testing {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

std::string MarkerPages(int pages) {
  std::string text;
  for (int i = 1; i <= pages; ++i) {
    if (i > 1) text += "\f";
    text += "M" + std::to_string(i) + "\r\n";
  }
  return text;
}

// The program running in the background with a pipe on its standard input and its
// standard error going to a file.
class Program {
 public:
  Program(const std::vector<std::string>& args, const std::string& err_path) {
    int in[2];
    if (::pipe(in) != 0) std::abort();
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(in[0], STDIN_FILENO);
      ::close(in[0]);
      ::close(in[1]);
      FILE* err = std::fopen(err_path.c_str(), "w");
      if (err == nullptr) ::_exit(127);
      ::dup2(fileno(err), STDERR_FILENO);
      std::vector<char*> argv;
      std::string binary = QUIREON2_PRINT_BINARY;
      argv.push_back(binary.data());
      std::vector<std::string> copies = args;
      for (auto& a : copies) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(binary.c_str(), argv.data());
      ::_exit(127);
    }
    ::close(in[0]);
    input_ = in[1];
  }
  ~Program() {
    CloseInput();
    if (pid_ > 0 && !finished_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  void Write(const std::string& text) {
    if (::write(input_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
      ADD_FAILURE() << "could not write to the program";
    }
  }
  void CloseInput() {
    if (input_ >= 0) ::close(input_);
    input_ = -1;
  }
  void Signal(int number) { ::kill(pid_, number); }
  // True while the program has not ended.
  bool Running() {
    if (finished_) return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      finished_ = true;
      status_ = status;
    }
    return !finished_;
  }
  // The exit status, or -1 when it did not end by itself within the time or was killed.
  int Wait(milliseconds limit = milliseconds(20000)) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (Running() && std::chrono::steady_clock::now() < end) {
      std::this_thread::sleep_for(milliseconds(10));
    }
    if (!finished_) return -1;
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
  }

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  bool finished_ = false;
  int status_ = 0;
};

// Waits until `path` holds `text`, or gives up after the limit.
bool WaitForText(const std::string& path, const std::string& text,
                 milliseconds limit = milliseconds(20000)) {
  auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (ReadFile(path).find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(milliseconds(10));
  }
  return false;
}

std::string CommandOutput(const std::string& command) {
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  ::pclose(pipe);
  return output;
}

// Each page of a PDF as its words from left to right ("M8 M1"), with "landscape" or
// "portrait" first.
std::vector<std::string> PagesLeftToRight(const std::string& pdf) {
  std::string html = CommandOutput("pdftotext -bbox '" + pdf + "' - 2>/dev/null");
  std::vector<std::string> pages;
  std::regex page_re(R"re(<page width="([0-9.]+)" height="([0-9.]+)">)re");
  std::regex word_re(R"re(<word xMin="([0-9.]+)"[^>]*>([^<]*)</word>)re");
  std::smatch m;
  std::string rest = html;
  while (std::regex_search(rest, m, page_re)) {
    std::string orientation =
        std::stod(m[1].str()) > std::stod(m[2].str()) ? "landscape" : "portrait";
    std::string after = m.suffix().str();
    std::size_t end = after.find("</page>");
    std::string body = after.substr(0, end);
    std::vector<std::pair<double, std::string>> words;
    for (std::sregex_iterator it(body.begin(), body.end(), word_re), last; it != last; ++it) {
      words.emplace_back(std::stod((*it)[1].str()), (*it)[2].str());
    }
    std::sort(words.begin(), words.end());
    std::string line = orientation;
    for (const auto& w : words) line += " " + w.second;
    pages.push_back(line);
    rest = end == std::string::npos ? std::string() : after.substr(end);
  }
  return pages;
}

class Quireon2PrintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    source = dir.Write("eight.txt", MarkerPages(8));
    settings = dir.Write("settings.ini", "[Quireon2]\nLayout= 3\nPrinterMode= 1\n");
    err = dir.File("err.txt");
  }
  std::vector<std::string> PdfArgs(std::vector<std::string> extra) {
    std::vector<std::string> args = {"--settings", settings, "-P", "Print to PDF", "-o",
                                     dir.File("out.pdf")};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(source);
    return args;
  }

  ScratchDir dir;
  std::string source, settings, err;
};

TEST_F(Quireon2PrintTest, TwoSidedBookletIsOneFourPagePdfInBookletOrder) {
  Program program(PdfArgs({"-m", "duplex", "-q"}), err);
  ASSERT_EQ(program.Wait(), 0) << ReadFile(err);
  EXPECT_EQ(PagesLeftToRight(dir.File("out.pdf")),
            (std::vector<std::string>{"landscape M8 M1", "landscape M2 M7", "landscape M6 M3",
                                      "landscape M4 M5"}));
  EXPECT_FALSE(fs::exists(dir.File("out-2.pdf")));
  EXPECT_EQ(ReadFile(err), "");
}

TEST_F(Quireon2PrintTest, FlippedBookletWithYesIsTwoPdfsTheSecondInReverseSheetOrder) {
  Program program(PdfArgs({"-m", "flipped", "-y", "-q"}), err);
  ASSERT_EQ(program.Wait(), 0) << ReadFile(err);
  EXPECT_EQ(PagesLeftToRight(dir.File("out.pdf")),
            (std::vector<std::string>{"landscape M8 M1", "landscape M6 M3"}));
  EXPECT_EQ(PagesLeftToRight(dir.File("out-2.pdf")),
            (std::vector<std::string>{"landscape M4 M5", "landscape M2 M7"}));
}

TEST_F(Quireon2PrintTest, ThePromptWaitsForEnterBeforeTheSecondSides) {
  Program program(PdfArgs({"-m", "flipped"}), err);
  ASSERT_TRUE(WaitForText(err, "and then press Enter")) << ReadFile(err);
  std::this_thread::sleep_for(milliseconds(300));
  EXPECT_TRUE(program.Running());
  EXPECT_EQ(PagesLeftToRight(dir.File("out.pdf")).size(), 2u);  // first sides already out
  EXPECT_FALSE(fs::exists(dir.File("out-2.pdf")));
  program.Write("\n");
  EXPECT_EQ(program.Wait(), 0) << ReadFile(err);
  EXPECT_EQ(PagesLeftToRight(dir.File("out-2.pdf")).size(), 2u);
  EXPECT_NE(ReadFile(err).find("Insert paper back in tray\nwhen printer stops\n"),
            std::string::npos);
}

TEST_F(Quireon2PrintTest, EndOfInputOrCtrlCAtThePromptCancelsWithStatusFour) {
  {
    Program program(PdfArgs({"-m", "straight", "-q"}), err);
    ASSERT_TRUE(WaitForText(err, "and then press Enter")) << ReadFile(err);
    program.CloseInput();
    EXPECT_EQ(program.Wait(), 4) << ReadFile(err);
    EXPECT_TRUE(fs::exists(dir.File("out.pdf")));
    EXPECT_FALSE(fs::exists(dir.File("out-2.pdf")));
  }
  fs::remove(dir.File("out.pdf"));
  err = dir.File("err2.txt");  // a fresh file, so the first run's prompt is not taken for this one's
  {
    Program program(PdfArgs({"-m", "inkjet", "-q"}), err);
    ASSERT_TRUE(WaitForText(err, "and then press Enter")) << ReadFile(err);
    std::this_thread::sleep_for(milliseconds(100));
    program.Signal(SIGINT);
    EXPECT_EQ(program.Wait(), 4) << ReadFile(err);
    EXPECT_NE(ReadFile(err).find("cancelled"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir.File("out-2.pdf")));
  }
}

TEST_F(Quireon2PrintTest, AMissingFileExitsTwoWithTheWindowsMessage) {
  std::string missing = dir.File("no-such.txt");
  Program program({"--settings", settings, "-P", "Print to PDF", "-o", dir.File("out.pdf"),
                   missing},
                  err);
  EXPECT_EQ(program.Wait(), 2);
  EXPECT_NE(ReadFile(err).find("the file " + missing + " doesn't exist\n"), std::string::npos)
      << ReadFile(err);
  EXPECT_FALSE(fs::exists(dir.File("out.pdf")));
}

TEST_F(Quireon2PrintTest, CountPrintsTheTotalsOnStandardOutput) {
  std::string out = CommandOutput(std::string(QUIREON2_PRINT_BINARY) + " -n -q --settings '" +
                                  settings + "' -s 2 '" + source + "'");
  EXPECT_EQ(out, "pages 8, sheets 2, sheets per signature 1\n");
}

TEST_F(Quireon2PrintTest, SettingsFileIsNeverWritten) {
  struct stat before_stat {};
  ASSERT_EQ(::stat(settings.c_str(), &before_stat), 0);
  std::string before = ReadFile(settings);
  // The program's own settings file beside it must not appear or change either.
  fs::path own = fs::path(QUIREON2_PRINT_BINARY).parent_path() / "Quireon2.ini";
  bool own_existed = fs::exists(own);
  std::string own_before = own_existed ? ReadFile(own.string()) : "";
  std::this_thread::sleep_for(milliseconds(20));

  Program program(PdfArgs({"-m", "duplex", "-q", "-l", "2", "--outlines", "--header", "page"}),
                  err);
  ASSERT_EQ(program.Wait(), 0) << ReadFile(err);
  struct stat after_stat {};
  ASSERT_EQ(::stat(settings.c_str(), &after_stat), 0);
  EXPECT_EQ(ReadFile(settings), before);
  EXPECT_EQ(after_stat.st_mtim.tv_sec, before_stat.st_mtim.tv_sec);
  EXPECT_EQ(after_stat.st_mtim.tv_nsec, before_stat.st_mtim.tv_nsec);
  EXPECT_EQ(after_stat.st_ino, before_stat.st_ino);  // not replaced by a rename either
  EXPECT_EQ(fs::exists(own), own_existed);
  if (own_existed) {
    EXPECT_EQ(ReadFile(own.string()), own_before);
  }
}

// Needs the test scheduler's one-sided queue (tests/cups).
TEST_F(Quireon2PrintTest, DuplexOnAOneSidedQueueExitsThreeWithThePrinterMessage) {
  if (CommandOutput("LC_ALL=C lpstat -p Q2TestOneSided 2>/dev/null").find("Q2TestOneSided") ==
      std::string::npos) {
    GTEST_SKIP() << "the test CUPS queue Q2TestOneSided is not there (tests/cups starts it)";
  }
  Program program({"--settings", settings, "-P", "Q2TestOneSided", "-m", "duplex", "-q", source},
                  err);
  EXPECT_EQ(program.Wait(), 3);
  EXPECT_EQ(ReadFile(err), "Your printer does not support\na feature Quireon II needs\n");
}

}  // namespace
}  // namespace quireon2::testing
