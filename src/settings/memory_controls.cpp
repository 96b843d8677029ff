// Main-window controls held in memory.
#include "settings/memory_controls.h"

namespace quireon2 {

MemoryControls::MemoryControls() {
  // The window's design state: booklet checked, tab expansion and word wrap checked (word
  // wrap hidden), "2 up" and "Ink Jet Straight Through" selected, tab width 5, 4 signatures.
  checks_[CheckBox::kDoBooklet] = 1;
  checks_[CheckBox::kDoTabEx] = 1;
  checks_[CheckBox::kDoWordWrap] = 1;
  visible_[CheckBox::kDoWordWrap] = false;
  texts_[TextBox::kTCount] = "5";
  texts_[TextBox::kSigNum] = "4";
}

int MemoryControls::CheckValue(CheckBox box) const {
  auto it = checks_.find(box);
  return it == checks_.end() ? 0 : it->second;
}

void MemoryControls::SetCheckValue(CheckBox box, int value) { checks_[box] = value; }

bool MemoryControls::IsVisible(CheckBox box) const {
  auto it = visible_.find(box);
  return it == visible_.end() ? true : it->second;
}

int MemoryControls::GetPrinterMode() const {
  return printer_mode_ >= 0 && printer_mode_ <= 3 ? printer_mode_ : 0;
}

void MemoryControls::SetPrinterMode(int mode) {
  if (mode >= 0 && mode <= 3) printer_mode_ = mode;
}

void MemoryControls::EnablePrinterMode(int index, bool enabled) {
  if (index >= 0 && index <= 3) printer_mode_enabled_[index] = enabled;
}

bool MemoryControls::IsPrinterModeEnabled(int index) const {
  return index >= 0 && index <= 3 && printer_mode_enabled_[index];
}

std::string MemoryControls::Text(TextBox box) const {
  auto it = texts_.find(box);
  return it == texts_.end() ? std::string() : it->second;
}

void MemoryControls::SetText(TextBox box, const std::string& text) { texts_[box] = text; }

void MemoryControls::SetFontPreview(const std::string& font_name, double size_points) {
  preview_font_name_ = font_name;
  preview_size_ = size_points;
  ++preview_updates_;
}

}  // namespace quireon2
