// Drawing one page of the line file into one cell of the sheet side being printed: its
// outline, header, lines of text and footer. Reads the layout record of Layout, CellIndex,
// PageStart and the header, footer and outline settings.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "interfaces/printer_surface.h"
#include "settings/program_state.h"

namespace quireon2 {

// The line file of a run, open for reading by byte position while the run lasts and
// closed when the object goes. Failures are raised as RuntimeError (53 for a missing file,
// 75 when it cannot be opened, 57 when a read fails); the run that owns it catches them.
class LineFileReader {
 public:
  explicit LineFileReader(const std::string& path);
  ~LineFileReader();
  LineFileReader(const LineFileReader&) = delete;
  LineFileReader& operator=(const LineFileReader&) = delete;

  // `length` bytes from the 1-based `position`; fewer only where the file ends.
  std::string Read(long position, long length);
  void Close();

 private:
  std::FILE* file_ = nullptr;
};

// The characters after the last '/' of `path`, or the whole path when it holds none.
std::string FileTitle(const std::string& path);

// A page's text split into its printed lines: a line ends at CR LF, at a lone LF or at
// character 26 (the break is not printed); a break at the very end starts no further line.
std::vector<std::string_view> SplitPageLines(std::string_view text);

// The part of a page's text before its first form feed.
std::string_view CutAtFormFeed(std::string_view text);

// The outline colour Linecolor selects; black for a value outside 0..15.
Rgb OutlineColour(long linecolor);

// How far below the cell origin the page text starts: two line heights under a header.
long HeaderOffset(const Program& p);

// Draws page `page` into cell CellIndex of the current side from the open line file; a page
// without text leaves the cell blank (no outline, header or footer). Ends no page or job.
void RenderPage(Program& p, LineFileReader& file, long page);

// Prints the lines of `text` from (x, y) down, one line height apart, letting window
// events run after each; on return y is below the last line.
void PrintPageText(Program& p, long x, long& y, std::string_view text);

// The header (which = 0) or footer (which = 1) of page `page` in cell CellIndex: file
// name centred, page label and date at the edges, and their rules.
void PrintHeaderFooter(Program& p, long page, int which);

// The outline of cell CellIndex, BoxToText outside the cell, `weight` pixels wide (at
// least 1) in the Linecolor colour.
void DrawOutline(Program& p, int weight);

}  // namespace quireon2
