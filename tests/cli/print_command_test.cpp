// The terminal command driven through its public entry with the recording surface: the
// command line, how the options land in the window's settings, the counts, the terminal
// output, the exit status of every kind of failure, and where the settings file lives.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/marker_pages.h"
#include "cli/print_command.h"
#include "cli/print_options.h"
#include "cli/terminal_io.h"
#include "platform/settings_path.h"
#include "printing/print_request.h"
#include "settings/settings_file.h"
#include "support/gtest_support.h"
#include "textprep/layout_metrics.h"
#include "textprep/prep_run.h"

namespace quireon2::testing {
namespace {

constexpr char kPdfPrinter[] = "Print to PDF";

// A two-sided default, a one-sided queue that refuses duplex 3, the built-in PDF printer,
// one without landscape and one that refuses every font size.
std::vector<RecordedPrinter> Printers() {
  std::vector<RecordedPrinter> printers(5);
  const char* names[] = {"Office", "OneSided", kPdfPrinter, "PortraitOnly", "FixedSize"};
  for (int i = 0; i < 5; ++i) printers[i].name = names[i];
  printers[1].two_sided = 0;
  printers[1].refuses = {"Duplex=3"};
  printers[3].landscape = 0;
  printers[4].refuses = {"FontSize"};
  return printers;
}

// Shows every message reversed and answers as the terminal does with standard input at
// its end: OK, Cancel at the paper prompt, No to a question.
class RewordingPrompt : public Prompt {
 public:
  Answer Ask(const std::string& text, Buttons buttons) override {
    shown += std::string(text.rbegin(), text.rend()) + "\n";
    return buttons == Buttons::kOk ? Answer::kOk
           : buttons == Buttons::kOkCancel ? Answer::kCancel : Answer::kNo;
  }
  std::string shown;
};

// One run of the command with its own surface and terminal; standard input is a terminal
// at its end.
struct CommandRun {
  RecordingSurface surface{Printers()};
  std::ostringstream out, err;
  bool terminal = false;
  Prompt* prompt = nullptr;  // the terminal's when none

  int Run(const std::vector<std::string>& args, const std::string& settings_path) {
    CommandIo io;
    io.surface = &surface;
    io.out = &out;
    io.err = &err;
    io.err_is_terminal = terminal;
    io.input_is_terminal = true;
    io.prompt = prompt;
    io.settings_path = settings_path;
    return RunPrintCommand(args, io);
  }
};

class PrintCommandTest : public ::testing::Test {
 protected:
  // A settings file holding `keys` (each "Key= value") in the program's section.
  std::string WriteSettings(const std::vector<std::string>& keys) {
    std::string text = "[Quireon2]\n";
    for (const auto& key : keys) text += key + "\n";
    return dir.Write("Quireon2.ini", text);
  }
  // The window's start-up from `saved`, the command line's options on top, read back the
  // way the preparation run reads them.
  void Apply(TestProgram& t, const std::vector<std::string>& saved,
             const std::vector<std::string>& args) {
    t.program.settings_state.ini_path = WriteSettings(saved);
    LoadSettings(t.program);
    SetOptions(t.program);
    PrintOptions options = ParsePrintOptions(args).options;
    options.file = options.files.back();
    ApplyPrintOptions(t.program, t.window, options);
    GetOptions(t.program);
  }

  ScratchDir dir;
};

// Every way a run can go wrong gives its exit status and the reason, word for word, and no
// job is left open or ended as if printed (but the first sides before a cancel). Every line
// on standard error begins with the command's name. The status comes from how the run
// ended, never from the words shown: with every message reworded it stays the same.
TEST_F(PrintCommandTest, FailuresGiveTheirExitStatusAndTheReason) {
  std::string ini = WriteSettings({"Layout= 3", "PrinterMode= 2"});
  std::string source = dir.Write("eight.txt", MarkerPages(8));
  std::string notes2 = dir.Write("notes-2.txt", MarkerPages(2));
  auto usage = [](const std::string& text) {
    std::string lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines += "quireon2-print: " + line + "\n";
    return lines;
  };
  auto bad = [&](const std::string& reason) {
    return usage(reason + "\nTry 'quireon2-print --help' for more information.");
  };
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;
    const char* fail = nullptr;  // the surface call that fails: NewPage's second, TextWidth's first
  };
  const Case cases[] = {
      {{"-l", "3", "f"}, 1, bad("--layout takes 1, 2, 4 or booklet, not \"3\"")},
      {{"-s2x", "f"}, 1, bad("--signatures takes a whole number from 1 to 99, not \"2x\"")},
      {{"--header", "page,title", "f"}, 1,
       bad("--header takes page, file and date separated by commas, or none, not \"page,title\"")},
      {{"--tab", "4", "--no-expand-tabs", "f"}, 1,
       bad("--tab and --no-expand-tabs contradict each other")},
      {{"--tab-stops", "--no-expand-tabs", "f"}, 1,
       bad("--tab-stops and --no-expand-tabs contradict each other")},
      {{"--preview", "0", "f"}, 1, bad("--preview takes a sheet number from 1, not \"0\"")},
      {{"--preview", "1", "f"}, 1, bad("--preview needs --output FILE.png")},
      {{"--preview", "3", "-o", dir.File("sheet.png"), source}, 1,
       usage("--preview 3: the job has 2 sheets")},
      {{}, 1, bad("no FILE to print was given")},
      {{"-", "a", "-"}, 1, bad("standard input (-) can be printed only once")},
      {{"-o", "-", "a", "b"}, 1, bad("--output - writes the PDF of one FILE, not of 2")},
      {{"--sheets", "1", "--pages", "1", "f"}, 1,
       bad("--sheets is for the booklet and --pages for 1, 2 and 4 up: not both")},
      {{"--sheets", "3-2", "f"}, 1,
       bad("--sheets takes numbers and ranges from 1 separated by commas (3,5-7), not \"3-2\"")},
      {{"--pages=1,", "f"}, 1,
       bad("--pages takes numbers and ranges from 1 separated by commas (3,5-7), not \"1,\"")},
      {{"--copies", "0", "f"}, 1, bad("--copies takes a whole number from 1 to 9999, not \"0\"")},
      {{"--option", "=x", "f"}, 1, bad("--option takes KEY=VALUE, not \"=x\"")},
      {{"--option", "Sides=one-sided", "f"}, 1,
       bad("--option sides: the paper-feed mode (--feed) sets the sides")},
      {{"--option", "media=A4", "f"}, 1, bad("--option media: --paper sets the paper")},
      {{"-yx", "f"}, 1, bad("unknown option -x")},
      {{"f", "-z"}, 1, bad("-z needs a value")},
      {{"f", "--printer"}, 1, bad("--printer needs a value")},
      {{"--yes=1", "f"}, 1, bad("--yes takes no value")},
      {{"-P", "Nowhere", source}, 1,
       usage("no printer is called \"Nowhere\"; the printers are:\n  Office\n  OneSided\n  "
             "Print to PDF\n  PortraitOnly\n  FixedSize")},
      {{"-P", kPdfPrinter, source}, 1, usage("\"Print to PDF\" needs --output FILE.pdf")},
      {{"-P", kPdfPrinter, "-o", "x.pdf", "--copies", "2", source}, 1,
       usage("--copies and --option go to a printer queue; \"Print to PDF\" takes neither")},
      {{"-P", kPdfPrinter, "-o", "-", "-m", "flipped", "-y", source}, 1,
       usage("--output - takes one PDF, and the booklet in this paper-feed mode prints two (one "
             "per side): choose --feed duplex or a file")},
      {{"-l", "2", "--sheets", "1", source}, 1,
       usage("--sheets is for the booklet; 1, 2 and 4 up take --pages")},
      {{"--pages", "1", source}, 1,
       usage("--pages is for 1, 2 and 4 up; the booklet prints whole sheets: --sheets")},
      {{"--sheets", "1,3", source}, 1,
       usage("--sheets 3: the file " + source + " prints 2 sheets")},
      {{"-l", "4", "--pages", "9", source}, 1,
       usage("--pages 9: the file " + source + " prints 8 pages")},
      // The PDF never takes the place of the text it is made from, not even the second job's.
      {{"-P", kPdfPrinter, "-o", dir.File("notes.txt"), notes2}, 1,
       usage("--output would write over the file to print, " + notes2)},
      {{"-o", "x.pdf", source}, 1,
       usage("--output is for \"Print to PDF\" only; the printer is \"Office\"")},
      {{"-P", "OneSided", source}, 3,
       usage("Your printer does not support\na feature Quireon II needs")},
      {{"-P", "PortraitOnly", source}, 3,
       usage("Your printer PortraitOnly does not support features Quireon2 needs.")},
      // The window would go on after the refused size with stale metrics; a script stops.
      {{"-P", "FixedSize", "-z", "9", source}, 3,
       usage("Your Printer - FixedSize does not support features needed for Quireon2. Please "
             "select another printer")},
      {{source}, 3, usage("Printer error"), "NewPage"},
      {{dir.File("missing.txt")}, 2,
       usage("the file " + dir.File("missing.txt") + " doesn't exist")},
      // Standard input, a terminal, ends at the prompt between the sides.
      {{"-m", "flipped", source}, 4,
       usage("Insert paper back in tray\nwhen printer stops\nand then press Enter\n(Enter: go on, "
             "Ctrl-D or Ctrl-C: cancel) \ncancelled")},
      // The window would go on after a refused text metric with the old ones; a script stops.
      {{source}, 3,
       usage("your printer does not support features that Quireon II needs\nplease choose "
             "another printer"),
       "TextWidth"},
  };
  for (const Case& c : cases) {
    CommandRun r;
    const auto arm = [&c](RecordingSurface& surface) {
      if (c.fail && c.fail == std::string("NewPage")) {
        surface.FailOnCall("NewPage", 2, RuntimeFailure{kPrinterError, "Printer error"});
      } else if (c.fail) {
        surface.FailOnCall(c.fail, 1, RuntimeFailure{kInvalidPropertyValue, "refused"});
      }
    };
    arm(r.surface);
    std::vector<std::string> args = {"-q", "-P", "Office"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    std::string label = c.args.empty() ? "" : c.args[0] + " " + c.args.back();
    EXPECT_EQ(r.Run(args, ini), c.status) << label;
    EXPECT_EQ(r.err.str(), c.err) << label;
    // Only the first sides, out before the prompt, were sent.
    EXPECT_EQ(r.surface.sent_jobs().size(), c.status == kExitCancelled ? 1u : 0u) << label;
    EXPECT_FALSE(r.surface.job_open()) << label;

    CommandRun reworded;
    RewordingPrompt prompt;
    reworded.prompt = &prompt;
    arm(reworded.surface);
    EXPECT_EQ(reworded.Run(args, ini), c.status) << label << " reworded";
    EXPECT_EQ(prompt.shown.empty(), c.status == kExitBadUsage) << label;
  }
}
// The options land in the controls so that GetOptions, which the preparation run calls,
// reads back the same settings the window would hold after the same clicks.
TEST_F(PrintCommandTest, OptionsMapOntoTheWindowsSettings) {
  struct Case { std::vector<std::string> saved, args; std::string settings; };
  const Case cases[] = {
      {{"Layout= 3", "PrinterMode= 1", "HPgNumber= 0", "FFileTitle= 1", "TCount= 5"},
       {"-l2", "--feed=straight", "--header", "page,date", "--footer", "none", "--outlines",
        "--tab", "8", "-f", "Courier New", "-z9", "in.txt"},
       "layout 1 book 0 sig 0 4 orient 2 mode 0 header 1 101 footer 0 000 box 1 tabs 10 8 "
       "file in.txt fonts Courier New 9, Times New Roman 8"},  // the chosen layout's font only
      // The last of two contradicting switches counts; after "--" a dash starts a file name.
      {{"ExpandTab= 1", "DoBox= 1", "TCount= 4"},
       {"--no-expand-tabs", "--no-outlines", "--outlines", "--no-outlines", "--", "-f"},
       "layout 3 book 1 sig 0 4 orient 2 mode 1 header 0 000 footer 0 000 box 0 tabs 00 4 file -f"},
      {{"ExpandTab= 0", "TCount= 4"}, {"--tab-stops", "f"},
       "layout 3 book 1 sig 0 4 orient 2 mode 1 header 0 000 footer 0 000 box 0 tabs 11 4"},
      // 4 up over a saved booklet: the booklet box keeps its mark, as in the window.
      {{"Layout= 3"}, {"--layout", "4", "f"}, "layout 2 book 1 sig 0 4 orient 1"},
      {{"Layout= 0", "DoBook= 0"}, {"--layout=BOOKLET", "f"}, "layout 3 book 1 sig 0 4 orient 2"},
      // Signatures turn a saved 2-up layout into a booklet.
      {{"Layout= 1", "DoBook= 0"}, {"-s3", "f"}, "layout 3 book 1 sig 1 3 orient 2"},
      {{"Layout= 3", "DoSig= 1"}, {"--no-signatures", "f"}, "layout 3 book 1 sig 0 4 orient 2"},
      // Nothing on the command line keeps the saved choice, orientation included.
      {{"Layout= 0", "DoSig= 1"}, {"f"}, "layout 0 book 0 sig 1 4 orient 1"},
  };
  for (const Case& c : cases) {
    TestProgram t(Printers());
    Apply(t, c.saved, c.args);
    const Settings& s = t.program.settings();
    const auto& fonts = t.program.settings_state.layouts;
    auto n = [](Integer value) { return std::to_string(value); };
    std::string got = "layout " + n(s.Layout) + " book " + n(s.DoBook) + " sig " + n(s.DoSig) +
                      " " + t.window.Text(TextBox::kSigNum) + " orient " +
                      n(t.program.prep.PrintOrientation) + " mode " + n(s.PrinterMode) +
                      " header " + n(s.DoHeader) + " " + n(s.HPgNumber) + n(s.HFileTitle) +
                      n(s.HCurDate) + " footer " + n(s.DoFooter) + " " + n(s.FPgNumber) +
                      n(s.FFileTitle) + n(s.FCurDate) + " box " + n(s.DoBox) + " tabs " +
                      n(s.ExpandTab) + n(s.TabStops) + " " + t.window.Text(TextBox::kTCount) +
                      " file " + t.window.Text(TextBox::kText1) + " fonts " + fonts[1].font_name + " " +
                      n(fonts[1].font_size) + ", " + fonts[3].font_name + " " +
                      n(fonts[3].font_size);
    // Each case names the settings up to the last one it is about.
    EXPECT_EQ(got.substr(0, c.settings.size()), c.settings) << c.args[0];
  }
}

// The counts on standard output, nothing printed: 7 marker pages are 2 booklet sheets; 30
// pages are 8 booklet sheets, in 3 signatures of 8 / 3 rounded up = 3 sheets, which only a
// run in signatures reports.
TEST_F(PrintCommandTest, CountGivesPagesSheetsAndSheetsPerSignature) {
  std::string ini = WriteSettings({"Layout= 3", "HPgNumber= 1"});
  std::string seven = dir.Write("seven.txt", MarkerPages(7));
  std::string thirty = dir.Write("thirty.txt", MarkerPages(30));
  struct Case { std::string source; std::vector<std::string> args; std::string counts; };
  const Case cases[] = {{seven, {}, "pages 7, sheets 2"},
                        {thirty, {"-s", "3"}, "pages 30, sheets 8, sheets per signature 3"},
                        {thirty, {"-s", "3", "--no-signatures"}, "pages 30, sheets 8"}};
  for (const Case& c : cases) {
    CommandRun r;
    std::vector<std::string> args = {"-nq", c.source};
    args.insert(args.begin(), c.args.begin(), c.args.end());
    ASSERT_EQ(r.Run(args, ini), kExitPrinted) << r.err.str();
    EXPECT_EQ(r.out.str() + r.err.str(), c.counts + "\n") << c.source << " " << args[0];
    EXPECT_EQ(r.surface.jobs_started(), 0);
  }
}

// Off a terminal one line per status message; on one a single redrawn line with a bar;
// each line begins with the command's name.
TEST_F(PrintCommandTest, StatusGoesToStandardErrorAsLinesOrAsOneRedrawnLine) {
  std::string ini = WriteSettings({"Layout= 0"});
  std::string source = dir.Write("four.txt", MarkerPages(4));
  const std::vector<std::string> expected[] = {
      {"quireon2-print: Creating Temp File\nquireon2-print: Indexing File\nquireon2-print: Count "
       "Done\nquireon2-print: pages 4, sheets 4\n",
       "\nquireon2-print: Printing Completed\n"},
      {"\rquireon2-print: \033[KPrinting  1 Up ", "[#######-----------------------] 25%  1 of 4 pages",
       "[##############################] 100%  4 of 4 pages",
       "\rquireon2-print: \033[KPrinting Completed\n"}};
  for (bool terminal : {false, true}) {
    CommandRun r;
    r.terminal = terminal;
    ASSERT_EQ(r.Run({"-P", "Office", source}, ini), kExitPrinted);
    for (const std::string& text : expected[terminal]) {
      EXPECT_NE(r.err.str().find(text), std::string::npos) << text << " in\n" << r.err.str();
    }
    EXPECT_EQ(r.err.str().back(), '\n');
  }
  // A count past its total fills the bar and no more.
  std::ostringstream out;
  TerminalStatus status(out, true, false);
  status.ShowStatus("Printing");
  status.SetProgress(4, 5);
  EXPECT_EQ(out.str(), "\r\033[KPrinting\r\033[KPrinting  [##############################] 100%");
}

TEST(SettingsFilePath, BesideAPortableProgramElseInTheUsersConfigFolder) {
  ScratchDir dir;
  // A copied folder marked by its settings file, a build tree, and a plain folder such as
  // ~/.local/bin or /opt/quireon2/bin that a copy was installed to.
  std::string exe = dir.File("portable"), build = dir.File("build"), plain = dir.File("plain");
  for (const std::string& folder : {exe, build, plain}) std::filesystem::create_directory(folder);
  dir.Write("portable/Quireon2.ini", "");
  dir.Write("build/CMakeCache.txt", "");
  ScopedEnv home("HOME", "/home/someone");
  const std::string xdg = "/xdg/config/Quireon2/Quireon2.ini";
  const std::string home_config = "/home/someone/.config/Quireon2/Quireon2.ini";
  struct Case { const char* xdg_config_home; std::string exe_dir, bin_dir, expected; };
  const Case cases[] = {
      // A build tree or a folder holding its settings file keeps them beside the program.
      {"/xdg/config", exe, "/usr/local/bin", exe + "/Quireon2.ini"},
      {"/xdg/config", build, "/usr/bin", build + "/Quireon2.ini"},
      // An installed copy uses the user's folder whatever its prefix.
      {"/xdg/config", plain, "/usr/bin", xdg},
      // The install prefix's bin folder, however it is spelled, uses the user's folder.
      {"/xdg/config", exe, exe, xdg},
      {"/xdg/config", exe, exe + "/../portable/", xdg},
      // So does a folder that cannot be written (here: one that is gone).
      {"/xdg/config", dir.File("gone"), "/usr/bin", xdg},
      {"/xdg/config", "", "/usr/bin", xdg},
      // XDG_CONFIG_HOME counts only when it is absolute.
      {"relative/config", "", "/usr/bin", home_config},
      {nullptr, "", "/usr/bin", home_config},
  };
  for (const Case& c : cases) {
    ScopedEnv env("XDG_CONFIG_HOME", c.xdg_config_home);
    EXPECT_EQ(SettingsFilePath(c.exe_dir, c.bin_dir), c.expected) << c.exe_dir << " " << c.bin_dir;
  }
}

}  // namespace
}  // namespace quireon2::testing
