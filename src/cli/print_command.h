// quireon2-print without its process: reads the command line, runs the same preparation
// and print runs as the window with the terminal as status line and message box, and
// gives the exit status. main() only supplies the real printer surface and terminal.
#pragma once

#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "cli/print_options.h"
#include "interfaces/printer_surface.h"
#include "interfaces/prompt.h"
#include "settings/memory_controls.h"
#include "settings/program_state.h"

namespace quireon2 {

enum ExitStatus : int {
  kExitPrinted = 0,      // printed, or counted with --count
  kExitBadUsage = 1,     // the command line cannot be used
  kExitSourceFailed = 2, // the source file could not be used or prepared
  kExitPrinterFailed = 3,  // the printer failed or refused a setting
  kExitCancelled = 4,    // cancelled at the prompt between the two sides
};

// What the command reaches the outside world through.
struct CommandIo {
  PrinterSurface* surface = nullptr;
  std::ostream* out = nullptr;  // --help, --version, --count
  std::ostream* err = nullptr;  // status, progress, messages
  std::istream* in = nullptr;   // standard input, read for the FILE "-"
  // Shows the message boxes instead of the terminal (another front end; a test).
  Prompt* prompt = nullptr;
  bool err_is_terminal = false;
  bool input_is_terminal = false;  // Enter echoes a line end
  // Waits for Enter at the paper-handling prompt: true on Enter, false at end of input or
  // on an interrupt.
  std::function<bool()> wait_for_enter;
  // Tells the built-in PDF printer where job 1 of the run goes.
  std::function<void(const std::string& path)> set_pdf_output;
  // Whether the print service answers; asked when the printer named on the command line
  // is not in the list. Unset: it is taken to answer.
  std::function<bool()> print_service_running;
  // Writes the file at `path` to standard output (the PDF of "-o -"); the reason when it
  // cannot, which names what failed.
  std::function<std::optional<std::string>(const std::string& path)> copy_to_output;
  // Gives the printer the job options of the run's jobs (--copies, --option).
  std::function<void(const std::vector<std::pair<std::string, std::string>>& options)>
      set_job_options;
  // Writes a sheet's picture (--preview) to a PNG file; false with the reason in `failure`.
  std::function<bool(const Picture& picture, const std::string& path, std::string& failure)>
      write_picture;
  std::string pdf_printer_name = "Print to PDF";
  std::string settings_path;  // the program's settings file, used without --settings
  std::string today;          // MM-DD-YYYY, for headers and footers
};

// The command-line choices on top of the settings already put into `window`: into the
// controls, which the preparation run reads back, and into Layout, PrinterMode, DoBox,
// PrintOrientation and the chosen layout's font, which the window's rules keep current.
void ApplyPrintOptions(Program& p, MemoryControls& window, const PrintOptions& options);

// Makes the printer called `name` current, matched without regard to case when no printer
// has the very name. False when no installed printer has it.
bool SelectPrinterByName(PrinterSurface& surface, const std::string& name);

// Runs the command for `args` (the arguments after the program name) and returns the exit
// status. Each FILE is a run of its own, one after another; a FILE that cannot be used is
// passed over (status 2 at the end), any other failure stops the command. Every line on
// `err` begins with the command's name. The settings file is read, never written.
int RunPrintCommand(const std::vector<std::string>& args, CommandIo& io);

}  // namespace quireon2
