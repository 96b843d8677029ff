// Start-up and shutdown without windows, shared by the window and the terminal command.
#pragma once

#include <functional>

#include "settings/program_state.h"

namespace quireon2 {

enum class StartupResult {
  kReady,
  kStopped,            // the caller's own printer choice refused to go on (it said why)
  kNoPrinter,          // no printer is selected (the message has been shown)
  kUnsuitablePrinter,  // the printer cannot print what the program makes (message shown)
  // The layout metrics met a printer failure (shown); the options are in the controls all
  // the same.
  kMetricsFailed,
  // A sum of stored borders, gutters or offsets overflows, so no layout can be measured
  // (the message named the settings); the options are in the controls all the same.
  kSettingsOverflow,
  // A printer failure raised on the way; start-up ended where it happened.
  kPrinterFailed,
};

// What differs between the callers.
struct StartupSteps {
  // After the stored settings made the saved printer current: the caller's own choice of
  // printer. False stops start-up (kStopped).
  std::function<bool()> choose_printer;
  // Once a printer is selected, before its capabilities are checked: the caller's own
  // checks of the printer and its paper. False stops start-up (kStopped).
  std::function<bool()> check_printer;
  // The printer cannot print what the program makes: true once the user has chosen
  // another printer (which is checked again), false to stop. Unset: the printer is refused
  // with a message that asks for no choice.
  std::function<bool()> replace_unsuitable_printer;
  // The window's order: the printer checked is the system's current one, before the
  // settings make the saved printer current (which is then not checked). Otherwise the
  // check comes after the settings and the caller's choice, on the printer to be used.
  bool check_printer_before_settings = false;
  // Whether a failure raised on the way is shown. The window's start-up ends silently and
  // shows what was set up so far.
  bool show_failures = true;
};

// Start-up, in order: lengths in twips; the stored settings (which make the saved printer
// current and remove the line file an earlier run left); the caller's printer choice (a
// saved printer that is not available, with no other chosen, is named in a message); the
// printer check (a printer must be selected, pass the caller's checks and be suitable),
// unless it came first; the layout metrics; the stored options into the window's
// controls. Writes nothing.
StartupResult StartUp(Program& p, const StartupSteps& steps);

// Shutdown: deletes the line file (unless it is the source) and, with `save_settings`,
// reads the options back from the controls and saves the settings. Each step runs even
// when the one before it failed; never reports a failure.
void ShutDown(Program& p, bool save_settings);

}  // namespace quireon2
