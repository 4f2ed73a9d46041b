// A full redraw of the Track View's back buffer (headers, lanes with every
// visible snippet's box and waveform, the ruler) in a busy project: 2,000
// snippets on 24 tracks, eight rows shown, at a view of the whole 90 minutes
// and at a view of 10 s. The budget is half a frame at 60 per second: 8 ms.
//
// Each case reports the median and the worst redraw; a redraw that leaves the
// snippets' boxes out of the lanes fails the case.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <vector>

#include "BusyProject.h"
#include "Folders.h"
#include "QuietServices.h"
#include "pro.h"
#include "trackview/TrackViewGUI.h"

namespace {

std::string g_folder;

bool HasSnippetBoxes(const draw::CBitmap& buffer, int laneRight) {
  int found = 0;
  for (int x = trackview::kLaneX + 1; x < laneRight; x += 7) {
    const draw::COLORREF c = buffer.Pixel(x, 30);
    if (c != 0xF8F8F8 && c != 0x000000) ++found;
  }
  return found > 0;
}

void BM_RedrawBusyProject(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  const uint32_t viewFrames = static_cast<uint32_t>(state.range(2));
  tools::QuietServices seams;
  CProApp app(seams.Services());
  app.initialised = 1;
  if (tools::FillBusyProject(app, g_folder, 2000) != 2000) {
    state.SkipWithError("the project was not made");
    return;
  }
  CProView view(&app);
  seams.view.view = &view;
  auto editor = std::make_unique<CTrackViewGUI>(&app);
  CTrackViewGUI* trackView = editor.get();
  view.InstallTrackView(std::move(editor));
  view.resize(width, height);
  view.show();
  for (int i = 0; i < 4; ++i) trackView->MoreRows();
  // Ten seconds from the middle of the project, or all of it.
  app.project.viewStart = viewFrames >= CProApp::kMaxProjectFrames ? 0 : 44100 * 60 * 45;
  app.project.viewEnd = app.project.viewStart + viewFrames;
  app.project.viewWidth = viewFrames;
  trackView->ComputeGrid();
  std::vector<double> ms;
  for (auto _ : state) {
    const auto begin = std::chrono::steady_clock::now();
    trackView->Redraw();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
    benchmark::ClobberMemory();
  }
  if (!HasSnippetBoxes(trackView->BackBuffer(), trackView->AreaWidth() - trackview::kLaneRightMargin)) {
    state.SkipWithError("no snippet was drawn");
    return;
  }
  std::sort(ms.begin(), ms.end());
  state.counters["rows"] = trackView->VisibleRows();
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["worst_ms"] = ms.back();
  state.counters["budget_ms"] = 8.0;
  seams.view.view = nullptr;
}

// A main window's view and a full HD one, at all 90 minutes and at 10 s.
BENCHMARK(BM_RedrawBusyProject)
    ->Args({835, 440, CProApp::kMaxProjectFrames})
    ->Args({835, 440, 441000})
    ->Args({1900, 940, CProApp::kMaxProjectFrames})
    ->Args({1900, 940, 441000})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("TESSIRO_AUDIO", "virtual");
  const std::string home = platform::TemporaryFolder() + "/tessiro-track-view-bench";
  g_folder = home + "/audio";
  std::filesystem::create_directories(g_folder);
  if (qEnvironmentVariableIsEmpty("TESSIRO_HOME")) qputenv("TESSIRO_HOME", home.c_str());
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  std::filesystem::remove_all(home, ignored);
  return 0;
}
