// The paper table and the system's default paper.
#include "platform/paper.h"

#include <langinfo.h>
#include <locale.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "interfaces/paper_names.h"
#include "interfaces/units.h"

namespace quireon2 {
namespace {

struct PaperRow {
  int code;
  const char* media;  // PWG media name
  int width_hmm;      // hundredths of a millimetre, portrait
  int length_hmm;
};

constexpr PaperRow kPapers[] = {
    {1, "na_letter_8.5x11in", 21590, 27940},
    {3, "na_ledger_11x17in", 27940, 43180},
    {5, "na_legal_8.5x14in", 21590, 35560},
    {7, "na_executive_7.25x10.5in", 18415, 26670},
    {8, "iso_a3_297x420mm", 29700, 42000},
    {9, "iso_a4_210x297mm", 21000, 29700},
    {11, "iso_a5_148x210mm", 14800, 21000},
    {12, "jis_b4_257x364mm", 25700, 36400},
    {13, "jis_b5_182x257mm", 18200, 25700},
};

// Territories whose locales print on Letter.
constexpr const char* kLetterTerritories[] = {"US", "CA", "MX", "CL", "CO", "VE", "PH",
                                              "CR", "GT", "PA", "SV", "PR", "NI", "DO"};

// The paper size a locale's LC_PAPER data gives, or 0 when the locale is not installed or
// its size is not in the table.
int InstalledLocalePaper(const std::string& name) {
  locale_t locale = newlocale(LC_PAPER_MASK, name.c_str(), static_cast<locale_t>(nullptr));
  if (locale == static_cast<locale_t>(nullptr)) return 0;
  // The sizes are whole millimetres, handed out in the string pointer's place.
  union {
    const char* text;
    unsigned int mm;
  } width{}, height{};
  width.text = nl_langinfo_l(_NL_PAPER_WIDTH, locale);
  height.text = nl_langinfo_l(_NL_PAPER_HEIGHT, locale);
  const int code = PaperCodeForSize(static_cast<int>(width.mm) * 100,
                                    static_cast<int>(height.mm) * 100);
  freelocale(locale);
  return code == kPaperCustom ? 0 : code;
}

}  // namespace

std::vector<int> PaperCodes() {
  std::vector<int> codes;
  for (const PaperRow& row : kPapers) codes.push_back(row.code);
  return codes;
}

std::optional<Paper> PaperForCode(int code) {
  for (const PaperRow& row : kPapers) {
    if (row.code == code) {
      Paper paper;
      paper.media = row.media;
      paper.width_points = row.width_hmm * kPointsPerHmm;
      paper.height_points = row.length_hmm * kPointsPerHmm;
      return paper;
    }
  }
  return std::nullopt;
}

int PaperCodeForSize(int width_hmm, int length_hmm) {
  for (const PaperRow& row : kPapers) {
    if (std::abs(row.width_hmm - width_hmm) <= 50 && std::abs(row.length_hmm - length_hmm) <= 50) {
      return row.code;
    }
  }
  return kPaperCustom;
}

int LocalePaperCode() {
  std::string name;
  for (const char* variable : {"LC_ALL", "LC_PAPER", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') {
      name = value;
      break;
    }
  }
  if (name.empty() || name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0) return 0;
  if (int code = InstalledLocalePaper(name)) return code;
  // language_TERRITORY.codeset@modifier
  const std::size_t underscore = name.find('_');
  if (underscore == std::string::npos) return 0;
  const std::string territory =
      name.substr(underscore + 1, name.find_first_of(".@", underscore) - underscore - 1);
  if (territory.size() != 2) return 0;
  for (const char* letter : kLetterTerritories) {
    if (territory == letter) return 1;
  }
  return 9;
}

int SystemPaperCode(const std::string& papersize_file) {
  if (const char* env = std::getenv("PAPERSIZE"); env != nullptr && *env != '\0') {
    if (int code = PaperCodeByName(env)) return code;
  }
  if (int code = LocalePaperCode()) return code;
  std::ifstream file(papersize_file);
  std::string line;
  while (std::getline(file, line)) {
    std::size_t start = line.find_first_not_of(" \t\r");
    if (start == std::string::npos || line[start] == '#') continue;
    std::size_t end = line.find_first_of(" \t\r", start);
    int code = PaperCodeByName(line.substr(start, end == std::string::npos ? end : end - start));
    return code != 0 ? code : 9;
  }
  return 9;
}

int PaperCodeOf(const Paper& paper) {
  return PaperCodeForSize(static_cast<int>(std::lround(paper.width_points * kHmmPerPoint)),
                          static_cast<int>(std::lround(paper.height_points * kHmmPerPoint)));
}

PageArea PageAreaOf(const Paper& paper, bool landscape) {
  Paper p = paper;
  if (landscape) {
    // The landscape page lies on the sheet turned a quarter counter-clockwise: its top
    // edge along the sheet's left edge, its left edge along the sheet's bottom.
    p = {p.media, p.height_points, p.width_points,
         p.bottom_points, p.top_points,   // the page's left and right margins
         p.left_points, p.right_points};  // its top and bottom margins
  }
  const double width = p.width_points - p.left_points - p.right_points;
  const double height = p.height_points - p.top_points - p.bottom_points;
  return {p.width_points, p.height_points, p.left_points, p.top_points, width, height};
}

}  // namespace quireon2
