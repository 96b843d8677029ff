// How the main window takes its source file: the open-file dialog, the existence check,
// the start-up choice and files dropped on the box, the tab strip or the window.
#include "ui/source_file.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include "interfaces/prompt.h"
#include "settings/settings_file.h"
#include "settings/text_helpers.h"

namespace quireon2::ui {

namespace {

// Paths travel as the bytes the file system uses; the box shows them decoded.
std::string PathBytes(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString PathText(const std::string& path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<int>(path.size())));
}

}  // namespace

std::optional<std::string> FirstDroppedFile(const QMimeData* data) {
  if (data == nullptr || !data->hasFormat(QStringLiteral("text/uri-list"))) return std::nullopt;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) return PathBytes(url.toLocalFile());
  }
  return std::nullopt;
}

QFileDialog* MakeOpenDialog(QWidget* parent) {
  auto* dialog = new QFileDialog(parent, QString::fromUtf8(kProgramName));
  // Our own dialog, so the filters match without regard to case on every desktop.
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  // The dialog does not insist that the file exists; CheckFile says so instead.
  dialog->setFileMode(QFileDialog::AnyFile);
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  const QStringList filters = {QStringLiteral("Text Files (*.TXT)"),
                               QStringLiteral("Readme files (*.me)"),
                               QStringLiteral("All Files (*.*)")};
  dialog->setNameFilters(filters);
  // Wide enough for the name, size, type and date columns.
  dialog->resize(780, 480);
  dialog->selectNameFilter(filters.front());
  // "*.*" would hide names without a dot here; "All Files" means every file. The dialog
  // sets its own patterns whenever a filter is chosen, so ours goes in after it: at once when
  // the user picks it, queued when the choice comes from code.
  auto every_name_for_all_files = [dialog] {
    if (dialog->selectedNameFilter() != QStringLiteral("All Files (*.*)")) return;
    if (auto* model = dialog->findChild<QFileSystemModel*>()) {
      model->setNameFilters({QStringLiteral("*")});
    }
  };
  QObject::connect(dialog, &QFileDialog::filterSelected, dialog, every_name_for_all_files);
  if (auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
    QObject::connect(types, &QComboBox::currentIndexChanged, dialog, every_name_for_all_files,
                     Qt::QueuedConnection);
  }
  return dialog;
}

namespace {

std::optional<std::string> RunOpenDialog(QWidget* parent) {
  QFileDialog* dialog = MakeOpenDialog(parent);
  std::optional<std::string> chosen;
  if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty()) {
    chosen = PathBytes(dialog->selectedFiles().front());
  }
  delete dialog;
  return chosen;
}

}  // namespace

SourceFile::SourceFile(Program& program, QLineEdit* text1, QAbstractButton* print, QWidget* tabs,
                       QWidget* window)
    : QObject(window),
      program_(program),
      text1_(text1),
      print_(print),
      tabs_(tabs),
      window_(window),
      open_dialog_(RunOpenDialog) {
  // While a name is typed, Print follows whether it names a readable file; what is wrong
  // with it is said once the editing ends (CheckTyped).
  QObject::connect(text1_, &QLineEdit::textEdited, this, [this](const QString& text) {
    print_->setEnabled(FileExists(TrimBlanks(PathBytes(text))));
  });
  for (QWidget* target : {static_cast<QWidget*>(text1_), tabs_, window_}) {
    if (target == nullptr) continue;
    target->setAcceptDrops(true);
    target->installEventFilter(this);
  }
}

void SourceFile::Browse() {
  std::optional<std::string> chosen = open_dialog_(window_);
  if (!chosen) return;
  std::string file_name = TrimBlanks(*chosen);
  CheckFile(file_name);
}

void SourceFile::CheckFile(std::string& file_name) {
  file_name = TrimNull(file_name);
  text1_->setText(PathText(file_name));
  if (const auto problem = FileProblem(file_name)) {
    print_->setEnabled(false);
    program_.prompt().Show("the file " + file_name + " " + *problem);
  } else {
    print_->setEnabled(true);
  }
}

void SourceFile::CheckTyped() {
  if (!text1_->isModified()) return;
  text1_->setModified(false);
  std::string file_name = TrimBlanks(PathBytes(text1_->text()));
  if (file_name.empty()) {
    print_->setEnabled(false);
    return;
  }
  CheckFile(file_name);
}

void SourceFile::TakeFile(const std::string& path) {
  std::string file_name = path;  // CheckFile puts it into the box
  CheckFile(file_name);
}

bool SourceFile::OpenSourceFile(const std::string& name) {
  if (!FileExists(name)) return false;
  program_.settings().TextFile = name;
  text1_->setText(PathText(name));
  print_->setEnabled(true);
  return true;
}

void SourceFile::DropOnBox(const QMimeData* data) {
  const std::optional<std::string> path = FirstDroppedFile(data);
  if (!path) return;
  std::string file_name = *path;  // CheckFile puts it into the box
  CheckFile(file_name);
}

void SourceFile::DragHandler(const QMimeData* data) {
  const std::optional<std::string> path = FirstDroppedFile(data);
  if (!path) return;
  text1_->setText(PathText(*path));
}

bool SourceFile::eventFilter(QObject* watched, QEvent* event) {
  const bool on_box = watched == text1_;
  const bool on_tabs = tabs_ != nullptr && watched == tabs_;
  const bool on_window = watched == window_;
  if (!on_box && !on_tabs && !on_window) return QObject::eventFilter(watched, event);

  switch (event->type()) {
    case QEvent::FocusOut: {
      // Leaving the box ends the editing; switching to another window or a menu does not,
      // so a name half typed while looking elsewhere is not judged yet.
      const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
      if (on_box && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
        CheckTyped();
      }
      return QObject::eventFilter(watched, event);
    }
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      // Only a file list is taken; the box does not take dropped text either.
      if (FirstDroppedFile(drag->mimeData())) {
        drag->acceptProposedAction();
      } else {
        drag->ignore();
      }
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      if (!FirstDroppedFile(drop->mimeData())) {
        drop->ignore();
        return true;
      }
      drop->acceptProposedAction();
      if (on_window) {
        DragHandler(drop->mimeData());
      } else {
        DropOnBox(drop->mimeData());
      }
      return true;
    }
    default:
      return QObject::eventFilter(watched, event);
  }
}

}  // namespace quireon2::ui
