// The line file: the formatted copy of the source text that the page count and the print
// runs read. Three writers: a plain copy, a copy with tabs expanded, and the word wrap by
// measured printed width.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "settings/program_state.h"

namespace quireon2 {

// The bytes the word wrap reads from the source at a time.
constexpr std::size_t kWrapChunk = 32768;

// The 1-based position of the last occurrence of `sought` in `text`, 0 when there is none
// (an empty `sought` matches at the last position of a non-empty text).
long FindLast(std::string_view text, std::string_view sought);

// Takes the tab width from the window's TCount box into the TCount setting. False, after a
// message naming the text found, when the box does not hold a whole number from 0 to 99.
bool ReadTabWidth(Program& p);

// Copies the source byte for byte into `line_file`, showing "Making Temp File" and
// progress. False when a file could not be read or written (the message has been shown and
// the partial line file deleted).
bool CopyToLineFile(Program& p, const std::string& source, const std::string& line_file);

// Copies the source into LineFilePath with every tab replaced by TCount blanks, TCount
// taken from the window's box. False (after a message) on a bad TCount or a file failure.
bool ExpandTabsToLineFile(Program& p, const std::string& source);

// Writes the source into `line_file` broken into printed lines that fit the current
// layout's cell, tabs expanded when DoTabEx is checked. False (after a message) on a bad
// TCount or a file failure; an empty source is reported and gives an empty line file (true).
// The source is read `chunk_size` bytes at a time; the lines do not depend on it.
bool WrapToLineFile(Program& p, const std::string& source, const std::string& line_file,
                    std::size_t chunk_size = kWrapChunk);

}  // namespace quireon2
