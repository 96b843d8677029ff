// Messages and questions shown as message boxes.
#include "ui/qt_prompt.h"

#include <QMessageBox>
#include <QString>

#include "settings/program_state.h"

namespace quireon2::ui {

Answer QtPrompt::Ask(const std::string& text, Buttons buttons) {
  QMessageBox box(parent_);
  box.setWindowTitle(QString::fromUtf8(kProgramName));
  // Lines are joined with CR LF; a label shows LF alone as the break.
  QString shown =
      QString::fromUtf8(text.c_str()).replace(QLatin1String("\r\n"), QLatin1String("\n"));
  // A message reads as a sentence: it ends with a full stop unless it ends with a mark.
  if (!shown.isEmpty() && !QStringLiteral(".?!:").contains(shown.back())) shown += '.';
  box.setText(shown);
  switch (buttons) {
    case Buttons::kOk:
      // A message with OK alone tells of something that went wrong or was changed.
      box.setIcon(QMessageBox::Warning);
      box.setStandardButtons(QMessageBox::Ok);
      box.exec();
      return Answer::kOk;
    case Buttons::kOkCancel:
      // What to do with the paper before the run goes on.
      box.setIcon(QMessageBox::Information);
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::Ok);
      return box.exec() == QMessageBox::Ok ? Answer::kOk : Answer::kCancel;
    case Buttons::kYesNo:
      box.setIcon(QMessageBox::Question);
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::Yes);
      return box.exec() == QMessageBox::Yes ? Answer::kYes : Answer::kNo;
  }
  return Answer::kOk;
}

}  // namespace quireon2::ui
