// Decoding a 10-minute stereo WAV (plain 16-bit, and 32-bit float through the
// converter) against sox decoding the same file, and encoding it to MP3 against
// lame run alone with the same arguments. Each iteration runs both sides back to
// back, so the ratio holds even on a busy machine; the counters give the median
// and the worst ratio. Every run checks its output: a decode must deliver the
// exact samples (each block compared with the signal, inside the decode's
// time, as an import reads them), our MP3 must be byte for byte the one lame
// alone writes.
#include <benchmark/benchmark.h>
#include <sndfile.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Folders.h"
#include "Lunder.h"
#include "Ombrel.h"
#include "../RunProgram.h"

namespace {

constexpr uint32_t kRate = 44100;
constexpr size_t kFrames = 10 * 60 * kRate;

struct Files {
  std::string folder, pcm16, float32, raw;
  std::vector<int16_t> signal;  // every sample the files hold
};

Files* g_files = nullptr;

// Processor time used so far by this process itself, or by its reaped children.
double CpuSeconds(int who) {
  rusage usage;
  getrusage(who, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

using bench::Run;

std::vector<char> Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The encode callback's source: the signal, handed out in the encoder's pieces.
const std::vector<int16_t>* g_signal = nullptr;
size_t g_signalAt = 0;
void FeedSignal(unsigned char* buffer, OmbrelByteCount capacity, OmbrelByteCount* got, int* cancel) {
  *cancel = 0;
  const size_t samples = std::min<size_t>(capacity / 2, g_signal->size() - g_signalAt);
  std::memcpy(buffer, g_signal->data() + g_signalAt, samples * 2);
  g_signalAt += samples;
  *got = static_cast<OmbrelByteCount>(samples * 2);
}

// A decode's blocks are compared, sample for sample, with the signal at
// their place (as an import at least reads every sample).
size_t g_samples = 0;
bool g_same = true;
void CompareBlock(unsigned char* data, OmbrelByteCount bytes, AudioQuality*, short, int* cancel) {
  *cancel = 0;
  const size_t samples = bytes / 2;
  const std::vector<int16_t>& signal = g_files->signal;
  g_same = g_same && g_samples + samples <= signal.size() &&
           std::memcmp(data, signal.data() + g_samples, samples * 2) == 0;
  g_samples += samples;
}

void MakeFiles() {
  static Files files;
  std::string pattern = platform::TemporaryFolder() + "/tessiro-bench-XXXXXX";
  if (!mkdtemp(pattern.data())) std::abort();
  files.folder = pattern;
  files.pcm16 = files.folder + "/ten-minutes.wav";
  files.float32 = files.folder + "/ten-minutes-float.wav";
  files.raw = files.folder + "/ten-minutes.pcm";

  // Music-like material: a few partials with slow vibrato and a little noise.
  std::vector<int16_t> signal(kFrames * 2);
  uint32_t noise = 12345;
  for (size_t f = 0; f < kFrames; ++f) {
    const double t = static_cast<double>(f) / kRate;
    const double vibrato = 1.0 + 0.003 * std::sin(2 * M_PI * 5 * t);
    for (int c = 0; c < 2; ++c) {
      noise = noise * 1664525u + 1013904223u;
      const double v = 6000 * std::sin(2 * M_PI * (220 + 110 * c) * vibrato * t) +
                       3000 * std::sin(2 * M_PI * 1234.5 * t + c) + 1500 * std::sin(2 * M_PI * 3321 * t) +
                       static_cast<double>(static_cast<int32_t>(noise >> 16) - 32768) / 64;
      signal[2 * f + static_cast<size_t>(c)] = static_cast<int16_t>(std::lround(v));
    }
  }

  g_signal = &signal;
  g_signalAt = 0;
  if (COmbrel().Encode(files.pcm16.c_str(), {kRate, 2, 16}, FeedSignal) != kOmbrelDone) std::abort();
  std::ofstream raw(files.raw, std::ios::binary);
  raw.write(reinterpret_cast<const char*>(signal.data()), static_cast<std::streamsize>(signal.size() * 2));
  raw.close();

  // Float samples of exactly s / 32768, so that the converter must give s back.
  SF_INFO info{};
  info.samplerate = kRate;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  SNDFILE* file = sf_open(files.float32.c_str(), SFM_WRITE, &info);
  if (!file) std::abort();
  std::vector<float> block(2 * kRate);
  for (size_t at = 0; at < signal.size(); at += block.size()) {
    const size_t n = std::min(block.size(), signal.size() - at);
    for (size_t i = 0; i < n; ++i) block[i] = static_cast<float>(signal[at + i]) / 32768.0f;
    sf_writef_float(file, block.data(), static_cast<sf_count_t>(n / 2));
  }
  sf_close(file);
  g_signal = nullptr;
  files.signal = std::move(signal);
  g_files = &files;
}

void RemoveFiles() {
  if (!g_files) return;
  for (const char* name : {"/ten-minutes.wav", "/ten-minutes-float.wav", "/ten-minutes.pcm", "/ours.mp3", "/lame.mp3"}) {
    std::remove((g_files->folder + name).c_str());
  }
  ::rmdir(g_files->folder.c_str());
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

void SetRatioCounters(benchmark::State& state, const std::vector<double>& ours, const std::vector<double>& theirs,
                      const char* anchor) {
  std::vector<double> ratios;
  for (size_t i = 0; i < ours.size(); ++i) ratios.push_back(ours[i] / theirs[i]);
  state.counters["ours_median_s"] = Median(ours);
  state.counters["ours_worst_s"] = *std::max_element(ours.begin(), ours.end());
  state.counters[std::string(anchor) + "_median_s"] = Median(theirs);
  state.counters["ratio_median"] = Median(ratios);
  state.counters["ratio_worst"] = *std::max_element(ratios.begin(), ratios.end());
}

void DecodeAgainstSox(benchmark::State& state, const std::string& path) {
  std::vector<double> ours, sox;
  for (auto _ : state) {
    g_samples = 0;
    g_same = true;
    auto start = std::chrono::steady_clock::now();
    const unsigned int result = COmbrel().Decode(path.c_str(), CompareBlock);
    const double mine = Seconds(start);
    if (result != kOmbrelDone || !g_same || g_samples != g_files->signal.size()) {
      state.SkipWithError("decode delivered the wrong samples");
      return;
    }
    start = std::chrono::steady_clock::now();
    if (!Run({"sox", "-D", path, "-t", "raw", "-e", "signed-integer", "-b", "16", "/dev/null"})) {
      state.SkipWithError("sox failed");
      return;
    }
    sox.push_back(Seconds(start));
    ours.push_back(mine);
    state.SetIterationTime(mine);
  }
  SetRatioCounters(state, ours, sox, "sox");
}

void BM_DecodePcm16AgainstSox(benchmark::State& state) { DecodeAgainstSox(state, g_files->pcm16); }
void BM_DecodeFloatAgainstSox(benchmark::State& state) { DecodeAgainstSox(state, g_files->float32); }

void BM_EncodeMp3AgainstLame(benchmark::State& state) {
  const std::string ours = g_files->folder + "/ours.mp3";
  const std::string alone = g_files->folder + "/lame.mp3";
  const std::vector<std::string> lameArgs = {"lame", "--brief", "--disptime", ".05", "-r", "-b", "128", "--signed",
                                             "--little-endian", "-s", "44.100000", "--bitwidth", "16", "-m", "s",
                                             g_files->raw, alone};
  // We run LAME at the lowest priority, so lame alone is timed both ways: the
  // difference to the niced run is our own overhead, the rest is scheduling.
  std::vector<std::string> nicedArgs = {"nice", "-n", "19"};
  nicedArgs.insert(nicedArgs.end(), lameArgs.begin(), lameArgs.end());
  // Processor time shows our own overhead apart from the machine's load: ours
  // while our encode ran (reading LAME's progress, replacing the file), LAME's
  // in the same run.
  std::vector<double> mine, lame, niced, ourCpu, lameCpu;
  for (auto _ : state) {
    const double selfBefore = CpuSeconds(RUSAGE_SELF), childrenBefore = CpuSeconds(RUSAGE_CHILDREN);
    auto start = std::chrono::steady_clock::now();
    const unsigned int result = CLunder().Encode(g_files->raw.c_str(), 128, {kRate, 2, 16}, ours.c_str(), nullptr);
    const double t = Seconds(start);
    ourCpu.push_back(CpuSeconds(RUSAGE_SELF) - selfBefore);
    lameCpu.push_back(CpuSeconds(RUSAGE_CHILDREN) - childrenBefore);
    start = std::chrono::steady_clock::now();
    const bool ran = Run(lameArgs);
    const double l = Seconds(start);
    start = std::chrono::steady_clock::now();
    const bool ranNiced = Run(nicedArgs);
    const double n = Seconds(start);
    if (result != kLunderDone || !ran || !ranNiced) {
      state.SkipWithError("an encode failed");
      return;
    }
    const std::vector<char> a = Slurp(ours), b = Slurp(alone);
    if (a.size() < 1000000 || a != b) {
      state.SkipWithError("our MP3 differs from lame's own");
      return;
    }
    mine.push_back(t);
    lame.push_back(l);
    niced.push_back(n);
    state.SetIterationTime(t);
  }
  SetRatioCounters(state, mine, lame, "lame");
  std::vector<double> ratios;
  for (size_t i = 0; i < mine.size(); ++i) ratios.push_back(mine[i] / niced[i]);
  state.counters["lame_niced_median_s"] = Median(niced);
  state.counters["ratio_to_niced_median"] = Median(ratios);
  state.counters["our_cpu_median_s"] = Median(ourCpu);
  state.counters["lame_cpu_median_s"] = Median(lameCpu);
}

}  // namespace

BENCHMARK(BM_DecodePcm16AgainstSox)->Iterations(7)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeFloatAgainstSox)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeMp3AgainstLame)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  MakeFiles();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  RemoveFiles();
  return 0;
}
