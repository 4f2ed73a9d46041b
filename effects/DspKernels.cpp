#include "DspKernels.h"

#include <cstddef>

#include "DspMath.h"

namespace {

#define DSP_BODY __attribute__((always_inline)) inline

DSP_BODY void AddScaledBody(short* __restrict out, const short* __restrict in, uint32_t count, float gain) {
  for (uint32_t k = 0; k < count; ++k) out[k] = ClipSample(static_cast<float>(out[k]) + gain * static_cast<float>(in[k]));
}

DSP_BODY void ScaleBody(short* out, uint32_t count, float gain) {
  for (uint32_t k = 0; k < count; ++k) out[k] = ClipSample(gain * static_cast<float>(out[k]));
}

DSP_BODY void SplitBody(const short* __restrict frames, short* __restrict left, short* __restrict right,
                        uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    left[i] = frames[2 * i];
    right[i] = frames[2 * i + 1];
  }
}

DSP_BODY void JoinBody(const short* __restrict left, const short* __restrict right, short* __restrict frames,
                       uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    frames[2 * i] = left[i];
    frames[2 * i + 1] = right[i];
  }
}

// One span's butterflies: the two halves (a, x) of the span in both arrays
// are disjoint runs, which lets the loop run several lanes at a time.
template <bool Inverse>
DSP_BODY void Butterflies(float* __restrict ar, float* __restrict ai, float* __restrict xr, float* __restrict xi,
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
DSP_BODY void StagesBody(float* re, float* im, int32_t n, const float* stageCos, const float* stageSin) {
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

// Z = E + iO, with E and O the spectra of the even and odd samples;
// X[k] = E[k] + e^(-2 pi i k / N) O[k].
DSP_BODY void ForwardSplitBody(float* __restrict spectrum, const float* __restrict re, const float* __restrict im,
                               const float* __restrict splitCos, const float* __restrict splitSin, int32_t m) {
  for (int32_t k = 1; k < m; ++k) {
    const float zr = re[k], zi = im[k];
    const float yr = re[m - k], yi = im[m - k];
    const float er = 0.5f * (zr + yr), ei = 0.5f * (zi - yi);
    const float orr = 0.5f * (zi + yi), oi = -0.5f * (zr - yr);
    const float c = splitCos[k], s = splitSin[k];
    spectrum[k] = er + c * orr + s * oi;
    spectrum[m + k] = ei + c * oi - s * orr;
  }
}

// Z'[k] = (X[k] + conj X[M-k]) + i e^(2 pi i k / N) (X[k] - conj X[M-k]).
DSP_BODY void InverseSplitBody(float* __restrict re, float* __restrict im, const float* __restrict spectrum,
                               const float* __restrict splitCos, const float* __restrict splitSin, int32_t m) {
  for (int32_t k = 1; k < m; ++k) {
    const float xr = spectrum[k], xi = spectrum[m + k];
    const float yr = spectrum[m - k], yi = spectrum[2 * m - k];
    const float dr = xr - yr, di = xi + yi;
    const float c = splitCos[k], s = splitSin[k];
    re[k] = xr + yr - c * di - s * dr;
    im[k] = xi - yi + c * dr - s * di;
  }
}

DSP_BODY void InterleaveBody(const float* __restrict re, const float* __restrict im, float* __restrict signal,
                             int32_t m) {
  for (int32_t n = 0; n < m; ++n) {
    signal[2 * n] = re[n];
    signal[2 * n + 1] = im[n];
  }
}

DSP_BODY void DivideBody(float* __restrict out, const short* __restrict in, const float* __restrict divisor,
                         int32_t count) {
  for (int32_t i = 0; i < count; ++i) out[i] = static_cast<float>(in[i]) / divisor[i];
}

DSP_BODY void MultiplyBody(float* __restrict x, const float* __restrict gain, int32_t count) {
  for (int32_t i = 0; i < count; ++i) x[i] *= gain[i];
}

DSP_BODY void ClipScaledBody(short* __restrict out, const float* __restrict in, float factor, int32_t count) {
  for (int32_t i = 0; i < count; ++i) out[i] = ClipSample(in[i] * factor);
}

DSP_BODY void AddClippedBody(short* __restrict out, const short* __restrict a, const short* __restrict b,
                             int32_t count) {
  for (int32_t i = 0; i < count; ++i) out[i] = ClipSample(static_cast<float>(a[i] + b[i]));
}

// One set of entry points per target; the bodies are inlined into each and
// vectorised for its lanes.
#define DSP_KERNEL_SET(Prefix, Target)                                                                          \
  Target void Prefix##AddScaled(short* out, const short* in, uint32_t count, float gain) {                       \
    AddScaledBody(out, in, count, gain);                                                                       \
  }                                                                                                            \
  Target void Prefix##Scale(short* out, uint32_t count, float gain) { ScaleBody(out, count, gain); }           \
  Target void Prefix##Split(const short* frames, short* left, short* right, uint32_t count) {                  \
    SplitBody(frames, left, right, count);                                                                     \
  }                                                                                                            \
  Target void Prefix##Join(const short* left, const short* right, short* frames, uint32_t count) {             \
    JoinBody(left, right, frames, count);                                                                      \
  }                                                                                                            \
  Target void Prefix##ForwardStages(float* re, float* im, int32_t n, const float* c, const float* s) {          \
    StagesBody<false>(re, im, n, c, s);                                                                        \
  }                                                                                                            \
  Target void Prefix##InverseStages(float* re, float* im, int32_t n, const float* c, const float* s) {          \
    StagesBody<true>(re, im, n, c, s);                                                                         \
  }                                                                                                            \
  Target void Prefix##ForwardSplit(float* spectrum, const float* re, const float* im, const float* c,           \
                                   const float* s, int32_t m) {                                                \
    ForwardSplitBody(spectrum, re, im, c, s, m);                                                               \
  }                                                                                                            \
  Target void Prefix##InverseSplit(float* re, float* im, const float* spectrum, const float* c, const float* s, \
                                   int32_t m) {                                                                \
    InverseSplitBody(re, im, spectrum, c, s, m);                                                               \
  }                                                                                                            \
  Target void Prefix##Interleave(const float* re, const float* im, float* signal, int32_t m) {                 \
    InterleaveBody(re, im, signal, m);                                                                         \
  }                                                                                                            \
  Target void Prefix##Divide(float* out, const short* in, const float* divisor, int32_t count) {                \
    DivideBody(out, in, divisor, count);                                                                       \
  }                                                                                                            \
  Target void Prefix##Multiply(float* x, const float* gain, int32_t count) { MultiplyBody(x, gain, count); }   \
  Target void Prefix##ClipScaled(short* out, const float* in, float factor, int32_t count) {                   \
    ClipScaledBody(out, in, factor, count);                                                                    \
  }                                                                                                            \
  Target void Prefix##AddClipped(short* out, const short* a, const short* b, int32_t count) {                  \
    AddClippedBody(out, a, b, count);                                                                          \
  }                                                                                                            \
  const DspKernels k##Prefix##Kernels = {#Prefix,                                                              \
                                         Prefix##AddScaled,                                                    \
                                         Prefix##Scale,                                                        \
                                         Prefix##Split,                                                        \
                                         Prefix##Join,                                                         \
                                         Prefix##ForwardStages,                                                \
                                         Prefix##InverseStages,                                                \
                                         Prefix##ForwardSplit,                                                 \
                                         Prefix##InverseSplit,                                                 \
                                         Prefix##Interleave,                                                   \
                                         Prefix##Divide,                                                       \
                                         Prefix##Multiply,                                                     \
                                         Prefix##ClipScaled,                                                   \
                                         Prefix##AddClipped};

DSP_KERNEL_SET(Plain, )
#if defined(__x86_64__) || defined(__i386__)
DSP_KERNEL_SET(Avx2, __attribute__((target("avx2"))))
#define DSP_HAS_AVX2_SET 1
#endif

bool ProcessorHasAvx2() {
#ifdef DSP_HAS_AVX2_SET
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

}  // namespace

const DspKernels& PlainKernels() { return kPlainKernels; }

const DspKernels* Avx2Kernels() {
#ifdef DSP_HAS_AVX2_SET
  static const bool has = ProcessorHasAvx2();
  return has ? &kAvx2Kernels : nullptr;
#else
  return nullptr;
#endif
}

const DspKernels& Kernels() {
  static const DspKernels& chosen = Avx2Kernels() ? *Avx2Kernels() : PlainKernels();
  return chosen;
}
