// Loading and saving the settings file through the program's own routines.
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "support/gtest_support.h"

namespace quireon2 {
namespace {

using testing::ProgramTest;
using testing::ReadFile;
using testing::RecordedPrinter;
using testing::ScratchDir;
using testing::TestProgram;

// Every key a first save writes, in its order, with the values of a fresh program.
const char kFreshFile[] =
    "[Quireon2]\n"
    "HCurDate= 0\n"
    "HFileTitle= 0\n"
    "HPgNumber= 0\n"
    "FCurDate= 0\n"
    "FFileTitle= 0\n"
    "FPgNumber= 0\n"
    "WidthFudge= 10\n"
    "LineLen= 80\n"
    "DoSig= 0\n"
    "ExpandTab= 1\n"
    "TCount= 5\n"
    "WordWrap= 1\n"
    "PrinterMode= 1\n"
    "LastTempFile=\n"
    "Layout= 3\n"
    "DoBox= 0\n"
    "DoBook= 1\n"
    "FirstTime=1\n"
    "TextFile=\n"
    "LineMultiple= 1.25\n"
    "MaxPages= 2024\n"
    "Layout0= 8\n"
    "Layout1= 6\n"
    "Layout2= 4\n"
    "Layout3= 8\n"
    "DefTab= 0\n"
    "Lineweight= 1\n"
    "Linecolor= 0\n"
    "OffsetTop= 0\n"
    "OffsetLeft= 0\n"
    "OffsetRight= 0\n"
    "OffsetBottom= 0\n"
    "XEdgeBorder1= 720\n"
    "YEdgeBorder1= 720\n"
    "XEdgeBorder2= 720\n"
    "YEdgeBorder2= 720\n"
    "XEdgeBorder4= 720\n"
    "YEdgeBorder4= 720\n"
    "BookletGutter= 1440\n"
    "TwoUpGutter= 1440\n"
    "FourUpGutter= 1440\n"
    "BoxToText= 270\n"
    "Layout 0 font=Times New Roman\n"
    "Layout 1 font=Times New Roman\n"
    "Layout 2 font=Times New Roman\n"
    "Layout 3 font=Times New Roman\n"
    "DoPath= 1\n"
    "LastPrinter=Test Printer\n";

class SettingsFileTest : public ProgramTest {
 protected:
  void SetUp() override { p.settings_state.ini_path = dir.File("Quireon2.ini"); }
  std::string Ini() const { return ReadFile(dir.File("Quireon2.ini")); }
  void WriteIni(const std::string& bytes) { dir.Write("Quireon2.ini", bytes); }
  // Loads `body` as the whole program section into a fresh program state.
  void LoadSection(const std::string& body) {
    WriteIni("[Quireon2]\n" + body);
    ASSERT_TRUE(LoadSettings(p));
  }
  std::set<std::string> FolderEntries() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

  ScratchDir dir;
};

TEST_F(SettingsFileTest, FirstRunGivesDefaultsAndSavesEveryKeyInOrder) {
  ASSERT_TRUE(LoadSettings(p));  // no file yet
  const Settings& s = p.settings();
  EXPECT_EQ(s.Layout, 3);
  EXPECT_EQ(s.PrinterMode, 1);
  EXPECT_EQ(s.ExpandTab, 1);
  EXPECT_EQ(s.WordWrap, 1);
  EXPECT_EQ(s.MaxPages, 2024);
  EXPECT_EQ(s.LastPrinter, "Test Printer");
  EXPECT_EQ(t.window.Text(TextBox::kTCount), "5");
  EXPECT_TRUE(t.surface.calls().empty());  // the current printer stays as it is

  ASSERT_TRUE(SaveSettings(p));
  EXPECT_EQ(Ini(), kFreshFile);
  EXPECT_EQ(FolderEntries(), std::set<std::string>{"Quireon2.ini"});
}

TEST_F(SettingsFileTest, EveryStoredValueSurvivesARestart) {
  std::string source = dir.Write("source.txt", "text");
  Settings& s = p.settings();
  s.HCurDate = 1, s.HFileTitle = 1, s.HPgNumber = 0, s.FCurDate = 0, s.FFileTitle = 1,
  s.FPgNumber = 1;
  s.LineLen = 132, s.WidthFudge = -4, s.MaxPages = 32766, s.DoSig = 1, s.ExpandTab = 0;
  s.WordWrap = 0, s.PrinterMode = 0, s.Layout = 2, s.DoBox = 1, s.DoBook = 0;
  s.Lineweight = 3, s.Linecolor = 12, s.OffsetTop = -1, s.OffsetLeft = 2, s.OffsetRight = -32768;
  s.OffsetBottom = 32767, s.XEdgeBorder1 = 1, s.YEdgeBorder1 = 2, s.XEdgeBorder2 = 3;
  s.YEdgeBorder2 = 4, s.XEdgeBorder4 = 5, s.YEdgeBorder4 = 6, s.BookletGutter = 7;
  s.TwoUpGutter = 8, s.FourUpGutter = 9, s.BoxToText = 10, s.LineMultiple = 0.5f;
  s.TextFile = source, s.DefTab = 1, s.DoPath = 0;
  t.window.SetText(TextBox::kTCount, "12");
  const char* fonts[4] = {"Courier New", "DejaVu Sans", "Liberation Mono", "Noto Serif"};
  for (int i = 0; i < 4; ++i) {
    p.settings_state.layouts[i].font_name = fonts[i];
    p.settings_state.layouts[i].font_size = static_cast<Integer>(10 + i);
  }
  ASSERT_TRUE(SaveSettings(p));
  std::string text = Ini();
  EXPECT_NE(text.find("\nOffsetTop=-1\n"), std::string::npos);
  EXPECT_NE(text.find("\nLineMultiple= .5\n"), std::string::npos);
  EXPECT_NE(text.find("\nLayout 2 font=Liberation Mono\n"), std::string::npos);

  TestProgram restarted;
  restarted->settings_state.ini_path = p.settings_state.ini_path;
  ASSERT_TRUE(LoadSettings(*restarted));
  const Settings& r = restarted->settings();
  EXPECT_EQ(r.HCurDate, 1);
  EXPECT_EQ(r.HFileTitle, 1);
  EXPECT_EQ(r.HPgNumber, 0);
  EXPECT_EQ(r.FCurDate, 0);
  EXPECT_EQ(r.FFileTitle, 1);
  EXPECT_EQ(r.FPgNumber, 1);
  EXPECT_EQ(r.DoHeader, 1);
  EXPECT_EQ(r.DoFooter, 1);
  EXPECT_EQ(r.LineLen, 132);
  EXPECT_EQ(r.WidthFudge, -4);
  EXPECT_EQ(r.TCount, 12);
  EXPECT_EQ(restarted.window.Text(TextBox::kTCount), "12");
  EXPECT_EQ(r.MaxPages, 32766);
  EXPECT_EQ(r.DoSig, 1);
  EXPECT_EQ(r.ExpandTab, 0);
  EXPECT_EQ(r.WordWrap, 0);
  EXPECT_EQ(r.PrinterMode, 0);
  EXPECT_EQ(r.Layout, 2);
  EXPECT_EQ(r.DoBox, 1);
  EXPECT_EQ(r.DoBook, 0);
  EXPECT_EQ(r.Lineweight, 3);
  EXPECT_EQ(r.Linecolor, 12);
  EXPECT_EQ(r.OffsetTop, -1);
  EXPECT_EQ(r.OffsetLeft, 2);
  EXPECT_EQ(r.OffsetRight, -32768);
  EXPECT_EQ(r.OffsetBottom, 32767);
  EXPECT_EQ(r.XEdgeBorder1, 1);
  EXPECT_EQ(r.YEdgeBorder1, 2);
  EXPECT_EQ(r.XEdgeBorder2, 3);
  EXPECT_EQ(r.YEdgeBorder2, 4);
  EXPECT_EQ(r.XEdgeBorder4, 5);
  EXPECT_EQ(r.YEdgeBorder4, 6);
  EXPECT_EQ(r.BookletGutter, 7);
  EXPECT_EQ(r.TwoUpGutter, 8);
  EXPECT_EQ(r.FourUpGutter, 9);
  EXPECT_EQ(r.BoxToText, 10);
  EXPECT_EQ(r.LineMultiple, 0.5f);
  EXPECT_EQ(r.TextFile, source);
  EXPECT_EQ(r.DefTab, 1);
  EXPECT_EQ(r.DoPath, 0);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(restarted->settings_state.layouts[i].font_name, fonts[i]) << i;
    EXPECT_EQ(restarted->settings_state.layouts[i].font_size, 10 + i) << i;
  }
}

TEST_F(SettingsFileTest, LineMultipleReadsAtMostFourCharacters) {
  struct Case {
    const char* stored;
    float want;
  };
  for (const Case& c : {Case{" 1.25", 1.25f}, Case{" 1.125", 1.12f}, Case{"2", 2.0f},
                        Case{" .5", 0.5f}, Case{"1.2e5", 1.2f}, Case{"-.75", -0.75f},
                        Case{"-1.75", -1.7f}, Case{"wide", 0.0f}, Case{"", 0.0f}}) {
    TestProgram fresh;
    fresh->settings_state.ini_path =
        dir.Write("lm.ini", std::string("[Quireon2]\nLineMultiple=") + c.stored + "\n");
    LoadSettings(*fresh);
    EXPECT_EQ(fresh->settings().LineMultiple, c.want) << c.stored;
  }
  // What is written is read back the same way.
  p.settings().LineMultiple = 1.125f;
  ASSERT_TRUE(SaveSettings(p));
  EXPECT_NE(Ini().find("\nLineMultiple= 1.125\n"), std::string::npos);
  ASSERT_TRUE(LoadSettings(p));
  EXPECT_EQ(p.settings().LineMultiple, 1.12f);
  ASSERT_TRUE(SaveSettings(p));
  EXPECT_NE(Ini().find("\nLineMultiple= 1.12\n"), std::string::npos);
}

TEST_F(SettingsFileTest, ValuesThatDoNotFitTheirFieldReadAsDefaults) {
  LoadSection(
      "Layout=7\n"
      "PrinterMode=-1\n"
      "DoBox=2\n"
      "ExpandTab=-1\n"
      "DoBook=5\n"
      "MaxPages=0\n"
      "TCount=40000\n"
      "XEdgeBorder1=99999999999999999999999\n"
      "YEdgeBorder1=-32769\n"
      "OffsetTop=-32768\n"
      "OffsetLeft=32767\n"
      "Linecolor=2147483648\n"
      "Layout0=32768\n");
  const Settings& s = p.settings();
  EXPECT_EQ(s.Layout, 3);
  EXPECT_EQ(s.PrinterMode, 1);
  EXPECT_EQ(s.DoBox, 0);
  EXPECT_EQ(s.ExpandTab, 1);
  EXPECT_EQ(s.DoBook, 1);
  EXPECT_EQ(s.MaxPages, 2024);
  EXPECT_EQ(s.TCount, 5);
  EXPECT_EQ(t.window.Text(TextBox::kTCount), "5");
  EXPECT_EQ(s.XEdgeBorder1, 720);
  EXPECT_EQ(s.YEdgeBorder1, 720);
  EXPECT_EQ(s.OffsetTop, -32768);  // the edges of the range still fit
  EXPECT_EQ(s.OffsetLeft, 32767);
  EXPECT_EQ(s.Linecolor, 0);
  EXPECT_EQ(p.settings_state.layouts[0].font_size, 8);
}

TEST_F(SettingsFileTest, NumbersAreReadFromTheStartOfTheirText) {
  LoadSection(
      "TCount= -3\n"
      "WidthFudge=12abc\n"
      "LineLen=+7\n"
      "Lineweight=abc\n"
      "BoxToText=- 5\n"
      "MaxPages=  32766 pages\n"
      "Layout=0x2\n"
      "MaxPages=1\n");  // only the first of two equal keys counts
  const Settings& s = p.settings();
  EXPECT_EQ(s.TCount, -3);
  EXPECT_EQ(t.window.Text(TextBox::kTCount), "-3");  // plain decimal, no leading blank
  EXPECT_EQ(s.WidthFudge, 12);
  EXPECT_EQ(s.LineLen, 7);
  EXPECT_EQ(s.Lineweight, 0);
  EXPECT_EQ(s.BoxToText, 0);
  EXPECT_EQ(s.MaxPages, 32766);
  EXPECT_EQ(s.Layout, 0);
}

TEST_F(SettingsFileTest, KeysAndSectionInOtherLetterCaseAreFoundAndRewritten) {
  WriteIni("[QUIREON2]\nlayout= 0\nPRINTERMODE= 2\nlayout 1 FONT=Courier New\n");
  ASSERT_TRUE(LoadSettings(p));
  EXPECT_EQ(p.settings().Layout, 0);
  EXPECT_EQ(p.settings().PrinterMode, 2);
  EXPECT_EQ(p.settings_state.layouts[1].font_name, "Courier New");
  ASSERT_TRUE(SaveSettings(p));
  std::string text = Ini();
  // Each key was replaced where it stood; none was added a second time.
  EXPECT_EQ(text.rfind("[QUIREON2]\nLayout= 0\nPrinterMode= 2\nLayout 1 font=Courier New\n", 0),
            0u);
  EXPECT_EQ(text.find("layout"), std::string::npos);
  EXPECT_EQ(text.find("\nLayout= 0\n"), text.rfind("\nLayout= 0\n"));
}

TEST_F(SettingsFileTest, OtherSectionsRemarksAndUnknownKeysSurviveASave) {
  const std::string head =
      "; my printer notes\r\n"
      "[Other]\r\n"
      "TCount=99\r\n"
      "\r\n"
      "[Quireon2]\r\n"
      "Unknown=keep me \r\n"
      "TCount= 8\r\n";
  const std::string tail =
      "\r\n"
      "[Tail]\n"
      "B=2";
  WriteIni(head + tail);
  ASSERT_TRUE(LoadSettings(p));
  EXPECT_EQ(p.settings().TCount, 8);
  ASSERT_TRUE(SaveSettings(p));
  std::string text = Ini();
  ASSERT_GT(text.size(), head.size() + tail.size());
  EXPECT_EQ(text.substr(0, head.size()), head);
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  // The added keys sit between the program's entries and the blank line.
  EXPECT_EQ(text.substr(head.size(), 12), "HCurDate= 0\n");
  EXPECT_EQ(text.substr(text.size() - tail.size() - 25),
            "LastPrinter=Test Printer\n\r\n[Tail]\nB=2");
}

TEST_F(SettingsFileTest, StringsAreCutToTheirBuffersAndAtNul) {
  std::string long_font(70, 'F');
  std::string long_printer(64, 'P');
  LoadSection("CurrentFont=" + long_font + "\nLayout 3 font=Arial\n" + "LastPrinter=" +
              long_printer + "\nLayout 0 font=\nLayout 1 font=" + std::string("Mo\0no", 5) + "\n");
  EXPECT_EQ(p.settings().CurrentFont, std::string(63, 'F'));
  EXPECT_EQ(p.settings().LastPrinter, std::string(63, 'P'));
  EXPECT_EQ(p.settings_state.layouts[3].font_name, "Arial");
  EXPECT_EQ(p.settings_state.layouts[0].font_name, "Times New Roman");  // empty names no font
  EXPECT_EQ(p.settings_state.layouts[1].font_name, "Mo");
  EXPECT_EQ(p.settings_state.layouts[2].font_name, "Times New Roman");
  // A cut never splits a character: "é" would need bytes 63 and 64.
  LoadSection("CurrentFont=" + std::string(62, 'F') + "\xC3\xA9\n");
  EXPECT_EQ(p.settings().CurrentFont, std::string(62, 'F'));

  // A path of exactly 127 characters survives; one more is cut and so names no file.
  std::string folder = dir.path().string() + "/";
  std::string fits = folder + std::string(127 - folder.size(), 'a');
  std::string too_long = folder + std::string(128 - folder.size(), 'b');
  dir.Write(std::filesystem::path(fits).filename().string(), "x");
  dir.Write(std::filesystem::path(too_long).filename().string(), "x");
  LoadSection("TextFile=" + fits + "\n");
  EXPECT_EQ(p.settings().TextFile, fits);
  LoadSection("TextFile=" + too_long + "\n");
  EXPECT_EQ(p.settings().TextFile, "");
}

TEST_F(SettingsFileTest, ASourceFileThatIsGoneLoadsEmptyAndSavesEmpty) {
  std::string kept = dir.Write("kept.txt", "text");
  LoadSection("TextFile=" + kept + "\n");
  EXPECT_EQ(p.settings().TextFile, kept);
  LoadSection("TextFile=" + dir.File("gone.txt") + "\n");
  EXPECT_EQ(p.settings().TextFile, "");
  LoadSection("TextFile=" + dir.path().string() + "\n");  // a folder is no source file
  EXPECT_EQ(p.settings().TextFile, "");
  ASSERT_TRUE(SaveSettings(p));
  EXPECT_NE(Ini().find("\nTextFile=\n"), std::string::npos);
}

TEST(SettingsFilePrinter, TheLastPrinterIsMadeCurrentOnlyWhenInstalled) {
  ScratchDir dir;
  std::vector<RecordedPrinter> printers(3);
  printers[0].name = "Office";
  printers[1].name = "Laser";
  printers[2].name = "laser";
  struct Case {
    std::string line;
    std::string want_current;
    bool selected;
  };
  for (const Case& c :
       {Case{"LastPrinter=laser\n", "laser", true}, Case{"LastPrinter=Laser\n", "Laser", true},
        Case{"LastPrinter=Gone\n", "Office", false}, Case{"LastPrinter=Office\n", "Office", false},
        Case{"", "Office", false}}) {
    TestProgram t(printers, 0);
    t->settings_state.ini_path = dir.Write("q.ini", "[Quireon2]\n" + c.line);
    ASSERT_TRUE(LoadSettings(*t));
    EXPECT_EQ(t.surface.DeviceName(), c.want_current) << c.line;
    EXPECT_EQ(!t.surface.calls().empty(), c.selected) << c.line;
    // The next save names the printer in use then.
    ASSERT_TRUE(SaveSettings(*t));
    EXPECT_NE(ReadFile(dir.File("q.ini")).find("\nLastPrinter=" + c.want_current + "\n"),
              std::string::npos)
        << c.line;
  }
}

TEST_F(SettingsFileTest, AStaleLineFileIsDeletedButNoOtherFile) {
  std::string stale = dir.Write("QRN4f2a1c.tmp", "old lines");
  LoadSection("LastTempFile=" + stale + "\n");
  EXPECT_EQ(p.settings_state.last_temp_file, stale);
  EXPECT_FALSE(std::filesystem::exists(stale));

  // A hand-edited entry naming a document does not delete it, nor does the source file.
  std::string document = dir.Write("thesis.txt", "precious");
  LoadSection("LastTempFile=" + document + "\n");
  EXPECT_EQ(ReadFile(document), "precious");
  std::string source = dir.Write("QRN000001.tmp", "printing this");
  LoadSection("LastTempFile=" + source + "\nTextFile=" + source + "\n");
  EXPECT_EQ(ReadFile(source), "printing this");
  LoadSection("LastTempFile=" + dir.File("QRNgone.tmp") + "\n");  // already gone: no harm
}

TEST_F(SettingsFileTest, SavedLineFilePathBecomesLastTempFile) {
  p.prep.LineFilePath = "/tmp/QRN123456.tmp";
  ASSERT_TRUE(SaveSettings(p));
  EXPECT_NE(Ini().find("\nLastTempFile=/tmp/QRN123456.tmp\n"), std::string::npos);
}

TEST_F(SettingsFileTest, ATabWidthThatIsNoWholeNumberKeepsTheLastOneAndSavesTheRest) {
  struct Case {
    const char* box;
    const char* want;
  };
  for (const Case& c :
       {Case{"abc", "TCount= 7"}, Case{"", "TCount= 7"}, Case{"70000", "TCount= 7"},
        Case{"4x", "TCount= 7"}, Case{"-40000", "TCount= 7"}, Case{"-3", "TCount=-3"},
        Case{"2.5", "TCount= 2"}, Case{"3.5", "TCount= 4"}, Case{" 9 ", "TCount= 9"}}) {
    WriteIni("[Quireon2]\nTCount= 7\nDoPath= 0\n");
    ASSERT_TRUE(LoadSettings(p));
    p.settings().DoPath = 1;
    t.window.SetText(TextBox::kTCount, c.box);
    EXPECT_TRUE(SaveSettings(p)) << c.box;
    std::string text = Ini();
    EXPECT_EQ(text.rfind(std::string("[Quireon2]\n") + c.want + "\nDoPath= 1\n", 0), 0u) << c.box;
    EXPECT_NE(text.find("\nLastPrinter=Test Printer\n"), std::string::npos) << c.box;
  }
}

TEST_F(SettingsFileTest, AValueWithALineBreakCannotInjectKeys) {
  p.settings().TextFile = "/tmp/a.txt\n[Quireon2]\nLayout= 0";
  p.settings().Layout = 2;
  ASSERT_TRUE(SaveSettings(p));
  std::string text = Ini();
  EXPECT_NE(text.find("\nTextFile=\n"), std::string::npos);
  ASSERT_TRUE(LoadSettings(p));
  EXPECT_EQ(p.settings().Layout, 2);
}

TEST_F(SettingsFileTest, AFileThatCannotBeReplacedLosesNothing) {
  const std::string old_file = "[Quireon2]\nLayout= 1\n[Mine]\nX=1\n";
  WriteIni(old_file);
  p.settings().Layout = 0;
  bool hook_ran = false;
  EXPECT_FALSE(SaveSettings(p, [&hook_ran](const std::string&) {
    hook_ran = true;
    return false;
  }));
  EXPECT_TRUE(hook_ran);
  EXPECT_EQ(Ini(), old_file);
  EXPECT_EQ(FolderEntries(), std::set<std::string>{"Quireon2.ini"});

  // A folder where the file should be.
  p.settings_state.ini_path = dir.File("taken");
  std::filesystem::create_directory(dir.path() / "taken");
  EXPECT_FALSE(SaveSettings(p));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "taken"));
}

TEST_F(SettingsFileTest, TheSettingsFolderIsCreatedOnTheFirstSave) {
  p.settings_state.ini_path = dir.File("config/Quireon2/Quireon2.ini");
  ASSERT_TRUE(SaveSettings(p));
  EXPECT_EQ(ReadFile(p.settings_state.ini_path), kFreshFile);
}

TEST(FileExists, OnlyFilesThatOpenForReading) {
  ScratchDir dir;
  EXPECT_TRUE(FileExists(dir.Write("a.txt", "")));
  EXPECT_FALSE(FileExists(dir.File("missing.txt")));
  EXPECT_FALSE(FileExists(""));
  EXPECT_FALSE(FileExists(dir.path().string()));
}

TEST(TrimNull, CutsAtTheFirstNul) {
  EXPECT_EQ(TrimNull(std::string("abc\0def", 7)), "abc");
  EXPECT_EQ(TrimNull(std::string("\0x", 2)), "");
  EXPECT_EQ(TrimNull("plain"), "plain");
}

}  // namespace
}  // namespace quireon2
