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

namespace fs = std::filesystem;

// The names in `folder`, joined by blanks; only those starting with `prefix` when given.
std::string Listing(const fs::path& folder, const std::string& prefix = "") {
  std::string names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) == 0) names += (names.empty() ? "" : " ") + name;
  }
  return names;
}

TEST(Interruption, EachSignalAtEachStageLeavesNothing) {
  ScratchDir dir;
  const fs::path temp = dir.path() / "temp";
  const fs::path output = dir.path() / "output";
  fs::create_directory(temp);
  fs::create_directory(output);
  ScopedEnv tmpdir("TMPDIR", temp.string());
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
      Program program({"--settings", settings, "-q", "-P", "Print to PDF", "-o",
                       (output / "out.pdf").string(), source},
                      dir.File("err.txt"));
      while (Listing(*row.folder, row.prefix).empty()) {
        ASSERT_EQ(program.Wait(milliseconds(2)), kStillRunning)
            << where << ": the program ended before the stage";
      }
      ::kill(program.pid, signal_number);
      program.Wait();
      const bool ended_by_it =
          WIFSIGNALED(program.status) && WTERMSIG(program.status) == signal_number;
      EXPECT_TRUE(ended_by_it) << where << ": status " << program.status;
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
