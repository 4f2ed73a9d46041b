// Cost of mixing the metronome into one output block, against the block's
// playing time. Uses the sounds the build synthesised. The timed blocks are
// made once more from the project's start, outside the timing, and checked
// against the clicks placed here beat by beat from the sound files.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <vector>

#include "Folders.h"
#include "Vorn.h"

namespace {

using Sound = std::vector<int16_t>;

// A sound file of the program folder as the metronome reads it.
Sound ReadSound(const char* name) {
  Sound sound(CVorn::kClickSamples, 0);
  std::ifstream in(platform::ProgramFolder() + "/" + name, std::ios::binary);
  std::vector<char> bytes(CVorn::kClickBytes);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  for (std::streamsize i = 0; i + 1 < in.gcount(); i += 2) {
    sound[static_cast<size_t>(i / 2)] =
        static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) | static_cast<uint8_t>(bytes[i + 1]) << 8);
  }
  return sound;
}

// Adds one stream of clicks to the whole stream out: a click every interval
// bytes from 0, each from the sound its beat takes, scaled and saturated at
// the metronome's limit.
void PlaceClicks(std::vector<int16_t>& out, uint64_t interval, const std::function<const Sound*(uint64_t)>& soundOf,
                 const std::function<float(uint64_t)>& gainOf) {
  for (uint64_t beat = 0; beat * interval / 2 < out.size(); ++beat) {
    const Sound* sound = soundOf(beat);
    const size_t first = static_cast<size_t>(beat * interval / 2);
    for (size_t i = 0; i < sound->size() && first + i < out.size(); ++i) {
      const float sum = gainOf(beat) * static_cast<float>((*sound)[i]) + static_cast<float>(out[first + i]);
      out[first + i] = static_cast<int16_t>(std::clamp(sum, -32000.0f, 32000.0f));
    }
  }
}

// Whether blocks from the project's start are the metronome the parameters make:
// on every beat a click, or the drums (bass and snare by turns, a hi-hat every
// half beat), the first beat of every four twice as loud.
bool MixesTheClicks(const CVorn& timed, uint32_t frames, int blocks) {
  CVorn vorn = timed;
  vorn.ResetMetronome();
  std::vector<int16_t> made(static_cast<size_t>(frames) * 2 * static_cast<size_t>(blocks), 0);
  for (int b = 0; b < blocks; ++b) vorn.Process(made.data() + static_cast<size_t>(b) * frames * 2, b * frames * 4);
  std::vector<int16_t> expected(made.size(), 0);
  const Vorn_Parameters& p = timed.parameters;
  const uint64_t beat = timed.GetBytesPerBeat();
  auto accented = [&](uint64_t k) { return p.accent && k % 4 == 0 ? 2.0f : 1.0f; };
  const Sound metro = ReadSound("metro.dat"), bass = ReadSound("bass.dat"), snare = ReadSound("snare.dat"),
              hiHat = ReadSound("hihat.dat");
  if (p.clickOnly) {
    PlaceClicks(expected, beat, [&](uint64_t) { return &metro; }, accented);
  } else {
    PlaceClicks(expected, beat, [&](uint64_t k) { return k % 2 == 0 ? &bass : &snare; }, accented);
    PlaceClicks(expected, beat / 2, [&](uint64_t) { return &hiHat; }, [](uint64_t) { return 1.0f; });
  }
  return made == expected && std::any_of(made.begin(), made.end(), [](int16_t v) { return v != 0; });
}

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
  // Ten seconds of blocks, a little more than the last whole one.
  if (!MixesTheClicks(vorn, frames, static_cast<int>(10 * 44100 / frames) + 2)) {
    state.SkipWithError("the blocks are not the clicks the parameters make");
  }
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
