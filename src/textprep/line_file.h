// The line file: the formatted copy of the source text that the page count and the print
// runs read. Three writers: a plain copy, a copy with tabs expanded, and the word wrap by
// measured printed width.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "settings/outcome.h"
#include "settings/program_state.h"

namespace quireon2 {

// The bytes the word wrap reads from the source at a time.
constexpr std::size_t kWrapChunk = 32768;

// Takes the tab width from the window's TCount box into the TCount setting. False, after a
// message naming the text found, when the box does not hold a whole number from 0 to 99.
bool ReadTabWidth(Program& p);

// Copies the source byte for byte into `line_file`, showing "Making Temp File" and
// progress. A source failure when a file could not be read or written (the message has
// been shown and the partial line file deleted).
Outcome CopyToLineFile(Program& p, const std::string& source, const std::string& line_file);

// Copies the source into LineFilePath with every tab replaced by TCount blanks, TCount
// taken from the window's box. A source failure (after a message) on a bad TCount or a file
// failure.
Outcome ExpandTabsToLineFile(Program& p, const std::string& source);

// Writes the source into `line_file` broken into printed lines that fit the current
// layout's cell, tabs expanded when DoTabEx is checked. A source failure (after a message)
// on a bad TCount or a file failure, a printer failure when the printer cannot measure; an
// empty source is reported and gives an empty line file. When the printer refuses the text
// metrics the wrap goes on with the earlier ones and says so in its outcome.
// The source is read `chunk_size` bytes at a time; the lines do not depend on it.
Outcome WrapToLineFile(Program& p, const std::string& source, const std::string& line_file,
                    std::size_t chunk_size = kWrapChunk);

}  // namespace quireon2
