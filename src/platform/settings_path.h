// Where the program's settings file lives: beside the executable in a build tree or a
// copied folder, else in the user's configuration folder. Qt-free, so the window and the
// terminal command share one rule.
#pragma once

#include <string>

namespace quireon2 {

inline constexpr char kSettingsFileName[] = "Quireon2.ini";

// The settings file for an executable in `executable_dir`. A portable copy, one run from
// its build tree (CMakeCache.txt beside it) or from a writable folder that already holds
// Quireon2.ini, uses <executable_dir>/Quireon2.ini. Any other, and always one in
// `installed_bin_dir` (the install prefix's bin folder), is an installed copy and uses
// $XDG_CONFIG_HOME/Quireon2/Quireon2.ini (default ~/.config/Quireon2/), wherever it was
// installed. Reads only; creates nothing.
std::string SettingsFilePath(const std::string& executable_dir,
                             const std::string& installed_bin_dir);

// The user's settings folder: $XDG_CONFIG_HOME/Quireon2 when that variable holds an
// absolute path, else $HOME/.config/Quireon2.
std::string UserSettingsFolder();

// The folder of the running executable (from /proc/self/exe), empty when unknown.
std::string ExecutableFolder();

// The install prefix's bin folder this build was configured with, empty when unknown.
std::string InstalledBinFolder();

// Whether two folder paths name the same folder, so "/usr/bin/" and "/usr/local/../bin"
// match; false when either is empty.
bool SameFolder(const std::string& a, const std::string& b);

}  // namespace quireon2
