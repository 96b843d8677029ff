// The main window driven through its real widgets: start-up from stored settings, the
// option rules, the tab pages, the pictures, the buttons, and shutdown.
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QComboBox>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/help_opener.h"
#include "platform/single_copy_lock.h"
#include "settings/program_state.h"
#include "settings/settings_file.h"
#include "support/recording_status.h"
#include "support/recording_surface.h"
#include "support/scripted_prompt.h"
#include "textprep/prep_run.h"
#include "ui/frm_about.h"
#include "ui/frm_main.h"
#include "ui/pictures.h"

using quireon2::Answer;
using quireon2::Program;
using quireon2::testing::RecordedPrinter;
using quireon2::testing::RecordingStatus;
using quireon2::testing::RecordingSurface;
using quireon2::testing::ScriptedPrompt;
using quireon2::ui::FrmAbout;
using quireon2::ui::FrmMain;
using quireon2::ui::Picture;
using quireon2::ui::StartupEnvironment;

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
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

// One program with the test fakes, a scratch folder for its files and a window.
struct Harness {
  QTemporaryDir dir;
  RecordingSurface surface;
  ScriptedPrompt prompt;
  RecordingStatus status;
  Program program;
  StartupEnvironment env;
  int ended = 0;
  int printer_choices = 0;
  int status_windows = 0;
  std::vector<std::string> help_opened;
  std::unique_ptr<FrmMain> window;
  FrmMain::LoadResult result = FrmMain::LoadResult::kShow;

  explicit Harness(std::vector<RecordedPrinter> printers = {Printer("Test Printer")})
      : surface(std::move(printers)) {
    program.io.surface = &surface;
    program.io.prompt = &prompt;
    program.io.status = &status;
    env.ini_path = Path("Quireon2.ini");
    env.help_path = Path("quireon2.html");
    env.today = "07-04-2026";
    env.end_process = [this] { ++ended; };
    env.open_help = [this](const std::string& path) { help_opened.push_back(path); };
    env.run_status_window = [this](Program&, QWidget*) { ++status_windows; };
  }

  std::string Path(const std::string& name) const {
    return dir.filePath(Q(name)).toStdString();
  }
  std::string File(const std::string& name, const std::string& bytes) const {
    WriteAll(Path(name), bytes);
    return Path(name);
  }
  void Ini(const std::string& keys) { WriteAll(env.ini_path, "[Quireon2]\n" + keys); }

  FrmMain& Start(const std::string& command_line = std::string()) {
    env.command_line = command_line;
    window = std::make_unique<FrmMain>(program, env);
    result = window->Form_Load();
    if (result == FrmMain::LoadResult::kShow) {
      window->show();
      (void)QTest::qWaitForWindowExposed(window.get());
    }
    return *window;
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

#define EXPECT_NO_STRAY_MESSAGES(h) QCOMPARE(Q((h).prompt.Problems()), QString())

constexpr char kFreshSettings[] =
    "[Quireon2]\n"
    "HCurDate= 0\nHFileTitle= 0\nHPgNumber= 0\nFCurDate= 0\nFFileTitle= 0\nFPgNumber= 0\n"
    "WidthFudge= 10\nLineLen= 80\nDoSig= 0\nExpandTab= 1\nTCount= 5\nWordWrap= 1\n"
    "PrinterMode= 1\nLastTempFile=\nLayout= 3\nDoBox= 0\nDoBook= 1\nFirstTime=1\nTextFile=\n"
    "LineMultiple= 1.25\nMaxPages= 2024\nLayout0= 8\nLayout1= 6\nLayout2= 4\nLayout3= 8\n"
    "DefTab= 0\nLineweight= 1\nLinecolor= 0\nOffsetTop= 0\nOffsetLeft= 0\nOffsetRight= 0\n"
    "OffsetBottom= 0\nXEdgeBorder1= 720\nYEdgeBorder1= 720\nXEdgeBorder2= 720\n"
    "YEdgeBorder2= 720\nXEdgeBorder4= 720\nYEdgeBorder4= 720\nBookletGutter= 1440\n"
    "TwoUpGutter= 1440\nFourUpGutter= 1440\nBoxToText= 270\n"
    "Layout 0 font=Times New Roman\nLayout 1 font=Times New Roman\n"
    "Layout 2 font=Times New Roman\nLayout 3 font=Times New Roman\nDoPath= 1\n"
    "LastPrinter=Test Printer\n";

std::string WithoutCarriageReturns(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text;
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void startStatesFollowTheStoredLayout_data();
  void startStatesFollowTheStoredLayout();
  void bookletBoxSwitchesLayoutAndSignatures();
  void oneUpKeepsTheBookletCheckAndPreparesOneUp();
  void layoutChangeRefreshesThePreviewButBookletBoxDoesNot();
  void picturesSelectTheirOptionUnlessItIsDisabled();
  void tabStripShowsOnePageAndIgnoresTheShownTab();
  void printerModeWithNothingSelectedIsZero();
  void sheetsPerSignatureFromTheSignatureBox_data();
  void sheetsPerSignatureFromTheSignatureBox();
  void secondCopyEndsSilently();
  void singleCopyLockIsHeldByOneCopyAtATime();
  void noPrinterEndsWithItsMessage();
  void unsuitablePrinterNoEndsWithoutWriting();
  void unsuitablePrinterYesWaitsForTheChoiceAndChecksAgain();
  void unsuitablePrinterYesOpensThePrinterDialog();
  void commandLineFileWinsOverTheStoredOne_data();
  void commandLineFileWinsOverTheStoredOne();
  void startUpFailureEndsLoadingWithoutAMessage();
  void todayIsTakenFromTheSystemDate();
  void freshInstallSavesEveryKeyAtExit();
  void exitAndClosingTheWindowSaveTheSameFile();
  void lineFileIsDeletedAtExitUnlessItIsTheSource();
  void aboutBoxIsOneNonModalBoxClosedByEnterOrEsc();
  void helpButtonOpensTheHelpPage();
  void printButtonRunsThePreparationInTheStatusWindow();
  void printButtonRefusedFontEndsTheRequestWithOneMessage();
  void refusedFontOnALayoutClickIsReported();
  void helpPageLiesBesideTheProgramUnlessInstalled();
};

void MainWindowTest::startStatesFollowTheStoredLayout_data() {
  QTest::addColumn<int>("stored_layout");
  QTest::addColumn<int>("stored_book");
  QTest::addColumn<QString>("selected");
  QTest::addColumn<bool>("booklet_checked");
  QTest::addColumn<bool>("booklet_enabled");
  QTest::addColumn<bool>("signatures_enabled");
  QTest::addColumn<int>("layout");
  QTest::addColumn<QString>("preview");
  // Font sizes by layout: 8, 6, 4, 8 points (the defaults).
  QTest::newRow("1 up, booklet 0") << 0 << 0 << "LayoutSelection_0" << false << false << false
                                   << 0 << "The current font is Times New Roman 8 Pts";
  QTest::newRow("1 up, booklet 1") << 0 << 1 << "LayoutSelection_0" << false << false << false
                                   << 0 << "The current font is Times New Roman 8 Pts";
  QTest::newRow("2 up, booklet 0") << 1 << 0 << "LayoutSelection_1" << false << true << false
                                   << 1 << "The current font is Times New Roman 6 Pts";
  QTest::newRow("2 up, booklet 1") << 1 << 1 << "LayoutSelection_1" << false << true << false
                                   << 1 << "The current font is Times New Roman 6 Pts";
  QTest::newRow("4 up, booklet 0") << 2 << 0 << "LayoutSelection_2" << false << false << false
                                   << 2 << "The current font is Times New Roman 4 Pts";
  QTest::newRow("4 up, booklet 1") << 2 << 1 << "LayoutSelection_2" << false << false << false
                                   << 2 << "The current font is Times New Roman 4 Pts";
  QTest::newRow("booklet, booklet 0") << 3 << 0 << "LayoutSelection_1" << true << true << true
                                      << 3 << "The current font is Times New Roman 8 Pts";
  QTest::newRow("booklet, booklet 1") << 3 << 1 << "LayoutSelection_1" << true << true << true
                                      << 3 << "The current font is Times New Roman 8 Pts";
}

void MainWindowTest::startStatesFollowTheStoredLayout() {
  QFETCH(int, stored_layout);
  QFETCH(int, stored_book);
  QFETCH(QString, selected);
  QFETCH(bool, booklet_checked);
  QFETCH(bool, booklet_enabled);
  QFETCH(bool, signatures_enabled);
  QFETCH(int, layout);
  QFETCH(QString, preview);
  Harness h;
  h.Ini("Layout= " + std::to_string(stored_layout) + "\nDoBook= " + std::to_string(stored_book) +
        "\n");
  h.Start();

  QCOMPARE(h.result, FrmMain::LoadResult::kShow);
  QCOMPARE(h.window->windowTitle(), QString("Quireon2"));
  for (const char* name : {"LayoutSelection_0", "LayoutSelection_1", "LayoutSelection_2"}) {
    QCOMPARE(h.Option(name)->isChecked(), selected == name);
  }
  QCOMPARE(h.Box("DoBooklet")->isChecked(), booklet_checked);
  QCOMPARE(h.Box("DoBooklet")->isEnabled(), booklet_enabled);
  QCOMPARE(h.Box("DoSig")->isEnabled(), signatures_enabled);
  QCOMPARE(h.Edit("SigNum")->isEnabled(), signatures_enabled);
  QCOMPARE(h.Layout(), layout);
  QCOMPARE(h.Preview(), preview);
  QCOMPARE(h.Edit("SigNum")->text(), QString("4"));
  QVERIFY(!h.Button("P_0")->isEnabled());  // no source file yet
  EXPECT_NO_STRAY_MESSAGES(h);
}

void MainWindowTest::bookletBoxSwitchesLayoutAndSignatures() {
  Harness h;
  h.Start();
  QCOMPARE(h.Layout(), 3);
  QCheckBox* booklet = h.Box("DoBooklet");
  QCheckBox* signatures = h.Box("DoSig");
  QLineEdit* count = h.Edit("SigNum");

  Click(booklet);
  QVERIFY(!booklet->isChecked());
  QCOMPARE(h.Layout(), 1);
  QVERIFY(!signatures->isEnabled());
  QVERIFY(!count->isEnabled());

  Click(booklet);
  QCOMPARE(h.Layout(), 3);
  QVERIFY(signatures->isEnabled());
  QVERIFY(count->isEnabled());

  // "&Use Signatures" governs the count box.
  ClickTab(h.Tabs(), 1);
  Click(signatures);
  QVERIFY(signatures->isChecked());
  QVERIFY(count->isEnabled());
  Click(signatures);
  QVERIFY(!count->isEnabled());
  Click(signatures);
  QVERIFY(count->isEnabled());

  // The outline box changes DoBox at once, not only when a job is prepared.
  Click(h.Box("DoOutlines"));
  QCOMPARE(int{h.program.settings().DoBox}, 1);
  Click(h.Box("DoOutlines"));
  QCOMPARE(int{h.program.settings().DoBox}, 0);
  EXPECT_NO_STRAY_MESSAGES(h);
}

void MainWindowTest::oneUpKeepsTheBookletCheckAndPreparesOneUp() {
  Harness h;
  // Three pages, each ended by a form feed but the last.
  std::string text = h.File("three.txt", "one\ftwo\fthree\r\n");
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
  QCOMPARE(h.Layout(), 0);
  QCOMPARE(int{h.program.prep.PrintOrientation}, 1);
  Click(h.Button("P_0"));

  // Back to 2 up: the kept check makes it a booklet again, on a landscape sheet.
  Click(h.Option("LayoutSelection_1"));
  QVERIFY(h.Box("DoBooklet")->isEnabled());
  QCOMPARE(h.Layout(), 3);
  QCOMPARE(int{h.program.prep.PrintOrientation}, 2);
  Click(h.Button("P_0"));

  // 1 up: one sheet a page; booklet: four pages a sheet.
  QCOMPARE(prepared.size(), std::size_t{2});
  QCOMPARE(prepared[0].first, 0);
  QCOMPARE(prepared[0].second, 3);
  QCOMPARE(prepared[1].first, 3);
  QCOMPARE(prepared[1].second, 1);
  EXPECT_NO_STRAY_MESSAGES(h);
}

void MainWindowTest::layoutChangeRefreshesThePreviewButBookletBoxDoesNot() {
  Harness h;
  h.Ini("Layout 2 font=Courier New\nLayout2= 5\n");
  h.Start();
  QCOMPARE(h.Preview(), QString("The current font is Times New Roman 8 Pts"));

  Click(h.Option("LayoutSelection_2"));
  QCOMPARE(h.Preview(), QString("The current font is Courier New 5 Pts"));
  QCOMPARE(h.Find<QLabel>("FontPreview")->font().family(), QString("Courier New"));
  QCOMPARE(h.Find<QLabel>("FontPreview")->font().pointSizeF(), 5.0);
  QCOMPARE(Q(h.surface.FontName()), QString("Courier New"));

  Click(h.Option("LayoutSelection_1"));
  QCOMPARE(h.Preview(), QString("The current font is Times New Roman 8 Pts"));

  // Layout 1 has 6 points, yet the box leaves the preview alone.
  Click(h.Box("DoBooklet"));
  QCOMPARE(h.Layout(), 1);
  QCOMPARE(h.Preview(), QString("The current font is Times New Roman 8 Pts"));
  Click(h.Box("DoBooklet"));
  QCOMPARE(h.Preview(), QString("The current font is Times New Roman 8 Pts"));
  EXPECT_NO_STRAY_MESSAGES(h);
}

void MainWindowTest::picturesSelectTheirOptionUnlessItIsDisabled() {
  // A printer without two-sided printing: "&Double Side printer only" cannot be chosen.
  Harness h({Printer("One Sided", /*two_sided=*/0)});
  h.Start();
  QRadioButton* double_side = h.Option("printermode_2");
  QVERIFY(!double_side->isEnabled());
  QVERIFY(h.Find<Picture>("Image2_2")->faded());
  QVERIFY(h.Option("printermode_1")->isChecked());

  QTest::mouseClick(h.Find<Picture>("Image2_2"), Qt::LeftButton);
  QVERIFY(!double_side->isChecked());
  QVERIFY(h.Option("printermode_1")->isChecked());
  QCOMPARE(h.window->GetPrinterMode(), 1);

  QTest::mouseClick(h.Find<Picture>("Image2_0"), Qt::LeftButton);
  QVERIFY(h.Option("printermode_0")->isChecked());
  QVERIFY(h.Option("printermode_0")->hasFocus());
  QVERIFY(h.Find<Picture>("Image2_0")->selected());
  QVERIFY(!h.Find<Picture>("Image2_1")->selected());

  QTest::mouseClick(h.Find<Picture>("Image1_2"), Qt::LeftButton);
  QVERIFY(h.Option("LayoutSelection_2")->isChecked());
  QCOMPARE(h.Layout(), 2);
  QCOMPARE(h.Preview(), QString("The current font is Times New Roman 4 Pts"));
  QTest::mouseClick(h.Find<Picture>("Image1_1"), Qt::LeftButton);
  QCOMPARE(h.Layout(), 3);
  EXPECT_NO_STRAY_MESSAGES(h);
}

void MainWindowTest::tabStripShowsOnePageAndIgnoresTheShownTab() {
  Harness h;
  h.Ini("DefTab= 1\n");
  h.Start();
  QFrame* layout_page = h.Find<QFrame>("Frame10_0");
  QFrame* formatting_page = h.Find<QFrame>("Frame10_1");
  QCOMPARE(h.window->shown_page(), 1);
  QVERIFY(layout_page->isVisible());
  QVERIFY(!formatting_page->isVisible());

  ClickTab(h.Tabs(), 0);
  h.window->TabStrip1_Click();
  QCOMPARE(h.window->shown_page(), 1);
  QVERIFY(layout_page->isVisible());
  QVERIFY(!formatting_page->isVisible());

  ClickTab(h.Tabs(), 1);
  QCOMPARE(h.window->shown_page(), 2);
  QVERIFY(formatting_page->isVisible());
  QVERIFY(!layout_page->isVisible());
  h.window->TabStrip1_Click();
  QVERIFY(formatting_page->isVisible());

  ClickTab(h.Tabs(), 0);
  QCOMPARE(h.window->shown_page(), 1);
  QVERIFY(layout_page->isVisible());
  QVERIFY(!formatting_page->isVisible());

  // The stored tab number is kept as it was read.
  Click(h.Button("AboutHelpExit_2"));
  QVERIFY(WithoutCarriageReturns(ReadAll(h.env.ini_path)).find("\nDefTab= 1\n") !=
          std::string::npos);
  EXPECT_NO_STRAY_MESSAGES(h);
}

void MainWindowTest::printerModeWithNothingSelectedIsZero() {
  Harness h;
  h.Start();
  h.window->SetPrinterMode(3);
  QCOMPARE(h.window->GetPrinterMode(), 3);
  // A mode that names no option leaves none selected.
  h.window->SetPrinterMode(7);
  for (const char* name : {"printermode_0", "printermode_1", "printermode_2", "printermode_3"}) {
    QVERIFY2(!h.Option(name)->isChecked(), name);
  }
  QCOMPARE(h.window->GetPrinterMode(), 0);
  h.program.settings().PrinterMode = 2;
  quireon2::GetOptions(h.program);
  QCOMPARE(int{h.program.settings().PrinterMode}, 0);
  // A click still selects exactly one again.
  Click(h.Option("printermode_2"));
  QCOMPARE(h.window->GetPrinterMode(), 2);
  EXPECT_NO_STRAY_MESSAGES(h);
}

void MainWindowTest::sheetsPerSignatureFromTheSignatureBox_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<int>("sheets");
  QTest::addColumn<int>("per_signature");
  QTest::newRow("zero") << "0" << 25 << 0;
  QTest::newRow("empty") << "" << 25 << 0;
  QTest::newRow("letter") << "x4" << 25 << 0;
  QTest::newRow("12 of 25 sheets") << "12" << 25 << 3;   // 25 \ 12 = 2, remainder 1
  QTest::newRow("-3 of 10 sheets") << "-3" << 10 << -2;  // 10 \ -3 = -3, remainder 1
  QTest::newRow("4 of 8 sheets") << "4" << 8 << 2;
  QTest::newRow("only two characters") << "123" << 25 << 3;  // the box keeps "12"
}

void MainWindowTest::sheetsPerSignatureFromTheSignatureBox() {
  QFETCH(QString, typed);
  QFETCH(int, sheets);
  QFETCH(int, per_signature);
  Harness h;
  h.Start();
  ClickTab(h.Tabs(), 1);
  QLineEdit* box = h.Edit("SigNum");
  box->selectAll();
  QTest::keyClick(box, Qt::Key_Delete);
  QTest::keyClicks(box, typed);
  h.program.prep.SheetCount = static_cast<quireon2::Integer>(sheets);
  quireon2::UpdateCounts(h.program);
  QCOMPARE(h.status.counts.size(), std::size_t{1});
  QCOMPARE(h.status.counts.back().sheets_per_signature, per_signature);
  EXPECT_NO_STRAY_MESSAGES(h);
}

void MainWindowTest::secondCopyEndsSilently() {
  QTemporaryDir lock_dir;
  quireon2::SingleCopyLock running(lock_dir.path().toStdString());
  QVERIFY(running.Acquire());
  quireon2::SingleCopyLock mine(lock_dir.path().toStdString());
  Harness h;
  h.env.another_copy_running = [&mine] { return !mine.Acquire(); };
  h.Start();
  QCOMPARE(h.result, FrmMain::LoadResult::kEndProcess);
  QVERIFY(h.prompt.shown().empty());
  QVERIFY(h.surface.calls().empty());
  QVERIFY(h.window->windowTitle().isEmpty());
  QVERIFY(!Exists(h.env.ini_path));
  EXPECT_NO_STRAY_MESSAGES(h);
}

void MainWindowTest::singleCopyLockIsHeldByOneCopyAtATime() {
  QTemporaryDir lock_dir;
  std::string folder = lock_dir.path().toStdString();
  auto first = std::make_unique<quireon2::SingleCopyLock>(folder);
  quireon2::SingleCopyLock second(folder);
  QVERIFY(first->Acquire());
  QVERIFY(first->Acquire());  // asking again keeps it
  QVERIFY(!second.Acquire());
  QVERIFY(Q(first->path()).contains(QString("-%1.lock").arg(::getuid())));
  first.reset();
  QVERIFY(second.Acquire());
  QVERIFY(second.held());
}

void MainWindowTest::noPrinterEndsWithItsMessage() {
  Harness h({Printer("   ")});
  h.prompt.Expect("you do not have a printer selected please add a printer and rerun Quireon2");
  h.Start();
  QCOMPARE(h.result, FrmMain::LoadResult::kEndProcess);
  QCOMPARE(h.prompt.shown().size(), std::size_t{1});
  QCOMPARE(h.prompt.shown()[0].buttons, quireon2::Buttons::kOk);
  QVERIFY(!Exists(h.env.ini_path));
  EXPECT_NO_STRAY_MESSAGES(h);
}

void MainWindowTest::unsuitablePrinterNoEndsWithoutWriting() {
  Harness h({Printer("Flat Printer", 1, /*landscape=*/0), Printer("Wide Printer")});
  h.env.choose_printer = [&h](Program&, QWidget*) { ++h.printer_choices; };
  h.prompt.Expect(
      "Your printer Flat Printer does not support features Quireon2 needs. Select yes to "
      "choose another printer, No to exit",
      Answer::kNo);
  h.Start();
  QCOMPARE(h.result, FrmMain::LoadResult::kEndProcess);
  QCOMPARE(h.printer_choices, 0);
  QCOMPARE(h.prompt.shown()[0].buttons, quireon2::Buttons::kYesNo);
  QVERIFY(!Exists(h.env.ini_path));
  EXPECT_NO_STRAY_MESSAGES(h);
}

void MainWindowTest::unsuitablePrinterYesWaitsForTheChoiceAndChecksAgain() {
  Harness h({Printer("Flat Printer", 1, /*landscape=*/0), Printer("Wide Printer")});
  // The first choice keeps the same printer, so the question comes back; the second
  // choice takes a printer with landscape.
  h.env.choose_printer = [&h](Program& p, QWidget* parent) {
    ++h.printer_choices;
    QCOMPARE(parent, static_cast<QWidget*>(h.window.get()));
    if (h.printer_choices == 2) p.surface().SelectPrinter(1);
  };
  const std::string question =
      "Your printer Flat Printer does not support features Quireon2 needs. Select yes to "
      "choose another printer, No to exit";
  h.prompt.Expect(question, Answer::kYes);
  h.prompt.Expect(question, Answer::kYes);
  h.Start();
  QCOMPARE(h.result, FrmMain::LoadResult::kShow);
  QCOMPARE(h.printer_choices, 2);
  QCOMPARE(Q(h.surface.DeviceName()), QString("Wide Printer"));
  QCOMPARE(h.Layout(), 3);
  EXPECT_NO_STRAY_MESSAGES(h);
}

void MainWindowTest::unsuitablePrinterYesOpensThePrinterDialog() {
  Harness h({Printer("Flat Printer", 1, /*landscape=*/0), Printer("Wide Printer")});
  h.prompt.Expect(
      "Your printer Flat Printer does not support features Quireon2 needs. Select yes to "
      "choose another printer, No to exit",
      Answer::kYes);
  // Start-up must wait in the dialog: the person picks "Wide Printer" and presses OK.
  bool chosen = false;
  QTimer poll;
  poll.setInterval(20);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (top->objectName() != "PrtDlg" || !top->isVisible()) continue;
      auto* name = top->findChild<QComboBox*>("Combo1");
      auto* ok = top->findChild<QAbstractButton*>("Command1_0");
      if (name == nullptr || ok == nullptr) return;
      poll.stop();
      name->setEditText("Wide Printer");
      chosen = true;
      ok->click();
      return;
    }
  });
  poll.start();
  // Should the dialog never be found, close it so the test fails instead of hanging.
  QTimer::singleShot(10000, [&] {
    poll.stop();
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (top->objectName() == "PrtDlg") top->close();
    }
  });
  h.Start();
  QVERIFY(chosen);
  QCOMPARE(h.result, FrmMain::LoadResult::kShow);
  QCOMPARE(Q(h.surface.DeviceName()), QString("Wide Printer"));
  EXPECT_NO_STRAY_MESSAGES(h);
}

void MainWindowTest::commandLineFileWinsOverTheStoredOne_data() {
  QTest::addColumn<QString>("command_line");  // "NEW" stands for the new file's path
  QTest::addColumn<bool>("stored_exists");
  QTest::addColumn<QString>("shown");  // "NEW", "STORED" or empty
  QTest::newRow("existing file wins") << "NEW" << true << "NEW";
  QTest::newRow("missing file falls back") << "NEW-missing" << true << "STORED";
  QTest::newRow("quoted name is not a file") << "\"NEW\"" << true << "STORED";
  QTest::newRow("no command line") << "" << true << "STORED";
  QTest::newRow("nothing usable") << "NEW-missing" << false << "";
  QTest::newRow("stored one gone") << "NEW" << false << "NEW";
}

void MainWindowTest::commandLineFileWinsOverTheStoredOne() {
  QFETCH(QString, command_line);
  QFETCH(bool, stored_exists);
  QFETCH(QString, shown);
  Harness h;
  std::string fresh = h.File("new file.txt", "new\r\n");
  std::string stored = h.Path("stored.txt");
  if (stored_exists) h.File("stored.txt", "stored\r\n");
  h.Ini("TextFile=" + stored + "\n");
  auto resolve = [&](QString text) {
    text.replace("STORED", Q(stored));
    return text.replace("NEW", Q(fresh));
  };
  h.Start(resolve(command_line).toStdString());

  QString expected = resolve(shown);
  QCOMPARE(h.Edit("Text1")->text(), expected);
  QCOMPARE(Q(h.program.settings().TextFile), expected);
  QCOMPARE(h.Button("P_0")->isEnabled(), !expected.isEmpty());
  EXPECT_NO_STRAY_MESSAGES(h);
}

void MainWindowTest::startUpFailureEndsLoadingWithoutAMessage() {
  Harness h;
  std::string text = h.File("a.txt", "a\r\n");
  h.Ini("Layout= 0\n");
  // Choosing the stored 1 up asks the printer for its font, which it refuses.
  h.surface.printer().refuses = {"FontName"};
  h.Start(text);
  QCOMPARE(h.result, FrmMain::LoadResult::kShow);
  QVERIFY(h.prompt.shown().empty());
  QCOMPARE(h.window->windowTitle(), QString("Quireon2"));
  // The steps after the failure did not run: no source file, no date.
  QVERIFY(h.Edit("Text1")->text().isEmpty());
  QVERIFY(!h.Button("P_0")->isEnabled());
  QVERIFY(h.program.settings_state.today.empty());
  EXPECT_NO_STRAY_MESSAGES(h);
}

void MainWindowTest::todayIsTakenFromTheSystemDate() {
  Harness h;
  h.env.today.clear();
  QDate before = QDate::currentDate();
  h.Start();
  QDate after = QDate::currentDate();
  const QString today = Q(h.program.settings_state.today);
  QVERIFY2(QRegularExpression("^\\d\\d-\\d\\d-\\d\\d\\d\\d$").match(today).hasMatch(),
           qPrintable(today));
  QStringList parts = today.split('-');
  QDate taken(parts[2].toInt(), parts[0].toInt(), parts[1].toInt());
  QVERIFY(taken == before || taken == after);

  Harness fixed;
  fixed.Start();
  QCOMPARE(Q(fixed.program.settings_state.today), QString("07-04-2026"));
}

void MainWindowTest::freshInstallSavesEveryKeyAtExit() {
  Harness h;
  h.Start();
  Click(h.Button("AboutHelpExit_2"));
  QCOMPARE(h.ended, 1);
  QCOMPARE(Q(WithoutCarriageReturns(ReadAll(h.env.ini_path))), Q(kFreshSettings));
}

void MainWindowTest::exitAndClosingTheWindowSaveTheSameFile() {
  auto change_options = [](Harness& h) {
    Click(h.Option("LayoutSelection_2"));
    Click(h.Option("printermode_0"));
    ClickTab(h.Tabs(), 1);
    Click(h.Box("DoOutlines"));
    Click(h.Box("HPageNum"));
    Click(h.Box("FDate"));
    h.Edit("TCount")->selectAll();
    QTest::keyClicks(h.Edit("TCount"), "8");
  };
  Harness by_exit;
  by_exit.Start();
  change_options(by_exit);
  Click(by_exit.Button("AboutHelpExit_2"));
  QCOMPARE(by_exit.ended, 1);
  QVERIFY(!by_exit.window->isVisible());

  Harness by_close;
  by_close.Start();
  change_options(by_close);
  QVERIFY(by_close.window->close());
  QCOMPARE(by_close.ended, 1);

  std::string saved = ReadAll(by_exit.env.ini_path);
  QCOMPARE(Q(ReadAll(by_close.env.ini_path)), Q(saved));
  for (const char* line : {"Layout= 2", "PrinterMode= 0", "DoBox= 1", "HPgNumber= 1",
                           "FCurDate= 1", "TCount= 8", "DoBook= 1"}) {
    QVERIFY2(saved.find(std::string(line) + "\n") != std::string::npos ||
                 saved.find(std::string(line) + "\r\n") != std::string::npos,
             line);
  }
  EXPECT_NO_STRAY_MESSAGES(by_exit);
  EXPECT_NO_STRAY_MESSAGES(by_close);
}

void MainWindowTest::lineFileIsDeletedAtExitUnlessItIsTheSource() {
  Harness h;
  std::string text = h.File("source.txt", "one\r\ntwo\r\n");
  h.env.run_status_window = [](Program& p, QWidget*) { QVERIFY(quireon2::PrePrint1(p)); };
  h.Start(text);
  Click(h.Button("P_0"));
  std::string line_file = h.program.prep.LineFilePath;
  QVERIFY(!line_file.empty());
  QVERIFY(Exists(line_file));
  Click(h.Button("AboutHelpExit_2"));
  QVERIFY(!Exists(line_file));
  std::string saved = WithoutCarriageReturns(ReadAll(h.env.ini_path));
  QVERIFY(saved.find("\nLastTempFile=\n") != std::string::npos);
  QVERIFY(saved.find("\nTextFile=" + text + "\n") != std::string::npos);

  // The source itself named as the line file stays.
  Harness same;
  std::string source = same.File("source.txt", "keep me\r\n");
  same.Start(source);
  same.program.prep.LineFilePath = source;
  QVERIFY(same.window->close());
  QVERIFY(Exists(source));
  QCOMPARE(Q(ReadAll(source)), QString("keep me\r\n"));
  EXPECT_NO_STRAY_MESSAGES(h);
  EXPECT_NO_STRAY_MESSAGES(same);
}

void MainWindowTest::aboutBoxIsOneNonModalBoxClosedByEnterOrEsc() {
  Harness h;
  h.Start();
  Click(h.Button("AboutHelpExit_0"));
  QPointer<FrmAbout> about = h.window->about_box();
  QVERIFY(about);
  QVERIFY(about->isVisible());
  QVERIFY(!about->isModal());
  QCOMPARE(about->windowTitle(), QString("About Quireon2"));
  QCOMPARE(about->findChild<QLabel*>("lblVersion")->text(), QString("Version 1.2.0"));
  QCOMPARE(about->findChild<QLabel*>("lblTitle")->text(), QString("Quireon2"));
  QCOMPARE(about->findChild<QLabel*>("lblDescription")->text().count('\n'), 2);

  // The main window stays usable, and a second press brings the same box forward.
  Click(h.Option("LayoutSelection_0"));
  QCOMPARE(h.Layout(), 0);
  Click(h.Button("AboutHelpExit_0"));
  QCOMPARE(h.window->about_box(), about.data());
  QCOMPARE(h.window->findChildren<FrmAbout*>().size(), 1);

  QVERIFY(QTest::qWaitForWindowExposed(about.data()));
  QTest::keyClick(about.data(), Qt::Key_Return);
  QTRY_VERIFY(about.isNull());

  Click(h.Button("AboutHelpExit_0"));
  about = h.window->about_box();
  QVERIFY(about);
  QVERIFY(QTest::qWaitForWindowExposed(about.data()));
  QTest::keyClick(about.data(), Qt::Key_Escape);
  QTRY_VERIFY(about.isNull());
  EXPECT_NO_STRAY_MESSAGES(h);
}

void MainWindowTest::helpButtonOpensTheHelpPage() {
  Harness h;
  h.Start();
  Click(h.Button("AboutHelpExit_1"));
  QCOMPARE(h.help_opened.size(), std::size_t{1});
  QCOMPARE(Q(h.help_opened[0]), Q(h.Path("quireon2.html")));
  QCOMPARE(h.ended, 0);
  EXPECT_NO_STRAY_MESSAGES(h);
}

void MainWindowTest::printButtonRunsThePreparationInTheStatusWindow() {
  Harness h;
  std::string text = h.File("five.txt", "1\f2\f3\f4\f5\r\n");
  h.env.run_status_window = nullptr;  // the real status window
  h.Ini("Layout= 2\nLayout2= 7\n");
  h.Start(text);
  QVERIFY(h.Button("P_0")->isEnabled());

  QString title, pages, sheets;
  bool closed = false;
  QTimer poll;
  poll.setInterval(20);
  QElapsedTimer waited;
  waited.start();
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) return;
    auto* total = modal->findChild<QLabel*>("TotalPageDisplay");
    auto* close = modal->findChild<QAbstractButton*>("PrintBook_1");
    bool ready = total != nullptr && !total->text().isEmpty() && close != nullptr &&
                 close->isEnabled();
    if (ready || waited.elapsed() > 10000) {
      title = modal->windowTitle();
      pages = total != nullptr ? total->text() : QString();
      auto* sheet_label = modal->findChild<QLabel*>("TotalSheetDisplay");
      sheets = sheet_label != nullptr ? sheet_label->text() : QString();
      poll.stop();
      closed = true;
      if (close != nullptr && close->isEnabled()) {
        close->click();
      } else {
        modal->close();
      }
    }
  });
  poll.start();
  Click(h.Button("P_0"));
  QVERIFY(closed);
  QCOMPARE(title, QString("Printing Status"));
  QCOMPARE(pages, QString("5"));
  QCOMPARE(sheets, QString("2"));  // 4 up: five pages on two sheets
  // The layout's font went to the printer before the preparation.
  QCOMPARE(int{h.program.settings_state.print_font_size}, 7);
  QCOMPARE(h.surface.FontSize(), 7.0);
  QCOMPARE(h.Preview(), QString("The current font is Times New Roman 7 Pts"));
  EXPECT_NO_STRAY_MESSAGES(h);
}

void MainWindowTest::printButtonRefusedFontEndsTheRequestWithOneMessage() {
  Harness h;
  std::string text = h.File("a.txt", "a\r\n");
  h.Start(text);
  h.surface.printer().refuses = {"FontName"};
  h.prompt.Expect(
      "Your Printer - Test Printer does not support features needed for Quireon2. Please "
      "select another printer");
  Click(h.Button("P_0"));
  QCOMPARE(h.status_windows, 0);
  QCOMPARE(h.prompt.shown().size(), std::size_t{1});
  EXPECT_NO_STRAY_MESSAGES(h);
}

void MainWindowTest::refusedFontOnALayoutClickIsReported() {
  Harness h;
  h.Start();
  h.surface.printer().refuses = {"FontName"};
  h.prompt.Expect(
      "Your Printer - Test Printer does not support features needed for Quireon2. Please "
      "select another printer");
  Click(h.Option("LayoutSelection_2"));
  // The rule's own changes before the printer was asked stand.
  QCOMPARE(h.Layout(), 2);
  QVERIFY(!h.Box("DoBooklet")->isEnabled());
  EXPECT_NO_STRAY_MESSAGES(h);
}

void MainWindowTest::helpPageLiesBesideTheProgramUnlessInstalled() {
  QTemporaryDir root;
  const std::string base = root.path().toStdString();
  QVERIFY(QDir(root.path()).mkpath("usr/bin"));
  QVERIFY(QDir(root.path()).mkpath("build"));
  const std::string bin = base + "/usr/bin";
  const std::string share = base + "/usr/share/quireon2";
  QCOMPARE(Q(quireon2::HelpFilePath(base + "/build", bin, share)),
           Q(base + "/build/quireon2.html"));
  QCOMPARE(Q(quireon2::HelpFilePath(bin, bin, share)), Q(share + "/quireon2.html"));
  // The same folder written another way is still the installed one.
  QCOMPARE(Q(quireon2::HelpFilePath(base + "/usr/../usr/bin/", bin, share)),
           Q(share + "/quireon2.html"));
  // Without a known install folder the page is looked for beside the program...
  QCOMPARE(Q(quireon2::HelpFilePath(bin, "", "")), Q(bin + "/quireon2.html"));
  // ...or, when it lies only in the share folder of the program's own prefix, there.
  QVERIFY(QDir(root.path()).mkpath("usr/share/quireon2"));
  WriteAll(share + "/quireon2.html", "<html></html>");
  QCOMPARE(Q(quireon2::HelpFilePath(bin, "", "")), Q(share + "/quireon2.html"));
  WriteAll(bin + "/quireon2.html", "<html></html>");
  QCOMPARE(Q(quireon2::HelpFilePath(bin, "", "")), Q(bin + "/quireon2.html"));
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
