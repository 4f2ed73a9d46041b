// Any bytes at all through the WAV header parser. Besides the sanitizers'
// checks, a header it accepts must describe audio that lies inside the input.
#include <cstddef>
#include <cstdint>

#include "WaveHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ombrel::CMemorySource source(data, size);
  ombrel::WaveHeader header;
  const ombrel::WaveHeaderError error = ombrel::ParseWaveHeader(source, &header);
  if (ombrel::DescribeWaveHeaderError(error) == nullptr) __builtin_trap();
  if (error != ombrel::WaveHeaderError::None) return 0;
  if (header.dataOffset > size || header.dataSize > size - header.dataOffset) __builtin_trap();
  if (header.channels == 0 || header.blockAlign == 0 || header.samplesPerSecond < ombrel::kMinSamplesPerSecond) {
    __builtin_trap();
  }
  if (ombrel::IsDirectPcm(header) && header.blockAlign != header.channels * header.bitsPerSample / 8) __builtin_trap();
  return 0;
}
