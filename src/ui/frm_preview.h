// The sheets of a prepared job, one at a time before anything is printed: both sides of a sheet as
// pictures drawn by the page drawing that prints them, the line saying what each side holds, and
// buttons to move through the sheets.
#pragma once

#include <QDialog>
#include <QImage>

#include "settings/program_state.h"

class QLabel;
class QPushButton;

namespace quireon2::ui {

class FrmPreview : public QDialog {
  Q_OBJECT

 public:
  // Shows sheet 1 of the job `program` has prepared.
  explicit FrmPreview(Program& program, QWidget* parent = nullptr);

  // Draws sheet `sheet` (kept within the job's sheets) and says what it holds.
  void ShowSheet(long sheet);

  long sheet() const { return sheet_; }
  long sheet_count() const { return sheet_count_; }
  QString caption() const;
  const QImage& picture() const { return picture_; }

 private:
  Program& program_;
  long sheet_ = 0;
  long sheet_count_ = 0;
  QImage picture_;
  QLabel* caption_;
  QLabel* picture_label_;
  QPushButton* back_;
  QPushButton* next_;
};

}  // namespace quireon2::ui
