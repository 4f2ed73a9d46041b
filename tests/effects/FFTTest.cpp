#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "FFT.h"
#include "FFTReal.h"
#include "ReportRecorder.h"

using namespace tessiro::test;

namespace {

std::vector<float> RandomSignal(int n, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> value(-1.0f, 1.0f);
  std::vector<float> x(static_cast<size_t>(n));
  for (float& v : x) v = value(random);
  return x;
}

}  // namespace

TEST(FFTReal, ForwardMatchesADirectDftInTheStatedLayout) {
  for (int n : {4, 8, 16, 64, 1024}) {
    FFTReal fft;
    ASSERT_TRUE(fft.Init(n));
    const std::vector<float> x = RandomSignal(n, static_cast<uint32_t>(n));
    std::vector<float> spectrum(static_cast<size_t>(n));
    fft.DoFft(spectrum.data(), x.data());
    for (int k = 0; k <= n / 2; ++k) {
      double re = 0, im = 0;
      for (int t = 0; t < n; ++t) {
        re += x[t] * std::cos(2 * M_PI * k * t / n);
        im -= x[t] * std::sin(2 * M_PI * k * t / n);
      }
      ASSERT_NEAR(spectrum[k], re, 1e-4 * n) << "real of bin " << k << ", N " << n;
      if (k > 0 && k < n / 2) {
        ASSERT_NEAR(spectrum[n / 2 + k], im, 1e-4 * n) << "imaginary of bin " << k << ", N " << n;
      }
    }
  }
}

TEST(FFTReal, InverseOfForwardGivesNTimesTheSignal) {
  for (int n : {4, 32, 512, 4096, 65536}) {
    FFTReal fft;
    ASSERT_TRUE(fft.Init(n));
    const std::vector<float> x = RandomSignal(n, 3);
    std::vector<float> spectrum(static_cast<size_t>(n)), back(static_cast<size_t>(n));
    fft.DoFft(spectrum.data(), x.data());
    fft.DoIfft(back.data(), spectrum.data());
    double worst = 0;
    for (int i = 0; i < n; ++i) worst = std::max(worst, std::fabs(double(back[i]) / n - x[i]));
    EXPECT_LT(worst, 2e-6 * std::log2(n)) << "N " << n;
  }
}

TEST(FFTReal, ToneLandsInItsBinWithTheSignOfASine) {
  const int n = 256;
  FFTReal fft;
  ASSERT_TRUE(fft.Init(n));
  std::vector<float> x(n), spectrum(n);
  for (int t = 0; t < n; ++t) x[t] = static_cast<float>(std::cos(2 * M_PI * 5 * t / n) + std::sin(2 * M_PI * 9 * t / n));
  fft.DoFft(spectrum.data(), x.data());
  for (int i = 0; i < n; ++i) {
    const double expected = i == 5 ? n / 2.0 : i == n / 2 + 9 ? -n / 2.0 : 0.0;
    ASSERT_NEAR(spectrum[i], expected, 1e-3) << i;
  }
}

TEST(FFT, SizesThatAreNotPowersOfTwoAreRefused) {
  for (int n : {0, 2, 1000, 4095, 131072, -4096}) {
    CFFT fft;
    EXPECT_FALSE(fft.Init(n, true, true)) << n;
    float dummy[4] = {};
    EXPECT_FALSE(fft.DoFft(dummy, dummy));
  }
  const auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 12u);
  EXPECT_EQ(reports[0].report.title, "FFTReal");
  EXPECT_EQ(reports[1].report.title, "FFT");
}

TEST(FFT, WindowsAreHannAndItsScaledInverse) {
  CFFT fft;
  ASSERT_TRUE(fft.Init(4096, true, true));
  const float* w = fft.AnalysisWindow();
  const float* iw = fft.InverseWindow();
  EXPECT_EQ(fft.Log2Length(), 12);
  EXPECT_EQ(w[0], 0.0f);
  EXPECT_TRUE(std::isinf(iw[0]) && std::isinf(iw[4095]));
  EXPECT_NEAR(w[2047], 1.0, 1e-6);
  // Halves that overlap by N/2 add up to one, within what the N - 1 denominator costs.
  for (int i = 1; i < 2048; ++i) {
    EXPECT_NEAR(w[i] + w[i + 2048], 1.0, 4e-4) << i;
    EXPECT_NEAR(iw[i] * w[i], 32768.0, 0.05) << i;
  }
}
