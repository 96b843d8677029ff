// Shared set-up for the printing tests: fixed cell geometry, a line file written page by
// page, and readable forms of what the recording surface received.
#pragma once

#include <string>
#include <vector>

#include "support/gtest_support.h"

namespace quireon2::testing {

// A program on the fakes with letter paper, 720-twip borders, 1440-twip gutters, 200-twip
// lines and the date 03-14-2024:
//   1 up     cell (720, 720) 10800 x 14400
//   2 up and booklet (landscape) cells x 720 and 8640, y 720, 6480 x 10800
//   4 up     cells x 720 / 6840, y 720 / 8640, 4680 x 6480
// Fails the test on a message the script did not expect.
class PrintJob {
 public:
  PrintJob();
  ~PrintJob();

  // Writes `pages` (each page's bytes as they stand in the line file) to a line file and
  // fills LineFilePath, PageStart, TotalPages, SheetCount, Layout and PrintOrientation.
  void WritePages(const std::vector<std::string>& pages, int layout);

  // One line per job the surface received: "job J: SIDE, SIDE, ..." where a side lists the
  // texts in the order drawn, or "blank"; a dropped job ends with " aborted".
  std::string Transcript() const;

  TestProgram t;
  Program& p = t.program;
  ScratchDir dir;
};

// n pages whose text is "1\r\n", "2\r\n", ...
std::vector<std::string> NumberedPages(int n);

// A text, line or box call as one line ('Print "text" at x,y', 'Box x,y to x2,y2 weight w',
// a colour named only when it is not black); nothing for any other call.
std::string Drawing(const SurfaceCall& call);

}  // namespace quireon2::testing
