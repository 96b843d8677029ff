// The real quireon2-print ended by SIGINT, SIGTERM or SIGHUP while it prepares a large text
// and while it writes the PDF: it ends by that signal and leaves nothing behind, neither in
// its temp folder nor beside the output, and the source is untouched.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/gtest_support.h"

extern char** environ;

namespace quireon2::testing {
namespace {

namespace fs = std::filesystem;

// The names in `folder`, joined by blanks.
std::string Listing(const fs::path& folder) {
  std::string names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    names += (names.empty() ? "" : " ") + entry.path().filename().string();
  }
  return names;
}

// Waits until a name in `folder` starts with `prefix`; false when the process ended first.
bool WaitForFile(const fs::path& folder, const std::string& prefix, pid_t pid, int* status) {
  for (;;) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
      if (entry.path().filename().string().rfind(prefix, 0) == 0) return true;
    }
    if (::waitpid(pid, status, WNOHANG) == pid) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

TEST(Interruption, EachSignalAtEachStageLeavesNothing) {
  ScratchDir dir;
  const fs::path temp = dir.path() / "temp";
  const fs::path output = dir.path() / "output";
  fs::create_directory(temp);
  fs::create_directory(output);
  // Long enough that neither stage is over before the signal arrives.
  std::string text;
  for (int line = 0; text.size() < 12'000'000; ++line) {
    text += "line " + std::to_string(line) + " of a text long enough to be cut while it is "
            "prepared and again while its pages are drawn into the PDF file\n";
  }
  const std::string source = dir.Write("long.txt", text);
  const std::string settings = dir.Write("settings.ini", "[Quireon2]\nLayout= 1\n");

  struct Row {
    const char* stage;
    const fs::path* folder;  // where the stage's file appears
    const char* prefix;      // its name's start
  };
  const Row stages[] = {
      {"preparation", &temp, "QRN"},
      {"printing to PDF", &output, "out.pdf."},
  };
  std::ostringstream doc;  // the rows of docs/reliability.md (scripts/reliability-doc)
  for (const Row& row : stages) {
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
      const std::string where = std::string(row.stage) + ", " + strsignal(signal_number);
      std::vector<std::string> args = {QUIREON2_PRINT_BINARY, "--settings", settings, "-q",
                                       "-P", "Print to PDF", "-o", (output / "out.pdf").string(),
                                       source};
      std::vector<char*> argv;
      for (std::string& arg : args) argv.push_back(arg.data());
      argv.push_back(nullptr);
      std::vector<std::string> env_text = {"TMPDIR=" + temp.string()};
      for (char** e = environ; *e != nullptr; ++e) {
        if (std::string(*e).rfind("TMPDIR=", 0) != 0) env_text.push_back(*e);
      }
      std::vector<char*> env;
      for (std::string& entry : env_text) env.push_back(entry.data());
      env.push_back(nullptr);

      pid_t pid = 0;
      ASSERT_EQ(::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), env.data()), 0);
      int status = 0;
      ASSERT_TRUE(WaitForFile(*row.folder, row.prefix, pid, &status))
          << where << ": the program ended with status " << status << " before the stage";
      ::kill(pid, signal_number);
      ASSERT_EQ(::waitpid(pid, &status, 0), pid);
      const bool ended_by_it = WIFSIGNALED(status) && WTERMSIG(status) == signal_number;
      EXPECT_TRUE(ended_by_it) << where << ": status " << status;
      const std::string left = Listing(temp) + Listing(output);
      EXPECT_EQ(left, "") << where;
      doc << "| SIG" << sigabbrev_np(signal_number) << " during " << row.stage << " | "
          << 128 + signal_number << " (ended by the signal) | nothing left | "
          << (ended_by_it && left.empty() ? "as expected" : "NOT as expected: left " + left)
          << " |\n";
    }
  }
  fs::create_directories(QUIREON2_RELIABILITY_DIR);
  std::ofstream(std::string(QUIREON2_RELIABILITY_DIR) + "/signals.md") << doc.str();
  EXPECT_EQ(ReadFile(source), text);
}

}  // namespace
}  // namespace quireon2::testing
