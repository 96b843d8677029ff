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
  for (const char* folder : {"build", "opt/bin", "opt/share/quireon2"}) {
    std::filesystem::create_directories(dir.File(folder));
  }
  dir.Write("build/quireon2.html", "");
  dir.Write("opt/share/quireon2/quireon2.html", "");
  // The program's folder, the bin folder this build was configured for (its pages in
  // /usr/share/quireon2), the page found.
  const std::string cases[][3] = {
      // The prefix this build was configured for, however its bin folder is spelled.
      {dir.File("opt/bin"), dir.File("opt/bin/../bin/"), "/usr/share/quireon2/quireon2.html"},
      {dir.File("build"), "/usr/bin", dir.File("build/quireon2.html")},  // a build tree
      {dir.File("opt/bin"), "/usr/bin", dir.File("opt/share/quireon2/quireon2.html")},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HelpFilePath(c[0], c[1], "/usr/share/quireon2"), c[2]) << c[0];
  }
}

}  // namespace
}  // namespace quireon2::testing
