// The main window: the source file, the "&Layout" and "&Formatting" pages with the option
// rules that keep them consistent, the buttons that start a job, open the dialogs, help
// and About, and the program's start-up and shutdown. Its widgets live in frm_main.cpp,
// the option rules in main_options.cpp, the controls the core sees in main_controls.cpp,
// start-up and shutdown in main_startup.cpp.
#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "interfaces/main_window_controls.h"
#include "interfaces/status_sink.h"
#include "settings/program_state.h"
#include "settings/runtime_failure.h"
#include "ui/frm_about.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabBar;
class QButtonGroup;

namespace quireon2::ui {

class Picture;
class SourceFile;

// What start-up takes from the world outside the window. main() fills it with the real
// services; tests fill it with their own.
struct StartupEnvironment {
  std::string command_line;  // the arguments after the program name, joined by blanks
  std::string ini_path;
  std::string help_path;
  std::string today;  // MM-DD-YYYY; empty takes the system date
  // True when another copy of the program runs (this one then ends). Unset: never.
  std::function<bool()> another_copy_running;
  // Lets the user choose another printer and returns when that choice is over.
  // Unset: the printer dialog, waited for.
  std::function<void(Program&, QWidget*)> choose_printer;
  // Shows the help page; false when it could not be shown. Unset: nothing.
  std::function<bool(const std::string&)> open_help;
  // Runs one print request's status window modally. Unset: the real status window.
  std::function<void(Program&, QWidget*)> run_status_window;
  // Ends the process after shutdown. Unset: leaves the application's event loop.
  std::function<void()> end_process;
};

class FrmMain : public QWidget, public MainWindowControls {
  Q_OBJECT

 public:
  enum class LoadResult { kShow, kEndProcess };

  // The font preview draws between these sizes, so a tiny font stays legible and a huge
  // one never widens the window; its caption names the real size.
  static constexpr double kSmallestPreviewPoints = 8;
  static constexpr double kLargestPreviewPoints = 20;

  // Builds the window with every control in its starting state and makes it the program's
  // window.
  FrmMain(Program& program, StartupEnvironment environment, QWidget* parent = nullptr);
  ~FrmMain() override;

  // Start-up. kEndProcess: a second copy, no printer, or an unsuitable printer the user
  // did not replace; nothing has been written. Otherwise the window is ready to show,
  // also when a step failed part way.
  LoadResult Form_Load();
  // Shutdown: deletes the line file (unless it is the source), reads the options back and
  // saves the settings. Never reports a failure.
  void cleanup();
  // The shutdown of a process told to end (logout, kill): as "E&xit" but with nobody to
  // answer a question, and the job being printed is dropped.
  void ShutDownForSignal();

  // MainWindowControls: a change made here runs the control's rule as a click would.
  int CheckValue(CheckBox box) const override;
  void SetCheckValue(CheckBox box, int value) override;
  bool IsVisible(CheckBox box) const override;
  int SelectedLayoutOption() const override;
  void SelectLayoutOption(int index) override;
  int GetPrinterMode() const override;
  void SetPrinterMode(int mode) override;
  void EnablePrinterMode(int index, bool enabled) override;
  bool IsPrinterModeEnabled(int index) const override;
  std::string Text(TextBox box) const override;
  void SetText(TextBox box, const std::string& text) override;
  void SetFontPreview(const std::string& font_name, double size_points) override;

  // Handlers of the window's controls.
  void Image1_Click(int index);
  void Image2_Click(int index);
  void TabStrip1_Click();
  void P_Click(int index);
  void AboutHelpExit_Click(int index);
  void PrinterFont_Click(int index);
  void FileBrowse_Click();
  // A file handed over by a second start of the program (empty: none): it is taken as a
  // file dropped on the box, and the window comes to the front.
  void OpenHandedFile(const std::string& path);

  // The number (from 1) of the tab page shown.
  int shown_page() const { return shown_page_; }
  // The About box while it is open.
  FrmAbout* about_box() const { return about_; }
  SourceFile* source_file() const { return source_file_; }

 protected:
  // Closing the window by any means but "E&xit" runs the shutdown too.
  void closeEvent(QCloseEvent* event) override;

 private:
  class FromCode;
  class IdleStatus : public StatusSink {
   public:
    void ShowStatus(const std::string&) override {}
    void SetProgress(long, long) override {}
    void ShowCounts(const StatusCounts&) override {}
  };

  void BuildControls();
  QWidget* BuildLayoutPage();
  QWidget* BuildFormattingPage();
  void ConnectRules();

  // The option rules. They may raise a run-time failure from the printer.
  void LayoutSelection_Click(int index);
  void DoBooklet_Click();
  void DoSig_Click();
  void DoOutlines_Click();
  // Runs a rule: a failure during a change made from code travels back to that code; a
  // failure during a user's click is reported.
  void RunRule(const std::function<void()>& rule);
  void RethrowPendingFailure();
  // The printer in force may not print both sides: its option is greyed, and a saved
  // "Double Side" mode falls back to "Flipped" with one message.
  void CheckDoubleSideMode();
  void AddShortcutsAndDescriptions();

  QCheckBox* Box(CheckBox box) const;
  QLineEdit* Edit(TextBox box) const;
  void EndProcess();

  Program& program_;
  StartupEnvironment environment_;
  IdleStatus idle_status_;

  QLabel* Label7_ = nullptr;
  QLineEdit* Text1_ = nullptr;
  QPushButton* FileBrowse_ = nullptr;
  QTabBar* TabStrip1_ = nullptr;
  std::array<QFrame*, 2> Frame10_{};
  std::array<QRadioButton*, 3> LayoutSelection_{};
  std::array<Picture*, 3> Image1_{};
  QCheckBox* DoBooklet_ = nullptr;
  QButtonGroup* layout_group_ = nullptr;
  std::array<QRadioButton*, 4> printermode_{};
  std::array<Picture*, 4> Image2_{};
  QButtonGroup* mode_group_ = nullptr;
  QCheckBox* DoOutlines_ = nullptr;
  QCheckBox* HPageNum_ = nullptr;
  QCheckBox* HFilename_ = nullptr;
  QCheckBox* HDate_ = nullptr;
  QCheckBox* FPageNum_ = nullptr;
  QCheckBox* FFileName_ = nullptr;
  QCheckBox* FDate_ = nullptr;
  QCheckBox* DoTabEx_ = nullptr;
  QCheckBox* TabStops_ = nullptr;
  QLineEdit* TCount_ = nullptr;
  QCheckBox* DoWordWrap_ = nullptr;
  QCheckBox* DoSig_ = nullptr;
  QLineEdit* SigNum_ = nullptr;
  QLabel* FontPreview_ = nullptr;
  std::array<QPushButton*, 2> PrinterFont_{};
  QPushButton* P_ = nullptr;
  std::array<QPushButton*, 3> AboutHelpExit_{};

  SourceFile* source_file_ = nullptr;
  QPointer<FrmAbout> about_;
  int shown_page_ = 1;
  int from_code_depth_ = 0;
  std::optional<RuntimeFailure> pending_failure_;
  bool ended_ = false;
};

}  // namespace quireon2::ui
