// Test tool: saves a picture of one X window (by id) as PNG, as it shows on the screen.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

int main(int argc, char* argv[]) {
  QGuiApplication app(argc, argv);
  bool ok = false;
  const WId window = argc == 3 ? QString(argv[1]).toULongLong(&ok, 0) : 0;
  if (!ok || QGuiApplication::primaryScreen() == nullptr) {
    std::fprintf(stderr, "usage: grab_window WINDOW_ID OUTPUT.png (on an X display)\n");
    return 2;
  }
  QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(window);
  if (picture.isNull() || !picture.save(argv[2], "PNG")) {
    std::fprintf(stderr, "grab_window: could not grab or save window %s\n", argv[1]);
    return 1;
  }
  return 0;
}
