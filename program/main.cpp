// tessiro: the program.
#include <QApplication>
#include <QFileInfo>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "AboutInfo.h"
#include "CommandLine.h"
#include "Program.h"
#include "frame/MainFrame.h"

int main(int argc, char** argv) {
  const auto started = std::chrono::steady_clock::now();
  if (AsksForHelp(argc, argv)) {
    std::fputs(UsageText().c_str(), stdout);
    return 0;
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tessiro"));
  QApplication::setApplicationDisplayName(QStringLiteral("Tessiro"));
  QApplication::setDesktopFileName(QStringLiteral("tessiro"));
  SetProgramFont();

  std::vector<std::string> arguments;
  const QStringList given = QApplication::arguments();
  for (qsizetype i = 1; i < given.size(); ++i) arguments.push_back(given[i].toStdString());
  const CommandLine line = ParseCommandLine(arguments);
  if (!line.error.empty()) {
    std::fprintf(stderr, "tessiro: %s\n\n%s", line.error.c_str(), UsageText().c_str());
    return 2;
  }
  if (line.help) {
    std::fputs(UsageText().c_str(), stdout);
    return 0;
  }
  if (line.version) {
    std::printf("Tessiro %s\n", AboutInfo::kVersion);
    return 0;
  }

  CProgram::Options options;
  options.reportsOnScreen = true;
  if (!line.projectPath.empty()) {
    options.projectPath = QFileInfo(QString::fromStdString(line.projectPath)).absoluteFilePath().toStdString();
  }
  CProgram program(options);
  program.SetFirstPaintHandler([&program, &line, started] {
    if (line.printStartupTime) {
      const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
      timespec now, busy;
      clock_gettime(CLOCK_REALTIME, &now);
      clock_gettime(CLOCK_THREAD_CPUTIME_ID, &busy);
      std::fprintf(stderr, "tessiro: main window painted %.1f ms after start (at %lld.%09ld), %.1f ms of it busy\n",
                   ms, static_cast<long long>(now.tv_sec), now.tv_nsec, busy.tv_sec * 1e3 + busy.tv_nsec / 1e6);
    }
    if (!line.screenshotPath.empty()) {
      if (!SaveScreenshot(program.Frame(), line.screenshotPath)) {
        std::fprintf(stderr, "tessiro: could not save the screenshot %s\n", line.screenshotPath.c_str());
      }
    }
  });
  if (!program.Start()) return 1;
  return program.Run();
}
