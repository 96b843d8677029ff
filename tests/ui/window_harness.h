// The main window on the test fakes: one program with the recording surface, the scripted
// prompt and status, a scratch folder for its files, and the window started from them.
#pragma once

#include <QtTest>
#include <QtWidgets>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_program.h"
#include "ui/frm_main.h"

namespace quireon2::testing {

inline RecordedPrinter Printer(const std::string& name, int two_sided = 1, int landscape = 90) {
  RecordedPrinter printer;
  printer.name = name;
  printer.two_sided = two_sided;
  printer.landscape = landscape;
  return printer;
}

inline QString Q(const std::string& text) { return QString::fromStdString(text); }

// Clicks a check box or option button on its indicator, where every style takes a click.
inline void Click(QAbstractButton* button) {
  QVERIFY(button != nullptr);
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

// The main window takes the place of the program's memory controls as it is made.
struct WindowHarness : TestProgram {
  QTemporaryDir dir;
  ui::StartupEnvironment env;
  int ended = 0, status_windows = 0;
  std::string help_opened;  // by the last request for help, which fails unless `help_works`
  bool help_works = true;
  std::unique_ptr<ui::FrmMain> main;
  ui::FrmMain::LoadResult result = ui::FrmMain::LoadResult::kShow;

  explicit WindowHarness(std::vector<RecordedPrinter> printers = {Printer("Test Printer")})
      : TestProgram(std::move(printers)) {
    env.ini_path = Path("Quireon2.ini");
    env.help_path = Path("quireon2.html");
    env.today = "07-04-2026";
    env.end_process = [this] { ++ended; };
    env.run_status_window = [this](Program&, QWidget*) { ++status_windows; };
    env.open_help = [this](const std::string& path) {
      help_opened = path;
      return help_works;
    };
  }
  ~WindowHarness() {
    const std::string problems = prompt.Problems();
    if (!problems.empty()) QTest::qFail(problems.c_str(), __FILE__, __LINE__);
  }

  std::string Path(const std::string& name) const {
    return dir.filePath(QString::fromStdString(name)).toStdString();
  }
  std::string File(const std::string& name, const std::string& bytes = "text\n") const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
    return Path(name);
  }
  void Ini(const std::string& keys) { File("Quireon2.ini", "[Quireon2]\n" + keys); }
  // The saved settings file, line ends made "\n" so lines can be looked for.
  QString Saved() const {
    std::ostringstream bytes;
    bytes << std::ifstream(env.ini_path, std::ios::binary).rdbuf();
    return Q(bytes.str()).remove('\r');
  }

  // Loads the window as a start with `command_line` does, and shows it active when
  // start-up goes on.
  void Start(const std::string& command_line = std::string()) {
    env.command_line = command_line;
    main = std::make_unique<ui::FrmMain>(program, env);
    result = main->Form_Load();
    if (result != ui::FrmMain::LoadResult::kShow) return;
    main->show();
    QApplication::setActiveWindow(main.get());
    QVERIFY(QTest::qWaitForWindowActive(main.get()));
  }

  template <class T = QAbstractButton>
  T* Find(const QString& name) const {
    return main->findChild<T*>(name);
  }
  QLineEdit* Box() const { return Find<QLineEdit>("Text1"); }
  bool CanPrint() const { return Find("P_0")->isEnabled(); }
};

}  // namespace quireon2::testing
