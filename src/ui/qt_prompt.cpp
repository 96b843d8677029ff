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
  box.setText(QString::fromUtf8(text.c_str()).replace(QLatin1String("\r\n"), QLatin1String("\n")));
  switch (buttons) {
    case Buttons::kOk:
      box.setStandardButtons(QMessageBox::Ok);
      box.exec();
      return Answer::kOk;
    case Buttons::kOkCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::Ok);
      return box.exec() == QMessageBox::Ok ? Answer::kOk : Answer::kCancel;
    case Buttons::kYesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::Yes);
      return box.exec() == QMessageBox::Yes ? Answer::kYes : Answer::kNo;
  }
  return Answer::kOk;
}

}  // namespace quireon2::ui
