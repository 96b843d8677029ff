// The status window offscreen: the preparation when it opens, the totals, the buttons
// during preparation and printing, and how it closes.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>
#include <functional>
#include <string>

#include "support/test_program.h"
#include "textprep/layout_metrics.h"
#include "textprep/prep_run.h"
#include "ui/frm_status.h"

using namespace quireon2;
using namespace quireon2::testing;

namespace {

// The window, noting at every status message whether its buttons could be pressed and
// what the page total showed.
class ProbedStatus : public ui::FrmStatus {
 public:
  using FrmStatus::FrmStatus;
  void ShowStatus(const std::string& message) override {
    auto* print = findChild<QPushButton*>("PrintBook_0");
    auto* close = findChild<QPushButton*>("PrintBook_1");
    auto* pages = findChild<QLabel*>("TotalPageDisplay");
    notes.push_back(message + (print->isEnabled() ? " print on" : " print off") +
                    (close->isEnabled() ? " close on" : " close off") + " pages '" +
                    pages->text().toStdString() + "'");
    FrmStatus::ShowStatus(message);
    if (on_status) on_status(message);
  }
  std::vector<std::string> notes;
  std::function<void(const std::string&)> on_status;
};

struct Job {
  TestProgram t;
  QTemporaryDir dir;
  Program& p = t.program;

  // A three-line source in 1 up, or in the booklet.
  explicit Job(bool booklet = false, bool with_source = true) {
    const std::string path = dir.filePath("notes.txt").toStdString();
    std::ofstream(path, std::ios::binary) << "one\r\ntwo\r\nthree\r\n";
    t.window.SetText(TextBox::kText1, with_source ? path : "");
    t.window.SelectLayoutOption(booklet ? 1 : 0);
    t.window.SetCheckValue(CheckBox::kDoBooklet, booklet ? 1 : 0);
    t.window.SetPrinterMode(1);
    ComputeLayoutMetrics(p, 0);
  }
  ~Job() { DeleteLineFile(p); }
};

QPushButton* Button(QWidget& w, int index) {
  return w.findChild<QPushButton*>(QString("PrintBook_%1").arg(index));
}

QString Text(QWidget& w, const char* name) { return w.findChild<QLabel*>(name)->text(); }

}  // namespace

class StatusWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void preparationFailureClosesTheWindow() {
    Job job(false, false);  // no source file name: the preparation stops without a word
    ProbedStatus w(job.p);
    w.show();
    QTRY_VERIFY(!w.isVisible());
    QCOMPARE(w.result(), int(QDialog::Rejected));
    QCOMPARE(QString::fromStdString(job.t.prompt.Problems()), QString());
    QVERIFY(job.t.surface.PrintedTexts().empty());
  }

  void preparationShowsTotalsWithButtonsDisabledMeanwhile() {
    Job job;
    ProbedStatus w(job.p);
    QCOMPARE(w.windowTitle(), QString("Printing Status"));
    QCOMPARE(w.findChild<QLabel*>("Label1")->font().pointSize(), 14);
    QCOMPARE(Button(w, 0)->text(), QString("&Print Now"));
    QCOMPARE(Button(w, 1)->text(), QString("&Close"));
    QVERIFY(!Button(w, 0)->isEnabled());
    w.show();
    QTRY_COMPARE(Text(w, "Label1"), QString("Count Done"));
    QVERIFY(Button(w, 0)->isEnabled());
    QVERIFY(Button(w, 1)->isEnabled());
    QVERIFY(!w.notes.empty());
    QCOMPARE(QString::fromStdString(w.notes.front()),
             QString("Creating Temp File print off close off pages ''"));
    QCOMPARE(Text(w, "TotalPageDisplay"), QString("1"));
    QCOMPARE(Text(w, "TotalSheetDisplay"), QString("1"));
    QCOMPARE(Text(w, "Label3_0"), QString("Test Printer"));
    QCOMPARE(Text(w, "Label2_2"), QString("Sheets per signature"));
    QCOMPARE(Text(w, "Label4_1"), QString("Font Name"));
    QCOMPARE(Text(w, "Label1"), QString("Count Done"));
    QVERIFY(w.isVisible());
  }

  void printNowPrintsAndCloses() {
    Job job;
    ProbedStatus w(job.p);
    w.show();
    QTRY_COMPARE(Text(w, "Label1"), QString("Count Done"));
    w.notes.clear();
    QTest::mouseClick(Button(w, 0), Qt::LeftButton);
    QVERIFY(!w.isVisible());
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QCOMPARE(job.t.surface.PrintedTexts(),
             (std::vector<std::string>{"job 1 page 1: one", "job 1 page 1: two",
                                       "job 1 page 1: three"}));
    QCOMPARE(w.findChild<QProgressBar*>("ProgressBar1")->value(), 100);
    QCOMPARE(Text(w, "Label1"), QString("Printing Completed"));
    QCOMPARE(QString::fromStdString(w.notes.front()),
             QString("Printing  1 Up  print off close off pages '1'"));
  }

  void nothingClosesTheWindowUnderARunningPrint() {
    Job job;
    ProbedStatus w(job.p);
    w.show();
    QTRY_COMPARE(Text(w, "Label1"), QString("Count Done"));
    bool tried = false;
    w.on_status = [&](const std::string& message) {
      if (message != "Printing  1 Up ") return;
      tried = true;
      w.reject();
      w.close();
      QTest::keyClick(&w, Qt::Key_Escape);
      Button(w, 1)->click();
      w.PrintBook_Click(1);
      w.PrintBook_Click(0);  // a second run must not start inside the first
      QVERIFY(w.isVisible());
    };
    Button(w, 0)->click();
    QVERIFY(tried);
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QCOMPARE(job.t.surface.jobs_started(), 1);
    QCOMPARE(job.t.surface.PrintedTexts().size(), size_t(3));
  }

  void closeClosesWithoutPrinting() {
    Job job;
    ProbedStatus w(job.p);
    w.show();
    QTRY_COMPARE(Text(w, "Label1"), QString("Count Done"));
    QTest::mouseClick(Button(w, 1), Qt::LeftButton);
    QVERIFY(!w.isVisible());
    QCOMPARE(w.result(), int(QDialog::Rejected));
    QCOMPARE(job.t.surface.jobs_started(), 0);
  }

  void failedStartKeepsTheWindowOpenForAnotherTry() {
    Job job(true);
    ProbedStatus w(job.p);
    w.show();
    QTRY_COMPARE(Text(w, "Label1"), QString("Count Done"));
    QVERIFY(std::remove(job.p.prep.LineFilePath.c_str()) == 0);
    job.t.prompt.Expect("Error: File not found");
    job.t.prompt.Expect("error File not found");
    Button(w, 0)->click();
    QCOMPARE(QString::fromStdString(job.t.prompt.Problems()), QString());
    QVERIFY(w.isVisible());
    QVERIFY(Button(w, 0)->isEnabled());
    QVERIFY(Button(w, 1)->isEnabled());
    Button(w, 1)->click();
    QVERIFY(!w.isVisible());
  }

  void statusSinkIsTheWindowWhileItExists() {
    Job job;
    StatusSink* before = job.p.io.status;
    {
      ui::FrmStatus w(job.p);
      QCOMPARE(job.p.io.status, static_cast<StatusSink*>(&w));
      w.SetProgress(3, 2);
      QCOMPARE(w.findChild<QProgressBar*>("ProgressBar1")->value(), 66);
      w.SetProgress(3, 0);
      QCOMPARE(w.findChild<QProgressBar*>("ProgressBar1")->value(), 66);
    }
    QCOMPARE(job.p.io.status, before);
  }
};

QTEST_MAIN(StatusWindowTest)
#include "status_window_test.moc"
