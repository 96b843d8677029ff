// The two dialogs of the "&Printer" and "&Font" buttons. The printer and paper dialog: the
// lists it opens with, its one instance, OK with the capability check and the paper, Cancel
// with its question. The font dialog: its lists, the size shown and typed, OK and
// Cancel, and the button's error rule.
#include "ui/printer_dialogs.h"

#include <QtTest>
#include <QtWidgets>
#include <memory>

#include "support/test_program.h"
#include "ui/font_dlg.h"
#include "ui/prt_dlg.h"

using namespace quireon2;
using namespace quireon2::testing;
using quireon2::ui::PrtDlg;

namespace {

const char kUnsuitable[] = "Your printer Portrait Only does not support features Quireon2 needs.";
const QString kLetter = QStringLiteral("Letter 8 1/2 x 11 in");
const QString kA4 = QStringLiteral("A4 210 x 297 mm");

int PrtDlgCount() {
  int count = 0;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    count += qobject_cast<PrtDlg*>(widget) != nullptr;
  }
  return count;
}

// Lets closed dialogs finish deleting themselves.
void Settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

template <class T>
T* Child(QWidget* dialog, const char* name, int index) {
  return dialog->findChild<T*>(QString("%1%2").arg(name).arg(index));
}

void ClickButton(QWidget* dialog, int index) {
  QTest::mouseClick(Child<QPushButton>(dialog, "Command1_", index), Qt::LeftButton);
  Settle();
}

// The entries of a list or a box's list.
QStringList Entries(const QAbstractItemModel* model) {
  QStringList entries;
  for (int row = 0; row < model->rowCount(); ++row) {
    entries << model->index(row, 0).data().toString();
  }
  return entries;
}

QString Selected(const QListWidget* list) {
  const QList<QListWidgetItem*> items = list->selectedItems();
  return items.isEmpty() ? QString() : items.front()->text();
}

void ClickEntry(QListWidget* list, const QString& text) {
  const QList<QListWidgetItem*> items = list->findItems(text, Qt::MatchExactly);
  QVERIFY2(!items.isEmpty(), qPrintable(text));
  list->scrollToItem(items.front());
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                    list->visualItemRect(items.front()).center());
}

}  // namespace

class PrinterDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  // Four printers, the first the current one, offering scalable and other faces; the
  // booklet is the layout, in 8-point Times New Roman.
  void init() {
    std::vector<RecordedPrinter> printers(4);
    const char* names[] = {"Laser", "Portrait Only", "laser", "Print to PDF"};
    for (std::size_t i = 0; i < printers.size(); ++i) printers[i].name = names[i];
    printers[1].landscape = 0;
    printers[0].fonts = {{"Zeta Sans", true}, {"arial", true},       {"Printer Roman", false},
                         {"Bodoni", true},    {"Courier New", true}, {"Times New Roman", true}};
    program_ = std::make_unique<TestProgram>(printers);
    program_->program.settings().Layout = kLayoutBooklet;
    Booklet() = {};
    Booklet().font_name = "Times New Roman";
    Booklet().font_size = 8;
  }

  void cleanup() {
    if (printers_ != nullptr && printers_->isVisible()) printers_->close();
    Settle();
    QCOMPARE(PrtDlgCount(), 0);
    font_.reset();
    const std::string problems = program_->prompt.Problems();
    QVERIFY2(problems.empty(), problems.c_str());
  }

  // The current printer, the papers it offers, the one in force; the paper list and its
  // selection. The printers are listed in order, the current one shown. The dialog is not
  // modal, and a second request brings the one instance forward as the user left it.
  void printersOpensWithThePapersOfTheChosenOne() {
    const QString a5 = QStringLiteral("A5 148 x 210 mm");
    struct Case {
      std::size_t printer;
      std::vector<int> offered;
      int in_force;
      QStringList entries;
      QString selected;
    };
    const Case cases[] = {{3, {1, 9}, 1, {kLetter, kA4}, kLetter},
                          {3, {1, 9}, 9, {kLetter, kA4}, kA4},
                          {0, {11, 9, 1}, 11, {kLetter, kA4, a5}, a5},
                          {0, {}, 9, {kLetter, kA4}, kA4}};  // none named: the classic two
    for (const Case& c : cases) {
      program_->surface.SelectPrinter(c.printer);
      program_->surface.printer().papers = c.offered;
      program_->surface.printer().paper_size = c.in_force;
      OpenPrinters();
      QCOMPARE(Entries(Combo(2)->model()), c.entries);
      QCOMPARE(Combo(2)->currentText(), c.selected);
      QCOMPARE(Combo(1)->currentText(), QString::fromStdString(program_->surface.DeviceName()));
      QCOMPARE(Entries(Combo(1)->model()),
               QStringList({"Laser", "Portrait Only", "laser", "Print to PDF"}));
      printers_->close();
      Settle();
    }
    // Choosing another printer of the list shows its papers, before any OK.
    program_->surface.printers()[1].papers = {5};
    OpenPrinters();
    Combo(1)->setCurrentIndex(1);
    QCOMPARE(Entries(Combo(2)->model()), QStringList{QStringLiteral("Legal 8 1/2 x 14 in")});
    QCOMPARE(program_->surface.DeviceName(), std::string("Laser"));
    QVERIFY(!printers_->isModal());
    ui::PrinterFontClick(program_->program, 0, nullptr);
    QCOMPARE(PrtDlgCount(), 1);
    QCOMPARE(Combo(1)->currentText(), QStringLiteral("Portrait Only"));
  }

  // OK takes the printer by its exact name and the paper by its caption (any other text is
  // Letter), which the printer keeps from then on; a name not installed changes nothing.
  void printersOkTakesThePrinterByExactNameAndAppliesThePaper() {
    struct Case {
      const char* printer;
      const char* paper;
      bool closes;
      const char* in_use;
      int paper_size;
    };
    const Case cases[] = {{"laser", "A4 210 x 297 mm", true, "laser", 9},
                          {"Laser", "a4 210 x 297 mm", true, "Laser", 1},
                          {"LASER", "A4 210 x 297 mm", false, "Laser", 1}};
    for (const Case& c : cases) {
      OpenPrinters();
      if (!c.closes) {
        program_->prompt.Expect(
            "The printer LASER is not installed. Please choose a printer "
            "from the list");
      }
      Choose(c.printer, c.paper);
      ClickButton(printers_, 0);
      QCOMPARE(printers_ != nullptr && printers_->isVisible(), !c.closes);
      QCOMPARE(program_->surface.DeviceName(), std::string(c.in_use));
      QCOMPARE(int{program_->program.settings_state.paper_size}, c.paper_size);
      QCOMPARE(program_->surface.PaperSize(), c.paper_size);
    }
    std::vector<double> kept;
    for (const auto& call : program_->surface.calls()) {
      if (call.op == "keep PaperSize") kept.push_back(call.value);
    }
    QCOMPARE(kept, (std::vector<double>{9, 1}));
  }

  // An unsuitable printer is taken but OK says to choose another; Cancel asks whether to
  // keep it, and only Yes closes the dialog.
  void printersUnsuitableOneStaysInUseUntilKeptOrReplaced() {
    OpenPrinters();
    program_->prompt.Expect(std::string(kUnsuitable) + " Please select another printer");
    Choose("Portrait Only", "Letter 8 1/2 x 11 in");
    ClickButton(printers_, 0);
    QVERIFY(printers_->isVisible());
    QCOMPARE(program_->surface.DeviceName(), std::string("Portrait Only"));
    for (Answer answer : {Answer::kNo, Answer::kYes}) {
      program_->prompt.Expect(std::string(kUnsuitable) + "\r\nAre you sure you want to keep it?",
                              answer);
      ClickButton(printers_, 1);
      QCOMPARE(printers_ != nullptr && printers_->isVisible(), answer == Answer::kNo);
    }
    QCOMPARE(program_->surface.DeviceName(), std::string("Portrait Only"));
  }

  // The layout's own size, a size typed into the box, whether a face is clicked after it,
  // the button that ends the dialog (OK, Cancel, the close box), the size box and the size
  // list's selection on opening, the size then stored. The printer holds another layout's
  // size, which the dialog must not show; 20 is not listed, so nothing is selected. OK
  // takes a typed size, clicked or not, but never a size no font can have.
  void fontOkStoresTheSizeShownOrTyped() {
    const struct {
      int layout_size;
      const char* typed;
      bool click_face;
      int button;
      const char* box;
      const char* selected;
      int stored;
    } cases[] = {{8, "", false, 0, "8", "8", 8},    {20, "", false, 0, "20", "", 20},
                 {9, "20", false, 0, "9", "9", 20}, {9, "20", true, 0, "9", "9", 20},
                 {9, "abc", true, 0, "9", "9", 9},  {9, "0", true, 0, "9", "9", 9},
                 {9, "-3", false, 0, "9", "9", 9},  {9, "99999", true, 0, "9", "9", 9},
                 {9, "12", true, 1, "9", "9", 9},   {9, "12", true, 2, "9", "9", 9}};
    for (const auto& c : cases) {
      Booklet().font_name = "Times New Roman";
      Booklet().font_size = static_cast<Integer>(c.layout_size);
      program_->surface.SetFontSize(11.5);
      font_ = std::make_unique<ui::FontDlg>(program_->program);
      font_->FormLoad();
      font_->show();
      QVERIFY(QTest::qWaitForWindowExposed(font_.get()));
      QCOMPARE(font_->windowTitle(), QStringLiteral("Font for Booklet"));
      // Scalable faces only, alphabetically whatever their case; sizes 4 to 16.
      QCOMPARE(Entries(List(0)->model()),
               QStringList({"arial", "Bodoni", "Courier New", "Times New Roman", "Zeta Sans"}));
      QCOMPARE(Entries(List(1)->model()), QStringList({"4", "5", "6", "7", "8", "9", "10", "11",
                                                       "12", "13", "14", "15", "16"}));
      QCOMPARE(Selected(List(0)), QStringLiteral("Times New Roman"));
      auto* size_box = Child<QLineEdit>(font_.get(), "Text1_", 1);
      QCOMPARE(size_box->text(), QString(c.box));
      QCOMPARE(Selected(List(1)), QString(c.selected));
      size_box->selectAll();
      if (*c.typed) QTest::keyClicks(size_box, c.typed);
      if (c.click_face) ClickEntry(List(0), QStringLiteral("Bodoni"));
      // The sample line shows the chosen face, at a size the dialog has room for.
      const QFont sample = font_->findChild<QLabel*>(QStringLiteral("Sample"))->font();
      QCOMPARE(sample.family(), QString(c.click_face ? "Bodoni" : "Times New Roman"));
      QVERIFY(sample.pointSizeF() >= 8 && sample.pointSizeF() <= 24);
      c.button == 2 ? (void)font_->close() : ClickButton(font_.get(), c.button);
      QVERIFY(!font_->isVisible());
      QVERIFY2(Booklet().font_size == c.stored, c.typed);
      const bool new_face = c.click_face && c.button == 0;
      QCOMPARE(Booklet().font_name, std::string(new_face ? "Bodoni" : "Times New Roman"));
    }
  }

  // The "&Font" button: a refused face is reported and the rest goes on; any other failure
  // ends silently. Only the layout metrics give the size to the printer; the dialog does not.
  void fontButtonAndItsErrorRule() {
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
        ClickEntry(Child<QListWidget>(dialog, "List1_", 0), QStringLiteral("Courier New"));
        ClickEntry(Child<QListWidget>(dialog, "List1_", 1), QStringLiteral("12"));
        ClickButton(dialog, 0);
      });
      ui::PrinterFontClick(program_->program, 1, nullptr);
      QCOMPARE(Booklet().font_name, std::string("Courier New"));
      QCOMPARE(program_->surface.FontName() == "Courier New", trouble == kNone);
      QCOMPARE(int{program_->program.settings_state.print_font_size}, trouble == kOther ? 5 : 12);
      QCOMPARE(program_->surface.FontSize() == 12.0, trouble != kOther);
      QCOMPARE(program_->window.preview_size() == 12.0, trouble != kOther);
      QCOMPARE(program_->window.preview_updates() == 0, trouble == kOther);
    }
  }

 private:
  void OpenPrinters() {
    printers_ = nullptr;
    ui::ChoosePrinter(program_->program, nullptr, false);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* dialog = qobject_cast<PrtDlg*>(widget); dialog && dialog->isVisible()) {
        printers_ = dialog;
      }
    }
    QVERIFY(printers_ != nullptr);
  }

  void Choose(const char* printer, const char* paper) {
    for (auto [index, text] : {std::pair{1, printer}, std::pair{2, paper}}) {
      Combo(index)->lineEdit()->clear();
      QTest::keyClicks(Combo(index)->lineEdit(), QString::fromLatin1(text));
    }
  }

  QComboBox* Combo(int index) { return Child<QComboBox>(printers_, "Combo", index); }
  QListWidget* List(int index) { return Child<QListWidget>(font_.get(), "List1_", index); }
  LayoutRecord& Booklet() { return program_->program.settings_state.layouts[3]; }

  std::unique_ptr<TestProgram> program_;
  QPointer<PrtDlg> printers_;
  std::unique_ptr<ui::FontDlg> font_;
};

QTEST_MAIN(PrinterDialogsTest)
#include "printer_dialogs_test.moc"
