// The waveform painter at the width of a full-screen editor (1600 pixels), with
// the budget of a view redrawn at 60 frames per second: 4 ms a waveform.
//
// Each case reports the median and the worst draw of its iterations; a draw
// that leaves the waveform's fill nowhere in the picture fails the case.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <vector>

#include "AudioSegment.h"
#include "WaveformFixtures.h"
#include "Folders.h"
#include "waveform/WaveformPainter.h"

namespace {

constexpr int kWidth = 1600;
constexpr int kHeight = 240;
constexpr draw::COLORREF kFill = 0xFF8000;

std::string g_folder;

int16_t Music(uint32_t frame, int channel) {
  const double t = frame / 44100.0;
  const double level = 0.5 + 0.45 * std::sin(2 * M_PI * 0.3 * t + channel);
  return static_cast<int16_t>(std::sin(2 * M_PI * (220 + 110 * channel) * t) * level * 30000);
}


CAudioSegment& TenMinutesStereo() {
  static std::unique_ptr<CAudioSegment> segment = tessiro::test::MakeWaveSegment(g_folder, 2, 44100 * 600, Music);
  return *segment;
}

bool HasFill(const draw::CBitmap& bitmap) {
  for (int x = 10; x < kWidth; x += 97) {
    for (int y = 0; y < kHeight; ++y) {
      if (bitmap.Pixel(x, y) == kFill) return true;
    }
  }
  return false;
}

template <typename Draw>
void Measure(benchmark::State& state, Draw&& drawOnce) {
  draw::CBitmap bitmap(kWidth, kHeight, 1.0, 0xF8F8F8);
  std::vector<double> ms;
  for (auto _ : state) {
    draw::CCanvas canvas(bitmap);
    const auto begin = std::chrono::steady_clock::now();
    drawOnce(canvas);
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
    benchmark::ClobberMemory();
  }
  if (!HasFill(bitmap)) {
    state.SkipWithError("no waveform was drawn");
    return;
  }
  std::sort(ms.begin(), ms.end());
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["worst_ms"] = ms.back();
  state.counters["budget_ms"] = 4.0;
}

const draw::CPen kOutline = draw::CPen::Solid(0x000000);
const draw::CBrush kBrush = draw::CBrush::Solid(kFill);
const draw::CPen kQuarter = draw::CPen::Dotted(0x646464);

void DrawSpan(draw::CCanvas& canvas, CAudioSegment& segment, uint32_t first, uint32_t last) {
  DrawWaveform(&segment, &canvas, &kOutline, &kBrush, draw::CBrush::Solid(0xB4B4B4), 0, 0, kWidth, kHeight, first,
               last, &kQuarter);
}

void BM_TenMinutesStereoFromThePeakFile(benchmark::State& state) {
  CAudioSegment& segment = TenMinutesStereo();
  Measure(state, [&](draw::CCanvas& canvas) { DrawSpan(canvas, segment, 0, segment.length); });
}

// The widest stretch the painter reads from the audio: 16384 frames.
void BM_WidestStretchFromTheAudio(benchmark::State& state) {
  CAudioSegment& segment = TenMinutesStereo();
  Measure(state, [&](draw::CCanvas& canvas) { DrawSpan(canvas, segment, 1000000, 1000000 + 16384); });
}

// Ten seconds from the audio: the block rendering asked for far more than it
// is ever given, to show what reading audio costs against the peak file.
void BM_TenSecondsFromTheAudio(benchmark::State& state) {
  CAudioSegment& segment = TenMinutesStereo();
  CSegmentWaveformSource source(segment);
  Measure(state, [&](draw::CCanvas& canvas) {
    canvas.SelectPen(kOutline);
    DrawBlockWaveform(source, canvas, kOutline, kBrush, draw::CBrush::Solid(0xB4B4B4), 0, 0, kWidth, kHeight,
                      1000000, 1000000 + 441000, &kQuarter);
  });
}

void BM_TwoHundredFiftySixFramesAsSamples(benchmark::State& state) {
  CAudioSegment& segment = TenMinutesStereo();
  Measure(state, [&](draw::CCanvas& canvas) { DrawSpan(canvas, segment, 2000000, 2000256); });
}

BENCHMARK(BM_TenMinutesStereoFromThePeakFile)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_WidestStretchFromTheAudio)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_TenSecondsFromTheAudio)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_TwoHundredFiftySixFramesAsSamples)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  g_folder = platform::TemporaryFolder() + "/tessiro-views-bench";
  std::filesystem::create_directories(g_folder);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  std::filesystem::remove_all(g_folder, ignored);
  return 0;
}
