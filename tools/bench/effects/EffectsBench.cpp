// Frames per second through the effect chains, per effect and together, mono
// and stereo, at the device's smallest and largest block, with the channel
// workers on threads of their own and inline on the caller.
//
// Counters: items_per_second = input frames per second; realtime = that over
// 44100; worst_ms = the slowest block against budget_ms, the block's own length.
// Every block the chain gives is hashed; the same blocks from a chain with the
// other placement of its channel work (inline for a threaded chain, threaded
// for an inline one), made after the timing, must hash the same.
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

uint64_t Hash(uint64_t h, const short* samples, size_t count) {
  for (size_t i = 0; i < count; ++i) h = (h ^ static_cast<uint16_t>(samples[i])) * 1099511628211ull;
  return h;
}

// The blocks the timed loop feeds, in its order: the hash of what comes out.
uint64_t HashOfBlocks(CZelmo& chain, const std::vector<short>& source, short channels, uint32_t block, int64_t blocks) {
  const size_t samples = size_t{block} * channels;
  std::vector<short> work(size_t{block + 16384} * channels);
  uint64_t h = 1469598103934665603ull;
  size_t at = 0;
  for (int64_t i = 0; i < blocks; ++i) {
    const uint32_t frames = chain.GetMinSamplesNeededForOutput();
    std::memcpy(work.data(), source.data() + at, size_t{frames} * channels * sizeof(short));
    chain.ProcessAudio(work.data(), frames);
    h = Hash(h, work.data(), samples);
    at = (at + samples) % (samples * 8);
  }
  return h;
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
  uint64_t hash = 1469598103934665603ull;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const uint32_t frames = chain->GetMinSamplesNeededForOutput();
    std::memcpy(work.data(), source.data() + at, size_t{frames} * channels * sizeof(short));
    chain->ProcessAudio(work.data(), frames);
    worst = std::max(worst, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    hash = Hash(hash, work.data(), samples);
    changed += !std::equal(work.begin(), work.begin() + static_cast<long>(samples), source.begin() + static_cast<long>(at));
    benchmark::DoNotOptimize(work.data());
    at = (at + samples) % (samples * 8);
  }
  // A chain that leaves every block as it came is broken, not fast.
  if (changed == 0) {
    state.SkipWithError("the chain changed no block");
    return;
  }
  ZelmoSetInlineWorkers(!inlineWorkers);
  auto other = bench::BuildChain(bits, channels, block);
  ZelmoSetInlineWorkers(false);
  if (HashOfBlocks(*other, source, channels, block, state.iterations()) != hash) {
    state.SkipWithError("the blocks differ from the chain's with its channel work placed the other way");
    return;
  }
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
