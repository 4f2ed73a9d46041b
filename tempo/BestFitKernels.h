// Sums of absolute differences for the best-fit search of the tempo stage.
// This is where nearly all of the processor's time goes, so the contiguous
// case has vector versions chosen once for the running processor; every
// version gives exactly the sum of the plain loop.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarvex {

// Sum of |a[i] - b[i]| for i < n. Once the running sum reaches limit the rest
// is skipped and some value >= limit comes back: a candidate that cannot beat
// the best so far need not be finished.
uint64_t SumAbsDiff(const int16_t* a, const int16_t* b, size_t n, uint64_t limit);

// The same over groups of `group` neighbouring samples, one group every
// `stride` samples, for offsets begin <= k < end (the last group may end at
// end + group - 1).
uint64_t SumAbsDiffStrided(const int16_t* a, const int16_t* b, size_t begin, size_t end, size_t stride,
                           size_t group, uint64_t limit);

// The name of the version in use ("avx2", "sse2"), for benchmark reports.
const char* SumAbsDiffVersion();

// Each version on its own, for tests; Avx2 only where the processor has it.
namespace detail {
uint64_t SumAbsDiffPlain(const int16_t* a, const int16_t* b, size_t n, uint64_t limit);
uint64_t SumAbsDiffSse2(const int16_t* a, const int16_t* b, size_t n, uint64_t limit);
uint64_t SumAbsDiffAvx2(const int16_t* a, const int16_t* b, size_t n, uint64_t limit);
bool HasAvx2();
}  // namespace detail

}  // namespace tarvex
