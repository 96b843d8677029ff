#include "platform/output_path.h"

#include <filesystem>

namespace quireon2 {

std::string NumberedPath(const std::string& path, int n) {
  if (n <= 1) return path;
  const std::filesystem::path p(path);
  const std::string name = p.stem().string() + "-" + std::to_string(n) + p.extension().string();
  return (p.parent_path() / name).string();
}

}  // namespace quireon2
