// Any bytes at all as "qvk.cfg". Besides the sanitizers' checks: the record
// read keeps its audio folder ended inside its field, writes back the very
// bytes it read (but the magic, which every save writes, and the folder's
// terminator), and reads that back to the same record; a file shorter than the
// record leaves the rest of the record as it was.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "ProConfig.h"

namespace {

bool SameBytes(const ProConfig& a, const ProConfig& b) {
  uint8_t x[ProConfig::kBytes], y[ProConfig::kBytes];
  a.Serialize(x);
  b.Serialize(y);
  return std::memcmp(x, y, sizeof x) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ProConfig before;
  before.ApplyFirstStartDefaults("/home/someone/orvane_audio", 1);
  ProConfig config = before;
  config.Parse(data, size);
  if (config.GetAudioFolder().size() > ProConfig::kAudioFolderChars) __builtin_trap();
  if (config.audioFolder[ProConfig::kAudioFolderBytes - 1] != 0) __builtin_trap();

  uint8_t image[ProConfig::kBytes];
  config.Serialize(image);
  uint8_t defaults[ProConfig::kBytes];
  before.Serialize(defaults);
  const size_t taken = size < ProConfig::kBytes ? size : ProConfig::kBytes;
  constexpr size_t kFolderEnd = ProConfig::kOffAudioFolder + ProConfig::kAudioFolderBytes - 1;
  for (size_t i = 8; i < ProConfig::kBytes; ++i) {
    const uint8_t expected = i == kFolderEnd ? 0 : i < taken ? data[i] : defaults[i];
    if (image[i] != expected) __builtin_trap();
  }
  ProConfig again = before;
  again.Parse(image, sizeof image);
  if (!SameBytes(again, config)) __builtin_trap();
  return 0;
}
