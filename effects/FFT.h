// The real FFT with the window tables the equalizer loads its frames with.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "FFTReal.h"

class CFFT {
 public:
  CFFT() = default;
  virtual ~CFFT();
  CFFT(const CFFT&) = delete;
  CFFT& operator=(const CFFT&) = delete;

  // length: a power of two (4 .. 65536); refused and reported otherwise.
  bool Init(int32_t length, bool analysisWindow, bool inverseWindow);
  int32_t Length() const { return length_; }
  int32_t Log2Length() const { return log2Length_; }

  // Hann window w[i] = 0.5 - 0.5 cos(2 pi i / (N - 1)).
  const float* AnalysisWindow() const { return window_.empty() ? nullptr : window_.data(); }
  // 32768 / w[i]: dividing a 16-bit sample by it windows and scales it to
  // +-1 at once. Infinite at both ends, where the window is 0.
  const float* InverseWindow() const { return inverseWindow_.empty() ? nullptr : inverseWindow_.data(); }

  bool DoFft(float* spectrum, const float* signal);
  bool DoIfft(float* signal, const float* spectrum);

 private:
  std::unique_ptr<FFTReal> fft_;
  int32_t length_ = 0;
  int32_t log2Length_ = 0;
  std::vector<float> window_;
  std::vector<float> inverseWindow_;
};
