// The settings file: loading and saving every option, and moving the options between the
// Settings record, the main window's controls and the printer.
#pragma once

#include <optional>
#include <string>

#include "settings/ini_file.h"
#include "settings/program_state.h"

namespace quireon2 {

// True when the named file can be opened for reading; it is opened and closed again at
// once. False for an empty name, a missing file, a folder or no access.
bool FileExists(const std::string& path);

// Why the named file cannot be read as a source or settings file, for "the file <path> ...":
// "doesn't exist", "is a directory" or "cannot be read: <the system's reason>"; nothing when
// it can be opened for reading.
std::optional<std::string> FileProblem(const std::string& path);

// The settings key of a layout's font size in points ("Layout0" .. "Layout3").
std::string LayoutSizeKey(int layout);

// Reads every key of p.settings_state.ini_path into the settings (a missing or unreadable
// file gives the defaults), sets the TCount box, makes LastPrinter current when it is
// installed and deletes a line file left by an earlier run. Always true.
bool LoadSettings(Program& p);

// Writes every key to p.settings_state.ini_path, replacing the file in one step. True when
// the file was written; false leaves the old file as it was.
bool SaveSettings(Program& p);
// The same, with a hook run just before the new file replaces the old one.
bool SaveSettings(Program& p, const BeforeReplaceHook& before_replace);

// Settings -> window controls (each change runs the control's rule) and printer font.
void SetOptions(Program& p);

// Window controls (and the printer's paper size) -> settings.
void GetOptions(Program& p);

}  // namespace quireon2
