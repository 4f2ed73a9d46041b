// White noise for the asset generators: xorshift32 in [-1, 1), the same on
// every machine, so generated files are identical wherever they are built.
#pragma once

#include <cstdint>

class CNoise {
 public:
  explicit CNoise(uint32_t seed) : state_(seed) {}
  double Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<double>(state_) / 2147483648.0 - 1.0;
  }

 private:
  uint32_t state_;
};
