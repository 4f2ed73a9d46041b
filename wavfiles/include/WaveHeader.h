// The WAV header parser: walks the RIFF chunks of a file to find its format and
// its audio data. It never reads outside the file or a chunk's bounds and takes
// "data" only as a chunk of the RIFF form itself, never from inside another chunk.
// It reports nothing itself; the decoder turns its verdict into a report.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ombrel {

enum class WaveHeaderError {
  None,
  Unreadable,      // the file could not be read
  NotWave,         // no "RIFF" ... "WAVE" at the start
  NoFormat,        // no usable "fmt " chunk
  BadFormat,       // a format no audio can have (no channels, block align 0, absurd rate)
  NoData,          // no "data" chunk
  DamagedChunks,   // a chunk runs past the end of the file before the format and data were found
};

constexpr uint16_t kWaveFormatPcm = 1;
constexpr uint16_t kWaveFormatFloat = 3;
constexpr uint16_t kWaveFormatExtensible = 0xFFFE;

// Sample rates outside this range are refused as damaged.
constexpr uint32_t kMinSamplesPerSecond = 1000;
constexpr uint32_t kMaxSamplesPerSecond = 768000;
constexpr uint16_t kMaxChannels = 256;

struct WaveHeader {
  uint16_t formatTag = 0;
  uint16_t channels = 0;
  uint32_t samplesPerSecond = 0;
  uint32_t avgBytesPerSecond = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
  uint16_t subFormatTag = 0;      // the first two bytes of an extensible format's sub-format
  uint64_t dataOffset = 0;        // bytes from the start of the file
  uint64_t dataSize = 0;          // clamped to what the file holds
  uint32_t declaredDataSize = 0;  // as the chunk header says
  bool dataTruncated = false;     // the file ends before the data chunk does
  bool hasFact = false;
  uint32_t factSamples = 0;
};

// Where the parser reads from: a file or, for fuzzing and tests, memory.
class CByteSource {
 public:
  virtual ~CByteSource() = default;
  // Reads up to bytes at offset; returns the count read (short only at the end), -1 on failure.
  virtual int64_t ReadAt(uint64_t offset, void* buffer, size_t bytes) = 0;
  virtual uint64_t Size() const = 0;
};

class CMemorySource final : public CByteSource {
 public:
  CMemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  int64_t ReadAt(uint64_t offset, void* buffer, size_t bytes) override;
  uint64_t Size() const override { return size_; }

 private:
  const uint8_t* data_;
  size_t size_;
};

WaveHeaderError ParseWaveHeader(CByteSource& source, WaveHeader* header);

// A sentence for the user about what is wrong with the file.
const char* DescribeWaveHeaderError(WaveHeaderError error);

// True for plain PCM the codec hands on as it is: 8 or 16 bits, one or two channels.
bool IsDirectPcm(const WaveHeader& header);

}  // namespace ombrel
