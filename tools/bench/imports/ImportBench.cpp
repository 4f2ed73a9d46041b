// Speed of the application core's imports and mixdowns, headless (scripted
// seams, the virtual sound card), as the commands run them:
//
//   import_bench                  Google Benchmark cases: a 10-minute 48 kHz
//                                 stereo WAV imported into the Audio Editor
//                                 (converted to 44100 Hz), and a mixdown of 24
//                                 tracks with echo, reverb and equalizer on
//                                 every track and on the master, to a WAV file,
//                                 reported against real time.
//   import_bench --import FILE    one import of FILE into the Audio Editor;
//                                 prints the seconds it took and the frames it
//                                 made (compare_sox_import.sh times it against sox).
//
// Files go to $TESSIRO_BENCH_FOLDER, else the temporary folder.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "../effects/BenchChains.h"
#include "AudioFixtures.h"
#include "AudioSnippetExtended.h"
#include "Folders.h"
#include "ScriptedUi.h"
#include "VirtualWaveSystem.h"
#include "pro.h"
#include "requests/ImportExportRequests.h"
#include "requests/StartupRequests.h"

namespace {

using tessiro::test::ScriptedServices;

constexpr int kTracks = 24;
constexpr uint32_t kImportRate = 48000;
constexpr uint32_t kImportSeconds = 600;
constexpr uint32_t kMixdownSeconds = 60;

std::string BenchFolder(const char* what) {
  const char* chosen = std::getenv("TESSIRO_BENCH_FOLDER");
  std::string folder = std::string(chosen && *chosen ? chosen : platform::TemporaryFolder().c_str()) +
                       "/tessiro-" + what + "-" + std::to_string(::getpid());
  platform::CreateFolder(folder);
  return folder;
}

// A started application on scripted seams, with its own program and audio folders.
class CHeadlessApp {
 public:
  CHeadlessApp() : home_(BenchFolder("home")), audio_(BenchFolder("audio")) {
    ::setenv("TESSIRO_HOME", home_.c_str(), 1);
    wave_ = std::make_shared<platform::CVirtualWaveSystem>();
    wave_->AddOutput("Virtual Output");
    platform::SetWaveSystem(wave_);
    seams.ui.ExpectRequest<InitDialog1Request>();
    seams.ui.ExpectRequest<InitDialog2Request>(InitDialog2Request::Result{audio_, 0});
    app = std::make_unique<CProApp>(seams.Services());
    if (!app->InitInstance({})) std::fprintf(stderr, "the application did not start\n");
  }
  ~CHeadlessApp() {
    app.reset();
    platform::SetWaveSystem(nullptr);
    std::filesystem::remove_all(home_);
    std::filesystem::remove_all(audio_);
  }
  const std::string& Audio() const { return audio_; }

  ScriptedServices seams;
  std::unique_ptr<CProApp> app;

 private:
  std::string home_, audio_;
  std::shared_ptr<platform::CVirtualWaveSystem> wave_;
};

// Noise with a tone in it, loud enough that nothing is silent.
int16_t Sample(uint64_t frame, int channel, uint32_t seed) {
  const uint32_t mixed = static_cast<uint32_t>(frame + seed * 104729u) * 2654435761u + channel * 40503u;
  return static_cast<int16_t>((static_cast<int16_t>(mixed >> 16) >> 3) +
                              4000 * std::sin(static_cast<double>(frame) * 0.0628));
}

// A 16-bit stereo WAV file of the given length, written in pieces.
std::string MakeWave(const std::string& folder, uint32_t rate, uint32_t seconds) {
  const std::string path = folder + "/source.wav";
  const uint64_t frames = static_cast<uint64_t>(rate) * seconds;
  std::vector<uint8_t> header = tessiro::test::MakePcmWave(AudioQuality{rate, 2, 16}, {});
  tessiro::test::CByteWriter sizes;
  sizes.U32(static_cast<uint32_t>(36 + frames * 4)).U32(static_cast<uint32_t>(frames * 4));
  std::memcpy(&header[4], sizes.Bytes().data(), 4);
  std::memcpy(&header[40], sizes.Bytes().data() + 4, 4);
  FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(header.data(), 1, header.size(), file);
  std::vector<int16_t> block(65536 * 2);
  for (uint64_t done = 0; done < frames; done += 65536) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(65536, frames - done));
    for (size_t f = 0; f < n; ++f) {
      for (int c = 0; c < 2; ++c) block[f * 2 + c] = Sample(done + f, c, 0);
    }
    std::fwrite(block.data(), 4, n, file);
  }
  std::fclose(file);
  return path;
}

// Imports path into the editor: the seconds it took, and the frames it made.
double ImportOnce(CHeadlessApp& headless, const std::string& path, uint32_t* frames) {
  headless.seams.ui.ExpectFile(path);
  const auto start = std::chrono::steady_clock::now();
  const int result = headless.app->ImportAudioToEditor();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const std::shared_ptr<CAudioSegment> segment = headless.app->GetEditorSegment();
  *frames = result == status::kDone && segment ? segment->length : 0;
  return seconds;
}

void RemoveEditorAudio(CHeadlessApp& headless) {
  if (std::shared_ptr<CAudioSegment> segment = headless.app->GetEditorSegment()) {
    headless.app->ClearEditor();
    headless.app->undoList.Clear();
    platform::RemoveFile(segment->GetPcmFileName());
    platform::RemoveFile(segment->GetPeakFileName());
  }
}

void BM_Import10Minutes48kStereo(benchmark::State& state) {
  CHeadlessApp headless;
  const std::string path = MakeWave(headless.Audio(), kImportRate, kImportSeconds);
  const uint32_t expected = 44100 * kImportSeconds;
  for (auto _ : state) {
    uint32_t frames = 0;
    state.SetIterationTime(ImportOnce(headless, path, &frames));
    if (frames + 2 < expected || frames > expected + 2) state.SkipWithError("the import's length is wrong");
    state.PauseTiming();
    RemoveEditorAudio(headless);
    state.ResumeTiming();
  }
  state.counters["x_realtime"] = benchmark::Counter(kImportSeconds * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Import10Minutes48kStereo)->UseManualTime()->Iterations(3)->Unit(benchmark::kSecond);

// 24 tracks of a minute each, every chain [echo, reverb, equalizer], mixed down to a WAV file.
void BM_Mixdown24TracksWithEffects(benchmark::State& state) {
  CHeadlessApp headless;
  CProApp& app = *headless.app;
  const uint32_t frames = 44100 * kMixdownSeconds;
  std::vector<int16_t> block(65536 * 2);
  for (int t = 0; t < kTracks; ++t) {
    auto segment = std::make_shared<CAudioSegment>(app.tempFolder);
    segment->SetFormat(AudioQuality{44100, 2, 16});
    segment->Open(1);
    for (uint32_t done = 0; done < frames; done += 65536) {
      const uint32_t n = std::min<uint32_t>(65536, frames - done);
      for (uint32_t f = 0; f < n; ++f) {
        for (int c = 0; c < 2; ++c) block[f * 2 + c] = static_cast<int16_t>(Sample(done + f, c, t) / 8);
      }
      uint32_t written = 0;
      segment->Write(block.data(), n, &written);
    }
    segment->Close();
    segment->length = frames;
    segment->tempo = app.project.tempo;
    auto snippet = std::make_shared<CAudioSnippetExtended>(segment);
    snippet->tempo = app.project.tempo;
    snippet->SetTempo(app.project.tempo);
    app.project.AddSnippetToTrack(snippet, t);
  }
  const int effects = bench::kEcho | bench::kReverb | bench::kEqualizer;
  const auto blockFrames = static_cast<uint32_t>(app.bufferFrames);
  for (auto& chain : app.effectChains) chain = bench::BuildChain(effects, 2, blockFrames);
  const std::string out = headless.Audio() + "/mixdown.wav";
  for (auto _ : state) {
    headless.seams.ui.ExpectFile(out);
    headless.seams.ui.ExpectRequest<WaveQualityRequest>(WaveQualityRequest::Result{});
    const auto start = std::chrono::steady_clock::now();
    if (app.MixdownToWaveFile() != status::kDone) state.SkipWithError("the mixdown failed");
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (std::filesystem::file_size(out) < 44 + static_cast<uintmax_t>(frames) * 4) {
      state.SkipWithError("the mixdown is shorter than the project");
    }
  }
  state.counters["x_realtime"] = benchmark::Counter(kMixdownSeconds * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Mixdown24TracksWithEffects)->UseManualTime()->Iterations(3)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--import") == 0) {
    CHeadlessApp headless;
    uint32_t frames = 0;
    const double seconds = ImportOnce(headless, argv[2], &frames);
    std::printf("%.4f %u\n", seconds, frames);
    return frames > 0 ? 0 : 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
