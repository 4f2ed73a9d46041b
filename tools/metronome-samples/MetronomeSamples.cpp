// Synthesises the metronome's four sounds: a short click ("metro.dat"), a kick
// drum ("bass.dat"), a snare ("snare.dat") and a hi-hat ("hihat.dat"). Each is
// 2048 stereo frames of 16-bit little-endian PCM, both channels alike (so a
// click that lands half a frame off at some tempos sounds the same), 8192 bytes
// without a header. Fixed seeds: every build writes the same bytes.
//
// usage: metronome-samples <folder>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../shared/XorshiftNoise.h"

namespace {

constexpr int kFrames = 2048;
constexpr double kRate = 44100.0;
constexpr double kTwoPi = 6.28318530717958647692;

using Sound = std::vector<double>;  // kFrames mono samples, any scale

// Rises linearly over riseS so a sound starts without a step, then decays with time constant decayS.
double Envelope(double t, double riseS, double decayS) { return std::fmin(1.0, t / riseS) * std::exp(-t / decayS); }

// One sound from a function of the time in seconds, called frame by frame in order.
template <typename Sample>
Sound Synthesise(Sample sample) {
  Sound s(kFrames);
  for (int n = 0; n < kFrames; ++n) s[n] = sample(n / kRate);
  return s;
}

// A woodblock-like tick: two inharmonic partials that die within about 15 ms.
Sound Click() {
  return Synthesise([](double t) {
    return Envelope(t, 0.0002, 0.003) * (0.7 * std::sin(kTwoPi * 2000.0 * t) + 0.3 * std::sin(kTwoPi * 3150.0 * t));
  });
}

// A sine whose pitch falls from about 170 Hz to 48 Hz, with a brief noise
// burst for the beater.
Sound Kick() {
  CNoise noise(0x6b69636bu);
  double phase = 0.0;
  return Synthesise([&](double t) {
    phase += kTwoPi * (48.0 + 120.0 * std::exp(-t / 0.010)) / kRate;
    return Envelope(t, 0.0005, 0.022) * std::sin(phase) + 0.25 * std::exp(-t / 0.0008) * noise.Next();
  });
}

// A drum tone of two partials under a rattle of high-passed noise.
Sound Snare() {
  CNoise noise(0x736e6172u);
  double lastIn = 0.0, highPass = 0.0;
  return Synthesise([&](double t) {
    const double in = noise.Next();
    highPass = 0.8 * (highPass + in - lastIn);  // one pole, about 1.4 kHz
    lastIn = in;
    const double tone = 0.6 * std::sin(kTwoPi * 180.0 * t) + 0.3 * std::sin(kTwoPi * 330.0 * t);
    return Envelope(t, 0.0003, 0.018) * tone + 0.8 * Envelope(t, 0.0003, 0.030) * highPass;
  });
}

// Noise through two first differences (a steep high pass), closing fast.
Sound HiHat() {
  CNoise noise(0x68686174u);
  double lastIn = 0.0, lastDiff = 0.0;
  return Synthesise([&](double t) {
    const double in = noise.Next();
    const double diff = in - lastIn;
    const double secondDiff = diff - lastDiff;
    lastIn = in;
    lastDiff = diff;
    return Envelope(t, 0.0003, 0.010) * secondDiff;
  });
}

// Fades the last 10 ms to silence (a click is cut at its end), scales the peak
// to peak and rounds to 16 bits.
std::vector<int16_t> Finish(Sound s, double peak) {
  const int fade = 441;
  for (int i = 0; i < fade; ++i) {
    s[kFrames - fade + i] *= 0.5 + 0.5 * std::cos(kTwoPi * 0.5 * (i + 1) / fade);
  }
  double largest = 0.0;
  for (double v : s) largest = std::fmax(largest, std::fabs(v));
  std::vector<int16_t> out(kFrames);
  for (int n = 0; n < kFrames; ++n) out[n] = static_cast<int16_t>(std::lround(s[n] / largest * peak));
  return out;
}

// Left and right alike, little-endian, written beside the target and renamed
// over it so a reader never sees half a file.
bool WriteSound(const std::string& path, const std::vector<int16_t>& mono) {
  std::vector<unsigned char> bytes;
  bytes.reserve(mono.size() * 4);
  for (int16_t sample : mono) {
    const uint16_t bits = static_cast<uint16_t>(sample);
    for (int channel = 0; channel < 2; ++channel) {
      bytes.push_back(static_cast<unsigned char>(bits & 0xFF));
      bytes.push_back(static_cast<unsigned char>(bits >> 8));
    }
  }
  const std::string temporary = path + ".tmp";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  // Peaks leave room for an accent (double gain) at the recorded level below the +-32000 limit.
  const struct {
    const char* name;
    std::vector<int16_t> samples;
  } sounds[] = {
      {"metro.dat", Finish(Click(), 12000.0)},
      {"bass.dat", Finish(Kick(), 14000.0)},
      {"snare.dat", Finish(Snare(), 12000.0)},
      {"hihat.dat", Finish(HiHat(), 7000.0)},
  };
  for (const auto& sound : sounds) {
    const std::string path = folder + "/" + sound.name;
    if (!WriteSound(path, sound.samples)) {
      std::fprintf(stderr, "metronome-samples: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
      return 1;
    }
  }
  return 0;
}
