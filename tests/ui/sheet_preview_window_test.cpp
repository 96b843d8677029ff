// The sheet preview from the status window, offscreen: after the count it shows a 10-page booklet's
// sheets one at a time, each side drawn with the pages the booklet puts on it, and says which pass
// feeds each side.
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>
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

// The pages drawn on a side, as "LEFT|RIGHT" with "blank" for an empty cell.
QString Cells(const std::vector<SurfaceCall>& side, double right_cell_x) {
  QString left = "blank", right = "blank";
  for (const SurfaceCall& c : side) {
    if (c.op == "Print") (c.x < right_cell_x ? left : right) = QString::fromStdString(c.text);
  }
  return left + "|" + right;
}

}  // namespace

class SheetPreviewWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void showsEachSheetsSidesAsTheBookletOrdersThem() {
    TestProgram t;
    Program& p = t.program;
    QTemporaryDir dir;
    const std::string path = dir.filePath("ten.txt").toStdString();
    std::ofstream(path, std::ios::binary) << MarkerPages(10);
    t.window.SetText(TextBox::kText1, path);
    t.window.SelectLayoutOption(1);
    t.window.SetCheckValue(CheckBox::kDoBooklet, 1);
    t.window.SetPrinterMode(1);  // flipped: the second pass feeds the last sheet first
    ComputeLayoutMetrics(p, 0);

    ui::FrmStatus status(p);
    auto* open = status.findChild<QPushButton*>("PreviewButton");
    QVERIFY(!open->isEnabled());  // nothing to show before the count
    status.show();
    QTRY_COMPARE(status.findChild<QLabel*>("Label1")->text(), QString("Count Done"));
    QVERIFY(open->isEnabled());
    open->click();
    auto* preview = status.findChild<ui::FrmPreview*>();
    QVERIFY(preview != nullptr);
    auto* back = preview->findChild<QPushButton*>("PreviewBack");
    auto* next = preview->findChild<QPushButton*>("PreviewNext");

    const double right_cell_x = CurrentLayout(p).x[2];
    struct Sheet {
      const char* front;
      const char* back;
      const char* caption;
    };
    const Sheet sheets[] = {
        {"blank|M1", "M2|blank",
         "Sheet 1 of 3: side 1 pages blank | 1 (first pass, 1st sheet fed); "
         "side 2 pages 2 | blank (second pass, 3rd sheet fed)"},
        {"M10|M3", "M4|M9",
         "Sheet 2 of 3: side 1 pages 10 | 3 (first pass, 2nd sheet fed); "
         "side 2 pages 4 | 9 (second pass, 2nd sheet fed)"},
    };
    for (int i = 0; i < 2; ++i) {
      if (i > 0) next->click();
      QCOMPARE(preview->sheet(), long(i + 1));
      QCOMPARE(preview->caption(), QString(sheets[i].caption));
      QVERIFY(!preview->picture().isNull());
      const auto& pictures = t.surface.pictures();
      QCOMPARE(pictures.size(),
               std::size_t(2 * (i + 1)));  // only this sheet was drawn
      QCOMPARE(Cells(pictures[2 * i], right_cell_x), QString(sheets[i].front));
      QCOMPARE(Cells(pictures[2 * i + 1], right_cell_x), QString(sheets[i].back));
    }
    QVERIFY(back->isEnabled() && next->isEnabled());
    next->click();
    QVERIFY(!next->isEnabled());
    back->click();
    back->click();
    QVERIFY(!back->isEnabled());
    QCOMPARE(t.surface.jobs_started(), 0);  // no paper was spent
    DeleteLineFile(p);
  }
};

QTEST_MAIN(SheetPreviewWindowTest)
#include "sheet_preview_window_test.moc"
