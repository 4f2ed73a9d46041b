// Cost of one buffer of play-and-record on the virtual device: the player's refill,
// a recorder delivering to four inputs (stereo pair, left on a stereo track, right
// and the pair on mono tracks) and the hand-offs between the device and both
// threads, against the time the buffer lasts.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>

#include "Pobix.h"
#include "VirtualWaveSystem.h"

namespace {

std::atomic<uint64_t> g_delivered{0};
std::atomic<uint64_t> g_nonSilent{0};

void Fill(uint32_t, unsigned char* buffer, uint32_t bytes, uint32_t* filled, int32_t* end) {
  std::memset(buffer, 0x11, bytes);
  *filled = bytes;
  *end = 0;
}

void Take(uint32_t, unsigned char* data, uint32_t bytes, uint32_t* taken, int32_t*) {
  g_delivered += bytes;
  if (std::any_of(data, data + bytes, [](unsigned char b) { return b != 0; })) ++g_nonSilent;
  *taken = bytes;
}

void PlayAndRecord(benchmark::State& state) {
  const uint32_t frames = static_cast<uint32_t>(state.range(0));
  const uint32_t bytes = frames * 4;
  auto system = std::make_shared<platform::CVirtualWaveSystem>();
  system->AddOutput("Speakers");
  system->AddInput("Line In");
  platform::SetWaveSystem(system);
  {
    CPobix pobix;
    pobix.OutputInit(0, Fill);
    pobix.SetOutputBufferInfo(2, bytes);
    pobix.SetupPhysicalInput(0, 44100, 16);
    const int32_t inputs[4][2] = {{0, 1}, {1, 1}, {2, 0}, {0, 0}};
    for (int i = 0; i < 4; ++i) {
      PobixInit init{};
      init.inputIndex = inputs[i][0];
      init.stereo = inputs[i][1];
      init.recordSlot = i + 1;
      init.callback = Take;
      pobix.AddInput(&init);
      pobix.SetInputBufferInfo(static_cast<int16_t>(init.inputIndex), 2, bytes);
    }
    g_delivered = 0;
    g_nonSilent = 0;
    pobix.Start(kPobixPlayAndRecord);
    const uint32_t bufferMs = (frames * 1000 + 44099) / 44100;
    double worstNs = 0.0;
    for (auto _ : state) {
      const auto begin = std::chrono::steady_clock::now();
      system->Advance(bufferMs);
      const std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - begin;
      worstNs = std::max(worstNs, took.count());
    }
    pobix.Stop();
    // A path that delivered nothing, or only silence, must not pass as fast.
    const uint64_t expected = static_cast<uint64_t>(state.iterations() / 2) * bytes * 3;
    if (g_delivered < expected || g_nonSilent == 0) {
      state.SkipWithError("the recording did not arrive");
    }
    state.SetItemsProcessed(state.iterations() * frames);
    state.counters["realtime_x"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * frames / 44100.0, benchmark::Counter::kIsRate);
    state.counters["worst_buffer_us"] = worstNs / 1000.0;
    state.counters["budget_us"] = frames / 44.1 * 1000.0;
  }
  platform::SetWaveSystem(nullptr);
}

}  // namespace

BENCHMARK(PlayAndRecord)
    ->ArgNames({"frames"})
    ->Arg(8192)
    ->Arg(32768)
    ->Arg(65536)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();

BENCHMARK_MAIN();
