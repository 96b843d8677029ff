// Whether the current printer can be used, and the program's common message for a
// run-time failure.
#pragma once

#include "settings/program_state.h"
#include "settings/runtime_failure.h"

namespace quireon2 {

// True when the current printer offers no landscape orientation. Enables or disables the
// paper-feed option "Double Side printer only" by the printer's two-sided answer, and
// records the device name and port checked in p.settings_state.
bool PrinterUnsuitable(Program& p);

// Shows the message for `failure` (its own wording for a refused printer setting, 380)
// with an OK button and returns the failure number.
int ReportError(Program& p, const RuntimeFailure& failure);

}  // namespace quireon2
