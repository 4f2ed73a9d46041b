// Runs raw 16-bit 44100 Hz audio through an effect chain, block by block as
// a destructive edit does, for comparisons with other tools.
//
//   zelmo_apply signal SECONDS OUT.raw          stereo test signal (tones and noise)
//   zelmo_apply echo-taps GAIN DECAY            the tap gains an echo makes, one a line
//   zelmo_apply reverb-taps GAIN DECAY          the same for a reverb, whose copies sit
//                                               one delay apart from the first delay on
//   zelmo_apply diff A.raw B.raw                largest sample difference over the shorter file
//   zelmo_apply [--mono] [--block N] [--inline] IN.raw OUT.raw EFFECT ARGS... [EFFECT ARGS...]
//     echo DRY GAIN DECAY DELAY_MS | reverb DRY GAIN DECAY DELAY_MS |
//     chorus|flange DRY WET LFO_HZ PHASE_DEG DELAY_MS DEPTH_MS | equalizer DB0 ... DB9
//
// The run prints the processing time (without file input and output) on stderr.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "BenchChains.h"

namespace {

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
  const size_t n = std::min(x.size(), y.size());
  int worst = 0;
  size_t differing = 0;
  for (size_t i = 0; i < n; ++i) {
    const int d = std::abs(x[i] - y[i]);
    worst = std::max(worst, d);
    differing += d != 0;
  }
  std::printf("%d %zu %zu\n", worst, differing, n);
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

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && !std::strcmp(argv[1], "signal")) return MakeSignal(std::atof(argv[2]), argv[3]);
  if (argc == 4 && !std::strcmp(argv[1], "echo-taps")) return PrintEchoTaps(std::strtof(argv[2], nullptr), std::strtof(argv[3], nullptr));
  if (argc == 4 && !std::strcmp(argv[1], "reverb-taps")) {
    return PrintReverbTaps(std::strtof(argv[2], nullptr), std::strtof(argv[3], nullptr));
  }
  if (argc == 4 && !std::strcmp(argv[1], "diff")) return Diff(argv[2], argv[3]);
  return Apply(argc, argv);
}
