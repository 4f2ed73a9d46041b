// Speed of the application core's imports and mixdowns, headless (scripted
// seams, the virtual sound card, a program folder that is not a first start),
// as the commands run them:
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
//   import_bench --check FILE     the same import of FILE (16-bit PCM WAV),
//                                 checked against the reference; prints the
//                                 frames and the largest difference beyond
//                                 rounding, and fails unless that is 0.
//
// Every output is checked outside the timing: an import sample by sample
// against a linear interpolation of the source computed here in double
// precision, a mixdown byte for byte against the same mixdown made once on one
// thread with every effect inline. Files go to $TESSIRO_BENCH_FOLDER, else the
// temporary folder.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
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

namespace {

using tessiro::test::ScriptedServices;

constexpr int kTracks = 24;
constexpr uint32_t kImportRate = 48000;
constexpr uint32_t kImportSeconds = 600;
constexpr uint32_t kMixdownSeconds = 60;
constexpr int kUsage = 2;
constexpr int kFailed = 1;

std::string BenchFolder(const char* what) {
  const char* chosen = std::getenv("TESSIRO_BENCH_FOLDER");
  std::string folder = std::string(chosen && *chosen ? chosen : platform::TemporaryFolder().c_str()) +
                       "/tessiro-" + what + "-" + std::to_string(::getpid());
  platform::CreateFolder(folder);
  return folder;
}

// A started application on scripted seams, with its own program and audio
// folders and a configuration already there: no first start, so no intro plays.
class CHeadlessApp {
 public:
  CHeadlessApp() : home_(BenchFolder("home")), audio_(BenchFolder("audio")) {
    ::setenv("TESSIRO_HOME", home_.c_str(), 1);
    ProConfig config;
    config.ApplyFirstStartDefaults(audio_, 0);
    uint8_t image[ProConfig::kBytes];
    config.Serialize(image);
    platform::CreateFolder(platform::ProgramFolder());
    std::ofstream(platform::ProgramFolder() + "/qvk.cfg", std::ios::binary)
        .write(reinterpret_cast<const char*>(image), sizeof image);
    wave_ = std::make_shared<platform::CVirtualWaveSystem>();
    wave_->AddOutput("Virtual Output");
    platform::SetWaveSystem(wave_);
    app = std::make_unique<CProApp>(seams.Services());
    started = app->InitInstance({});
  }
  ~CHeadlessApp() {
    app.reset();
    platform::SetWaveSystem(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(home_, ignored);
    std::filesystem::remove_all(audio_, ignored);
  }
  const std::string& Audio() const { return audio_; }

  ScriptedServices seams;
  std::unique_ptr<CProApp> app;
  bool started = false;

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

std::vector<char> Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The samples of a 16-bit PCM WAV file and its rate and channels; false for any other file.
bool ReadPcmWave(const std::string& path, std::vector<int16_t>* samples, uint32_t* rate, uint16_t* channels) {
  const std::vector<char> bytes = Slurp(path);
  if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
    return false;
  }
  auto u16 = [&](size_t at) { return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8); };
  auto u32 = [&](size_t at) { return static_cast<uint32_t>(u16(at) | static_cast<uint32_t>(u16(at + 2)) << 16); };
  bool format = false;
  for (size_t at = 12; at + 8 <= bytes.size();) {
    const uint32_t size = u32(at + 4);
    const size_t body = at + 8;
    if (std::memcmp(&bytes[at], "fmt ", 4) == 0 && size >= 16 && body + 16 <= bytes.size()) {
      *channels = u16(body + 2);
      *rate = u32(body + 4);
      format = u16(body) == 1 && u16(body + 14) == 16 && (*channels == 1 || *channels == 2);
    } else if (std::memcmp(&bytes[at], "data", 4) == 0 && format) {
      const size_t available = std::min<size_t>(size, bytes.size() - body) / 2;
      samples->resize(available);
      std::memcpy(samples->data(), &bytes[body], available * 2);
      return true;
    }
    at = body + size + (size & 1);
  }
  return false;
}

// The import against a linear interpolation of the source at the exact rate
// ratio, truncated toward zero as the converter stores it. The converter keeps
// its position in single precision, which strays from the exact one: steadily
// by what that precision adds up to (at most kDriftPerFrame a frame), and to
// and fro by up to kJitter of a frame. Each window of the import is lined up
// by the offset that fits it best, which must stay within the steady budget;
// each sample must then be the source interpolated at a position within the
// jitter of its own, within rounding. Returns the largest difference beyond
// that (0: the import is the reference), -1 when the lengths differ by more
// than a frame, -2 when the position strays beyond the budget.
int DifferenceFromReference(const std::vector<int16_t>& source, uint32_t sourceRate, const std::vector<int16_t>& imported,
                            uint32_t importRate, uint16_t channels) {
  constexpr size_t kWindow = 4096;
  constexpr double kDriftPerFrame = 1.2e-7;
  constexpr double kJitter = 2e-3;
  constexpr double kRounding = 2.0;
  const size_t sourceFrames = source.size() / channels, importFrames = imported.size() / channels;
  const double expected = static_cast<double>(sourceFrames) * importRate / sourceRate;
  if (sourceFrames < 2 || std::abs(static_cast<double>(importFrames) - expected) > 1.0 + 1e-9) return -1;
  const double step = static_cast<double>(sourceRate) / importRate;
  // The reference at a source position, and its slope there.
  auto at = [&](double position, uint16_t c, double* slope) {
    const size_t held = std::min(static_cast<size_t>(std::max(position, 0.0)), sourceFrames - 2);
    const double a = source[held * channels + c], b = source[(held + 1) * channels + c];
    *slope = b - a;
    return a + (b - a) * (position - static_cast<double>(held));
  };
  int worst = 0;
  double offset = 0;  // follows the drift from window to window
  for (size_t first = 0; first < importFrames; first += kWindow) {
    const size_t last = std::min(importFrames, first + kWindow);
    for (int refine = 0; refine < 3; ++refine) {
      double moved = 0, weight = 0, slope = 0;
      for (size_t k = first; k < last; ++k) {
        for (uint16_t c = 0; c < channels; ++c) {
          const double off = imported[k * channels + c] - at(static_cast<double>(k) * step + offset, c, &slope);
          moved += off * slope;
          weight += slope * slope;
        }
      }
      if (weight > 0) offset += moved / weight;
    }
    double slope = 0;
    if (std::abs(offset) > kDriftPerFrame * static_cast<double>(last) + kJitter) return -2;
    for (size_t k = first; k < last; ++k) {
      const double position = static_cast<double>(k) * step + offset;
      // The interpolation is piecewise linear: over the positions around this
      // one its extremes lie at the two ends and at a source frame between.
      const double low = position - kJitter, high = position + kJitter, knot = std::floor(high);
      for (uint16_t c = 0; c < channels; ++c) {
        double least = at(low, c, &slope), most = least;
        for (const double p : {high, knot}) {
          if (p < low) continue;
          const double v = at(p, c, &slope);
          least = std::min(least, v);
          most = std::max(most, v);
        }
        const double v = imported[k * channels + c];
        const double off = std::max(std::trunc(least) - v, v - std::trunc(most)) - kRounding;
        if (off > worst) worst = static_cast<int>(std::ceil(off));
      }
    }
  }
  return worst;
}

// The audio the editor holds, as it lies in its raw file.
std::vector<int16_t> EditorSamples(CHeadlessApp& headless) {
  const std::shared_ptr<CAudioSegment> segment = headless.app->GetEditorSegment();
  if (!segment) return {};
  const std::vector<char> bytes = Slurp(segment->GetPcmFileName());
  std::vector<int16_t> samples(std::min<size_t>(bytes.size() / 2, size_t{segment->length} * segment->GetChannels()));
  std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
  return samples;
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
  if (!headless.started) {
    state.SkipWithError("the application did not start");
    return;
  }
  const std::string path = MakeWave(headless.Audio(), kImportRate, kImportSeconds);
  std::vector<int16_t> source;
  uint32_t rate = 0;
  uint16_t channels = 0;
  ReadPcmWave(path, &source, &rate, &channels);
  for (auto _ : state) {
    uint32_t frames = 0;
    state.SetIterationTime(ImportOnce(headless, path, &frames));
    state.PauseTiming();
    if (frames == 0) {
      state.SkipWithError("the import was refused or failed");
      break;
    }
    const int off = DifferenceFromReference(source, kImportRate, EditorSamples(headless), 44100, 2);
    if (off != 0) {
      state.SkipWithError(off == -1   ? "the import's length is wrong"
                          : off == -2 ? "the import drifts from the source's time"
                                      : "the import is not the source converted");
      break;
    }
    RemoveEditorAudio(headless);
    state.ResumeTiming();
  }
  state.counters["x_realtime"] = benchmark::Counter(kImportSeconds * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Import10Minutes48kStereo)->UseManualTime()->Iterations(3)->Unit(benchmark::kSecond);

// 24 tracks of a minute each, every chain [echo, reverb, equalizer].
void FillMixdownProject(CProApp& app) {
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
}

void BuildChains(CProApp& app) {
  const int effects = bench::kEcho | bench::kReverb | bench::kEqualizer;
  for (auto& chain : app.effectChains) chain = bench::BuildChain(effects, 2, static_cast<uint32_t>(app.bufferFrames));
}

bool Mixdown(CHeadlessApp& headless, const std::string& out) {
  headless.seams.ui.ExpectFile(out);
  headless.seams.ui.ExpectRequest<WaveQualityRequest>(WaveQualityRequest::Result{});
  return headless.app->MixdownToWaveFile() == status::kDone;
}

// The same mixdown the slow way: the tracks one after another on this thread,
// every effect's channels inline.
std::vector<char> ReferenceMixdown(CHeadlessApp& headless) {
  CProApp& app = *headless.app;
  const unsigned helpers = app.project.GetMixThreads();
  const bool inlineWorkers = ZelmoInlineWorkers();
  ZelmoSetInlineWorkers(true);
  BuildChains(app);
  app.project.SetMixThreads(0);
  const std::string path = headless.Audio() + "/reference.wav";
  const bool made = Mixdown(headless, path);
  app.project.SetMixThreads(helpers);
  ZelmoSetInlineWorkers(inlineWorkers);
  BuildChains(app);
  std::vector<char> bytes = made ? Slurp(path) : std::vector<char>{};
  platform::RemoveFile(path);
  return bytes;
}

void BM_Mixdown24TracksWithEffects(benchmark::State& state) {
  CHeadlessApp headless;
  if (!headless.started) {
    state.SkipWithError("the application did not start");
    return;
  }
  FillMixdownProject(*headless.app);
  const std::vector<char> reference = ReferenceMixdown(headless);
  const size_t leastBytes = 44 + size_t{44100} * kMixdownSeconds * 4;
  // Silence would pass for a mix: the reference must hold sound where the tracks do.
  const bool heard = reference.size() >= leastBytes &&
                     std::any_of(reference.begin() + 44, reference.begin() + 44 + 4 * 44100, [](char b) { return b != 0; });
  if (!heard) {
    state.SkipWithError("the reference mixdown failed or is silent");
    return;
  }
  const std::string out = headless.Audio() + "/mixdown.wav";
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const bool made = Mixdown(headless, out);
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (!made) {
      state.SkipWithError("the mixdown failed");
      break;
    }
    if (Slurp(out) != reference) {
      state.SkipWithError("the mixdown differs from the one-thread, all-inline reference");
      break;
    }
  }
  state.counters["x_realtime"] = benchmark::Counter(kMixdownSeconds * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Mixdown24TracksWithEffects)->UseManualTime()->Iterations(3)->Unit(benchmark::kSecond);

int ImportFile(const char* path, bool check) {
  std::vector<int16_t> source;
  uint32_t rate = 0;
  uint16_t channels = 0;
  if (check && !ReadPcmWave(path, &source, &rate, &channels)) {
    std::fprintf(stderr, "%s is not a 16-bit PCM WAV file\n", path);
    return kUsage;
  }
  CHeadlessApp headless;
  uint32_t frames = 0;
  const double seconds = headless.started ? ImportOnce(headless, path, &frames) : 0.0;
  if (frames == 0) {
    std::fprintf(stderr, "the import was refused or failed\n");
    return kFailed;
  }
  if (!check) {
    std::printf("%.4f %u\n", seconds, frames);
    return 0;
  }
  const int off = DifferenceFromReference(source, rate, EditorSamples(headless), 44100, channels);
  std::printf("%u %d\n", frames, off);
  return off == 0 ? 0 : kFailed;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--import") == 0) return ImportFile(argv[2], false);
  if (argc == 3 && std::strcmp(argv[1], "--check") == 0) return ImportFile(argv[2], true);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return kUsage;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
