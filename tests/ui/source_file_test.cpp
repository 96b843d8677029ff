// The source file choice: the open-file dialog's result, the existence check, the start-up
// choice and drops on the box, the tab strip and the rest of the window.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>
#include <unistd.h>

#include "support/test_program.h"
#include "ui/source_file.h"

using quireon2::testing::TestProgram;

namespace {

std::unique_ptr<QMimeData> FileList(const QStringList& paths) {
  auto data = std::make_unique<QMimeData>();
  QList<QUrl> urls;
  for (const QString& path : paths) urls.push_back(QUrl::fromLocalFile(path));
  data->setUrls(urls);
  return data;
}

// Drags `data` over `target` and drops it there; returns whether the drag was taken.
bool Drop(QWidget* target, const QMimeData* data) {
  QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &enter);
  QDropEvent drop(QPointF(2, 2), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &drop);
  return enter.isAccepted();
}

}  // namespace

class SourceFileTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    program_ = std::make_unique<TestProgram>();
    window_ = std::make_unique<QWidget>();
    text1_ = new QLineEdit(window_.get());
    tabs_ = new QTabBar(window_.get());
    print_ = new QPushButton(QStringLiteral("&Print"), window_.get());
    print_->setEnabled(false);
    source_ = new quireon2::ui::SourceFile(**program_, text1_, print_, tabs_, window_.get());
    first_ = MakeFile("first.txt");
    missing_ = dir_->filePath(QStringLiteral("missing.txt"));
  }

  void cleanup() {
    const std::string problems = program_->prompt.Problems();
    window_.reset();
    QVERIFY2(problems.empty(), problems.c_str());
  }

  // How a name arrives (the open-file dialog, a drop on the box, the tab strip or
  // elsewhere on the window), whether Print was on, the names (none: Cancel), the box and
  // Print afterwards. A missing name is reported, except from a drop elsewhere, which
  // only fills the box; the first of several dropped names counts.
  void aChosenOrDroppedNameFillsTheBox() {
    const QString second = dir_->filePath(QStringLiteral("second.txt"));
    struct Case { const char* via; bool print_before; QStringList names; QString box; bool print; };
    const Case cases[] = {
        {"browse", false, {first_}, first_, true},
        {"browse", true, {missing_}, missing_, false},
        {"browse", true, {}, missing_, true},
        {"box", false, {first_, second, missing_}, first_, true},
        {"box", true, {missing_, first_}, missing_, false},
        {"tabs", true, {missing_, first_}, missing_, false},
        {"window", true, {missing_, first_}, missing_, true},
        {"window", false, {missing_, first_}, missing_, false}};
    program_->program.settings().TextFile = "/earlier.txt";  // browsing leaves it
    for (const Case& c : cases) {
      if (!c.names.isEmpty()) text1_->clear();
      print_->setEnabled(c.print_before);
      if (!c.names.isEmpty() && c.names[0] == missing_ && QString(c.via) != "window") {
        program_->prompt.Expect("the file " + missing_.toStdString() + " doesn't exist");
      }
      if (QString(c.via) == "browse") {
        // The dialog's buffer is NUL-padded; exactly the path goes into the box.
        std::optional<std::string> chosen;
        if (!c.names.isEmpty()) chosen = "  " + c.names[0].toStdString() + std::string(200, '\0');
        source_->SetOpenDialog([chosen](QWidget*) { return chosen; });
        source_->Browse();
        QCOMPARE(program_->program.settings().TextFile, std::string("/earlier.txt"));
      } else {
        QWidget* target = QString(c.via) == "box"    ? static_cast<QWidget*>(text1_)
                          : QString(c.via) == "tabs" ? static_cast<QWidget*>(tabs_)
                                                     : window_.get();
        QVERIFY(Drop(target, FileList(c.names).get()));
      }
      QCOMPARE(text1_->text(), c.box);
      QCOMPARE(print_->isEnabled(), c.print);
    }
    // Text and web addresses are not taken anywhere.
    QMimeData text, web;
    text.setText(first_);
    web.setUrls({QUrl(QStringLiteral("https://example.org/a.txt"))});
    for (QWidget* target : {static_cast<QWidget*>(text1_), static_cast<QWidget*>(tabs_),
                            window_.get()}) {
      QVERIFY(!Drop(target, &text) && !Drop(target, &web));
    }
    QCOMPARE(text1_->text(), missing_);
  }

  void namesThatCannotBeReadSayWhy() {
    const QString folder = dir_->filePath(QStringLiteral("folder.txt"));
    const QString dangling = dir_->filePath(QStringLiteral("dangling.txt"));
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(QFile::link(dir_->filePath(QStringLiteral("gone.txt")), dangling));
    std::vector<std::pair<QString, std::string>> names = {
        {folder, "is a directory"}, {dangling, "doesn't exist"}, {missing_, "doesn't exist"}};
    if (::geteuid() != 0) {  // root reads any file
      names.emplace_back(MakeFile("locked.txt"), "cannot be read: Permission denied");
      QVERIFY(QFile::setPermissions(names.back().first, QFileDevice::Permissions()));
    }
    for (const auto& [name, why] : names) {
      print_->setEnabled(true);
      std::string file_name = name.toStdString();
      program_->prompt.Expect("the file " + file_name + " " + why);
      source_->CheckFile(file_name);
      QVERIFY2(!print_->isEnabled(), qPrintable(name));
      QVERIFY2(!source_->OpenSourceFile(file_name), qPrintable(name));
      QVERIFY(program_->program.settings().TextFile.empty());
    }
    QVERIFY(source_->OpenSourceFile(first_.toStdString()));
    QCOMPARE(program_->program.settings().TextFile, first_.toStdString());
    QVERIFY(print_->isEnabled());
  }

 private:
  QString MakeFile(const char* name) {
    const QString path = dir_->filePath(QString::fromLatin1(name));
    std::ofstream(path.toStdString()) << "text\r\n";
    return path;
  }

  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<TestProgram> program_;
  std::unique_ptr<QWidget> window_;
  QLineEdit* text1_ = nullptr;
  QTabBar* tabs_ = nullptr;
  QPushButton* print_ = nullptr;
  quireon2::ui::SourceFile* source_ = nullptr;
  QString first_, missing_;
};

QTEST_MAIN(SourceFileTest)
#include "source_file_test.moc"
