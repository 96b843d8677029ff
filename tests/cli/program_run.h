// The real quireon2-print program run in the background as a script or a person runs it,
// and its PDFs read back with the poppler tools.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/surface_test_tools.h"
#include "support/gtest_support.h"

namespace quireon2::testing {

using std::chrono::milliseconds;
constexpr int kStillRunning = -2;

// How the program's standard input is given.
enum class Input { kPipe, kTerminal };

// The program running with a pipe or a terminal on its standard input, its standard error
// going to a file, and its standard output to `out_path` (empty: the test's own).
struct Program {
  Program(std::vector<std::string> args, const std::string& err_path, Input given = Input::kPipe,
          const std::string& out_path = "") {
    int in[2] = {-1, -1};
    const char* terminal = nullptr;
    if (given == Input::kTerminal) {
      in[1] = ::posix_openpt(O_RDWR | O_NOCTTY);
      if (in[1] < 0 || ::grantpt(in[1]) != 0 || ::unlockpt(in[1]) != 0) std::abort();
      terminal = ::ptsname(in[1]);
    } else if (::pipe(in) != 0) {
      std::abort();
    }
    std::string binary = QUIREON2_PRINT_BINARY;
    std::vector<char*> argv = {binary.data()};
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid = ::fork();
    if (pid == 0) {
      if (terminal != nullptr) in[0] = ::open(terminal, O_RDWR);
      int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      int out = out_path.empty() ? STDOUT_FILENO
                                 : ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (in[0] < 0 || err < 0 || out < 0 || ::dup2(in[0], STDIN_FILENO) < 0 ||
          ::dup2(err, STDERR_FILENO) < 0 || ::dup2(out, STDOUT_FILENO) < 0) {
        ::_exit(127);
      }
      ::close(in[1]);
      ::execv(binary.c_str(), argv.data());
      ::_exit(127);
    }
    if (in[0] >= 0) ::close(in[0]);
    input = in[1];
  }
  ~Program() {
    CloseInput();
    if (Wait(milliseconds(0)) == kStillRunning) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
    }
  }
  // Writes `text` to standard input and closes it.
  void Give(const std::string& text) {
    if (::write(input, text.data(), text.size()) != static_cast<ssize_t>(text.size())) std::abort();
    CloseInput();
  }
  void CloseInput() {
    if (input >= 0) ::close(input);
    input = -1;
  }
  // The exit status; -1 when a signal ended it (`status` tells which), kStillRunning when it
  // runs past `limit`.
  int Wait(milliseconds limit = milliseconds(20000)) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (!finished) {
      finished = ::waitpid(pid, &status, WNOHANG) == pid;
      if (finished || std::chrono::steady_clock::now() >= end) break;
      std::this_thread::sleep_for(milliseconds(2));
    }
    if (!finished) return kStillRunning;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  pid_t pid = -1;
  int input = -1;
  bool finished = false;
  int status = 0;
};

// Each page of a PDF as its words from left to right ("M8 M1"); none when there is no file.
inline std::vector<std::string> PdfPages(const std::string& pdf) {
  std::istringstream text(RunCommand("pdftotext -layout " + ShellQuote(pdf) + " - 2>/dev/null").value_or(""));
  std::vector<std::string> pages;
  for (std::string page; std::getline(text, page, '\f');) {
    std::istringstream words(page);
    pages.emplace_back();
    for (std::string word; words >> word;) pages.back() += (pages.back().empty() ? "" : " ") + word;
  }
  return pages;
}

// A scratch folder holding a booklet's settings (two-sided printing), and the program run
// with them.
class ProgramRunTest : public ::testing::Test {
 protected:
  // Runs the program with the settings and `args`, `input` on its standard input and its
  // standard output into `stdout_path` (empty: the test's own); its exit status.
  int Run(std::vector<std::string> args, const std::string& input = "",
          const std::string& stdout_path = "") {
    args.insert(args.begin(), {"--settings", settings});
    Program program(args, err, Input::kPipe, stdout_path);
    program.Give(input);
    return program.Wait();
  }

  ScratchDir dir;
  std::string settings = dir.Write("settings.ini", "[Quireon2]\nLayout= 3\nPrinterMode= 2\n");
  std::string err = dir.File("err.txt");
  std::string out = dir.File("out.pdf");
};

}  // namespace quireon2::testing
