// Frames per second through the effect chains, per effect and together, mono
// and stereo, at the device's smallest and largest block, with the channel
// workers on threads of their own and inline on the caller.
//
// Counters: items_per_second = input frames per second; realtime = that over
// 44100; worst_ms = the slowest block against budget_ms, the block's own length.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <chrono>
#include <cstring>
#include <random>
#include <vector>

#include "BenchChains.h"

namespace {

std::vector<short> Signal(size_t samples) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> noise(-3000, 3000);
  std::vector<short> out(samples);
  for (size_t i = 0; i < samples; ++i) {
    out[i] = static_cast<short>(8000.0 * std::sin(i * 0.031) + noise(random));
  }
  return out;
}

void ChainBench(benchmark::State& state) {
  const int bits = static_cast<int>(state.range(0));
  const short channels = static_cast<short>(state.range(1));
  const uint32_t block = static_cast<uint32_t>(state.range(2));
  const bool inlineWorkers = state.range(3) != 0;
  ZelmoSetInlineWorkers(inlineWorkers);
  auto chain = bench::BuildChain(bits, channels, block);
  ZelmoSetInlineWorkers(false);

  // The equalizer asks for up to 2N frames more than a block while it fills.
  const size_t samples = size_t{block} * channels;
  const size_t room = size_t{block + 16384} * channels;
  const std::vector<short> source = Signal(samples * 8 + room);
  std::vector<short> work(room);
  size_t at = 0;
  double worst = 0;
  int64_t changed = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const uint32_t frames = chain->GetMinSamplesNeededForOutput();
    std::memcpy(work.data(), source.data() + at, size_t{frames} * channels * sizeof(short));
    chain->ProcessAudio(work.data(), frames);
    worst = std::max(worst, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    changed += !std::equal(work.begin(), work.begin() + static_cast<long>(samples), source.begin() + static_cast<long>(at));
    benchmark::DoNotOptimize(work.data());
    at = (at + samples) % (samples * 8);
  }
  // A chain that leaves every block as it came is broken, not fast.
  if (changed == 0) state.SkipWithError("the chain changed no block");
  state.SetItemsProcessed(state.iterations() * int64_t{block});
  state.counters["realtime"] = benchmark::Counter(double(state.iterations()) * block / 44100.0, benchmark::Counter::kIsRate);
  state.counters["worst_ms"] = worst;
  state.counters["budget_ms"] = block * 1000.0 / 44100.0;
  state.SetLabel(bench::ChainName(bits) + (channels == 1 ? " mono" : " stereo") + (inlineWorkers ? " inline" : " threaded"));
}

}  // namespace

BENCHMARK(ChainBench)
    ->ArgNames({"fx", "ch", "block", "inline"})
    ->ArgsProduct({{bench::kEcho, bench::kReverb, bench::kLevels, bench::kEcho | bench::kReverb | bench::kLevels,
                    bench::kChorus, bench::kFlange, bench::kEqualizer},
                   {1, 2},
                   {8192, 65536},
                   {0, 1}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
