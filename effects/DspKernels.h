// The effects' inner loops, built once for every processor and once more with
// AVX2, and chosen when the library loads. Each loop is the same arithmetic in
// the same order in every build (the library is built without contraction or
// fast-math, and no loop reassociates), so every version gives the same bits:
// wider lanes only do more samples at once.
#pragma once

#include <cstdint>

struct DspKernels {
  const char* name;
  // out[k] = ClipSample(out[k] + gain * in[k]).
  void (*addScaled)(short* out, const short* in, uint32_t count, float gain);
  // out[k] = ClipSample(gain * out[k]).
  void (*scale)(short* out, uint32_t count, float gain);
  // Interleaved stereo frames into two channels, and back.
  void (*split)(const short* frames, short* left, short* right, uint32_t count);
  void (*join)(const short* left, const short* right, short* frames, uint32_t count);
  // Every radix-2 stage of an n-point complex transform whose input is in
  // bit-reversed order; twiddles per stage from span 8 on (see FFTReal.h).
  void (*forwardStages)(float* re, float* im, int32_t n, const float* stageCos, const float* stageSin);
  void (*inverseStages)(float* re, float* im, int32_t n, const float* stageCos, const float* stageSin);
  // The forward transform's split of the packed spectrum z (m points) into
  // the real spectrum, bins 1 .. m - 1.
  void (*forwardSplit)(float* spectrum, const float* re, const float* im, const float* splitCos,
                       const float* splitSin, int32_t m);
  // The inverse transform's merge of the real spectrum into the packed one
  // (bins 1 .. m - 1, in natural order).
  void (*inverseSplit)(float* re, float* im, const float* spectrum, const float* splitCos, const float* splitSin,
                       int32_t m);
  // The packed signal back into one run of n = 2 m samples.
  void (*interleave)(const float* re, const float* im, float* signal, int32_t m);
  // out[i] = in[i] / divisor[i].
  void (*divide)(float* out, const short* in, const float* divisor, int32_t count);
  // x[i] *= gain[i].
  void (*multiply)(float* x, const float* gain, int32_t count);
  // out[i] = ClipSample(in[i] * factor).
  void (*clipScaled)(short* out, const float* in, float factor, int32_t count);
  // out[i] = ClipSample(a[i] + b[i]), the sum taken in integers.
  void (*addClipped)(short* out, const short* a, const short* b, int32_t count);
};

// The version this processor runs best.
const DspKernels& Kernels();
// The version every processor runs, and the AVX2 one where the processor has
// AVX2 (nullptr elsewhere): for tests that hold them to the same bits.
const DspKernels& PlainKernels();
const DspKernels* Avx2Kernels();
