// The status window of one print request: it prepares the job when it opens, shows the
// totals, and prints on "&Print Now".
#pragma once

#include <QDialog>

#include "interfaces/status_sink.h"
#include "settings/program_state.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace quireon2::ui {

class FrmStatus : public QDialog, public StatusSink {
  Q_OBJECT

 public:
  // While the window exists it is the program's status sink; the previous sink comes back
  // when it goes. It runs the preparation once it is first shown.
  explicit FrmStatus(Program& program, QWidget* parent = nullptr);
  ~FrmStatus() override;

  void ShowStatus(const std::string& message) override;
  void SetProgress(long total, long current) override;
  void ShowCounts(const StatusCounts& counts) override;
  void DoEvents() override;

  // Runs the preparation with both buttons disabled and the totals cleared; true when it
  // succeeded (the buttons are enabled again).
  bool doCount();
  // 0 "&Print Now": the print run, then the window closes (it stays open after a failure
  // the run could not handle). 1 "&Close": closes. Nothing while a run or the preparation
  // is going on.
  void PrintBook_Click(int index);

  // "Pre&view": the sheet preview over this window, sheet 1 first. Nothing while a run or
  // the preparation is going on.
  void ShowPreview();

  // True while the preparation or a print run is going on.
  bool busy() const { return busy_; }

 public slots:
  // Nothing closes the window under a running preparation or print run (Esc, close box).
  void reject() override;
  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void Form_Load();
  void SetButtonsEnabled(bool enabled);

  Program& program_;
  StatusSink* previous_status_;
  bool loaded_ = false;
  bool busy_ = false;
  QLabel* label1_;
  QProgressBar* progress_bar1_;
  QLabel* total_page_display_;
  QLabel* total_sheet_display_;
  QLabel* total_page_signature_;
  QLabel* label3_[3];
  QLabel* tab_rule_ = nullptr;  // how tabs print in this run
  QPushButton* print_book_[2];
  QPushButton* preview_button_;
};

}  // namespace quireon2::ui
