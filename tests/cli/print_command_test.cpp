// The terminal command driven through its public entry with the recording surface: the
// command line, how the options land in the window's settings, the counts, the terminal
// output and the exit status of every kind of failure.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cli/print_command.h"
#include "settings/settings_file.h"
#include "support/gtest_support.h"

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

class PrintCommandTest : public ::testing::Test {
 protected:
  // Runs the command on `surface` with a settings file holding `keys` (lines "Key= value");
  // standard input is a terminal at its end. Messages go to `prompt`, else to the terminal.
  int Run(const std::vector<std::string>& args, const std::string& keys, bool terminal = false,
          Prompt* prompt = nullptr) {
    out.str("");
    err.str("");
    CommandIo io{&surface, &out, &err, nullptr, prompt, terminal, true, {}, {}, {}, {}, {}, {},
                 kPdfPrinter, dir.Write("Quireon2.ini", "[Quireon2]\n" + keys + "\n"), ""};
    return RunPrintCommand(args, io);
  }

  ScratchDir dir;
  RecordingSurface surface{Printers()};
  std::ostringstream out, err;
};

// Every way a run can go wrong gives its exit status and the reason, word for word, and no
// job is left open or ended as if printed (but the first sides before a cancel). Every line
// on standard error begins with the command's name. The status comes from how the run
// ended, never from the words written: with every message shown in a prompt instead (all but
// bad usage) it stays the same.
TEST_F(PrintCommandTest, FailuresGiveTheirExitStatusAndTheReason) {
  std::string source = dir.Write("eight.txt", MarkerPages(8));
  std::string notes2 = dir.Write("notes-2.txt", MarkerPages(2));
  auto usage = [](const std::string& text) {
    return std::regex_replace(text, std::regex("(^|\n)"), "$1quireon2-print: ") + "\n";
  };
  auto bad = [&](const std::string& reason) {
    return usage(reason + "\nTry 'quireon2-print --help' for more information.");
  };
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;
    const char* fail = nullptr;  // the surface call that fails, its `call`th, with `failure`
    int call = 0;
    RuntimeFailure failure{};
  };
  const Case cases[] = {
      {{"--tab", "4", "--no-expand-tabs", "f"}, 1,
       bad("--tab and --no-expand-tabs contradict each other")},
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
      {{"--option", "Sides=one-sided", "f"}, 1,
       bad("--option sides: the paper-feed mode (--feed) sets the sides")},
      {{"f", "-z"}, 1, bad("-z needs a value")},
      {{"--yes=1", "f"}, 1, bad("--yes takes no value")},
      {{"-P", kPdfPrinter, source}, 1, usage("\"Print to PDF\" needs --output FILE.pdf")},
      {{"-P", kPdfPrinter, "-o", "x.pdf", "--copies", "2", source}, 1,
       usage("--copies and --option go to a printer queue; \"Print to PDF\" takes neither")},
      {{"-P", kPdfPrinter, "-o", "-", "-m", "flipped", "-y", source}, 1,
       usage("--output - takes one PDF, and the booklet in this paper-feed mode prints two (one "
             "per side): choose --feed duplex or a file")},
      {{"-l", "2", "--sheets", "1", source}, 1,
       usage("--sheets is for the booklet; 1, 2 and 4 up take --pages")},
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
      {{source}, 3, usage("Printer error"), "NewPage", 2, {kPrinterError, "Printer error"}},
      // Standard input, a terminal, ends at the prompt between the sides.
      {{"-m", "flipped", source}, 4,
       usage("Insert paper back in tray\nwhen printer stops\nand then press Enter\n(Enter: go on, "
             "Ctrl-D or Ctrl-C: cancel) \ncancelled")},
      // The window would go on after a refused text metric with the old ones; a script stops.
      {{source}, 3,
       usage("your printer does not support features that Quireon II needs\nplease choose "
             "another printer"),
       "TextWidth", 1, {kInvalidPropertyValue, "refused"}},
  };
  for (const Case& c : cases) {
    const std::string label = c.args.empty() ? "" : c.args[0] + " " + c.args.back();
    std::vector<std::string> args = {"-q", "-P", "Office"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    ScriptedPrompt shown;  // expecting nothing, it answers as a terminal at its end does
    for (Prompt* prompt : {static_cast<Prompt*>(nullptr), static_cast<Prompt*>(&shown)}) {
      surface = RecordingSurface(Printers());
      if (c.fail != nullptr) surface.FailOnCall(c.fail, c.call, c.failure);
      const int status = Run(args, "Layout= 3\nPrinterMode= 2", false, prompt);
      EXPECT_EQ(status, c.status) << label << (prompt ? " shown elsewhere" : "");
      EXPECT_EQ(err.str(), prompt && c.status != kExitBadUsage ? "" : c.err) << label;
      // Only the first sides, out before the prompt, were sent.
      EXPECT_EQ(surface.sent_jobs().size(), c.status == kExitCancelled ? 1u : 0u) << label;
      EXPECT_FALSE(surface.job_open()) << label;
    }
    EXPECT_EQ(shown.shown().empty(), c.status == kExitBadUsage) << label;
  }
}

// The options land in the controls so that GetOptions, which the preparation run calls,
// reads back the same settings the window would hold after the same clicks: the settings
// named up to the last one each case is about.
TEST_F(PrintCommandTest, OptionsMapOntoTheWindowsSettings) {
  struct Case { std::string saved; std::vector<std::string> args; std::string settings; };
  const Case cases[] = {
      {"Layout= 3\nPrinterMode= 1\nHPgNumber= 0\nFFileTitle= 1\nTCount= 5",
       {"-l2", "--feed=straight", "--header", "page,date", "--footer", "none", "--outlines",
        "--tab", "8", "-f", "Courier New", "-z9", "in.txt"},
       "layout 1 book 0 sig 0 4 orient 2 mode 0 header 101 footer 000 box 1 tabs 10 8 "
       "file in.txt fonts Courier New 9, Times New Roman 8"},  // the chosen layout's font only
      // The last of two contradicting switches counts; after "--" a dash starts a file name.
      {"ExpandTab= 1\nDoBox= 1\nTCount= 4",
       {"--no-expand-tabs", "--no-outlines", "--outlines", "--no-outlines", "--", "-f"},
       "layout 3 book 1 sig 0 4 orient 2 mode 1 header 000 footer 000 box 0 tabs 00 4 file -f"},
      // Signatures turn a saved 2-up layout into a booklet.
      {"Layout= 1\nDoBook= 0", {"-s3", "f"}, "layout 3 book 1 sig 1 3 orient 2"},
      // Nothing on the command line keeps the saved choice, orientation included.
      {"Layout= 0\nDoSig= 1", {"f"}, "layout 0 book 0 sig 1 4 orient 1"},
  };
  for (const Case& c : cases) {
    // The window's start-up from the saved settings, then the command line's options.
    TestProgram t(Printers());
    t.program.settings_state.ini_path = dir.Write("Quireon2.ini", "[Quireon2]\n" + c.saved);
    LoadSettings(t.program);
    SetOptions(t.program);
    PrintOptions options = ParsePrintOptions(c.args).options;
    options.file = options.files.back();
    ApplyPrintOptions(t.program, t.window, options);
    GetOptions(t.program);
    const Settings& s = t.program.settings();
    const auto& fonts = t.program.settings_state.layouts;
    std::ostringstream got;
    got << "layout " << s.Layout << " book " << s.DoBook << " sig " << s.DoSig << " "
        << t.window.Text(TextBox::kSigNum) << " orient " << t.program.prep.PrintOrientation
        << " mode " << s.PrinterMode << " header " << s.HPgNumber << s.HFileTitle << s.HCurDate
        << " footer " << s.FPgNumber << s.FFileTitle << s.FCurDate << " box " << s.DoBox
        << " tabs " << s.ExpandTab << s.TabStops << " " << t.window.Text(TextBox::kTCount)
        << " file " << t.window.Text(TextBox::kText1) << " fonts " << fonts[1].font_name << " "
        << fonts[1].font_size << ", " << fonts[3].font_name << " " << fonts[3].font_size;
    EXPECT_EQ(got.str().substr(0, c.settings.size()), c.settings) << c.args[0];
  }
}

// The counts on standard output, nothing printed: 30 marker pages are 8 booklet sheets, in
// 3 signatures of 8 / 3 rounded up = 3 sheets, which only a run in signatures reports. The
// status on standard error: off a terminal each message a line of its own, on a terminal
// one line, redrawn, with a bar, that ends in a line end; each line begins with the
// command's name.
TEST_F(PrintCommandTest, CountsAndStatusOnAndOffATerminal) {
  const std::string thirty = dir.Write("thirty.txt", MarkerPages(30));
  ASSERT_EQ(Run({"-s", "3", "-nq", thirty}, "Layout= 3"), kExitPrinted);
  EXPECT_EQ(out.str(), "pages 30, sheets 8, sheets per signature 3\n");
  ASSERT_EQ(Run({"-s", "3", "--no-signatures", "-n", thirty}, "Layout= 3"), kExitPrinted);
  EXPECT_EQ(out.str(), "pages 30, sheets 8\n");
  EXPECT_EQ(err.str(), "quireon2-print: Creating Temp File\nquireon2-print: Indexing File\n"
                       "quireon2-print: Count Done\n");
  EXPECT_EQ(surface.jobs_started(), 0);
  ASSERT_EQ(Run({dir.Write("four.txt", MarkerPages(4))}, "Layout= 0", true), kExitPrinted);
  for (const char* text : {"\rquireon2-print: \033[KPrinting  1 Up ",
                           "[#######-----------------------] 25%  1 of 4 pages",
                           "\rquireon2-print: \033[KPrinting Completed\n"}) {
    EXPECT_NE(err.str().find(text), std::string::npos) << text << " in\n" << err.str();
  }
}

}  // namespace
}  // namespace quireon2::testing
