// Test tool: saves a picture of one X window (by id) as PNG, as it shows on the screen;
// with a title, a title bar naming it is drawn above (the test's X server has no window
// manager to draw one).
#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

int main(int argc, char* argv[]) {
  QGuiApplication app(argc, argv);
  bool ok = false;
  const WId window = argc == 3 || argc == 4 ? QString(argv[1]).toULongLong(&ok, 0) : 0;
  if (!ok || QGuiApplication::primaryScreen() == nullptr) {
    std::fprintf(stderr, "usage: grab_window WINDOW_ID OUTPUT.png [TITLE] (on an X display)\n");
    return 2;
  }
  QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(window);
  if (!picture.isNull() && argc == 4) {
    const int bar = 26;
    QPixmap titled(picture.width(), picture.height() + bar);
    titled.fill(QColor(0x3b, 0x4a, 0x5e));
    QPainter painter(&titled);
    painter.drawPixmap(0, bar, picture);
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, titled.width(), bar), Qt::AlignCenter,
                     QString::fromLocal8Bit(argv[3]));
    painter.end();
    picture = titled;
  }
  if (picture.isNull() || !picture.save(argv[2], "PNG")) {
    std::fprintf(stderr, "grab_window: could not grab or save window %s\n", argv[1]);
    return 1;
  }
  return 0;
}
