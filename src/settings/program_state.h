// The values the program's routines share, grouped by the folder whose routines own them,
// and the services they reach the outside world through. The program (or a test) makes one
// Program and hands it to every routine, so nothing is hidden in globals.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace quireon2 {

class PrinterSurface;
class Prompt;
class MainWindowControls;
class StatusSink;
class TempFiles;

using Integer = std::int16_t;  // 16-bit signed, as the stored settings and counts are
using Long = std::int32_t;

inline constexpr char kProgramName[] = "Quireon2";
inline constexpr char kLineEnd[] = "\r\n";
inline constexpr char kDefaultFont[] = "Times New Roman";

enum LayoutCode : int { kLayout1Up = 0, kLayout2Up = 1, kLayout4Up = 2, kLayoutBooklet = 3 };

// Each layout's font size, points, until the settings file or the font dialog changes it.
inline constexpr std::array<Integer, 4> kDefaultFontSizes = {8, 6, 4, 8};

// Every option of the program, each named by its key in the settings file.
struct Settings {
  Integer HCurDate = 0;
  Integer HFileTitle = 0;
  Integer HPgNumber = 0;
  Integer FCurDate = 0;
  Integer FFileTitle = 0;
  Integer FPgNumber = 0;
  Integer LineLen = 80;
  Integer WidthFudge = 10;
  Integer TCount = 5;
  Long MaxPages = 2024;
  Integer DoSig = 0;
  Integer ExpandTab = 1;
  Integer TabStops = 0;  // expanded tabs go to the next multiple of TCount columns
  Integer WordWrap = 1;
  Integer PrinterMode = 1;
  Integer Layout = kLayoutBooklet;
  Integer DoBox = 0;
  Integer DoBook = 1;
  Integer Lineweight = 1;
  Long Linecolor = 0;
  Integer OffsetTop = 0;
  Integer OffsetLeft = 0;
  Integer OffsetRight = 0;
  Integer OffsetBottom = 0;
  Integer XEdgeBorder1 = 720;
  Integer YEdgeBorder1 = 720;
  Integer XEdgeBorder2 = 720;
  Integer YEdgeBorder2 = 720;
  Integer XEdgeBorder4 = 720;
  Integer YEdgeBorder4 = 720;
  Integer BookletGutter = 1440;
  Integer TwoUpGutter = 1440;
  Integer FourUpGutter = 1440;
  Integer BoxToText = 270;
  float LineMultiple = 1.25f;
  std::string TextFile;
  std::string CurrentFont = kDefaultFont;
  Integer DefTab = 0;
  Integer DoPath = 1;
  std::string LastPrinter;

  // Derived: whether the header or footer has any content.
  Integer DoHeader = 0;
  Integer DoFooter = 0;
};

// One layout's font and geometry. Entry 4 of the table is spare.
struct LayoutRecord {
  Integer font_size = 0;    // points
  Integer line_height = 0;  // twips
  Integer cell_count = 0;
  std::array<Long, 5> x{};  // cell origins, index 1..4, twips
  std::array<Long, 5> y{};
  Integer orientation = 0;  // 1 portrait, 2 landscape
  Long cell_height = 0;     // twips
  Long cell_width = 0;
  std::string font_name;
};

// Values owned by the settings and start-up routines.
struct SettingsState {
  Settings settings;
  std::array<LayoutRecord, 5> layouts;
  std::string ini_path;
  std::string help_path;
  std::string today;           // MM-DD-YYYY, taken once at start-up
  std::string last_temp_file;  // LastTempFile as read at start-up
  Integer print_font_size = 0;  // the current print font size, points
  Integer paper_size = 1;       // paper code chosen in the printer dialog or read back
  std::string checked_device_name;  // the printer the capability check last examined
  std::string checked_port;

  SettingsState();
};

// Values owned by the text preparation.
struct PrepState {
  Integer CharWidth = 0;
  Integer CharsPerLine = 0;
  Integer LinesPerPage = 0;
  Integer PrintOrientation = 0;
  std::string LineFilePath;
  std::vector<Long> PageStart;  // index 0..MaxPages + 1
  Long TotalPages = 0;
  Integer SheetCount = 0;
  Integer PageLines = 0;
  // The name headers, footers and the job's title give the text instead of the file's own
  // (text read from a pipe has none worth showing); empty: the file's.
  std::string ShownName;
};

// Values owned by the print runs.
struct PrintState {
  Integer CellIndex = 1;
  Integer SigCount = 0;
  Integer SheetsPerSig = 0;
  Integer LeftPage = 0;
  Integer RightPage = 0;
  // Only these sheets of a booklet (counted through its signatures) or these pages of 1, 2
  // and 4 up print, each where the whole run puts it, in the run's order: ranges first to
  // last, from 1. Empty: everything prints.
  std::vector<std::pair<Long, Long>> Chosen;
};

// What the routines reach the outside world through. None is owned here.
struct Services {
  PrinterSurface* surface = nullptr;
  Prompt* prompt = nullptr;
  MainWindowControls* window = nullptr;
  StatusSink* status = nullptr;
  TempFiles* temp_files = nullptr;
};

struct Program {
  SettingsState settings_state;
  PrepState prep;
  PrintState print;
  Services io;

  Settings& settings() { return settings_state.settings; }
  const Settings& settings() const { return settings_state.settings; }
  PrinterSurface& surface() { return *io.surface; }
  Prompt& prompt() { return *io.prompt; }
  MainWindowControls& window() { return *io.window; }
  StatusSink& status() { return *io.status; }
  TempFiles& temp_files() { return *io.temp_files; }
};

// The record of the current layout, settings().Layout. The loader and the layout controls
// keep Layout within kLayout1Up..kLayoutBooklet; any other value raises Subscript out of
// range.
LayoutRecord& CurrentLayout(Program& p);
const LayoutRecord& CurrentLayout(const Program& p);

}  // namespace quireon2
