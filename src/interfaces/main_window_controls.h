// The narrow view of the main window's controls that the core reads and sets. The window
// implements it with its widgets (a change made here runs the control's rule exactly as a
// click does); MemoryControls implements it without a display.
#pragma once

#include <string>

namespace quireon2 {

enum class CheckBox {
  kHPageNum,
  kHFilename,
  kHDate,
  kFPageNum,
  kFFileName,
  kFDate,
  kDoTabEx,
  kDoSig,
  kDoWordWrap,
  kDoOutlines,
  kDoBooklet,
  kTabStops,
};

enum class TextBox { kText1, kTCount, kSigNum };

class MainWindowControls {
 public:
  virtual ~MainWindowControls() = default;

  virtual int CheckValue(CheckBox box) const = 0;  // 0 clear, 1 checked
  virtual void SetCheckValue(CheckBox box, int value) = 0;
  virtual bool IsVisible(CheckBox box) const = 0;

  // The index 0..2 of the first selected layout option, -1 when none is selected.
  virtual int SelectedLayoutOption() const = 0;
  virtual void SelectLayoutOption(int index) = 0;

  // The index of the first selected paper-feed option, 0 when none is.
  virtual int GetPrinterMode() const = 0;
  virtual void SetPrinterMode(int mode) = 0;
  virtual void EnablePrinterMode(int index, bool enabled) = 0;
  virtual bool IsPrinterModeEnabled(int index) const = 0;

  virtual std::string Text(TextBox box) const = 0;
  virtual void SetText(TextBox box, const std::string& text) = 0;

  // Shows the printer's current font in the preview (see SetFontPreview).
  virtual void SetFontPreview(const std::string& font_name, double size_points) = 0;
};

}  // namespace quireon2
