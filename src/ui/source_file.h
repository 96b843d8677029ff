// How the main window takes its source file: the "&Browse" dialog, the existence check,
// the start-up choice and files dropped on the window. It owns no widgets; it works on the
// main window's file name box and Print button.
#pragma once

#include <QObject>
#include <functional>
#include <optional>
#include <string>

#include "settings/program_state.h"

class QAbstractButton;
class QFileDialog;
class QLineEdit;
class QMimeData;
class QWidget;

namespace quireon2::ui {

// The path of the first local file in dropped data that offers a file list (text/uri-list),
// as file-system bytes; nothing for any other data.
std::optional<std::string> FirstDroppedFile(const QMimeData* data);

// The "&Browse" dialog, set up but not shown: title "Quireon2", the three filters
// (matching without regard to case, "All Files" taking every name), no existence check.
QFileDialog* MakeOpenDialog(QWidget* parent);

class SourceFile : public QObject {
  Q_OBJECT

 public:
  // text1: the file name box; print: the Print button P(0); tabs: the tab strip; window:
  // the main window. Installs the drop handling on the three.
  SourceFile(Program& program, QLineEdit* text1, QAbstractButton* print, QWidget* tabs,
             QWidget* window);

  // "&Browse": asks for a file and checks it. Cancel changes nothing.
  void Browse();
  // Cuts `file_name` at its first NUL, shows it in the box, enables Print when the file
  // can be read, else disables Print and says why (missing, a directory, unreadable).
  void CheckFile(std::string& file_name);
  // A name typed or pasted into the box, when editing ends (Enter, or the focus leaving the
  // box within the window): checked as a chosen one (an empty box only disables Print).
  // Nothing when the box was not edited since.
  void CheckTyped();
  // A file handed over from outside: put into the box and checked, as a dropped one.
  void TakeFile(const std::string& path);
  // Takes `name` as the source file when it can be read: TextFile, the box and Print.
  bool OpenSourceFile(const std::string& name);

  // A drop on the file name box or the tab strip: the first file goes into the box and
  // is checked. Other data is ignored.
  void DropOnBox(const QMimeData* data);
  // A drop anywhere else on the window: the first file goes into the box, unchecked;
  // the Print button keeps its state.
  void DragHandler(const QMimeData* data);

  // Replaces the open-file dialog (tests): returns the chosen path, or nothing on Cancel.
  using OpenDialog = std::function<std::optional<std::string>(QWidget* parent)>;
  void SetOpenDialog(OpenDialog dialog) { open_dialog_ = std::move(dialog); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Program& program_;
  QLineEdit* text1_;
  QAbstractButton* print_;
  QWidget* tabs_;
  QWidget* window_;
  OpenDialog open_dialog_;
};

}  // namespace quireon2::ui
