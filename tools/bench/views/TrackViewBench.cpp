// A full redraw of the Track View's back buffer (headers, lanes with every
// visible snippet's box and waveform, the ruler) in busy projects: 200, 2,000
// and 20,000 snippets on 24 tracks, and 20,000 on one track, eight rows shown,
// at a view of the whole 90 minutes and at a view of 10 s. The budget is half
// a frame at 60 per second: 8 ms.
//
// Each case reports the median and the worst redraw. It fails when the
// picture shows no snippet box, when a redraw is not the first redraw's
// picture (made before the timing, before anything was kept from one redraw
// to the next), and when it differs from the picture drawn through the
// snippet lists' plain walk (every snippet looked at for every piece), which
// a list takes when it finds itself out of start order: a snippet that ends
// at frame 0 is put behind the others, where no window ever meets it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <vector>

#include "BusyProject.h"
#include "Folders.h"
#include "QuietServices.h"
#include "ViewBenchMain.h"
#include "pro.h"
#include "trackview/TrackViewGUI.h"

namespace {

std::string g_folder;

bool HasSnippetBoxes(const draw::CBitmap& buffer, int laneRight, int lanesBottom) {
  for (int y = 6; y < lanesBottom; y += 5) {
    for (int x = trackview::kLaneX + 1; x < laneRight; x += 7) {
      const draw::COLORREF c = buffer.Pixel(x, y);
      if (c != 0xF8F8F8 && c != 0x000000) return true;
    }
  }
  return false;
}

// Ten seconds from the middle of the project, moved on to the first snippet
// of the first track that is heard there or later, so that sparse projects
// show something too.
uint32_t TenSecondsStart(CProApp& app) {
  uint32_t start = 44100 * 60 * 45;
  CAudioTrack* track = nullptr;
  if (app.project.FindTrack(0, &track) != 1 || !track) return start;
  for (const auto& s : track->Snippets().Snippets()) {
    if (s->end > start) return std::max(start, s->start);
  }
  return start;
}

// The picture of a redraw through the plain walk, the project left as it was.
QImage PlainWalkPicture(CProApp& app, CTrackViewGUI& trackView) {
  std::vector<std::pair<CAudioSnippetList*, uint32_t>> stragglers;
  for (int t = 0; t < CAudioTrackList::kProjectTracks; ++t) {
    CAudioTrack* track = nullptr;
    if (app.project.FindTrack(t, &track) != 1 || !track || track->Snippets().GetCount() == 0) continue;
    auto straggler = std::make_shared<CAudioSnippet>();
    straggler->start = straggler->end = 0xFFFFFFFF;
    track->Snippets().AddSnippet(straggler);
    straggler->start = straggler->end = 0;
    stragglers.emplace_back(&track->Snippets(), straggler->GetIdentifier());
  }
  trackView.Redraw();
  QImage picture = trackView.BackBuffer().Image().copy();
  for (const auto& [list, identifier] : stragglers) list->RemoveSnippet(identifier);
  return picture;
}

void BM_RedrawBusyProject(benchmark::State& state) {
  const int snippets = static_cast<int>(state.range(0));
  const int tracks = static_cast<int>(state.range(1));
  const int width = static_cast<int>(state.range(2));
  const int height = static_cast<int>(state.range(3));
  const uint32_t viewFrames = static_cast<uint32_t>(state.range(4));
  tools::QuietServices seams;
  CProApp app(seams.Services());
  app.initialised = 1;
  if (tools::FillBusyProject(app, g_folder, snippets, tracks) != snippets) {
    state.SkipWithError("the project was not made");
    return;
  }
  CProView view(&app);
  seams.view.SetView(&view);
  auto editor = std::make_unique<CTrackViewGUI>(&app);
  CTrackViewGUI* trackView = editor.get();
  view.InstallTrackView(std::move(editor));
  view.resize(width, height);
  view.show();
  for (int i = 0; i < 4; ++i) trackView->MoreRows();
  app.project.viewStart = viewFrames >= CProApp::kMaxProjectFrames ? 0 : TenSecondsStart(app);
  app.project.viewEnd = app.project.viewStart + viewFrames;
  app.project.viewWidth = viewFrames;
  trackView->ComputeGrid();
  trackView->Redraw();
  const QImage first = trackView->BackBuffer().Image().copy();
  std::vector<double> ms;
  for (auto _ : state) {
    const auto begin = std::chrono::steady_clock::now();
    trackView->Redraw();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
    benchmark::ClobberMemory();
  }
  if (!HasSnippetBoxes(trackView->BackBuffer(), trackView->AreaWidth() - trackview::kLaneRightMargin,
                       trackView->AreaHeight() - 37)) {
    state.SkipWithError("no snippet was drawn");
    return;
  }
  if (trackView->BackBuffer().Image() != first) {
    state.SkipWithError("a redraw differs from the first one");
    return;
  }
  const QImage quick = trackView->BackBuffer().Image().copy();
  if (PlainWalkPicture(app, *trackView) != quick) {
    state.SkipWithError("the picture differs from the plain walk's");
    return;
  }
  std::sort(ms.begin(), ms.end());
  state.counters["rows"] = trackView->VisibleRows();
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["worst_ms"] = ms.back();
  state.counters["budget_ms"] = 8.0;
  seams.view.SetView(nullptr);
}

constexpr int64_t kAll = CProApp::kMaxProjectFrames;
constexpr int64_t kTenSeconds = 441000;

// Snippets, tracks they are spread over, view width and height, frames shown:
// a main window's view and a full HD one, at all 90 minutes and at 10 s.
BENCHMARK(BM_RedrawBusyProject)
    ->ArgNames({"snippets", "tracks", "w", "h", "frames"})
    ->Args({2000, 24, 835, 440, kAll})
    ->Args({2000, 24, 835, 440, kTenSeconds})
    ->Args({200, 24, 1900, 940, kAll})
    ->Args({200, 24, 1900, 940, kTenSeconds})
    ->Args({2000, 24, 1900, 940, kAll})
    ->Args({2000, 24, 1900, 940, kTenSeconds})
    ->Args({20000, 24, 1900, 940, kAll})
    ->Args({20000, 24, 1900, 940, kTenSeconds})
    ->Args({20000, 1, 1900, 940, kAll})
    ->Args({20000, 1, 1900, 940, kTenSeconds})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
  const std::string home = platform::TemporaryFolder() + "/tessiro-track-view-bench";
  g_folder = home + "/audio";
  std::filesystem::create_directories(g_folder);
  return tools::RunViewBenchmarks(argc, argv, home);
}
