// The windows as a desktop user meets them: access keys, the desktop's keys, file names
// typed, browsed for and dropped, the font preview's size, a second start handing over its
// file, the double-side option on a one-sided printer, message boxes and the PDF save
// dialog's title.
#include <QtTest>
#include <QtWidgets>
#include <map>

#include "platform/single_copy_lock.h"
#include "ui/font_dlg.h"
#include "ui/frm_status.h"
#include "ui/pdf_save.h"
#include "ui/pictures.h"
#include "ui/prt_dlg.h"
#include "ui/qt_prompt.h"
#include "ui/source_file.h"
#include "window_harness.h"

using namespace quireon2;
using namespace quireon2::testing;

namespace {

// The access keys of the widgets a user can reach in `window` as it shows now, each with
// the widgets that carry it. A box, list or picture that neither has a name for screen
// readers nor a label naming it is reported under "unnamed".
std::map<QString, QStringList> AccessKeys(QWidget* window) {
  std::map<QString, QStringList> keys;
  auto add = [&](const QString& text) {
    const QKeySequence key = QKeySequence::mnemonic(text);
    if (!key.isEmpty()) keys[key.toString()] << text;
  };
  QSet<QWidget*> labelled;
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(window)) continue;
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) add(button->text());
    if (auto* label = qobject_cast<QLabel*>(widget); label && label->buddy()) {
      add(label->text());
      labelled << label->buddy();
    }
    if (auto* box = qobject_cast<QGroupBox*>(widget)) add(box->title());
    if (auto* tabs = qobject_cast<QTabBar*>(widget)) {
      for (int i = 0; i < tabs->count(); ++i) add(tabs->tabText(i));
    }
  }
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    const bool needs_name = qobject_cast<QLineEdit*>(widget) ||
                            qobject_cast<QListWidget*>(widget) ||
                            qobject_cast<ui::Picture*>(widget);
    if (needs_name && widget->isVisibleTo(window) && widget->accessibleName().isEmpty() &&
        !labelled.contains(widget) && !qobject_cast<QComboBox*>(widget->parentWidget())) {
      keys["unnamed"] << widget->objectName();
    }
  }
  return keys;
}

// Drags `data` over the file box, the tab strip or the window and drops it there; returns
// whether the drag was taken.
bool Drop(QWidget* target, const QMimeData* data) {
  QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &enter);
  QDropEvent drop(QPointF(2, 2), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &drop);
  return enter.isAccepted();
}

QWidget* Target(const WindowHarness& h, const QString& via) {
  if (via == "box") return h.Box();
  return via == "tabs" ? h.Find<QWidget>("TabStrip1") : h.main.get();
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
  // Alt+letter presses its widget only when no other reachable widget of the window has
  // the letter; a key on the page not shown cannot act. The buttons keep their letters.
  void accessKeysAreUniqueInEveryWindow() {
    WindowHarness h;
    h.Start();
    for (int page : {0, 1}) {
      h.Find<QTabBar>("TabStrip1")->setCurrentIndex(page);
      ExpectUniqueKeys(h.main.get(), QString("main window page %1").arg(page + 1));
    }
    for (const char* kept : {"&Print", "&Browse", "&About", "&Help", "E&xit", "&Font"}) {
      QVERIFY2(AccessKeys(h.main.get()).count(QKeySequence::mnemonic(kept).toString()), kept);
    }
    h.main->AboutHelpExit_Click(0);
    ExpectUniqueKeys(h.main->about_box(), "About");
    ui::FontDlg font(h.program);
    font.FormLoad();
    ExpectUniqueKeys(&font, "font dialog");
    auto* printers = new ui::PrtDlg(h.program);
    printers->FormLoad();
    ExpectUniqueKeys(printers, "printer dialog");
    delete printers;
    ui::FrmStatus status(h.program);
    ExpectUniqueKeys(&status, "status window");
  }

  // Help and F1 show help, or say where the page is that could not be shown.
  void desktopKeys() {
    WindowHarness h;
    h.Start();
    h.Find("AboutHelpExit_1")->click();
    QCOMPARE(h.help_opened, h.env.help_path);
    h.help_opened.clear();
    h.help_works = false;
    h.prompt.Expect("The help page " + h.env.help_path + " could not be opened.");
    QTest::keyClick(h.main.get(), Qt::Key_F1);
    QCOMPARE(h.help_opened, h.env.help_path);
  }

  // How a name reaches the file box -- typed and then Enter or leaving the box, the
  // open-file dialog by its button or Ctrl+O, dropped on the box, the tab strip or elsewhere
  // on the window -- whether a file was chosen before, and what follows: the box, whether
  // Print can print, and why the first name cannot be read. Names are FILE and SECOND
  // (readable), BEFORE (the one chosen before), MISSING, LINK (a link to nothing), DIR.
  void aNameIsCheckedWhenItArrives_data() {
    QTest::addColumn<QString>("via");
    QTest::addColumn<QStringList>("names");  // none: the dialog cancelled, or the box emptied
    QTest::addColumn<bool>("before");
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("printable");
    QTest::addColumn<QString>("why");
    auto row = [](const char* name, const char* via, const QStringList& names, bool before,
                  const char* box, bool printable, const char* why = "") {
      QTest::newRow(name) << QString(via) << names << before << QString(box) << printable
                          << QString(why);
    };
    const QStringList missing_first = {"MISSING", "FILE"};
    // Print follows the typing at once; Enter on a readable name prints it.
    row("typed, Enter", "enter", {"FILE"}, false, "FILE", true);
    row("typed, leaving", "leave", {"FILE"}, false, "FILE", true);
    row("typed missing", "enter", {"MISSING"}, true, "MISSING", false, "doesn't exist");
    row("typed folder", "leave", {"DIR"}, true, "DIR", false, "is a directory");
    row("emptied", "enter", {}, true, "", false);
    // The dialog's buffer is NUL-padded; exactly the path goes into the box.
    row("browsed", "button", {"FILE"}, false, "FILE", true);
    row("Ctrl+O, link", "ctrl+o", {"LINK"}, true, "LINK", false, "doesn't exist");
    row("cancelled", "button", {}, true, "BEFORE", true);
    // The first of several dropped names counts.
    row("on the box", "box", {"FILE", "SECOND", "MISSING"}, false, "FILE", true);
    row("missing on the box", "box", missing_first, true, "MISSING", false, "doesn't exist");
    row("missing on the tabs", "tabs", missing_first, true, "MISSING", false, "doesn't exist");
    // Elsewhere on the window a drop only fills the box.
    row("elsewhere, Print on", "window", missing_first, true, "MISSING", true);
    row("elsewhere, Print off", "window", missing_first, false, "MISSING", false);
  }

  void aNameIsCheckedWhenItArrives() {
    QFETCH(QString, via);
    QFETCH(QStringList, names);
    QFETCH(bool, before);
    QFETCH(QString, box);
    QFETCH(bool, printable);
    QFETCH(QString, why);
    WindowHarness h;
    QVERIFY(QFile::link(Q(h.Path("gone.txt")), Q(h.Path("link.txt"))));
    QMap<QString, QString> paths = {
        {"FILE", Q(h.File("notes.txt"))},    {"SECOND", Q(h.File("second.txt"))},
        {"BEFORE", Q(h.File("before.txt"))}, {"MISSING", Q(h.Path("missing.txt"))},
        {"LINK", Q(h.Path("link.txt"))},     {"DIR", h.dir.path()}};
    const QString first = names.isEmpty() ? QString() : paths[names[0]];
    h.Start();
    if (before) QVERIFY(h.main->source_file()->OpenSourceFile(paths["BEFORE"].toStdString()));
    if (!why.isEmpty()) h.prompt.Expect(("the file " + first + " " + why).toStdString());
    if (via == "enter" || via == "leave") {
      h.Box()->setFocus();
      h.Box()->selectAll();
      QTest::keyClick(h.Box(), Qt::Key_Delete);
      QTest::keyClicks(h.Box(), first);
      QCOMPARE(h.CanPrint(), printable);  // without a word yet
      QVERIFY(h.prompt.shown().empty());
      if (via == "enter") {
        QTest::keyClick(h.Box(), Qt::Key_Return);
      } else {
        h.Find("FileBrowse")->setFocus();
      }
    } else if (via == "button" || via == "ctrl+o") {
      std::optional<std::string> chosen;
      if (!names.isEmpty()) chosen = "  " + first.toStdString() + std::string(200, '\0');
      h.main->source_file()->SetOpenDialog([chosen](QWidget*) { return chosen; });
      if (via == "button") {
        h.Find("FileBrowse")->click();
      } else {
        QTest::keyClick(h.main.get(), Qt::Key_O, Qt::ControlModifier);
      }
    } else {
      QList<QUrl> urls;
      for (const QString& name : names) urls << QUrl::fromLocalFile(paths[name]);
      QMimeData data;
      data.setUrls(urls);
      QVERIFY(Drop(Target(h, via), &data));
    }
    QCOMPARE(h.Box()->text(), paths.value(box));
    QCOMPARE(h.CanPrint(), printable);
    QCOMPARE(h.status_windows, via == "enter" && printable ? 1 : 0);
    // Only printing makes a name the one the settings keep.
    if (via != "enter") QCOMPARE(Q(h.program.settings().TextFile), before ? paths["BEFORE"] : "");
  }

  // Text and web addresses are not taken anywhere.
  void onlyFilesAreTakenByADrop() {
    WindowHarness h;
    h.Start();
    QMimeData text, web;
    text.setText(Q(h.File("notes.txt")));
    web.setUrls({QUrl(QStringLiteral("https://example.org/a.txt"))});
    for (const char* via : {"box", "tabs", "window"}) {
      QVERIFY(!Drop(Target(h, via), &text) && !Drop(Target(h, via), &web));
    }
    QCOMPARE(h.Box()->text(), QString());
  }

  // The preview draws a huge font small and a tiny one legibly, naming the real size; the
  // window is as wide with a 72-point font as with an 8-point one.
  void fontPreviewNeverResizesTheWindow() {
    std::map<int, int> widths;
    for (int size : {8, 72, 4}) {
      WindowHarness h;
      h.Ini(QString("Layout= 3\nLayout3= %1\n").arg(size).toStdString());
      h.Start();
      h.Find<QTabBar>("TabStrip1")->setCurrentIndex(1);
      QApplication::processEvents();
      const auto* preview = h.Find<QLabel>("FontPreview");
      QVERIFY(preview->text().endsWith(QString(" %1 Pts").arg(size)));
      QCOMPARE(preview->font().pointSizeF(), size == 72 ? 20.0 : 8.0);
      widths[size] = h.main->width();
      QVERIFY(h.main->height() < 1024);
    }
    QCOMPARE(widths[72], widths[8]);
    QCOMPARE(widths[4], widths[8]);
  }

  // A saved "Double Side" mode on a saved printer that prints one side only falls back to
  // "Flipped" with one message, the greyed option saying why; a two-sided saved printer
  // keeps it, though the system's default prints one side.
  void doubleSideModeFollowsTheSavedPrinter() {
    for (bool saved_two_sided : {false, true}) {
      WindowHarness h({Printer("Default", !saved_two_sided), Printer("Saved", saved_two_sided)});
      if (!saved_two_sided) {
        h.prompt.Expect(
            "The printer Saved cannot print both sides, so \"Double Side printer "
            "only\" is not available; \"Flipped\" is used instead.");
      }
      h.Ini("PrinterMode= 2\nDoBook= 1\nLastPrinter=Saved\n");
      h.Start();
      auto* double_side = h.Find<QRadioButton>("printermode_2");
      QCOMPARE(h.main->GetPrinterMode(), saved_two_sided ? 2 : 1);
      QCOMPARE(double_side->isEnabled(), saved_two_sided);
      QCOMPARE(double_side->toolTip().contains("Not available: the printer Saved cannot print "
                                               "both sides."),
               !saved_two_sided);
    }
  }

  // A tab into a group of options lands on its selected option and the next tab leaves
  // the group.
  void tabIntoAGroupLandsOnTheSelectedOption() {
    WindowHarness h;
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
    SingleCopyLock first(lock_dir.path().toStdString());
    SingleCopyLock second(lock_dir.path().toStdString());
    WindowHarness h;
    h.Start();
    QVERIFY(first.Acquire() && !second.Acquire());
    QVERIFY(first.Listen([&h](const std::string& file) { h.main->OpenHandedFile(file); }));
    const std::string file = h.File("handed over.txt");
    QVERIFY(second.HandOver(file));
    QTRY_COMPARE(h.Box()->text(), Q(file));
    QVERIFY(h.CanPrint());
    QVERIFY(second.HandOver(""));
    QTest::qWait(100);
    QCOMPARE(h.Box()->text(), Q(file));
    QCOMPARE(QApplication::activeWindow(), h.main.get());
  }

  // Each kind of message carries its icon and reads as a sentence.
  void messageBoxesShowTheirKind() {
    const struct {
      Buttons buttons;
      const char* text;
      int icon;
      const char* shown;
    } cases[] = {{Buttons::kOk, "the file x doesn't exist", QMessageBox::Warning,
                  "the file x doesn't exist."},
                 {Buttons::kOkCancel, "Insert paper\r\nthen press Enter", QMessageBox::Information,
                  "Insert paper\nthen press Enter."},
                 {Buttons::kYesNo, "Choose another printer?", QMessageBox::Question,
                  "Choose another printer?"}};
    for (const auto& c : cases) {
      QString seen;
      QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        seen = QString("%1 %2").arg(box->icon()).arg(box->text());
        box->reject();
      });
      ui::QtPrompt().Ask(c.text, c.buttons);
      QCOMPARE(seen, QString("%1 %2").arg(c.icon).arg(c.shown));
    }
  }

  // The save dialog names the side its job holds when a booklet is printed in two passes.
  void pdfSaveTitleNamesTheSide() {
    Program program;
    Settings& s = program.settings();
    s.TextFile = "/home/me/notes.txt";
    const struct {
      int layout, mode, job;
      const char* title;
    } cases[] = {{kLayoutBooklet, 1, 1, "Save side 1 of notes.txt"},
                 {kLayoutBooklet, 0, 2, "Save side 2 of notes.txt"},
                 {kLayoutBooklet, 2, 1, "Save notes.txt as PDF"},
                 {kLayout2Up, 1, 1, "Save notes.txt as PDF"}};
    for (const auto& c : cases) {
      s.Layout = static_cast<Integer>(c.layout);
      s.PrinterMode = static_cast<Integer>(c.mode);
      QCOMPARE(ui::PdfSaveTitle(program, c.job), QString(c.title));
    }
  }
};

QTEST_MAIN(DesktopUseTest)
#include "desktop_use_test.moc"
