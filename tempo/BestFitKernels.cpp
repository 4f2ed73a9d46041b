#include "BestFitKernels.h"

#include <immintrin.h>

#include <cstdlib>

namespace tarvex {
namespace detail {

// Samples summed between two looks at the limit: often enough to drop a bad
// candidate early, rarely enough not to slow the good ones.
constexpr size_t kChunk = 128;

uint64_t SumAbsDiffPlain(const int16_t* a, const int16_t* b, size_t n, uint64_t limit) {
  uint64_t total = 0;
  size_t i = 0;
  while (i < n) {
    const size_t end = (n - i > kChunk) ? i + kChunk : n;
    for (; i < end; ++i) total += static_cast<uint64_t>(std::abs(a[i] - b[i]));
    if (total >= limit) return total;
  }
  return total;
}

// |a - b| of two int16 lanes is max - min, which always fits an unsigned 16-bit
// lane. Flipping the top bit turns it into d - 32768 as a signed lane, so one
// multiply-add by ones sums pairs into 32-bit lanes without overflow; the bias
// is added back per sample at the end.
constexpr int64_t kBias = 32768;

inline __m128i AbsDiffBiased(__m128i x, __m128i y, __m128i flip) {
  return _mm_xor_si128(_mm_sub_epi16(_mm_max_epi16(x, y), _mm_min_epi16(x, y)), flip);
}

inline int64_t Lanes(__m128i acc) {
  const __m128i pairs = _mm_add_epi32(acc, _mm_shuffle_epi32(acc, 0x4E));
  return _mm_cvtsi128_si32(_mm_add_epi32(pairs, _mm_shuffle_epi32(pairs, 0xB1)));
}

uint64_t SumAbsDiffSse2(const int16_t* a, const int16_t* b, size_t n, uint64_t limit) {
  const __m128i flip = _mm_set1_epi16(static_cast<short>(0x8000));
  const __m128i ones = _mm_set1_epi16(1);
  auto at = [](const int16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
  uint64_t total = 0;
  size_t i = 0;
  for (; i + kChunk <= n; i += kChunk) {
    __m128i acc0 = _mm_setzero_si128();
    __m128i acc1 = _mm_setzero_si128();
    for (size_t j = i; j < i + kChunk; j += 16) {
      acc0 = _mm_add_epi32(acc0, _mm_madd_epi16(AbsDiffBiased(at(a + j), at(b + j), flip), ones));
      acc1 = _mm_add_epi32(acc1, _mm_madd_epi16(AbsDiffBiased(at(a + j + 8), at(b + j + 8), flip), ones));
    }
    total += static_cast<uint64_t>(Lanes(_mm_add_epi32(acc0, acc1)) + kBias * static_cast<int64_t>(kChunk));
    if (total >= limit) return total;
  }
  // Less than a chunk is left: whole vectors, then single samples.
  __m128i acc = _mm_setzero_si128();
  const size_t vectorsEnd = i + (n - i) / 8 * 8;
  for (; i < vectorsEnd; i += 8) {
    acc = _mm_add_epi32(acc, _mm_madd_epi16(AbsDiffBiased(at(a + i), at(b + i), flip), ones));
  }
  total += static_cast<uint64_t>(Lanes(acc) + kBias * static_cast<int64_t>(vectorsEnd % kChunk));
  for (; i < n; ++i) total += static_cast<uint64_t>(std::abs(a[i] - b[i]));
  return total;
}

#define TARVEX_AVX2 __attribute__((target("avx2"), always_inline)) inline

TARVEX_AVX2 __m256i Load256(const int16_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }

TARVEX_AVX2 __m256i AbsDiffBiased256(__m256i x, __m256i y, __m256i flip) {
  return _mm256_xor_si256(_mm256_sub_epi16(_mm256_max_epi16(x, y), _mm256_min_epi16(x, y)), flip);
}

TARVEX_AVX2 int64_t Lanes256(__m256i acc) {
  return Lanes(_mm_add_epi32(_mm256_castsi256_si128(acc), _mm256_extracti128_si256(acc, 1)));
}

__attribute__((target("avx2"))) uint64_t SumAbsDiffAvx2(const int16_t* a, const int16_t* b, size_t n,
                                                         uint64_t limit) {
  const __m256i flip = _mm256_set1_epi16(static_cast<short>(0x8000));
  const __m256i ones = _mm256_set1_epi16(1);
  uint64_t total = 0;
  size_t i = 0;
  for (; i + kChunk <= n; i += kChunk) {
    __m256i acc0 = _mm256_setzero_si256();
    __m256i acc1 = _mm256_setzero_si256();
    for (size_t j = i; j < i + kChunk; j += 32) {
      acc0 = _mm256_add_epi32(acc0, _mm256_madd_epi16(AbsDiffBiased256(Load256(a + j), Load256(b + j), flip), ones));
      acc1 = _mm256_add_epi32(
          acc1, _mm256_madd_epi16(AbsDiffBiased256(Load256(a + j + 16), Load256(b + j + 16), flip), ones));
    }
    total += static_cast<uint64_t>(Lanes256(_mm256_add_epi32(acc0, acc1)) + kBias * static_cast<int64_t>(kChunk));
    if (total >= limit) return total;
  }
  __m256i acc = _mm256_setzero_si256();
  const size_t vectorsEnd = i + (n - i) / 16 * 16;
  for (; i < vectorsEnd; i += 16) {
    acc = _mm256_add_epi32(acc, _mm256_madd_epi16(AbsDiffBiased256(Load256(a + i), Load256(b + i), flip), ones));
  }
  total += static_cast<uint64_t>(Lanes256(acc) + kBias * static_cast<int64_t>(vectorsEnd % kChunk));
  if (i < n) total += SumAbsDiffSse2(a + i, b + i, n - i, UINT64_MAX);
  return total;
}

#undef TARVEX_AVX2

bool HasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}

}  // namespace detail

namespace {

using namespace detail;

using Kernel = uint64_t (*)(const int16_t*, const int16_t*, size_t, uint64_t);

struct Choice {
  Kernel kernel;
  const char* name;
};

Choice Choose() {
  if (HasAvx2()) return {SumAbsDiffAvx2, "avx2"};
  return {SumAbsDiffSse2, "sse2"};
}

const Choice& Chosen() {
  static const Choice choice = Choose();
  return choice;
}

}  // namespace

uint64_t SumAbsDiff(const int16_t* a, const int16_t* b, size_t n, uint64_t limit) {
  return Chosen().kernel(a, b, n, limit);
}

uint64_t SumAbsDiffStrided(const int16_t* a, const int16_t* b, size_t begin, size_t end, size_t stride,
                           size_t group, uint64_t limit) {
  if (begin >= end) return 0;
  if (stride == group) {
    const size_t groups = (end - begin + stride - 1) / stride;
    return SumAbsDiff(a + begin, b + begin, groups * group, limit);
  }
  uint64_t total = 0;
  size_t counted = 0;
  for (size_t k = begin; k < end; k += stride) {
    for (size_t g = 0; g < group; ++g) total += static_cast<uint64_t>(std::abs(a[k + g] - b[k + g]));
    counted += group;
    if (counted >= detail::kChunk) {
      if (total >= limit) return total;
      counted = 0;
    }
  }
  return total;
}

const char* SumAbsDiffVersion() { return Chosen().name; }

}  // namespace tarvex
