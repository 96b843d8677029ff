// The terminal command driven through its public entry with the recording surface: the
// command line, how the options land in the settings, the counts, the printed jobs, the
// prompt between the sides and the exit status of every kind of failure.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/print_command.h"
#include "cli/print_options.h"
#include "settings/settings_file.h"
#include "support/gtest_support.h"
#include "textprep/layout_metrics.h"
#include "textprep/prep_run.h"

namespace quireon2::testing {
namespace {

constexpr char kPdfPrinter[] = "Print to PDF";

// The recording surface's printers: a two-sided default, a one-sided queue that refuses
// duplex 3, the built-in PDF printer, and one without landscape.
std::vector<RecordedPrinter> Printers() {
  RecordedPrinter two_sided;
  two_sided.name = "Office";
  RecordedPrinter one_sided;
  one_sided.name = "OneSided";
  one_sided.two_sided = 0;
  one_sided.refuses = {"Duplex=3"};
  RecordedPrinter pdf;
  pdf.name = kPdfPrinter;
  RecordedPrinter portrait_only;
  portrait_only.name = "PortraitOnly";
  portrait_only.landscape = 0;
  RecordedPrinter fixed_size;
  fixed_size.name = "FixedSize";
  fixed_size.refuses = {"FontSize"};
  return {two_sided, one_sided, pdf, portrait_only, fixed_size};
}

// Pages separated by form feeds, one marker word each: "M1", "M2", ...
std::string MarkerPages(int pages) {
  std::string text;
  for (int i = 1; i <= pages; ++i) {
    if (i > 1) text += "\f";
    text += "M" + std::to_string(i) + "\r\n";
  }
  return text;
}

// One run of the command with its own surface, terminal and answers at the prompt.
struct CommandRun {
  RecordingSurface surface{Printers()};
  std::ostringstream out;
  std::ostringstream err;
  std::vector<bool> enter_answers;  // consumed one per prompt; end of input afterwards
  int prompts = 0;
  std::vector<std::string> pdf_outputs;
  bool terminal = false;

  int Run(std::vector<std::string> args, const std::string& settings_path) {
    CommandIo io;
    io.surface = &surface;
    io.out = &out;
    io.err = &err;
    io.err_is_terminal = terminal;
    io.wait_for_enter = [this] {
      std::size_t k = static_cast<std::size_t>(prompts++);
      return k < enter_answers.size() && enter_answers[k];
    };
    io.set_pdf_output = [this](const std::string& path) { pdf_outputs.push_back(path); };
    io.pdf_printer_name = kPdfPrinter;
    io.settings_path = settings_path;
    io.today = "12-06-2026";
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

  ScratchDir dir;
  CommandRun run;
};

TEST(PrintOptionsParse, AcceptsEveryFormOfTheOptions) {
  ParsedCommandLine a = ParsePrintOptions(
      {"-l", "booklet", "-s3", "--feed=inkjet", "-P", "Office", "-f", "Courier New", "-z",
       "9", "--header", "page,date", "--footer", "none", "--outlines", "--tab", "8", "-yqn",
       "--settings", "/x/q.ini", "in.txt"});
  ASSERT_EQ(a.error, "");
  EXPECT_EQ(a.options.layout, 3);
  EXPECT_EQ(a.options.signatures, 3);
  EXPECT_EQ(a.options.printer_mode, 3);
  EXPECT_EQ(a.options.printer, "Office");
  EXPECT_EQ(a.options.font_name, "Courier New");
  EXPECT_EQ(a.options.font_size, 9);
  ASSERT_TRUE(a.options.header.has_value());
  EXPECT_TRUE(a.options.header->page);
  EXPECT_FALSE(a.options.header->file);
  EXPECT_TRUE(a.options.header->date);
  ASSERT_TRUE(a.options.footer.has_value());
  EXPECT_FALSE(a.options.footer->page || a.options.footer->file || a.options.footer->date);
  EXPECT_EQ(a.options.outlines, true);
  EXPECT_EQ(a.options.tab_width, 8);
  EXPECT_TRUE(a.options.yes && a.options.quiet && a.options.count_only);
  EXPECT_EQ(a.options.settings_file, "/x/q.ini");
  EXPECT_EQ(a.options.file, "in.txt");

  // Layout words, the last of two contradicting switches, and a file after "--".
  struct Case {
    std::vector<std::string> args;
    int layout;
  };
  for (const Case& c : {Case{{"-l1", "f"}, 0}, Case{{"--layout=2", "f"}, 1},
                        Case{{"--layout", "4", "f"}, 2}, Case{{"-l", "BOOKLET", "f"}, 3}}) {
    ParsedCommandLine parsed = ParsePrintOptions(c.args);
    EXPECT_EQ(parsed.error, "") << c.args[0];
    EXPECT_EQ(parsed.options.layout, c.layout) << c.args[0];
  }
  ParsedCommandLine last = ParsePrintOptions({"--outlines", "--no-outlines", "--", "-odd.txt"});
  EXPECT_EQ(last.error, "");
  EXPECT_EQ(last.options.outlines, false);
  EXPECT_EQ(last.options.file, "-odd.txt");
  EXPECT_EQ(ParsePrintOptions({"--no-signatures", "f"}).options.signatures, 0);
  EXPECT_TRUE(ParsePrintOptions({"--help"}).options.help);
  EXPECT_TRUE(ParsePrintOptions({"-V"}).options.version);
}

TEST(PrintOptionsParse, RejectsBadCommandLinesWithTheReason) {
  struct Case {
    std::vector<std::string> args;
    std::string error;
  };
  const Case cases[] = {
      {{"-l", "3", "f"}, "--layout takes 1, 2, 4 or booklet, not \"3\""},
      {{"-s", "0", "f"}, "--signatures takes a whole number from 1 to 99, not \"0\""},
      {{"-s", "100", "f"}, "--signatures takes a whole number from 1 to 99, not \"100\""},
      {{"-s", "2x", "f"}, "--signatures takes a whole number from 1 to 99, not \"2x\""},
      {{"-m", "sideways", "f"}, "--feed takes straight, flipped, duplex or inkjet, not \"sideways\""},
      {{"-z", "0", "f"}, "--size takes a whole number of points from 1 to 999, not \"0\""},
      {{"--tab", "-1", "f"}, "--tab takes a whole number from 0 to 99, not \"-1\""},
      {{"--header", "page,title", "f"},
       "--header takes page, file and date separated by commas, or none, not \"page,title\""},
      {{"--footer", "", "f"},
       "--footer takes page, file and date separated by commas, or none, not \"\""},
      {{"--tab", "4", "--no-expand-tabs", "f"}, "--tab and --no-expand-tabs contradict each other"},
      {{"-l", "2", "-s", "2", "f"}, "--signatures needs the booklet layout"},
      {{"-q"}, "no FILE to print was given"},
      {{"a.txt", "b.txt"}, "only one FILE can be printed at a time, got \"a.txt\" and \"b.txt\""},
      {{"--bogus", "f"}, "unknown option --bogus"},
      {{"-x", "f"}, "unknown option -x"},
      {{"f", "-z"}, "-z needs a value"},
      {{"f", "--printer"}, "--printer needs a value"},
      {{"--yes=1", "f"}, "--yes takes no value"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParsePrintOptions(c.args).error, c.error) << c.args[0] << " " << c.args.back();
  }
}

// The options land in the controls so that GetOptions, which the preparation run calls,
// reads back the same settings the window would hold after the same clicks.
TEST_F(PrintCommandTest, OptionsMapOntoTheWindowsSettings) {
  std::string ini = WriteSettings({"Layout= 3", "PrinterMode= 1", "DoBook= 1", "HPgNumber= 0",
                              "FFileTitle= 1", "DoBox= 0", "ExpandTab= 1", "TCount= 5"});
  TestProgram t(Printers());
  Program& p = t.program;
  p.settings_state.ini_path = ini;
  LoadSettings(p);
  SetOptions(p);
  ParsedCommandLine parsed =
      ParsePrintOptions({"-l", "2", "-m", "straight", "--header", "page,date", "--footer",
                         "none", "--outlines", "--tab", "8", "-f", "Courier New", "-z", "9", "in.txt"});
  ASSERT_EQ(parsed.error, "");
  ApplyPrintOptions(p, t.window, parsed.options);
  GetOptions(p);
  const Settings& s = p.settings();
  EXPECT_EQ(s.Layout, 1);
  EXPECT_EQ(s.DoBook, 0);
  EXPECT_EQ(s.PrinterMode, 0);
  EXPECT_EQ(p.prep.PrintOrientation, 2);
  EXPECT_EQ(s.HPgNumber, 1);
  EXPECT_EQ(s.HFileTitle, 0);
  EXPECT_EQ(s.HCurDate, 1);
  EXPECT_EQ(s.DoHeader, 1);
  EXPECT_EQ(s.FFileTitle, 0);  // "none" clears what the file had
  EXPECT_EQ(s.DoFooter, 0);
  EXPECT_EQ(s.DoBox, 1);
  EXPECT_EQ(s.ExpandTab, 1);
  EXPECT_EQ(t.window.Text(TextBox::kTCount), "8");
  EXPECT_EQ(t.window.Text(TextBox::kText1), "in.txt");
  // The font goes to the chosen layout (2 up) only.
  EXPECT_EQ(p.settings_state.layouts[1].font_name, "Courier New");
  EXPECT_EQ(p.settings_state.layouts[1].font_size, 9);
  EXPECT_EQ(p.settings_state.layouts[3].font_name, "Times New Roman");
  EXPECT_EQ(p.settings_state.layouts[3].font_size, 8);
}

TEST_F(PrintCommandTest, LayoutAndSignatureOptionsOverTheSavedLayout) {
  struct Case {
    std::vector<std::string> saved;
    std::vector<std::string> args;
    Integer layout;
    Integer do_sig;
    std::string sig_num;
    Integer orientation;
  };
  const Case cases[] = {
      // 4 up over a saved booklet: the booklet box keeps its mark, as in the window.
      {{"Layout= 3"}, {"-l", "4", "f"}, 2, 0, "4", 1},
      {{"Layout= 0"}, {"-l", "booklet", "f"}, 3, 0, "4", 2},
      // Signatures turn a saved 2-up layout into a booklet.
      {{"Layout= 1", "DoBook= 0"}, {"-s", "3", "f"}, 3, 1, "3", 2},
      {{"Layout= 3", "DoSig= 1"}, {"--no-signatures", "f"}, 3, 0, "4", 2},
      // Nothing on the command line keeps the saved choice, orientation included.
      {{"Layout= 0", "DoSig= 1"}, {"f"}, 0, 1, "4", 1},
      {{"Layout= 1", "DoBook= 0"}, {"f"}, 1, 0, "4", 2},
  };
  for (const Case& c : cases) {
    std::string ini = WriteSettings(c.saved);
    TestProgram t(Printers());
    Program& p = t.program;
    p.settings_state.ini_path = ini;
    LoadSettings(p);
    SetOptions(p);
    ParsedCommandLine parsed = ParsePrintOptions(c.args);
    ASSERT_EQ(parsed.error, "");
    ApplyPrintOptions(p, t.window, parsed.options);
    GetOptions(p);
    std::string label = c.saved[0] + " " + c.args[0];
    EXPECT_EQ(p.settings().Layout, c.layout) << label;
    EXPECT_EQ(p.settings().DoSig, c.do_sig) << label;
    EXPECT_EQ(t.window.Text(TextBox::kSigNum), c.sig_num) << label;
    EXPECT_EQ(p.prep.PrintOrientation, c.orientation) << label;
  }
}

TEST_F(PrintCommandTest, NoExpandTabsClearsTheSavedTabExpansion) {
  std::string ini = WriteSettings({"ExpandTab= 1"});
  TestProgram t(Printers());
  t.program.settings_state.ini_path = ini;
  LoadSettings(t.program);
  SetOptions(t.program);
  ApplyPrintOptions(t.program, t.window, ParsePrintOptions({"--no-expand-tabs", "f"}).options);
  GetOptions(t.program);
  EXPECT_EQ(t.program.settings().ExpandTab, 0);
}

// Seven pages (form feeds), counted by hand: booklet and 4 up 2 sheets, 2 up 4, 1 up 7.
TEST_F(PrintCommandTest, CountPrintsTheTotalsOfEachLayout) {
  std::string ini = WriteSettings({"Layout= 3"});
  std::string source = dir.Write("seven.txt", MarkerPages(7));
  struct Case {
    std::vector<std::string> extra;
    std::string line;
  };
  const Case cases[] = {
      {{}, "pages 7, sheets 2, sheets per signature 1\n"},
      {{"-l", "1"}, "pages 7, sheets 7, sheets per signature 2\n"},
      {{"-l", "2"}, "pages 7, sheets 4, sheets per signature 1\n"},
      {{"-l", "4"}, "pages 7, sheets 2, sheets per signature 1\n"},
  };
  for (const Case& c : cases) {
    CommandRun r;
    std::vector<std::string> args = {"-n", "-q"};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    args.push_back(source);
    EXPECT_EQ(r.Run(args, ini), kExitPrinted) << r.err.str();
    EXPECT_EQ(r.out.str(), c.line) << (c.extra.empty() ? "booklet" : c.extra[1]);
    EXPECT_EQ(r.err.str(), "");
    EXPECT_EQ(r.surface.jobs_started(), 0);
  }
  // 30 pages are 8 booklet sheets; 3 signatures take 8 / 3 rounded up = 3 sheets each.
  std::string thirty = dir.Write("thirty.txt", MarkerPages(30));
  EXPECT_EQ(run.Run({"-n", "-s", "3", thirty}, ini), kExitPrinted);
  EXPECT_EQ(run.out.str(), "pages 30, sheets 8, sheets per signature 3\n");
}

// A text whose pages come from line counts, wrapping and tabs: the command's counts equal
// those of the preparation run driven the way the window drives it.
TEST_F(PrintCommandTest, CountAgreesWithThePreparationRunOfTheWindow) {
  std::string text;
  for (int i = 1; i <= 700; ++i) {
    text += "line " + std::to_string(i) + "\t";
    text += std::string(static_cast<std::size_t>(i % 170), 'w') + " end\r\n";
  }
  std::string source = dir.Write("long.txt", text);
  std::string ini = WriteSettings({"Layout= 3", "HPgNumber= 1"});
  struct Case {
    int option;  // layout option 0..2
    int booklet;
    int footer_date;
    std::vector<std::string> args;
  };
  const Case cases[] = {
      {1, 1, 0, {"-n", "-q", source}},
      {0, 1, 0, {"-n", "-q", "-l", "1", source}},
      {1, 0, 1, {"-n", "-q", "-l", "2", "--footer", "date", source}},
      {2, 1, 1, {"-n", "-q", "-l", "4", "--footer", "date", source}},
  };
  for (const Case& c : cases) {
    CommandRun r;
    ASSERT_EQ(r.Run(c.args, ini), kExitPrinted) << r.err.str();

    // The window: start-up, the user's clicks, the Print button, the status window.
    TestProgram t(Printers());
    Program& p = t.program;
    p.settings_state.ini_path = ini;
    t.surface.SetScaleMode(1);
    LoadSettings(p);
    ComputeLayoutMetrics(p, 0);
    SetOptions(p);
    t.window.SelectLayoutOption(c.option);
    if (c.option == 1) t.window.SetCheckValue(CheckBox::kDoBooklet, c.booklet);
    p.settings().Layout = static_cast<Integer>(c.option == 1 && c.booklet ? 3 : c.option);
    p.prep.PrintOrientation = c.option == 1 ? 2 : 1;
    t.window.SetCheckValue(CheckBox::kFDate, c.footer_date);
    t.window.SetText(TextBox::kText1, source);
    const LayoutRecord& record = p.settings_state.layouts[p.settings().Layout];
    t.surface.SetFontName(record.font_name);
    p.settings_state.print_font_size = record.font_size;
    ComputeLayoutMetrics(p, record.font_size);
    t.surface.SetFontSize(record.font_size);
    t.surface.SetOrientation(record.orientation);
    ASSERT_TRUE(PrePrint1(p));
    ASSERT_FALSE(t.status.counts.empty());
    const StatusCounts& w = t.status.counts.back();
    EXPECT_GT(w.total_pages, 1);
    std::string expected = "pages " + std::to_string(w.total_pages) + ", sheets " +
                           std::to_string(w.sheet_count) + ", sheets per signature " +
                           std::to_string(w.sheets_per_signature) + "\n";
    EXPECT_EQ(r.out.str(), expected) << "layout option " << c.option;
    DeleteLineFile(p);
  }
}

// Job by job, sheet side by sheet side: the right page of a side is drawn before its left.
TEST_F(PrintCommandTest, BookletOfEightPagesInOneTwoSidedJob) {
  std::string ini = WriteSettings({"Layout= 3", "PrinterMode= 2"});
  std::string source = dir.Write("eight.txt", MarkerPages(8));
  ASSERT_EQ(run.Run({"-q", "-P", kPdfPrinter, "-o", dir.File("out.pdf"), source}, ini),
            kExitPrinted)
      << run.err.str();
  EXPECT_EQ(run.pdf_outputs, std::vector<std::string>{dir.File("out.pdf")});
  EXPECT_EQ(run.surface.PrintedTexts(),
            (std::vector<std::string>{"job 1 page 1: M1", "job 1 page 1: M8", "job 1 page 2: M7",
                                      "job 1 page 2: M2", "job 1 page 3: M3", "job 1 page 3: M6",
                                      "job 1 page 4: M5", "job 1 page 4: M4"}));
  EXPECT_EQ(run.surface.jobs_ended(), 1);
  EXPECT_EQ(run.surface.Duplex(), kDuplexSimplex);  // put back after the job
  EXPECT_EQ(run.prompts, 0);
  EXPECT_EQ(run.err.str(), "");
}

TEST_F(PrintCommandTest, FlippedBookletWaitsForEnterThenPrintsTheBacksInReverse) {
  std::string ini = WriteSettings({"Layout= 3", "PrinterMode= 1"});
  std::string source = dir.Write("eight.txt", MarkerPages(8));
  run.enter_answers = {true};
  ASSERT_EQ(run.Run({"-P", "Office", source}, ini), kExitPrinted) << run.err.str();
  EXPECT_EQ(run.prompts, 1);
  EXPECT_EQ(run.surface.PrintedTexts(),
            (std::vector<std::string>{"job 1 page 1: M1", "job 1 page 1: M8", "job 1 page 2: M3",
                                      "job 1 page 2: M6", "job 2 page 1: M5", "job 2 page 1: M4",
                                      "job 2 page 2: M7", "job 2 page 2: M2"}));
  std::string err = run.err.str();
  EXPECT_NE(err.find("Insert paper back in tray\nwhen printer stops\nand then press Enter\n"),
            std::string::npos)
      << err;
  // Not a terminal: one line per status message, in the run's order.
  std::string::size_type side1 = err.find("Printing Side 1\n");
  std::string::size_type side2 = err.find("Printing Side 2\n");
  std::string::size_type done = err.find("Printing Completed\n");
  EXPECT_NE(err.find("Creating Temp File\n"), std::string::npos);
  EXPECT_NE(err.find("Count Done\npages 8, sheets 2, sheets per signature 1\n"), std::string::npos);
  ASSERT_NE(side1, std::string::npos);
  EXPECT_LT(side1, side2);
  EXPECT_LT(side2, done);
  EXPECT_NE(done, std::string::npos);
}

TEST_F(PrintCommandTest, EndOfInputAtThePromptCancelsAfterTheFirstSides) {
  std::string ini = WriteSettings({"Layout= 3", "PrinterMode= 0"});
  std::string source = dir.Write("eight.txt", MarkerPages(8));
  EXPECT_EQ(run.Run({"-q", "-P", "Office", source}, ini), kExitCancelled);
  EXPECT_EQ(run.prompts, 1);
  EXPECT_EQ(run.surface.jobs_started(), 1);
  EXPECT_EQ(run.surface.PrintedTexts(),
            (std::vector<std::string>{"job 1 page 1: M1", "job 1 page 1: M8", "job 1 page 2: M3",
                                      "job 1 page 2: M6"}));
  // Quiet hides progress, never the question that waits for the user.
  EXPECT_NE(run.err.str().find("Flip paper over and insert back in tray\n"), std::string::npos);
}

TEST_F(PrintCommandTest, YesGoesOnWithoutWaiting) {
  std::string ini = WriteSettings({"Layout= 3", "PrinterMode= 3"});
  std::string source = dir.Write("eight.txt", MarkerPages(8));
  EXPECT_EQ(run.Run({"-y", "-q", "-P", "Office", source}, ini), kExitPrinted);
  EXPECT_EQ(run.prompts, 0);
  EXPECT_EQ(run.surface.jobs_ended(), 2);
  EXPECT_EQ(run.err.str(), "");
}

TEST_F(PrintCommandTest, TwoUpPrintsPagesInReadingOrder) {
  std::string ini = WriteSettings({"Layout= 3"});
  std::string source = dir.Write("three.txt", MarkerPages(3));
  ASSERT_EQ(run.Run({"-q", "-l", "2", "-P", "Office", source}, ini), kExitPrinted);
  EXPECT_EQ(run.surface.PrintedTexts(),
            (std::vector<std::string>{"job 1 page 1: M1", "job 1 page 1: M2", "job 1 page 2: M3"}));
}

TEST_F(PrintCommandTest, FailuresGiveTheirExitStatusAndTheWindowsWords) {
  std::string ini = WriteSettings({"Layout= 3", "PrinterMode= 2"});
  std::string source = dir.Write("eight.txt", MarkerPages(8));
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;
  };
  const Case cases[] = {
      {{"-P", "Office", dir.File("missing.txt")},
       kExitSourceFailed,
       "the file " + dir.File("missing.txt") + " doesn't exist\n"},
      {{"-P", "Office", dir.path().string()},  // a folder is no text file
       kExitSourceFailed,
       "the file " + dir.path().string() + " doesn't exist\n"},
      {{"-P", "OneSided", source},
       kExitPrinterFailed,
       "Your printer does not support\na feature Quireon II needs\n"},
      {{"-P", "PortraitOnly", source},
       kExitPrinterFailed,
       "Your printer PortraitOnly does not support features Quireon2 needs.\n"},
      {{"-P", "FixedSize", "-z", "9", source},
       kExitPrinterFailed,
       "Your Printer - FixedSize does not support features needed for Quireon2. Please select "
       "another printer\n"},
      {{"-P", "Nowhere", source},
       kExitBadUsage,
       "quireon2-print: no printer is called \"Nowhere\"; the printers are:\n  Office\n  "
       "OneSided\n  Print to PDF\n  PortraitOnly\n  FixedSize\n"},
      {{"-P", kPdfPrinter, source},
       kExitBadUsage,
       "quireon2-print: \"Print to PDF\" needs --output FILE.pdf\n"},
      {{"-P", "Office", "-o", "x.pdf", source},
       kExitBadUsage,
       "quireon2-print: --output is for \"Print to PDF\" only; the printer is \"Office\"\n"},
      {{"--settings", dir.File("none.ini"), source},
       kExitBadUsage,
       "quireon2-print: the settings file " + dir.File("none.ini") + " doesn't exist\n"},
      {{"-l", "5", source},
       kExitBadUsage,
       "quireon2-print: --layout takes 1, 2, 4 or booklet, not \"5\"\n"
       "Try 'quireon2-print --help' for more information.\n"},
  };
  for (const Case& c : cases) {
    CommandRun r;
    std::vector<std::string> args = {"-q"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    EXPECT_EQ(r.Run(args, ini), c.status) << c.args[1];
    EXPECT_NE(r.err.str().find(c.message), std::string::npos)
        << c.args[1] << "\n got: " << r.err.str();
    EXPECT_EQ(r.surface.jobs_ended(), 0) << c.args[1];
    EXPECT_FALSE(r.surface.job_open()) << c.args[1];
  }
}

TEST_F(PrintCommandTest, AnEmptySourceIsNotReportedAsPrinted) {
  std::string ini = WriteSettings({"Layout= 3"});
  std::string empty = dir.Write("empty.txt", "");
  EXPECT_EQ(run.Run({"-q", "-P", "Office", empty}, ini), kExitSourceFailed);
  EXPECT_NE(run.err.str().find("Source File has 0 bytes\n"), std::string::npos) << run.err.str();
  EXPECT_EQ(run.surface.jobs_started(), 0);
  // Counting an empty file is no failure: it has 0 pages.
  CommandRun count;
  EXPECT_EQ(count.Run({"-n", "-q", "-P", "Office", empty}, ini), kExitPrinted);
  EXPECT_EQ(count.out.str(), "pages 0, sheets 0, sheets per signature 0\n");
}

// The page limit is the program's rule, not a failure: the job prints up to it, says so.
TEST_F(PrintCommandTest, ThePageLimitPrintsThePagesUpToItWithTheWindowsMessage) {
  std::string ini = WriteSettings({"Layout= 0", "MaxPages= 2"});
  std::string source = dir.Write("three.txt", MarkerPages(3));
  EXPECT_EQ(run.Run({"-q", "-P", "Office", source}, ini), kExitPrinted);
  EXPECT_EQ(run.err.str(), "Too many pages - printing only 2\n");
  EXPECT_EQ(run.surface.PrintedTexts(),
            (std::vector<std::string>{"job 1 page 1: M1", "job 1 page 2: M2"}));
}

TEST_F(PrintCommandTest, APrinterFailureInTheMiddleOfAJobIsNotSuccess) {
  std::string ini = WriteSettings({"Layout= 0"});
  std::string source = dir.Write("four.txt", MarkerPages(4));
  run.surface.FailOnCall("NewPage", 2, RuntimeFailure{482, "Printer error"});
  EXPECT_EQ(run.Run({"-q", "-P", "Office", source}, ini), kExitPrinterFailed);
  EXPECT_NE(run.err.str().find("Printer error"), std::string::npos) << run.err.str();
}

TEST_F(PrintCommandTest, TheLineFileIsRemovedAndTheSettingsFileUntouched) {
  std::string ini = WriteSettings({"Layout= 3", "PrinterMode= 2"});
  std::string before = ReadFile(ini);
  std::string source = dir.Write("eight.txt", MarkerPages(8));
  std::string tmp = dir.File("tmp");
  std::filesystem::create_directory(tmp);
  const char* old_tmpdir = std::getenv("TMPDIR");
  std::string saved = old_tmpdir ? old_tmpdir : "";
  setenv("TMPDIR", tmp.c_str(), 1);
  int status = run.Run({"-q", "-P", "Office", source}, ini);
  if (old_tmpdir) {
    setenv("TMPDIR", saved.c_str(), 1);
  } else {
    unsetenv("TMPDIR");
  }
  EXPECT_EQ(status, kExitPrinted);
  EXPECT_TRUE(std::filesystem::is_empty(tmp));
  EXPECT_EQ(ReadFile(ini), before);
}

TEST_F(PrintCommandTest, ATerminalGetsOneRedrawnLineWithAProgressBar) {
  std::string ini = WriteSettings({"Layout= 0"});
  std::string source = dir.Write("four.txt", MarkerPages(4));
  run.terminal = true;
  ASSERT_EQ(run.Run({"-P", "Office", source}, ini), kExitPrinted);
  std::string err = run.err.str();
  EXPECT_NE(err.find("\r\033[KPrinting  1 Up "), std::string::npos) << err;
  EXPECT_NE(err.find("[#######-----------------------] 25%  1 of 4 pages"), std::string::npos)
      << err;
  EXPECT_NE(err.find("[##############################] 100%  4 of 4 pages"), std::string::npos);
  EXPECT_NE(err.find("\r\033[KPrinting Completed"), std::string::npos);
  EXPECT_EQ(err.back(), '\n');
}

TEST_F(PrintCommandTest, HelpAndVersionGoToStandardOutput) {
  EXPECT_EQ(run.Run({"--help"}, ""), kExitPrinted);
  EXPECT_EQ(run.out.str().rfind("Usage: quireon2-print [OPTIONS] FILE\n", 0), 0u);
  CommandRun v;
  EXPECT_EQ(v.Run({"--version"}, ""), kExitPrinted);
  EXPECT_EQ(v.out.str(), "quireon2-print 1.2.0\n");
}

}  // namespace
}  // namespace quireon2::testing
