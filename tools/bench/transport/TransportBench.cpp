// The transport of a 24-track project on the virtual sound card.
//
// PlayToFirstBuffer: wall time from the Play command to the moment the first
// mixed buffer is handed to the output device (the device's first Write),
// every track starting to sound at the cursor, so the first fill mixes all 24.
//
// PlayerBlockWhileTheInterfaceWorks: the card runs in real time while this
// thread does what the user-interface thread does during playback, as fast as
// it can: the play timer's work, the level meters' taps, a redraw of every
// track's waveform from its peaks into a screen-sized picture. Reported: the
// player thread's fills (mix of 24 tracks) at their median, 99th percentile and
// worst against the time one buffer lasts; a dropout fails the case.
//
// What the device is handed is checked in both, outside the timing, frame by
// frame against the sources' sum worked out here (the tracks' saturating
// adds, in track order, from the start of the project).
//
// Files go to $TESSIRO_BENCH_FOLDER, else the temporary folder.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "AudioSnippetExtended.h"
#include "DeviceCallbacks.h"
#include "Folders.h"
#include "LevelCallbacks.h"
#include "ScriptedUi.h"
#include "VirtualWaveSystem.h"
#include "pro.h"
#include "../SourceAudio.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kTracks = 24;
constexpr uint32_t kBufferFrames = 8192;
constexpr uint32_t kSourceFrames = 30 * 44100;

using bench::Source;

// What a project of the kTracks sources plays at a frame: each track added in
// turn, saturating, as the mixer adds them, with unit gains.
int16_t Expected(uint32_t frame, int channel) {
  int32_t sum = 0;
  for (int t = 0; t < kTracks; ++t) sum = std::clamp(sum + std::max<int32_t>(Source(frame, channel, t), -32767), -32767, 32767);
  return static_cast<int16_t>(sum);
}

// The buffers handed to the device, in order, kept in room made before playback.
class CCapture {
 public:
  void Reset(size_t frames) {
    samples_.assign(frames * 2, 0);
    used_.store(0);
  }
  // On the player thread: one buffer's samples, while there is room.
  void Keep(const uint8_t* data, uint32_t bytes) {
    const size_t at = used_.load(std::memory_order_relaxed), n = bytes / 2;
    if (at + n > samples_.size()) return;
    std::memcpy(samples_.data() + at, data, n * 2);
    used_.store(at + n, std::memory_order_release);
  }
  // Frames kept; every one must be the expected mix from frame 0 on.
  size_t Frames() const { return used_.load(std::memory_order_acquire) / 2; }
  bool IsTheMix() const {
    const size_t frames = Frames();
    for (size_t f = 0; f < frames; ++f) {
      for (int c = 0; c < 2; ++c) {
        if (samples_[f * 2 + c] != Expected(static_cast<uint32_t>(f), c)) return false;
      }
    }
    return true;
  }

 private:
  std::vector<int16_t> samples_;
  std::atomic<size_t> used_{0};
};

// The device's first Write after Play, timestamped, and what the device is
// handed: the output it wraps is the virtual card's.
std::atomic<int64_t> g_firstWriteNs{0};
CCapture g_capture;

class CTimedOut final : public platform::CWaveOut {
 public:
  explicit CTimedOut(std::unique_ptr<platform::CWaveOut> inner) : inner_(std::move(inner)) {}
  uint32_t Write(platform::WaveHeader& header) override {
    int64_t none = 0;
    g_firstWriteNs.compare_exchange_strong(none, Clock::now().time_since_epoch().count());
    g_capture.Keep(header.data, header.bufferLength);
    return inner_->Write(header);
  }
  uint32_t Pause() override { return inner_->Pause(); }
  uint32_t Restart() override { return inner_->Restart(); }
  uint32_t Reset() override { return inner_->Reset(); }
  uint32_t GetPosition(uint32_t& bytes) override { return inner_->GetPosition(bytes); }
  uint32_t Close() override { return inner_->Close(); }

 private:
  std::unique_ptr<platform::CWaveOut> inner_;
};

class CTimedSystem final : public platform::CWaveSystem {
 public:
  explicit CTimedSystem(std::shared_ptr<platform::CVirtualWaveSystem> inner) : inner_(std::move(inner)) {}
  uint32_t OutputCount() override { return inner_->OutputCount(); }
  uint32_t InputCount() override { return inner_->InputCount(); }
  uint32_t GetOutputName(uint32_t id, std::string& name) override { return inner_->GetOutputName(id, name); }
  uint32_t GetInputName(uint32_t id, std::string& name) override { return inner_->GetInputName(id, name); }
  uint32_t QueryOutputFormat(uint32_t id, const platform::WaveFormat& f) override {
    return inner_->QueryOutputFormat(id, f);
  }
  uint32_t OpenOutput(uint32_t id, const platform::WaveFormat& f, platform::CMessageQueue* notify,
                      std::unique_ptr<platform::CWaveOut>& device) override {
    std::unique_ptr<platform::CWaveOut> opened;
    const uint32_t result = inner_->OpenOutput(id, f, notify, opened);
    if (result == platform::kWaveOk) device = std::make_unique<CTimedOut>(std::move(opened));
    return result;
  }
  uint32_t OpenInput(uint32_t id, const platform::WaveFormat& f, platform::CMessageQueue* notify,
                     std::unique_ptr<platform::CWaveIn>& device) override {
    return inner_->OpenInput(id, f, notify, device);
  }
  uint32_t TickCount() override { return inner_->TickCount(); }
  int WaitForEvents(std::span<platform::CEvent* const> events, bool all, uint32_t ms) override {
    return inner_->WaitForEvents(events, all, ms);
  }

 private:
  std::shared_ptr<platform::CVirtualWaveSystem> inner_;
};

// A program started on a card, with a project of 24 stereo tracks of noise.
class CBenchProgram {
 public:
  explicit CBenchProgram(platform::CVirtualWaveSystem::ClockMode mode) {
    const char* chosen = std::getenv("TESSIRO_BENCH_FOLDER");
    folder_ = std::string(chosen && *chosen ? chosen : platform::TemporaryFolder().c_str()) +
              "/tessiro-transport-bench-" + std::to_string(::getpid());
    platform::CreateFolder(folder_);
    setenv("TESSIRO_HOME", (folder_ + "/home").c_str(), 1);
    card = std::make_shared<platform::CVirtualWaveSystem>(mode);
    card->AddOutput("Virtual Output");
    card->AddInput("Virtual Input 1");
    platform::SetWaveSystem(std::make_shared<CTimedSystem>(card));

    ProConfig config;
    config.ApplyFirstStartDefaults(folder_, 0);
    config.bufferFrames = kBufferFrames;
    uint8_t image[ProConfig::kBytes];
    config.Serialize(image);
    platform::CreateFolder(platform::ProgramFolder());
    std::ofstream(platform::ProgramFolder() + "/qvk.cfg", std::ios::binary)
        .write(reinterpret_cast<const char*>(image), sizeof image);
    app = std::make_unique<CProApp>(seams.Services());
    app->InitInstance({});

    for (int t = 0; t < kTracks; ++t) {
      std::shared_ptr<CAudioSegment> segment = bench::SourceSegment(app->tempFolder, t, kSourceFrames, 120.0f);
      segment->GetPeakFile().Open(0);
      segments.push_back(segment);
      auto snippet = std::make_shared<CAudioSnippetExtended>(segment);
      snippet->tempo = 120.0f;
      snippet->length = kSourceFrames;
      snippet->end = kSourceFrames;
      snippet->SetTempo(120.0f);
      app->project.AddSnippetToTrack(snippet, t);
    }
    app->project.RecomputeProjectEnd();
  }

  ~CBenchProgram() {
    app.reset();
    platform::SetWaveSystem(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  tessiro::test::ScriptedServices seams;
  std::shared_ptr<platform::CVirtualWaveSystem> card;
  std::unique_ptr<CProApp> app;
  std::vector<std::shared_ptr<CAudioSegment>> segments;

 private:
  std::string folder_;
};

void PlayToFirstBuffer(benchmark::State& state) {
  CBenchProgram program(platform::CVirtualWaveSystem::ClockMode::Manual);
  CProApp& app = *program.app;
  std::vector<double> latencies;
  bool heard = true;
  for (auto _ : state) {
    g_firstWriteNs = 0;
    g_capture.Reset(kBufferFrames);
    const int64_t begin = Clock::now().time_since_epoch().count();
    app.OnPlayProject();
    const int64_t handed = g_firstWriteNs.load();
    if (app.playing.load() != 1 || handed == 0) {
      state.SkipWithError("playback did not start");
      break;
    }
    const double seconds = static_cast<double>(handed - begin) * 1e-9;
    state.SetIterationTime(seconds);
    latencies.push_back(seconds);
    state.PauseTiming();
    heard = heard && g_capture.Frames() == kBufferFrames && g_capture.IsTheMix();
    app.OnStopProject();
    state.ResumeTiming();
  }
  if (latencies.empty()) return;
  if (!heard) {
    state.SkipWithError("the first buffer is not the mix of the tracks");
    return;
  }
  std::sort(latencies.begin(), latencies.end());
  state.counters["median_ms"] = latencies[latencies.size() / 2] * 1e3;
  state.counters["worst_ms"] = latencies.back() * 1e3;
}

// The fills of the player thread, timed around the program's own output callback.
std::mutex g_fillLock;
std::vector<double> g_fillSeconds;

void TimedFill(uint32_t zero, unsigned char* buffer, uint32_t bytes, uint32_t* filled, int32_t* end) {
  const auto begin = Clock::now();
  ProjectOutputCallback(zero, buffer, bytes, filled, end);
  const std::chrono::duration<double> took = Clock::now() - begin;
  std::lock_guard<std::mutex> hold(g_fillLock);
  if (g_fillSeconds.size() < g_fillSeconds.capacity()) g_fillSeconds.push_back(took.count());
}

// One pass of what the interface thread does while the project plays: the
// play timer, the level meters, and every track's waveform drawn from its peaks.
uint64_t InterfaceWork(CProApp& app, const std::vector<std::shared_ptr<CAudioSegment>>& segments,
                       std::vector<uint8_t>& meter, std::vector<uint32_t>& picture) {
  app.OnPlayTimer();
  unsigned char* tap = meter.data();
  GetOutputBufferCallback(&tap, static_cast<uint32_t>(meter.size()));
  for (int16_t channel = 1; channel <= 2; ++channel) {
    GetChannelBufferCallback(channel, &tap, static_cast<uint32_t>(meter.size()));
  }
  constexpr uint32_t kWidth = 1920, kRowHeight = 40;
  uint64_t drawn = 0;
  for (size_t t = 0; t < segments.size(); ++t) {
    const uint8_t* peaks = nullptr;
    uint32_t size = 0;
    if (segments[t]->GetPeakFile().GetData(&peaks, &size) != 1 || size < 4) continue;
    const uint32_t records = size / 4;
    for (uint32_t x = 0; x < kWidth; ++x) {
      const uint8_t* record = peaks + static_cast<size_t>(x) * records / kWidth * 4;
      const uint32_t height = std::min<uint32_t>(kRowHeight, (record[0] + record[2]) * kRowHeight / 512);
      uint32_t* column = picture.data() + (t % 24) * kRowHeight * kWidth + x;
      for (uint32_t y = 0; y < kRowHeight; ++y) column[y * kWidth] = y < height ? 0xFF8000 : 0xF5F5F5;
      drawn += height;
    }
  }
  return drawn;
}

void PlayerBlockWhileTheInterfaceWorks(benchmark::State& state) {
  CBenchProgram program(platform::CVirtualWaveSystem::ClockMode::RealTime);
  CProApp& app = *program.app;
  std::vector<uint8_t> meter(8820);
  std::vector<uint32_t> picture(1920 * 40 * 24);
  for (auto _ : state) {
    {
      std::lock_guard<std::mutex> hold(g_fillLock);
      g_fillSeconds.clear();
      g_fillSeconds.reserve(4096);
    }
    g_capture.Reset(static_cast<size_t>(state.range(0) + 2) * 44100);
    app.OnPlayProject();
    app.devices.UpdateOutputStereoCallback(&TimedFill);
    const auto until = Clock::now() + std::chrono::seconds(state.range(0));
    uint64_t passes = 0, drawn = 0;
    while (Clock::now() < until) {
      drawn += InterfaceWork(app, program.segments, meter, picture);
      ++passes;
      program.seams.thread.Pump();  // what the player posted (an end, a dropout)
    }
    const bool dropped = app.playing.load() == 0;
    app.OnStopProject();
    std::vector<double> fills;
    {
      std::lock_guard<std::mutex> hold(g_fillLock);
      fills = g_fillSeconds;
    }
    if (fills.size() < 10 || drawn == 0) {
      state.SkipWithError("the player or the interface did no work");
      break;
    }
    if (dropped) {
      state.SkipWithError("playback stopped early: a dropout");
      break;
    }
    if (g_capture.Frames() < fills.size() * kBufferFrames || !g_capture.IsTheMix()) {
      state.SkipWithError("the device was not handed the mix of the tracks");
      break;
    }
    std::sort(fills.begin(), fills.end());
    state.counters["fills"] = static_cast<double>(fills.size());
    state.counters["interface_passes"] = static_cast<double>(passes);
    state.counters["fill_median_ms"] = fills[fills.size() / 2] * 1e3;
    state.counters["fill_p99_ms"] = fills[fills.size() * 99 / 100] * 1e3;
    state.counters["fill_worst_ms"] = fills.back() * 1e3;
    state.counters["budget_ms"] = kBufferFrames / 44.1;
  }
}

}  // namespace

BENCHMARK(PlayToFirstBuffer)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(PlayerBlockWhileTheInterfaceWorks)
    ->ArgNames({"seconds"})
    ->Arg(20)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

BENCHMARK_MAIN();
