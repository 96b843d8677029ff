// The "Font" dialog and the main window's font preview.
#include "ui/font_dlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QString>
#include <algorithm>
#include <optional>

#include "interfaces/main_window_controls.h"
#include "interfaces/printer_surface.h"
#include "printing/constants.h"
#include "settings/number_text.h"
#include "settings/runtime_failure.h"
#include "settings/text_helpers.h"

namespace quireon2::ui {

namespace {

constexpr int kFirstListedSize = 4;
constexpr int kLastListedSize = 16;
// The sample line draws between these sizes, so the dialog keeps its size.
constexpr double kSmallestSamplePoints = 8;
constexpr double kLargestSamplePoints = 24;

QString Text(const std::string& text) { return QString::fromUtf8(text.c_str()); }

// A size in points the layout can take: a whole number from 1 up that fits an Integer.
// Anything else (no number, 0, negative, too large) is not taken, so a slip of the keyboard
// can neither store an invisible font nor overflow the stored size.
std::optional<Integer> UsableSize(double points) {
  const long long whole = RoundHalfEven(points);
  if (whole < 1 || whole > 32767) return std::nullopt;
  return static_cast<Integer>(whole);
}

// Alphabetical without regard to case; names differing only in case keep a fixed order.
bool ComesBefore(const QString& a, const QString& b) {
  const int folded = QString::compare(a, b, Qt::CaseInsensitive);
  return folded != 0 ? folded < 0 : QString::compare(a, b, Qt::CaseSensitive) < 0;
}

}  // namespace

FontDlg::FontDlg(Program& program, QWidget* parent)
    : QDialog(parent),
      program_(program),
      face_box_(new QLineEdit(this)),
      face_list_(new QListWidget(this)),
      size_box_(new QLineEdit(this)),
      size_list_(new QListWidget(this)),
      ok_(new QPushButton(QStringLiteral("OK"), this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)),
      sample_(new QLabel(QStringLiteral("AaBbCcXxYyZz 0123456789"), this)) {
  setWindowTitle(QStringLiteral("Font"));
  setObjectName(QStringLiteral("FontDlg"));
  face_box_->setObjectName(QStringLiteral("Text1_0"));
  face_list_->setObjectName(QStringLiteral("List1_0"));
  size_box_->setObjectName(QStringLiteral("Text1_1"));
  size_list_->setObjectName(QStringLiteral("List1_1"));
  ok_->setObjectName(QStringLiteral("Command1_0"));
  cancel_->setObjectName(QStringLiteral("Command1_1"));
  ok_->setDefault(true);
  auto* face_label = new QLabel(QStringLiteral("&Font:"), this);
  face_label->setObjectName(QStringLiteral("Label1_0"));
  face_label->setBuddy(face_box_);
  auto* size_label = new QLabel(QStringLiteral("&Size:"), this);
  size_label->setObjectName(QStringLiteral("Label1_1"));
  size_label->setBuddy(size_box_);
  face_list_->setAccessibleName(QStringLiteral("Fonts"));
  size_list_->setAccessibleName(QStringLiteral("Sizes"));
  sample_->setObjectName(QStringLiteral("Sample"));
  sample_->setAccessibleName(QStringLiteral("Sample"));
  sample_->setFrameShape(QFrame::StyledPanel);
  sample_->setAlignment(Qt::AlignCenter);
  QFont largest = sample_->font();
  largest.setPointSizeF(kLargestSamplePoints);
  sample_->setFixedHeight(QFontMetrics(largest).height() + 12);
  sample_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);

  auto* grid = new QGridLayout(this);
  grid->addWidget(face_label, 0, 0);
  grid->addWidget(face_box_, 1, 0);
  grid->addWidget(face_list_, 2, 0);
  grid->addWidget(size_label, 0, 1);
  grid->addWidget(size_box_, 1, 1);
  grid->addWidget(size_list_, 2, 1);
  grid->addWidget(sample_, 3, 0, 1, 2);
  grid->setColumnStretch(0, 3);
  grid->setColumnStretch(1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  grid->addLayout(buttons, 4, 0, 1, 2);
  resize(440, 400);

  // A selection made by code, by the keyboard or by clicking the selected entry again all
  // run the list rule; running it twice changes nothing.
  connect(face_list_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0) List1Click(0);
  });
  connect(face_list_, &QListWidget::itemClicked, this, [this] { List1Click(0); });
  connect(size_list_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0) List1Click(1);
  });
  connect(size_list_, &QListWidget::itemClicked, this, [this] { List1Click(1); });
  connect(face_box_, &QLineEdit::textChanged, this, [this] { ShowSample(); });
  connect(size_box_, &QLineEdit::textChanged, this, [this] { ShowSample(); });
  connect(ok_, &QPushButton::clicked, this, [this] { Command1Click(0); });
  connect(cancel_, &QPushButton::clicked, this, [this] { Command1Click(1); });
}

void FontDlg::FormLoad() {
  Settings& settings = program_.settings();
  const LayoutRecord& record = CurrentLayout(program_);
  setWindowTitle(QStringLiteral("Font for ") +
                 Text(LayoutCaption(settings.Layout)).trimmed());

  FillListWithFonts(face_list_);
  // The layout's own face and size, whatever the printer holds from another layout.
  settings.CurrentFont = record.font_name;
  face_box_->setText(Text(settings.CurrentFont));
  const QList<QListWidgetItem*> faces =
      face_list_->findItems(Text(settings.CurrentFont), Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (!faces.isEmpty()) face_list_->setCurrentItem(faces.front());

  size_list_->clear();
  for (int size = kFirstListedSize; size <= kLastListedSize; ++size) {
    size_list_->addItem(QString::number(size));
  }

  if (const std::optional<Integer> size = UsableSize(record.font_size)) chosen_size_ = *size;
  size_box_->setText(QString::number(record.font_size));
  const QList<QListWidgetItem*> sizes =
      size_list_->findItems(size_box_->text(), Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (!sizes.isEmpty()) size_list_->setCurrentItem(sizes.front());
}

void FontDlg::FillListWithFonts(QListWidget* list) {
  list->clear();
  current_printer_font_ = program_.surface().FontName();
  for (const FontFamily& family : program_.surface().FontFamilies()) {
    AddFontToList(family.name, family.scalable, list);
  }
}

void FontDlg::AddFontToList(const std::string& face_name, bool scalable, QListWidget* list) {
  const std::string name = TrimNull(face_name);
  // The printer's own face counts as chosen even when it is not offered in the list.
  if (name == current_printer_font_) program_.settings().CurrentFont = name;
  if (!scalable) return;
  const QString text = Text(name);
  int row = 0;
  while (row < list->count() && !ComesBefore(text, list->item(row)->text())) {
    if (list->item(row)->text() == text) return;  // a family offered twice is listed once
    ++row;
  }
  list->insertItem(row, text);
}

void FontDlg::List1Click(int index) {
  if (index == 0 || index == 1) {
    QListWidget* list = index == 0 ? face_list_ : size_list_;
    QLineEdit* box = index == 0 ? face_box_ : size_box_;
    if (QListWidgetItem* item = list->currentItem()) box->setText(item->text());
  }
  program_.settings().CurrentFont = face_box_->text().toStdString();
  if (const std::optional<Integer> size = UsableSize(LeadingNumber(size_box_->text().toStdString()))) {
    chosen_size_ = *size;
  }
}

void FontDlg::ShowSample() {
  QFont font = sample_->font();
  font.setFamily(face_box_->text());
  const std::optional<Integer> size = UsableSize(LeadingNumber(size_box_->text().toStdString()));
  font.setPointSizeF(std::clamp(static_cast<double>(size.value_or(chosen_size_)),
                                kSmallestSamplePoints, kLargestSamplePoints));
  sample_->setFont(font);
}

void FontDlg::Command1Click(int index) {
  if (index == 0) {
    // What the boxes hold counts, typed or clicked.
    List1Click(-1);
    LayoutRecord& record = CurrentLayout(program_);
    record.font_size = chosen_size_;
    record.font_name = program_.settings().CurrentFont;
    accept();
  } else {
    reject();
  }
}

void SetFontPreview(Program& program, const std::string& font_name, double size_points) {
  program.window().SetFontPreview(font_name, size_points);
}

}  // namespace quireon2::ui
