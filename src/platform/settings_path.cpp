// The settings file's location: beside a portable program, else in the user's config folder.
#include "platform/settings_path.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace quireon2 {
namespace {

namespace fs = std::filesystem;

// A folder whose program keeps its settings beside itself: it holds a settings file
// already, or it is a build tree (the build system's cache lies beside the programs).
bool MarkedPortable(const fs::path& folder) {
  std::error_code ec;
  return fs::exists(folder / kSettingsFileName, ec) || fs::exists(folder / "CMakeCache.txt", ec);
}

}  // namespace

bool SameFolder(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  std::error_code ec_a, ec_b;
  fs::path ca = fs::weakly_canonical(a, ec_a);
  fs::path cb = fs::weakly_canonical(b, ec_b);
  if (ec_a || ec_b) return fs::path(a).lexically_normal() == fs::path(b).lexically_normal();
  return ca == cb;
}

std::string UserSettingsFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') return (fs::path(xdg) / "Quireon2").string();
  const char* home = std::getenv("HOME");
  std::string base = (home != nullptr && home[0] != '\0') ? home : "/";
  return (fs::path(base) / ".config" / "Quireon2").string();
}

std::string SettingsFilePath(const std::string& executable_dir,
                             const std::string& installed_bin_dir) {
  bool portable = !executable_dir.empty() && !SameFolder(executable_dir, installed_bin_dir) &&
                  MarkedPortable(executable_dir) && ::access(executable_dir.c_str(), W_OK) == 0;
  if (portable) return (fs::path(executable_dir) / kSettingsFileName).string();
  return (fs::path(UserSettingsFolder()) / kSettingsFileName).string();
}

std::string ExecutableFolder() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return std::string();
  return exe.parent_path().string();
}

std::string InstalledBinFolder() {
#ifdef QUIREON2_INSTALL_BINDIR
  return QUIREON2_INSTALL_BINDIR;
#else
  return std::string();
#endif
}

}  // namespace quireon2
