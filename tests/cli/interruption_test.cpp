// The real quireon2-print ended by SIGINT, SIGTERM or SIGHUP while it prepares a large text
// and while it writes the PDF: it ends by that signal and leaves nothing behind, neither in
// its temp folder nor beside the output, and the source is untouched.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "cli/program_run.h"

namespace quireon2::testing {
namespace {

using Interruption = ProgramRunTest;

TEST_F(Interruption, EachSignalAtEachStageLeavesNothing) {
  std::filesystem::create_directory(dir.File("temp"));
  ScopedEnv tmpdir("TMPDIR", dir.File("temp"));
  std::string text;  // long enough that neither stage is over before the signal arrives
  while (text.size() < 12'000'000) text += "a line of a text long enough to be cut twice\n";
  source = dir.Write("long.txt", text);
  dir.Write("err.txt", "");
  // The files in the output's folder and in the temp folder; "" when `files` are not there.
  const auto listing = [this](const std::string& files) {
    const std::string in_dir = "cd " + ShellQuote(dir.path()) + " && ";
    return RunCommand(in_dir + "ls -A " + files + " 2>/dev/null | tr '\\n' ' '").value_or("");
  };
  const std::string before = listing(". temp");
  std::ostringstream doc;  // the rows of docs/reliability.md (scripts/reliability-doc)
  // Each stage has begun when its file appears: the line file, then the PDF being written.
  for (const auto& [stage, files] : {std::pair("preparation", "temp/QRN*"),
                                     std::pair("printing to PDF", "out.pdf.*")}) {
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
      const std::string where = std::string(stage) + ", " + strsignal(signal_number);
      Program program({"--settings", settings, "-q", "-P", "Print to PDF", "-o", out, source},
                      err);
      while (listing(files).empty()) {
        ASSERT_EQ(program.Wait(milliseconds(0)), kStillRunning) << where << ": ended before it";
      }
      ::kill(program.pid, signal_number);
      program.Wait();
      const bool ended_by_it =
          WIFSIGNALED(program.status) && WTERMSIG(program.status) == signal_number;
      EXPECT_TRUE(ended_by_it) << where << ": status " << program.status;
      const std::string left = listing(". temp") == before ? "" : " " + listing(". temp");
      EXPECT_EQ(left, "") << where;
      doc << "| SIG" << sigabbrev_np(signal_number) << " during " << stage << " | "
          << 128 + signal_number << " (ended by the signal) | nothing left | "
          << (ended_by_it && left.empty() ? "as expected" : "NOT as expected: left" + left)
          << " |\n";
    }
  }
  std::filesystem::create_directories(QUIREON2_RELIABILITY_DIR);
  std::ofstream(std::string(QUIREON2_RELIABILITY_DIR) + "/signals.md") << doc.str();
  EXPECT_EQ(ReadFile(source), text);
}

}  // namespace
}  // namespace quireon2::testing
