// The status window offscreen: the preparation when it opens, the totals, the buttons
// during preparation and printing, how it closes, and the sheet preview it opens.
#include <QtTest>
#include <QtWidgets>
#include <fstream>
#include <functional>
#include <string>

#include "cli/marker_pages.h"
#include "support/test_program.h"
#include "textprep/layout_metrics.h"
#include "textprep/prep_run.h"
#include "ui/frm_preview.h"
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

  QStringList notes;
  std::function<void(const std::string&)> on_status;
};

// A print request in 1 up or the booklet, flipped, for `text` (no source file when empty),
// and its window.
struct Job {
  TestProgram t;
  QTemporaryDir dir;
  Program& p = t.program;
  ProbedStatus w{t.program};

  explicit Job(bool booklet = false, const std::string& text = "one\r\ntwo\r\nthree\r\n") {
    const std::string path = dir.filePath("notes.txt").toStdString();
    std::ofstream(path, std::ios::binary) << text;
    t.window.SetText(TextBox::kText1, text.empty() ? "" : path);
    t.window.SelectLayoutOption(booklet ? 1 : 0);
    t.window.SetCheckValue(CheckBox::kDoBooklet, booklet ? 1 : 0);
    t.window.SetPrinterMode(1);  // flipped: the second pass feeds the last sheet first
    ComputeLayoutMetrics(p, 0);
  }
  ~Job() {
    DeleteLineFile(p);
    const std::string problems = t.prompt.Problems();
    if (!problems.empty()) QTest::qFail(problems.c_str(), __FILE__, __LINE__);
  }

  // Shows the window and waits for the preparation to end.
  bool Ready() {
    w.show();
    return QTest::qWaitFor([this] { return w.Text("Label1") == "Count Done"; });
  }
};

// The pages drawn on a side, as "LEFT|RIGHT" with "blank" for an empty cell.
QString Cells(const std::vector<SurfaceCall>& side, double right_cell_x) {
  QString left = "blank", right = "blank";
  for (const SurfaceCall& c : side) {
    if (c.op == "Print") (c.x < right_cell_x ? left : right) = QString::fromStdString(c.text);
  }
  return left + "|" + right;
}

}  // namespace

class StatusWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void preparationFailureClosesTheWindow() {
    Job job(false, "");  // no source file name: the preparation stops without a word
    job.w.show();
    QTRY_VERIFY(!job.w.isVisible());
    QCOMPARE(job.w.result(), int(QDialog::Rejected));
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
    QCOMPARE(job.w.findChild<QProgressBar*>("ProgressBar1")->value(), 100);
    QCOMPARE(job.w.Text("Label1"), QString("Printing Completed"));
    QCOMPARE(job.w.notes.value(0), QString("Printing  1 Up  print off close off pages '1'"));
  }

  // A run that cannot start leaves the window open with its buttons; Close then closes it
  // without printing.
  void failedStartKeepsTheWindowOpenUntilClose() {
    Job job(true);
    QVERIFY(job.Ready());
    QVERIFY(std::remove(job.p.prep.LineFilePath.c_str()) == 0);
    job.t.prompt.Expect("Error: File not found");
    job.t.prompt.Expect("error File not found");
    job.w.Button(0)->click();
    QVERIFY(job.w.isVisible());
    QVERIFY(job.w.Button(0)->isEnabled() && job.w.Button(1)->isEnabled());
    QTest::mouseClick(job.w.Button(1), Qt::LeftButton);
    QVERIFY(!job.w.isVisible());
    QCOMPARE(job.w.result(), int(QDialog::Rejected));
    QCOMPARE(job.t.surface.jobs_started(), 0);
  }

  // The sheet preview, open once the count is done, shows a 10-page booklet's sheets one at
  // a time, each side drawn with the pages the booklet puts on it, says which pass feeds
  // each side, spends no paper, and goes when closed.
  void previewShowsEachSheetAsTheBookletOrdersIt() {
    Job job(true, MarkerPages(10));
    auto* open = job.w.findChild<QPushButton*>("PreviewButton");
    QVERIFY(!open->isEnabled());  // nothing to show before the count
    QVERIFY(job.Ready());
    open->click();
    auto* preview = job.w.findChild<ui::FrmPreview*>();
    QVERIFY(preview != nullptr);
    auto* back = preview->findChild<QPushButton*>("PreviewBack");
    auto* next = preview->findChild<QPushButton*>("PreviewNext");
    const double right_cell_x = CurrentLayout(job.p).x[2];
    const struct {
      const char* front;
      const char* back;
      const char* caption;
    } sheets[] = {{"blank|M1", "M2|blank",
                   "Sheet 1 of 3: side 1 pages blank | 1 (first pass, 1st sheet fed); "
                   "side 2 pages 2 | blank (second pass, 3rd sheet fed)"},
                  {"M10|M3", "M4|M9",
                   "Sheet 2 of 3: side 1 pages 10 | 3 (first pass, 2nd sheet fed); "
                   "side 2 pages 4 | 9 (second pass, 2nd sheet fed)"}};
    for (int i = 0; i < 2; ++i) {
      if (i > 0) next->click();
      QCOMPARE(preview->sheet(), long(i + 1));
      QCOMPARE(preview->caption(), QString(sheets[i].caption));
      QVERIFY(!preview->picture().isNull());
      const auto& pictures = job.t.surface.pictures();
      QCOMPARE(pictures.size(), std::size_t(2 * (i + 1)));  // only this sheet was drawn
      QCOMPARE(Cells(pictures[2 * i], right_cell_x), QString(sheets[i].front));
      QCOMPARE(Cells(pictures[2 * i + 1], right_cell_x), QString(sheets[i].back));
    }
    next->click();
    QVERIFY(!next->isEnabled() && back->isEnabled());
    back->click();
    back->click();
    QVERIFY(!back->isEnabled() && next->isEnabled());
    QCOMPARE(job.t.surface.jobs_started(), 0);
    preview->findChild<QPushButton*>("PreviewClose")->click();
    QTRY_VERIFY(job.w.findChild<ui::FrmPreview*>() == nullptr);
  }
};

QTEST_MAIN(StatusWindowTest)
#include "status_window_test.moc"
