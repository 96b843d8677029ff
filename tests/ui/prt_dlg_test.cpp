// The printer and paper dialog: the lists it opens with, OK with the capability check and
// the paper, Cancel with its question, the one instance and the start-up wait.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
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

RecordedPrinter Printer(const char* name, int landscape = 90) {
  RecordedPrinter printer;
  printer.name = name;
  printer.landscape = landscape;
  return printer;
}

const char kUnsuitableOk[] =
    "Your printer Portrait Only does not support features Quireon2 needs. Please select "
    "another printer";
const char kUnsuitableCancel[] =
    "Your printer Portrait Only does not support features Quireon2 needs.\r\n"
    "Are you sure you want to keep it?";

PrtDlg* OpenDialog() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* dialog = qobject_cast<PrtDlg*>(widget); dialog && dialog->isVisible()) return dialog;
  }
  return nullptr;
}

int DialogCount() {
  int count = 0;
  for (QWidget* widget : QApplication::topLevelWidgets()) count += qobject_cast<PrtDlg*>(widget) != nullptr;
  return count;
}

// Lets closed dialogs finish deleting themselves.
void Settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

QComboBox* Combo(PrtDlg* dialog, int index) {
  return dialog->findChild<QComboBox*>(QStringLiteral("Combo%1").arg(index));
}

void Choose(PrtDlg* dialog, const char* printer, const char* paper) {
  for (auto [index, text] : {std::pair{1, printer}, std::pair{2, paper}}) {
    Combo(dialog, index)->lineEdit()->clear();
    QTest::keyClicks(Combo(dialog, index)->lineEdit(), QString::fromLatin1(text));
  }
}

QStringList Entries(QComboBox* combo) {
  QStringList entries;
  for (int i = 0; i < combo->count(); ++i) entries << combo->itemText(i);
  return entries;
}

void Click(PrtDlg* dialog, int index) {
  QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Command1_%1").arg(index)),
                    Qt::LeftButton);
  Settle();
}

}  // namespace

class PrtDlgTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    program_ = std::make_unique<TestProgram>(std::vector<RecordedPrinter>{
        Printer("Laser"), Printer("Portrait Only", 0), Printer("laser"), Printer("Print to PDF")});
  }

  void cleanup() {
    if (PrtDlg* dialog = OpenDialog()) dialog->close();
    Settle();
    QCOMPARE(DialogCount(), 0);
    const std::string problems = program_->prompt.Problems();
    QVERIFY2(problems.empty(), problems.c_str());
  }

  void opensWithPrintersInOrderAndThePapersOfTheChosenOne() {
    const QString letter = QStringLiteral("Letter 8 1/2 x 11 in");
    const QString a4 = QStringLiteral("A4 210 x 297 mm");
    const QString a5 = QStringLiteral("A5 148 x 210 mm");
    // The current printer, the papers it offers, the one in force; the list, its selection.
    struct Case { std::size_t printer; std::vector<int> offered; int in_force;
                  QStringList entries; QString selected; };
    const Case cases[] = {{3, {1, 9}, 1, {letter, a4}, letter}, {3, {1, 9}, 9, {letter, a4}, a4},
                          {0, {11, 9, 1}, 11, {letter, a4, a5}, a5},
                          {0, {}, 9, {letter, a4}, a4}};  // none named: the classic two
    for (const Case& c : cases) {
      program_->surface.SelectPrinter(c.printer);
      program_->surface.printer().papers = c.offered;
      program_->surface.printer().paper_size = c.in_force;
      PrtDlg* dialog = Open();
      QCOMPARE(Entries(Combo(dialog, 2)), c.entries);
      QCOMPARE(Combo(dialog, 2)->currentText(), c.selected);
      QCOMPARE(Combo(dialog, 1)->currentText(),
               QString::fromStdString(program_->surface.DeviceName()));
      QCOMPARE(Combo(dialog, 1)->itemText(2), QStringLiteral("laser"));
      dialog->close();
      Settle();
    }
    // Choosing another printer of the list shows its papers, before any OK.
    program_->surface.printers()[1].papers = {5};
    PrtDlg* dialog = Open();
    Combo(dialog, 1)->setCurrentIndex(1);
    QCOMPARE(Entries(Combo(dialog, 2)), QStringList{QStringLiteral("Legal 8 1/2 x 14 in")});
    QCOMPARE(program_->surface.DeviceName(), std::string("Laser"));
  }

  void okTakesThePrinterByExactNameAndAppliesThePaper() {
    PrtDlg* dialog = Open();
    Choose(dialog, "laser", "A4 210 x 297 mm");
    Click(dialog, 0);
    QCOMPARE(OpenDialog(), nullptr);
    QCOMPARE(program_->surface.DeviceName(), std::string("laser"));
    QCOMPARE(program_->program.settings_state.paper_size, Integer{9});
    QCOMPARE(program_->surface.PaperSize(), 9);
    QCOMPARE(KeptPapers(), std::vector<double>{9});  // the printer's paper from now on

    dialog = Open();
    QCOMPARE(Combo(dialog, 2)->currentText(), QStringLiteral("A4 210 x 297 mm"));
    Choose(dialog, "Laser", "a4 210 x 297 mm");  // any text but the A4 entry is Letter
    Click(dialog, 0);
    QCOMPARE(program_->surface.DeviceName(), std::string("Laser"));
    QCOMPARE(program_->surface.PaperSize(), 1);

    // A name that is not installed, as typed, is refused and changes nothing.
    dialog = Open();
    program_->prompt.Expect("The printer LASER is not installed. Please choose a printer from the list");
    Choose(dialog, "LASER", "A4 210 x 297 mm");
    Click(dialog, 0);
    QCOMPARE(OpenDialog(), dialog);
    QCOMPARE(program_->surface.DeviceName(), std::string("Laser"));
    QCOMPARE(program_->program.settings_state.paper_size, Integer{1});
  }

  void unsuitablePrinterStaysInUseUntilKeptOrReplaced() {
    PrtDlg* dialog = Open();
    program_->prompt.Expect(kUnsuitableOk);
    Choose(dialog, "Portrait Only", "Letter 8 1/2 x 11 in");
    Click(dialog, 0);
    QCOMPARE(OpenDialog(), dialog);
    QCOMPARE(program_->surface.DeviceName(), std::string("Portrait Only"));

    program_->prompt.Expect(kUnsuitableCancel, Answer::kNo);
    Click(dialog, 1);
    QCOMPARE(OpenDialog(), dialog);
    program_->prompt.Expect(kUnsuitableCancel, Answer::kYes);
    Click(dialog, 1);
    QCOMPARE(OpenDialog(), nullptr);
    QCOMPARE(program_->surface.DeviceName(), std::string("Portrait Only"));
  }

  void oneInstanceIsBroughtForwardNotRefilled() {
    PrtDlg* first = Open();
    QVERIFY(!first->isModal());
    Combo(first, 1)->setEditText(QStringLiteral("half typed"));
    quireon2::ui::PrinterFontClick(program_->program, 0, nullptr);
    QCOMPARE(DialogCount(), 1);
    QCOMPARE(Combo(first, 1)->currentText(), QStringLiteral("half typed"));
  }

 private:
  std::vector<double> KeptPapers() const {
    std::vector<double> kept;
    for (const auto& call : program_->surface.calls()) {
      if (call.op == "keep PaperSize") kept.push_back(call.value);
    }
    return kept;
  }

  PrtDlg* Open() {
    quireon2::ui::ChoosePrinter(program_->program, nullptr, false);
    return OpenDialog();
  }

  std::unique_ptr<TestProgram> program_;
};

QTEST_MAIN(PrtDlgTest)
#include "prt_dlg_test.moc"
