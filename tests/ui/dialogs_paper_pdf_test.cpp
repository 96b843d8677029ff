// The paper chosen in the printer dialog reaches the next job: a real "Print to PDF" job,
// prepared and printed after OK, has sheets of that size.
#include <QComboBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <tuple>

#include "platform/cups_surface.h"
#include "platform/temp_file.h"
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

// The "Page size:" line of pdfinfo, without the label.
QString PageSize(const QString& pdf) {
  QProcess pdfinfo;
  pdfinfo.start(QStringLiteral("pdfinfo"), {pdf});
  pdfinfo.waitForFinished(30000);
  const QString info = QString::fromUtf8(pdfinfo.readAllStandardOutput());
  const QRegularExpressionMatch size = QRegularExpression("Page size: *(.*)").match(info);
  return size.hasMatch() ? size.captured(1).trimmed() : info;
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

    // "Print to PDF" starts on the system's paper.
    qputenv("PAPERSIZE", "a5");
    CupsSurface surface;
    qunsetenv("PAPERSIZE");
    surface.SelectPrinter(surface.Printers().size() - 1);
    testing::ScriptedPrompt prompt;
    MemoryControls window;
    testing::RecordingStatus status;
    Program program;
    SystemTempFiles temp_files;
    program.io = {&surface, &prompt, &window, &status, &temp_files};
    window.SelectLayoutOption(kLayout1Up);
    window.SetText(TextBox::kText1, source);
    program.settings().Layout = kLayout1Up;
    ComputeLayoutMetrics(program, 0);

    // One point is 1/72 inch: Letter is 8.5 x 11 in = 612 x 792 pt; A4 is 210 x 297 mm =
    // 595.276 x 841.89 pt. Letter first, so an A4 default could not pass for the choice;
    // the dialog opens on the paper in force: the system's, then the one chosen before.
    const std::tuple<const char*, int, const char*> cases[] = {
        {"Letter 8 1/2 x 11 in", 1, "612 x 792 pts (letter)"},
        {"A4 210 x 297 mm", 9, "595.276 x 841.89 pts (A4)"},
        {"A4 210 x 297 mm", 9, "595.276 x 841.89 pts (A4)"}};
    QString shown = QStringLiteral("A5 148 x 210 mm");
    int jobs = 0;
    for (const auto& [entry, code, page_size] : cases) {
      ui::ChoosePrinter(program, nullptr, false);
      PrtDlg* dialog = nullptr;
      for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<PrtDlg*>(top); found && found->isVisible()) dialog = found;
      }
      QVERIFY(dialog != nullptr);
      auto* paper = dialog->findChild<QComboBox*>(QStringLiteral("Combo2"));
      QCOMPARE(paper->currentText(), shown);
      dialog->findChild<QComboBox*>(QStringLiteral("Combo1"))->setEditText(QString::fromLatin1(kPrintToPdf));
      paper->setEditText(shown = QString::fromLatin1(entry));
      QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Command1_0")), Qt::LeftButton);
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // the closed dialog goes
      QCOMPARE(surface.DeviceName(), std::string(kPrintToPdf));
      QCOMPARE(surface.PdfPaperSize(), code);  // kept for the settings file

      const QString pdf = dir.filePath(QStringLiteral("job%1.pdf").arg(++jobs));
      surface.SetPdfOutputPath(pdf.toStdString());
      QVERIFY2(PrePrint1(program) && PrintNow(program), prompt.Problems().c_str());
      QCOMPARE(program.settings_state.paper_size, static_cast<Integer>(code));
      QCOMPARE(PageSize(pdf), QString::fromLatin1(page_size));
    }
    QVERIFY2(prompt.Problems().empty(), prompt.Problems().c_str());
  }
};

QTEST_MAIN(DialogsPaperPdfTest)
#include "dialogs_paper_pdf_test.moc"
