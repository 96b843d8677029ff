// The main window's controls as the core sees them (MainWindowControls).
#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <algorithm>

#include "interfaces/printer_surface.h"
#include "settings/number_text.h"
#include "ui/frm_main.h"
#include "ui/pictures.h"

namespace quireon2::ui {
namespace {

QString FromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), text.size()); }

}  // namespace

// Marks the changes made through the controls interface, so a failure inside the rule it
// runs goes back to the code that made the change.
class FrmMain::FromCode {
 public:
  explicit FromCode(FrmMain* window) : window_(window) { ++window_->from_code_depth_; }
  ~FromCode() { --window_->from_code_depth_; }
  FromCode(const FromCode&) = delete;
  FromCode& operator=(const FromCode&) = delete;

 private:
  FrmMain* window_;
};

QCheckBox* FrmMain::Box(CheckBox box) const {
  switch (box) {
    case CheckBox::kHPageNum: return HPageNum_;
    case CheckBox::kHFilename: return HFilename_;
    case CheckBox::kHDate: return HDate_;
    case CheckBox::kFPageNum: return FPageNum_;
    case CheckBox::kFFileName: return FFileName_;
    case CheckBox::kFDate: return FDate_;
    case CheckBox::kDoTabEx: return DoTabEx_;
    case CheckBox::kDoSig: return DoSig_;
    case CheckBox::kDoWordWrap: return DoWordWrap_;
    case CheckBox::kDoOutlines: return DoOutlines_;
    case CheckBox::kDoBooklet: return DoBooklet_;
    case CheckBox::kTabStops: return TabStops_;
  }
  return DoOutlines_;
}

QLineEdit* FrmMain::Edit(TextBox box) const {
  switch (box) {
    case TextBox::kText1: return Text1_;
    case TextBox::kTCount: return TCount_;
    case TextBox::kSigNum: return SigNum_;
  }
  return Text1_;
}

int FrmMain::CheckValue(CheckBox box) const { return Box(box)->isChecked() ? 1 : 0; }

void FrmMain::SetCheckValue(CheckBox box, int value) {
  {
    FromCode from_code(this);
    Box(box)->setChecked(value != 0);
  }
  RethrowPendingFailure();
}

// A box's own visibility, as set by the program: a box on the page not shown, or in a
// window not yet shown, still counts as visible.
bool FrmMain::IsVisible(CheckBox box) const { return !Box(box)->isHidden(); }

int FrmMain::SelectedLayoutOption() const {
  for (int i = 0; i < 3; ++i) {
    if (LayoutSelection_[i]->isChecked()) return i;
  }
  return -1;
}

void FrmMain::SelectLayoutOption(int index) {
  {
    FromCode from_code(this);
    if (index >= 0 && index < 3) {
      LayoutSelection_[index]->setChecked(true);
    } else {
      // An index that names no option leaves none selected.
      layout_group_->setExclusive(false);
      for (QRadioButton* option : LayoutSelection_) option->setChecked(false);
      layout_group_->setExclusive(true);
    }
  }
  RethrowPendingFailure();
}

int FrmMain::GetPrinterMode() const {
  for (int i = 0; i < 4; ++i) {
    if (printermode_[i]->isChecked()) return i;
  }
  return 0;
}

void FrmMain::SetPrinterMode(int mode) {
  if (mode >= 0 && mode < 4) {
    printermode_[mode]->setChecked(true);
    return;
  }
  // A mode that names no option leaves none selected.
  mode_group_->setExclusive(false);
  for (QRadioButton* option : printermode_) option->setChecked(false);
  mode_group_->setExclusive(true);
}

void FrmMain::EnablePrinterMode(int index, bool enabled) {
  if (index < 0 || index >= 4) return;
  printermode_[index]->setEnabled(enabled);
  Image2_[index]->SetFaded(!enabled);
  // A greyed option says why it cannot be chosen.
  QString meaning = PictureMeaning(PictureKind::kPaperFeed, index);
  if (!enabled) {
    meaning += QString(" Not available: the printer %1 cannot print both sides.")
                   .arg(FromUtf8(program_.surface().DeviceName()));
  }
  printermode_[index]->setToolTip(meaning);
  Image2_[index]->setToolTip(meaning);
}

bool FrmMain::IsPrinterModeEnabled(int index) const {
  return index >= 0 && index < 4 && printermode_[index]->isEnabled();
}

std::string FrmMain::Text(TextBox box) const { return Edit(box)->text().toStdString(); }

void FrmMain::SetText(TextBox box, const std::string& text) { Edit(box)->setText(FromUtf8(text)); }

void FrmMain::SetFontPreview(const std::string& font_name, double size_points) {
  // The label shows the face the printer really uses, whatever name the caller passed.
  QFont font = FontPreview_->font();
  font.setFamily(FromUtf8(program_.surface().FontName()));
  if (size_points > 0) {
    font.setPointSizeF(std::clamp(size_points, kSmallestPreviewPoints, kLargestPreviewPoints));
  }
  FontPreview_->setFont(font);
  const QString caption = FromUtf8(FontPreviewCaption(font_name, size_points));
  FontPreview_->setText(caption);
  FontPreview_->setToolTip(caption);
  FontPreview_->setAccessibleName(caption);
}

}  // namespace quireon2::ui
