// Throughput of the tempo/pitch processor on stereo noise, fed as a playing
// snippet is fed, and the cost of single blocks against their time budget.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>
#include <vector>

#include "BestFitKernels.h"
#include "tarvex.h"

namespace {

constexpr uint32_t kSeconds = 30;
constexpr uint32_t kRate = 44100;

const std::vector<int16_t>& StereoNoise() {
  static const std::vector<int16_t> noise = [] {
    std::mt19937 random(1);
    std::uniform_int_distribution<int> value(-16000, 16000);
    std::vector<int16_t> v(static_cast<size_t>(kSeconds) * kRate * 2);
    for (int16_t& s : v) s = static_cast<int16_t>(value(random));
    return v;
  }();
  return noise;
}

struct Settings {
  float tempo = 1.0f, semitones = 0.0f, rate = 1.0f;
  int quality = 1;
};

// Streams the whole input and returns the frames made; keeps them in output when given.
uint64_t Stream(const Settings& s, const std::vector<int16_t>& in, uint32_t block,
                std::vector<double>* blockMs = nullptr, std::vector<int16_t>* output = nullptr) {
  static const float kShave[] = {0.0f, 0.08f, 0.15f, 0.08f, 0.13f};
  static const float kLimit[] = {0.0f, 0.05f, 0.10f, 0.05f, 0.08f};
  CTarvex t;
  t.SetSizeOutputBufferSample(block);
  t.SetTempo(s.tempo);
  t.SetRate(s.rate);
  t.SetPitchViaSemitones(s.semitones);
  t.bestFitSkip = s.quality >= 4 ? 2 : 1;
  t.bestFitShave = kShave[s.quality - 1];
  t.bestFitCorrLimit = kLimit[s.quality - 1];
  t.Init();
  std::vector<int16_t> out(static_cast<size_t>(block) * 2);
  const uint32_t total = static_cast<uint32_t>(in.size() / 2);
  uint32_t fed = 0;
  uint64_t made = 0;
  for (;;) {
    const auto start = std::chrono::steady_clock::now();
    const uint32_t n = std::min(t.GetMinSamplesNeededForOutput(), total - fed);
    uint32_t got = 0;
    t.ProcessAudio(in.data() + static_cast<size_t>(fed) * 2, n, out.data(), block, &got);
    if (blockMs && got == block) {
      blockMs->push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    if (output) output->insert(output->end(), out.begin(), out.begin() + static_cast<ptrdiff_t>(got) * 2);
    benchmark::DoNotOptimize(out.data());
    fed += n;
    made += got;
    if (fed == total && got == 0) break;
  }
  uint32_t got = 0;
  do {
    t.FlushStorage(out.data(), block, &got);
    made += got;
    if (output) output->insert(output->end(), out.begin(), out.begin() + static_cast<ptrdiff_t>(got) * 2);
  } while (got == block);
  return made;
}

// The timed stream, run once more outside the timing, against the same
// stream in the smaller blocks a playing snippet takes: how blocks are cut
// must not change what comes out.
bool SameInOtherBlocks(const Settings& s, const std::vector<int16_t>& in) {
  std::vector<int16_t> timed, small;
  Stream(s, in, 32768, nullptr, &timed);
  Stream(s, in, 8192, nullptr, &small);
  return !timed.empty() && timed == small;
}

void Run(benchmark::State& state, const Settings& s) {
  const std::vector<int16_t>& in = StereoNoise();
  const double frames = static_cast<double>(in.size() / 2);
  const double expected = frames * s.rate * s.tempo;
  uint64_t made = 0;
  for (auto _ : state) made = Stream(s, in, 32768);
  // A broken fast path must not pass for a fast one.
  if (std::abs(static_cast<double>(made) - expected) > 2 * 3616) {
    state.SkipWithError("output length is off");
    return;
  }
  if (!SameInOtherBlocks(s, in)) {
    state.SkipWithError("blocks of 32768 frames differ from the stream in blocks of 8192");
    return;
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(frames));
  state.counters["x_realtime"] = benchmark::Counter(frames / kRate * static_cast<double>(state.iterations()),
                                                    benchmark::Counter::kIsRate);
  state.SetLabel(tarvex::SumAbsDiffVersion());
}

void Tempo(benchmark::State& state) { Run(state, {static_cast<float>(state.range(0)) / 1000.0f, 0, 1, 1}); }
void TempoPreset(benchmark::State& state) { Run(state, {1.25f, 0, 1, static_cast<int>(state.range(0))}); }
void Pitch(benchmark::State& state) { Run(state, {1.0f, static_cast<float>(state.range(0)), 1, 1}); }
void Rate(benchmark::State& state) {
  const std::vector<int16_t>& all = StereoNoise();
  const float rate = 44100.0f / static_cast<float>(state.range(0));
  // Material at the source rate: as many frames as kSeconds of it holds.
  const std::vector<int16_t> in(all.begin(), all.begin() + static_cast<size_t>(state.range(0)) * kSeconds * 2);
  const Settings s{1.0f, 0, rate, 1};
  uint64_t made = 0;
  for (auto _ : state) made = Stream(s, in, 32768);
  if (std::abs(static_cast<double>(made) - 44100.0 * kSeconds) > 4) {
    state.SkipWithError("output length is off");
    return;
  }
  if (!SameInOtherBlocks(s, in)) {
    state.SkipWithError("blocks of 32768 frames differ from the stream in blocks of 8192");
    return;
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(in.size() / 2));
}

// One playing snippet's blocks: the median and worst time per 8192-frame block
// against the 186 ms the device gives it. The blocks, joined, must be the
// stream the processor gives in blocks of 32768 frames (how a block is cut
// must not change what is heard) and about as long as the tempo makes it.
void SnippetBlocks(benchmark::State& state) {
  const Settings s{2.0f, static_cast<float>(state.range(0)), 1, 2};
  std::vector<int16_t> reference;
  Stream(s, StereoNoise(), 32768, nullptr, &reference);
  std::vector<double> times;
  std::vector<int16_t> output;
  output.reserve(reference.size() + 2 * 8192);
  for (auto _ : state) {
    times.clear();
    output.clear();
    Stream(s, StereoNoise(), 8192, &times, &output);
  }
  // Playback hands the last windows of the tempo stage back unstretched: its
  // factor is the tempo times the pitch's speed-up.
  const double expected = static_cast<double>(StereoNoise().size() / 2) * s.tempo;
  const double stretch = s.tempo * std::exp2(std::max(0.0f, s.semitones) / 12.0);
  if (std::abs(static_cast<double>(output.size() / 2) - expected) > 2 * 3616 * stretch) {
    state.SkipWithError("output length is off");
    return;
  }
  if (output != reference) {
    state.SkipWithError("blocks of 8192 frames differ from the stream in blocks of 32768");
    return;
  }
  std::sort(times.begin(), times.end());
  state.counters["median_block_ms"] = times[times.size() / 2];
  state.counters["worst_block_ms"] = times.back();
  state.counters["budget_ms"] = 8192.0 * 1000 / kRate;
}

}  // namespace

BENCHMARK(Tempo)->Arg(500)->Arg(800)->Arg(1250)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(TempoPreset)->DenseRange(1, 5)->Unit(benchmark::kMillisecond);
BENCHMARK(Pitch)->Arg(-12)->Arg(12)->Unit(benchmark::kMillisecond);
BENCHMARK(Rate)->Arg(22050)->Arg(48000)->Unit(benchmark::kMillisecond);
BENCHMARK(SnippetBlocks)->Arg(0)->Arg(12)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
