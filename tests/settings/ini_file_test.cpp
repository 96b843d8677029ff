// The settings file's text form and its all-or-nothing replacement.
#include "settings/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "support/gtest_support.h"

namespace quireon2 {
namespace {

using testing::ReadFile;
using testing::ScratchDir;

std::set<std::string> FolderEntries(const ScratchDir& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

TEST(IniFileRead, MatchesNamesWithoutCaseAndDropsBlanksAroundValues) {
  IniFile ini(
      "[other]\r\nTCount=99\r\n"
      "[quireon2]\r\n"
      "; TCount=1 is only a remark\r\n"
      "  tcount =  7  \r\n"
      "TCOUNT=8\r\n"
      "Empty=\n"
      "Path= /tmp/a b.txt \n");
  EXPECT_EQ(ini.Get("Quireon2", "TCount"), "7");  // first entry, not the comment or "other"
  EXPECT_EQ(ini.Get("QUIREON2", "empty"), "");
  EXPECT_EQ(ini.Get("Quireon2", "Path"), "/tmp/a b.txt");
  EXPECT_EQ(ini.Get("Quireon2", "Missing"), std::nullopt);
  EXPECT_EQ(ini.Get("Absent", "TCount"), std::nullopt);
  EXPECT_EQ(IniFile().Get("Quireon2", "TCount"), std::nullopt);
}

TEST(IniFileEdit, ReplacesInPlaceAndKeepsEveryOtherByte) {
  const std::string before =
      "; kept remark\r\n"
      "[Quireon2]\r\n"
      "Layout= 1\r\n"
      "Keep=this \t\r\n"
      "\r\n"
      "[Other]\n"
      "Layout=9\n";
  IniFile ini(before);
  EXPECT_EQ(ini.Text(), before);
  ini.Set("Quireon2", "layout", " 0");  // replaced where it stands, its CR LF kept
  ini.Set("Quireon2", "TCount", " 5");  // new: after the last entry, before the blank line
  EXPECT_EQ(ini.Text(),
            "; kept remark\r\n"
            "[Quireon2]\r\n"
            "layout= 0\r\n"
            "Keep=this \t\r\n"
            "TCount= 5\n"
            "\r\n"
            "[Other]\n"
            "Layout=9\n");
}

TEST(IniFileEdit, CreatesTheSectionAndEndsAnOpenLastLine) {
  struct Case {
    std::string before, want;
  };
  for (const Case& c : {
           Case{"", "[Quireon2]\nA=1\n"},
           Case{"x=1", "x=1\n[Quireon2]\nA=1\n"},
           Case{"[Quireon2]", "[Quireon2]\nA=1\n"},
           Case{"[Quireon2]\r\nB=2", "[Quireon2]\r\nB=2\nA=1\n"},
           Case{"[Quireon2]\nA=old", "[Quireon2]\nA=1"},
       }) {
    IniFile ini(c.before);
    ini.Set("Quireon2", "A", "1");
    EXPECT_EQ(ini.Text(), c.want) << c.before;
  }
}

TEST(IniFileLoad, MissingOrOddFilesGiveNothingToRead) {
  ScratchDir dir;
  std::string error = "stale";
  EXPECT_EQ(IniFile::Load(dir.File("none.ini"), &error).Text(), "");
  EXPECT_EQ(error, "");  // a missing file is normal, not an error
  EXPECT_EQ(IniFile::Load(dir.path().string(), &error).Text(), "");
  EXPECT_NE(error, "");  // a folder in its place is
  std::string path = dir.Write("q.ini", "[Quireon2]\r\nA=1\r\n");
  EXPECT_EQ(IniFile::Load(path, &error).Get("Quireon2", "A"), "1");
  EXPECT_EQ(error, "");
}

TEST(AtomicWrite, ReplacesTheFileAndLeavesNothingBeside) {
  ScratchDir dir;
  std::string path = dir.Write("q.ini", "old bytes");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(path, "new bytes\n", &error)) << error;
  EXPECT_EQ(ReadFile(path), "new bytes\n");
  EXPECT_EQ(FolderEntries(dir), std::set<std::string>{"q.ini"});
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);  // the user's permissions survive

  std::string fresh = dir.File("new.ini");
  ASSERT_TRUE(WriteFileAtomically(fresh, "x", &error)) << error;
  EXPECT_EQ(ReadFile(fresh), "x");
}

TEST(AtomicWrite, AFailureAtTheLastMomentKeepsTheOldFileWhole) {
  ScratchDir dir;
  std::string path = dir.Write("q.ini", "[Quireon2]\nA=1\n");
  std::string seen;
  std::string error;
  bool ok =
      WriteFileAtomically(path, "[Quireon2]\nA=2\nB=3\n", &error, [&seen](const std::string& temp) {
        seen = ReadFile(temp);
        return false;
      });
  EXPECT_FALSE(ok);
  EXPECT_NE(error, "");
  EXPECT_EQ(seen, "[Quireon2]\nA=2\nB=3\n");  // the temporary file held everything
  EXPECT_EQ(ReadFile(path), "[Quireon2]\nA=1\n");
  EXPECT_EQ(FolderEntries(dir), std::set<std::string>{"q.ini"});
}

TEST(AtomicWrite, RefusesTargetsItCannotReplace) {
  ScratchDir dir;
  std::filesystem::create_directory(dir.path() / "q.ini");
  std::string error;
  EXPECT_FALSE(WriteFileAtomically(dir.File("q.ini"), "x", &error));
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "q.ini"));
  EXPECT_FALSE(WriteFileAtomically(dir.File("missing/q.ini"), "x", &error));
  EXPECT_FALSE(WriteFileAtomically("", "x", &error));
  EXPECT_EQ(FolderEntries(dir), std::set<std::string>{"q.ini"});
}

TEST(AtomicWrite, LeavesAReadOnlyFileAlone) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write any file";
  ScratchDir dir;
  std::string path = dir.Write("q.ini", "kept");
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  EXPECT_FALSE(WriteFileAtomically(path, "x"));
  EXPECT_EQ(ReadFile(path), "kept");
  ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
  std::string other = dir.File("other.ini");
  EXPECT_FALSE(WriteFileAtomically(other, "x"));
  ::chmod(dir.path().c_str(), 0755);
}

TEST(AtomicWrite, WritesThroughALinkAndKeepsTheLink) {
  ScratchDir dir;
  std::string real = dir.Write("real.ini", "old");
  std::filesystem::create_symlink(real, dir.path() / "link.ini");
  ASSERT_TRUE(WriteFileAtomically(dir.File("link.ini"), "new"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "link.ini"));
  EXPECT_EQ(ReadFile(real), "new");
}

}  // namespace
}  // namespace quireon2
