// The pure formatting behind the line file: character boundaries of UTF-8 text, tab
// expansion and the word wrap of one chunk by measured printed width.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace quireon2 {

// Printed width of a text in whole twips.
using WidthFunction = std::function<long long(std::string_view)>;

// Length in bytes of the valid UTF-8 sequence that starts at text[i]; 1 for any other
// byte (which then stands for one Windows-1252 character).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i);

// True when byte position `i` (0..size) does not fall inside a valid UTF-8 sequence, so
// the text may be cut there without splitting a character.
bool IsCharBoundary(std::string_view text, std::size_t i);

// Appends `text` to `out` with every tab replaced by `tab_width` blanks (none for 0).
void AppendExpandedTabs(std::string_view text, int tab_width, std::string& out);

// Appends the printed lines of one chunk to `out`. Pieces of `chars_per_line` bytes
// (at least 1; a piece never ends inside a character) are cut back by `width` until they
// fit `cell_width` twips: at the last blank while there is one, else by one character.
// A printed line gets CR LF unless it is a full piece that fits, which the next piece
// continues. A character wider than the whole cell still gets a line of its own.
void WrapChunk(std::string_view chunk, long long chars_per_line, long long cell_width,
               const WidthFunction& width, std::string& out);

}  // namespace quireon2
