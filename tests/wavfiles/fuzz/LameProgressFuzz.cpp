// Any output of LAME, cut into pieces as the input's first byte says, through
// both progress parsers. Percents must stay within 0..100.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "LameProgress.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t piece = 1 + data[0] % 255;
  for (auto kind : {lunder::CLameProgress::Kind::Decode, lunder::CLameProgress::Kind::Encode}) {
    lunder::CLameProgress parser(kind);
    std::vector<short> percents;
    for (size_t at = 1; at < size; at += piece) {
      const size_t n = size - at < piece ? size - at : piece;
      parser.Feed(reinterpret_cast<const char*>(data + at), n, &percents);
    }
    parser.Finish(&percents);
    for (short p : percents) {
      if (p < 0 || p > 100) __builtin_trap();
    }
  }
  return 0;
}
