// Cost of one buffer of play-and-record on the virtual device: the player's refill,
// a recorder delivering to four inputs (stereo pair, left on a stereo track, right
// and the pair on mono tracks) and the hand-offs between the device and both
// threads, against the time the buffer lasts. What each input delivers is
// checked against the virtual card's known signal converted for that input
// (the first deliveries, kept in room made beforehand), what the card played
// against what the fill gave; a dropout of either side fails the case.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "Pobix.h"
#include "VirtualWaveSystem.h"

namespace {

std::atomic<uint64_t> g_delivered{0};
std::atomic<uint64_t> g_nonSilent{0};
std::atomic<int> g_dropouts{0};

constexpr int kSlots = 4;
constexpr size_t kKeptSamples = 1 << 20;  // per slot

// What each record slot was handed, in order, as long as there is room.
struct Kept {
  std::vector<int16_t> samples = std::vector<int16_t>(kKeptSamples);
  size_t used = 0;
};
Kept g_kept[kSlots];

void CountDropout(const char*, const char*) { ++g_dropouts; }

void Fill(uint32_t, unsigned char* buffer, uint32_t bytes, uint32_t* filled, int32_t* end) {
  std::memset(buffer, 0x11, bytes);
  *filled = bytes;
  *end = 0;
}

void Take(uint32_t slot, unsigned char* data, uint32_t bytes, uint32_t* taken, int32_t*) {
  if (slot >= 1 && slot <= kSlots) {
    Kept& kept = g_kept[slot - 1];
    const size_t n = std::min<size_t>(bytes / 2, kKeptSamples - kept.used);
    std::memcpy(kept.samples.data() + kept.used, data, n * 2);
    kept.used += n;
  }
  g_delivered += bytes;
  if (std::any_of(data, data + bytes, [](unsigned char b) { return b != 0; })) ++g_nonSilent;
  *taken = bytes;
}

// The stereo pair's frames are the card's signal from some frame on; the other
// slots are those frames converted: the left as a stereo pair of halves, the
// right alone, and the pair's mean as mono.
bool DeliveredTheSignal() {
  const Kept& pair = g_kept[0];
  if (pair.used < 4) return false;
  // The signal's left channel gives the frame modulo 30000, its right the rest.
  uint64_t first = static_cast<uint64_t>(pair.samples[0] + 15000);
  for (int16_t left = 0, right = 0;; first += 30000) {
    platform::CVirtualWaveSystem::SignalAt(first, left, right);
    if (right == pair.samples[1]) break;
    if (first > 30000ull * 28001) return false;
  }
  const size_t frames = pair.used / 2;
  for (size_t f = 0; f < frames; ++f) {
    int16_t left = 0, right = 0;
    platform::CVirtualWaveSystem::SignalAt(first + f, left, right);
    const int16_t expected[kSlots][2] = {{left, right},
                                         {static_cast<int16_t>(left / 2), static_cast<int16_t>(left / 2)},
                                         {right, 0},
                                         {static_cast<int16_t>((left + right) / 2), 0}};
    const size_t width[kSlots] = {2, 2, 1, 1};
    for (int slot = 0; slot < kSlots; ++slot) {
      const Kept& kept = g_kept[slot];
      if (f * width[slot] + width[slot] > kept.used) continue;
      for (size_t c = 0; c < width[slot]; ++c) {
        if (kept.samples[f * width[slot] + c] != expected[slot][c]) return false;
      }
    }
  }
  return true;
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
    pobix.UpdatePlayerDropoutMessageCallback(CountDropout);
    pobix.UpdateRecorderDropoutMessageCallback(CountDropout);
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
    g_dropouts = 0;
    for (Kept& kept : g_kept) kept.used = 0;
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
    // The player's side: the card played what the fill gave, and enough of it.
    const std::vector<uint8_t> played = system->PlayedBytes(0);
    const bool playedTheFill = played.size() >= static_cast<uint64_t>(state.iterations() / 2) * bytes &&
                               std::all_of(played.begin(), played.end(), [](uint8_t b) { return b == 0x11; });
    // A path that delivered nothing, or only silence, must not pass as fast.
    const uint64_t expected = static_cast<uint64_t>(state.iterations() / 2) * bytes * 3;
    if (g_delivered < expected || g_nonSilent == 0) {
      state.SkipWithError("the recording did not arrive");
    } else if (!DeliveredTheSignal()) {
      state.SkipWithError("an input was not handed the card's signal as its channels make it");
    } else if (!playedTheFill) {
      state.SkipWithError("the card did not play what the player was given");
    } else if (g_dropouts != 0) {
      state.SkipWithError("a dropout");
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
