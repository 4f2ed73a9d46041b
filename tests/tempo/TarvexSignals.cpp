#include <algorithm>
#include <cmath>
#include <random>

#include "TarvexProbe.h"

namespace tarvex_test {

std::vector<int16_t> Sine(double hz, double rate, uint32_t frames, int channels, double amplitude) {
  std::vector<int16_t> out(static_cast<size_t>(frames) * channels);
  const double w = 2.0 * M_PI * hz / rate;
  for (uint32_t i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) {
      out[static_cast<size_t>(i) * channels + c] = static_cast<int16_t>(std::lround(amplitude * std::sin(w * i + c * M_PI / 2)));
    }
  }
  return out;
}

std::vector<int16_t> Noise(uint32_t frames, int channels, uint32_t seed, int amplitude) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> value(-amplitude, amplitude);
  std::vector<int16_t> out(static_cast<size_t>(frames) * channels);
  for (int16_t& s : out) s = static_cast<int16_t>(value(random));
  return out;
}

double MeasureHz(const std::vector<int16_t>& samples, int channels, int channel, double rate, uint32_t margin) {
  const size_t frames = samples.size() / channels;
  double first = -1, last = -1;
  int crossings = 0;
  for (size_t i = margin + 1; i + margin < frames; ++i) {
    const double before = samples[(i - 1) * channels + channel];
    const double now = samples[i * channels + channel];
    if (before < 0 && now >= 0) {
      const double at = static_cast<double>(i - 1) + (-before) / (now - before);
      if (first < 0) first = at;
      last = at;
      ++crossings;
    }
  }
  if (crossings < 2) return 0;
  return (crossings - 1) * rate / (last - first);
}

std::vector<int16_t> Flush(CTarvex& t, int channels) {
  std::vector<int16_t> out;
  std::vector<int16_t> buffer(8192 * channels);
  uint32_t got = 0;
  do {
    t.FlushStorage(buffer.data(), 8192, &got);
    out.insert(out.end(), buffer.begin(), buffer.begin() + static_cast<size_t>(got) * channels);
  } while (got == 8192);
  return out;
}

std::vector<int16_t> StreamAsAsked(CTarvex& t, const std::vector<int16_t>& in, int channels, uint32_t maxFeed) {
  const uint32_t total = static_cast<uint32_t>(in.size() / channels);
  std::vector<int16_t> out;
  std::vector<int16_t> buffer(static_cast<size_t>(t.outputBlockFrames) * channels);
  uint32_t fed = 0;
  for (;;) {
    const uint32_t n = std::min({t.GetMinSamplesNeededForOutput(), maxFeed, total - fed});
    uint32_t got = 0;
    t.ProcessAudio(in.data() + static_cast<size_t>(fed) * channels, n, buffer.data(), &got);
    out.insert(out.end(), buffer.begin(), buffer.begin() + static_cast<size_t>(got) * channels);
    fed += n;
    if (fed == total && got == 0) break;
  }
  const std::vector<int16_t> rest = Flush(t, channels);
  out.insert(out.end(), rest.begin(), rest.end());
  return out;
}

std::vector<int16_t> StreamInBlocks(CTarvex& t, const std::vector<int16_t>& in, int channels, uint32_t block,
                                    bool drainBeforeFlush) {
  const uint32_t total = static_cast<uint32_t>(in.size() / channels);
  std::vector<int16_t> out;
  std::vector<int16_t> buffer(static_cast<size_t>(t.outputBlockFrames) * channels);
  auto call = [&](uint32_t at, uint32_t n) {
    uint32_t got = 0;
    t.ProcessAudio(in.data() + static_cast<size_t>(at) * channels, n, buffer.data(), &got);
    out.insert(out.end(), buffer.begin(), buffer.begin() + static_cast<size_t>(got) * channels);
    return got;
  };
  for (uint32_t fed = 0; fed < total; fed += std::min(block, total - fed)) call(fed, std::min(block, total - fed));
  if (drainBeforeFlush) {
    while (call(0, 0) > 0) {
    }
  }
  const std::vector<int16_t> rest = Flush(t, channels);
  out.insert(out.end(), rest.begin(), rest.end());
  return out;
}

}  // namespace tarvex_test
