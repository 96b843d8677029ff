// The settings library: the settings file's text form, the numbers written in it and read
// from text boxes, and its all-or-nothing replacement; loading and saving the settings
// through the program's own routines; the settings shown in the window's controls and the
// printer, and read back; the check of the printer.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <tuple>

#include "interfaces/printer_surface.h"
#include "settings/capability.h"
#include "settings/ini_file.h"
#include "settings/number_text.h"
#include "settings/runtime_failure.h"
#include "settings/settings_file.h"
#include "support/gtest_support.h"

namespace quireon2 {
namespace {

using testing::ReadFile;
using testing::ScratchDir;
using testing::TestProgram;
namespace fs = std::filesystem;

TEST(IniFileEdit, ReplacesInPlaceAddsAtTheSectionsEndAndKeepsEveryOtherByte) {
  struct Case { std::string before, want; };
  for (const Case& c : {
           // Replaced where it stands, its CR LF kept; a new key goes after the section's last
           // entry, before the blank line.
           Case{"; kept\r\n[QUIREON2]\r\na= 1\r\nKeep=this \t\r\n\r\n[Other]\nA=9\n",
                "; kept\r\n[QUIREON2]\r\nA=1\r\nKeep=this \t\r\nTCount= 5\n\r\n[Other]\nA=9\n"},
           Case{"", "[Quireon2]\nA=1\nTCount= 5\n"},
           Case{"[Quireon2]\nA=old", "[Quireon2]\nA=1\nTCount= 5\n"},
           Case{"x=1", "x=1\n[Quireon2]\nA=1\nTCount= 5\n"}}) {
    IniFile ini(c.before);
    EXPECT_EQ(ini.Text(), c.before);
    ini.Set("Quireon2", "A", "1");
    ini.Set("Quireon2", "TCount", " 5");
    EXPECT_EQ(ini.Text(), c.want) << c.before;
  }
}

// Names match without regard to case; the first section of a name and the first entry of
// a key count, not a remark; blanks around names and values go. Keys added to a section
// follow its last entry, also once sections are added after it.
TEST(IniFileEdit, LookupsAndEditsAgreeAcrossSectionsDuplicatesAndAddedKeys) {
  IniFile ini("[A]\r\n; k=0 is only a remark\r\n  k =  1 2  \r\n[b]\nK=2\nk=3\nEmpty=\n\n[a]\nk=9\n"
              "[C]\nx=1");
  ini.Set("B", "new", "4");
  ini.Set("c", "y", "5");
  ini.Set("D", "z", "6");
  ini.Set("b", "NEW", "7");
  ini.Set("C", "q", "8");
  ini.Set("b", "k", "x");
  EXPECT_EQ(ini.Get("a", "K"), "1 2");
  EXPECT_EQ(ini.Get("B", "new"), "7");
  EXPECT_EQ(ini.Get("b", "K"), "x");
  EXPECT_EQ(ini.Get("b", "empty"), "");
  EXPECT_EQ(ini.Get("C", "Q"), "8");
  EXPECT_EQ(ini.Get("d", "z"), "6");
  EXPECT_EQ(ini.Get("A", "new"), std::nullopt);
  EXPECT_EQ(ini.Text(), "[A]\r\n; k=0 is only a remark\r\n  k =  1 2  \r\n[b]\nk=x\nk=3\nEmpty=\n"
                        "NEW=7\n\n[a]\nk=9\n[C]\nx=1\ny=5\nq=8\n[D]\nz=6\n");
}

// A write replaces the file whole, keeping its permissions and links, or leaves everything
// as it was.
TEST(AtomicWrite, ReplacesTheFileWholeOrNotAtAll) {
  ScratchDir dir;
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
  if (::geteuid() == 0) return;  // root may write any file
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  EXPECT_FALSE(WriteFileAtomically(path, "y"));
  EXPECT_EQ(ReadFile(path), "x");
}

// The temp files a killed write left beside the settings file go at the next write: its own
// names only, and only once no write can still be making them.
TEST(AtomicWrite, RemovesOnlyItsOwnStaleTempFiles) {
  ScratchDir dir;
  const std::string path = dir.Write("q.ini", "old");
  const auto an_hour_ago = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
  for (const char* name : {".q.ini.AbC123", ".q.ini.AbC12", ".q.ini.AbC1234", ".r.ini.AbC123",
                           "q.ini.AbC123", ".q.ini.AbC-12"}) {
    std::filesystem::last_write_time(dir.Write(name, "x"), an_hour_ago);
  }
  dir.Write(".q.ini.Xyz789", "being written");
  ASSERT_TRUE(WriteFileAtomically(path, "new"));
  EXPECT_FALSE(fs::exists(dir.File(".q.ini.AbC123")));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 7);  // the others stay
}

// The window program takes its process locale from the environment; a comma locale must
// change neither the written form nor the reading of a number.
TEST(DisplayForm, PointSeparatorAndRoundTripInEveryLocale) {
  struct Case { float value; const char* text; };
  const Case cases[] = {{1.25f, " 1.25"}, {-0.5f, "-.5"}, {2.0f, " 2"}, {0.0f, " 0"},
                        {1.0f / 3.0f, " .3333333"}, {1e20f, " 100000002004087734272"}};
  const std::string before = std::setlocale(LC_ALL, nullptr);
  for (const char* locale : {"C", "de_DE.UTF-8"}) {
    if (std::setlocale(LC_ALL, locale) == nullptr) {
      std::setlocale(LC_ALL, before.c_str());
      GTEST_SKIP() << "the locale " << locale << " is not installed (scripts/setup makes it)";
    }
    for (const Case& c : cases) {
      EXPECT_EQ(DisplayForm(c.value), c.text) << locale << " " << c.value;
      EXPECT_EQ(DisplayForm(static_cast<float>(LeadingNumber(c.text))), c.text) << locale;
    }
    EXPECT_EQ(WholeNumberText(" 2.5 "), 2) << locale;
    EXPECT_EQ(WholeNumberText("2,5"), std::nullopt) << locale;
  }
  std::setlocale(LC_ALL, before.c_str());
}

// The number at the start of a text box; the font preview rounds its size half down.
TEST(LeadingNumber, TakesTheNumberAtTheStart) {
  struct Case { const char* text; double want; };
  for (const Case& c : {Case{"  -3", -3}, Case{"4abc", 4}, Case{"x1", 0}, Case{".5", 0.5},
                        Case{"+7", 7}, Case{"5.", 5}, Case{"1,5", 1}, Case{"2e3", 2}}) {
    EXPECT_DOUBLE_EQ(LeadingNumber(c.text), c.want) << c.text;
  }
  EXPECT_EQ(LeadingNumber("-" + std::string(400, '9')), -HUGE_VAL);
  EXPECT_EQ(LeadingNumber("." + std::string(400, '0') + "1"), 0.0);
  EXPECT_EQ(std::make_tuple(RoundHalfDown(10.5), RoundHalfDown(10.51), RoundHalfDown(-2.5)),
            std::make_tuple(10LL, 11LL, -3LL));
}

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

class SettingsFileTest : public testing::ProgramTest {
 protected:
  void SetUp() override { p.settings_state.ini_path = dir.File("Quireon2.ini"); }
  std::string Ini() const { return ReadFile(dir.File("Quireon2.ini")); }
  void WriteIni(const std::string& bytes) { dir.Write("Quireon2.ini", bytes); }
  // Loads `body` as the whole program section into the program state.
  void LoadSection(const std::string& body) {
    WriteIni("[Quireon2]\n" + body);
    ASSERT_TRUE(LoadSettings(p));
  }

  ScratchDir dir;
};

TEST_F(SettingsFileTest, AFirstSaveHoldsTheDefaultsAndEveryStoredValueSurvivesALoadAndASave) {
  p.settings_state.ini_path = dir.File("config/Quireon2/Quireon2.ini");  // folder made too
  ASSERT_TRUE(LoadSettings(p));  // no file yet
  ASSERT_TRUE(SaveSettings(p));
  EXPECT_EQ(ReadFile(p.settings_state.ini_path), kFreshFile);

  p.settings_state.ini_path = dir.File("Quireon2.ini");
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
  const std::string f62(62, 'F');
  struct Case { std::string lines, saved; };
  for (const Case& c : {
           Case{"Layout=7", "Layout= 3"}, Case{"YEdgeBorder1=-32769", "YEdgeBorder1= 720"},
           Case{"XEdgeBorder1=99999999999999999999999", "XEdgeBorder1= 720"},
           Case{"OffsetTop=-32768", "OffsetTop=-32768"},
           Case{"OffsetLeft=32767", "OffsetLeft= 32767"},
           Case{"WidthFudge=12abc", "WidthFudge= 12"}, Case{"LineLen=+7", "LineLen= 7"},
           Case{"MaxPages=0", "MaxPages= 2024"}, Case{"Linecolor=2147483648", "Linecolor= 0"},
           // LineMultiple is read from its first four characters only.
           Case{"LineMultiple=1.125", "LineMultiple= 1.12"},
           Case{"LineMultiple=wide", "LineMultiple= 0"},
           Case{"Layout 0 font=", "Layout 0 font=Times New Roman"},  // an empty name is no font
           // Blanks that a cut leaves at the end go, or they would be lost at the next load.
           Case{std::string("Layout 1 font=Mo \t\0no", 21), "Layout 1 font=Mo"},
           Case{"Layout 2 font=" + f62 + "FFFFFFFF", "Layout 2 font=" + f62 + "F"},
           // A cut never splits a character: "\xC3\xA9" would need bytes 63 and 64.
           Case{"Layout 3 font=" + f62 + "\xC3\xA9", "Layout 3 font=" + f62},
           Case{"Layout 0 font=Mono \rSans", "Layout 0 font=Mono"},  // a CR cannot be saved
           // A source file that is gone, or cannot be one, loads empty.
           Case{"TextFile=" + fits, "TextFile=" + fits}, Case{"TextFile=" + too_long, "TextFile="},
           Case{"TextFile=" + folder, "TextFile="},
       }) {
    LoadSection(c.lines + "\n");
    ASSERT_TRUE(SaveSettings(p));
    EXPECT_NE(Ini().find("\n" + c.saved + "\n"), std::string::npos) << c.lines;
  }
  // A source name with a line break is not saved: it would split its line and inject keys.
  p.settings().TextFile = "/tmp/a.txt\n[Quireon2]\nLayout= 0";
  ASSERT_TRUE(SaveSettings(p));
  ASSERT_TRUE(LoadSettings(p));
  EXPECT_EQ(p.settings().Layout, 3);
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

// A save that fails after the new file is complete, or finds a settings file it cannot
// read, leaves the old file (with its other sections) and no other file behind.
TEST_F(SettingsFileTest, AFileThatCannotBeReplacedLosesNothing) {
  const std::string old_file = "[Quireon2]\nLayout= 1\n[Mine]\nX=1\n";
  WriteIni(old_file);
  EXPECT_FALSE(SaveSettings(p, [](const std::string&) { return false; }));
  p.settings_state.ini_path = dir.path().string();
  EXPECT_FALSE(SaveSettings(p));
  EXPECT_EQ(Ini(), old_file);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

// The print font size goes to the printer (an exact half to the even neighbour when read
// back); the preview shows what the printer holds; a printer that refuses keeps its own.
TEST(Options, APrintFontSizeGoesToThePrinterOtherwiseThePrintersIsTaken) {
  TestProgram t;
  Program& p = t.program;
  t.surface.SetFontSize(10.5);
  SetOptions(p);
  EXPECT_EQ(p.settings_state.print_font_size, 10);
  p.settings_state.print_font_size = 12;
  p.settings().Layout = 2;
  p.settings_state.layouts[2].font_name = "courier new";
  SetOptions(p);
  EXPECT_EQ(t.window.preview_font_name(), "Courier New");
  EXPECT_DOUBLE_EQ(t.window.preview_size(), 12);
  t.surface.printer().refuses = {"FontSize", "FontName"};
  p.settings_state.print_font_size = 14;
  SetOptions(p);
  EXPECT_DOUBLE_EQ(t.window.preview_size(), 12);
}

// The printer capability check: landscape decides (no answer lets the printer pass), the
// two-sided answer enables option 2 for a booklet (no answer counts as two-sided, a query
// that raises is no answer); the selection stays, and DoBook 0 leaves the option as it was.
TEST(PrinterUnsuitable, LandscapeDecidesAndTwoSidedEnablesOptionTwo) {
  struct Case { int two_sided, landscape; Integer do_book; bool enabled, unsuitable, want_enabled,
                raises = false; };
  for (const Case& c : {Case{1, 90, 0, false, false, false}, Case{-1, 90, 1, false, false, true},
                        Case{0, 0, 0, true, true, false}, Case{1, -1, 0, true, false, true},
                        Case{0, 0, 1, false, false, true, true}}) {
    testing::RecordedPrinter printer;
    printer.two_sided = c.two_sided, printer.landscape = c.landscape;
    TestProgram t({printer});
    if (c.raises) t.surface.FailOnCall("DeviceCapabilities", 0, {kPrinterError, "Printer error"});
    t->settings().DoBook = c.do_book;
    t.window.EnablePrinterMode(2, c.enabled);
    t.window.SetPrinterMode(2);
    EXPECT_EQ(PrinterUnsuitable(*t), c.unsuitable) << c.two_sided << " " << c.landscape;
    EXPECT_EQ(std::make_pair(t.window.IsPrinterModeEnabled(2), t.window.GetPrinterMode()),
              std::make_pair(c.want_enabled, 2)) << c.two_sided << " " << c.do_book;
  }
}

}  // namespace
}  // namespace quireon2
