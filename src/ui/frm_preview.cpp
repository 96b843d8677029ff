// The sheet preview.
#include "ui/frm_preview.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdint>

#include "printing/sheet_preview.h"

namespace quireon2::ui {
namespace {

// A screen's worth of paper: a Letter side is 660 by 510 dots at this resolution.
constexpr double kPreviewDotsPerInch = 60;

QImage ToImage(const Picture& picture) {
  QImage image(picture.width, picture.height, QImage::Format_RGB32);
  for (int row = 0; row < picture.height; ++row) {
    const auto from = picture.pixels.begin() + static_cast<std::ptrdiff_t>(row) * picture.width;
    std::transform(from, from + picture.width,
                   reinterpret_cast<std::uint32_t*>(image.scanLine(row)),
                   [](std::uint32_t rgb) { return rgb | 0xFF000000u; });  // opaque
  }
  return image;
}

}  // namespace

FrmPreview::FrmPreview(Program& program, QWidget* parent)
    : QDialog(parent), program_(program), sheet_count_(PreviewSheetCount(program)) {
  setWindowTitle("Sheet Preview");
  setObjectName("FrmPreview");

  caption_ = new QLabel(this);
  caption_->setObjectName("PreviewCaption");
  caption_->setWordWrap(true);
  picture_label_ = new QLabel(this);
  picture_label_->setObjectName("PreviewPicture");
  picture_label_->setAlignment(Qt::AlignCenter);
  auto* scroll = new QScrollArea(this);
  scroll->setWidget(picture_label_);
  scroll->setWidgetResizable(true);
  scroll->setMinimumSize(720, 560);

  back_ = new QPushButton("&Back", this);
  back_->setObjectName("PreviewBack");
  next_ = new QPushButton("&Next", this);
  next_->setObjectName("PreviewNext");
  auto* close = new QPushButton("&Close", this);
  close->setObjectName("PreviewClose");
  for (QPushButton* button : {back_, next_, close}) button->setAutoDefault(false);
  connect(back_, &QPushButton::clicked, this, [this] { ShowSheet(sheet_ - 1); });
  connect(next_, &QPushButton::clicked, this, [this] { ShowSheet(sheet_ + 1); });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(back_);
  buttons->addWidget(next_);
  buttons->addStretch();
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(caption_);
  layout->addWidget(scroll, 1);
  layout->addLayout(buttons);

  ShowSheet(1);
}

void FrmPreview::ShowSheet(long sheet) {
  if (sheet_count_ <= 0) {
    caption_->setText("There is no sheet to show.");
    back_->setEnabled(false);
    next_->setEnabled(false);
    return;
  }
  sheet_ = std::clamp(sheet, 1L, sheet_count_);
  back_->setEnabled(sheet_ > 1);
  next_->setEnabled(sheet_ < sheet_count_);
  QString text = QString::fromStdString(DescribeSheet(program_, sheet_));
  const qreal ratio = devicePixelRatioF();
  const SheetPicture drawn = DrawSheet(program_, sheet_, kPreviewDotsPerInch * ratio);
  picture_ = ToImage(drawn.picture);
  picture_.setDevicePixelRatio(ratio);
  if (drawn.failure) {
    text += "\nThe sheet cannot be drawn: " + QString::fromStdString(drawn.failure->description);
  }
  caption_->setText(text);
  picture_label_->setPixmap(QPixmap::fromImage(picture_));
}

QString FrmPreview::caption() const { return caption_->text(); }

}  // namespace quireon2::ui
