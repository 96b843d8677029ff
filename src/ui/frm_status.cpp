// The status window of one print request.
#include "ui/frm_status.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "printing/print_runs.h"
#include "textprep/prep_run.h"
#include "ui/frm_preview.h"

namespace quireon2::ui {
namespace {

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text = {}) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  return label;
}

}  // namespace

FrmStatus::FrmStatus(Program& program, QWidget* parent)
    : QDialog(parent), program_(program), previous_status_(program.io.status) {
  setWindowTitle("Printing Status");
  setModal(true);

  label1_ = MakeLabel(this, "Label1");
  QFont status_font = label1_->font();
  status_font.setPointSize(14);
  label1_->setFont(status_font);
  label1_->setMinimumWidth(360);

  progress_bar1_ = new QProgressBar(this);
  progress_bar1_->setObjectName("ProgressBar1");
  progress_bar1_->setRange(0, 100);
  progress_bar1_->setValue(0);

  auto* totals = new QGridLayout;
  const char* captions2[3] = {"Total Pages", "Total Sheets", "Sheets per signature"};
  total_page_display_ = MakeLabel(this, "TotalPageDisplay");
  total_sheet_display_ = MakeLabel(this, "TotalSheetDisplay");
  total_page_signature_ = MakeLabel(this, "TotalPageSignature");
  QLabel* values2[3] = {total_page_display_, total_sheet_display_, total_page_signature_};
  const char* captions4[3] = {"Printer", "Font Name", "Font size"};
  for (int i = 0; i < 3; ++i) {
    totals->addWidget(MakeLabel(this, QString("Label2_%1").arg(i), captions2[i]), i, 0);
    totals->addWidget(values2[i], i, 1);
    label3_[i] = MakeLabel(this, QString("Label3_%1").arg(i));
    totals->addWidget(MakeLabel(this, QString("Label4_%1").arg(i), captions4[i]), i, 2);
    totals->addWidget(label3_[i], i, 3);
  }

  tab_rule_ = MakeLabel(this, "TabRule");
  totals->addWidget(MakeLabel(this, "TabRuleCaption", "Tabs"), 3, 2);
  totals->addWidget(tab_rule_, 3, 3);

  auto* buttons = new QHBoxLayout;
  const char* button_texts[2] = {"&Print Now", "&Close"};
  for (int i = 0; i < 2; ++i) {
    print_book_[i] = new QPushButton(button_texts[i], this);
    print_book_[i]->setObjectName(QString("PrintBook_%1").arg(i));
    print_book_[i]->setAutoDefault(false);
    connect(print_book_[i], &QPushButton::clicked, this, [this, i] { PrintBook_Click(i); });
    buttons->addWidget(print_book_[i]);
  }

  // The sheets can be looked at once the preparation has counted them.
  preview_button_ = new QPushButton("Pre&view", this);
  preview_button_->setObjectName("PreviewButton");
  preview_button_->setAutoDefault(false);
  connect(preview_button_, &QPushButton::clicked, this, &FrmStatus::ShowPreview);
  buttons->insertWidget(1, preview_button_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label1_);
  layout->addWidget(progress_bar1_);
  layout->addLayout(totals);
  layout->addLayout(buttons);

  // Nothing can be printed before the preparation has run.
  SetButtonsEnabled(false);
  program_.io.status = this;
}

FrmStatus::~FrmStatus() { program_.io.status = previous_status_; }

void FrmStatus::ShowStatus(const std::string& message) {
  label1_->setText(QString::fromStdString(message));
  DoEvents();
}

void FrmStatus::SetProgress(long total, long current) {
  const int percent = ProgressPercent(total, current);
  if (percent >= 0) progress_bar1_->setValue(percent);
}

void FrmStatus::ShowCounts(const StatusCounts& counts) {
  total_page_display_->setText(QString::number(counts.total_pages));
  total_sheet_display_->setText(QString::number(counts.sheet_count));
  total_page_signature_->setText(QString::number(counts.sheets_per_signature));
  label3_[0]->setText(QString::fromStdString(counts.printer));
  label3_[1]->setText(QString::fromStdString(counts.font_name));
  label3_[2]->setText(QString::number(counts.font_size));
  tab_rule_->setText(QString::fromStdString(counts.tab_rule));
}

void FrmStatus::DoEvents() { QCoreApplication::processEvents(); }

void FrmStatus::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (loaded_) return;
  loaded_ = true;
  // The preparation starts once the window is on screen, so its messages are seen.
  QTimer::singleShot(0, this, [this] { Form_Load(); });
}

void FrmStatus::Form_Load() {
  // Painted before the preparation holds the event loop, so no blank window is ever seen.
  repaint();
  DoEvents();
  if (!doCount()) {
    // Nothing to print: the main window is usable again at once.
    QDialog::reject();
  }
}

bool FrmStatus::doCount() {
  busy_ = true;
  SetButtonsEnabled(false);
  total_page_display_->clear();
  total_page_signature_->clear();
  total_sheet_display_->clear();
  DoEvents();
  const bool ready = PrePrint1(program_).ok();
  busy_ = false;
  if (!ready) return false;
  SetButtonsEnabled(true);
  // Enter prints what was just counted.
  print_book_[0]->setDefault(true);
  print_book_[0]->setFocus(Qt::OtherFocusReason);
  DoEvents();
  return true;
}

void FrmStatus::PrintBook_Click(int index) {
  if (busy_) return;
  if (index == 0) {
    busy_ = true;
    SetButtonsEnabled(false);
    const Outcome printed = PrintNow(program_);
    busy_ = false;
    // A run that could not open its prepared text leaves the window open for another try.
    if (printed.kind != OutcomeKind::kSourceFailed) {
      QDialog::accept();
    } else {
      SetButtonsEnabled(true);
    }
  } else if (index == 1) {
    QDialog::reject();
  }
}

void FrmStatus::ShowPreview() {
  if (busy_) return;
  auto* preview = new FrmPreview(program_, this);
  connect(preview, &QDialog::finished, preview, &QObject::deleteLater);
  preview->open();
}

void FrmStatus::reject() {
  if (!busy_) QDialog::reject();
}

void FrmStatus::accept() {
  if (!busy_) QDialog::accept();
}

void FrmStatus::closeEvent(QCloseEvent* event) {
  if (busy_) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void FrmStatus::SetButtonsEnabled(bool enabled) {
  print_book_[0]->setEnabled(enabled);
  print_book_[1]->setEnabled(enabled);
  preview_button_->setEnabled(enabled);
}

}  // namespace quireon2::ui
