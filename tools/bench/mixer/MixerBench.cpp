// The mixer as the output callback drives it: 24 stereo tracks, each playing
// one snippet from its own raw audio file, mixed block by block through
// MixAllTracks. Variants: the project tempo equal to the sources' (ratio 1)
// or 1.25 times it; no effects, or [echo, reverb, equalizer] on every track
// and on the master chain; blocks of 8192 and 32768 frames.
//
// Reported per variant: the real-time factor (seconds of audio mixed per
// second of process CPU time, effect worker threads included, and per second
// of wall time) and the 99th percentile (interpolated between order
// statistics, over at least 200 blocks, so it is never just the worst) and
// worst time of one block against the block's own duration; the first block
// of a play is reported on its own. The processors are made ready before each
// play, as the program does. Playback wraps to the start (outside the timing)
// when the sources run out, so every block is a real one. Every block of every
// variant is checked, outside the timing, against the same block of a
// reference run on one thread with every effect inline (a hash of its
// samples); a plain mix is also checked against the sum of its sources. A
// block that takes longer than it plays would be a dropout on the device: the
// variant fails. Files go to $TESSIRO_BENCH_FOLDER, else the temporary folder;
// with $TESSIRO_BENCH_WINDOWS set, each variant appends the monotonic clock's
// seconds at the start and end of its timed blocks to that file, for a trace
// of the same run (mix-waits.sh).
#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "AudioSegment.h"
#include "AudioSnippetExtended.h"
#include "AudioTrackList.h"
#include "Folders.h"
#include "../SourceAudio.h"

namespace {

constexpr int kTracks = 24;
constexpr uint32_t kSourceFrames = 40 * 44100;  // per track
constexpr double kAudioSecondsPerRun = 60.0;
constexpr int64_t kLeastBlocks = 200;  // enough for a 99th percentile below the worst

using bench::Source;

class CSources {
 public:
  CSources() {
    const char* chosen = std::getenv("TESSIRO_BENCH_FOLDER");
    folder_ = std::string(chosen && *chosen ? chosen : platform::TemporaryFolder().c_str()) + "/tessiro-mixer-bench-" +
              std::to_string(::getpid());
    platform::CreateFolder(folder_);
    for (int t = 0; t < kTracks; ++t) segments_.push_back(bench::SourceSegment(folder_, t, kSourceFrames, 100.0f));
  }
  ~CSources() {
    segments_.clear();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  const std::shared_ptr<CAudioSegment>& Segment(int track) const { return segments_[track]; }

 private:
  std::string folder_;
  std::vector<std::shared_ptr<CAudioSegment>> segments_;
};

const CSources& Sources() {
  static const CSources sources;
  return sources;
}

void AddEffects(CZelmo& chain) {
  short number = -1;
  chain.AddEffect(ZelmoEcho, &number, nullptr);
  EchoParams echo{0.8f, 0.8f, 0.5f, 0.5f, 0.3f, 0.3f, 180.0f, 240.0f};
  chain.SetEffectParameters(number, &echo);
  chain.AddEffect(ZelmoReverb, &number, nullptr);
  ReverbParams reverb;
  chain.SetEffectParameters(number, &reverb);
  EqualizerInit bands{{60, 170, 310, 600, 1000, 3000, 6000, 12000, 14000, 16000}, 4096};
  chain.AddEffect(ZelmoEqualizer, &number, &bands);
  EqualizerParams gains{1, {}, {}};
  for (int b = 0; b < kEqualizerBandCount; ++b) gains.left.gains[b] = gains.right.gains[b] = b % 2 ? 0.8f : 1.2f;
  chain.SetEffectParameters(number, &gains);
}

struct CProject {
  CProject(uint32_t blockFrames, float projectTempo, bool effects, int mixThreads, bool workersOnMixThreads = true) {
    TempoPitchSettings settings;
    settings.bufferFrames = blockFrames;
    list.CreateTracks(CAudioSnippetList::kModeProject, CAudioTrack::kTypeExtended, kTracks);
    list.SetEffectsChains(&chains);
    list.SetBlockFrames(blockFrames);
    list.SetTempoPitchSettings(settings);
    list.AllocateBuffers(2, 65536);
    if (mixThreads >= 0) list.SetMixThreads(static_cast<unsigned>(mixThreads));
    list.SetEffectWorkersOnMixThreads(workersOnMixThreads);
    for (int t = 0; t < kTracks; ++t) {
      auto snippet = std::make_shared<CAudioSnippetExtended>(Sources().Segment(t));
      snippet->length = kSourceFrames;
      snippet->end = kSourceFrames;
      snippet->tempo = projectTempo;
      snippet->SetTempo(projectTempo);
      list.AddSnippetToTrack(snippet, t);
      projectEnd = std::max(projectEnd, snippet->end);
    }
    if (effects) {
      for (int slot = 0; slot <= kTracks; ++slot) {
        chains[slot] = std::make_unique<CZelmo>();
        chains[slot]->SetChannels(2);
        chains[slot]->SetSizeMaxInputBufferSample(blockFrames + kChainSlackFrames);
        chains[slot]->SetSizeOutputBufferSample(blockFrames);
        AddEffects(*chains[slot]);
      }
    }
    list.PreparePlayback();
    list.playing = 1;
  }
  void Rewind() {
    list.ResetPlayback();
    for (auto& chain : chains) {
      if (chain) chain->Reset();
    }
    list.PreparePlayback();
  }
  // The position of the next block, wrapping (with a rewind) where the sources end.
  uint32_t Next(uint32_t position, uint32_t blockFrames) {
    if (position + blockFrames > projectEnd) {
      Rewind();
      return 0;
    }
    return position;
  }
  EffectChainArray chains;
  CAudioTrackList list;
  uint32_t projectEnd = 0;
};

double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

double MonotonicSeconds() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

void WriteWindow(const benchmark::State& state, double start, double end) {
  const char* path = std::getenv("TESSIRO_BENCH_WINDOWS");
  if (!path || !*path) return;
  if (FILE* file = std::fopen(path, "a")) {
    std::fprintf(file, "block:%lld/tempo:%lld/effects:%lld/helpers:%lld/inline:%lld/on_mix:%lld %.6f %.6f\n",
                 static_cast<long long>(state.range(0)), static_cast<long long>(state.range(1)),
                 static_cast<long long>(state.range(2)), static_cast<long long>(state.range(3)),
                 static_cast<long long>(state.range(4)), static_cast<long long>(state.range(5)), start, end);
    std::fclose(file);
  }
}

uint64_t Hash(const std::vector<int16_t>& samples) {
  uint64_t h = 1469598103934665603ull;
  for (int16_t s : samples) h = (h ^ static_cast<uint16_t>(s)) * 1099511628211ull;
  return h;
}

// The hash of every block a variant mixes, from a run on one thread with
// every effect on that thread: the slow, plain way to the same mix.
const std::vector<uint64_t>& ReferenceHashes(uint32_t blockFrames, float projectTempo, bool effects, int64_t blocks) {
  static std::map<std::tuple<uint32_t, float, bool>, std::vector<uint64_t>> made;
  std::vector<uint64_t>& hashes = made[{blockFrames, projectTempo, effects}];
  if (static_cast<int64_t>(hashes.size()) >= blocks) return hashes;
  hashes.clear();
  const bool saved = ZelmoInlineWorkers();
  ZelmoSetInlineWorkers(true);
  CProject reference(blockFrames, projectTempo, effects, 0);
  ZelmoSetInlineWorkers(saved);
  std::vector<int16_t> out(static_cast<size_t>(blockFrames) * 2);
  uint32_t position = 0;
  for (int64_t i = 0; i < blocks; ++i, position += blockFrames) {
    position = reference.Next(position, blockFrames);
    reference.list.MixAllTracks(out.data(), position, blockFrames);
    hashes.push_back(Hash(out));
  }
  return hashes;
}

// The q-quantile of sorted values, interpolated between the two order statistics around it.
double Quantile(const std::vector<double>& sorted, double q) {
  const double at = q * static_cast<double>(sorted.size() - 1);
  const size_t below = static_cast<size_t>(at);
  if (below + 1 >= sorted.size()) return sorted.back();
  return sorted[below] + (at - static_cast<double>(below)) * (sorted[below + 1] - sorted[below]);
}

// A plain mix at ratio 1 must be the saturated sum of the sources, track by track.
bool MixIsTheSumOfTheSources(uint32_t position, const std::vector<int16_t>& out, uint32_t frames) {
  for (uint32_t f = 0; f < frames; ++f) {
    for (int c = 0; c < 2; ++c) {
      int32_t sum = 0;
      for (int t = 0; t < kTracks; ++t) {
        int32_t s = Source(position + f, c, t);
        sum = std::clamp(sum + std::max(s, -32767), -32767, 32767);
      }
      if (out[f * 2 + c] != sum) return false;
    }
  }
  return true;
}

void BM_Mix(benchmark::State& state) {
  const uint32_t blockFrames = static_cast<uint32_t>(state.range(0));
  const float projectTempo = static_cast<float>(state.range(1));
  const bool effects = state.range(2) != 0;
  const int mixThreads = static_cast<int>(state.range(3));
  const bool allInline = state.range(4) != 0;
  const bool workersOnMixThreads = state.range(5) != 0;
  const std::vector<uint64_t>& reference = ReferenceHashes(blockFrames, projectTempo, effects, state.max_iterations);
  ZelmoSetInlineWorkers(allInline);
  CProject project(blockFrames, projectTempo, effects, mixThreads, workersOnMixThreads);
  ZelmoSetInlineWorkers(false);
  std::vector<int16_t> out(static_cast<size_t>(blockFrames) * 2);
  std::vector<double> blockSeconds;
  double startSeconds = 0.0;  // the first block of a play
  uint32_t position = 0;
  double wall = 0.0, cpu = 0.0;
  int64_t loud = 0, block = 0;
  bool sane = true, same = true;
  int64_t late = 0;
  const double windowStart = MonotonicSeconds();
  for (auto _ : state) {
    position = project.Next(position, blockFrames);
    const double cpu0 = ProcessCpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    const int result = project.list.MixAllTracks(out.data(), position, blockFrames);
    const auto t1 = std::chrono::steady_clock::now();
    cpu += ProcessCpuSeconds() - cpu0;
    const double seconds = std::chrono::duration<double>(t1 - t0).count();
    wall += seconds;
    late += seconds * 44100.0 > blockFrames;
    if (position == 0) {
      startSeconds = std::max(startSeconds, seconds);
    } else {
      blockSeconds.push_back(seconds);
    }
    sane = sane && result == 1;
    for (int16_t s : out) {
      sane = sane && s != -32768;
      loud += std::abs(s) > 1000;
    }
    same = same && Hash(out) == reference[static_cast<size_t>(block)];
    if (!effects && projectTempo == 100.0f && position == 3 * blockFrames) {
      sane = sane && MixIsTheSumOfTheSources(position, out, blockFrames);
    }
    position += blockFrames;
    ++block;
  }
  WriteWindow(state, windowStart, MonotonicSeconds());
  const double audio = static_cast<double>(state.iterations()) * blockFrames / 44100.0;
  if (!sane || loud < static_cast<int64_t>(state.iterations()) * blockFrames / 2) {
    state.SkipWithError("the mix is not what the tracks add up to");
    return;
  }
  if (!same) {
    state.SkipWithError("the mix differs from the one-thread, all-inline reference");
    return;
  }
  if (late > 0) {
    static std::string why;
    why = std::to_string(late) + " blocks took longer than they play: dropouts";
    state.SkipWithError(why.c_str());
    return;
  }
  std::sort(blockSeconds.begin(), blockSeconds.end());
  state.counters["rt_cpu"] = audio / cpu;
  state.counters["rt_wall"] = audio / wall;
  state.counters["block_ms"] = 1000.0 * blockFrames / 44100.0;
  state.counters["blocks"] = static_cast<double>(blockSeconds.size());
  state.counters["p99_ms"] = 1000.0 * Quantile(blockSeconds, 0.99);
  state.counters["max_ms"] = 1000.0 * blockSeconds.back();
  state.counters["start_ms"] = 1000.0 * startSeconds;
  state.counters["threads"] = project.list.GetMixThreads() + 1;
}

}  // namespace

int main(int argc, char** argv) {
  // Arguments: block frames, project tempo (sources are at 100), effects,
  // mixer helper threads (-1: the project's default), every effect inline
  // (the master chain's too), and the tracks' effect channels on the mix
  // helpers (1, the program's choice) or beside them on the effects' crew (0).
  std::vector<std::vector<int64_t>> variants;
  for (int effects : {0, 1}) {
    for (int tempo : {100, 125}) {
      for (int block : {8192, 32768}) variants.push_back({block, tempo, effects, -1, 0, 1});
    }
  }
  // What limits the heaviest case: effect channels on the effects' crew while
  // the helpers spread tracks (the placement before this was measured), one
  // mixing thread, and every effect inline.
  for (int block : {8192, 32768}) {
    variants.push_back({block, 125, 1, -1, 0, 0});
    variants.push_back({block, 125, 1, 0, 0, 1});
    variants.push_back({block, 125, 1, -1, 1, 1});
  }
  for (const auto& args : variants) {
    const int64_t blocks = std::max<int64_t>(static_cast<int64_t>(kAudioSecondsPerRun * 44100 / args[0]), kLeastBlocks);
    // The first block of each play is timed apart; the rest make the percentile.
    const int64_t plays = blocks * args[0] / (kSourceFrames - args[0]) + 1;
    benchmark::RegisterBenchmark("BM_Mix", BM_Mix)
        ->ArgNames({"block", "tempo", "effects", "helpers", "inline", "on_mix"})
        ->Args(args)
        ->Iterations(blocks + plays)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
