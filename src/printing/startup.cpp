// Start-up and shutdown: the settings, the printer check, the layout metrics.
#include "printing/startup.h"

#include <optional>
#include <string>

#include "interfaces/printer_surface.h"
#include "interfaces/prompt.h"
#include "settings/capability.h"
#include "settings/runtime_failure.h"
#include "settings/settings_file.h"
#include "settings/text_helpers.h"
#include "textprep/layout_metrics.h"
#include "textprep/prep_run.h"

namespace quireon2 {

namespace {

// A printer must be selected, pass the caller's checks and be suitable. Nothing when it
// is; otherwise how start-up ends.
std::optional<StartupResult> CheckPrinter(Program& p, const StartupSteps& steps) {
  PrinterSurface& surface = p.surface();
  if (TrimBlanks(surface.DeviceName()).empty()) {
    p.prompt().Show("you do not have a printer selected please add a printer and rerun Quireon2");
    return StartupResult::kNoPrinter;
  }
  if (steps.check_printer && !steps.check_printer()) return StartupResult::kStopped;
  while (PrinterUnsuitable(p)) {
    const std::string refusal =
        "Your printer " + surface.DeviceName() + " does not support features Quireon2 needs.";
    if (!steps.replace_unsuitable_printer) {
      p.prompt().Show(refusal);
      return StartupResult::kUnsuitablePrinter;
    }
    if (p.prompt().Ask(refusal + " Select yes to choose another printer, No to exit",
                       Buttons::kYesNo) != Answer::kYes ||
        !steps.replace_unsuitable_printer()) {
      return StartupResult::kUnsuitablePrinter;
    }
  }
  return std::nullopt;
}

}  // namespace

StartupResult StartUp(Program& p, const StartupSteps& steps) {
  try {
    if (steps.check_printer_before_settings) {
      if (const auto end = CheckPrinter(p, steps)) return *end;
    }
    p.surface().SetScaleMode(1);
    LoadSettings(p);
    const std::string saved = p.settings().LastPrinter;
    const std::string used = p.surface().DeviceName();
    if (steps.choose_printer && !steps.choose_printer()) return StartupResult::kStopped;
    // The saved printer is gone or cannot be reached: say so, unless the caller chose
    // another printer anyway.
    if (!TrimBlanks(saved).empty() && !TrimBlanks(used).empty() && saved != used &&
        p.surface().DeviceName() == used) {
      p.prompt().Show("The saved printer \"" + saved + "\" is not available; \"" + used +
                      "\" is used instead.");
    }
    if (!steps.check_printer_before_settings) {
      if (const auto end = CheckPrinter(p, steps)) return *end;
    }
    // A refused metric the computation went on past counts as a failure too.
    const Outcome measured = ComputeLayoutMetrics(p, 0);
    SetOptions(p);
    if (measured.failure && measured.failure->number == kOverflow) {
      return StartupResult::kSettingsOverflow;
    }
    return measured.ok() && !measured.failure ? StartupResult::kReady
                                              : StartupResult::kMetricsFailed;
  } catch (const RuntimeError& error) {
    if (steps.show_failures) ReportError(p, error.failure());
    return StartupResult::kPrinterFailed;
  }
}

void ShutDown(Program& p, bool save_settings) {
  // The program is ending and no window is left to speak in: a step that fails must not
  // keep the next from running, above all the save of the settings.
  try {
    DeleteLineFile(p);
  } catch (const RuntimeError&) {
    // A line file that cannot be removed now is removed at the next start (LastTempFile).
  }
  if (!save_settings) return;
  try {
    GetOptions(p);
  } catch (const RuntimeError&) {
    // The record keeps the values it had; they are saved as they stand.
  }
  try {
    SaveSettings(p);
  } catch (const RuntimeError&) {
    // The settings file stays as it was: its writer replaces it whole or not at all.
  }
}

}  // namespace quireon2
