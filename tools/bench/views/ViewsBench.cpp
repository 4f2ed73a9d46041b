// The waveform painter at the width of a full-screen editor (1600 pixels), with
// the budget of a view redrawn at 60 frames per second: 4 ms a waveform.
//
// Each case reports the median and the worst draw of its iterations. The last
// picture is checked against the audio worked out here: in every column each
// channel's drawing must reach the extremes of that column's frames (for the
// peak file within its coarser steps, between neighbouring columns within the
// outline's joins), and a stretch drawn sample by sample must mark every sample.
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

// Stereo: each channel around its quarter line, a quarter of the height each way.
constexpr int kScale = kHeight / 4;
int Centre(int channel) { return kHeight / 4 + channel * kHeight / 2; }
int Offset(int sample) { return sample * kScale / 32768; }

bool Drawn(const draw::CBitmap& bitmap, int x, int y) {
  const draw::COLORREF c = bitmap.Pixel(x, y);
  return c == kFill || c == 0x000000;
}

// The rows a column's drawing reaches in a channel's band; false when it draws nothing there.
bool DrawnRows(const draw::CBitmap& bitmap, int x, int channel, int* top, int* bottom) {
  *top = kHeight;
  *bottom = -1;
  for (int y = std::max(1, Centre(channel) - kScale - 2); y <= std::min(kHeight - 2, Centre(channel) + kScale + 2); ++y) {
    if (Drawn(bitmap, x, y)) {
      *top = std::min(*top, y);
      *bottom = std::max(*bottom, y);
    }
  }
  return *bottom >= 0;
}

// Each column's drawing against the extremes of its frames, from the centre
// line out (as the painter starts), allowing slack pixels and the outline's
// joins to the neighbouring columns.
bool DrawsTheExtremes(const draw::CBitmap& bitmap, uint32_t first, uint32_t last, int slack) {
  const uint64_t span = last - first;
  for (int c = 0; c < 2; ++c) {
    std::vector<int> tops(kWidth), bottoms(kWidth);
    for (int x = 0; x < kWidth; ++x) {
      int high = 0, low = 0;
      const uint32_t from = first + static_cast<uint32_t>(span * x / kWidth), to = first + static_cast<uint32_t>(span * (x + 1) / kWidth);
      for (uint32_t f = from; f < to; ++f) {
        high = std::max<int>(high, Music(f, c));
        low = std::min<int>(low, Music(f, c));
      }
      tops[x] = Centre(c) - Offset(high);
      bottoms[x] = Centre(c) - Offset(low);
    }
    for (int x = 3; x < kWidth - 3; ++x) {
      int top = 0, bottom = 0;
      if (!DrawnRows(bitmap, x, c, &top, &bottom)) return false;
      const int highest = std::min({tops[x - 1], tops[x], tops[x + 1]});
      const int lowest = std::max({bottoms[x - 1], bottoms[x], bottoms[x + 1]});
      if (top < highest - slack || top > tops[x] + slack || bottom > lowest + slack || bottom < bottoms[x] - slack) {
        return false;
      }
    }
  }
  return true;
}

// A stretch drawn sample by sample: a mark drawn at every sample's place.
bool MarksEverySample(const draw::CBitmap& bitmap, uint32_t first, uint32_t last) {
  const uint32_t n = last - first;
  for (int c = 0; c < 2; ++c) {
    for (uint32_t v = 1; v < n; ++v) {
      const int x = static_cast<int>(static_cast<int64_t>(kWidth) * v / n);
      const int y = Centre(c) - Offset(Music(first + v, c));
      if (!Drawn(bitmap, x, y)) return false;
    }
  }
  return true;
}

template <typename Draw, typename Check>
void Measure(benchmark::State& state, Draw&& drawOnce, Check&& isRight) {
  draw::CBitmap bitmap(kWidth, kHeight, 1.0, 0xF8F8F8);
  std::vector<double> ms;
  for (auto _ : state) {
    draw::CCanvas canvas(bitmap);
    const auto begin = std::chrono::steady_clock::now();
    drawOnce(canvas);
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
    benchmark::ClobberMemory();
  }
  if (!isRight(bitmap)) {
    state.SkipWithError("the waveform drawn is not the audio's");
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
  // A peak byte keeps the extreme to 128 steps; records are sampled a few per column.
  Measure(
      state, [&](draw::CCanvas& canvas) { DrawSpan(canvas, segment, 0, segment.length); },
      [&](const draw::CBitmap& bitmap) { return DrawsTheExtremes(bitmap, 0, segment.length, 3); });
}

// The widest stretch the painter reads from the audio: 16384 frames.
void BM_WidestStretchFromTheAudio(benchmark::State& state) {
  CAudioSegment& segment = TenMinutesStereo();
  Measure(
      state, [&](draw::CCanvas& canvas) { DrawSpan(canvas, segment, 1000000, 1000000 + 16384); },
      [](const draw::CBitmap& bitmap) { return DrawsTheExtremes(bitmap, 1000000, 1000000 + 16384, 2); });
}

// Ten seconds from the audio: the block rendering asked for far more than it
// is ever given, to show what reading audio costs against the peak file.
void BM_TenSecondsFromTheAudio(benchmark::State& state) {
  CAudioSegment& segment = TenMinutesStereo();
  CSegmentWaveformSource source(segment);
  Measure(
      state,
      [&](draw::CCanvas& canvas) {
        canvas.SelectPen(kOutline);
        DrawBlockWaveform(source, canvas, kOutline, kBrush, draw::CBrush::Solid(0xB4B4B4), 0, 0, kWidth, kHeight,
                          1000000, 1000000 + 441000, &kQuarter);
      },
      [](const draw::CBitmap& bitmap) { return DrawsTheExtremes(bitmap, 1000000, 1000000 + 441000, 2); });
}

void BM_TwoHundredFiftySixFramesAsSamples(benchmark::State& state) {
  CAudioSegment& segment = TenMinutesStereo();
  Measure(
      state, [&](draw::CCanvas& canvas) { DrawSpan(canvas, segment, 2000000, 2000256); },
      [](const draw::CBitmap& bitmap) { return MarksEverySample(bitmap, 2000000, 2000256); });
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
