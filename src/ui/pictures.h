// The small drawings of the main window: the three page layouts, the four ways paper
// travels through a printer, and the program's icon. Drawn in code, so they stay sharp at
// any screen scale.
#pragma once

#include <QIcon>
#include <QWidget>

namespace quireon2::ui {

enum class PictureKind { kLayout, kPaperFeed };

// One clickable picture: layout `index` 0..2 (1 up, 2 up, 4 up) or paper-feed mode 0..3.
class Picture : public QWidget {
  Q_OBJECT

 public:
  Picture(PictureKind kind, int index, QWidget* parent = nullptr);

  // A selected picture is framed; a faded one belongs to an option that cannot be chosen.
  void SetSelected(bool selected);
  void SetFaded(bool faded);
  bool selected() const { return selected_; }
  bool faded() const { return faded_; }

  QSize sizeHint() const override;

 signals:
  void clicked(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  PictureKind kind_;
  int index_;
  bool selected_ = false;
  bool faded_ = false;
  bool pressed_ = false;
};

// What picture `index` of `kind` stands for, in a sentence; the picture's tooltip.
QString PictureMeaning(PictureKind kind, int index);

// The program's icon: a folded booklet.
QIcon ProgramIcon();

}  // namespace quireon2::ui
