// The paper table and the system's default paper.
#include "platform/paper.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>

namespace quireon2 {
namespace {

struct PaperRow {
  int code;
  const char* name;   // as libpaper names it
  const char* media;  // PWG media name
  int width_hmm;      // hundredths of a millimetre, portrait
  int length_hmm;
};

constexpr PaperRow kPapers[] = {
    {1, "letter", "na_letter_8.5x11in", 21590, 27940},
    {3, "tabloid", "na_ledger_11x17in", 27940, 43180},
    {5, "legal", "na_legal_8.5x14in", 21590, 35560},
    {7, "executive", "na_executive_7.25x10.5in", 18415, 26670},
    {8, "a3", "iso_a3_297x420mm", 29700, 42000},
    {9, "a4", "iso_a4_210x297mm", 21000, 29700},
    {11, "a5", "iso_a5_148x210mm", 14800, 21000},
    {12, "b4", "jis_b4_257x364mm", 25700, 36400},
    {13, "b5", "jis_b5_182x257mm", 18200, 25700},
};

constexpr double kPointsPerHmm = 72.0 / 2540.0;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

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

int PaperCodeForName(const std::string& name) {
  const std::string wanted = Lower(name);
  for (const PaperRow& row : kPapers) {
    if (wanted == row.name) return row.code;
  }
  return 0;
}

int SystemPaperCode(const std::string& papersize_file) {
  if (const char* env = std::getenv("PAPERSIZE"); env != nullptr && *env != '\0') {
    if (int code = PaperCodeForName(env)) return code;
  }
  std::ifstream file(papersize_file);
  std::string line;
  while (std::getline(file, line)) {
    std::size_t start = line.find_first_not_of(" \t\r");
    if (start == std::string::npos || line[start] == '#') continue;
    std::size_t end = line.find_first_of(" \t\r", start);
    int code = PaperCodeForName(line.substr(start, end == std::string::npos ? end : end - start));
    return code != 0 ? code : 9;
  }
  return 9;
}

}  // namespace quireon2
