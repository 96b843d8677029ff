// Names of the files "Print to PDF" writes.
#include "platform/output_path.h"

#include <cstdlib>
#include <filesystem>

namespace quireon2 {

std::string NumberedPath(const std::string& path, int n) {
  if (n <= 1) return path;
  const std::filesystem::path p(path);
  const std::string name = p.stem().string() + "-" + std::to_string(n) + p.extension().string();
  return (p.parent_path() / name).string();
}

std::string SuggestedPdfPath(const std::string& document, const std::string& last_folder,
                             int job_number) {
  namespace fs = std::filesystem;
  fs::path suggested;
  if (!document.empty()) {
    suggested = fs::path(document).replace_extension(".pdf");
    if (suggested == fs::path(document)) suggested += ".pdf";
  } else {
    const char* home = std::getenv("HOME");
    std::error_code error;
    fs::path folder = !last_folder.empty() ? fs::path(last_folder)
                      : home != nullptr    ? fs::path(home)
                                           : fs::current_path(error);
    suggested = folder / "Quireon2.pdf";
  }
  return NumberedPath(suggested.string(), job_number);
}

}  // namespace quireon2
