// Opening and saving large projects through the application: 24 tracks with
// 200, 2,000 or 20,000 extended snippets, each on its own audio file, an echo
// and a level envelope of 20 points on every track, and 32 loops. The audio
// lies in a folder of its own, so a save moves nothing (moving audio is a
// rename per file and is not what is measured). Goal: under 100 ms for each,
// also at 20,000 snippets.
//
// Also the preparation of the first play after an open, and the file's reader
// and writer alone, on the same project in memory.
// Reported: the mean and the worst of the repetitions (milliseconds of wall
// time, the figure a user waits for). Files go to $TESSIRO_BENCH_FOLDER, else
// the temporary folder. An open fails its case unless saving what it opened
// gives back the project it read (snippet identifiers aside, which every open
// makes anew); a save fails unless its file reads back as that project.
//
//   project_bench --write-project FOLDER SNIPPETS
// writes such a project (FOLDER/large.qvk, its audio in FOLDER/takes) and
// exits: the start-time script opens it in the program.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "FileReplace.h"
#include "Folders.h"
#include "PeakFile.h"
#include "ProjectFiles.h"
#include "QuietProgress.h"
#include "QuietViewHost.h"
#include "VirtualWaveSystem.h"
#include "pro.h"

namespace {

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

class CQuietView final : public ui::CQuietViewHost {
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

// Written as plain files: a segment would flush each to the disk, and making
// 20,000 of them would take minutes.
ProjectSegmentRecord WriteAudio(const std::string& folder, int n) {
  ProjectSegmentRecord s;
  s.tempo = 120.0f;
  s.channels = 2;
  s.pcmPath = folder + "/take" + std::to_string(n) + ".pcm";
  s.pekPath = folder + "/take" + std::to_string(n) + ".pek";
  s.state = {kFrames, 0, kFrames, kFrames, 0, 0, 0, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
  std::vector<int16_t> samples(kFrames * 2);
  for (uint32_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(std::lround(4000 * std::sin(i * 0.01 * (n % 50 + 1))));
  std::vector<uint8_t> peaks(kFrames / kFramesPerPeak * 4);
  MakePeakRecords(samples.data(), kFrames, 2, 0, kFrames / kFramesPerPeak, peaks.data());
  platform::CFile pcm, pek;
  if (!pcm.Open(s.pcmPath, platform::CFile::Mode::Create) ||
      pcm.Write(samples.data(), samples.size() * 2) != static_cast<int64_t>(samples.size() * 2) ||
      !pek.Open(s.pekPath, platform::CFile::Mode::Create) ||
      pek.Write(peaks.data(), peaks.size()) != static_cast<int64_t>(peaks.size())) {
    std::fprintf(stderr, "project bench: cannot write %s\n", s.pcmPath.c_str());
    std::abort();
  }
  return s;
}

ProjectImage LargeProject(const std::string& folder, int snippets, bool effects) {
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
    // As an open gives them to the effect: from the start, the track's length value and the project's tempo.
    p.levels = {0, 0, image.tempo};
    EncodeEffectParameters(levels.type, p, levels.parameters.data());
    if (effects) track.chain.effects = {echo, levels};
    // Boxes, waveforms and their outlines as a user sees them in the start-time script's pictures.
    track.colors = {0x00B4B4B4, 0x00FF8000, 0x00000000, 0x0000F0F0};
  }
  for (int s = 0; s < snippets; ++s) {
    ProjectSnippetRecord& snippet = image.tracks[s % qvk::kTracks].snippets.emplace_back();
    snippet.savedId = s + 1;
    snippet.start = static_cast<int32_t>((s / qvk::kTracks) * kFrames);
    snippet.length = static_cast<int32_t>(kFrames);
    snippet.end = snippet.start + snippet.length;
    snippet.segment = WriteAudio(folder, n++);
  }
  return image;
}

// The project as saving it gives it back: identifiers are new at every open.
ProjectImage WithoutIdentifiers(ProjectImage image) {
  for (ProjectTrackRecord& track : image.tracks) {
    for (ProjectSnippetRecord& snippet : track.snippets) snippet.savedId = 0;
  }
  image.editor.savedSnippetId = 0;
  return image;
}

// Where two projects differ first, "" when they do not (identifiers aside).
std::string Difference(const ProjectImage& got, const ProjectImage& wanted) {
  const ProjectImage a = WithoutIdentifiers(got), b = WithoutIdentifiers(wanted);
  if (a == b) return "";
  if (!(a.masterChain == b.masterChain)) return "the master chain";
  if (!(a.loops == b.loops)) return "the loops";
  if (!(a.editor == b.editor)) return "the editor's source";
  for (int t = 0; t < qvk::kTracks; ++t) {
    const ProjectTrackRecord& x = a.tracks[t];
    const ProjectTrackRecord& y = b.tracks[t];
    const std::string track = "track " + std::to_string(t + 1) + ": ";
    if (x.chain.effects.size() != y.chain.effects.size()) return track + "its effect count";
    for (size_t i = 0; i < x.chain.effects.size(); ++i) {
      if (!(x.chain.effects[i] == y.chain.effects[i])) return track + "effect " + std::to_string(i + 1);
    }
    if (x.snippets.size() != y.snippets.size()) return track + "its snippet count";
    for (size_t i = 0; i < x.snippets.size(); ++i) {
      if (!(x.snippets[i] == y.snippets[i])) return track + "snippet " + std::to_string(i + 1);
    }
    if (!(x == y)) return track + "its settings";
  }
  return "the header";
}

bool ReadProject(const std::string& path, ProjectImage* image) {
  platform::CFile file;
  if (!file.Open(path, platform::CFile::Mode::Read)) return false;
  std::vector<uint8_t> bytes(static_cast<size_t>(std::max<int64_t>(file.Size(), 0)));
  std::string problem;
  return file.ReadAt(bytes.data(), bytes.size(), 0) == static_cast<int64_t>(bytes.size()) &&
         ParseProject(bytes.data(), bytes.size(), image, &problem);
}

struct Bench {
  const int snippets;
  CQuietUi ui;
  ui::CQuietProgress progress;
  CQuietView view;
  CQuietThread thread;
  CQuietProfile profile;
  std::string home, folder, path, plainPath;
  ProjectImage image;
  std::vector<uint8_t> bytes;
  std::unique_ptr<CProApp> app;

  explicit Bench(int count) : snippets(count) {
    const char* chosen = std::getenv("TESSIRO_BENCH_FOLDER");
    const std::string base = std::string(chosen && *chosen ? chosen : platform::TemporaryFolder().c_str()) +
                             "/tessiro-project-bench-" + std::to_string(::getpid()) + "-" + std::to_string(count);
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
    image = LargeProject(folder, snippets, true);
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

// One project of each size, made when first asked for and kept for the run.
Bench& Shared(int snippets) {
  static std::map<int, std::unique_ptr<Bench>> benches;
  std::unique_ptr<Bench>& bench = benches[snippets];
  if (!bench) bench = std::make_unique<Bench>(snippets);
  return *bench;
}

// How saving what is open differs from the project the open read, "" when it does not.
std::string SavedDifference(Bench& b, const ProjectImage& expected) {
  const std::string saved = b.path + ".check.qvk";
  ProjectImage back;
  if (b.app->SaveProject(saved) != 1 || !ReadProject(saved, &back)) return "the project could not be saved";
  return Difference(back, expected);
}

// Arguments: snippets, and 1 with an echo and an envelope on every track, 0 without effects.
void BM_OpenProject(benchmark::State& state) {
  Bench& b = Shared(static_cast<int>(state.range(0)));
  const bool effects = state.range(1) != 0;
  const std::string& path = effects ? b.path : b.plainPath;
  for (auto _ : state) {
    if (b.app->OpenProject(path) != 1) state.SkipWithError("open failed");
  }
  ProjectImage expected;
  const std::string difference = ReadProject(path, &expected) ? SavedDifference(b, expected) : "no file";
  if (!difference.empty()) state.SkipWithError(("the opened project is not the file's: " + difference).c_str());
}

// What the first play after an open adds: the tempo/pitch processors and the
// chains' buffers backed with memory (an open leaves them address space).
void BM_PrepareFirstPlay(benchmark::State& state) {
  Bench& b = Shared(2000);
  for (auto _ : state) {
    state.PauseTiming();
    if (b.app->OpenProject(b.path) != 1) state.SkipWithError("open failed");
    state.ResumeTiming();
    if (b.app->project.PreparePlayback() != 1) state.SkipWithError("the project could not be made ready to play");
  }
}

// Argument: snippets.
void BM_SaveProject(benchmark::State& state) {
  Bench& b = Shared(static_cast<int>(state.range(0)));
  if (b.app->OpenProject(b.path) != 1) state.SkipWithError("open failed");
  const std::string saved = b.path + ".saved.qvk";
  for (auto _ : state) {
    if (b.app->SaveProject(saved) != 1) state.SkipWithError("save failed");
  }
  ProjectImage back;
  const std::string difference = ReadProject(saved, &back) ? Difference(back, b.image) : "no file";
  if (!difference.empty()) state.SkipWithError(("the saved project is not the opened one: " + difference).c_str());
}

void BM_ParseProject(benchmark::State& state) {
  Bench& b = Shared(2000);
  ProjectImage image;
  for (auto _ : state) {
    image = ProjectImage{};
    std::string problem;
    if (!ParseProject(b.bytes.data(), b.bytes.size(), &image, &problem)) state.SkipWithError(problem.c_str());
    benchmark::DoNotOptimize(image);
  }
  if (!(image == b.image)) state.SkipWithError("the parsed project is not the one written");
}

// The writer's bytes, read back by the parser, must give the image again, and
// the same bytes every time.
void BM_SerializeProject(benchmark::State& state) {
  Bench& b = Shared(2000);
  std::vector<uint8_t> out;
  for (auto _ : state) {
    out.clear();
    std::string problem;
    SerializeProject(b.image, &out, &problem);
    benchmark::DoNotOptimize(out.data());
  }
  ProjectImage back;
  std::string problem;
  if (out != b.bytes || !ParseProject(out.data(), out.size(), &back, &problem) || !(back == b.image)) {
    state.SkipWithError("the written project does not read back as the image");
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

PROJECT_BENCH(BM_OpenProject, 3)->Args({200, 1})->Args({2000, 0})->Args({2000, 1})->Args({20000, 1});
PROJECT_BENCH(BM_PrepareFirstPlay, 3);
PROJECT_BENCH(BM_SaveProject, 5)->Arg(200)->Arg(2000)->Arg(20000);
PROJECT_BENCH(BM_ParseProject, 20);
PROJECT_BENCH(BM_SerializeProject, 20);

// The large project with its audio in a folder, for the start-time script.
int WriteProjectFor(const std::string& folder, int snippets) {
  const std::string takes = folder + "/takes";
  if (!platform::CreateFolder(takes)) return 1;
  std::vector<uint8_t> bytes;
  std::string problem;
  if (!SerializeProject(LargeProject(takes, snippets, true), &bytes, &problem) ||
      !WriteFileReplacing(folder + "/large.qvk", bytes)) {
    std::fprintf(stderr, "project bench: cannot write the project: %s\n", problem.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--write-project") == 0) return WriteProjectFor(argv[2], std::atoi(argv[3]));
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
