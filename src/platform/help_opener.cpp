// Where the help page is found, and handing it to the desktop's viewer.
#include "platform/help_opener.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>
#include <filesystem>
#include <system_error>

#include "platform/settings_path.h"

namespace quireon2 {

namespace fs = std::filesystem;

std::string HelpFilePath(const std::string& executable_dir, const std::string& installed_bin_dir,
                         const std::string& installed_help_dir) {
  if (SameFolder(executable_dir, installed_bin_dir) && !installed_help_dir.empty()) {
    return (fs::path(installed_help_dir) / kHelpFileName).string();
  }
  fs::path beside = fs::path(executable_dir) / kHelpFileName;
  // A program installed under another prefix finds its page in that prefix's share folder.
  fs::path shared = (fs::path(executable_dir) / ".." / "share" / "quireon2" / kHelpFileName)
                        .lexically_normal();
  std::error_code ec;
  if (!fs::exists(beside, ec) && fs::exists(shared, ec)) return shared.string();
  return beside.string();
}

std::string InstalledHelpFolder() {
#ifdef QUIREON2_INSTALL_HELPDIR
  return QUIREON2_INSTALL_HELPDIR;
#else
  return std::string();
#endif
}

bool OpenHelp(const std::string& help_path) {
  std::error_code ec;
  if (!fs::is_regular_file(help_path, ec)) return false;
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(help_path)));
}

}  // namespace quireon2
