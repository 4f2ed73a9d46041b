// The main of the test programs that draw or hold widgets: one QApplication
// on the offscreen platform, with one fixed font, so that pixels and text
// extents do not depend on the machine's desktop settings.
#include <QApplication>
#include <QFont>

#include "TestProgram.h"

int main(int argc, char** argv) {
  tessiro::test::CTestProgram program(&argc, argv);
  if (!program.Ready()) return 2;
  // Scale 1: tests count logical pixels as device pixels.
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  // Qt keeps its runtime files in a private folder; the program folder is one.
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) qputenv("XDG_RUNTIME_DIR", program.Home().c_str());
  QApplication application(argc, argv);
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(12);
  QApplication::setFont(font);
  return program.Run();
}
