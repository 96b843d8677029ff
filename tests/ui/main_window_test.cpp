// The main window driven through its real widgets: start-up from stored settings, the
// option rules, the tab pages, the pictures, the buttons, and shutdown.
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/single_copy_lock.h"
#include "platform/temp_file.h"
#include "settings/program_state.h"
#include "settings/settings_file.h"
#include "support/recording_status.h"
#include "support/recording_surface.h"
#include "support/scripted_prompt.h"
#include "textprep/prep_run.h"
#include "ui/frm_main.h"
#include "ui/pictures.h"

using quireon2::Answer;
using quireon2::Program;
using quireon2::testing::RecordedPrinter;
using quireon2::ui::FrmMain;
using quireon2::ui::Picture;

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The file's bytes; with `lines`, line ends made "\n" so lines can be looked for.
std::string ReadAll(const std::string& path, bool lines = true) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  std::string text = bytes.str();
  if (lines) text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text;
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

bool Exists(const std::string& path) { return std::ifstream(path).good(); }

RecordedPrinter Printer(const std::string& name, int two_sided = 1, int landscape = 90) {
  RecordedPrinter printer;
  printer.name = name;
  printer.two_sided = two_sided;
  printer.landscape = landscape;
  return printer;
}

// Clicks a check box or option button on its indicator, where every style takes a click.
void Click(QAbstractButton* button) {
  QVERIFY(button != nullptr);
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

void ClickTab(QTabBar* bar, int index) {
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

// Hands the modal window to `act` until it returns true (it is done with the window).
// After ten seconds the window is closed, so a test fails instead of hanging.
void WhenModal(std::function<bool(QWidget*)> act) {
  auto* poll = new QTimer(qApp);
  QObject::connect(poll, &QTimer::timeout, [poll, act, started = QTime::currentTime()] {
    QWidget* modal = QApplication::activeModalWidget();
    const bool late = started.msecsTo(QTime::currentTime()) > 10000;
    if (modal == nullptr || !(act(modal) || late)) return;
    if (late) modal->close();
    poll->deleteLater();
  });
  poll->start(20);
}

constexpr char kRefusedFont[] =
    "Your Printer - Test Printer does not support features needed for Quireon2. Please "
    "select another printer";
constexpr char kUnsuitable[] =
    "Your printer Flat Printer does not support features Quireon2 needs. Select yes to "
    "choose another printer, No to exit";

// One program with the test fakes, a scratch folder for its files and a window.
struct Harness {
  QTemporaryDir dir;
  quireon2::testing::RecordingSurface surface;
  quireon2::testing::ScriptedPrompt prompt;
  quireon2::testing::RecordingStatus status;
  quireon2::SystemTempFiles temp_files;
  Program program;
  quireon2::ui::StartupEnvironment env;
  int ended = 0;
  int status_windows = 0;
  std::unique_ptr<FrmMain> window;
  FrmMain::LoadResult result = FrmMain::LoadResult::kShow;

  explicit Harness(std::vector<RecordedPrinter> printers = {Printer("Test Printer")})
      : surface(std::move(printers)) {
    program.io.surface = &surface;
    program.io.prompt = &prompt;
    program.io.status = &status;
    program.io.temp_files = &temp_files;
    env.ini_path = Path("Quireon2.ini");
    env.help_path = Path("quireon2.html");
    env.today = "07-04-2026";
    env.end_process = [this] { ++ended; };
    env.run_status_window = [this](Program&, QWidget*) { ++status_windows; };
  }
  ~Harness() {
    const std::string problems = prompt.Problems();
    if (!problems.empty()) QTest::qFail(problems.c_str(), __FILE__, __LINE__);
  }

  std::string Path(const std::string& name) const {
    return dir.filePath(Q(name)).toStdString();
  }
  std::string File(const std::string& name, const std::string& bytes) const {
    WriteAll(Path(name), bytes);
    return Path(name);
  }
  void Ini(const std::string& keys) { WriteAll(env.ini_path, "[Quireon2]\n" + keys); }

  void Start(const std::string& command_line = std::string()) {
    env.command_line = command_line;
    window = std::make_unique<FrmMain>(program, env);
    result = window->Form_Load();
    if (result == FrmMain::LoadResult::kShow) {
      window->show();
      (void)QTest::qWaitForWindowExposed(window.get());
    }
  }

  template <class T>
  T* Find(const char* name) const {
    return window->findChild<T*>(name);
  }
  QRadioButton* Option(const char* name) const { return Find<QRadioButton>(name); }
  QCheckBox* Box(const char* name) const { return Find<QCheckBox>(name); }
  QLineEdit* Edit(const char* name) const { return Find<QLineEdit>(name); }
  QAbstractButton* Button(const char* name) const { return Find<QAbstractButton>(name); }
  QString Preview() const { return Find<QLabel>("FontPreview")->text(); }
  QTabBar* Tabs() const { return Find<QTabBar>("TabStrip1"); }
  int Layout() const { return program.settings().Layout; }
};

QString Caption(const char* font, int size) {
  return QString("The current font is %1 %2 Pts").arg(font).arg(size);
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void startStatesFollowTheStoredLayout() {
    struct Case {
      int stored_layout;
      int selected_option;
      bool booklet_checked, booklet_enabled, signatures_enabled;
      int preview_size;  // by layout: 8, 6, 4, 8 points
    };
    const Case cases[] = {{0, 0, false, false, false, 8},
                          {1, 1, false, true, false, 6},
                          {2, 2, false, false, false, 4},
                          {3, 1, true, true, true, 8}};
    for (const Case& c : cases) {
      for (int book : {0, 1}) {
        const std::string row = std::to_string(c.stored_layout) + "/" + std::to_string(book);
        Harness h;
        h.Ini("Layout= " + std::to_string(c.stored_layout) + "\nDoBook= " +
              std::to_string(book) + "\n");
        h.Start();
        QCOMPARE(h.window->windowTitle(), QString("Quireon2"));
        for (int i = 0; i < 3; ++i) {
          QVERIFY2(h.Option(qPrintable(QString("LayoutSelection_%1").arg(i)))->isChecked() ==
                       (i == c.selected_option), row.c_str());
        }
        QVERIFY2(h.Box("DoBooklet")->isChecked() == c.booklet_checked, row.c_str());
        QVERIFY2(h.Box("DoBooklet")->isEnabled() == c.booklet_enabled, row.c_str());
        QVERIFY2(h.Box("DoSig")->isEnabled() == c.signatures_enabled, row.c_str());
        QVERIFY2(h.Edit("SigNum")->isEnabled() == c.signatures_enabled, row.c_str());
        QVERIFY2(h.Layout() == c.stored_layout, row.c_str());
        QCOMPARE(h.Preview(), Caption("Times New Roman", c.preview_size));
        QVERIFY(!h.Button("P_0")->isEnabled());  // no source file yet
      }
    }
  }

  void bookletBoxSwitchesLayoutAndSignatures() {
    Harness h;
    h.Start();
    QCheckBox* booklet = h.Box("DoBooklet");
    QCheckBox* signatures = h.Box("DoSig");
    QLineEdit* count = h.Edit("SigNum");
    QCOMPARE(h.Layout(), 3);
    Click(booklet);
    QCOMPARE(h.Layout(), 1);
    QVERIFY(!signatures->isEnabled());
    QVERIFY(!count->isEnabled());
    Click(booklet);
    QCOMPARE(h.Layout(), 3);
    QVERIFY(signatures->isEnabled() && count->isEnabled());
  }

  void oneUpKeepsTheBookletCheckAndPreparesOneUp() {
    Harness h;
    std::string text = h.File("three.txt", "one\ftwo\fthree\r\n");  // three pages
    std::vector<std::pair<int, int>> prepared;  // Layout and SheetCount of each request
    h.env.run_status_window = [&](Program& p, QWidget*) {
      QVERIFY(quireon2::PrePrint1(p));
      prepared.push_back({p.settings().Layout, p.prep.SheetCount});
    };
    h.Start(text);
    Click(h.Option("LayoutSelection_0"));
    QVERIFY(h.Box("DoBooklet")->isChecked());
    QVERIFY(!h.Box("DoBooklet")->isEnabled());
    QVERIFY(!h.Box("DoSig")->isEnabled());
    QCOMPARE(int{h.program.prep.PrintOrientation}, 1);
    Click(h.Button("P_0"));
    // Back to 2 up: the kept check makes it a booklet again, on a landscape sheet.
    Click(h.Option("LayoutSelection_1"));
    QVERIFY(h.Box("DoBooklet")->isEnabled());
    QCOMPARE(int{h.program.prep.PrintOrientation}, 2);
    Click(h.Button("P_0"));
    // 1 up: one sheet a page; booklet: four pages a sheet.
    const std::vector<std::pair<int, int>> expected = {{0, 3}, {3, 1}};
    QVERIFY(prepared == expected);
  }

  void layoutChangeRefreshesThePreviewButBookletBoxDoesNot() {
    Harness h;
    h.Ini("Layout 2 font=Courier New\nLayout2= 5\n");
    h.Start();
    Click(h.Option("LayoutSelection_2"));
    QCOMPARE(h.Preview(), Caption("Courier New", 5));
    QCOMPARE(h.Find<QLabel>("FontPreview")->font().family(), QString("Courier New"));
    QCOMPARE(h.Find<QLabel>("FontPreview")->font().pointSizeF(), 5.0);
    QCOMPARE(Q(h.surface.FontName()), QString("Courier New"));
    Click(h.Option("LayoutSelection_1"));
    QCOMPARE(h.Preview(), Caption("Times New Roman", 8));
    // Layout 1 has 6 points, yet the box leaves the preview alone.
    Click(h.Box("DoBooklet"));
    QCOMPARE(h.Layout(), 1);
    QCOMPARE(h.Preview(), Caption("Times New Roman", 8));
  }

  void picturesSelectTheirOptionUnlessItIsDisabled() {
    // A printer without two-sided printing: "&Double Side printer only" cannot be chosen.
    Harness h({Printer("One Sided", /*two_sided=*/0)});
    h.Start();
    QVERIFY(!h.Option("printermode_2")->isEnabled());
    QVERIFY(h.Find<Picture>("Image2_2")->faded());
    QTest::mouseClick(h.Find<Picture>("Image2_2"), Qt::LeftButton);
    QVERIFY(!h.Option("printermode_2")->isChecked());
    QCOMPARE(h.window->GetPrinterMode(), 1);

    QTest::mouseClick(h.Find<Picture>("Image2_0"), Qt::LeftButton);
    QVERIFY(h.Option("printermode_0")->isChecked() && h.Find<Picture>("Image2_0")->selected());
    QTest::mouseClick(h.Find<Picture>("Image1_2"), Qt::LeftButton);
    QVERIFY(h.Option("LayoutSelection_2")->isChecked());
    QCOMPARE(h.Preview(), Caption("Times New Roman", 4));
  }

  void tabStripShowsOnePageAndIgnoresTheShownTab() {
    Harness h;
    h.Ini("DefTab= 1\n");
    h.Start();
    auto shows = [&h](int page) {
      QCOMPARE(h.window->shown_page(), page);
      QCOMPARE(h.Find<QFrame>("Frame10_0")->isVisible(), page == 1);
      QCOMPARE(h.Find<QFrame>("Frame10_1")->isVisible(), page == 2);
    };
    shows(1);
    ClickTab(h.Tabs(), 0);
    h.window->TabStrip1_Click();
    shows(1);
    ClickTab(h.Tabs(), 1);
    h.window->TabStrip1_Click();
    shows(2);
    ClickTab(h.Tabs(), 0);
    shows(1);
    // The stored tab number is kept as it was read.
    Click(h.Button("AboutHelpExit_2"));
    QVERIFY(ReadAll(h.env.ini_path).find("\nDefTab= 1\n") != std::string::npos);
  }

  void printerModeWithNothingSelectedIsZero() {
    Harness h;
    h.Start();
    h.window->SetPrinterMode(7);  // names no option: none is selected
    for (const char* name : {"printermode_0", "printermode_1", "printermode_2", "printermode_3"}) {
      QVERIFY2(!h.Option(name)->isChecked(), name);
    }
    QCOMPARE(h.window->GetPrinterMode(), 0);
    h.program.settings().PrinterMode = 2;
    quireon2::GetOptions(h.program);
    QCOMPARE(int{h.program.settings().PrinterMode}, 0);
    Click(h.Option("printermode_2"));
    QCOMPARE(h.window->GetPrinterMode(), 2);
  }

  void sheetsPerSignatureFromTheSignatureBox() {
    // Typed text, sheets, sheets per signature.
    const std::tuple<const char*, int, int> cases[] = {
        {"0", 25, 0},  {"", 25, 0},   {"x4", 25, 0},
        {"12", 25, 3},   // 25 \ 12 = 2, remainder 1
        {"-3", 10, -2},  // 10 \ -3 = -3, remainder 1
        {"123", 25, 3}};  // the box keeps "12"
    Harness h;
    h.Start();
    ClickTab(h.Tabs(), 1);
    QLineEdit* box = h.Edit("SigNum");
    for (const auto& [typed, sheets, per_signature] : cases) {
      box->selectAll();
      QTest::keyClick(box, Qt::Key_Delete);
      QTest::keyClicks(box, typed);
      h.program.prep.SheetCount = static_cast<quireon2::Integer>(sheets);
      quireon2::UpdateCounts(h.program);
      QVERIFY2(h.status.counts.back().sheets_per_signature == per_signature, typed);
    }
    QCOMPARE(h.status.counts.size(), std::size(cases));
  }

  void secondCopyEndsSilently() {
    QTemporaryDir lock_dir;
    const std::string folder = lock_dir.path().toStdString();
    auto running = std::make_unique<quireon2::SingleCopyLock>(folder);
    QVERIFY(running->Acquire() && running->Acquire());  // asking again keeps it
    QVERIFY(Q(running->path()).contains(QString("-%1.lock").arg(::getuid())));
    quireon2::SingleCopyLock mine(folder);
    Harness h;
    h.env.another_copy_running = [&mine] { return !mine.Acquire(); };
    h.Start();
    QCOMPARE(h.result, FrmMain::LoadResult::kEndProcess);
    QVERIFY(h.prompt.shown().empty());
    QVERIFY(h.surface.calls().empty());
    QVERIFY(h.window->windowTitle().isEmpty());
    QVERIFY(!Exists(h.env.ini_path));
    running.reset();  // once the first copy is gone, the lock is free
    QVERIFY(mine.Acquire());
  }

  void noPrinterEndsWithItsMessage() {
    Harness h({Printer("   ")});
    h.prompt.Expect("you do not have a printer selected please add a printer and rerun Quireon2");
    h.Start();
    QCOMPARE(h.result, FrmMain::LoadResult::kEndProcess);
    QCOMPARE(h.prompt.shown().at(0).buttons, quireon2::Buttons::kOk);
    QVERIFY(!Exists(h.env.ini_path));
  }

  void unsuitablePrinterAsksAgainUntilRefused() {
    // Yes waits for the choice and asks again while the printer is still unsuitable; No
    // then ends start-up with nothing written.
    Harness h({Printer("Flat Printer", 1, /*landscape=*/0), Printer("Wide Printer")});
    int choices = 0;
    h.env.choose_printer = [&](Program&, QWidget* parent) {
      QCOMPARE(parent, static_cast<QWidget*>(h.window.get()));
      ++choices;
    };
    h.prompt.Expect(kUnsuitable, Answer::kYes);
    h.prompt.Expect(kUnsuitable, Answer::kNo);
    h.Start();
    QCOMPARE(h.prompt.shown().at(0).buttons, quireon2::Buttons::kYesNo);
    QCOMPARE(h.result, FrmMain::LoadResult::kEndProcess);
    QCOMPARE(choices, 1);
    QVERIFY(!Exists(h.env.ini_path));
  }

  void unsuitablePrinterYesOpensThePrinterDialog() {
    Harness h({Printer("Flat Printer", 1, /*landscape=*/0), Printer("Wide Printer")});
    h.prompt.Expect(kUnsuitable, Answer::kYes);
    // Start-up must wait in the dialog: the person picks "Wide Printer" and presses OK.
    WhenModal([](QWidget* dialog) {
      auto* name = dialog->findChild<QComboBox*>("Combo1");
      auto* ok = dialog->findChild<QAbstractButton*>("Command1_0");
      if (dialog->objectName() != "PrtDlg" || name == nullptr || ok == nullptr) return false;
      name->setEditText("Wide Printer");
      ok->click();
      return true;
    });
    h.Start();
    QCOMPARE(h.result, FrmMain::LoadResult::kShow);
    QCOMPARE(Q(h.surface.DeviceName()), QString("Wide Printer"));
  }

  void commandLineFileWinsOverTheStoredOne() {
    struct Case {
      const char* command_line;  // "NEW" stands for the new file's path
      bool stored_exists;
      const char* shown;  // "NEW", "STORED" or empty
    };
    const Case cases[] = {{"NEW", true, "NEW"},        {"NEW-missing", true, "STORED"},
                          {"\"NEW\"", true, "STORED"}, {"", true, "STORED"},
                          {"NEW-missing", false, ""}};
    for (const Case& c : cases) {
      Harness h;
      const std::string fresh = h.File("new file.txt", "new\r\n");
      const std::string stored = h.Path("stored.txt");
      if (c.stored_exists) h.File("stored.txt", "stored\r\n");
      h.Ini("TextFile=" + stored + "\n");
      auto resolve = [&](QString text) {
        return text.replace("STORED", Q(stored)).replace("NEW", Q(fresh));
      };
      h.Start(resolve(c.command_line).toStdString());
      const QString expected = resolve(c.shown);
      QCOMPARE(h.Edit("Text1")->text(), expected);
      QCOMPARE(Q(h.program.settings().TextFile), expected);
      QCOMPARE(h.Button("P_0")->isEnabled(), !expected.isEmpty());
    }
  }

  void exitAndClosingTheWindowSaveTheSameFile() {
    Harness by_exit, by_close;
    for (Harness* h : {&by_exit, &by_close}) {
      h->Start();
      Click(h->Option("LayoutSelection_2"));
      Click(h->Option("printermode_0"));
      ClickTab(h->Tabs(), 1);
      Click(h->Box("DoOutlines"));
      Click(h->Box("HPageNum"));
      Click(h->Box("FDate"));
      h->Edit("TCount")->selectAll();
      QTest::keyClicks(h->Edit("TCount"), "8");
    }
    Click(by_exit.Button("AboutHelpExit_2"));
    QVERIFY(!by_exit.window->isVisible());
    QVERIFY(by_close.window->close());
    QVERIFY(by_exit.ended == 1 && by_close.ended == 1);
    const std::string saved = ReadAll(by_exit.env.ini_path);
    QCOMPARE(Q(ReadAll(by_close.env.ini_path, false)), Q(ReadAll(by_exit.env.ini_path, false)));
    for (const char* line : {"Layout= 2", "PrinterMode= 0", "DoBox= 1", "HPgNumber= 1",
                             "FCurDate= 1", "TCount= 8", "DoBook= 1"}) {
      QVERIFY2(saved.find(std::string("\n") + line + "\n") != std::string::npos, line);
    }
  }

  // ctest runs this program under a comma locale, which QApplication takes on: the stored
  // numbers must still be read and written with a point (at most four characters read).
  void storedNumbersSurviveAStartAndExit() {
    const char* wanted = std::getenv("LC_ALL");
    if (wanted != nullptr && std::string(wanted).rfind("de_DE", 0) == 0 &&
        std::string(std::localeconv()->decimal_point) != ",") {
      QSKIP("the locale de_DE.UTF-8 is not installed (scripts/setup makes it)");
    }
    struct Case { const char* stored; const char* saved; float value; };
    for (const Case& c : {Case{" 1.25", " 1.25", 1.25f}, Case{" .5", " .5", 0.5f},
                          Case{"-1.75", "-1.7", -1.7f}}) {
      Harness h;
      h.Ini(std::string("LineMultiple=") + c.stored + "\n");
      h.Start();
      QCOMPARE(h.program.settings().LineMultiple, c.value);
      Click(h.Button("AboutHelpExit_2"));
      const std::string saved = ReadAll(h.env.ini_path);
      QVERIFY2(saved.find(std::string("\nLineMultiple=") + c.saved + "\n") != std::string::npos,
               saved.c_str());
    }
  }

  void lineFileIsDeletedAtExitUnlessItIsTheSource() {
    Harness h;
    const std::string text = h.File("source.txt", "one\r\ntwo\r\n");
    h.env.run_status_window = [](Program& p, QWidget*) { QVERIFY(quireon2::PrePrint1(p)); };
    h.Start(text);
    Click(h.Button("P_0"));
    const std::string line_file = h.program.prep.LineFilePath;
    QVERIFY(!line_file.empty() && Exists(line_file));
    Click(h.Button("AboutHelpExit_2"));
    QVERIFY(!Exists(line_file));
    const std::string saved = ReadAll(h.env.ini_path);
    QVERIFY(saved.find("\nLastTempFile=\n") != std::string::npos);
    QVERIFY(saved.find("\nTextFile=" + text + "\n") != std::string::npos);

    // The source itself named as the line file stays.
    Harness same;
    const std::string source = same.File("source.txt", "keep me\r\n");
    same.Start(source);
    same.program.prep.LineFilePath = source;
    QVERIFY(same.window->close());
    QCOMPARE(Q(ReadAll(source, false)), QString("keep me\r\n"));
  }

  void dateAboutAndHelp() {
    Harness h;
    h.env.today.clear();  // the system's date, month first
    std::string opened;
    h.env.open_help = [&opened](const std::string& path) { opened = path; };
    h.Start();
    QCOMPARE(QString::fromStdString(h.program.settings_state.today),
             QDate::currentDate().toString("MM-dd-yyyy"));
    Click(h.Button("AboutHelpExit_0"));
    Click(h.Button("AboutHelpExit_0"));  // brings the open box forward, no second one
    QList<QDialog*> boxes = h.window->findChildren<QDialog*>("frmAbout");
    QCOMPARE(boxes.size(), 1);
    QDialog* about = boxes.front();
    QVERIFY(about->isVisible() && !about->isModal());
    QCOMPARE(about->windowTitle(), QString("About Quireon2"));
    QCOMPARE(about->findChild<QLabel*>("lblVersion")->text(), QString("Version 1.2.0"));
    QTest::keyClick(about, Qt::Key_Escape);
    QVERIFY(!about->isVisible());
    Click(h.Button("AboutHelpExit_1"));
    QCOMPARE(opened, h.env.help_path);
  }

  void refusedFontOnPrintOrLayoutClickIsReportedOnce() {
    for (bool on_print : {true, false}) {
      Harness h;
      h.Start(h.File("a.txt", "a\r\n"));
      h.surface.printer().refuses = {"FontName"};
      h.prompt.Expect(kRefusedFont);
      if (on_print) {
        Click(h.Button("P_0"));
        QCOMPARE(h.status_windows, 0);  // the request ends
      } else {
        Click(h.Option("LayoutSelection_2"));
        // The rule's own changes before the printer was asked stand.
        QCOMPARE(h.Layout(), 2);
        QVERIFY(!h.Box("DoBooklet")->isEnabled());
      }
      QCOMPARE(h.prompt.shown().size(), std::size_t{1});
    }
  }

};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
