// The windows as a desktop user meets them: access keys, the desktop's keys, typed file
// names, the font preview's size, a second start handing over its file, the double-side
// option on a one-sided printer, message boxes and the PDF save dialog's title.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QRadioButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <fstream>
#include <map>
#include <memory>

#include "platform/single_copy_lock.h"
#include "settings/program_state.h"
#include "ui/font_dlg.h"
#include "ui/frm_main.h"
#include "ui/frm_status.h"
#include "ui/pdf_save.h"
#include "ui/pictures.h"
#include "ui/prt_dlg.h"
#include "ui/qt_prompt.h"
#include "ui/source_file.h"
#include "window_harness.h"

using quireon2::Program;
using quireon2::testing::Printer;
using quireon2::testing::WindowHarness;
using quireon2::ui::FrmMain;

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The window shown and active, the file dialog counting its openings.
struct Harness : WindowHarness {
  using WindowHarness::WindowHarness;
  int browsed = 0;

  void Start(const std::string& ini = std::string()) {
    if (!ini.empty()) Ini(ini);
    WindowHarness::Start();
    QCOMPARE(result, FrmMain::LoadResult::kShow);
    window->source_file()->SetOpenDialog([this](QWidget*) {
      ++browsed;
      return std::optional<std::string>();
    });
    QApplication::setActiveWindow(window.get());
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
  }
  QLineEdit* Box() const { return Find<QLineEdit>("Text1"); }
  bool CanPrint() const { return Find("P_0")->isEnabled(); }
};

// The access keys of the widgets a user can reach in `window` as it shows now, each with
// the widgets that carry it. A box, list or picture that neither has a name for screen
// readers nor a label naming it is reported under "unnamed".
std::map<QString, QStringList> AccessKeys(QWidget* window) {
  std::map<QString, QStringList> keys;
  auto add = [&](const QString& text, const QString& who) {
    const QKeySequence key = QKeySequence::mnemonic(text);
    if (!key.isEmpty()) keys[key.toString()] << who;
  };
  QSet<QWidget*> labelled;
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(window)) continue;
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) add(button->text(), button->text());
    if (auto* label = qobject_cast<QLabel*>(widget); label && label->buddy()) {
      add(label->text(), label->text());
      labelled << label->buddy();
    }
    if (auto* box = qobject_cast<QGroupBox*>(widget)) add(box->title(), box->title());
    if (auto* tabs = qobject_cast<QTabBar*>(widget)) {
      for (int i = 0; i < tabs->count(); ++i) add(tabs->tabText(i), tabs->tabText(i));
    }
  }
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    const bool needs_name = qobject_cast<QLineEdit*>(widget) ||
                            qobject_cast<QListWidget*>(widget) ||
                            qobject_cast<quireon2::ui::Picture*>(widget);
    if (needs_name && widget->isVisibleTo(window) && widget->accessibleName().isEmpty() &&
        !labelled.contains(widget) && !qobject_cast<QComboBox*>(widget->parentWidget())) {
      keys["unnamed"] << widget->objectName();
    }
  }
  return keys;
}

void ExpectUniqueKeys(QWidget* window, const QString& where) {
  for (const auto& [key, owners] : AccessKeys(window)) {
    QVERIFY2(owners.size() == 1 && key != "unnamed",
             qPrintable(where + ": " + key + " on " + owners.join(", ")));
  }
}

}  // namespace

class DesktopUseTest : public QObject {
  Q_OBJECT

 private slots:
  // --- The main window ---

  // Alt+letter presses its widget only when no other reachable widget of the window has
  // the letter; a key on the page not shown cannot act. The buttons keep their letters.
  void accessKeysAreUniqueInEveryWindow() {
    Harness h;
    h.Start();
    for (int page : {0, 1}) {
      h.Find<QTabBar>("TabStrip1")->setCurrentIndex(page);
      ExpectUniqueKeys(h.window.get(), QString("main window page %1").arg(page + 1));
    }
    for (const char* kept : {"&Print", "&Browse", "&About", "&Help", "E&xit", "&Font"}) {
      QVERIFY2(AccessKeys(h.window.get()).count(QKeySequence::mnemonic(kept).toString()), kept);
    }
    h.window->AboutHelpExit_Click(0);
    ExpectUniqueKeys(h.window->about_box(), "About");
    quireon2::ui::FontDlg font(h.program);
    font.FormLoad();
    ExpectUniqueKeys(&font, "font dialog");
    auto* printers = new quireon2::ui::PrtDlg(h.program);
    printers->FormLoad();
    ExpectUniqueKeys(printers, "printer dialog");
    delete printers;
    quireon2::ui::FrmStatus status(h.program);
    ExpectUniqueKeys(&status, "status window");
  }

  // Help and F1 show help (or say where the page is that could not be shown), Ctrl+O
  // browses, Ctrl+Q leaves as "E&xit" does, saving the settings.
  void desktopKeys() {
    Harness h;
    h.Start();
    h.Find("AboutHelpExit_1")->click();
    QCOMPARE(h.help_opened, h.env.help_path);
    h.help_opened.clear();
    QTest::keyClick(h.window.get(), Qt::Key_F1);
    QCOMPARE(h.help_opened, h.env.help_path);
    h.help_works = false;
    h.prompt.Expect("The help page " + h.env.help_path + " could not be opened.");
    QTest::keyClick(h.window.get(), Qt::Key_F1);
    QTest::keyClick(h.window.get(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(h.browsed, 1);
    QTest::keyClick(h.window.get(), Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(h.ended, 1);
    QVERIFY(std::ifstream(h.env.ini_path).good());
  }

  // A typed name enables Print as soon as it names a readable file (Enter then prints it);
  // when editing ends, by Enter or by leaving the box, anything else says why.
  void typedNameIsCheckedWhenEditingEnds_data() {
    QTest::addColumn<QString>("typed");  // FILE: an existing file, DIR: the folder
    QTest::addColumn<bool>("by_enter");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("printable");
    QTest::addColumn<int>("printed");
    QTest::newRow("file, Enter") << "FILE" << true << "" << true << 1;
    QTest::newRow("file, leaving") << "FILE" << false << "" << true << 0;
    QTest::newRow("missing") << "DIR/none.txt" << true << "the file DIR/none.txt doesn't exist"
                             << false << 0;
    QTest::newRow("folder") << "DIR" << false << "the file DIR is a directory" << false << 0;
    QTest::newRow("emptied") << "" << true << "" << false << 0;
  }

  void typedNameIsCheckedWhenEditingEnds() {
    QFETCH(QString, typed);
    QFETCH(bool, by_enter);
    QFETCH(QString, message);
    QFETCH(bool, printable);
    QFETCH(int, printed);
    Harness h;
    const QString file = Q(h.File("notes.txt"));
    auto resolve = [&](QString text) {
      return text.replace("FILE", file).replace("DIR", h.dir.path());
    };
    h.Start();
    // Print starts the other way round from where the typed name must leave it.
    if (!printable) QVERIFY(h.window->source_file()->OpenSourceFile(h.File("before.txt")));
    if (!message.isEmpty()) h.prompt.Expect(resolve(message).toStdString());
    h.Box()->setFocus();
    h.Box()->selectAll();
    QTest::keyClick(h.Box(), Qt::Key_Delete);
    QTest::keyClicks(h.Box(), resolve(typed));
    QCOMPARE(h.CanPrint(), printable);  // Print follows the typing, without a word yet
    QVERIFY(h.prompt.shown().empty());
    if (by_enter) {
      QTest::keyClick(h.Box(), Qt::Key_Return);
    } else {
      h.Find("FileBrowse")->setFocus();
    }
    QCOMPARE(h.CanPrint(), printable);
    QCOMPARE(h.status_windows, printed);
    QCOMPARE(h.prompt.shown().size(), std::size_t(message.isEmpty() ? 0 : 1));
  }

  // The preview draws a huge font small and a tiny one legibly, naming the real size; the
  // window is as wide with a 72-point font as with an 8-point one.
  void fontPreviewNeverResizesTheWindow() {
    std::map<int, int> widths;
    for (int size : {8, 72, 4}) {
      Harness h;
      h.Start(QString("Layout= 3\nLayout3= %1\n").arg(size).toStdString());
      h.Find<QTabBar>("TabStrip1")->setCurrentIndex(1);
      QApplication::processEvents();
      const auto* preview = h.Find<QLabel>("FontPreview");
      QVERIFY(preview->text().endsWith(QString(" %1 Pts").arg(size)));
      QCOMPARE(preview->font().pointSizeF(),
               std::clamp(double(size), FrmMain::kSmallestPreviewPoints,
                          FrmMain::kLargestPreviewPoints));
      widths[size] = h.window->width();
      QVERIFY(h.window->height() < 1024);
    }
    QCOMPARE(widths[72], widths[8]);
    QCOMPARE(widths[4], widths[8]);
  }

  // A saved "Double Side" mode on a saved printer that prints one side only falls back to
  // "Flipped" with one message, the greyed option saying why; a two-sided saved printer
  // keeps it, though the system's default prints one side.
  void doubleSideModeFollowsTheSavedPrinter() {
    for (bool saved_two_sided : {false, true}) {
      Harness h({Printer("Default", !saved_two_sided), Printer("Saved", saved_two_sided)});
      if (!saved_two_sided) {
        h.prompt.Expect("The printer Saved cannot print both sides, so \"Double Side printer "
                        "only\" is not available; \"Flipped\" is used instead.");
      }
      h.Start("PrinterMode= 2\nDoBook= 1\nLastPrinter=Saved\n");
      auto* double_side = h.Find<QRadioButton>("printermode_2");
      QCOMPARE(h.window->GetPrinterMode(), saved_two_sided ? 2 : 1);
      QCOMPARE(double_side->isEnabled(), saved_two_sided);
      QCOMPARE(double_side->toolTip().contains("Not available: the printer Saved cannot print "
                                               "both sides."),
               !saved_two_sided);
      QCOMPARE(h.prompt.shown().size(), std::size_t(saved_two_sided ? 0 : 1));
    }
  }

  // A tab into a group of options lands on its selected option and the next tab leaves
  // the group.
  void tabIntoAGroupLandsOnTheSelectedOption() {
    Harness h;
    h.Start();
    h.Find("printermode_3")->click();
    h.Find("DoBooklet")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QString("printermode_3"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QVERIFY(!QApplication::focusWidget()->objectName().startsWith("printermode_"));
  }

  // A second start hands its file over the channel beside the lock: the window takes it
  // as a dropped file. Without a file it only comes to the front.
  void secondStartHandsItsFileToTheWindow() {
    QTemporaryDir lock_dir;
    quireon2::SingleCopyLock first(lock_dir.path().toStdString());
    quireon2::SingleCopyLock second(lock_dir.path().toStdString());
    Harness h;
    h.Start();
    QVERIFY(first.Acquire() && !second.Acquire());
    QVERIFY(first.Listen([&h](const std::string& file) { h.window->OpenHandedFile(file); }));
    const std::string file = h.File("handed over.txt");
    QVERIFY(second.HandOver(file));
    QTRY_COMPARE(h.Box()->text(), Q(file));
    QVERIFY(h.CanPrint());
    QVERIFY(second.HandOver(""));
    QTest::qWait(100);
    QCOMPARE(h.Box()->text(), Q(file));
    QCOMPARE(QApplication::activeWindow(), h.window.get());
  }

  // --- Message boxes and the PDF save dialog ---

  // Each kind of message carries its icon and reads as a sentence.
  void messageBoxesShowTheirKind() {
    const struct { quireon2::Buttons buttons; const char* text; int icon; const char* shown; }
        cases[] = {{quireon2::Buttons::kOk, "the file x doesn't exist", QMessageBox::Warning,
                    "the file x doesn't exist."},
                   {quireon2::Buttons::kOkCancel, "Insert paper\r\nthen press Enter",
                    QMessageBox::Information, "Insert paper\nthen press Enter."},
                   {quireon2::Buttons::kYesNo, "Choose another printer?", QMessageBox::Question,
                    "Choose another printer?"}};
    for (const auto& c : cases) {
      QString seen;
      QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        seen = QString("%1 %2").arg(box->icon()).arg(box->text());
        box->reject();
      });
      quireon2::ui::QtPrompt().Ask(c.text, c.buttons);
      QCOMPARE(seen, QString("%1 %2").arg(c.icon).arg(c.shown));
    }
  }

  // The save dialog names the side its job holds when a booklet is printed in two passes.
  void pdfSaveTitleNamesTheSide() {
    Program program;
    quireon2::Settings& s = program.settings();
    s.TextFile = "/home/me/notes.txt";
    const struct { int layout, mode, job; const char* title; } cases[] = {
        {quireon2::kLayoutBooklet, 1, 1, "Save side 1 of notes.txt"},
        {quireon2::kLayoutBooklet, 0, 2, "Save side 2 of notes.txt"},
        {quireon2::kLayoutBooklet, 2, 1, "Save notes.txt as PDF"},
        {quireon2::kLayout2Up, 1, 1, "Save notes.txt as PDF"}};
    for (const auto& c : cases) {
      s.Layout = static_cast<quireon2::Integer>(c.layout);
      s.PrinterMode = static_cast<quireon2::Integer>(c.mode);
      QCOMPARE(quireon2::ui::PdfSaveTitle(program, c.job), QString(c.title));
    }
  }
};

QTEST_MAIN(DesktopUseTest)
#include "desktop_use_test.moc"
