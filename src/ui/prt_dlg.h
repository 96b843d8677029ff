// The "Print Setup" dialog: which installed printer the program prints on, and the paper.
#pragma once

#include <QDialog>
#include <vector>

#include "interfaces/printer_surface.h"
#include "settings/program_state.h"

class QComboBox;
class QPushButton;

namespace quireon2::ui {

class PrtDlg : public QDialog {
  Q_OBJECT

 public:
  // Builds the controls; FormLoad fills them. The dialog deletes itself when closed.
  explicit PrtDlg(Program& program, QWidget* parent = nullptr);

  // Fills the printer list, shows the current printer's name and fills the paper list
  // with that printer's papers, its paper in force selected. Choosing another printer of
  // the list fills the paper list anew. Raises RuntimeError when the printer list fails.
  void FormLoad();

  // 0 OK: makes the named printer current, applies the paper to it, keeps it as that
  // printer's paper and closes unless the printer is unsuitable. 1 Cancel: closes, asking
  // first when the current printer is unsuitable.
  void Command1Click(int index);

 private:
  void FillPapers(const std::string& device_name);
  void OkClick();
  void CancelClick();
  std::string UnsuitableText() const;

  Program& program_;
  QComboBox* printer_box_;
  QComboBox* paper_box_;
  QPushButton* ok_;
  QPushButton* cancel_;
  std::vector<PrinterInfo> printers_;  // entry k of the printer list is printer k
};

}  // namespace quireon2::ui
