// The save dialog of "Print to PDF".
#include "ui/pdf_save.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

namespace quireon2::ui {

QString PdfSaveTitle(const Program& program, int job_number) {
  const Settings& s = program.settings();
  const QString file =
      QFileInfo(QFile::decodeName(QByteArray::fromStdString(s.TextFile))).fileName();
  // Only a booklet fed back by hand is printed as two jobs, one per side.
  if (s.Layout == kLayoutBooklet && s.PrinterMode != 2) {
    return QString("Save side %1 of %2").arg(job_number).arg(file);
  }
  return QString("Save %1 as PDF").arg(file);
}

std::optional<std::string> AskPdfPath(QWidget* parent, const std::string& suggested,
                                      const QString& title) {
  QFileDialog dialog(parent, title, QFile::decodeName(QByteArray::fromStdString(suggested)),
                     QStringLiteral("PDF files (*.pdf)"));
  dialog.setObjectName(QStringLiteral("PdfSaveDialog"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("pdf"));
  dialog.resize(780, 480);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return QFile::encodeName(dialog.selectedFiles().front()).toStdString();
}

}  // namespace quireon2::ui
