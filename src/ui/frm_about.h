// The About box: the program's title, version and a short legal notice.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace quireon2::ui {

inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 2;
inline constexpr int kVersionRevision = 0;

class FrmAbout : public QDialog {
  Q_OBJECT

 public:
  // Not modal; it deletes itself when closed.
  explicit FrmAbout(QWidget* parent = nullptr);

 private:
  void Form_Load();
  void cmdOK_Click();

  QLabel* picIcon_;
  QLabel* lblTitle_;
  QLabel* lblVersion_;
  QLabel* lblDescription_;
  QLabel* lblDisclaimer_;
  QPushButton* cmdOK_;
};

}  // namespace quireon2::ui
