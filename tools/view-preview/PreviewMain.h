// How the view previews start: offscreen, with a program folder of their own
// under the temporary folder and virtual audio (each unless the caller's
// environment names another), so that a preview never touches the user's files
// or sound card; and in the program's font, so the views come out at its sizes.
#pragma once

#include <QApplication>
#include <QDir>
#include <QFont>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace tools {

// Runs shoot(folder, home) in such an application, the folder made first: exit
// 2 with the usage line when no folder is named, 1 when a picture was not written.
inline int RunViewPreview(int& argc, char** argv, const char* usage, const char* homeName,
                          const std::function<bool(const QString& folder, const QString& home)>& shoot) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s\n", usage);
    return 2;
  }
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  const QString home = QDir::temp().filePath(QString::fromLatin1(homeName));
  QDir().mkpath(home);
  if (std::getenv("TESSIRO_HOME") == nullptr) setenv("TESSIRO_HOME", qPrintable(home), 1);
  if (std::getenv("TESSIRO_AUDIO") == nullptr) setenv("TESSIRO_AUDIO", "virtual", 1);
  QApplication application(argc, argv);
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(12);
  QApplication::setFont(font);
  const QString folder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(folder);
  return shoot(folder, home) ? 0 : 1;
}

}  // namespace tools
