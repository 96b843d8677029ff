// The "Font" dialog: the face and size of the current layout's printer font, chosen from
// the printer's scalable faces and the sizes 4 to 16 (or typed), with a sample line; and the
// main window's font preview.
#pragma once

#include <QDialog>
#include <string>

#include "settings/program_state.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace quireon2::ui {

class FontDlg : public QDialog {
  Q_OBJECT

 public:
  // Builds the controls; FormLoad fills them.
  explicit FontDlg(Program& program, QWidget* parent = nullptr);

  // Fills the face list from the printer, shows the current layout's face and size and
  // selects their entries; the title names the layout. Raises RuntimeError when the
  // printer fails.
  void FormLoad();

  // The list rule (index 0 faces, 1 sizes; any other index only reads): the clicked entry
  // goes into the box above it; then the chosen face and size are read from both boxes.
  void List1Click(int index);
  // 0 OK: the current layout takes the chosen face and the size in the box (a size typed
  // there counts; one no font can have leaves the last usable size); 1 Cancel. Both close.
  void Command1Click(int index);

  Integer chosen_size() const { return chosen_size_; }

 private:
  void FillListWithFonts(QListWidget* list);
  void AddFontToList(const std::string& face_name, bool scalable, QListWidget* list);
  void ShowSample();

  Program& program_;
  QLineEdit* face_box_;
  QListWidget* face_list_;
  QLineEdit* size_box_;
  QListWidget* size_list_;
  QPushButton* ok_;
  QPushButton* cancel_;
  QLabel* sample_;
  Integer chosen_size_ = 0;  // points
  std::string current_printer_font_;
};

// Refreshes the main window's preview: the printer's current face at `size_points`, with
// the caption naming `font_name` and the size rounded half down.
void SetFontPreview(Program& program, const std::string& font_name, double size_points);

}  // namespace quireon2::ui
