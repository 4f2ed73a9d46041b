// Opening and saving a large project through the application: 24 tracks with
// 2,000 extended snippets, each on its own audio file, an echo and a level
// envelope of 20 points on every track, and 32 loops. The audio lies in a
// folder of its own, so a save moves nothing (moving audio is a rename per
// file and is not what is measured). Goal: under 100 ms for each.
//
// Also the preparation of the first play after an open, and the file's reader
// and writer alone, on the same project in memory.
// Reported: the mean and the worst of the repetitions (milliseconds of wall
// time, the figure a user waits for). Files go to $TESSIRO_BENCH_FOLDER, else
// the temporary folder.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "FileReplace.h"
#include "Folders.h"
#include "NullViewHost.h"
#include "ProjectFiles.h"
#include "VirtualWaveSystem.h"
#include "pro.h"

namespace {

constexpr int kSnippets = 2000;
constexpr uint32_t kFrames = 4410;

// ---- Seams that show nothing ------------------------------------------------

class CQuietUi final : public ui::IUserInterface {
 public:
  int MessageBox(const std::string& text, ui::Icon, ui::Buttons) override {
    std::fprintf(stderr, "project bench: unexpected box: %s\n", text.c_str());
    std::abort();
  }
  std::optional<std::string> ChooseFile(const ui::FileChooser&) override { return std::nullopt; }
  std::optional<std::string> ChooseFolder(const ui::FolderChooser&) override { return std::nullopt; }

 protected:
  std::any Ask(std::type_index, const void*, const char*) override { return {}; }
};

class CQuietProgress final : public ui::IProgressDisplay {
 public:
  bool Create(const std::string&) override { return exists_ = true; }
  void Destroy() override { exists_ = false; }
  bool Exists() const override { return exists_; }
  void SetMessageText(const std::string&) override {}
  void SetPercentText(const std::string&) override {}
  void SetRemainingText(const std::string&) override {}
  void SetBarPosition(int) override {}
  void DisableCancel() override {}
  bool PumpOne() override { return false; }

 private:
  bool exists_ = false;
};

class CQuietView final : public tools::CNullViewHost {
 public:
  bool HasView() const override { return true; }
};

class CQuietThread final : public ui::IUiThread {
 public:
  void SetReceiver(ui::IMessageReceiver*) override {}
  bool Post(uint32_t, int64_t, int64_t) override { return true; }
  void Close() override {}
  void SetTimer(uint32_t, uint32_t) override {}
  void KillTimer(uint32_t) override {}
  bool IsTimerRunning(uint32_t) const override { return false; }
  uint32_t TickCount() const override { return 0; }
};

class CQuietProfile final : public ui::IProfile {
 public:
  std::string GetString(const std::string&, const std::string&) override { return ""; }
  void WriteString(const std::string&, const std::string&, const std::string&) override {}
};

// ---- The project ---------------------------------------------------------------

ProjectSegmentRecord WriteAudio(const std::string& folder, int n) {
  ProjectSegmentRecord s;
  s.tempo = 120.0f;
  s.channels = 2;
  s.pcmPath = folder + "/take" + std::to_string(n) + ".pcm";
  s.pekPath = folder + "/take" + std::to_string(n) + ".pek";
  s.state = {kFrames, 0, kFrames, kFrames, 0, 0, 0, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
  CAudioSegment segment(folder);
  segment.SetPcmFileName(s.pcmPath);
  segment.SetPeakFileName(s.pekPath);
  segment.SetFormat(AudioQuality{44100, 2, 16});
  std::vector<int16_t> samples(kFrames * 2);
  for (uint32_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(std::lround(4000 * std::sin(i * 0.01 * (n % 50 + 1))));
  uint32_t written = 0;
  segment.Open(1);
  segment.Write(samples.data(), kFrames, &written);
  segment.Close();
  return s;
}

ProjectImage LargeProject(const std::string& folder, bool effects) {
  ProjectImage image;
  image.tags.title = "Large";
  int n = 0;
  for (int l = 0; l < 32; ++l) {
    ProjectLoopRecord& loop = image.loops.emplace_back();
    loop.number = static_cast<int16_t>(l);
    loop.title = "Loop " + std::to_string(l);
    loop.segment = WriteAudio(folder, n++);
  }
  for (int t = 0; t < qvk::kTracks; ++t) {
    ProjectTrackRecord& track = image.tracks[t];
    ProjectEffectSlot echo;
    echo.type = static_cast<int32_t>(ZelmoEcho);
    EffectParameters p;
    p.echo = {1, 1, 0.3f, 0.3f, 0.5f, 0.5f, 250, 250};
    EncodeEffectParameters(echo.type, p, echo.parameters.data());
    ProjectEffectSlot levels;
    levels.type = static_cast<int32_t>(ZelmoLevels);
    for (uint32_t k = 0; k < 20; ++k) levels.points1.push_back({k, 120.0f, 0.05f * k, k * 44100, k * 44100});
    if (effects) track.chain.effects = {echo, levels};
  }
  for (int s = 0; s < kSnippets; ++s) {
    ProjectSnippetRecord& snippet = image.tracks[s % qvk::kTracks].snippets.emplace_back();
    snippet.savedId = s + 1;
    snippet.start = static_cast<int32_t>((s / qvk::kTracks) * kFrames);
    snippet.length = static_cast<int32_t>(kFrames);
    snippet.end = snippet.start + snippet.length;
    snippet.segment = WriteAudio(folder, n++);
  }
  return image;
}

struct Bench {
  CQuietUi ui;
  CQuietProgress progress;
  CQuietView view;
  CQuietThread thread;
  CQuietProfile profile;
  std::string home, folder, path, plainPath;
  ProjectImage image;
  std::vector<uint8_t> bytes;
  std::unique_ptr<CProApp> app;

  Bench() {
    const char* chosen = std::getenv("TESSIRO_BENCH_FOLDER");
    const std::string base = std::string(chosen && *chosen ? chosen : platform::TemporaryFolder().c_str()) +
                             "/tessiro-project-bench-" + std::to_string(::getpid());
    home = base + "/home";
    folder = base + "/takes";
    platform::CreateFolder(home);
    platform::CreateFolder(folder);
    setenv("TESSIRO_HOME", home.c_str(), 1);
    platform::SetWaveSystem(std::make_shared<platform::CVirtualWaveSystem>());
    ProConfig config;
    config.ApplyFirstStartDefaults(base, 0);
    std::vector<uint8_t> record(ProConfig::kBytes);
    config.Serialize(record.data());
    WriteFileReplacing(home + "/qvk.cfg", record);
    image = LargeProject(folder, true);
    std::string problem;
    SerializeProject(image, &bytes, &problem);
    path = base + "/large.qvk";
    WriteFileReplacing(path, bytes);
    // The same snippets without effects: what opening costs apart from the effect library.
    ProjectImage plain = image;
    for (ProjectTrackRecord& track : plain.tracks) track.chain.effects.clear();
    std::vector<uint8_t> plainBytes;
    SerializeProject(plain, &plainBytes, &problem);
    plainPath = base + "/plain.qvk";
    WriteFileReplacing(plainPath, plainBytes);
    app = std::make_unique<CProApp>(ui::UiServices{ui, progress, view, thread, profile});
    if (!app->InitInstance({})) std::abort();
  }
  ~Bench() {
    const std::string base = platform::FolderOfPath(path);
    app.reset();
    platform::SetWaveSystem(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(base, ignored);
  }
};

Bench& Shared() {
  static Bench bench;
  return bench;
}

void BM_OpenProject(benchmark::State& state) {
  Bench& b = Shared();
  const std::string& path = state.range(0) ? b.path : b.plainPath;
  for (auto _ : state) {
    if (b.app->OpenProject(path) != 1) state.SkipWithError("open failed");
  }
  size_t snippets = 0;
  for (int t = 0; t < 24; ++t) {
    CAudioTrack* track = nullptr;
    b.app->project.FindTrack(t, &track);
    snippets += track->Snippets().GetCount();
  }
  if (snippets != kSnippets) state.SkipWithError("the project did not load whole");
}

// What the first play after an open adds: the tempo/pitch processors and the
// chains' buffers backed with memory (an open leaves them address space).
void BM_PrepareFirstPlay(benchmark::State& state) {
  Bench& b = Shared();
  for (auto _ : state) {
    state.PauseTiming();
    if (b.app->OpenProject(b.path) != 1) state.SkipWithError("open failed");
    state.ResumeTiming();
    if (b.app->project.PreparePlayback() != 1) state.SkipWithError("the project could not be made ready to play");
  }
}

void BM_SaveProject(benchmark::State& state) {
  Bench& b = Shared();
  if (b.app->OpenProject(b.path) != 1) state.SkipWithError("open failed");
  const std::string saved = b.path + ".saved.qvk";
  for (auto _ : state) {
    if (b.app->SaveProject(saved) != 1) state.SkipWithError("save failed");
  }
  std::vector<uint8_t> written;
  ProjectImage back;
  std::string problem;
  FILE* file = std::fopen(saved.c_str(), "rb");
  written.resize(b.bytes.size());
  const size_t got = file ? std::fread(written.data(), 1, written.size(), file) : 0;
  if (file) std::fclose(file);
  if (got != b.bytes.size() || !ParseProject(written.data(), written.size(), &back, &problem) ||
      back.tracks[5].snippets.size() != b.image.tracks[5].snippets.size()) {
    state.SkipWithError("the saved project is not the opened one");
  }
}

void BM_ParseProject(benchmark::State& state) {
  Bench& b = Shared();
  for (auto _ : state) {
    ProjectImage image;
    std::string problem;
    if (!ParseProject(b.bytes.data(), b.bytes.size(), &image, &problem)) state.SkipWithError(problem.c_str());
    benchmark::DoNotOptimize(image);
  }
}

void BM_SerializeProject(benchmark::State& state) {
  Bench& b = Shared();
  for (auto _ : state) {
    std::vector<uint8_t> out;
    std::string problem;
    SerializeProject(b.image, &out, &problem);
    benchmark::DoNotOptimize(out.data());
  }
}

double Worst(const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); }

#define PROJECT_BENCH(name, iterations)                                                                    \
  BENCHMARK(name)                                                                                          \
      ->Unit(benchmark::kMillisecond)                                                                      \
      ->UseRealTime()                                                                                      \
      ->Iterations(iterations)                                                                             \
      ->Repetitions(5)                                                                                     \
      ->ComputeStatistics("max", Worst)                                                                    \
      ->ReportAggregatesOnly(true)

// Argument: 1 with an echo and an envelope on every track, 0 without effects.
PROJECT_BENCH(BM_OpenProject, 3)->Arg(0)->Arg(1);
PROJECT_BENCH(BM_PrepareFirstPlay, 3);
PROJECT_BENCH(BM_SaveProject, 5);
PROJECT_BENCH(BM_ParseProject, 20);
PROJECT_BENCH(BM_SerializeProject, 20);

}  // namespace

BENCHMARK_MAIN();
