// Runs raw 16-bit 44100 Hz audio through an effect chain, block by block as
// a destructive edit does, for comparisons with other tools.
//
//   zelmo_apply signal SECONDS OUT.raw          stereo test signal (tones and noise)
//   zelmo_apply echo-taps GAIN DECAY            the tap gains an echo makes, one a line
//   zelmo_apply reverb-taps GAIN DECAY          the same for a reverb, whose copies sit
//                                               one delay apart from the first delay on
//   zelmo_apply diff A.raw B.raw                largest sample difference over the shorter file
//   zelmo_apply check OURS.raw IN.raw EFFECT ARGS
//                                               OURS against the effect worked out here
//                                               plainly from IN (reverb, chorus, flange, equalizer;
//                                               stereo, the whole file at once, in double
//                                               precision): prints the largest difference
//                                               beyond rounding, the differing samples and
//                                               the samples compared; fails unless all agree
//   zelmo_apply [--mono] [--block N] [--inline] IN.raw OUT.raw EFFECT ARGS... [EFFECT ARGS...]
//     echo DRY GAIN DECAY DELAY_MS | reverb DRY GAIN DECAY DELAY_MS |
//     chorus|flange DRY WET LFO_HZ PHASE_DEG DELAY_MS DEPTH_MS | equalizer DB0 ... DB9
//
// The run prints the processing time (without file input and output) on stderr.
#include <algorithm>
#include <chrono>
#include <complex>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "BenchChains.h"
#include "../SampleDifference.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kUsage = 2;

bool ReadFile(const char* path, std::vector<short>& out) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  std::fseek(f, 0, SEEK_END);
  const long bytes = std::ftell(f);
  std::fseek(f, 0, SEEK_SET);
  out.resize(static_cast<size_t>(bytes) / sizeof(short));
  const size_t got = std::fread(out.data(), sizeof(short), out.size(), f);
  std::fclose(f);
  return got == out.size();
}

bool WriteFile(const char* path, const short* data, size_t samples) {
  FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  const size_t put = std::fwrite(data, sizeof(short), samples, f);
  return std::fclose(f) == 0 && put == samples;
}

int MakeSignal(double seconds, const char* path) {
  const size_t frames = static_cast<size_t>(seconds * 44100);
  std::vector<short> out(frames * 2);
  std::mt19937 random(2024);
  std::normal_distribution<double> noise(0.0, 600.0);
  for (size_t i = 0; i < frames; ++i) {
    const double t = i / 44100.0;
    // Three tones that come and go, over a little noise; peaks stay near 10000
    // so that echoes of it do not clip.
    const double swell = 0.5 + 0.5 * std::sin(2 * M_PI * 0.2 * t);
    const double tone = 3500 * std::sin(2 * M_PI * 220 * t) + 2000 * swell * std::sin(2 * M_PI * 659.3 * t) +
                        1200 * std::sin(2 * M_PI * 1760 * t + 0.3);
    out[2 * i] = static_cast<short>(std::lround(tone + noise(random)));
    out[2 * i + 1] = static_cast<short>(std::lround(0.8 * tone + noise(random)));
  }
  return WriteFile(path, out.data(), out.size()) ? 0 : 1;
}

int PrintEchoTaps(float gain, float decay) {
  // The gains fall by decay x gain a tap, rounded to thousandths, down to 0.01.
  const float step = decay * gain;
  for (float u = gain; u >= 0.01f;) {
    std::printf("%.3f\n", u);
    const float next = std::trunc((u - step) * 1000.0f + 0.5f) / 1000.0f;
    if (!(next < u)) break;
    u = next;
  }
  return 0;
}

int PrintReverbTaps(float gain, float decay) {
  // Half delays at a gain falling by half of decay x gain each; every second one is heard.
  const float halfStep = decay * gain * 0.5f;
  float u = gain;
  for (unsigned k = 0; u >= 0.001f; ++k) {
    if (k & 1) std::printf("%.3f\n", u);
    const float next = std::trunc((u - halfStep) * 1000.0f + 0.5f) / 1000.0f;
    if (!(next < u)) break;
    u = next;
  }
  return 0;
}

int Diff(const char* a, const char* b) {
  std::vector<short> x, y;
  if (!ReadFile(a, x) || !ReadFile(b, y)) return 1;
  const bench::SampleDifference d = bench::Difference(x, y);
  std::printf("%d %zu %zu\n", d.worst, d.differing, std::min(x.size(), y.size()));
  return 0;
}

float Arg(char** argv, int& i, int argc) {
  if (i >= argc) {
    std::fprintf(stderr, "missing effect argument\n");
    std::exit(2);
  }
  return std::strtof(argv[i++], nullptr);
}

int Apply(int argc, char** argv) {
  short channels = 2;
  uint32_t block = 88200;
  bool inlineWorkers = false;
  int i = 1;
  for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
    if (!std::strcmp(argv[i], "--mono")) channels = 1;
    else if (!std::strcmp(argv[i], "--inline")) inlineWorkers = true;
    else if (!std::strcmp(argv[i], "--block") && i + 1 < argc) block = static_cast<uint32_t>(std::atoi(argv[++i]));
  }
  if (argc - i < 3) {
    std::fprintf(stderr, "usage: zelmo_apply [--mono] [--block N] [--inline] IN.raw OUT.raw EFFECT ARGS...\n");
    return 2;
  }
  const char* in = argv[i++];
  const char* out = argv[i++];
  ZelmoSetInlineWorkers(inlineWorkers);
  auto chain = bench::BuildChain(0, channels, block);
  while (i < argc) {
    const std::string name = argv[i++];
    if (name == "echo") {
      EchoParams p;
      p.dryGainLeft = p.dryGainRight = Arg(argv, i, argc);
      p.echoGainLeft = p.echoGainRight = Arg(argv, i, argc);
      p.decayLeft = p.decayRight = Arg(argv, i, argc);
      p.delayMsLeft = p.delayMsRight = Arg(argv, i, argc);
      chain->SetEffectParameters(bench::Add(*chain, ZelmoEcho), &p);
    } else if (name == "reverb") {
      ReverbParams p;
      p.dryGainLeft = p.dryGainRight = Arg(argv, i, argc);
      p.reverbGainLeft = p.reverbGainRight = Arg(argv, i, argc);
      p.decayLeft = p.decayRight = Arg(argv, i, argc);
      p.delayMsLeft = p.delayMsRight = Arg(argv, i, argc);
      chain->SetEffectParameters(bench::Add(*chain, ZelmoReverb), &p);
    } else if (name == "chorus" || name == "flange") {
      ChorusFlangeParams p;
      p.dryGainLeft = p.dryGainRight = Arg(argv, i, argc);
      p.wetGainLeft = p.wetGainRight = Arg(argv, i, argc);
      p.lfoHzLeft = p.lfoHzRight = Arg(argv, i, argc);
      p.lfoPhaseDegLeft = p.lfoPhaseDegRight = Arg(argv, i, argc);
      p.delayMsLeft = p.delayMsRight = Arg(argv, i, argc);
      p.depthMsLeft = p.depthMsRight = Arg(argv, i, argc);
      chain->SetEffectParameters(bench::Add(*chain, name == "chorus" ? ZelmoChorus : ZelmoFlange), &p);
    } else if (name == "equalizer") {
      EqualizerInit init = bench::ProgramBands();
      EqualizerParams p{0, {}, {}};
      for (int b = 0; b < kEqualizerBandCount; ++b) {
        p.left.gains[b] = p.right.gains[b] = static_cast<float>(std::pow(10.0, Arg(argv, i, argc) / 20.0));
      }
      chain->SetEffectParameters(bench::Add(*chain, ZelmoEqualizer, &init), &p);
    } else {
      std::fprintf(stderr, "unknown effect %s\n", name.c_str());
      return 2;
    }
  }

  // Streamed block by block, as sox streams: neither side holds the whole file.
  FILE* source = std::fopen(in, "rb");
  FILE* sink = std::fopen(out, "wb");
  if (!source || !sink) {
    std::fprintf(stderr, "cannot open %s or %s\n", in, out);
    return 1;
  }
  std::fseek(source, 0, SEEK_END);
  const size_t frames = static_cast<size_t>(std::ftell(source)) / (sizeof(short) * channels);
  std::fseek(source, 0, SEEK_SET);
  std::vector<short> work(size_t{block + 16384} * channels);
  std::chrono::duration<double> processing{0};
  size_t read = 0;
  for (size_t done = 0; done < frames;) {
    const uint32_t need = chain->GetMinSamplesNeededForOutput();
    const size_t want = std::min<size_t>(need, frames - read);
    const size_t got = std::fread(work.data(), sizeof(short) * channels, want, source);
    std::fill(work.begin() + got * channels, work.end(), 0);
    const auto start = std::chrono::steady_clock::now();
    chain->ProcessAudio(work.data(), need);
    processing += std::chrono::steady_clock::now() - start;
    const size_t keep = std::min<size_t>(block, frames - done);
    std::fwrite(work.data(), sizeof(short) * channels, keep, sink);
    read += got;
    done += keep;
  }
  std::fclose(source);
  const bool written = std::fclose(sink) == 0;
  std::fprintf(stderr, "processing %.3f s for %.1f s of audio\n", processing.count(), frames / 44100.0);
  return written ? 0 : 1;
}


// ---- Plain references of the modulated delay and the equalizer --------------
//
// Written from the effects' rules, not from their code: the whole file at
// once, one channel at a time, in double precision. What separates them from
// the chain is rounding: a 16-bit result may differ by kRounding, and the
// chain places a modulated read in single precision, within kPlacement of a
// frame, so there the reference is the range the interpolation spans around
// the exact place.

constexpr double kRounding = 2.0;
constexpr double kPlacement = 0.01;

short Clip(double v) { return static_cast<short>(std::clamp(std::trunc(v), -32767.0, 32767.0)); }

struct Span {
  double least, most;
};

// Chorus and flange: the first `delay` samples dry, then each sample mixed with
// the input read `delay - table x depth` samples back, interpolated linearly;
// the table is one period of the LFO, from 0 to 1.
std::vector<Span> ReferencePhaser(const std::vector<short>& in, int channel, const ChorusFlangeParams& p) {
  const size_t frames = in.size() / 2;
  const auto x = [&](size_t i) { return static_cast<double>(in[std::min(i, frames - 1) * 2 + channel]); };
  const uint32_t delay = static_cast<uint32_t>(p.delayMsLeft / 1000.0f * 44100.0f);
  const uint32_t depth = static_cast<uint32_t>(p.depthMsLeft / 1000.0f * 44100.0f);
  const uint32_t n = static_cast<uint32_t>(44100.0f / p.lfoHzLeft);
  std::vector<double> table(n);
  for (uint32_t i = 0; i < n; ++i) {
    table[i] = std::sin(p.lfoPhaseDegLeft * kPi / 360 + i * 2 * kPi / n - kPi / 4) * 0.5 + 0.5;
  }
  std::vector<Span> out(frames);
  for (size_t g = 0; g < frames; ++g) {
    const double dry = p.dryGainLeft * x(g);
    if (g < delay) {
      out[g] = {std::trunc(dry), std::trunc(dry)};
      continue;
    }
    const size_t m = g - delay;
    const double place = static_cast<double>(m) + table[m % n] * depth;
    const auto at = [&](double where) {
      const double k = std::floor(where);
      const size_t i = static_cast<size_t>(std::max(k, 0.0));
      return p.wetGainLeft * (x(i) + (where - k) * (x(i + 1) - x(i))) + dry;
    };
    double least = at(place - kPlacement), most = least;
    for (const double where : {place + kPlacement, std::floor(place + kPlacement)}) {
      if (where < place - kPlacement) continue;
      least = std::min(least, at(where));
      most = std::max(most, at(where));
    }
    out[g] = {static_cast<double>(Clip(least)), static_cast<double>(Clip(most))};
  }
  return out;
}

// The reverb: the input, times the dry gain, with copies of it every second
// half delay (the delay in samples halved, doubled), the gain falling by half
// the decay step per half delay. Each copy is added on its own, so each may
// round its own way: the slack grows by one a copy.
std::vector<Span> ReferenceReverb(const std::vector<short>& in, int channel, const ReverbParams& p) {
  const size_t frames = in.size() / 2;
  const uint32_t half = static_cast<uint32_t>(p.delayMsLeft / 1000.0f * 44100.0f) >> 1;
  std::vector<std::pair<size_t, double>> copies;
  float u = p.reverbGainLeft;
  for (uint32_t k = 0; u >= 0.001f; ++k) {
    if (k & 1) copies.push_back({size_t{k + 1} * half, u});
    const float next = std::trunc((u - p.decayLeft * p.reverbGainLeft * 0.5f) * 1000.0f + 0.5f) / 1000.0f;
    if (!(next < u)) break;
    u = next;
  }
  std::vector<Span> out(frames);
  const double slack = static_cast<double>(copies.size());
  for (size_t g = 0; g < frames; ++g) {
    double v = p.dryGainLeft == 1.0f ? in[g * 2 + channel] : std::trunc(p.dryGainLeft * in[g * 2 + channel]);
    for (const auto& [back, gain] : copies) {
      if (g >= back) v += gain * in[(g - back) * 2 + channel];
    }
    out[g] = {static_cast<double>(Clip(v - slack)), static_cast<double>(Clip(v + slack))};
  }
  return out;
}

// An in-place radix-2 transform of complex values; inverse without the 1/N.
void Transform(std::vector<std::complex<double>>& a, bool inverse) {
  const size_t n = a.size();
  static std::vector<std::complex<double>> turns;  // e^(-2 pi i k / n)
  if (turns.size() != n / 2) {
    turns.resize(n / 2);
    for (size_t k = 0; k < n / 2; ++k) turns[k] = std::polar(1.0, -2 * kPi * static_cast<double>(k) / static_cast<double>(n));
  }
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (size_t len = 2; len <= n; len <<= 1) {
    const size_t stride = n / len;
    for (size_t i = 0; i < n; i += len) {
      for (size_t k = 0; k < len / 2; ++k) {
        const std::complex<double> w = inverse ? std::conj(turns[k * stride]) : turns[k * stride];
        const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * w;
        a[i + k] = u + v;
        a[i + k + len / 2] = u - v;
      }
    }
  }
}

// The equalizer: frames of N samples a hop of N/2 apart, each windowed (Hann
// over N - 1), its spectrum scaled bin by bin by the gain curve, transformed
// back and overlap-added to the second half of the frame before; the first
// frame's first half is zeros. Output k is the input at k filtered, no later.
std::vector<Span> ReferenceEqualizer(const std::vector<short>& in, int channel, const EqualizerInit& init,
                                     const EqualizerBands& bands) {
  const size_t n = static_cast<size_t>(init.fftSize), half = n / 2;
  const size_t frames = in.size() / 2;
  const auto x = [&](size_t i) { return i < frames ? static_cast<double>(in[i * 2 + channel]) : 0.0; };
  int bin[kEqualizerBandCount];
  for (int b = 0; b < kEqualizerBandCount; ++b) {
    bin[b] = static_cast<int>(static_cast<double>(n) * 0.5 / 22050 * init.centreHz[b] + 0.5);
  }
  std::vector<double> curve(half);
  for (size_t k = 0; k < half; ++k) {
    const int kk = static_cast<int>(k);
    if (kk <= bin[0]) {
      curve[k] = bands.gains[0];
    } else if (kk >= bin[kEqualizerBandCount - 1]) {
      curve[k] = bands.gains[kEqualizerBandCount - 1];
    } else {
      int c = 0;
      while (!(bin[c] < kk && kk <= bin[c + 1])) ++c;
      const double f = static_cast<double>(kk - bin[c]) / (bin[c + 1] - bin[c]);
      curve[k] = bands.gains[c] + f * (bands.gains[c + 1] - bands.gains[c]);
    }
  }
  // One frame's result, the input from `first` windowed from window place `offset`.
  std::vector<std::complex<double>> a(n);
  std::vector<double> frame(n), hann(n);
  for (size_t i = 0; i < n; ++i) hann[i] = 0.5 - 0.5 * std::cos(2 * kPi * static_cast<double>(i) / static_cast<double>(n - 1));
  const auto transform = [&](size_t first, size_t offset, size_t count) {
    std::fill(a.begin(), a.end(), 0.0);
    for (size_t i = 0; i < count; ++i) a[offset + i] = x(first + i) * hann[offset + i] / 32768;
    Transform(a, false);
    // Bin k by its own gain; the rule's walk from both ends gives the top bin the lowest band's.
    for (size_t k = 0; k < half; ++k) {
      a[k] *= curve[k];
      if (k > 0) a[n - k] *= curve[k];
    }
    a[half] *= curve[0];
    Transform(a, true);
    for (size_t i = 0; i < n; ++i) frame[i] = Clip(a[i].real() / static_cast<double>(n) * 32768);
  };
  std::vector<Span> out(frames);
  transform(0, half, half);
  std::vector<double> tail(frame.begin() + static_cast<ptrdiff_t>(half), frame.end());
  for (size_t at = 0; at < frames; at += half) {
    transform(at, 0, n);
    for (size_t k = 0; k < half && at + k < frames; ++k) {
      const double v = Clip(tail[k] + frame[k]);
      out[at + k] = {v, v};
    }
    std::copy(frame.begin() + static_cast<ptrdiff_t>(half), frame.end(), tail.begin());
  }
  return out;
}

int Check(int argc, char** argv) {
  if (argc < 5) return kUsage;
  std::vector<short> ours, in;
  if (!ReadFile(argv[2], ours) || !ReadFile(argv[3], in) || in.size() % 2 != 0) return 1;
  const std::string name = argv[4];
  int i = 5;
  std::vector<Span> expected[2];
  if (name == "chorus" || name == "flange") {
    ChorusFlangeParams p;
    p.dryGainLeft = Arg(argv, i, argc);
    p.wetGainLeft = Arg(argv, i, argc);
    p.lfoHzLeft = Arg(argv, i, argc);
    p.lfoPhaseDegLeft = Arg(argv, i, argc);
    p.delayMsLeft = Arg(argv, i, argc);
    p.depthMsLeft = Arg(argv, i, argc);
    for (int c = 0; c < 2; ++c) expected[c] = ReferencePhaser(in, c, p);
  } else if (name == "reverb") {
    ReverbParams p;
    p.dryGainLeft = Arg(argv, i, argc);
    p.reverbGainLeft = Arg(argv, i, argc);
    p.decayLeft = Arg(argv, i, argc);
    p.delayMsLeft = Arg(argv, i, argc);
    for (int c = 0; c < 2; ++c) expected[c] = ReferenceReverb(in, c, p);
  } else if (name == "equalizer") {
    EqualizerBands bands;
    for (int b = 0; b < kEqualizerBandCount; ++b) {
      bands.gains[b] = static_cast<float>(std::pow(10.0, Arg(argv, i, argc) / 20.0));
    }
    for (int c = 0; c < 2; ++c) expected[c] = ReferenceEqualizer(in, c, bench::ProgramBands(), bands);
  } else {
    std::fprintf(stderr, "no reference for %s\n", name.c_str());
    return kUsage;
  }
  const size_t samples = std::min(ours.size(), in.size());
  double worst = 0;
  size_t differing = 0;
  for (size_t s = 0; s < samples; ++s) {
    const Span& e = expected[s % 2][s / 2];
    const double off = std::max(e.least - ours[s], ours[s] - e.most) - kRounding;
    if (off > 0) {
      ++differing;
      worst = std::max(worst, off);
    }
  }
  std::printf("%.0f %zu %zu\n", std::ceil(worst), differing, samples);
  return differing == 0 && ours.size() == in.size() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && !std::strcmp(argv[1], "signal")) return MakeSignal(std::atof(argv[2]), argv[3]);
  if (argc == 4 && !std::strcmp(argv[1], "echo-taps")) return PrintEchoTaps(std::strtof(argv[2], nullptr), std::strtof(argv[3], nullptr));
  if (argc == 4 && !std::strcmp(argv[1], "reverb-taps")) {
    return PrintReverbTaps(std::strtof(argv[2], nullptr), std::strtof(argv[3], nullptr));
  }
  if (argc == 4 && !std::strcmp(argv[1], "diff")) return Diff(argv[2], argv[3]);
  if (argc >= 5 && !std::strcmp(argv[1], "check")) return Check(argc, argv);
  return Apply(argc, argv);
}
