// The real quireon2-print run in the background as a script or a person runs it, and its
// PDFs read back with the poppler tools.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/surface_test_tools.h"
#include "support/gtest_support.h"

namespace quireon2::testing {

using std::chrono::milliseconds;
constexpr int kStillRunning = -2;

// The program in the background with a terminal on its standard input (`terminal` is the
// other end) and its standard error going to the file `err`.
struct Program {
  Program(std::vector<std::string> args, const std::string& err) {
    terminal = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal < 0 || ::grantpt(terminal) != 0 || ::unlockpt(terminal) != 0) std::abort();
    args.insert(args.begin(), QUIREON2_PRINT_BINARY);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    ::posix_spawn_file_actions_init(&files);
    ::posix_spawn_file_actions_addopen(&files, STDIN_FILENO, ::ptsname(terminal), O_RDWR, 0);
    ::posix_spawn_file_actions_addopen(&files, STDERR_FILENO, err.c_str(),
                                       O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (::posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ) != 0) std::abort();
    ::posix_spawn_file_actions_destroy(&files);
  }
  ~Program() {
    ::close(terminal);
    if (!finished) ::kill(pid, SIGKILL);  // not yet waited for, so still this one's
    Wait();
  }
  // The exit status; -1 when a signal ended it (`status` tells which), kStillRunning when it
  // runs past `limit`.
  int Wait(milliseconds limit = milliseconds(20000)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!finished && !(finished = ::waitpid(pid, &status, WNOHANG) == pid)) {
      if (std::chrono::steady_clock::now() >= end) return kStillRunning;
      std::this_thread::sleep_for(milliseconds(2));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  pid_t pid = -1;
  int terminal = -1;
  bool finished = false;
  int status = 0;
};

// A scratch folder holding a booklet's settings (two-sided printing) and eight marker
// pages, and the program run with them.
class ProgramRunTest : public ::testing::Test {
 protected:
  // Runs the program with the settings and `args`, `text` piped to its standard input, its
  // standard output into `stdout_path` (empty: the test's own), its standard error into
  // `err`, for at most ten minutes; its exit status.
  int Run(const std::vector<std::string>& args, const std::string& text = "",
          const std::string& stdout_path = "") {
    const std::string input = text.empty() ? "/dev/null" : dir.Write("input.txt", text);
    std::string command = "cat " + ShellQuote(input) + " | timeout 600 " +
                          ShellQuote(QUIREON2_PRINT_BINARY) + " --settings " + ShellQuote(settings);
    for (const std::string& arg : args) command += " " + ShellQuote(arg);
    if (!stdout_path.empty()) command += " >" + ShellQuote(stdout_path);
    const int status = std::system((command + " 2>" + ShellQuote(err)).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  ScratchDir dir;
  std::string settings = dir.Write("settings.ini", "[Quireon2]\nLayout= 3\nPrinterMode= 2\n");
  std::string err = dir.File("err.txt");
  std::string out = dir.File("out.pdf");
  std::string source = dir.Write("eight.txt", MarkerPages(8));
};

}  // namespace quireon2::testing
