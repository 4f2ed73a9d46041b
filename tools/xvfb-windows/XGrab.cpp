// tessiro-xgrab OUT.png: saves what the X display shows, the whole screen.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tessiro-xgrab OUT.png\n");
    return 2;
  }
  QGuiApplication application(argc, argv);
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen || !screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1]), "PNG")) {
    std::fprintf(stderr, "tessiro-xgrab: cannot save %s\n", argv[1]);
    return 1;
  }
  return 0;
}
