// Loading and saving the settings file through the program's own routines.
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

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
    "[Quireon2]\nHCurDate= 0\nHFileTitle= 0\nHPgNumber= 0\nFCurDate= 0\nFFileTitle= 0\n"
    "FPgNumber= 0\nWidthFudge= 10\nLineLen= 80\nDoSig= 0\nExpandTab= 1\nTCount= 5\nWordWrap= 1\n"
    "PrinterMode= 1\nLastTempFile=\nLayout= 3\nDoBox= 0\nDoBook= 1\nFirstTime=1\nTextFile=\n"
    "LineMultiple= 1.25\nMaxPages= 2024\nLayout0= 8\nLayout1= 6\nLayout2= 4\nLayout3= 8\n"
    "DefTab= 0\nLineweight= 1\nLinecolor= 0\nOffsetTop= 0\nOffsetLeft= 0\nOffsetRight= 0\n"
    "OffsetBottom= 0\nXEdgeBorder1= 720\nYEdgeBorder1= 720\nXEdgeBorder2= 720\nYEdgeBorder2= 720\n"
    "XEdgeBorder4= 720\nYEdgeBorder4= 720\nBookletGutter= 1440\nTwoUpGutter= 1440\n"
    "FourUpGutter= 1440\nBoxToText= 270\nLayout 0 font=Times New Roman\n"
    "Layout 1 font=Times New Roman\nLayout 2 font=Times New Roman\n"
    "Layout 3 font=Times New Roman\nDoPath= 1\nLastPrinter=Test Printer\n";

class SettingsFileTest : public ProgramTest {
 protected:
  void SetUp() override { p.settings_state.ini_path = dir.File("Quireon2.ini"); }
  std::string Ini() const { return ReadFile(dir.File("Quireon2.ini")); }
  bool IniHas(const std::string& line) const {
    return Ini().find("\n" + line + "\n") != std::string::npos;
  }
  void WriteIni(const std::string& bytes) { dir.Write("Quireon2.ini", bytes); }
  // Loads `body` as the whole program section into the program state.
  void LoadSection(const std::string& body) {
    WriteIni("[Quireon2]\n" + body);
    ASSERT_TRUE(LoadSettings(p));
  }

  ScratchDir dir;
};

TEST_F(SettingsFileTest, FirstRunGivesDefaultsAndSavesEveryKeyInOrder) {
  ASSERT_TRUE(LoadSettings(p));  // no file yet
  EXPECT_EQ(p.settings().LastPrinter, "Test Printer");
  EXPECT_EQ(t.window.Text(TextBox::kTCount), "5");
  EXPECT_TRUE(t.surface.calls().empty());  // the current printer stays as it is
  p.settings_state.ini_path = dir.File("config/Quireon2/Quireon2.ini");  // folder made too
  ASSERT_TRUE(SaveSettings(p));
  EXPECT_EQ(ReadFile(p.settings_state.ini_path), kFreshFile);
}

TEST_F(SettingsFileTest, EveryStoredValueSurvivesALoadAndASave) {
  const std::string source = dir.Write("source.txt", "text");
  // Keys in the order a save writes them, nearly all with other values than their defaults.
  const std::string custom =
      "[Quireon2]\nHCurDate= 1\nHFileTitle= 0\nHPgNumber= 1\nFCurDate= 0\nFFileTitle= 1\n"
      "FPgNumber= 0\nWidthFudge=-4\nLineLen= 132\nDoSig= 1\nExpandTab= 0\nTCount= 12\n"
      "WordWrap= 0\nPrinterMode= 0\nLastTempFile=\nLayout= 2\nDoBox= 1\nDoBook= 0\nFirstTime=1\n"
      "TextFile=" + source + "\nLineMultiple= .5\nMaxPages= 32766\nLayout0= 10\nLayout1= 11\n"
      "Layout2= 12\nLayout3= 13\nDefTab= 1\nLineweight= 3\nLinecolor= 12\nOffsetTop=-1\n"
      "OffsetLeft= 2\nOffsetRight=-32768\nOffsetBottom= 32767\nXEdgeBorder1= 1\nYEdgeBorder1= 2\n"
      "XEdgeBorder2= 3\nYEdgeBorder2= 4\nXEdgeBorder4= 5\nYEdgeBorder4= 6\nBookletGutter= 7\n"
      "TwoUpGutter= 8\nFourUpGutter= 9\nBoxToText= 10\nLayout 0 font=Courier New\n"
      "Layout 1 font=DejaVu Sans\nLayout 2 font=Liberation Mono\nLayout 3 font=Noto Serif\n"
      "DoPath= 0\nLastPrinter=Test Printer\nTabStops= 1\nPdfPaper= 11\n";
  WriteIni(custom);
  ASSERT_TRUE(LoadSettings(p));
  EXPECT_EQ(t.surface.PdfPaperSize(), 11);  // handed to "Print to PDF"
  EXPECT_EQ(p.settings().DoHeader, 1);
  EXPECT_EQ(p.settings().DoFooter, 1);
  EXPECT_EQ(t.window.Text(TextBox::kTCount), "12");
  // A key read into the wrong field, or written under another name, would change the file.
  ASSERT_TRUE(SaveSettings(p));
  EXPECT_EQ(Ini(), custom);
}

// A loaded value comes back out of the next save: read from the start of its text, cut to
// its buffer, or replaced by the default when out of range.
TEST_F(SettingsFileTest, OddValuesLoadAsTheNextSaveShows) {
  // A source path of exactly 127 characters survives; one more is cut and so names no file.
  const std::string folder = dir.path().string() + "/";
  const std::string fits = dir.Write(std::string(127 - folder.size(), 'a'), "x");
  const std::string too_long = dir.Write(std::string(128 - folder.size(), 'b'), "x");
  struct Case { std::string lines, saved; };
  for (const Case& c : {
           Case{"Layout=7", "Layout= 3"}, Case{"DoBox=2", "DoBox= 0"},
           Case{"XEdgeBorder1=99999999999999999999999", "XEdgeBorder1= 720"},
           Case{"YEdgeBorder1=-32769", "YEdgeBorder1= 720"}, Case{"OffsetTop=-32768", "OffsetTop=-32768"},
           Case{"OffsetLeft=32767", "OffsetLeft= 32767"}, Case{"WidthFudge=12abc", "WidthFudge= 12"},
           Case{"LineLen=+7", "LineLen= 7"}, Case{"Lineweight=abc", "Lineweight= 0"},
           Case{"BoxToText=- 5", "BoxToText= 0"}, Case{"MaxPages=0", "MaxPages= 2024"},
           Case{"Linecolor=2147483648", "Linecolor= 0"}, Case{"Layout0=32768", "Layout0= 8"},
           Case{"MaxPages=  32766 pages\nMaxPages=1", "MaxPages= 32766"},  // the first key counts
           // LineMultiple is read from its first four characters only.
           Case{"LineMultiple=1.125", "LineMultiple= 1.12"}, Case{"LineMultiple=-1.75", "LineMultiple=-1.7"},
           Case{"LineMultiple=wide", "LineMultiple= 0"},
           Case{"Layout 0 font=", "Layout 0 font=Times New Roman"},  // an empty name is no font
           Case{std::string("Layout 1 font=Mo\0no", 19), "Layout 1 font=Mo"},
           // Blanks that a cut leaves at the end go, or they would be lost at the next load.
           Case{std::string("Layout 2 font=Mo \t\0no", 21), "Layout 2 font=Mo"},
           Case{"Layout 3 font=" + std::string(62, 'F') + " x", "Layout 3 font=" + std::string(62, 'F')},
           Case{"Layout 0 font=Mono \rSans", "Layout 0 font=Mono"},  // a CR cannot be saved
           // A source file that is gone, or cannot be one, loads empty.
           Case{"TextFile=" + fits, "TextFile=" + fits}, Case{"TextFile=" + too_long, "TextFile="},
           Case{"TextFile=" + dir.File("gone.txt"), "TextFile="}, Case{"TextFile=" + folder, "TextFile="},
       }) {
    LoadSection(c.lines + "\n");
    ASSERT_TRUE(SaveSettings(p));
    EXPECT_TRUE(IniHas(c.saved)) << c.lines;
  }
  // A cut never splits a character: "\xC3\xA9" would need bytes 63 and 64.
  for (int before : {70, 62}) {
    LoadSection("CurrentFont=" + std::string(before, 'F') + "\xC3\xA9\n");
    EXPECT_EQ(p.settings().CurrentFont, std::string(before == 70 ? 63 : 62, 'F'));
  }
  // A source name with a line break is not saved: it would split its line and inject keys.
  p.settings().TextFile = "/tmp/a.txt\n[Quireon2]\nLayout= 0";
  ASSERT_TRUE(SaveSettings(p));
  EXPECT_TRUE(IniHas("TextFile="));
  ASSERT_TRUE(LoadSettings(p));
  EXPECT_EQ(p.settings().Layout, 3);
}

TEST(SettingsFilePrinter, TheLastPrinterIsMadeCurrentOnlyWhenInstalled) {
  ScratchDir dir;
  std::vector<RecordedPrinter> printers(3);
  printers[0].name = "Office", printers[1].name = "Laser", printers[2].name = "laser";
  struct Case { std::string line, want_current; bool selected; };
  for (const Case& c : {Case{"LastPrinter=laser\n", "laser", true}, Case{"", "Office", false},
                        Case{"LastPrinter=Laser\n", "Laser", true},
                        Case{"LastPrinter=Gone\n", "Office", false}}) {
    TestProgram t(printers, 0);
    t->settings_state.ini_path = dir.Write("q.ini", "[Quireon2]\n" + c.line);
    ASSERT_TRUE(LoadSettings(*t));
    EXPECT_EQ(t.surface.DeviceName(), c.want_current) << c.line;
    EXPECT_EQ(!t.surface.calls().empty(), c.selected) << c.line;
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
}

TEST_F(SettingsFileTest, ATabWidthThatIsNoWholeNumberKeepsTheLastOneAndSavesTheRest) {
  struct Case { const char* box; const char* want; };
  for (const Case& c : {Case{"abc", "TCount= 7"}, Case{"", "TCount= 7"}, Case{"70000", "TCount= 7"},
                        Case{"4x", "TCount= 7"}, Case{"-40000", "TCount= 7"}, Case{"-3", "TCount=-3"},
                        Case{"2.5", "TCount= 2"}, Case{"3.5", "TCount= 4"}, Case{" 9 ", "TCount= 9"}}) {
    WriteIni("[Quireon2]\nTCount= 7\nDoPath= 0\n");
    ASSERT_TRUE(LoadSettings(p));
    p.settings().DoPath = 1;
    t.window.SetText(TextBox::kTCount, c.box);
    EXPECT_TRUE(SaveSettings(p)) << c.box;
    EXPECT_EQ(Ini().rfind(std::string("[Quireon2]\n") + c.want + "\nDoPath= 1\n", 0), 0u) << c.box;
  }
}

TEST_F(SettingsFileTest, AFileThatCannotBeReplacedLosesNothing) {
  const std::string old_file = "[Quireon2]\nLayout= 1\n[Mine]\nX=1\n";
  WriteIni(old_file);
  p.settings().Layout = 0;
  std::string written;
  EXPECT_FALSE(SaveSettings(p, [&written](const std::string& temp) {
    written = ReadFile(temp);
    return false;  // fails after the new file is complete
  }));
  EXPECT_NE(written.find("\nLayout= 0\n"), std::string::npos);
  EXPECT_EQ(Ini(), old_file);
  p.settings_state.ini_path = dir.path().string();  // a file that cannot be read is kept
  EXPECT_FALSE(SaveSettings(p));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

}  // namespace
}  // namespace quireon2
