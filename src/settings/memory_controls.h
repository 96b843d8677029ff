// Main-window controls held in memory, for tests and for the terminal command. The
// controls start in the window's design state; no option rule runs here.
#pragma once

#include <array>
#include <map>
#include <string>

#include "interfaces/main_window_controls.h"

namespace quireon2 {

class MemoryControls : public MainWindowControls {
 public:
  MemoryControls();

  int CheckValue(CheckBox box) const override;
  void SetCheckValue(CheckBox box, int value) override;
  bool IsVisible(CheckBox box) const override;
  int SelectedLayoutOption() const override { return layout_option_; }
  void SelectLayoutOption(int index) override { layout_option_ = index; }
  int GetPrinterMode() const override;
  void SetPrinterMode(int mode) override;
  void EnablePrinterMode(int index, bool enabled) override;
  bool IsPrinterModeEnabled(int index) const override;
  std::string Text(TextBox box) const override;
  void SetText(TextBox box, const std::string& text) override;
  void SetFontPreview(const std::string& font_name, double size_points) override;

  const std::string& preview_font_name() const { return preview_font_name_; }
  double preview_size() const { return preview_size_; }
  int preview_updates() const { return preview_updates_; }

 private:
  std::map<CheckBox, int> checks_;
  std::map<CheckBox, bool> visible_;
  int layout_option_ = 1;
  int printer_mode_ = 3;
  std::array<bool, 4> printer_mode_enabled_{true, true, true, true};
  std::map<TextBox, std::string> texts_;
  std::string preview_font_name_;
  double preview_size_ = 0;
  int preview_updates_ = 0;
};

}  // namespace quireon2
