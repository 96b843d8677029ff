// The pure formatting behind the line file: character boundaries of UTF-8 text, tab
// expansion and the word wrap by measured printed width.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

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

// Tab stops every `tab_width` columns, counted from the start of each source line (a line
// starts after LF): a tab becomes the blanks up to the next stop, at least one; with a
// width of 0 tabs disappear. A character is one column, a combining diacritical mark none.
// The text may come in chunks cut anywhere, even inside a character.
class TabStops {
 public:
  explicit TabStops(int tab_width);
  // Appends `text`, which follows all text added so far, with its tabs expanded; the
  // start of a character the chunk cuts is held back.
  void Append(std::string_view text, std::string& out);
  // Appends what is held back: the end of the text.
  void Finish(std::string& out);

 private:
  std::size_t tab_width_;
  std::size_t column_ = 0;
  std::string held_;  // the start of a character cut by the end of the last chunk
  std::string joined_;
};

// The word wrap by measured printed width. Pieces of `chars_per_line` bytes (at least 1; a
// piece never ends inside a character) are cut back by `width` until they fit `cell_width`
// twips: at the last blank while there is one, else by characters. A printed line gets
// CR LF unless it is a full piece that fits, which the next piece continues; when the next
// piece's first word does not fit the rest of that line, the line ends at its own last
// blank and the word starts the next one. A character wider than the whole cell still gets
// a line of its own.
//
// The text may come in chunks of any size, cut anywhere: the printed lines never depend on
// where the chunks end. The open printed line and a piece that the text so far cuts short
// are held back until more text, or the end, decides them.
class LineWrap {
 public:
  LineWrap(long long chars_per_line, long long cell_width, WidthFunction width);

  // Wraps `text`, which follows all text added so far; appends the printed lines that are
  // finished to `out`.
  void Add(std::string_view text, std::string& out);
  // Wraps all that is held back as the end of the text.
  void Finish(std::string& out);

 private:
  void Wrap(bool at_end, std::string& out);
  // The length of the piece to take at its last blank that makes it fit; 0 when none
  // does, with `last_tried` set to the shortest length tried.
  std::size_t FitAtBlank(std::string_view piece, long long avail, std::size_t& last_tried);
  // The longest start of the next piece, shorter than `upto` bytes, that fits.
  std::size_t FitByCharacters(std::size_t upto, long long avail);
  // Writes the open printed line up to `end`, ended by CR LF unless it ends with one.
  void EndLine(std::size_t end, std::string& out);

  std::size_t piece_chars_;
  long long cell_width_;
  WidthFunction width_;
  std::string text_;            // the held-back text, from line_start_ on
  std::size_t line_start_ = 0;  // where the open printed line starts in text_
  std::size_t p_ = 0;           // where the next piece starts in text_
  long long indent_ = 0;        // printed width of the full pieces on the open line
  std::vector<std::size_t> candidates_;  // lengths to try, kept to save allocations
};

}  // namespace quireon2
