// How the benchmarks of the views run: offscreen on virtual audio, with a
// program folder of their own (home, made before and removed after) unless
// TESSIRO_HOME names one, so the configuration the application writes at its
// end stays out of the user's.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>
#include <filesystem>
#include <functional>
#include <string>

namespace tools {

// atEnd lets go of what the benchmarks keep open in home before it goes.
inline int RunViewBenchmarks(int argc, char** argv, const std::string& home, const std::function<void()>& atEnd = {}) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("TESSIRO_AUDIO", "virtual");
  std::filesystem::create_directories(home);
  if (qEnvironmentVariableIsEmpty("TESSIRO_HOME")) qputenv("TESSIRO_HOME", home.c_str());
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (atEnd) atEnd();
  std::error_code ignored;
  std::filesystem::remove_all(home, ignored);
  return 0;
}

}  // namespace tools
