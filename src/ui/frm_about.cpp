// The About box.
#include "ui/frm_about.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "settings/program_state.h"
#include "ui/pictures.h"

namespace quireon2::ui {

FrmAbout::FrmAbout(QWidget* parent) : QDialog(parent) {
  setObjectName("frmAbout");
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);

  picIcon_ = new QLabel(this);
  picIcon_->setObjectName("picIcon");
  picIcon_->setPixmap(ProgramIcon().pixmap(48, 48));
  picIcon_->setAlignment(Qt::AlignTop);
  lblTitle_ = new QLabel(this);
  lblTitle_->setObjectName("lblTitle");
  QFont title_font = lblTitle_->font();
  title_font.setPointSizeF(title_font.pointSizeF() * 1.6);
  title_font.setBold(true);
  lblTitle_->setFont(title_font);
  lblVersion_ = new QLabel(this);
  lblVersion_->setObjectName("lblVersion");
  lblDescription_ = new QLabel(this);
  lblDescription_->setObjectName("lblDescription");
  lblDisclaimer_ = new QLabel(this);
  lblDisclaimer_->setObjectName("lblDisclaimer");
  lblDisclaimer_->setText(
      "Prints plain text files as folded booklets, or 1, 2 or 4 pages per sheet side.");
  lblDisclaimer_->setWordWrap(true);
  cmdOK_ = new QPushButton("OK", this);
  cmdOK_->setObjectName("cmdOK");
  // OK is both the default button (Enter) and the cancel button (Esc, handled by QDialog).
  cmdOK_->setDefault(true);
  cmdOK_->setAutoDefault(true);
  connect(cmdOK_, &QPushButton::clicked, this, &FrmAbout::cmdOK_Click);

  auto* text = new QVBoxLayout;
  text->addWidget(lblTitle_);
  text->addWidget(lblVersion_);
  text->addSpacing(8);
  text->addWidget(lblDisclaimer_);
  text->addSpacing(8);
  text->addWidget(lblDescription_);
  auto* top = new QHBoxLayout;
  top->addWidget(picIcon_);
  top->addSpacing(12);
  top->addLayout(text, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cmdOK_);
  auto* all = new QVBoxLayout(this);
  all->addLayout(top);
  all->addSpacing(12);
  all->addLayout(buttons);

  Form_Load();
  setMinimumWidth(380);
}

void FrmAbout::Form_Load() {
  setWindowTitle(QString("About ") + kProgramName);
  lblVersion_->setText(QString("Version %1.%2.%3")
                           .arg(kVersionMajor)
                           .arg(kVersionMinor)
                           .arg(kVersionRevision));
  lblTitle_->setText(kProgramName);
  // The label shows LF as its line break; the three lines are the program's notice.
  lblDescription_->setText(
      "Copyright (C) the Quireon2 authors.\n"
      "Provided as is, without warranty of any kind.\n"
      "Use it at your own risk.");
}

void FrmAbout::cmdOK_Click() { close(); }

}  // namespace quireon2::ui
