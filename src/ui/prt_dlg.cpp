// The "Print Setup" dialog.
#include "ui/prt_dlg.h"

#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QString>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "interfaces/paper_names.h"
#include "interfaces/prompt.h"
#include "settings/capability.h"
#include "settings/runtime_failure.h"

namespace quireon2::ui {

namespace {

QString Text(const std::string& text) { return QString::fromUtf8(text.c_str()); }

// An editable list whose typed text is never added to the list, and whose completion
// keeps letter case, so printers whose names differ only in case stay apart.
QComboBox* MakeEditableCombo(QWidget* parent, const char* name) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(QString::fromLatin1(name));
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  if (QCompleter* completer = combo->completer()) completer->setCaseSensitivity(Qt::CaseSensitive);
  return combo;
}

// A titled frame holding one list behind its label.
QGroupBox* MakeLabelledFrame(QWidget* parent, const char* title, const char* frame_name,
                             const char* caption, const char* label_name, QComboBox* box) {
  auto* frame = new QGroupBox(QString::fromLatin1(title), parent);
  frame->setObjectName(QString::fromLatin1(frame_name));
  auto* label = new QLabel(QString::fromLatin1(caption), frame);
  label->setObjectName(QString::fromLatin1(label_name));
  label->setBuddy(box);
  auto* row = new QHBoxLayout(frame);
  row->addWidget(label);
  row->addWidget(box, 1);
  return frame;
}

}  // namespace

PrtDlg::PrtDlg(Program& program, QWidget* parent)
    : QDialog(parent),
      program_(program),
      printer_box_(MakeEditableCombo(this, "Combo1")),
      paper_box_(MakeEditableCombo(this, "Combo2")),
      ok_(new QPushButton(QStringLiteral("OK"), this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
  setWindowTitle(QStringLiteral("Print Setup"));
  setObjectName(QStringLiteral("PrtDlg"));
  setAttribute(Qt::WA_DeleteOnClose);
  ok_->setObjectName(QStringLiteral("Command1_0"));
  cancel_->setObjectName(QStringLiteral("Command1_1"));
  ok_->setDefault(true);

  QGroupBox* printer_frame = MakeLabelledFrame(this, "Printer", "Frame1", "&Name", "Label2",
                                               printer_box_);
  QGroupBox* paper_frame = MakeLabelledFrame(this, "Paper", "Frame2", "Si&ze", "Label1",
                                             paper_box_);

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  buttons->addStretch();
  auto* grid = new QGridLayout(this);
  grid->addWidget(printer_frame, 0, 0);
  grid->addWidget(paper_frame, 1, 0);
  grid->addLayout(buttons, 0, 1, 2, 1);
  resize(460, 180);

  connect(ok_, &QPushButton::clicked, this, [this] { Command1Click(0); });
  connect(cancel_, &QPushButton::clicked, this, [this] { Command1Click(1); });
  connect(printer_box_, &QComboBox::currentTextChanged, this, [this](const QString& text) {
    if (printer_box_->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0) {
      FillPapers(text.toStdString());
    }
  });
  // Escape ends the dialog without closing it; it must go all the same, so the next
  // opening reads the printers anew and a caller waiting for it goes on.
  connect(this, &QDialog::finished, this, &QObject::deleteLater);
}

void PrtDlg::FormLoad() {
  PrinterSurface& surface = program_.surface();
  printers_ = surface.Printers();
  {
    const QSignalBlocker quiet(printer_box_);  // one paper list, for the printer shown
    printer_box_->clear();
    for (const PrinterInfo& printer : printers_) printer_box_->addItem(Text(printer.device_name));
    // Adding entries selects the first; the box shows the printer in use instead.
    printer_box_->setEditText(Text(surface.DeviceName()));
  }
  FillPapers(surface.DeviceName());
}

void PrtDlg::FillPapers(const std::string& device_name) {
  const PrinterPapers papers = program_.surface().Papers(device_name);
  paper_box_->clear();
  for (const PaperName& paper : kPaperNames) {
    const bool offered = std::find(papers.offered.begin(), papers.offered.end(), paper.code) !=
                         papers.offered.end();
    // A printer that names none of the table's papers still gets the two classic ones.
    if (offered || (papers.offered.empty() && (paper.code == kPaperLetter ||
                                               paper.code == kPaperA4))) {
      paper_box_->addItem(QString::fromLatin1(paper.caption), paper.code);
    }
  }
  paper_box_->setCurrentIndex(std::max(0, paper_box_->findData(papers.in_force)));
}

void PrtDlg::Command1Click(int index) {
  // Nothing may escape into the window system's event handling.
  try {
    if (index == 0) {
      OkClick();
    } else {
      CancelClick();
    }
  } catch (const RuntimeError& error) {
    ReportError(program_, error.failure());
  } catch (const std::exception& error) {
    ReportError(program_, RuntimeFailure{0, error.what()});
  }
}

std::string PrtDlg::UnsuitableText() const {
  return "Your printer " + program_.surface().DeviceName() + " does not support features " +
         kProgramName + " needs.";
}

void PrtDlg::OkClick() {
  const QString typed = printer_box_->currentText();
  int found = -1;
  for (int i = 0; i < printer_box_->count() && i < static_cast<int>(printers_.size()); ++i) {
    if (printer_box_->itemText(i) == typed) {  // case counts
      found = i;
      break;
    }
  }
  if (found < 0) {
    program_.prompt().Show("The printer " + typed.toStdString() +
                           " is not installed. Please choose a printer from the list");
    return;
  }

  PrinterSurface& surface = program_.surface();
  surface.SelectPrinter(static_cast<std::size_t>(found));

  // The chosen paper goes to the printer at once, so the next job is laid out on it, and
  // stays that printer's paper. Text that is no entry's caption means Letter.
  int paper = kPaperLetter;
  for (const PaperName& known : kPaperNames) {
    if (paper_box_->currentText() == QString::fromLatin1(known.caption)) paper = known.code;
  }
  surface.SetPaperSize(paper);
  surface.KeepPaperSize();
  program_.settings_state.paper_size = static_cast<Integer>(paper);

  if (PrinterUnsuitable(program_)) {
    program_.prompt().Show(UnsuitableText() + " Please select another printer");
    return;
  }
  close();
}

void PrtDlg::CancelClick() {
  if (PrinterUnsuitable(program_)) {
    const Answer answer = program_.prompt().Ask(
        UnsuitableText() + kLineEnd + "Are you sure you want to keep it?", Buttons::kYesNo);
    if (answer != Answer::kYes) return;
  }
  close();
}

}  // namespace quireon2::ui
