// The status window of one print request: it prepares the job when it opens, shows the
// totals, and prints on "&Print Now".
#pragma once

#include <QDialog>

#include "settings/program_state.h"
#include "textprep/status_sink.h"

namespace quireon2::ui {

class FrmStatus : public QDialog, public StatusSink {
  Q_OBJECT

 public:
  // While the window exists it is the program's status sink.
  FrmStatus(Program& program, QWidget* parent = nullptr);
  ~FrmStatus() override;

  void ShowStatus(const std::string& message) override;
  void SetProgress(long total, long current) override;
  void ShowCounts(const StatusCounts& counts) override;
  void DoEvents() override;
};

}  // namespace quireon2::ui
