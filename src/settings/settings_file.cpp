// Loading and saving the options, and moving them between the settings, the main window's
// controls and the printer.
#include "settings/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>

#include "interfaces/main_window_controls.h"
#include "interfaces/printer_surface.h"
#include "settings/ini_file.h"
#include "settings/number_text.h"
#include "settings/runtime_failure.h"
#include "settings/text_helpers.h"

namespace quireon2 {
namespace {

constexpr long long kIntegerMin = std::numeric_limits<Integer>::min();
constexpr long long kIntegerMax = std::numeric_limits<Integer>::max();
constexpr long long kLongMin = std::numeric_limits<Long>::min();
constexpr long long kLongMax = std::numeric_limits<Long>::max();

// Room for the stored strings, as the buffers they are read into allow.
constexpr std::size_t kPathLimit = 127;
constexpr std::size_t kNameLimit = 63;

std::string LayoutFontKey(int index) {
  return "Layout" + DisplayForm(static_cast<long long>(index)) + " font";
}

// The integer at the start of a stored value: blanks, an optional sign, digits. Text that
// does not begin with a number gives 0. Values too long for any field come back as a
// number outside every field's range.
long long StoredInteger(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  constexpr long long kBeyondAnyField = 1LL << 40;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value < kBeyondAnyField) value = value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

// Cuts `text` to `limit` bytes without splitting a UTF-8 sequence.
std::string CutToLimit(std::string text, std::size_t limit) {
  if (text.size() <= limit) return text;
  std::size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  text.resize(cut);
  return text;
}

// Reads the keys of the program's section with their defaults. A value that does not fit
// its field reads as the default, so a hand-edited file never stops start-up.
class SettingsReader {
 public:
  explicit SettingsReader(const IniFile& ini) : ini_(ini) {}

  long long Number(const std::string& key, long long fallback, long long low,
                   long long high) const {
    std::optional<std::string> text = ini_.Get(kProgramName, key);
    if (!text) return fallback;
    long long value = StoredInteger(*text);
    return value < low || value > high ? fallback : value;
  }
  Integer Int(const std::string& key, Integer fallback, long long low = kIntegerMin,
              long long high = kIntegerMax) const {
    return static_cast<Integer>(Number(key, fallback, low, high));
  }
  Integer Flag(const std::string& key, Integer fallback) const { return Int(key, fallback, 0, 1); }
  Long LongValue(const std::string& key, Long fallback, long long low = kLongMin,
                 long long high = kLongMax) const {
    return static_cast<Long>(Number(key, fallback, low, high));
  }

  // At most the first four characters of the value count.
  float Single(const std::string& key, float fallback) const {
    std::optional<std::string> text = ini_.Get(kProgramName, key);
    if (!text) return fallback;
    return static_cast<float>(LeadingNumber(text->substr(0, 4)));
  }

  std::string Text(const std::string& key, const std::string& fallback, std::size_t limit) const {
    std::optional<std::string> text = ini_.Get(kProgramName, key);
    // A lone CR cannot be saved (it would break the line): the value ends before it, as at
    // a NUL. Cutting can leave blanks at the end that the next reading would trim away:
    // they go now, so a saved value reads back the same.
    std::string value = TrimNull(CutToLimit(text ? *text : fallback, limit));
    value.erase(std::min(value.find_first_of("\r\n"), value.size()));
    return std::string(TrimBlanksAndTabs(value));
  }
  // A font name left empty in the file names no font at all: the default stands.
  std::string FontName(const std::string& key) const {
    std::string name = Text(key, kDefaultFont, kNameLimit);
    return name.empty() ? std::string(kDefaultFont) : name;
  }

 private:
  const IniFile& ini_;
};

// Only a file named as the preparation run names its line files is removed at start-up,
// so a hand-edited LastTempFile can never delete a document.
bool LooksLikeLineFile(const std::string& path) {
  std::string name = std::filesystem::path(path).filename().string();
  return name.size() > 7 && name.compare(0, 3, "QRN") == 0 &&
         name.compare(name.size() - 4, 4, ".tmp") == 0;
}

void SelectLastPrinter(Program& p, const std::string& stored, const std::string& current) {
  if (stored == current) return;
  try {
    std::vector<PrinterInfo> printers = p.surface().Printers();
    for (std::size_t k = 0; k < printers.size(); ++k) {
      if (printers[k].device_name == stored) {
        p.surface().SelectPrinter(k);
        return;
      }
    }
  } catch (const RuntimeError&) {
    // A printer that cannot be made current leaves the current one in use.
  }
}

// A value with a line break would split its line and inject keys of its own.
std::string SafeValue(const std::string& value) {
  return value.find_first_of("\r\n") == std::string::npos ? value : std::string();
}

int Checked(const MainWindowControls& window, CheckBox box) {
  return window.CheckValue(box) != 0 ? 1 : 0;
}

}  // namespace

std::string LayoutSizeKey(int layout) { return "Layout" + std::to_string(layout); }

std::optional<std::string> FileProblem(const std::string& path) {
  if (path.empty()) return std::string("has no name");
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR) return std::string("doesn't exist");
    if (error == EISDIR) return std::string("is a directory");
    return "cannot be read: " + std::string(std::strerror(error));
  }
  struct stat info {};
  std::optional<std::string> problem;
  if (::fstat(fd, &info) != 0) {
    problem = "cannot be read: " + std::string(std::strerror(errno));
  } else if (S_ISDIR(info.st_mode)) {
    problem = "is a directory";
  }
  ::close(fd);
  return problem;
}

bool FileExists(const std::string& path) { return !FileProblem(path); }

bool LoadSettings(Program& p) {
  IniFile ini = IniFile::Load(p.settings_state.ini_path);
  SettingsReader r(ini);
  Settings& s = p.settings();
  const Settings d;  // a key the file lacks or cannot hold keeps its default

  s.HCurDate = r.Flag("HCurDate", d.HCurDate);
  s.HFileTitle = r.Flag("HFileTitle", d.HFileTitle);
  s.HPgNumber = r.Flag("HPgNumber", d.HPgNumber);
  s.FCurDate = r.Flag("FCurDate", d.FCurDate);
  s.FFileTitle = r.Flag("FFileTitle", d.FFileTitle);
  s.FPgNumber = r.Flag("FPgNumber", d.FPgNumber);
  s.DoHeader = static_cast<Integer>(s.HCurDate | s.HFileTitle | s.HPgNumber);
  s.DoFooter = static_cast<Integer>(s.FCurDate | s.FFileTitle | s.FPgNumber);

  s.LineLen = r.Int("LineLen", d.LineLen);
  s.WidthFudge = r.Int("WidthFudge", d.WidthFudge);
  s.TCount = r.Int("TCount", d.TCount);
  p.window().SetText(TextBox::kTCount, std::to_string(s.TCount));

  s.MaxPages = r.LongValue("MaxPages", d.MaxPages, 1, 32766);
  s.DoSig = r.Flag("DoSig", d.DoSig);
  s.ExpandTab = r.Flag("ExpandTab", d.ExpandTab);
  s.TabStops = r.Flag("TabStops", d.TabStops);
  s.WordWrap = r.Flag("WordWrap", d.WordWrap);
  s.PrinterMode = r.Int("PrinterMode", d.PrinterMode, 0, 3);
  s.Layout = r.Int("Layout", d.Layout, kLayout1Up, kLayoutBooklet);
  s.DoBox = r.Flag("DoBox", d.DoBox);
  s.DoBook = r.Flag("DoBook", d.DoBook);
  s.Lineweight = r.Int("Lineweight", d.Lineweight);
  s.Linecolor = r.LongValue("Linecolor", d.Linecolor);
  s.OffsetTop = r.Int("OffsetTop", d.OffsetTop);
  s.OffsetLeft = r.Int("OffsetLeft", d.OffsetLeft);
  s.OffsetRight = r.Int("OffsetRight", d.OffsetRight);
  s.OffsetBottom = r.Int("OffsetBottom", d.OffsetBottom);
  s.XEdgeBorder1 = r.Int("XEdgeBorder1", d.XEdgeBorder1);
  s.YEdgeBorder1 = r.Int("YEdgeBorder1", d.YEdgeBorder1);
  s.XEdgeBorder2 = r.Int("XEdgeBorder2", d.XEdgeBorder2);
  s.YEdgeBorder2 = r.Int("YEdgeBorder2", d.YEdgeBorder2);
  s.XEdgeBorder4 = r.Int("XEdgeBorder4", d.XEdgeBorder4);
  s.YEdgeBorder4 = r.Int("YEdgeBorder4", d.YEdgeBorder4);
  s.BookletGutter = r.Int("BookletGutter", d.BookletGutter);
  s.TwoUpGutter = r.Int("TwoUpGutter", d.TwoUpGutter);
  s.FourUpGutter = r.Int("FourUpGutter", d.FourUpGutter);
  s.BoxToText = r.Int("BoxToText", d.BoxToText);
  s.LineMultiple = r.Single("LineMultiple", d.LineMultiple);

  p.settings_state.last_temp_file = r.Text("LastTempFile", "", kPathLimit);

  s.TextFile = r.Text("TextFile", d.TextFile, kPathLimit);
  if (!FileExists(s.TextFile)) s.TextFile.clear();

  s.CurrentFont = r.FontName("CurrentFont");

  for (int i = 0; i < 4; ++i) p.settings_state.layouts[i].font_name = r.FontName(LayoutFontKey(i));
  for (int i = 0; i < 4; ++i) {
    p.settings_state.layouts[i].font_size = r.Int(LayoutSizeKey(i), kDefaultFontSizes[i]);
  }
  s.DefTab = r.Int("DefTab", d.DefTab);
  s.DoPath = r.Int("DoPath", d.DoPath);

  std::string current = p.surface().DeviceName();
  s.LastPrinter = r.Text("LastPrinter", current, kNameLimit);
  SelectLastPrinter(p, s.LastPrinter, current);
  // Only the program remembers the paper of "Print to PDF"; older files lack the key.
  if (const Integer pdf_paper = r.Int("PdfPaper", 0); pdf_paper != 0) {
    try {
      p.surface().SetPdfPaperSize(pdf_paper);
    } catch (const RuntimeError&) {
      // A code outside the paper table leaves the system's paper in force.
    }
  }

  const std::string& stale = p.settings_state.last_temp_file;
  if (!stale.empty() && stale != s.TextFile && LooksLikeLineFile(stale) && FileExists(stale)) {
    std::error_code ec;
    std::filesystem::remove(stale, ec);
  }
  return true;
}

bool SaveSettings(Program& p) { return SaveSettings(p, nullptr); }

bool SaveSettings(Program& p, const BeforeReplaceHook& before_replace) {
  const std::string& path = p.settings_state.ini_path;
  std::string error;
  IniFile ini = IniFile::Load(path, &error);
  // A file that is there but cannot be read would lose its other keys and sections.
  if (!error.empty()) return false;

  Settings& s = p.settings();
  auto put = [&ini](const std::string& key, const std::string& value) {
    ini.Set(kProgramName, key, value);
  };
  auto put_number = [&put](const std::string& key, long long value) {
    put(key, DisplayForm(value));
  };

  put_number("HCurDate", s.HCurDate);
  put_number("HFileTitle", s.HFileTitle);
  put_number("HPgNumber", s.HPgNumber);
  put_number("FCurDate", s.FCurDate);
  put_number("FFileTitle", s.FFileTitle);
  put_number("FPgNumber", s.FPgNumber);
  put_number("WidthFudge", s.WidthFudge);
  put_number("LineLen", s.LineLen);
  put_number("DoSig", s.DoSig);
  put_number("ExpandTab", s.ExpandTab);
  // A tab width box that holds no whole Integer keeps the last good width rather than
  // ending the save and losing every key after it.
  std::optional<long long> tab_width = WholeNumberText(p.window().Text(TextBox::kTCount));
  if (tab_width && *tab_width >= kIntegerMin && *tab_width <= kIntegerMax) {
    s.TCount = static_cast<Integer>(*tab_width);
  }
  put_number("TCount", s.TCount);
  put_number("WordWrap", s.WordWrap);
  put_number("PrinterMode", s.PrinterMode);
  put("LastTempFile", SafeValue(p.prep.LineFilePath));
  put_number("Layout", s.Layout);
  put_number("DoBox", s.DoBox);
  put_number("DoBook", s.DoBook);
  put("FirstTime", "1");
  put("TextFile", SafeValue(s.TextFile));
  put("LineMultiple", DisplayForm(s.LineMultiple));
  put_number("MaxPages", s.MaxPages);
  for (int i = 0; i < 4; ++i) put_number(LayoutSizeKey(i), p.settings_state.layouts[i].font_size);
  put_number("DefTab", s.DefTab);
  put_number("Lineweight", s.Lineweight);
  put_number("Linecolor", s.Linecolor);
  put_number("OffsetTop", s.OffsetTop);
  put_number("OffsetLeft", s.OffsetLeft);
  put_number("OffsetRight", s.OffsetRight);
  put_number("OffsetBottom", s.OffsetBottom);
  put_number("XEdgeBorder1", s.XEdgeBorder1);
  put_number("YEdgeBorder1", s.YEdgeBorder1);
  put_number("XEdgeBorder2", s.XEdgeBorder2);
  put_number("YEdgeBorder2", s.YEdgeBorder2);
  put_number("XEdgeBorder4", s.XEdgeBorder4);
  put_number("YEdgeBorder4", s.YEdgeBorder4);
  put_number("BookletGutter", s.BookletGutter);
  put_number("TwoUpGutter", s.TwoUpGutter);
  put_number("FourUpGutter", s.FourUpGutter);
  put_number("BoxToText", s.BoxToText);
  for (int i = 0; i < 4; ++i)
    put(LayoutFontKey(i), SafeValue(p.settings_state.layouts[i].font_name));
  put_number("DoPath", s.DoPath);
  put("LastPrinter", SafeValue(p.surface().DeviceName()));
  // Written once tab stops have been chosen, so a file that never had them stays as it was.
  if (s.TabStops != 0 || ini.Get(kProgramName, "TabStops")) put_number("TabStops", s.TabStops);
  if (const int pdf_paper = p.surface().PdfPaperSize(); pdf_paper != 0) {
    put_number("PdfPaper", pdf_paper);
  }

  // The per-user settings folder may not exist before the first save.
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (!folder.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
  }
  return WriteFileAtomically(path, ini.Text(), &error, before_replace);
}

void SetOptions(Program& p) {
  Settings& s = p.settings();
  MainWindowControls& window = p.window();
  window.SetCheckValue(CheckBox::kHPageNum, s.HPgNumber);
  window.SetCheckValue(CheckBox::kHFilename, s.HFileTitle);
  window.SetCheckValue(CheckBox::kHDate, s.HCurDate);
  window.SetCheckValue(CheckBox::kFDate, s.FCurDate);
  window.SetCheckValue(CheckBox::kFFileName, s.FFileTitle);
  window.SetCheckValue(CheckBox::kFPageNum, s.FPgNumber);
  window.SetCheckValue(CheckBox::kDoTabEx, s.ExpandTab);
  window.SetCheckValue(CheckBox::kTabStops, s.TabStops);
  window.SetCheckValue(CheckBox::kDoSig, s.DoSig);
  window.SetCheckValue(CheckBox::kDoWordWrap, s.WordWrap);
  window.SetCheckValue(CheckBox::kDoOutlines, s.DoBox);

  if (s.DoBook != 0) window.SetCheckValue(CheckBox::kDoBooklet, 1);
  // The booklet box's rule may have changed Layout just now.
  if (s.Layout != kLayoutBooklet) {
    window.SelectLayoutOption(s.Layout);
    window.SetCheckValue(CheckBox::kDoBooklet, 0);
  } else {
    window.SelectLayoutOption(kLayout2Up);
    window.SetCheckValue(CheckBox::kDoBooklet, 1);
  }
  window.SetPrinterMode(s.PrinterMode);

  // A printer that refuses a setting keeps its own; the preview then shows what it holds.
  PrinterSurface& surface = p.surface();
  Integer& print_font_size = p.settings_state.print_font_size;
  try {
    if (print_font_size != 0) {
      surface.SetFontSize(print_font_size);
    } else {
      print_font_size = CheckedInteger(RoundHalfEven(surface.FontSize()));
    }
  } catch (const RuntimeError&) {
    // The printer's own size stays, as above.
  }
  try {
    surface.SetFontName(CurrentLayout(p).font_name);
  } catch (const RuntimeError&) {
    // The printer's own face stays, as above.
  }
  window.SetFontPreview(surface.FontName(), surface.FontSize());
}

void GetOptions(Program& p) {
  Settings& s = p.settings();
  const MainWindowControls& window = p.window();
  s.HPgNumber = static_cast<Integer>(Checked(window, CheckBox::kHPageNum));
  s.HFileTitle = static_cast<Integer>(Checked(window, CheckBox::kHFilename));
  s.HCurDate = static_cast<Integer>(Checked(window, CheckBox::kHDate));
  s.DoHeader = static_cast<Integer>(s.HCurDate | s.HFileTitle | s.HPgNumber);
  s.DoSig = static_cast<Integer>(Checked(window, CheckBox::kDoSig));
  s.ExpandTab = static_cast<Integer>(Checked(window, CheckBox::kDoTabEx));
  s.TabStops = static_cast<Integer>(Checked(window, CheckBox::kTabStops));
  s.FPgNumber = static_cast<Integer>(Checked(window, CheckBox::kFPageNum));
  s.FFileTitle = static_cast<Integer>(Checked(window, CheckBox::kFFileName));
  s.FCurDate = static_cast<Integer>(Checked(window, CheckBox::kFDate));
  s.DoFooter = static_cast<Integer>(s.FCurDate | s.FFileTitle | s.FPgNumber);
  // The word-wrap box is hidden in the window; hidden, it leaves the stored choice alone.
  if (window.IsVisible(CheckBox::kDoWordWrap)) {
    s.WordWrap = static_cast<Integer>(Checked(window, CheckBox::kDoWordWrap));
  }
  try {
    p.settings_state.paper_size = CheckedInteger(p.surface().PaperSize());
  } catch (const RuntimeError&) {
    // A printer that cannot say its paper leaves the paper last stored.
  }
  s.PrinterMode = static_cast<Integer>(window.GetPrinterMode());
  s.DoBox = static_cast<Integer>(Checked(window, CheckBox::kDoOutlines));
  s.DoBook = static_cast<Integer>(Checked(window, CheckBox::kDoBooklet));
  int option = window.SelectedLayoutOption();
  if (option >= 0 && option <= 2) {
    s.Layout =
        static_cast<Integer>(option == kLayout2Up && s.DoBook != 0 ? kLayoutBooklet : option);
  }
}

}  // namespace quireon2
