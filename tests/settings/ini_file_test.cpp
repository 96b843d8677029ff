// The settings file's text form and its all-or-nothing replacement.
#include "settings/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <iterator>
#include <set>

#include "support/gtest_support.h"

namespace quireon2 {
namespace {

using testing::ReadFile;
namespace fs = std::filesystem;

TEST(IniFileRead, MatchesNamesWithoutCaseAndDropsBlanksAroundValues) {
  IniFile ini(
      "[other]\r\nTCount=99\r\n[quireon2]\r\n; TCount=1 is only a remark\r\n"
      "  tcount =  7  \r\nTCOUNT=8\r\nEmpty=\nPath= /tmp/a b.txt \n");
  EXPECT_EQ(ini.Get("Quireon2", "TCount"), "7");  // first entry, not the comment or "other"
  EXPECT_EQ(ini.Get("QUIREON2", "empty"), "");
  EXPECT_EQ(ini.Get("Quireon2", "Path"), "/tmp/a b.txt");
  EXPECT_EQ(ini.Get("Quireon2", "Missing"), std::nullopt);
}

TEST(IniFileEdit, ReplacesInPlaceAddsAtTheSectionsEndAndKeepsEveryOtherByte) {
  struct Case { std::string before, want; };
  for (const Case& c : {
           // Replaced where it stands, its CR LF kept; a new key goes after the section's last
           // entry, before the blank line.
           Case{"; kept\r\n[QUIREON2]\r\na= 1\r\nKeep=this \t\r\n\r\n[Other]\nA=9\n",
                "; kept\r\n[QUIREON2]\r\nA=1\r\nKeep=this \t\r\nTCount= 5\n\r\n[Other]\nA=9\n"},
           Case{"", "[Quireon2]\nA=1\nTCount= 5\n"}, Case{"x=1", "x=1\n[Quireon2]\nA=1\nTCount= 5\n"},
           Case{"[Quireon2]\nA=old", "[Quireon2]\nA=1\nTCount= 5\n"}}) {
    IniFile ini(c.before);
    EXPECT_EQ(ini.Text(), c.before);
    ini.Set("Quireon2", "A", "1");
    ini.Set("Quireon2", "TCount", " 5");
    EXPECT_EQ(ini.Text(), c.want) << c.before;
  }
}

// The first section of a name and the first entry of a key count; keys added to a section
// follow its last entry, also once sections are added after it.
TEST(IniFileEdit, LookupsAndEditsAgreeAcrossSectionsDuplicatesAndAddedKeys) {
  IniFile ini("[A]\nk=1\n[b]\nK=2\nk=3\n\n[a]\nk=9\n[C]\nx=1");
  ini.Set("B", "new", "4");
  ini.Set("c", "y", "5");
  ini.Set("D", "z", "6");
  ini.Set("b", "NEW", "7");
  ini.Set("C", "q", "8");
  ini.Set("b", "k", "x");
  EXPECT_EQ(ini.Get("a", "K"), "1");
  EXPECT_EQ(ini.Get("B", "new"), "7");
  EXPECT_EQ(ini.Get("b", "K"), "x");
  EXPECT_EQ(ini.Get("C", "Q"), "8");
  EXPECT_EQ(ini.Get("d", "z"), "6");
  EXPECT_EQ(ini.Get("A", "new"), std::nullopt);
  EXPECT_EQ(ini.Text(),
            "[A]\nk=1\n[b]\nk=x\nk=3\nNEW=7\n\n[a]\nk=9\n[C]\nx=1\ny=5\nq=8\n[D]\nz=6\n");
}

// A write replaces the file whole, keeping its permissions and links, or leaves everything
// as it was.
TEST(AtomicWrite, ReplacesTheFileWholeOrNotAtAll) {
  testing::ScratchDir dir;
  const std::string path = dir.Write("q.ini", "old bytes");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(WriteFileAtomically(path, "new bytes\n"));
  EXPECT_EQ(ReadFile(path), "new bytes\n");
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  fs::create_symlink(path, dir.path() / "link.ini");
  ASSERT_TRUE(WriteFileAtomically(dir.File("link.ini"), "x"));
  EXPECT_TRUE(fs::is_symlink(dir.path() / "link.ini"));
  EXPECT_EQ(ReadFile(path), "x");
  fs::create_directory(dir.path() / "taken");  // a folder where the file should be
  for (const std::string& refused : {dir.File("missing/q.ini"), std::string(), dir.File("taken")}) {
    EXPECT_FALSE(WriteFileAtomically(refused, "y")) << refused;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 3);
  EXPECT_TRUE(fs::is_empty(dir.path() / "taken"));
  if (::geteuid() == 0) return;  // root may write any file
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  EXPECT_FALSE(WriteFileAtomically(path, "y"));
  EXPECT_EQ(ReadFile(path), "x");
}

// The temp files a killed write left beside the settings file go at the next write: its own
// names only, and only once no write can still be making them.
TEST(AtomicWrite, RemovesOnlyItsOwnStaleTempFiles) {
  testing::ScratchDir dir;
  const std::string path = dir.Write("q.ini", "old");
  const auto an_hour_ago = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
  for (const char* name : {".q.ini.AbC123", ".q.ini.AbC12", ".q.ini.AbC1234", ".r.ini.AbC123",
                           "q.ini.AbC123", ".q.ini.AbC-12"}) {
    std::filesystem::last_write_time(dir.Write(name, "x"), an_hour_ago);
  }
  dir.Write(".q.ini.Xyz789", "being written");
  ASSERT_TRUE(WriteFileAtomically(path, "new"));
  std::set<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    left.insert(entry.path().filename().string());
  }
  EXPECT_EQ(left, (std::set<std::string>{".q.ini.AbC12", ".q.ini.AbC1234", ".r.ini.AbC123",
                                         "q.ini.AbC123", ".q.ini.AbC-12", ".q.ini.Xyz789",
                                         "q.ini"}));
}

}  // namespace
}  // namespace quireon2
