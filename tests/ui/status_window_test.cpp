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
    notes.push_back(QString::fromStdString(message) +
                    (Button(0)->isEnabled() ? " print on" : " print off") +
                    (Button(1)->isEnabled() ? " close on" : " close off") + " pages '" +
                    Text("TotalPageDisplay") + "'");
    FrmStatus::ShowStatus(message);
    if (on_status) on_status(message);
  }
  QPushButton* Button(int index) {
    return findChild<QPushButton*>(QString("PrintBook_%1").arg(index));
  }
  QString Text(const char* name) { return findChild<QLabel*>(name)->text(); }
  int Bar() { return findChild<QProgressBar*>("ProgressBar1")->value(); }

  QStringList notes;
  std::function<void(const std::string&)> on_status;
};

// A print request for a three-line source in 1 up (or the booklet) and its window.
struct Job {
  TestProgram t;
  QTemporaryDir dir;
  Program& p = t.program;
  ProbedStatus w{t.program};

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

  // Shows the window and waits for the preparation to end.
  bool Ready() {
    w.show();
    return QTest::qWaitFor([this] { return w.Text("Label1") == "Count Done"; });
  }
  QString Problems() const { return QString::fromStdString(t.prompt.Problems()); }
};

}  // namespace

class StatusWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void preparationFailureClosesTheWindow() {
    Job job(false, false);  // no source file name: the preparation stops without a word
    job.w.show();
    QTRY_VERIFY(!job.w.isVisible());
    QCOMPARE(job.w.result(), int(QDialog::Rejected));
    QCOMPARE(job.Problems(), QString());
    QCOMPARE(job.t.surface.jobs_started(), 0);
  }

  // The preparation shows the totals with the buttons disabled meanwhile; Print Now prints
  // and closes, and while it prints nothing closes the window or starts a second run.
  void preparationThenPrintNow() {
    Job job;
    QVERIFY(job.Ready());
    QVERIFY(job.w.Button(0)->isEnabled() && job.w.Button(1)->isEnabled());
    // Enter prints: "Print Now" is the default button and has the focus.
    QVERIFY(job.w.Button(0)->isDefault() && job.w.focusWidget() == job.w.Button(0));
    QCOMPARE(job.w.notes.value(0), QString("Creating Temp File print off close off pages ''"));
    QCOMPARE(job.w.Text("TotalPageDisplay") + "|" + job.w.Text("TotalSheetDisplay") + "|" +
                 job.w.Text("Label3_0") + "|" + job.w.Text("TabRule"),
             QString("1|1|Test Printer|5 blanks each"));
    job.w.notes.clear();
    bool tried = false;
    job.w.on_status = [&](const std::string& message) {
      if (message != "Printing  1 Up ") return;
      tried = true;
      job.w.reject();
      job.w.close();
      QTest::keyClick(&job.w, Qt::Key_Escape);
      job.w.Button(1)->click();
      job.w.PrintBook_Click(1);
      job.w.PrintBook_Click(0);
      QVERIFY(job.w.isVisible());
    };
    QTest::mouseClick(job.w.Button(0), Qt::LeftButton);
    QVERIFY(tried);
    QVERIFY(!job.w.isVisible());
    QCOMPARE(job.w.result(), int(QDialog::Accepted));
    QCOMPARE(job.t.surface.sent_jobs().size(), std::size_t{1});
    QCOMPARE(job.w.Bar(), 100);
    QCOMPARE(job.w.Text("Label1"), QString("Printing Completed"));
    QCOMPARE(job.w.notes.value(0), QString("Printing  1 Up  print off close off pages '1'"));
  }

  void failedStartKeepsTheWindowOpenUntilClose() {
    Job job(true);
    QVERIFY(job.Ready());
    QVERIFY(std::remove(job.p.prep.LineFilePath.c_str()) == 0);
    job.t.prompt.Expect("Error: File not found");
    job.t.prompt.Expect("error File not found");
    job.w.Button(0)->click();
    QCOMPARE(job.Problems(), QString());
    QVERIFY(job.w.isVisible());
    QVERIFY(job.w.Button(0)->isEnabled() && job.w.Button(1)->isEnabled());
    // Close closes without printing.
    QTest::mouseClick(job.w.Button(1), Qt::LeftButton);
    QVERIFY(!job.w.isVisible());
    QCOMPARE(job.w.result(), int(QDialog::Rejected));
    QCOMPARE(job.t.surface.jobs_started(), 0);
  }
};

QTEST_MAIN(StatusWindowTest)
#include "status_window_test.moc"
