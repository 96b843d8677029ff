// Paper sizes: the printer paper codes the program speaks (1 Letter, 9 A4, ...), their
// sizes and CUPS media names, and the system's default paper.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quireon2 {

// A sheet in portrait, in points, with the margins the printer cannot print on.
struct Paper {
  std::string media;  // CUPS (PWG) media name, e.g. "iso_a4_210x297mm"
  double width_points = 0;
  double height_points = 0;
  double left_points = 0, right_points = 0, top_points = 0, bottom_points = 0;
};

// The paper code a custom or unknown size reads back as.
inline constexpr int kPaperCustom = 256;

// The codes of the paper table, smallest first.
std::vector<int> PaperCodes();

// The paper of a paper code (no margins), or nothing for a code outside the table.
std::optional<Paper> PaperForCode(int code);

// The paper code of a sheet of this size in hundredths of a millimetre (CUPS's unit),
// within half a millimetre; kPaperCustom when no code fits.
int PaperCodeForSize(int width_hmm, int length_hmm);

// The paper of the locale that names the user's paper (LC_ALL, else LC_PAPER, else LANG):
// the locale's own paper size where it is installed, else the paper of its territory
// (Letter in the Americas that use it, A4 elsewhere); 0 for "C", "POSIX" or no locale.
int LocalePaperCode();

// The paper code of a paper by its size (kPaperCustom when no code fits).
int PaperCodeOf(const Paper& paper);

// The printable area of a sheet, in points: the page as the program draws it, portrait or
// turned to landscape.
struct PageArea {
  double page_width = 0, page_height = 0;
  double left = 0, top = 0;
  double width = 0, height = 0;
};
PageArea PageAreaOf(const Paper& paper, bool landscape);

// The system's default paper: $PAPERSIZE, else the locale's paper, else the first word of
// /etc/papersize, else A4. `papersize_file` is the file to read (the system's by default).
int SystemPaperCode(const std::string& papersize_file = "/etc/papersize");

}  // namespace quireon2
