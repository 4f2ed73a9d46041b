#include "FFTReal.h"

#include <cmath>
#include <new>

#include "ReportErrorDll.h"

namespace {

constexpr int kAllocateTables = 59;
constexpr int32_t kShortest = 4;
constexpr int32_t kLongest = 65536;

// One span's butterflies: the two halves (a, x) of the span in both arrays
// are disjoint runs, which lets the loop run four or eight lanes at a time.
template <bool Inverse>
inline void Butterflies(float* __restrict ar, float* __restrict ai, float* __restrict xr, float* __restrict xi,
                        const float* __restrict c, const float* __restrict sn, int32_t half) {
  for (int32_t j = 0; j < half; ++j) {
    // (xr + i xi)(cos -+ i sin)
    const float br = Inverse ? xr[j] * c[j] - xi[j] * sn[j] : xr[j] * c[j] + xi[j] * sn[j];
    const float bi = Inverse ? xi[j] * c[j] + xr[j] * sn[j] : xi[j] * c[j] - xr[j] * sn[j];
    const float r = ar[j], i = ai[j];
    ar[j] = r + br;
    ai[j] = i + bi;
    xr[j] = r - br;
    xi[j] = i - bi;
  }
}

// Every stage, spans 2 and 4 written out; from span 8 on the twiddles of each
// stage are stored contiguously.
template <bool Inverse>
void RadixTwoStages(float* re, float* im, int32_t n, const float* stageCos, const float* stageSin) {
  // Span 2: twiddle 1.
  for (int32_t s = 0; s < n; s += 2) {
    const float ar = re[s], ai = im[s], br = re[s + 1], bi = im[s + 1];
    re[s] = ar + br;
    im[s] = ai + bi;
    re[s + 1] = ar - br;
    im[s + 1] = ai - bi;
  }
  if (n < 4) return;
  // Span 4: twiddles 1 and -i (forward) or +i (inverse).
  for (int32_t s = 0; s < n; s += 4) {
    for (int32_t j = 0; j < 2; ++j) {
      const float xr = re[s + j + 2], xi = im[s + j + 2];
      const float br = j == 0 ? xr : (Inverse ? -xi : xi);
      const float bi = j == 0 ? xi : (Inverse ? xr : -xr);
      const float ar = re[s + j], ai = im[s + j];
      re[s + j] = ar + br;
      im[s + j] = ai + bi;
      re[s + j + 2] = ar - br;
      im[s + j + 2] = ai - bi;
    }
  }
  size_t table = 0;
  for (int32_t span = 8; span <= n; span <<= 1) {
    const int32_t half = span / 2;
    for (int32_t s = 0; s < n; s += span) {
      Butterflies<Inverse>(re + s, im + s, re + s + half, im + s + half, stageCos + table, stageSin + table, half);
    }
    table += static_cast<size_t>(half);
  }
}

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
  } catch (const std::bad_alloc&) {
    ReportErrorDll(__FILE__, kAllocateTables, "");
    return false;
  }
  length_ = length;
  half_ = half;
  return true;
}

void FFTReal::Transform(bool inverse) {
  if (inverse) {
    RadixTwoStages<true>(re_.data(), im_.data(), half_, stageCos_.data(), stageSin_.data());
  } else {
    RadixTwoStages<false>(re_.data(), im_.data(), half_, stageCos_.data(), stageSin_.data());
  }
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
  // Z = E + iO, with E and O the spectra of the even and odd samples;
  // X[k] = E[k] + e^(-2 pi i k / N) O[k].
  spectrum[0] = re_[0] + im_[0];
  spectrum[m] = re_[0] - im_[0];
  for (int32_t k = 1; k < m; ++k) {
    const float zr = re_[static_cast<size_t>(k)], zi = im_[static_cast<size_t>(k)];
    const float yr = re_[static_cast<size_t>(m - k)], yi = im_[static_cast<size_t>(m - k)];
    const float er = 0.5f * (zr + yr), ei = 0.5f * (zi - yi);
    const float orr = 0.5f * (zi + yi), oi = -0.5f * (zr - yr);
    const float c = splitCos_[static_cast<size_t>(k)], s = splitSin_[static_cast<size_t>(k)];
    spectrum[k] = er + c * orr + s * oi;
    spectrum[m + k] = ei + c * oi - s * orr;
  }
}

void FFTReal::DoIfft(float* signal, const float* spectrum) {
  const int32_t m = half_;
  // Z'[k] = (X[k] + conj X[M-k]) + i e^(2 pi i k / N) (X[k] - conj X[M-k]),
  // whose unnormalised inverse is N times the packed signal.
  for (int32_t k = 0; k < m; ++k) {
    const float xr = spectrum[k], xi = k == 0 ? 0.0f : spectrum[m + k];
    const float yr = spectrum[m - k], yi = k == 0 ? 0.0f : spectrum[2 * m - k];
    const float dr = xr - yr, di = xi + yi;
    const float c = splitCos_[static_cast<size_t>(k)], s = splitSin_[static_cast<size_t>(k)];
    const int32_t at = bitReverse_[static_cast<size_t>(k)];
    re_[static_cast<size_t>(at)] = xr + yr - c * di - s * dr;
    im_[static_cast<size_t>(at)] = xi - yi + c * dr - s * di;
  }
  Transform(true);
  for (int32_t n = 0; n < m; ++n) {
    signal[2 * n] = re_[static_cast<size_t>(n)];
    signal[2 * n + 1] = im_[static_cast<size_t>(n)];
  }
}
