// How far two runs of 16-bit samples are apart, over the samples both have: the
// largest difference and how many samples differ at all, for the scripts that
// compare our output with another program's.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace bench {

struct SampleDifference {
  int worst = 0;
  size_t differing = 0;
};

inline SampleDifference Difference(const std::vector<int16_t>& x, const std::vector<int16_t>& y) {
  const size_t n = std::min(x.size(), y.size());
  SampleDifference d;
  for (size_t i = 0; i < n; ++i) {
    const int apart = std::abs(x[i] - y[i]);
    d.worst = std::max(d.worst, apart);
    d.differing += apart != 0;
  }
  return d;
}

}  // namespace bench
