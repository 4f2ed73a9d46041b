// program-icon <folder> <size>...: writes <folder>/<n>x<n>/apps/tessiro.png for each size.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <cstdlib>

#include "skin/SkinFactory.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: program-icon <folder> <size>...\n");
    return 2;
  }
  QGuiApplication application(argc, argv);
  const QString root = QString::fromLocal8Bit(argv[1]);
  for (int i = 2; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size <= 0 || size > 1024) {
      std::fprintf(stderr, "program-icon: bad size %s\n", argv[i]);
      return 2;
    }
    const QString folder = QStringLiteral("%1/%2x%2/apps").arg(root).arg(size);
    if (!QDir().mkpath(folder) || !CSkinFactory::ProgramIconImage(size).save(folder + "/tessiro.png", "PNG")) {
      std::fprintf(stderr, "program-icon: cannot write %s\n", qPrintable(folder));
      return 1;
    }
  }
  return 0;
}
