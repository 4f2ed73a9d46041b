#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "DspKernels.h"
#include "DspMath.h"
#include "FFTReal.h"

namespace {

// The versions this processor runs: the plain one always, AVX2 where it can.
std::vector<const DspKernels*> Versions() {
  std::vector<const DspKernels*> versions{&PlainKernels()};
  if (Avx2Kernels()) versions.push_back(Avx2Kernels());
  return versions;
}

// Samples with the limits and zero mixed in, and floats up to past them.
std::vector<short> Samples(size_t n, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<short> out(n);
  for (short& s : out) {
    const uint32_t pick = random() % 16;
    s = pick == 0 ? 32767 : pick == 1 ? -32768 : pick == 2 ? 0 : static_cast<short>(random());
  }
  return out;
}

std::vector<float> Floats(size_t n, uint32_t seed, float range) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> value(-range, range);
  std::vector<float> out(n);
  for (float& f : out) f = value(random);
  return out;
}

template <typename T>
bool SameBits(const std::vector<T>& a, const std::vector<T>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

constexpr uint32_t kCounts[] = {0, 1, 7, 8, 9, 31, 33, 4099};
const float kGains[] = {0.0f, 1.0f, 0.5f, -0.73f, 3.9f, 1e30f, 1e-40f, std::numeric_limits<float>::infinity(),
                        -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()};

}  // namespace

// Each loop against its definition, sample by sample, in every version, over
// lengths around the lane widths and from an odd offset (unaligned).
TEST(DspKernels, EveryVersionComputesEachLoopsDefinitionBitForBit) {
  for (const DspKernels* k : Versions()) {
    for (uint32_t n : kCounts) {
      const std::vector<short> a = Samples(n + 1, n), b = Samples(n + 1, n + 100);
      for (float gain : kGains) {
        std::vector<short> got(a.begin() + 1, a.end()), want = got;
        k->addScaled(got.data(), b.data() + 1, n, gain);
        for (uint32_t i = 0; i < n; ++i) want[i] = ClipSample(static_cast<float>(want[i]) + gain * static_cast<float>(b[i + 1]));
        ASSERT_TRUE(SameBits(got, want)) << k->name << " addScaled n " << n << " gain " << gain;
        got.assign(a.begin() + 1, a.end());
        want = got;
        k->scale(got.data(), n, gain);
        for (uint32_t i = 0; i < n; ++i) want[i] = ClipSample(gain * static_cast<float>(want[i]));
        ASSERT_TRUE(SameBits(got, want)) << k->name << " scale n " << n << " gain " << gain;
      }
      std::vector<short> left(n), right(n), frames(2 * n);
      const std::vector<short> interleaved = Samples(2 * n, n + 7);
      k->split(interleaved.data(), left.data(), right.data(), n);
      k->join(left.data(), right.data(), frames.data(), n);
      ASSERT_TRUE(SameBits(frames, interleaved)) << k->name << " split and join n " << n;
      for (uint32_t i = 0; i < n; ++i) ASSERT_EQ(left[i], interleaved[2 * i]) << k->name;

      const int32_t count = static_cast<int32_t>(n);
      std::vector<float> divisor = Floats(n, n + 3, 70000.0f);
      if (n > 1) divisor[0] = divisor[n - 1] = std::numeric_limits<float>::infinity();  // the window's ends
      std::vector<float> quotient(n), wantQuotient(n);
      k->divide(quotient.data(), a.data() + 1, divisor.data(), count);
      for (uint32_t i = 0; i < n; ++i) wantQuotient[i] = static_cast<float>(a[i + 1]) / divisor[i];
      ASSERT_TRUE(SameBits(quotient, wantQuotient)) << k->name << " divide n " << n;

      std::vector<float> x = Floats(n, n + 4, 5e5f), gains = Floats(n, n + 5, 2.0f), wantX = x;
      k->multiply(x.data(), gains.data(), count);
      for (uint32_t i = 0; i < n; ++i) wantX[i] *= gains[i];
      ASSERT_TRUE(SameBits(x, wantX)) << k->name << " multiply n " << n;

      std::vector<short> clipped(n), wantClipped(n);
      k->clipScaled(clipped.data(), x.data(), 8.0f, count);
      for (uint32_t i = 0; i < n; ++i) wantClipped[i] = ClipSample(x[i] * 8.0f);
      ASSERT_TRUE(SameBits(clipped, wantClipped)) << k->name << " clipScaled n " << n;

      std::vector<short> sum(n), wantSum(n);
      k->addClipped(sum.data(), a.data() + 1, b.data() + 1, count);
      for (uint32_t i = 0; i < n; ++i) wantSum[i] = ClipSample(static_cast<float>(a[i + 1] + b[i + 1]));
      ASSERT_TRUE(SameBits(sum, wantSum)) << k->name << " addClipped n " << n;
    }
  }
}

namespace {

// The transform written out plainly, one butterfly at a time in the order of
// its definition (spans 2 and 4 with their exact twiddles 1 and -+i), for
// holding the fast one to the same bits.
void ReferenceStages(std::vector<float>& re, std::vector<float>& im, bool inverse) {
  const int32_t n = static_cast<int32_t>(re.size());
  for (int32_t span = 2; span <= n; span <<= 1) {
    const int32_t half = span / 2;
    for (int32_t s = 0; s < n; s += span) {
      for (int32_t j = 0; j < half; ++j) {
        const int32_t a = s + j, x = s + j + half;
        float br, bi;
        if (span == 2 || (span == 4 && j == 0)) {
          br = re[x];
          bi = im[x];
        } else if (span == 4) {
          br = inverse ? -im[x] : im[x];
          bi = inverse ? re[x] : -re[x];
        } else {
          const float c = static_cast<float>(std::cos(2.0 * M_PI * j / span));
          const float sn = static_cast<float>(std::sin(2.0 * M_PI * j / span));
          br = inverse ? re[x] * c - im[x] * sn : re[x] * c + im[x] * sn;
          bi = inverse ? im[x] * c + re[x] * sn : im[x] * c - re[x] * sn;
        }
        const float r = re[a], i = im[a];
        re[a] = r + br;
        im[a] = i + bi;
        re[x] = r - br;
        im[x] = i - bi;
      }
    }
  }
}

int32_t Reversed(int32_t j, int32_t half) {
  int32_t r = 0;
  for (int32_t bit = 1, top = half >> 1; bit < half; bit <<= 1, top >>= 1) {
    if (j & bit) r |= top;
  }
  return r;
}

std::vector<float> ReferenceForward(const std::vector<float>& x) {
  const int32_t n = static_cast<int32_t>(x.size()), m = n / 2;
  std::vector<float> re(m), im(m), spectrum(n);
  for (int32_t i = 0; i < m; ++i) {
    re[Reversed(i, m)] = x[2 * i];
    im[Reversed(i, m)] = x[2 * i + 1];
  }
  ReferenceStages(re, im, false);
  spectrum[0] = re[0] + im[0];
  spectrum[m] = re[0] - im[0];
  for (int32_t k = 1; k < m; ++k) {
    const float er = 0.5f * (re[k] + re[m - k]), ei = 0.5f * (im[k] - im[m - k]);
    const float orr = 0.5f * (im[k] + im[m - k]), oi = -0.5f * (re[k] - re[m - k]);
    const float c = static_cast<float>(std::cos(2.0 * M_PI * k / n)), s = static_cast<float>(std::sin(2.0 * M_PI * k / n));
    spectrum[k] = er + c * orr + s * oi;
    spectrum[m + k] = ei + c * oi - s * orr;
  }
  return spectrum;
}

std::vector<float> ReferenceInverse(const std::vector<float>& spectrum) {
  const int32_t n = static_cast<int32_t>(spectrum.size()), m = n / 2;
  std::vector<float> re(m), im(m), signal(n);
  for (int32_t k = 0; k < m; ++k) {
    const float xr = spectrum[k], xi = k == 0 ? 0.0f : spectrum[m + k];
    const float yr = spectrum[m - k], yi = k == 0 ? 0.0f : spectrum[2 * m - k];
    const float dr = xr - yr, di = xi + yi;
    const float c = static_cast<float>(std::cos(2.0 * M_PI * k / n)), s = static_cast<float>(std::sin(2.0 * M_PI * k / n));
    re[Reversed(k, m)] = xr + yr - c * di - s * dr;
    im[Reversed(k, m)] = xi - yi + c * dr - s * di;
  }
  ReferenceStages(re, im, true);
  for (int32_t i = 0; i < m; ++i) {
    signal[2 * i] = re[i];
    signal[2 * i + 1] = im[i];
  }
  return signal;
}

}  // namespace

// The equalizer's output is only as exact as its transform: forward and
// inverse, at every size, give the plain transform's bits.
TEST(FFTReal, ForwardAndInverseGiveThePlainTransformsBitsAtEverySize) {
  for (int32_t n = 4; n <= 65536; n *= 2) {
    FFTReal fft;
    ASSERT_TRUE(fft.Init(n));
    const std::vector<float> x = Floats(static_cast<size_t>(n), static_cast<uint32_t>(n), 32768.0f);
    std::vector<float> spectrum(static_cast<size_t>(n)), back(static_cast<size_t>(n));
    fft.DoFft(spectrum.data(), x.data());
    ASSERT_TRUE(SameBits(spectrum, ReferenceForward(x))) << "forward, N " << n;
    fft.DoIfft(back.data(), spectrum.data());
    ASSERT_TRUE(SameBits(back, ReferenceInverse(spectrum))) << "inverse, N " << n;
  }
}

// The transform's loops in every version, not only the one this processor
// chose: the stages against the plain transform, the merges and the
// interleave against the plain version's bits.
TEST(FFTReal, EveryVersionOfTheTransformsLoopsGivesTheSameBits) {
  const std::vector<const DspKernels*> versions = Versions();
  for (int32_t n : {2, 4, 8, 64, 2048}) {
    std::vector<float> cosines, sines, splitCos(static_cast<size_t>(n)), splitSin(static_cast<size_t>(n));
    for (int32_t span = 8; span <= n; span <<= 1) {
      for (int32_t j = 0; j < span / 2; ++j) {
        cosines.push_back(static_cast<float>(std::cos(2.0 * M_PI * j / span)));
        sines.push_back(static_cast<float>(std::sin(2.0 * M_PI * j / span)));
      }
    }
    for (int32_t k = 0; k < n; ++k) {
      splitCos[k] = static_cast<float>(std::cos(M_PI * k / n));
      splitSin[k] = static_cast<float>(std::sin(M_PI * k / n));
    }
    const std::vector<float> re0 = Floats(n, 11, 1e4f), im0 = Floats(n, 12, 1e4f), spectrum = Floats(2 * n, 13, 1e6f);
    std::vector<std::vector<float>> results;
    for (const DspKernels* k : versions) {
      for (bool inverse : {false, true}) {
        std::vector<float> re = re0, im = im0, wantRe = re0, wantIm = im0;
        (inverse ? k->inverseStages : k->forwardStages)(re.data(), im.data(), n, cosines.data(), sines.data());
        ReferenceStages(wantRe, wantIm, inverse);
        ASSERT_TRUE(SameBits(re, wantRe) && SameBits(im, wantIm)) << k->name << " inverse " << inverse << " n " << n;
      }
      std::vector<float> forward(2 * n), mergedRe(n), mergedIm(n), signal(2 * n);
      k->forwardSplit(forward.data(), re0.data(), im0.data(), splitCos.data(), splitSin.data(), n);
      k->inverseSplit(mergedRe.data(), mergedIm.data(), spectrum.data(), splitCos.data(), splitSin.data(), n);
      k->interleave(re0.data(), im0.data(), signal.data(), n);
      for (int32_t i = 0; i < n; ++i) ASSERT_EQ(signal[2 * i + 1], im0[i]) << k->name;
      forward.insert(forward.end(), mergedRe.begin(), mergedRe.end());
      forward.insert(forward.end(), mergedIm.begin(), mergedIm.end());
      results.push_back(forward);
    }
    for (size_t v = 1; v < results.size(); ++v) EXPECT_TRUE(SameBits(results[v], results[0])) << versions[v]->name;
  }
}
