// The paper chosen in the printer dialog reaches the next job: a real "Print to PDF" job,
// prepared and printed after OK, has sheets of that size.
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>
#include <fstream>

#include "platform/cups_surface.h"
#include "printing/print_runs.h"
#include "settings/memory_controls.h"
#include "support/recording_status.h"
#include "support/scripted_prompt.h"
#include "textprep/layout_metrics.h"
#include "textprep/prep_run.h"
#include "ui/printer_dialogs.h"
#include "ui/prt_dlg.h"

using namespace quireon2;
using quireon2::ui::PrtDlg;

namespace {

PrtDlg* OpenPrinterDialog() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* dialog = qobject_cast<PrtDlg*>(widget); dialog && dialog->isVisible()) {
      return dialog;
    }
  }
  return nullptr;
}

// The "Page size:" line of pdfinfo, without the label.
QString PageSize(const QString& pdf) {
  QProcess pdfinfo;
  pdfinfo.start(QStringLiteral("pdfinfo"), {pdf});
  if (!pdfinfo.waitForFinished(30000)) return QStringLiteral("pdfinfo did not finish");
  for (const QString& line : QString::fromUtf8(pdfinfo.readAllStandardOutput()).split('\n')) {
    if (line.startsWith(QStringLiteral("Page size:"))) {
      return line.mid(QStringLiteral("Page size:").size()).trimmed();
    }
  }
  return QStringLiteral("no page size");
}

}  // namespace

class DialogsPaperPdfTest : public QObject {
  Q_OBJECT

 private slots:
  void nextJobIsPrintedOnTheChosenPaper() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::string source = dir.filePath(QStringLiteral("story.txt")).toStdString();
    std::ofstream(source) << "Once upon a time\r\nthere was a printer.\r\n";

    CupsSurface surface;
    testing::ScriptedPrompt prompt;
    MemoryControls window;
    testing::RecordingStatus status;
    Program program;
    program.io = {&surface, &prompt, &window, &status};
    window.SelectLayoutOption(kLayout1Up);
    window.SetText(TextBox::kText1, source);
    program.settings().Layout = kLayout1Up;
    ComputeLayoutMetrics(program, 0);

    struct Case {
      const char* paper_entry;
      const char* file;
      int code;
      const char* page_size;
    };
    // One point is 1/72 inch: Letter is 8.5 x 11 in = 612 x 792 pt; A4 is 210 x 297 mm =
    // 595.276 x 841.89 pt. Letter first, so an A4 default could not pass for the choice.
    const Case cases[] = {{"Letter 8 1/2 x 11 in", "letter.pdf", 1, "612 x 792 pts (letter)"},
                          {"A4 210 x 297 mm", "a4.pdf", 9, "595.276 x 841.89 pts (A4)"}};
    for (const Case& c : cases) {
      ui::ChoosePrinter(program, nullptr, false);
      PrtDlg* dialog = OpenPrinterDialog();
      QVERIFY(dialog != nullptr);
      dialog->findChild<QComboBox*>(QStringLiteral("Combo1"))->setEditText(QString::fromLatin1(kPrintToPdf));
      dialog->findChild<QComboBox*>(QStringLiteral("Combo2"))->setEditText(QString::fromLatin1(c.paper_entry));
      QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Command1_0")), Qt::LeftButton);
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
      QVERIFY(OpenPrinterDialog() == nullptr);
      QCOMPARE(surface.DeviceName(), std::string(kPrintToPdf));

      const QString pdf = dir.filePath(QString::fromLatin1(c.file));
      surface.SetPdfOutputPath(pdf.toStdString());
      QVERIFY2(PrePrint1(program), prompt.Problems().c_str());
      QCOMPARE(program.settings_state.paper_size, static_cast<Integer>(c.code));
      QVERIFY2(PrintNow(program), prompt.Problems().c_str());
      QVERIFY2(QFile::exists(pdf), qPrintable(QDir(dir.path()).entryList().join(' ')));
      QCOMPARE(PageSize(pdf), QString::fromLatin1(c.page_size));
    }
    QVERIFY2(prompt.Problems().empty(), prompt.Problems().c_str());
  }
};

QTEST_MAIN(DialogsPaperPdfTest)
#include "dialogs_paper_pdf_test.moc"
