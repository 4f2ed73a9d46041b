#include "FFTReal.h"

#include <cmath>
#include <new>

#include "DspKernels.h"
#include "ReportErrorDll.h"

namespace {

constexpr int kAllocateTables = 59;
constexpr int32_t kShortest = 4;
constexpr int32_t kLongest = 65536;

}  // namespace

bool FFTReal::IsValidLength(int32_t length) {
  return length >= kShortest && length <= kLongest && (length & (length - 1)) == 0;
}

bool FFTReal::Init(int32_t length) {
  length_ = half_ = 0;
  if (!IsValidLength(length)) {
    ReportErrorDll(__FILE__, __LINE__, "The transform length must be a power of two from 4 to 65536.");
    return false;
  }
  const int32_t half = length / 2;
  int bits = 0;
  while ((1 << bits) < half) ++bits;
  try {
    bitReverse_.assign(static_cast<size_t>(half), 0);
    for (int32_t j = 0; j < half; ++j) {
      int32_t r = 0;
      for (int b = 0; b < bits; ++b) r |= ((j >> b) & 1) << (bits - 1 - b);
      bitReverse_[static_cast<size_t>(j)] = r;
    }
    stageCos_.clear();
    stageSin_.clear();
    for (int32_t span = 8; span <= half; span <<= 1) {
      for (int32_t j = 0; j < span / 2; ++j) {
        const double angle = 2.0 * M_PI * j / span;
        stageCos_.push_back(static_cast<float>(std::cos(angle)));
        stageSin_.push_back(static_cast<float>(std::sin(angle)));
      }
    }
    splitCos_.resize(static_cast<size_t>(half));
    splitSin_.resize(static_cast<size_t>(half));
    for (int32_t k = 0; k < half; ++k) {
      const double angle = 2.0 * M_PI * k / length;
      splitCos_[static_cast<size_t>(k)] = static_cast<float>(std::cos(angle));
      splitSin_[static_cast<size_t>(k)] = static_cast<float>(std::sin(angle));
    }
    re_.assign(static_cast<size_t>(half), 0.0f);
    im_.assign(static_cast<size_t>(half), 0.0f);
    mergedRe_.assign(static_cast<size_t>(half), 0.0f);
    mergedIm_.assign(static_cast<size_t>(half), 0.0f);
  } catch (const std::bad_alloc&) {
    ReportErrorDll(__FILE__, kAllocateTables, "");
    return false;
  }
  length_ = length;
  half_ = half;
  return true;
}

void FFTReal::Transform(bool inverse) {
  const DspKernels& kernels = Kernels();
  (inverse ? kernels.inverseStages : kernels.forwardStages)(re_.data(), im_.data(), half_, stageCos_.data(),
                                                             stageSin_.data());
}

void FFTReal::DoFft(float* spectrum, const float* signal) {
  const int32_t m = half_;
  // Even samples as the real part, odd as the imaginary, in bit-reversed order.
  for (int32_t n = 0; n < m; ++n) {
    const int32_t at = bitReverse_[static_cast<size_t>(n)];
    re_[static_cast<size_t>(at)] = signal[2 * n];
    im_[static_cast<size_t>(at)] = signal[2 * n + 1];
  }
  Transform(false);
  spectrum[0] = re_[0] + im_[0];
  spectrum[m] = re_[0] - im_[0];
  Kernels().forwardSplit(spectrum, re_.data(), im_.data(), splitCos_.data(), splitSin_.data(), m);
}

void FFTReal::DoIfft(float* signal, const float* spectrum) {
  const int32_t m = half_;
  // Z'[k] = (X[k] + conj X[M-k]) + i e^(2 pi i k / N) (X[k] - conj X[M-k]),
  // whose unnormalised inverse is N times the packed signal.
  // Bin 0 holds the real parts of 0 and N/2 and no imaginary ones.
  {
    const float xr = spectrum[0], yr = spectrum[m];
    const float dr = xr - yr, di = 0.0f + 0.0f;
    const float c = splitCos_[0], s = splitSin_[0];
    mergedRe_[0] = xr + yr - c * di - s * dr;
    mergedIm_[0] = 0.0f - 0.0f + c * dr - s * di;
  }
  const DspKernels& kernels = Kernels();
  kernels.inverseSplit(mergedRe_.data(), mergedIm_.data(), spectrum, splitCos_.data(), splitSin_.data(), m);
  for (int32_t k = 0; k < m; ++k) {
    const size_t at = static_cast<size_t>(bitReverse_[static_cast<size_t>(k)]);
    re_[at] = mergedRe_[static_cast<size_t>(k)];
    im_[at] = mergedIm_[static_cast<size_t>(k)];
  }
  Transform(true);
  kernels.interleave(re_.data(), im_.data(), signal, m);
}
