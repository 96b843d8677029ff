// The printer capability check and the common failure message.
#include "settings/capability.h"

#include "interfaces/main_window_controls.h"
#include "interfaces/printer_surface.h"
#include "interfaces/prompt.h"

namespace quireon2 {
namespace {

// A query the driver fails with a raised failure counts as "no answer", like -1.
int Ask(PrinterSurface& surface, const SettingsState& state, int query) {
  try {
    return surface.DeviceCapabilities(state.checked_device_name, state.checked_port, query);
  } catch (const RuntimeError&) {
    return -1;
  }
}

}  // namespace

bool PrinterUnsuitable(Program& p) {
  PrinterSurface& surface = p.surface();
  SettingsState& state = p.settings_state;
  state.checked_device_name = surface.DeviceName();
  state.checked_port = surface.Port();

  int two_sided = Ask(surface, state, kCapabilityDuplex);
  // A driver that cannot answer counts as two-sided; the option's selection never changes.
  if (two_sided == 0) {
    p.window().EnablePrinterMode(2, false);
  } else if (p.settings().DoBook != 0) {
    p.window().EnablePrinterMode(2, true);
  }

  int landscape = Ask(surface, state, kCapabilityOrientation);
  // Only a clear "no landscape" refuses the printer; a driver failure (-1) lets it pass.
  return landscape == 0;
}

int ReportError(Program& p, const RuntimeFailure& failure) {
  if (failure.number == kInvalidPropertyValue) {
    p.prompt().Show("Your Printer - " + p.surface().DeviceName() +
                    " does not support features needed for Quireon2. Please select another "
                    "printer");
  } else {
    p.prompt().Show("Error: " + failure.description);
  }
  return failure.number;
}

}  // namespace quireon2
