// The papers of the program's paper table by the names people know them by: the name CUPS
// and the printer dialog use ("A4", "Letter") and the dialog's caption for each.
#pragma once

#include <cctype>
#include <string>

namespace quireon2 {

struct PaperName {
  int code;             // PaperCode
  const char* name;
  const char* caption;  // the printer dialog's entry
};

// Letter and A4 lead, as the dialog has always listed them.
inline constexpr PaperName kPaperNames[] = {
    {1, "Letter", "Letter 8 1/2 x 11 in"},
    {9, "A4", "A4 210 x 297 mm"},
    {5, "Legal", "Legal 8 1/2 x 14 in"},
    {11, "A5", "A5 148 x 210 mm"},
    {7, "Executive", "Executive 7 1/4 x 10 1/2 in"},
    {3, "Tabloid", "Tabloid 11 x 17 in"},
    {8, "A3", "A3 297 x 420 mm"},
    {12, "B4", "B4 (JIS) 257 x 364 mm"},
    {13, "B5", "B5 (JIS) 182 x 257 mm"},
};

// The code of a paper name in any letter case, or 0 for a name outside the table.
inline int PaperCodeByName(const std::string& name) {
  for (const PaperName& paper : kPaperNames) {
    const std::string known = paper.name;
    bool same = known.size() == name.size();
    for (std::size_t i = 0; same && i < name.size(); ++i) {
      same = std::tolower(static_cast<unsigned char>(name[i])) ==
             std::tolower(static_cast<unsigned char>(known[i]));
    }
    if (same) return paper.code;
  }
  return 0;
}

}  // namespace quireon2
