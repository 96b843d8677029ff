// The preparation run behind the Print button: the options read back from the window, the
// temporary line file written and cut into pages, and the totals shown.
#pragma once

#include "settings/program_state.h"

namespace quireon2 {

// Reads the window's options into the settings and gives the printer the current layout's
// font size and orientation, then updates the font preview. 0 on success, otherwise the
// failure number that ReportError returned (its message has been shown).
int SetAll(Program& p);

// The whole preparation run. True when the line file was made and counted; false when it
// stopped early (any message has been shown).
bool PrePrint1(Program& p);

// Finds the pages of the line file: fills PageStart and TotalPages, using PageLines lines
// a page and form feeds as page ends, and stops at MaxPages with a message. A form feed
// followed by nothing but line ends and blanks closes the last page and starts none.
void IndexPages(Program& p);
// The same, answering false (after a message naming the file and the system's reason)
// when the line file cannot be read or MaxPages lies outside 1..32766.
bool IndexLineFile(Program& p);

// Shows TotalPages, SheetCount, the sheets per signature (SigCount from the SigNum box),
// the printer and the current layout's font in the status sink.
void UpdateCounts(Program& p);

// Deletes the line file unless it is the source itself, and empties LineFilePath. False
// when the file existed and could not be deleted.
bool DeleteLineFile(Program& p);

}  // namespace quireon2
