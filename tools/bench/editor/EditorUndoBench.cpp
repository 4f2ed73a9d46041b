// Undo and Redo of one edit of ten minutes of stereo audio, as the Edit menu
// runs them: the history's step, the editor's follow-up and the views told.
// Neither copies audio, so each should take well under 50 ms whatever the
// length. Each case reports the median and the worst of its iterations, and
// fails when a step does not show the audio of its side.
//
//   editor_bench [--benchmark_repetitions=N]
//     TESSIRO_BENCH_FOLDER=folder   where the audio goes (default: the system's temporary folder)
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "AudioSnippetExtended.h"
#include "Folders.h"
#include "ScriptedUi.h"
#include "pro.h"
#include "requests/EditRequests.h"

namespace {

constexpr uint32_t kFrames = 44100 * 600;

struct Bench {
  std::filesystem::path folder;
  tessiro::test::ScriptedServices seams;
  std::unique_ptr<CProApp> app;
};

Bench& Setup() {
  static Bench* bench = [] {
    const char* base = std::getenv("TESSIRO_BENCH_FOLDER");
    auto* b = new Bench;
    b->folder = std::filesystem::path(base ? base : std::filesystem::temp_directory_path().string()) /
                ("editor-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(b->folder / "temp");
    ::setenv("TESSIRO_HOME", b->folder.c_str(), 1);
    b->app = std::make_unique<CProApp>(b->seams.Services());
    b->app->tempFolder = (b->folder / "temp").string();
    b->app->project.CreateTracks(CAudioSnippetList::kModeProject, CAudioTrack::kTypeExtended,
                                 CAudioTrackList::kProjectTracks);
    return b;
  }();
  return *bench;
}

std::shared_ptr<CAudioSegment> TenMinutesStereo(const std::string& folder) {
  auto segment = std::make_shared<CAudioSegment>(folder);
  segment->SetFormat(AudioQuality{44100, 2, 16});
  segment->Open(1);
  std::vector<int16_t> block(2 * 65536);
  for (uint32_t done = 0; done < kFrames;) {
    const uint32_t n = std::min<uint32_t>(65536, kFrames - done);
    for (uint32_t i = 0; i < n; ++i) block[2 * i] = block[2 * i + 1] = static_cast<int16_t>((done + i) % 30000);
    uint32_t written = 0;
    segment->Write(block.data(), n, &written);
    done += n;
  }
  segment->Close();
  segment->length = kFrames;
  segment->viewEnd = segment->viewWidth = kFrames;
  return segment;
}

void Report(benchmark::State& state, std::vector<double>& ms) {
  std::sort(ms.begin(), ms.end());
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["worst_ms"] = ms.back();
}

// Times OnUndo and OnRedo of the edit the editor's content just had; checks
// each shows the segment of its side.
void UndoThenRedo(benchmark::State& state, const std::shared_ptr<CAudioSegment>& before) {
  CProApp& app = *Setup().app;
  const std::shared_ptr<CAudioSegment> after = app.GetEditorSegment();
  if (!after || after == before) {
    state.SkipWithError("the edit did not run");
    return;
  }
  std::vector<double> undo, redo;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    const int undone = app.OnUndo();
    auto t1 = std::chrono::steady_clock::now();
    const bool undoShows = app.GetEditorSegment() == before;
    const int redone = app.OnRedo();
    auto t2 = std::chrono::steady_clock::now();
    if (undone != status::kDone || redone != status::kDone || !undoShows || app.GetEditorSegment() != after) {
      state.SkipWithError("a step did not show its side's audio");
      return;
    }
    undo.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    redo.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
    state.SetIterationTime(std::chrono::duration<double>(t2 - t0).count());
  }
  Report(state, undo);
  state.counters["undo_median_ms"] = state.counters["median_ms"];
  state.counters["undo_worst_ms"] = state.counters["worst_ms"];
  Report(state, redo);
  state.counters["redo_median_ms"] = state.counters["median_ms"];
  state.counters["redo_worst_ms"] = state.counters["worst_ms"];
  state.counters.erase("median_ms");
  state.counters.erase("worst_ms");
}

void BM_UndoRedoIndependentDelete(benchmark::State& state) {
  CProApp& app = *Setup().app;
  std::shared_ptr<CAudioSegment> before = TenMinutesStereo(app.tempFolder);
  app.SetEditorIndependentAudio(before);
  before->trackerStart = 44100 * 60;
  before->trackerEnd = 44100 * 120;
  before->trackerSize = 44100 * 60;
  app.OnDeleteHighlighted();
  UndoThenRedo(state, before);
}
BENCHMARK(BM_UndoRedoIndependentDelete)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

void BM_UndoRedoSnippetVolume(benchmark::State& state) {
  CProApp& app = *Setup().app;
  std::shared_ptr<CAudioSegment> before = TenMinutesStereo(app.tempFolder);
  auto snippet = std::make_shared<CAudioSnippetExtended>(before);
  snippet->tempo = app.project.tempo;
  snippet->SetTempo(app.project.tempo);
  app.project.AddSnippetToTrack(snippet, 0);
  app.SetEditorSnippet(snippet, 0);
  OperationDialogValues half;
  half.level1Left = half.level1Right = 0.5f;
  Setup().seams.ui.ExpectRequest<VolumeDialogRequest>(half);
  app.OnEditorTool(32874);
  UndoThenRedo(state, before);
}
BENCHMARK(BM_UndoRedoSnippetVolume)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  Bench& bench = Setup();
  bench.app.reset();
  std::error_code ignored;
  std::filesystem::remove_all(bench.folder, ignored);
  return 0;
}
