// The printer and paper dialog: the lists it opens with, OK with the capability check and
// the paper, Cancel with its question, the one instance.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "support/test_program.h"
#include "ui/printer_dialogs.h"
#include "ui/prt_dlg.h"

using quireon2::Answer;
using quireon2::Integer;
using quireon2::testing::RecordedPrinter;
using quireon2::testing::TestProgram;
using quireon2::ui::PrtDlg;

namespace {

const char kUnsuitable[] = "Your printer Portrait Only does not support features Quireon2 needs.";
const QString kLetter = QStringLiteral("Letter 8 1/2 x 11 in");
const QString kA4 = QStringLiteral("A4 210 x 297 mm");

int DialogCount() {
  int count = 0;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    count += qobject_cast<PrtDlg*>(widget) != nullptr;
  }
  return count;
}

QComboBox* Combo(PrtDlg* dialog, int index) {
  return dialog->findChild<QComboBox*>(QStringLiteral("Combo%1").arg(index));
}

QStringList Entries(QComboBox* combo) {
  QStringList entries;
  for (int i = 0; i < combo->count(); ++i) entries << combo->itemText(i);
  return entries;
}

}  // namespace

class PrtDlgTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    std::vector<RecordedPrinter> printers(4);
    const char* names[] = {"Laser", "Portrait Only", "laser", "Print to PDF"};
    for (std::size_t i = 0; i < printers.size(); ++i) printers[i].name = names[i];
    printers[1].landscape = 0;
    program_ = std::make_unique<TestProgram>(printers);
  }

  void cleanup() {
    if (dialog_ != nullptr && dialog_->isVisible()) dialog_->close();
    Settle();
    QCOMPARE(DialogCount(), 0);
    const std::string problems = program_->prompt.Problems();
    QVERIFY2(problems.empty(), problems.c_str());
  }

  // The current printer, the papers it offers, the one in force; the paper list and its
  // selection. The printers are listed in order, the current one shown.
  void opensWithPrintersInOrderAndThePapersOfTheChosenOne() {
    const QString a5 = QStringLiteral("A5 148 x 210 mm");
    struct Case { std::size_t printer; std::vector<int> offered; int in_force;
                  QStringList entries; QString selected; };
    const Case cases[] = {{3, {1, 9}, 1, {kLetter, kA4}, kLetter},
                          {3, {1, 9}, 9, {kLetter, kA4}, kA4},
                          {0, {11, 9, 1}, 11, {kLetter, kA4, a5}, a5},
                          {0, {}, 9, {kLetter, kA4}, kA4}};  // none named: the classic two
    for (const Case& c : cases) {
      program_->surface.SelectPrinter(c.printer);
      program_->surface.printer().papers = c.offered;
      program_->surface.printer().paper_size = c.in_force;
      Open();
      QCOMPARE(Entries(Combo(dialog_, 2)), c.entries);
      QCOMPARE(Combo(dialog_, 2)->currentText(), c.selected);
      QCOMPARE(Combo(dialog_, 1)->currentText(),
               QString::fromStdString(program_->surface.DeviceName()));
      QCOMPARE(Entries(Combo(dialog_, 1)),
               QStringList({"Laser", "Portrait Only", "laser", "Print to PDF"}));
      dialog_->close();
      Settle();
    }
    // Choosing another printer of the list shows its papers, before any OK.
    program_->surface.printers()[1].papers = {5};
    Open();
    Combo(dialog_, 1)->setCurrentIndex(1);
    QCOMPARE(Entries(Combo(dialog_, 2)), QStringList{QStringLiteral("Legal 8 1/2 x 14 in")});
    QCOMPARE(program_->surface.DeviceName(), std::string("Laser"));
  }

  // OK takes the printer by its exact name and the paper by its caption (any other text is
  // Letter), which the printer keeps from then on; a name not installed changes nothing.
  void okTakesThePrinterByExactNameAndAppliesThePaper() {
    struct Case { const char* printer; const char* paper; bool closes; const char* in_use;
                  int paper_size; };
    const Case cases[] = {{"laser", "A4 210 x 297 mm", true, "laser", 9},
                          {"Laser", "a4 210 x 297 mm", true, "Laser", 1},
                          {"LASER", "A4 210 x 297 mm", false, "Laser", 1}};
    for (const Case& c : cases) {
      Open();
      if (!c.closes) {
        program_->prompt.Expect("The printer LASER is not installed. Please choose a printer "
                                "from the list");
      }
      Choose(c.printer, c.paper);
      ClickButton(0);
      QCOMPARE(dialog_ != nullptr && dialog_->isVisible(), !c.closes);
      QCOMPARE(program_->surface.DeviceName(), std::string(c.in_use));
      QCOMPARE(int{program_->program.settings_state.paper_size}, c.paper_size);
      QCOMPARE(program_->surface.PaperSize(), c.paper_size);
    }
    // Each paper taken became the printer's paper from now on.
    std::vector<double> kept;
    for (const auto& call : program_->surface.calls()) {
      if (call.op == "keep PaperSize") kept.push_back(call.value);
    }
    QCOMPARE(kept, (std::vector<double>{9, 1}));
  }

  // An unsuitable printer is taken but OK says to choose another; Cancel asks whether to
  // keep it, and only Yes closes the dialog.
  void unsuitablePrinterStaysInUseUntilKeptOrReplaced() {
    Open();
    program_->prompt.Expect(std::string(kUnsuitable) + " Please select another printer");
    Choose("Portrait Only", "Letter 8 1/2 x 11 in");
    ClickButton(0);
    QVERIFY(dialog_->isVisible());
    QCOMPARE(program_->surface.DeviceName(), std::string("Portrait Only"));
    for (Answer answer : {Answer::kNo, Answer::kYes}) {
      program_->prompt.Expect(std::string(kUnsuitable) + "\r\nAre you sure you want to keep it?",
                              answer);
      ClickButton(1);
      QCOMPARE(dialog_ != nullptr && dialog_->isVisible(), answer == Answer::kNo);
    }
    QCOMPARE(program_->surface.DeviceName(), std::string("Portrait Only"));
  }

  void oneInstanceIsBroughtForwardNotRefilled() {
    Open();
    QVERIFY(!dialog_->isModal());
    Combo(dialog_, 1)->setEditText(QStringLiteral("half typed"));
    quireon2::ui::PrinterFontClick(program_->program, 0, nullptr);
    QCOMPARE(DialogCount(), 1);
    QCOMPARE(Combo(dialog_, 1)->currentText(), QStringLiteral("half typed"));
  }

 private:
  // Lets closed dialogs finish deleting themselves.
  static void Settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

  void Open() {
    dialog_ = nullptr;
    quireon2::ui::ChoosePrinter(program_->program, nullptr, false);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* dialog = qobject_cast<PrtDlg*>(widget); dialog && dialog->isVisible()) {
        dialog_ = dialog;
      }
    }
    QVERIFY(dialog_ != nullptr);
  }

  void Choose(const char* printer, const char* paper) {
    for (auto [index, text] : {std::pair{1, printer}, std::pair{2, paper}}) {
      Combo(dialog_, index)->lineEdit()->clear();
      QTest::keyClicks(Combo(dialog_, index)->lineEdit(), QString::fromLatin1(text));
    }
  }

  void ClickButton(int index) {
    QTest::mouseClick(dialog_->findChild<QPushButton*>(QStringLiteral("Command1_%1").arg(index)),
                      Qt::LeftButton);
    Settle();
  }

  std::unique_ptr<TestProgram> program_;
  QPointer<PrtDlg> dialog_;
};

QTEST_MAIN(PrtDlgTest)
#include "prt_dlg_test.moc"
