// The terminal command: the window's start-up, Print button and status window, run from the
// command line with the terminal as status line and message box.
#include "cli/print_command.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "cli/print_options.h"
#include "cli/terminal_io.h"
#include "interfaces/paper_names.h"
#include "platform/output_path.h"
#include "platform/temp_file.h"
#include "printing/page_order.h"
#include "printing/print_request.h"
#include "printing/print_runs.h"
#include "printing/sheet_preview.h"
#include "printing/startup.h"
#include "settings/memory_controls.h"
#include "settings/outcome.h"
#include "settings/program_state.h"
#include "settings/runtime_failure.h"
#include "settings/settings_file.h"
#include "settings/text_helpers.h"
#include "textprep/prep_run.h"

#ifndef QUIREON2_VERSION
#define QUIREON2_VERSION "unknown"
#endif

namespace quireon2 {
namespace {

constexpr char kCommandName[] = "quireon2-print";
constexpr double kPreviewDotsPerInch = 96;  // a sheet picture's resolution

// The exit status of every way a run can end. A run that went on past a printer failure
// it showed (the window carries on with the numbers it had) stops a script before
// anything is printed.
int ExitStatusOf(const Outcome& outcome) {
  switch (outcome.kind) {
    case OutcomeKind::kSucceeded:
      return outcome.failure ? kExitPrinterFailed : kExitPrinted;
    case OutcomeKind::kSourceFailed:
      return kExitSourceFailed;
    case OutcomeKind::kPrinterFailed:
      return kExitPrinterFailed;
    case OutcomeKind::kCancelled:
      return kExitCancelled;
  }
  return kExitPrinterFailed;
}

// The PDF a job of the run would replace when it is the very file being printed: the first
// job's name, or the second job's (the same name with -2 before the extension).
std::optional<std::string> OutputOverSource(const std::string& output, const std::string& source) {
  for (const std::string& path : {output, NumberedPath(output, 2)}) {
    std::error_code error;
    if (std::filesystem::equivalent(path, source, error)) return path;
  }
  return std::nullopt;
}

// Puts the layout choice into the controls the way the window's clicks leave them, and
// keeps Layout as the option rules would set it.
void ChooseLayout(Program& p, MemoryControls& window, int layout) {
  if (layout == kLayoutBooklet) {
    window.SelectLayoutOption(1);
    window.SetCheckValue(CheckBox::kDoBooklet, 1);
  } else {
    window.SelectLayoutOption(layout);
    // "1 up" and "4 up" only disable the booklet box; its check mark stays.
    if (layout == kLayout2Up) window.SetCheckValue(CheckBox::kDoBooklet, 0);
  }
  p.settings().Layout = static_cast<Integer>(layout);
}

void SetItems(MemoryControls& window, const HeaderFooterItems& items, CheckBox page,
              CheckBox file, CheckBox date) {
  window.SetCheckValue(page, items.page ? 1 : 0);
  window.SetCheckValue(file, items.file ? 1 : 0);
  window.SetCheckValue(date, items.date ? 1 : 0);
}

}  // namespace

void ApplyPrintOptions(Program& p, MemoryControls& window, const PrintOptions& o) {
  if (o.layout) {
    ChooseLayout(p, window, *o.layout);
  } else if (o.signatures && *o.signatures > 0 && p.settings().Layout != kLayoutBooklet) {
    ChooseLayout(p, window, kLayoutBooklet);  // signatures exist only in a booklet
  }
  if (o.signatures) {
    window.SetCheckValue(CheckBox::kDoSig, *o.signatures > 0 ? 1 : 0);
    if (*o.signatures > 0) window.SetText(TextBox::kSigNum, std::to_string(*o.signatures));
  }
  if (o.printer_mode) {
    window.SetPrinterMode(*o.printer_mode);
    p.settings().PrinterMode = static_cast<Integer>(*o.printer_mode);
  }
  if (o.header) {
    SetItems(window, *o.header, CheckBox::kHPageNum, CheckBox::kHFilename, CheckBox::kHDate);
  }
  if (o.footer) {
    SetItems(window, *o.footer, CheckBox::kFPageNum, CheckBox::kFFileName, CheckBox::kFDate);
  }
  if (o.outlines) {
    window.SetCheckValue(CheckBox::kDoOutlines, *o.outlines ? 1 : 0);
    p.settings().DoBox = *o.outlines ? 1 : 0;
  }
  if (o.tab_width) {
    window.SetCheckValue(CheckBox::kDoTabEx, 1);
    window.SetText(TextBox::kTCount, std::to_string(*o.tab_width));
  }
  if (o.tab_stops) {
    window.SetCheckValue(CheckBox::kDoTabEx, 1);
    window.SetCheckValue(CheckBox::kTabStops, 1);
  }
  if (o.no_expand_tabs) window.SetCheckValue(CheckBox::kDoTabEx, 0);
  // The layout option's rule keeps the orientation of the chosen layout; the controls
  // here run no rules, so it is set for the saved layout too.
  int layout = p.settings().Layout;
  p.prep.PrintOrientation = (layout == kLayout1Up || layout == kLayout4Up) ? kPortrait : kLandscape;
  LayoutRecord& record = CurrentLayout(p);
  if (o.font_name) record.font_name = *o.font_name;
  if (o.font_size) record.font_size = static_cast<Integer>(*o.font_size);
  window.SetText(TextBox::kText1, o.file);
}

bool SelectPrinterByName(PrinterSurface& surface, const std::string& name) {
  std::vector<PrinterInfo> printers = surface.Printers();
  // CUPS itself takes a queue's name in any case; the very name comes first.
  for (bool exact : {true, false}) {
    for (std::size_t i = 0; i < printers.size(); ++i) {
      const std::string& device = printers[i].device_name;
      if (exact ? device == name : SameIgnoringCase(device, name)) {
        surface.SelectPrinter(i);
        return true;
      }
    }
  }
  return false;
}

namespace {

// The names of these papers, in the printer dialog's order.
std::string PaperList(const std::vector<int>& offered) {
  std::string list;
  for (const PaperName& paper : kPaperNames) {
    if (std::find(offered.begin(), offered.end(), paper.code) == offered.end()) continue;
    list += (list.empty() ? "" : ", ") + std::string(paper.name);
  }
  return list;
}

std::string PrinterList(PrinterSurface& surface) {
  std::string list;
  for (const PrinterInfo& printer : surface.Printers()) {
    list += "\n  " + printer.device_name;
  }
  return list;
}

// The PDF "Print to PDF" writes for `name` when several FILEs are printed: NAME.pdf (a
// name that ends in .pdf gets a second one) in `folder`, else beside the file.
std::string PdfBeside(const std::string& name, const std::optional<std::string>& folder) {
  const std::string pdf = SuggestedPdfPath(name, "", 1);
  if (!folder) return pdf;
  return (std::filesystem::path(*folder) / std::filesystem::path(pdf).filename()).string();
}

// A temporary file, removed with the object (and by a signal before that).
class TempFile {
 public:
  TempFile() = default;
  ~TempFile() {
    if (!path.empty()) RemoveTempFile(path);
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  std::string path;
};

class Command {
 public:
  // `file_count`: how many FILEs the command prints, this run's among them.
  Command(CommandIo& io, const PrintOptions& o, std::size_t file_count)
      : io_(io),
        o_(o),
        file_count_(file_count),
        err_(*io.err),
        status_(err_, io.err_is_terminal, o.quiet),
        prompt_(err_, &status_, io.wait_for_enter, o.yes, o.quiet, io.input_is_terminal) {
    p_.io.surface = io.surface;
    p_.io.prompt = io.prompt != nullptr ? io.prompt : &prompt_;
    p_.io.window = &window_;
    p_.io.status = &status_;
    p_.io.temp_files = &temp_files_;
  }

  ~Command() { ShutDown(p_, /*save_settings=*/false); }

  int Run() {
    p_.settings_state.ini_path = o_.settings_file ? *o_.settings_file : io_.settings_path;
    p_.settings_state.today = io_.today;
    if (o_.settings_file) {
      if (const auto problem = FileProblem(*o_.settings_file)) {
        return Usage("the settings file " + *o_.settings_file + " " + *problem);
      }
    }
    int status = SetUpPrinter();
    if (status != kExitPrinted) return status;

    const bool from_input = o_.file == "-";
    PrintOptions run = o_;
    if (from_input) {
      status = KeepInput();
      if (status != kExitPrinted) return status;
      run.file = input_.path;
    }
    ApplyPrintOptions(p_, window_, run);
    p_.prep.ShownName = o_.title ? *o_.title : from_input ? "stdin" : "";
    if (const auto problem = FileProblem(run.file)) {
      p_.prompt().Show(Named() + " " + *problem);
      return ExitStatusOf(Outcome::SourceFailed());
    }
    status = CheckRunOptions();
    if (status != kExitPrinted) return status;

    status = ExitStatusOf(PrepareForPrint(p_));
    if (status != kExitPrinted) return status;
    NoteFontSubstitution();

    const Outcome prepared = PrePrint1(p_);
    status = ExitStatusOf(prepared);
    if (status != kExitPrinted) return status;
    status_.EndLine();

    const StatusCounts c = status_.counts().empty() ? StatusCounts() : status_.counts().back();
    std::ostringstream totals;
    totals << "pages " << c.total_pages << ", sheets " << c.sheet_count;
    // Only a booklet in signatures has any.
    if (InSignatures()) totals << ", sheets per signature " << c.sheets_per_signature;
    totals << '\n';
    if (o_.count_only) {
      *io_.out << totals.str() << std::flush;
      return kExitPrinted;
    }
    if (!o_.quiet) err_ << totals.str() << std::flush;
    if (p_.prep.TotalPages <= 0) {
      p_.prompt().Show(Named() + " has nothing to print");
      return ExitStatusOf(Outcome::SourceFailed());
    }
    if (o_.preview_sheet) return Preview(*o_.preview_sheet);
    status = CheckChosenNumbers();
    if (status != kExitPrinted) return status;
    // Without a terminal to answer it, the prompt between the sides would cancel the run
    // with the first sides printed.
    if (TwoPasses() && !o_.yes && !io_.input_is_terminal) {
      return Usage("the booklet in this paper-feed mode waits for Enter between the two "
                   "sides, and standard input is not a terminal: give -y to go on without "
                   "waiting");
    }
    return Print();
  }

 private:
  int Usage(const std::string& reason) {
    err_ << reason << '\n';
    return kExitBadUsage;
  }

  // The file as messages name it.
  std::string Named() const {
    return o_.file == "-" ? std::string("standard input") : "the file " + o_.file;
  }

  bool InSignatures() {
    return p_.settings().Layout == kLayoutBooklet && p_.settings().DoSig != 0;
  }

  // A booklet printed in two passes, with the paper turned over by hand between them: two
  // jobs, and the prompt between them.
  bool TwoPasses() {
    return p_.settings().Layout == kLayoutBooklet && p_.settings().PrinterMode != 2;  // duplex
  }

  // Standard input copied to a temporary file: the preparation reads its source twice.
  int KeepInput() {
    const std::string folder = temp_files_.Folder();
    std::string error = "no temp folder to write to";
    if (!folder.empty()) input_.path = temp_files_.MakeFile(folder, "q2in", &error);
    if (input_.path.empty()) {
      err_ << "standard input cannot be kept in the temp folder: " << error << '\n';
      return kExitSourceFailed;
    }
    std::ofstream copy(input_.path, std::ios::binary | std::ios::trunc);
    std::istream* in = io_.in;
    errno = 0;
    char chunk[65536];
    while (in != nullptr && copy) {
      in->read(chunk, sizeof chunk);
      copy.write(chunk, in->gcount());
      if (!*in) break;
    }
    const bool read = in == nullptr || !in->bad();
    copy.close();
    if (!copy || !read) {
      const char* why = errno != 0 ? std::strerror(errno) : "a read or write failed";
      err_ << "standard input cannot be kept in " << input_.path << ": " << why << '\n';
      return kExitSourceFailed;
    }
    return kExitPrinted;
  }

  // What the options ask of this run once the saved settings are in: nothing is printed
  // when they cannot be had.
  int CheckRunOptions() {
    if (o_.count_only) return kExitPrinted;
    const bool booklet = p_.settings().Layout == kLayoutBooklet;
    if (o_.sheets && !booklet) {
      return Usage("--sheets is for the booklet; 1, 2 and 4 up take --pages");
    }
    if (o_.pages && booklet) {
      return Usage("--pages is for 1, 2 and 4 up; the booklet prints whole sheets: --sheets");
    }
    if (TwoPasses() && output_ == "-") {
      return Usage("--output - takes one PDF, and the booklet in this paper-feed mode prints "
                   "two (one per side): choose --feed duplex or a file");
    }
    const std::optional<NumberList>& chosen = booklet ? o_.sheets : o_.pages;
    p_.print.Chosen.clear();
    if (chosen) {
      for (const auto& [first, last] : *chosen) {
        p_.print.Chosen.emplace_back(static_cast<Long>(first), static_cast<Long>(last));
      }
    }
    return kExitPrinted;
  }

  // Chosen sheets or pages the run does not have.
  int CheckChosenNumbers() {
    const bool booklet = p_.settings().Layout == kLayoutBooklet;
    long have = p_.prep.TotalPages;
    if (booklet) {
      have = p_.prep.SheetCount;
      // Signatures hold equal numbers of sheets, so the last may add blank ones.
      if (InSignatures()) {
        have = p_.print.SigCount * SheetsPerSignature(p_.prep.SheetCount, p_.print.SigCount)
                                       .value_or(0);
      }
    }
    long highest = 0;
    for (const auto& range : p_.print.Chosen) highest = std::max<long>(highest, range.second);
    if (highest <= have) return kExitPrinted;
    const char* what = booklet ? "sheets" : "pages";
    return Usage("--" + std::string(what) + " " + std::to_string(highest) + ": " + Named() +
                 " prints " + std::to_string(have) + " " + what);
  }

  // Start-up as the window does it, with the printer and paper the command line names and
  // without questions: an unsuitable printer ends the command.
  int SetUpPrinter() {
    PrinterSurface& surface = p_.surface();
    int refused = kExitBadUsage;  // why the command line's own printer or paper stopped it
    StartupSteps steps;
    steps.choose_printer = [&] {
      if (!o_.printer || SelectPrinterByName(surface, *o_.printer)) return true;
      if (io_.print_service_running && !io_.print_service_running()) {
        err_ << "the print service (CUPS) is not running, so the printer \"" << *o_.printer
             << "\" cannot be reached\n";
        refused = kExitPrinterFailed;
        return false;
      }
      refused = Usage("no printer is called \"" + *o_.printer + "\"; the printers are:" +
                      PrinterList(surface));
      return false;
    };
    steps.check_printer = [&] {
      refused = CheckPrinter();
      return refused == kExitPrinted;
    };
    switch (StartUp(p_, steps)) {
      case StartupResult::kReady: return kExitPrinted;
      case StartupResult::kStopped: return refused;
      // Settings that make printing impossible, as the preparation refuses them.
      case StartupResult::kSettingsOverflow: return ExitStatusOf(Outcome::SourceFailed());
      default: return ExitStatusOf(Outcome::PrinterFailed());
    }
  }

  // The output the printer's kind needs, and the paper the command line names (for this
  // run only: nothing is kept).
  int CheckPrinter() {
    PrinterSurface& surface = p_.surface();
    const bool is_pdf = surface.DeviceName() == io_.pdf_printer_name;
    output_ = o_.output;
    if (is_pdf && file_count_ > 1) {
      if (output_) {
        std::error_code error;
        if (!std::filesystem::is_directory(*output_, error)) {
          return Usage("with several FILEs --output names a folder, not " + *output_);
        }
      }
      const std::string name = o_.file != "-" ? o_.file : o_.title ? *o_.title : "stdin";
      output_ = PdfBeside(name, output_);
    }
    if (is_pdf && !output_ && !o_.count_only) {
      return Usage("\"" + io_.pdf_printer_name + "\" needs --output FILE.pdf");
    }
    if (is_pdf && output_ != "-" && output_ && !o_.count_only && !o_.preview_sheet) {
      if (const auto over = OutputOverSource(*output_, o_.file)) {
        return Usage("--output would write over the file to print, " + *over);
      }
      // The second job's file too, before the first one prints.
      for (const std::string& path : {*output_, NumberedPath(*output_, 2)}) {
        if (const auto refusal = OutputRefusal(path)) {
          return Usage("--output " + path + ": " + *refusal);
        }
      }
    }
    if (o_.preview_sheet) {
      if (const auto over = OutputOverSource(*o_.output, o_.file)) {
        return Usage("--output would write over the file to print, " + *over);
      }
      if (const auto refusal = OutputRefusal(*o_.output)) {
        return Usage("--output " + *o_.output + ": " + *refusal);
      }
    } else if (!is_pdf && o_.output) {
      return Usage("--output is for \"" + io_.pdf_printer_name + "\" only; the printer is \"" +
                   surface.DeviceName() + "\"");
    }
    if (is_pdf && (o_.copies || !o_.job_options.empty())) {
      return Usage("--copies and --option go to a printer queue; \"" + io_.pdf_printer_name +
                   "\" takes neither");
    }
    if (!is_pdf && io_.set_job_options) io_.set_job_options(JobOptions());
    if (o_.paper) {
      const int code = PaperCodeByName(*o_.paper);
      const std::vector<int> offered = surface.Papers(surface.DeviceName()).offered;
      if (std::find(offered.begin(), offered.end(), code) == offered.end()) {
        return Usage("\"" + surface.DeviceName() + "\" has no paper called \"" + *o_.paper +
                     "\"; its papers are: " + PaperList(offered));
      }
      surface.SetPaperSize(code);
    }
    return kExitPrinted;
  }

  // --copies and --option as CUPS job options. Copies of a booklet are whole booklets, so
  // they come collated unless an --option says otherwise.
  std::vector<std::pair<std::string, std::string>> JobOptions() const {
    std::vector<std::pair<std::string, std::string>> options;
    if (o_.copies) {
      options.emplace_back("copies", std::to_string(*o_.copies));
      if (*o_.copies > 1) {
        options.emplace_back("multiple-document-handling", "separate-documents-collated-copies");
      }
    }
    options.insert(options.end(), o_.job_options.begin(), o_.job_options.end());
    return options;
  }

  void NoteFontSubstitution() {
    if (!o_.font_name || o_.quiet) return;
    std::string used = p_.surface().FontName();
    if (!SameIgnoringCase(used, *o_.font_name)) {
      status_.EndLine();
      err_ << "the font \"" << *o_.font_name << "\" is printed as \"" << used << "\"\n";
    }
  }

  // The picture of one sheet instead of printing: nothing goes to the printer.
  int Preview(long sheet) {
    const long count = PreviewSheetCount(p_);
    if (sheet > count) {
      return Usage("--preview " + std::to_string(sheet) + ": the job has " +
                   std::to_string(count) + (count == 1 ? " sheet" : " sheets"));
    }
    const SheetPicture drawn = DrawSheet(p_, sheet, kPreviewDotsPerInch);
    if (drawn.failure) {
      p_.prompt().Show(drawn.failure->description);
      return ExitStatusOf(Outcome::PrinterFailed(drawn.failure));
    }
    const Picture& picture = drawn.picture;
    std::string failure = "the printer \"" + p_.surface().DeviceName() + "\" draws no pictures";
    if (!picture.pixels.empty() && io_.write_picture &&
        io_.write_picture(picture, *o_.output, failure)) {
      if (!o_.quiet) err_ << DescribeSheet(p_, sheet) << '\n' << std::flush;
      return kExitPrinted;
    }
    p_.prompt().Show("--output " + *o_.output + ": " + failure);
    return ExitStatusOf(Outcome::PrinterFailed());
  }

  int Print() {
    TempFile to_output;  // the PDF on its way to standard output
    if (output_ == "-") {
      const std::string folder = temp_files_.Folder();
      std::string error = "no temp folder to write to";
      if (!folder.empty()) to_output.path = temp_files_.MakeFile(folder, "q2out", &error);
      if (to_output.path.empty()) {
        err_ << "the PDF for standard output cannot be made in the temp folder: " << error
             << '\n';
        return kExitPrinterFailed;
      }
    }
    const std::string pdf = output_ == "-" ? to_output.path : output_.value_or("");
    if (!pdf.empty() && io_.set_pdf_output) io_.set_pdf_output(pdf);
    status_.SetUnit(p_.settings().Layout == kLayoutBooklet ? "sheets" : "pages");
    const Outcome printed = PrintNow(p_);
    status_.EndLine();
    const int status = ExitStatusOf(printed);
    if (status == kExitPrinted && output_ == "-" && io_.copy_to_output) {
      if (const auto failure = io_.copy_to_output(to_output.path)) {
        err_ << *failure << '\n';
        return kExitPrinterFailed;
      }
    }
    return status;
  }

  CommandIo& io_;
  const PrintOptions& o_;
  std::size_t file_count_;
  std::optional<std::string> output_;  // where "Print to PDF" writes this run's job 1
  TempFile input_;                     // standard input's copy
  std::ostream& err_;
  TerminalStatus status_;
  TerminalPrompt prompt_;
  MemoryControls window_;
  SystemTempFiles temp_files_;
  Program p_;
};

}  // namespace

int RunPrintCommand(const std::vector<std::string>& args, CommandIo& given) {
  PrefixedLines prefixed(*given.err, std::string(kCommandName) + ": ");
  std::ostream err(&prefixed);
  CommandIo io = given;
  io.err = &err;
  ParsedCommandLine parsed = ParsePrintOptions(args);
  if (parsed.error.empty() && parsed.options.files.empty() && !parsed.options.help &&
      !parsed.options.version) {
    // Text piped in is printed; a terminal is not read from unless "-" asks for it.
    if (io.input_is_terminal) {
      parsed.error = "no FILE to print was given";
    } else {
      parsed.options.files.push_back("-");
    }
  }
  if (!parsed.error.empty()) {
    err << parsed.error << "\nTry '" << kCommandName << " --help' for more information.\n";
    return kExitBadUsage;
  }
  if (parsed.options.help) {
    *io.out << UsageText();
    return kExitPrinted;
  }
  if (parsed.options.version) {
    *io.out << kCommandName << " " << QUIREON2_VERSION << '\n';
    return kExitPrinted;
  }
  int status = kExitPrinted;
  for (const std::string& file : parsed.options.files) {
    PrintOptions options = parsed.options;
    options.file = file;
    const int printed = Command(io, options, parsed.options.files.size()).Run();
    if (printed == kExitPrinted) continue;
    if (printed != kExitSourceFailed) return printed;
    status = printed;  // the other FILEs still print
  }
  return status;
}

}  // namespace quireon2
