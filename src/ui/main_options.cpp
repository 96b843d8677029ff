// The main window's option rules: what a click on each option does.
// A failure inside a rule goes back to code that made the change, else it is reported.
#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

#include "interfaces/printer_surface.h"
#include "settings/capability.h"
#include "ui/frm_main.h"
#include "ui/pictures.h"

namespace quireon2::ui {

void FrmMain::RunRule(const std::function<void()>& rule) {
  try {
    rule();
  } catch (const RuntimeError& error) {
    if (from_code_depth_ > 0) {
      if (!pending_failure_) pending_failure_ = error.failure();
    } else {
      ReportError(program_, error.failure());
    }
  }
}

void FrmMain::RethrowPendingFailure() {
  if (from_code_depth_ > 0 || !pending_failure_) return;
  RuntimeFailure failure = *pending_failure_;
  pending_failure_.reset();
  throw RuntimeError(failure);
}

void FrmMain::LayoutSelection_Click(int index) {
  Settings& s = program_.settings();
  if (index == 1) {
    DoBooklet_->setEnabled(true);
    DoSig_->setEnabled(DoBooklet_->isChecked());
    program_.prep.PrintOrientation = kLandscape;
    s.Layout = DoBooklet_->isChecked() ? kLayoutBooklet : kLayout2Up;
  } else {
    // The check marks stay; only the boxes become unreachable.
    DoBooklet_->setEnabled(false);
    DoSig_->setEnabled(false);
    program_.prep.PrintOrientation = kPortrait;
    s.Layout = static_cast<Integer>(index);
  }
  const LayoutRecord& record = CurrentLayout(program_);
  PrinterSurface& surface = program_.surface();
  surface.SetFontName(record.font_name);
  SetFontPreview(surface.FontName(), record.font_size);
}

void FrmMain::DoBooklet_Click() {
  if (DoBooklet_->isChecked()) {
    DoSig_->setEnabled(true);
    SigNum_->setEnabled(true);
    program_.settings().Layout = kLayoutBooklet;
  } else {
    DoSig_->setEnabled(false);
    SigNum_->setEnabled(false);
    int selected = SelectedLayoutOption();
    if (selected >= 0) program_.settings().Layout = static_cast<Integer>(selected);
  }
}

void FrmMain::DoSig_Click() { SigNum_->setEnabled(DoSig_->isChecked()); }

void FrmMain::DoOutlines_Click() { program_.settings().DoBox = DoOutlines_->isChecked() ? 1 : 0; }

void FrmMain::Image1_Click(int index) {
  if (index >= 0 && index < 3) LayoutSelection_[index]->setChecked(true);
}

void FrmMain::Image2_Click(int index) {
  if (index < 0 || index >= 4 || !printermode_[index]->isEnabled()) return;
  printermode_[index]->setChecked(true);
  printermode_[index]->setFocus();
}

}  // namespace quireon2::ui
