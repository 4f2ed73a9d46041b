// Cost of mixing the metronome into one output block, against the block's
// playing time. Uses the sounds the build synthesised.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "Folders.h"
#include "Vorn.h"

namespace {

// args: block frames, click only, tempo
void MixIntoBlocks(benchmark::State& state) {
  setenv("TESSIRO_HOME", platform::InstalledDataFolder().c_str(), 1);
  CVorn vorn;
  if (vorn.SamplesMissing()) {
    state.SkipWithError("the metronome sounds were not built");
    return;
  }
  const uint32_t frames = static_cast<uint32_t>(state.range(0));
  vorn.parameters.clickOnly = static_cast<int32_t>(state.range(1));
  vorn.SetBPM(static_cast<float>(state.range(2)));
  vorn.SetSizeMixBuffer(frames * 4);
  std::vector<int16_t> block(frames * 2);
  uint32_t position = 0;
  double worstNs = 0.0;
  for (auto _ : state) {
    const auto begin = std::chrono::steady_clock::now();
    vorn.Process(block.data(), position);
    benchmark::DoNotOptimize(block.data());
    const std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - begin;
    worstNs = std::max(worstNs, took.count());
    position += frames * 4;
    if (position > 900000000u) position = 0;  // stay within a 90-minute project
  }
  // A broken fast path that mixes nothing must not pass as fast.
  const auto nonSilent = std::count_if(block.begin(), block.end(), [](int16_t s) { return s != 0; });
  if (nonSilent == 0) state.SkipWithError("nothing was mixed");
  state.SetItemsProcessed(state.iterations() * frames);
  state.counters["realtime_x"] = benchmark::Counter(static_cast<double>(state.iterations()) * frames / 44100.0,
                                                    benchmark::Counter::kIsRate);
  // The slowest single block against the time that block takes to play.
  state.counters["worst_block_us"] = worstNs / 1000.0;
  state.counters["budget_us"] = frames / 44.1 * 1000.0;
}

}  // namespace

BENCHMARK(MixIntoBlocks)
    ->ArgNames({"frames", "clickOnly", "bpm"})
    ->ArgsProduct({{8192, 32768, 65536}, {0, 1}, {120, 250}})
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
