// The windows driven through their real widgets on the test fakes, as a desktop user meets
// them. The main window: start-up from stored settings, the option rules, access keys and
// the desktop's keys, file names typed, browsed for, dropped and handed over by a second
// start, and shutdown. The status window with its sheet preview, and the printer and font
// dialogs. ctest runs this under a comma locale, which QApplication takes on: stored
// numbers must still be read and written with a point.
#include <QtTest>
#include <QtWidgets>
#include <fstream>
#include <tuple>

#include "platform/single_copy_lock.h"
#include "support/test_program.h"
#include "textprep/layout_metrics.h"
#include "textprep/prep_run.h"
#include "ui/font_dlg.h"
#include "ui/frm_main.h"
#include "ui/frm_preview.h"
#include "ui/frm_status.h"
#include "ui/pdf_save.h"
#include "ui/pictures.h"
#include "ui/printer_dialogs.h"
#include "ui/prt_dlg.h"
#include "ui/qt_prompt.h"
#include "ui/source_file.h"

// Printers are written as aggregates: the fields left out keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using namespace quireon2;
using namespace quireon2::testing;

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The main window on one program with the recording surface and the scripted prompt, a
// scratch folder for its files, and in place of the status window a count of requests.
struct WindowHarness : TestProgram {
  QTemporaryDir dir;
  ui::StartupEnvironment env;
  int ended = 0, status_windows = 0;
  std::unique_ptr<ui::FrmMain> main;

  explicit WindowHarness(std::vector<RecordedPrinter> printers = {RecordedPrinter{}})
      : TestProgram(std::move(printers)) {
    env.ini_path = Path("Quireon2.ini");
    env.help_path = Path("quireon2.html");
    env.end_process = [this] { ++ended; };
    env.run_status_window = [this](Program&, QWidget*) { ++status_windows; };
  }
  ~WindowHarness() {
    if (!prompt.Problems().empty()) QTest::qFail(prompt.Problems().c_str(), __FILE__, __LINE__);
  }

  std::string Path(const std::string& name) const { return dir.filePath(Q(name)).toStdString(); }
  std::string File(const std::string& name, const std::string& bytes = "text\n") const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
    return Path(name);
  }

  // Loads the window with the settings `keys` stored (none: no file), as a start with
  // `command_line` does; true when start-up goes on and the window shows, active.
  bool Start(const std::string& keys = "", const std::string& command_line = "") {
    if (!keys.empty()) File("Quireon2.ini", "[Quireon2]\n" + keys);
    env.command_line = command_line;
    main = std::make_unique<ui::FrmMain>(program, env);
    if (main->Form_Load() != ui::FrmMain::LoadResult::kShow) return false;
    main->show();
    QApplication::setActiveWindow(main.get());
    return QTest::qWaitForWindowActive(main.get());
  }

  template <class T = QAbstractButton>
  T* Find(const QString& name) const {
    return main->findChild<T*>(name);
  }
  QLineEdit* Box() const { return Find<QLineEdit>("Text1"); }
  bool CanPrint() const { return Find("P_0")->isEnabled(); }
};

// What the option rules decide, as one line: the layout, the booklet box ("ticked"/"clear",
// "greyed" when disabled), whether the signature box and the signature count can be used,
// the paper-feed option, and the preview's font and size.
QString State(const WindowHarness& h) {
  auto on = [&h](const char* name) { return h.Find<QWidget>(name)->isEnabled() ? "on" : "off"; };
  const QCheckBox* booklet = h.Find<QCheckBox>("DoBooklet");
  return QString("layout %1, book %2%3, sigs %4/%5, mode %6, %7")
      .arg(h.program.settings().Layout)
      .arg(booklet->isChecked() ? "ticked" : "clear", booklet->isEnabled() ? "" : " greyed",
           on("DoSig"), on("SigNum"))
      .arg(h.main->GetPrinterMode())
      .arg(h.Find<QLabel>("FontPreview")->text().remove("The current font is ").remove(" Pts"));
}

// Fails on an access key that two widgets a user can reach in `window` as it shows now
// share, and on a text box, list or picture with neither a name for screen readers nor a
// label naming it (listed as "unnamed"). Captions without an access key gather under "".
void ExpectUniqueKeys(QWidget* window) {
  std::map<QString, QStringList> keys;
  auto add = [&](const QString& text) { keys[QKeySequence::mnemonic(text).toString()] << text; };
  QSet<QWidget*> labelled;
  for (QLabel* label : window->findChildren<QLabel*>()) {
    if (label->buddy() && label->isVisibleTo(window)) add(label->text());
    labelled << label->buddy();
  }
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(window)) continue;
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) add(button->text());
    if ((qobject_cast<QLineEdit*>(widget) || qobject_cast<QListWidget*>(widget) ||
         qobject_cast<ui::Picture*>(widget)) &&
        widget->accessibleName().isEmpty() && !labelled.contains(widget) &&
        !qobject_cast<QComboBox*>(widget->parentWidget())) {
      keys["unnamed"] << widget->objectName();
    }
    if (auto* box = qobject_cast<QGroupBox*>(widget)) add(box->title());
    if (auto* tabs = qobject_cast<QTabBar*>(widget)) {
      for (int i = 0; i < tabs->count(); ++i) add(tabs->tabText(i));
    }
  }
  for (const auto& [key, owners] : keys) {
    const QString problem = window->windowTitle() + ": " + key + " on " + owners.join(", ");
    QVERIFY2(key.isEmpty() || (owners.size() == 1 && key != "unnamed"), qPrintable(problem));
  }
}

// The status window of a print request for `text` (no source file when empty) as a
// booklet, flipped: the second pass feeds the last sheet first.
struct StatusJob : WindowHarness {
  ui::FrmStatus w{program};

  explicit StatusJob(const std::string& text) {
    window.SetText(TextBox::kText1, text.empty() ? "" : File("notes.txt", text));
    window.SelectLayoutOption(1);
    window.SetCheckValue(CheckBox::kDoBooklet, 1);
    window.SetPrinterMode(1);
    ComputeLayoutMetrics(program, 0);
  }
  ~StatusJob() { DeleteLineFile(program); }

  QPushButton* print_now = w.findChild<QPushButton*>("PrintBook_0");
  QPushButton* close = w.findChild<QPushButton*>("PrintBook_1");
};

// Presses OK or Cancel and lets a closed dialog finish deleting itself.
void ClickButton(QWidget* dialog, int index) {
  dialog->findChild<QPushButton*>(QString("Command1_%1").arg(index))->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The entries of a list or a box's list.
QStringList Entries(const QAbstractItemModel* model) {
  QStringList entries;
  for (int i = 0; i < model->rowCount(); ++i) entries << model->index(i, 0).data().toString();
  return entries;
}

}  // namespace

class WindowsTest : public QObject {
  Q_OBJECT

 private slots:
  // Start-up from stored settings and the command line ("NEW" a new file's path, "STORED"
  // the stored one's): the file shown and whether Print can print it. The preview draws a
  // huge font small and a tiny one legibly, naming the real size, and the window is as wide
  // with a stored 72-point font as with an 8-point one. A saved "Double Side" mode on a
  // saved printer that prints one side only falls back to "Flipped" with one message, the
  // greyed option saying why; a two-sided saved printer keeps it, though the system's
  // default prints one side.
  void startUpFromStoredSettings() {
    // The booklet's font size, whether the saved printer prints both sides (the system's
    // default is the other way), the command line, whether the stored file exists, the file
    // then shown.
    const std::tuple<int, bool, const char*, bool, const char*> cases[] = {
        {8, true, "NEW", true, "NEW"},
        {72, false, "\"NEW\"", true, "STORED"},
        {4, true, "NEW-missing", false, ""}};
    int width = 0;
    for (const auto& [size, two_sided, command_line, stored_exists, shown] : cases) {
      WindowHarness h({{"Default", !two_sided}, {"Saved", two_sided}});
      const std::string fresh = h.File("new file.txt"), stored = h.Path("stored.txt");
      if (stored_exists) h.File("stored.txt");
      auto resolve = [&](QString text) {
        return text.replace("STORED", Q(stored)).replace("NEW", Q(fresh));
      };
      if (!two_sided) {
        h.prompt.Expect(
            "The printer Saved cannot print both sides, so \"Double Side printer only\" is not "
            "available; \"Flipped\" is used instead.");
      }
      QVERIFY(h.Start("Layout= 3\nPrinterMode= 2\nLastPrinter=Saved\nTextFile=" + stored +
                          "\nLayout3= " + std::to_string(size) + "\n",
                      resolve(command_line).toStdString()));
      QCOMPARE(h.Box()->text(), resolve(shown));
      QCOMPARE(h.CanPrint(), *shown != '\0');
      const QAbstractButton* duplex = h.Find("printermode_2");
      QCOMPARE(h.main->GetPrinterMode(), two_sided ? 2 : 1);
      QCOMPARE(duplex->isEnabled(), two_sided);
      QCOMPARE(duplex->toolTip().contains("printer Saved cannot print both sides."), !two_sided);
      h.Find<QTabBar>("TabStrip1")->setCurrentIndex(1);
      QApplication::processEvents();
      QVERIFY(h.Find<QLabel>("FontPreview")->text().endsWith(QString(" %1 Pts").arg(size)));
      QCOMPARE(h.Find<QLabel>("FontPreview")->font().pointSizeF(), size == 72 ? 20.0 : 8.0);
      if (width == 0) width = h.main->width();
      QCOMPARE(h.main->width(), width);
    }
  }

  // An unsuitable printer at start-up asks whether to choose another: Yes waits for the
  // choice and asks again while it is still unsuitable, No ends start-up. Nothing is saved.
  void startUpEndsWithoutASuitablePrinter() {
    WindowHarness h({{"Flat Printer", 1, /*landscape=*/0}});
    int choices = 0;
    h.env.choose_printer = [&choices](Program&, QWidget*) { ++choices; };
    const std::string unsuitable =
        "Your printer Flat Printer does not support features Quireon2 needs. Select yes to "
        "choose another printer, No to exit";
    h.prompt.Expect(unsuitable, Answer::kYes);
    h.prompt.Expect(unsuitable, Answer::kNo);
    QVERIFY(!h.Start());
    QCOMPARE(choices, 1);
    QVERIFY(!QFile::exists(Q(h.env.ini_path)));
  }

  // One window from stored 1 up on a one-sided printer, clicked through the options (names,
  // "Image..." pictures), and the state after each click. The booklet box switches between
  // 2 up and the booklet and leaves the preview alone; 1 up keeps its tick, greyed; the
  // pictures select their option, but a greyed mode's does nothing; a layout shows its font.
  // A font the printer refuses is reported once and the rule's own changes stay.
  void optionRules() {
    WindowHarness h({{"Test Printer", /*two_sided=*/0}});
    QVERIFY(h.Start("Layout= 0\nDoBook= 1\nLayout 2 font=Courier New\nLayout2= 5\n"));
    const std::pair<const char*, const char*> steps[] = {
        {"", "layout 0, book clear greyed, sigs off/off, mode 1, Times New Roman 8"},
        {"LayoutSelection_1", "layout 1, book clear, sigs off/off, mode 1, Times New Roman 6"},
        {"DoBooklet", "layout 3, book ticked, sigs on/on, mode 1, Times New Roman 6"},
        {"LayoutSelection_0",
         "layout 0, book ticked greyed, sigs off/on, mode 1, Times New Roman 8"},
        {"LayoutSelection_1", "layout 3, book ticked, sigs on/on, mode 1, Times New Roman 8"},
        {"Image2_2", "layout 3, book ticked, sigs on/on, mode 1, Times New Roman 8"},
        {"Image1_2", "layout 2, book ticked greyed, sigs off/on, mode 1, Courier New 5"},
        {"Image2_0", "layout 2, book ticked greyed, sigs off/on, mode 0, Courier New 5"}};
    for (const auto& [name, state] : steps) {
      // On the left of the widget: where an option or a check box has its indicator.
      QWidget* widget = *name ? h.Find<QWidget>(name) : nullptr;
      if (widget) QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(8, widget->height() / 2));
      QCOMPARE(State(h), QString(state));
      // The printer takes the font the preview shows.
      QCOMPARE(Q(h.surface.FontName()), h.Find<QLabel>("FontPreview")->font().family());
    }
    h.surface.printer().refuses = {"FontName"};
    h.prompt.Expect(
        "Your Printer - Test Printer does not support features needed for Quireon2. Please "
        "select another printer");
    h.Find("LayoutSelection_0")->click();
    QVERIFY(State(h).startsWith("layout 0, book ticked greyed"));
  }

  // "E&xit", closing the window and Ctrl+Q each end the program once, remove the line file
  // of the last print, and save the same file with what was clicked and typed on both pages
  // and the stored line spacing, of which four characters are read.
  void everyWayOutSavesTheSameFile() {
    QString first;
    for (int way = 0; way < 3; ++way) {
      WindowHarness h;
      h.env.run_status_window = [](Program& p, QWidget*) { QVERIFY(PrePrint1(p)); };
      QVERIFY(h.Start("LineMultiple=1.125\n", h.File("source.txt", "one\r\ntwo\r\n")));
      h.Find("P_0")->click();
      h.Find("LayoutSelection_2")->click();
      h.Find<QTabBar>("TabStrip1")->setCurrentIndex(1);
      h.Find<QLineEdit>("TCount")->selectAll();
      QTest::keyClicks(h.Find<QLineEdit>("TCount"), "8");
      if (way == 0) h.Find("AboutHelpExit_2")->click();
      if (way == 1) QVERIFY(h.main->close());
      if (way == 2) QTest::keyClick(h.main.get(), Qt::Key_Q, Qt::ControlModifier);
      QCOMPARE(h.ended, 1);
      QFile ini(Q(h.env.ini_path));
      QVERIFY(ini.open(QIODevice::ReadOnly));
      const QString saved = QString(ini.readAll()).remove('\r').replace(h.dir.path(), "DIR");
      if (way == 0) first = saved;
      QCOMPARE(saved, first);
    }
    for (const char* line : {"Layout= 2", "TCount= 8", "LastTempFile=", "TextFile=DIR/source.txt",
                             "LineMultiple= 1.12"}) {
      QVERIFY2(first.contains(QString("\n%1\n").arg(line)), line);
    }
  }

  // Alt+letter presses its widget only when no other reachable widget of each window has
  // the letter, and no box, list or picture goes unnamed; a key on the page not shown cannot
  // act. Also on the main window: the system's date, month first; Help and F1 show help, or
  // say where the page is that could not be shown. Then each kind of message box with its
  // icon, reading as a sentence.
  void keysHelpAndAbout() {
    WindowHarness h;
    int shown = 0;  // times the help page was shown; the second time it cannot be
    h.env.open_help = [&](auto& page) { return page == h.env.help_path && ++shown < 2; };
    QVERIFY(h.Start());
    QCOMPARE(Q(h.program.settings_state.today), QDate::currentDate().toString("MM-dd-yyyy"));
    for (int page : {0, 1}) {
      h.Find<QTabBar>("TabStrip1")->setCurrentIndex(page);
      ExpectUniqueKeys(h.main.get());
    }
    h.Find("AboutHelpExit_1")->click();
    h.prompt.Expect("The help page " + h.env.help_path + " could not be opened.");
    QTest::keyClick(h.main.get(), Qt::Key_F1);
    QCOMPARE(shown, 2);

    h.main->AboutHelpExit_Click(0);
    ui::FontDlg font(h.program);
    font.FormLoad();
    ui::PrtDlg printers(h.program);
    printers.FormLoad();
    ui::FrmStatus status(h.program);
    QWidget* const dialogs[] = {h.main->about_box(), &font, &printers, &status};
    for (QWidget* dialog : dialogs) ExpectUniqueKeys(dialog);

    const std::tuple<Buttons, const char*, int, const char*> messages[] = {
        {Buttons::kOk, "no file x", QMessageBox::Warning, "no file x."},
        {Buttons::kOkCancel, "Paper\r\nthen", QMessageBox::Information, "Paper\nthen."},
        {Buttons::kYesNo, "Another?", QMessageBox::Question, "Another?"}};
    for (const auto& [buttons, text, icon, expected] : messages) {
      QString seen;
      QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        seen = QString("%1 %2").arg(box->icon()).arg(box->text());
        box->reject();
      });
      ui::QtPrompt().Ask(text, buttons);
      QCOMPARE(seen, QString("%1 %2").arg(icon).arg(expected));
    }
  }

  // Names reach the file box typed (then Enter or leaving the box), by the open-file dialog
  // (its button or Ctrl+O; no name: cancelled) or dropped on the box or elsewhere on the
  // window. Step by step on one window: the box, whether Print can print,
  // why the first name cannot be read. FILE can be read; BEFORE was chosen at the start;
  // LINK leads nowhere. Only printing makes a name the one the settings keep.
  void aNameIsCheckedWhenItArrives() {
    WindowHarness h;
    QVERIFY(QFile::link(Q(h.Path("gone")), Q(h.Path("LINK"))) && QDir(h.dir.path()).mkdir("DIR"));
    auto path = [&h](const QString& name) { return name.isEmpty() ? name : h.dir.filePath(name); };
    h.File("FILE");
    QVERIFY(h.Start());
    QVERIFY(h.main->source_file()->OpenSourceFile(h.File("BEFORE")));
    // How the names come, the names, the box then, whether Print can print, and why the
    // first name cannot be read (no message when empty).
    const std::tuple<QString, QStringList, const char*, bool, const char*> steps[] = {
        {"button", {}, "BEFORE", true, ""},
        {"enter", {"MISSING"}, "MISSING", false, "doesn't exist"},
        {"leave", {"DIR"}, "DIR", false, "is a directory"},
        {"enter", {}, "", false, ""},
        // Elsewhere on the window a drop only fills the box.
        {"window", {"MISSING", "FILE"}, "MISSING", false, ""},
        {"ctrl+o", {"LINK"}, "LINK", false, "doesn't exist"},
        {"button", {"FILE"}, "FILE", true, ""},  // the dialog's buffer is NUL-padded
        // The first of several dropped names counts.
        {"box", {"MISSING", "FILE"}, "MISSING", false, "doesn't exist"},
        {"enter", {"FILE"}, "FILE", true, ""}};  // and prints it
    for (const auto& [via, names, box, printable, why] : steps) {
      const QString first = path(names.value(0));
      if (*why) h.prompt.Expect(("the file " + first + " " + why).toStdString());
      if (via == "enter" || via == "leave") {
        h.Box()->setFocus();
        h.Box()->clear();
        QTest::keyClicks(h.Box(), first);
        QCOMPARE(h.CanPrint(), printable);  // without a word yet
        if (via == "enter") QTest::keyClick(h.Box(), Qt::Key_Return);
        if (via == "leave") h.Find("FileBrowse")->setFocus();
      } else if (via == "button" || via == "ctrl+o") {
        std::optional<std::string> chosen;
        if (!first.isEmpty()) chosen = "  " + first.toStdString() + std::string(200, '\0');
        h.main->source_file()->SetOpenDialog([chosen](QWidget*) { return chosen; });
        if (via == "button") h.Find("FileBrowse")->click();
        if (via == "ctrl+o") QTest::keyClick(h.main.get(), Qt::Key_O, Qt::ControlModifier);
      } else {
        // Dragged over the target, taken, and dropped.
        QMimeData data;
        for (const auto& name : names) data.setUrls(data.urls() << QUrl::fromLocalFile(path(name)));
        QWidget* target = via == "box" ? h.Box() : static_cast<QWidget*>(h.main.get());
        QDragEnterEvent enter({}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QVERIFY(QCoreApplication::sendEvent(target, &enter) && enter.isAccepted());
        QDropEvent drop({}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
      }
      QVERIFY2(h.Box()->text() == path(box), box);
      QCOMPARE(h.CanPrint(), printable);
      if (h.status_windows == 0) QCOMPARE(Q(h.program.settings().TextFile), path("BEFORE"));
    }
    QCOMPARE(h.status_windows, 1);
    // A second start hands its file over the channel beside the lock, taken as a dropped
    // file; a start without a file hands over nothing to take.
    SingleCopyLock lock(h.dir.path().toStdString()), second(h.dir.path().toStdString());
    QVERIFY(lock.Acquire() && !second.Acquire());
    QVERIFY(lock.Listen([&h](const std::string& file) { h.main->OpenHandedFile(file); }));
    QVERIFY(second.HandOver("") && second.HandOver(h.Path("BEFORE")));
    QTRY_COMPARE(h.Box()->text(), path("BEFORE"));
  }

  // The status window of a 10-page booklet, flipped. A preparation that stops closes it.
  // Once the count is done, Enter prints: "Print Now" is the default button and has the
  // focus. The sheet preview shows the sheets one at a time, says which pages and which pass
  // feed each side, spends no paper, and goes when closed. A run that cannot open the
  // prepared text leaves the window and its buttons, and Close closes it. Shown again, Print
  // Now prints both passes and closes, and while it prints its buttons are shut and nothing
  // closes the window or starts a second run. Printed to PDF, the two passes go to two
  // files whose save dialogs name their side, one file when the printer prints both sides.
  void statusWindowAndSheetPreview() {
    StatusJob nothing("");  // no source file name: the preparation stops silently
    nothing.w.show();
    QTRY_VERIFY(!nothing.w.isVisible() && nothing.w.result() == QDialog::Rejected);
    StatusJob job(MarkerPages(10));
    auto* open = job.w.findChild<QPushButton*>("PreviewButton");
    QVERIFY(!open->isEnabled());  // nothing to show before the count
    job.w.show();
    QTRY_COMPARE(job.w.findChild<QLabel*>("Label1")->text(), QString("Count Done"));
    QVERIFY(job.print_now->isDefault() && job.w.focusWidget() == job.print_now);
    open->click();
    auto* preview = job.w.findChild<ui::FrmPreview*>();
    auto* back = preview->findChild<QPushButton*>("PreviewBack");
    auto* next = preview->findChild<QPushButton*>("PreviewNext");
    const char* captions[] = {
        "Sheet 1 of 3: side 1 pages blank | 1 (first pass, 1st sheet fed); "
        "side 2 pages 2 | blank (second pass, 3rd sheet fed)",
        "Sheet 2 of 3: side 1 pages 10 | 3 (first pass, 2nd sheet fed); "
        "side 2 pages 4 | 9 (second pass, 2nd sheet fed)"};
    for (int i = 0; i < 2; ++i) {
      QCOMPARE(preview->caption(), QString(captions[i]));
      QVERIFY(!preview->picture().isNull() && back->isEnabled() == (i > 0));
      // Only the sheet shown was drawn, one picture a side.
      QCOMPARE(job.surface.pictures().size(), std::size_t(2 * (i + 1)));
      next->click();
    }
    QVERIFY(!next->isEnabled() && preview->sheet() == 3);
    preview->findChild<QPushButton*>("PreviewClose")->click();
    QTRY_VERIFY(job.w.findChild<ui::FrmPreview*>() == nullptr);
    const std::string lines = job.program.prep.LineFilePath, away = lines + ".away";
    QVERIFY(std::rename(lines.c_str(), away.c_str()) == 0);
    job.prompt.Expect("Error: File not found");
    job.prompt.Expect("error File not found");
    job.print_now->click();
    QVERIFY(job.w.isVisible() && job.print_now->isEnabled() && job.close->isEnabled());
    QCOMPARE(job.surface.jobs_started(), 0);
    job.close->click();  // shown again, the window keeps its count
    QVERIFY(!job.w.isVisible());
    job.w.show();
    QVERIFY(std::rename(away.c_str(), lines.c_str()) == 0);
    job.prompt.ExpectPrefix("Insert paper back in tray");
    bool tried = false;  // to end the window or print again while it prints
    QTimer::singleShot(0, &job.w, [&] {
      QVERIFY(!job.print_now->isEnabled() && !job.close->isEnabled());
      job.w.close();
      QTest::keyClick(&job.w, Qt::Key_Escape);
      job.w.PrintBook_Click(0);
      tried = job.w.isVisible();
    });
    QTest::keyClick(&job.w, Qt::Key_Return);
    QVERIFY(tried && !job.w.isVisible());
    QCOMPARE(job.surface.sent_jobs().size(), std::size_t{2});
    QCOMPARE(ui::PdfSaveTitle(job.program, 2), QString("Save side 2 of notes.txt"));
    job.program.settings().PrinterMode = 2;
    QCOMPARE(ui::PdfSaveTitle(job.program, 1), QString("Save notes.txt as PDF"));
  }

  // The dialog lists the printers in order, the current one shown, with its papers and the
  // one in force selected; choosing another printer shows its papers before any OK. It is
  // not modal, and a second request brings the one instance forward as the user left it.
  // Then OK takes the printer by its exact name and the paper by its caption (any other text
  // is Letter); a name not installed changes nothing. An unsuitable printer is taken but OK
  // says to choose another; Cancel asks whether to keep it, and only Yes closes the dialog.
  void printerDialog() {
    WindowHarness h({{"Laser", 1, 90, /*paper_size=*/11, /*papers=*/{11, 9, 1}},
                     {"Portrait Only", 1, /*landscape=*/0, kPaperLetter, {5}},
                     {"laser"},
                     {"Print to PDF"}});
    QWidget parent;  // the dialog's parent: at most one dialog is open
    auto combo = [&](int i) { return parent.findChild<QComboBox*>(QString("Combo%1").arg(i)); };
    auto open = [&] {  // the dialogs open, each box's text and list, and the printer in use
      ui::PrinterFontClick(h.program, 0, &parent);
      return QString("%1 open; %2 of %3; %4 of %5; using %6")
          .arg(parent.findChildren<ui::PrtDlg*>().size())
          .arg(combo(1)->currentText(), Entries(combo(1)->model()).join(", "),
               combo(2)->currentText(), Entries(combo(2)->model()).join(", "),
               Q(h.surface.DeviceName()));
    };
    const QString printers = "Laser, Portrait Only, laser, Print to PDF";
    QCOMPARE(open(), "1 open; Laser of " + printers +
                         "; A5 148 x 210 mm of Letter 8 1/2 x 11 in, A4 210 x 297 mm, A5 148 x "
                         "210 mm; using Laser");
    QVERIFY(!parent.findChild<ui::PrtDlg*>()->isModal());
    combo(1)->setCurrentIndex(1);
    QCOMPARE(open(), "1 open; Portrait Only of " + printers +
                         "; Legal 8 1/2 x 14 in of Legal 8 1/2 x 14 in; using Laser");
    // Puts a printer and a paper in the boxes and presses OK: the dialogs left open, the printer
    // in use and the paper the settings and the printer then hold.
    auto ok = [&](const char* printer, const char* paper) {
      if (parent.findChild<ui::PrtDlg*>() == nullptr) open();
      combo(1)->setEditText(printer);
      combo(2)->setEditText(paper);
      ClickButton(&parent, 0);
      return QString("%1 open; using %2 on %3/%4")
          .arg(parent.findChildren<ui::PrtDlg*>().size())
          .arg(Q(h.surface.DeviceName()))
          .arg(h.program.settings_state.paper_size)
          .arg(h.surface.PaperSize());
    };
    QCOMPARE(ok("laser", "A4 210 x 297 mm"), "0 open; using laser on 9/9");
    QCOMPARE(ok("Laser", "a4 210 x 297 mm"), "0 open; using Laser on 1/1");
    h.prompt.Expect("The printer LASER is not installed. Please choose a printer from the list");
    QCOMPARE(ok("LASER", "A4 210 x 297 mm"), "1 open; using Laser on 1/1");
    const std::string unsuitable =
        "Your printer Portrait Only does not support features Quireon2 needs.";
    h.prompt.Expect(unsuitable + " Please select another printer");
    QCOMPARE(ok("Portrait Only", "Legal 8 1/2 x 14 in"), "1 open; using Portrait Only on 5/5");
    for (Answer answer : {Answer::kNo, Answer::kYes}) {
      h.prompt.Expect(unsuitable + "\r\nAre you sure you want to keep it?", answer);
      ClickButton(&parent, 1);
      QCOMPARE(parent.findChildren<ui::PrtDlg*>().size(), answer == Answer::kNo ? 1 : 0);
    }
  }

  // The font dialog opens with the layout's own face and size, though the printer and the
  // program hold another layout's size (20 is not listed, so no size is selected), and lists
  // the scalable faces alphabetically whatever their case and the sizes from 4 to 16. Then:
  // a size typed into the box, whether a face is chosen after it, OK or Cancel, and the size
  // the layout then has: OK takes a typed size, but never one no font can have. The sample
  // line shows the face chosen, at a size the dialog has room for.
  void fontDialog() {
    // The layout's size, the size typed, whether Bodoni is chosen after it, OK (else Cancel),
    // the size then stored.
    const std::tuple<int, const char*, bool, bool, int> cases[] = {
        {20, "", false, true, 20},    {9, "20", false, true, 20}, {9, "abc", true, true, 9},
        {9, "99999", false, true, 9}, {9, "0", false, true, 9},   {9, "12", true, false, 9}};
    WindowHarness h;  // on the booklet, the layout a new program starts with
    h.surface.printer().fonts = {{"Zeta Sans", true},      {"arial", true},
                                 {"Printer Roman", false}, {"Bodoni", true},
                                 {"Courier New", true},    {"Times New Roman", true}};
    h.program.settings_state.print_font_size = 5;
    LayoutRecord& booklet = h.program.settings_state.layouts[kLayoutBooklet];
    for (const auto& [layout_size, typed, pick_face, ok, stored] : cases) {
      booklet.font_name = "Times New Roman";
      booklet.font_size = static_cast<Integer>(layout_size);
      ui::FontDlg font(h.program);
      font.FormLoad();
      auto* faces = font.findChild<QListWidget*>("List1_0");
      auto* size_box = font.findChild<QLineEdit*>("Text1_1");
      QCOMPARE(font.windowTitle() + ": " + Entries(faces->model()).join(", "),
               QString("Font for Booklet: arial, Bodoni, Courier New, Times New Roman, Zeta Sans"));
      QCOMPARE(faces->currentItem()->text() + " " + size_box->text(),
               QString("Times New Roman %1").arg(layout_size));
      QCOMPARE(font.findChild<QListWidget*>("List1_1")->currentRow(),
               layout_size > 16 ? -1 : layout_size - 4);
      size_box->selectAll();
      if (*typed) QTest::keyClicks(size_box, typed);
      if (pick_face) faces->setCurrentItem(faces->findItems("Bodoni", Qt::MatchExactly)[0]);
      const QFont sample = font.findChild<QLabel*>("Sample")->font();
      QCOMPARE(sample.family(), QString(pick_face ? "Bodoni" : "Times New Roman"));
      QVERIFY(sample.pointSizeF() <= 24);
      ClickButton(&font, ok ? 0 : 1);
      QCOMPARE(booklet.font_name, std::string(pick_face && ok ? "Bodoni" : "Times New Roman"));
      QCOMPARE(int{booklet.font_size}, stored);
    }
    // Through the "&Font" button, the printer and the main window's preview then take the
    // layout's face and size; only the layout metrics give the size to the printer.
    booklet.font_name = "Bodoni";
    QTimer::singleShot(0, [] { ClickButton(QApplication::activeModalWidget(), 0); });
    ui::PrinterFontClick(h.program, 1, nullptr);
    QCOMPARE(h.surface.FontName(), std::string("Bodoni"));
    QCOMPARE(int{h.program.settings_state.print_font_size}, 9);
    QCOMPARE(h.surface.FontSize(), 9.0);
    QCOMPARE(h.window.preview_size(), 9.0);
  }
};

QTEST_MAIN(WindowsTest)
#include "windows_test.moc"
