// The save dialog "Print to PDF" shows at the start of each job of a run.
#pragma once

#include <QString>
#include <optional>
#include <string>

#include "settings/program_state.h"

class QWidget;

namespace quireon2::ui {

// The dialog's title for job `job_number` (from 1) of the run being printed: a booklet
// printed in two passes names the side its job holds ("Save side 2 of notes.txt"), any
// other run the file ("Save notes.txt as PDF").
QString PdfSaveTitle(const Program& program, int job_number);

// Asks where the PDF goes, starting at `suggested`; nothing on Cancel. Our own dialog, so
// it opens at a size that shows its columns on every desktop.
std::optional<std::string> AskPdfPath(QWidget* parent, const std::string& suggested,
                                      const QString& title);

}  // namespace quireon2::ui
