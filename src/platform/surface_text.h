// How the printer surface reads text bytes: valid UTF-8 sequences as their characters, any
// other byte as a Windows-1252 character; and where a text's lines end.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quireon2 {

// Appends the characters (Unicode code points) of `bytes` to `out`: a valid UTF-8 sequence
// (shortest form, no surrogate, at most U+10FFFF) gives its character, every other byte
// the Windows-1252 character of that byte.
void DecodePrinterText(std::string_view bytes, std::u32string& out);

// The lines of a text for measuring and drawing: a line ends at LF, a CR just before the LF
// belongs to the line end; a lone CR is an ordinary character. A line end at the very end
// of the text starts no further line, and an empty text is one empty line.
std::vector<std::string_view> PrinterTextLines(std::string_view text);

}  // namespace quireon2
