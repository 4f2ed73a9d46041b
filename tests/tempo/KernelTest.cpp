#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "BestFitKernels.h"

namespace {

uint64_t Slow(const std::vector<int16_t>& a, const std::vector<int16_t>& b, size_t n) {
  uint64_t sum = 0;
  for (size_t i = 0; i < n; ++i) sum += static_cast<uint64_t>(std::abs(int{a[i]} - int{b[i]}));
  return sum;
}

using Kernel = uint64_t (*)(const int16_t*, const int16_t*, size_t, uint64_t);

std::vector<Kernel> Kernels() {
  std::vector<Kernel> kernels = {tarvex::detail::SumAbsDiffPlain, tarvex::detail::SumAbsDiffSse2,
                                 tarvex::SumAbsDiff};
  if (tarvex::detail::HasAvx2()) kernels.push_back(tarvex::detail::SumAbsDiffAvx2);
  return kernels;
}

}  // namespace

TEST(SumAbsDiff, EveryVersionMatchesTheSlowSum) {
  std::mt19937 random(21);
  std::uniform_int_distribution<int> sample(-32768, 32767);
  for (size_t n : {0u, 1u, 7u, 8u, 15u, 16u, 127u, 128u, 129u, 529u, 1058u, 2047u}) {
    std::vector<int16_t> a(n + 1), b(n + 1);
    for (size_t i = 0; i <= n; ++i) {
      a[i] = static_cast<int16_t>(sample(random));
      b[i] = static_cast<int16_t>(sample(random));
    }
    // Full-scale opposites: the largest difference a sample can have.
    if (n > 3) {
      a[1] = -32768, b[1] = 32767;
      a[2] = 32767, b[2] = -32768;
    }
    const uint64_t expected = Slow(a, b, n);
    for (Kernel k : Kernels()) {
      // Unaligned starts too: the window slides sample by sample.
      EXPECT_EQ(k(a.data(), b.data(), n, UINT64_MAX), expected) << n;
      EXPECT_EQ(k(a.data() + 1, b.data() + 1, n, UINT64_MAX), Slow({a.begin() + 1, a.end()}, {b.begin() + 1, b.end()}, n));
    }
  }
}

TEST(SumAbsDiff, StopsOnlyOnceTheLimitIsReached) {
  std::mt19937 random(22);
  std::uniform_int_distribution<int> sample(-20000, 20000);
  std::vector<int16_t> a(1058), b(1058);
  for (size_t i = 0; i < a.size(); ++i) {
    a[i] = static_cast<int16_t>(sample(random));
    b[i] = static_cast<int16_t>(sample(random));
  }
  const uint64_t exact = Slow(a, b, a.size());
  for (Kernel k : Kernels()) {
    EXPECT_EQ(k(a.data(), b.data(), a.size(), exact + 1), exact);  // below the limit: the exact sum
    EXPECT_GE(k(a.data(), b.data(), a.size(), exact), exact);
    EXPECT_GE(k(a.data(), b.data(), a.size(), exact / 3), exact / 3);
  }
}

TEST(SumAbsDiff, StridedGroupsMatchTheSlowSum) {
  std::mt19937 random(23);
  std::uniform_int_distribution<int> sample(-32768, 32767);
  std::vector<int16_t> a(1100), b(1100);
  for (size_t i = 0; i < a.size(); ++i) {
    a[i] = static_cast<int16_t>(sample(random));
    b[i] = static_cast<int16_t>(sample(random));
  }
  struct Case {
    size_t begin, end, stride, group;
  };
  for (const Case& c : {Case{0, 529, 1, 1}, Case{21, 508, 2, 1}, Case{42, 1016, 2, 2}, Case{43, 1015, 4, 2},
                        Case{0, 1058, 6, 2}, Case{600, 500, 2, 2}}) {
    uint64_t expected = 0;
    for (size_t k = c.begin; k < c.end; k += c.stride) {
      for (size_t g = 0; g < c.group; ++g) expected += static_cast<uint64_t>(std::abs(a[k + g] - b[k + g]));
    }
    EXPECT_EQ(tarvex::SumAbsDiffStrided(a.data(), b.data(), c.begin, c.end, c.stride, c.group, UINT64_MAX),
              expected)
        << c.begin << " " << c.stride << " " << c.group;
  }
}
