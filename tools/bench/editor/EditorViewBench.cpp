// How long the Audio Editor takes to redraw its whole back buffer (frame,
// waveform, markers, tracker, scales and ruler) in an area of 1000 x 500 over
// ten minutes of stereo audio: the whole audio (from the peak file), one second
// (from the audio) and 200 frames (every sample). The goal is under 8 ms each.
// And one tick of the play cursor (erase, place, invert one column), whose
// goal is under 1 ms; after the ticks the picture must be a clean redraw with
// only the cursor's column inverted, where the played time puts it.
//
// Each case reports the median and the worst; a redraw that leaves the
// waveform out, or whose picture is not the first redraw's (made before the
// timing, before anything was kept from one redraw to the next), fails the
// case. The waveform painter itself is checked against the audio in views_bench.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "Folders.h"
#include "Generic.h"
#include "QuietServices.h"
#include "WaveformFixtures.h"
#include "editor/WaveformEditorGUI.h"
#include "pro.h"
#include "../views/ViewBenchMain.h"

namespace {

constexpr uint32_t kTenMinutes = 10 * 60 * 44100;
constexpr int kWidth = 1000;
constexpr int kHeight = 500;

std::string g_folder;
std::unique_ptr<CAudioSegment> g_segment;

int16_t Wave(uint32_t frame, int channel) {
  const uint32_t mixed = (frame * 2654435761u) >> 20;
  return static_cast<int16_t>(static_cast<int32_t>(mixed % 20000) - 10000 + channel * 300);
}

CAudioSegment& TenMinutes() {
  if (!g_segment) {
    g_segment = tessiro::test::MakeWaveSegment(g_folder, 2, kTenMinutes, Wave);
    g_segment->GetPeakFile().Open(0);
    g_segment->tempo = 120.0f;
  }
  return *g_segment;
}

struct Editor {
  tools::QuietServices seams;
  CProApp app{seams.Services()};
  CProView view{&app};
  CWaveformEditorGUI* editor = nullptr;
  uint32_t played = 0;

  explicit Editor(uint32_t viewFrames) {
    app.project.timeDisplay = TimeDisplayStandard;
    auto made = std::make_unique<CWaveformEditorGUI>(&app);
    editor = made.get();
    editor->SetPlayedClock([this] { return played; });
    view.InstallAudioEditor(std::move(made));
    view.viewMode = ViewModeEditor;
    view.resize(kWidth + 14, kHeight + 31);
    view.show();
    CAudioSegment& segment = TenMinutes();
    segment.viewStart = (kTenMinutes - viewFrames) / 2;
    segment.viewEnd = segment.viewStart + viewFrames;
    segment.viewWidth = viewFrames;
    segment.trackerStart = segment.viewStart + viewFrames / 4;
    segment.trackerEnd = segment.viewStart + viewFrames / 2;
    segment.markerStart = segment.viewStart + viewFrames / 3;
    editor->SetSegment(&segment);
  }
};

void Report(benchmark::State& state, std::vector<double>& ms, double goal) {
  std::sort(ms.begin(), ms.end());
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["worst_ms"] = ms.back();
  state.counters["goal_ms"] = goal;
}

void BM_Redraw(benchmark::State& state) {
  Editor e(static_cast<uint32_t>(state.range(0)));
  e.editor->Redraw();
  const QImage first = e.editor->BackBuffer().Image().copy();
  std::vector<double> ms;
  for (auto _ : state) {
    const auto begin = std::chrono::steady_clock::now();
    e.editor->Redraw();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
    benchmark::ClobberMemory();
  }
  // Somewhere across the waveform's middle row the wave is drawn.
  const draw::CBitmap& picture = e.editor->BackBuffer();
  const int row = 10 + e.editor->waveHeight / 4;
  bool drawn = false;
  for (int x = 48; x < kWidth - 46 && !drawn; ++x) drawn = picture.Pixel(x, row) != picture.Pixel(50, 11);
  if (!drawn) {
    state.SkipWithError("no waveform was drawn");
    return;
  }
  if (picture.Image() != first) {
    state.SkipWithError("a redraw differs from the first one");
    return;
  }
  Report(state, ms, 8.0);
}

// Whether a picture with the play cursor is the clean picture with just the
// cursor's column inverted over the waveform, at the place played frames give.
bool ShowsTheCursorAt(const Editor& e, const draw::CBitmap& ticked, const draw::CBitmap& clean, uint32_t played) {
  const CAudioSegment& segment = *e.editor->segment;
  const double position = std::trunc(played * 44.1) + e.app.editorPlayStart;
  const int column =
      static_cast<int>(std::trunc((position - segment.viewStart) / segment.viewWidth * e.editor->waveWidth)) + 48;
  for (int y = 0; y < clean.Height(); ++y) {
    for (int x = 0; x < clean.Width(); ++x) {
      const bool inverted = x == column && y >= 10 && y < 10 + e.editor->waveHeight;
      if (ticked.Pixel(x, y) != (inverted ? clean.Pixel(x, y) ^ 0xFFFFFF : clean.Pixel(x, y))) return false;
    }
  }
  return true;
}

void BM_CursorTick(benchmark::State& state) {
  Editor e(44100 * 10);
  e.app.editorPlayStart = e.editor->segment->viewStart;
  e.app.editorPlayEnd = e.editor->segment->viewEnd;
  e.app.editorPlayLength = e.app.editorPlayEnd - e.app.editorPlayStart;
  e.editor->StartTracking(0);
  std::vector<double> ms;
  for (auto _ : state) {
    e.played = (e.played + 40) % 9000;
    const auto begin = std::chrono::steady_clock::now();
    e.editor->OnCursorTimer();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
  }
  const draw::CBitmap ticked = e.editor->BackBuffer().Copy(e.editor->BackBuffer().Bounds());
  e.editor->StopTracking();
  e.editor->Redraw();
  if (!ShowsTheCursorAt(e, ticked, e.editor->BackBuffer(), e.played)) {
    state.SkipWithError("the cursor is not the one column it should be");
    return;
  }
  Report(state, ms, 1.0);
}

BENCHMARK(BM_Redraw)->ArgName("frames")->Arg(kTenMinutes)->Arg(44100)->Arg(200)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_CursorTick)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
  g_folder = platform::TemporaryFolder() + "/tessiro-editor-bench";
  return tools::RunViewBenchmarks(argc, argv, g_folder, [] { g_segment.reset(); });
}
