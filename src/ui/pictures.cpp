// The drawn pictures beside the layout and paper-feed options, and the program icon.
#include "ui/pictures.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTransform>

namespace quireon2::ui {
namespace {

const QColor kInk(60, 60, 66);
const QColor kText(150, 150, 158);
const QColor kPath(34, 108, 196);
const QColor kPrinted(214, 84, 44);
const QColor kBody(222, 224, 230);

void DrawSheet(QPainter& painter, const QRectF& r) {
  painter.setPen(QPen(kInk, 1.2));
  painter.setBrush(Qt::white);
  painter.drawRect(r);
}

// A page of text: grey lines, the last one short.
void DrawText(QPainter& painter, const QRectF& r, int lines) {
  painter.setPen(QPen(kText, 1.0));
  double step = r.height() / (lines + 1);
  for (int i = 1; i <= lines; ++i) {
    double y = r.top() + step * i;
    double right = i == lines ? r.left() + r.width() * 0.55 : r.right();
    painter.drawLine(QPointF(r.left(), y), QPointF(right, y));
  }
}

void DrawLayout(QPainter& painter, const QRectF& area, int index) {
  QPointF c = area.center();
  if (index == 1) {
    // Two pages side by side on a sheet turned to landscape.
    QRectF sheet(c.x() - 30, c.y() - 21, 60, 42);
    DrawSheet(painter, sheet);
    QRectF left(sheet.left() + 5, sheet.top() + 5, 22, 32);
    QRectF right(sheet.center().x() + 3, sheet.top() + 5, 22, 32);
    DrawText(painter, left, 7);
    DrawText(painter, right, 7);
    painter.setPen(QPen(kText, 1.0, Qt::DashLine));
    painter.drawLine(QPointF(sheet.center().x(), sheet.top() + 3),
                     QPointF(sheet.center().x(), sheet.bottom() - 3));
    return;
  }
  QRectF sheet(c.x() - 17, c.y() - 23, 34, 46);
  DrawSheet(painter, sheet);
  if (index == 0) {
    DrawText(painter, sheet.adjusted(5, 5, -5, -5), 9);
    return;
  }
  // Four small pages, two across and two down.
  double w = (sheet.width() - 12) / 2;
  double h = (sheet.height() - 12) / 2;
  for (int row = 0; row < 2; ++row) {
    for (int col = 0; col < 2; ++col) {
      QRectF page(sheet.left() + 4 + col * (w + 4), sheet.top() + 4 + row * (h + 4), w, h);
      DrawText(painter, page, 4);
    }
  }
}

void DrawArrowHead(QPainter& painter, const QPointF& tip, const QPointF& from) {
  QLineF back(tip, from);
  back.setLength(6);
  QLineF wing1 = back;
  wing1.setAngle(back.angle() + 28);
  QLineF wing2 = back;
  wing2.setAngle(back.angle() - 28);
  QPainterPath head;
  head.moveTo(tip);
  head.lineTo(wing1.p2());
  head.lineTo(wing2.p2());
  head.closeSubpath();
  painter.setPen(Qt::NoPen);
  painter.setBrush(kPath);
  painter.drawPath(head);
}

void DrawPath(QPainter& painter, const QPainterPath& path) {
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(kPath, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPath(path);
  QPointF tip = path.pointAtPercent(1.0);
  QPointF before = path.pointAtPercent(0.96);
  DrawArrowHead(painter, tip, before);
}

// A sheet seen edge-on: white, with its printed side marked in colour on top, below, or
// both.
void DrawEdgeSheet(QPainter& painter, const QRectF& r, bool printed_top, bool printed_bottom) {
  painter.setPen(QPen(kInk, 1.0));
  painter.setBrush(Qt::white);
  painter.drawRect(r);
  painter.setPen(QPen(kPrinted, 2.0));
  if (printed_top) painter.drawLine(r.topLeft(), r.topRight());
  if (printed_bottom) painter.drawLine(r.bottomLeft(), r.bottomRight());
}

void DrawBody(QPainter& painter, const QRectF& r) {
  painter.setPen(QPen(kInk, 1.2));
  painter.setBrush(kBody);
  painter.drawRoundedRect(r, 4, 4);
}

// A printer that takes the sheet in on the left and puts it out on the right, printed on
// top (and below too when it prints both sides).
template <class At>
void DrawStraightThrough(QPainter& painter, At at, const QRectF& body, bool both_sides) {
  DrawEdgeSheet(painter, QRectF(at(4, 31), QSizeF(22, 3)), false, false);
  DrawBody(painter, body);
  DrawEdgeSheet(painter, QRectF(at(72, 31), QSizeF(22, 3)), true, both_sides);
}

void DrawPaperFeed(QPainter& painter, const QRectF& area, int index) {
  QPointF o = area.topLeft();
  auto at = [&](double x, double y) { return QPointF(o.x() + x, o.y() + y); };
  QRectF body(at(32, 16), QSizeF(34, 26));
  switch (index) {
    case 0: {
      // Laser printer, paper straight through: the stack goes back in as it came out.
      DrawStraightThrough(painter, at, body, false);
      QPainterPath path(at(6, 27));
      path.lineTo(at(92, 27));
      DrawPath(painter, path);
      break;
    }
    case 1: {
      // Paper turns over inside the printer: in at the bottom, out on top, face down.
      DrawBody(painter, body);
      DrawEdgeSheet(painter, QRectF(at(6, 40), QSizeF(24, 3)), false, false);
      DrawEdgeSheet(painter, QRectF(at(6, 10), QSizeF(24, 3)), false, true);
      QPainterPath path(at(8, 36));
      path.lineTo(at(64, 36));
      path.cubicTo(at(86, 36), at(86, 6), at(64, 6));
      path.lineTo(at(10, 6));
      DrawPath(painter, path);
      break;
    }
    case 2: {
      // A printer that prints both sides itself.
      DrawStraightThrough(painter, at, body, true);
      QPainterPath path(at(6, 27));
      path.lineTo(at(40, 27));
      path.cubicTo(at(52, 27), at(56, 20), at(49, 20));
      path.cubicTo(at(42, 20), at(44, 27), at(58, 27));
      path.lineTo(at(92, 27));
      DrawPath(painter, path);
      painter.setPen(kInk);
      QFont font = painter.font();
      font.setPixelSize(9);
      font.setBold(true);
      painter.setFont(font);
      painter.drawText(QRectF(at(66, 38), QSizeF(30, 12)), Qt::AlignCenter, "1+2");
      break;
    }
    case 3: {
      // Ink jet: the sheet stands in a tray on top and comes out at the front.
      DrawBody(painter, body);
      painter.save();
      painter.translate(at(20, 20));
      painter.rotate(-64);
      DrawEdgeSheet(painter, QRectF(0, -3, 20, 3), false, false);
      painter.restore();
      DrawEdgeSheet(painter, QRectF(at(72, 38), QSizeF(22, 3)), true, false);
      QPainterPath path(at(29, 3));
      path.lineTo(at(38, 24));
      path.cubicTo(at(42, 33), at(46, 34), at(54, 34));
      path.lineTo(at(92, 34));
      DrawPath(painter, path);
      break;
    }
    default:
      break;
  }
}

}  // namespace

QString PictureMeaning(PictureKind kind, int index) {
  static const char* const kLayouts[3] = {
      "One page on each side of the sheet.",
      "Two pages side by side on each side of the sheet; with Booklet, a folded booklet.",
      "Four pages on each side of the sheet."};
  static const char* const kPaperFeeds[4] = {
      "A laser printer that passes the paper straight through: the printed stack is turned "
      "over and put back in the tray for the second sides.",
      "A printer that turns the paper over on its way: the printed stack goes back in the "
      "tray as it came out.",
      "A printer that prints both sides of the sheet itself.",
      "An ink jet printer fed from the top: the printed stack is turned over and put back in "
      "the tray for the second sides."};
  if (kind == PictureKind::kLayout) return index >= 0 && index < 3 ? kLayouts[index] : "";
  return index >= 0 && index < 4 ? kPaperFeeds[index] : "";
}

Picture::Picture(PictureKind kind, int index, QWidget* parent)
    : QWidget(parent), kind_(kind), index_(index) {
  setToolTip(PictureMeaning(kind, index));
  setCursor(Qt::PointingHandCursor);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Picture::SetSelected(bool selected) {
  if (selected_ == selected) return;
  selected_ = selected;
  update();
}

void Picture::SetFaded(bool faded) {
  if (faded_ == faded) return;
  faded_ = faded;
  setCursor(faded ? Qt::ArrowCursor : Qt::PointingHandCursor);
  update();
}

QSize Picture::sizeHint() const {
  return kind_ == PictureKind::kLayout ? QSize(72, 56) : QSize(100, 50);
}

void Picture::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  QRectF frame = QRectF(rect()).adjusted(1, 1, -1, -1);
  if (selected_) {
    QColor fill = palette().color(QPalette::Highlight);
    fill.setAlpha(40);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 1.5));
    painter.setBrush(fill);
    painter.drawRoundedRect(frame, 5, 5);
  }
  if (faded_) painter.setOpacity(0.3);
  if (kind_ == PictureKind::kLayout) {
    DrawLayout(painter, frame, index_);
  } else {
    QRectF area(frame.center().x() - 49, frame.center().y() - 24, 98, 48);
    DrawPaperFeed(painter, area, index_);
  }
}

void Picture::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
}

void Picture::mouseReleaseEvent(QMouseEvent* event) {
  bool inside = rect().contains(event->position().toPoint());
  if (pressed_ && inside && event->button() == Qt::LeftButton) emit clicked(index_);
  pressed_ = false;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);
    // An open booklet: two pages meeting at the fold.
    QPainterPath left;
    left.moveTo(32, 14);
    left.cubicTo(24, 8, 12, 8, 4, 12);
    left.lineTo(4, 54);
    left.cubicTo(12, 50, 24, 50, 32, 56);
    left.closeSubpath();
    QPainterPath right = QTransform(-1, 0, 0, 1, 64, 0).map(left);  // the mirror image
    painter.setPen(QPen(kPath, 3));
    painter.setBrush(Qt::white);
    painter.drawPath(left);
    painter.drawPath(right);
    painter.setPen(QPen(kText, 3));
    for (int y = 22; y <= 42; y += 10) {
      painter.drawLine(QPointF(10, y), QPointF(27, y + 1));
      painter.drawLine(QPointF(37, y + 1), QPointF(54, y));
    }
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace quireon2::ui
