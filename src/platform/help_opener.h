// Where the help page lives and how it is shown: the desktop's default viewer.
#pragma once

#include <string>

namespace quireon2 {

inline constexpr char kHelpFileName[] = "quireon2.html";

// The help page for an executable in `executable_dir`: in `installed_help_dir` when the
// program runs from `installed_bin_dir`; else beside it, or in <prefix>/share/quireon2
// when it lies only there (a program installed under another prefix).
std::string HelpFilePath(const std::string& executable_dir, const std::string& installed_bin_dir,
                         const std::string& installed_help_dir);

// The folder the help page is installed to, as this build was configured; empty when
// unknown.
std::string InstalledHelpFolder();

// Hands the page to the desktop's viewer; false when the page is missing or no viewer
// took it.
bool OpenHelp(const std::string& help_path);

}  // namespace quireon2
