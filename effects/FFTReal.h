// Radix-2 FFT of N real points (N a power of two, 4 .. 65536).
//
// Spectrum layout, forward and inverse alike: real parts of bins 0 .. N/2 at
// indices 0 .. N/2, the imaginary part of bin k (0 < k < N/2) at N/2 + k.
// Forward: X[k] = sum x[n] e^(-2 pi i k n / N). The inverse is not normalised:
// it returns N times the signal. Both run an N/2-point complex transform on
// the even and odd samples packed as one complex signal, then split it.
#pragma once

#include <cstdint>
#include <vector>

class FFTReal {
 public:
  FFTReal() = default;

  // False (reported) for a length that is not a power of two in range, or
  // when the tables cannot be allocated.
  bool Init(int32_t length);
  int32_t Length() const { return length_; }

  void DoFft(float* spectrum, const float* signal);
  void DoIfft(float* signal, const float* spectrum);

  static bool IsValidLength(int32_t length);

 private:
  void Transform(bool inverse);

  int32_t length_ = 0;
  int32_t half_ = 0;
  std::vector<int32_t> bitReverse_;  // half_ entries
  // Per stage of the half-size transform, the twiddles of that stage in order:
  // cos and sin of 2 pi j / span for j < span / 2, spans 8 .. half_.
  std::vector<float> stageCos_;
  std::vector<float> stageSin_;
  // cos and sin of 2 pi k / N for the split into real bins, k < half_.
  std::vector<float> splitCos_;
  std::vector<float> splitSin_;
  std::vector<float> re_;
  std::vector<float> im_;
  // The inverse's merged spectrum in natural order, before it is reordered.
  std::vector<float> mergedRe_;
  std::vector<float> mergedIm_;
};
