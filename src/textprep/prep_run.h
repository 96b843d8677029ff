// The preparation run behind the Print button: the options read back from the window, the
// temporary line file written and cut into pages, and the totals shown.
#pragma once

#include <string>

#include "settings/outcome.h"
#include "settings/program_state.h"

namespace quireon2 {

// Reads the window's options into the settings and gives the printer the current layout's
// font size and orientation, then updates the font preview. A failure has been shown
// through ReportError and is a printer failure.
Outcome SetAll(Program& p);

// The whole preparation run: success when the line file was made and counted (carrying a
// refused text metric it went on past); otherwise how it stopped early, any message shown.
// An empty Text1 box stops it without a message.
Outcome PrePrint1(Program& p);

// Finds the pages of the line file (see PageScanner): fills PageStart and TotalPages,
// using PageLines lines a page and form feeds as page ends, and stops at MaxPages with a
// message. False (after a message naming the file and the system's reason) when the line
// file cannot be read or MaxPages lies outside 1..32766.
bool IndexLineFile(Program& p);

// Shows TotalPages, SheetCount, the sheets per signature (SigCount from the SigNum box),
// the printer and the current layout's font in the status sink.
void UpdateCounts(Program& p);

// How the settings have tabs printed, for the status window: "printed as they are",
// "5 blanks each" or "stops every 8 columns".
std::string TabRule(const Settings& s);

// Deletes the line file unless it is the source itself, and empties LineFilePath. False
// when the file existed and could not be deleted.
bool DeleteLineFile(Program& p);

}  // namespace quireon2
