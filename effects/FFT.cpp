#include "FFT.h"

#include <cmath>
#include <limits>
#include <new>

#include "ReportErrorDll.h"

namespace {

constexpr int kMissingForward = 30;
constexpr int kMissingInverse = 41;
constexpr int kCreateTransform = 162;
constexpr int kAllocateWindow = 312;
constexpr int kAllocateInverseWindow = 333;

double Hann(int32_t i, int32_t length) { return 0.5 - 0.5 * std::cos(2.0 * M_PI * i / (length - 1)); }

}  // namespace

CFFT::~CFFT() = default;

bool CFFT::Init(int32_t length, bool analysisWindow, bool inverseWindow) {
  length_ = log2Length_ = 0;
  fft_.reset(new (std::nothrow) FFTReal);
  if (!fft_) {
    ReportErrorDll(__FILE__, kCreateTransform, "");
    return false;
  }
  if (!fft_->Init(length)) {
    fft_.reset();
    return false;
  }
  try {
    window_.clear();
    inverseWindow_.clear();
    if (analysisWindow) {
      window_.resize(static_cast<size_t>(length));
      for (int32_t i = 0; i < length; ++i) window_[static_cast<size_t>(i)] = static_cast<float>(Hann(i, length));
    }
  } catch (const std::bad_alloc&) {
    ReportErrorDll(__FILE__, kAllocateWindow, "");
    return false;
  }
  try {
    if (inverseWindow) {
      inverseWindow_.resize(static_cast<size_t>(length));
      for (int32_t i = 0; i < length; ++i) {
        const float w = static_cast<float>(Hann(i, length));
        inverseWindow_[static_cast<size_t>(i)] = w > 0.0f ? 32768.0f / w : std::numeric_limits<float>::infinity();
      }
    }
  } catch (const std::bad_alloc&) {
    ReportErrorDll(__FILE__, kAllocateInverseWindow, "");
    return false;
  }
  length_ = length;
  while ((1 << log2Length_) < length) ++log2Length_;
  return true;
}

bool CFFT::DoFft(float* spectrum, const float* signal) {
  if (!fft_ || !length_) {
    ReportErrorDll(__FILE__, kMissingForward, "");
    return false;
  }
  fft_->DoFft(spectrum, signal);
  return true;
}

bool CFFT::DoIfft(float* signal, const float* spectrum) {
  if (!fft_ || !length_) {
    ReportErrorDll(__FILE__, kMissingInverse, "");
    return false;
  }
  fft_->DoIfft(signal, spectrum);
  return true;
}
