// The font dialog, the "&Font" button with its error rule and the font preview, and
// the rounding of sizes shown as whole numbers.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <tuple>

#include "support/test_program.h"
#include "ui/font_dlg.h"
#include "ui/printer_dialogs.h"

using quireon2::Integer;
using quireon2::testing::RecordedPrinter;
using quireon2::testing::TestProgram;

namespace {

QStringList Entries(const QListWidget* list) {
  QStringList entries;
  for (int row = 0; row < list->count(); ++row) entries << list->item(row)->text();
  return entries;
}

QString Selected(const QListWidget* list) {
  const QList<QListWidgetItem*> items = list->selectedItems();
  return items.isEmpty() ? QString() : items.front()->text();
}

QListWidget* ListOf(QWidget* dialog, int index) {
  return dialog->findChild<QListWidget*>(QStringLiteral("List1_%1").arg(index));
}
void Click(QWidget* dialog, int button) {
  QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Command1_%1").arg(button)),
                    Qt::LeftButton);
}

void ClickEntry(QListWidget* list, const QString& text) {
  const QList<QListWidgetItem*> items = list->findItems(text, Qt::MatchExactly);
  QVERIFY2(!items.isEmpty(), qPrintable(text));
  list->scrollToItem(items.front());
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                    list->visualItemRect(items.front()).center());
}

}  // namespace

class FontDlgTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    RecordedPrinter printer;
    printer.fonts = {{"Zeta Sans", true}, {"arial", true},       {"Printer Roman", false},
                     {"Bodoni", true},    {"Courier New", true}, {"Times New Roman", true}};
    program_ = std::make_unique<TestProgram>(std::vector<RecordedPrinter>{printer});
    program_->program.settings().Layout = quireon2::kLayoutBooklet;
    Booklet() = {};
    Booklet().font_name = "Times New Roman";
    Booklet().font_size = 8;
  }

  void cleanup() {
    dialog_.reset();
    const std::string problems = program_->prompt.Problems();
    QVERIFY2(problems.empty(), problems.c_str());
  }

  // The layout's own size, a size typed into the box, whether a face is clicked after it,
  // the box and the size list's selection on opening, the size OK stores. The printer
  // holds another layout's size, which the dialog must not show; 20 is not listed, so
  // nothing is selected. A typed size is taken by OK, clicked or not; sizes no font can
  // have are never taken.
  void okStoresTheSizeShownOrTyped() {
    const std::tuple<int, const char*, bool, const char*, const char*, int> cases[] = {
        {8, "", false, "8", "8", 8},      {20, "", false, "20", "", 20},
        {9, "20", false, "9", "9", 20},   {9, "20", true, "9", "9", 20},
        {9, "abc", true, "9", "9", 9},    {9, "0", true, "9", "9", 9},
        {9, "-3", false, "9", "9", 9},    {9, "99999", true, "9", "9", 9}};
    for (const auto& [layout_size, typed, click_face, box, selected, stored] : cases) {
      Booklet().font_name = "Times New Roman";
      Booklet().font_size = static_cast<Integer>(layout_size);
      Open(11.5);
      QCOMPARE(dialog_->windowTitle(), QStringLiteral("Font for Booklet"));
      // Scalable faces only, alphabetically whatever their case; sizes 4 to 16.
      QCOMPARE(Entries(List(0)), QStringList({"arial", "Bodoni", "Courier New",
                                              "Times New Roman", "Zeta Sans"}));
      QCOMPARE(Entries(List(1)), QStringList({"4", "5", "6", "7", "8", "9", "10", "11", "12",
                                              "13", "14", "15", "16"}));
      QCOMPARE(Selected(List(0)), QStringLiteral("Times New Roman"));
      QCOMPARE(Box(1)->text(), QString(box));
      QCOMPARE(Selected(List(1)), QString(selected));
      Box(1)->selectAll();
      if (*typed) QTest::keyClicks(Box(1), typed);
      if (click_face) ClickEntry(List(0), QStringLiteral("Bodoni"));
      // The sample line shows the chosen face, at a size the dialog has room for.
      const QFont sample = dialog_->findChild<QLabel*>(QStringLiteral("Sample"))->font();
      QCOMPARE(sample.family(), QString(click_face ? "Bodoni" : "Times New Roman"));
      QVERIFY(sample.pointSizeF() >= 8 && sample.pointSizeF() <= 24);
      Click(dialog_.get(), 0);
      QVERIFY2(Booklet().font_size == stored, typed);
      QCOMPARE(Booklet().font_name, std::string(click_face ? "Bodoni" : "Times New Roman"));
    }
  }

  void cancelOrCloseKeepsTheLayout() {
    for (bool close_box : {false, true}) {
      Open(10);
      ClickEntry(List(0), QStringLiteral("Courier New"));
      ClickEntry(List(1), QStringLiteral("16"));
      close_box ? (void)dialog_->close() : Click(dialog_.get(), 1);
      QVERIFY(!dialog_->isVisible());
      QCOMPARE(Booklet().font_name, std::string("Times New Roman"));
      QCOMPARE(Booklet().font_size, Integer{8});
    }
    // The next opening shows the layout's own face and size again.
    Open(10);
    QCOMPARE(Box(0)->text() + " " + Box(1)->text(), QStringLiteral("Times New Roman 8"));
  }

  void fontButtonAndItsErrorRule() {
    // A refused face is reported and the rest goes on; any other failure ends silently.
    enum Trouble { kNone, kRefused, kOther };
    for (Trouble trouble : {kNone, kRefused, kOther}) {
      cleanup();
      init();
      if (trouble == kRefused) {
        program_->surface.printer().refuses.insert("FontName");
        program_->prompt.Expect("please choose another printer");
      }
      if (trouble == kOther) program_->surface.FailOnCall("set FontName", 1, {482, "Error"});
      program_->program.settings_state.print_font_size = 5;
      QTimer::singleShot(0, [] {  // in the button's modal dialog
        QWidget* dialog = QApplication::activeModalWidget();
        QVERIFY(dialog != nullptr);
        ClickEntry(ListOf(dialog, 0), QStringLiteral("Courier New"));
        ClickEntry(ListOf(dialog, 1), QStringLiteral("12"));
        Click(dialog, 0);
      });
      quireon2::ui::PrinterFontClick(program_->program, 1, nullptr);
      QCOMPARE(Booklet().font_name, std::string("Courier New"));
      QCOMPARE(program_->surface.FontName() == "Courier New", trouble == kNone);
      // Only the layout metrics give the size to the printer; the dialog does not.
      QCOMPARE(program_->program.settings_state.print_font_size, static_cast<Integer>(trouble == kOther ? 5 : 12));
      QCOMPARE(program_->surface.FontSize() == 12.0, trouble != kOther);
      QCOMPARE(program_->window.preview_size() == 12.0, trouble != kOther);
      QCOMPARE(program_->window.preview_updates() == 0, trouble == kOther);
    }
  }

 private:
  // A fresh dialog, not modal so the test can drive it, on a printer at this size.
  void Open(double printer_size) {
    program_->surface.SetFontSize(printer_size);
    dialog_ = std::make_unique<quireon2::ui::FontDlg>(program_->program);
    dialog_->FormLoad();
    dialog_->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog_.get()));
  }

  quireon2::LayoutRecord& Booklet() { return program_->program.settings_state.layouts[3]; }
  QListWidget* List(int index) { return ListOf(dialog_.get(), index); }
  QLineEdit* Box(int index) {
    return dialog_->findChild<QLineEdit*>(QStringLiteral("Text1_%1").arg(index));
  }

  std::unique_ptr<TestProgram> program_;
  std::unique_ptr<quireon2::ui::FontDlg> dialog_;
};

QTEST_MAIN(FontDlgTest)
#include "font_dlg_test.moc"
