// Where the window finds its help page: a build tree, an installed copy under the prefix it
// was built for, and one installed or unpacked under any other prefix.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/help_opener.h"
#include "support/gtest_support.h"

namespace quireon2::testing {
namespace {

TEST(HelpFilePath, BesideTheProgramElseInItsPrefixsShareFolder) {
  ScratchDir dir;
  for (const char* folder : {"build", "opt/bin", "opt/share/quireon2", "plain"}) {
    std::filesystem::create_directories(dir.File(folder));
  }
  dir.Write("build/quireon2.html", "");
  dir.Write("opt/share/quireon2/quireon2.html", "");
  struct Case {
    std::string exe_dir, bin_dir, help_dir, expected;
  };
  const Case cases[] = {
      // The prefix this build was configured for, however its bin folder is spelled.
      {"/usr/local/bin", "/usr/local/bin", "/usr/local/share/quireon2",
       "/usr/local/share/quireon2/quireon2.html"},
      {dir.File("opt/bin"), dir.File("opt/bin/../bin/"), "/usr/share/quireon2",
       "/usr/share/quireon2/quireon2.html"},
      // A build tree has the page beside the program.
      {dir.File("build"), "/usr/local/bin", "/usr/local/share/quireon2",
       dir.File("build/quireon2.html")},
      // Another prefix: its own share folder.
      {dir.File("opt/bin"), "/usr/local/bin", "/usr/local/share/quireon2",
       dir.File("opt/share/quireon2/quireon2.html")},
      // Nowhere: beside the program, for the viewer to report.
      {dir.File("plain"), "/usr/local/bin", "/usr/local/share/quireon2",
       dir.File("plain/quireon2.html")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HelpFilePath(c.exe_dir, c.bin_dir, c.help_dir), c.expected) << c.exe_dir;
  }
}

}  // namespace
}  // namespace quireon2::testing
