#include "WaveHeader.h"

#include <algorithm>
#include <cstring>

namespace ombrel {
namespace {

// A crafted file of millions of empty chunks must not keep the walker busy; real
// files have a handful before their data.
constexpr int kMaxChunks = 10000;
constexpr size_t kFormatBytes = 40;  // the extensible format, the largest we look into

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

bool ReadExactly(CByteSource& source, uint64_t offset, void* buffer, size_t bytes) {
  return source.ReadAt(offset, buffer, bytes) == static_cast<int64_t>(bytes);
}

WaveHeaderError ReadFormat(CByteSource& source, uint64_t offset, uint32_t size, WaveHeader* header) {
  if (size < 16) return WaveHeaderError::NoFormat;
  uint8_t f[kFormatBytes] = {};
  const size_t take = std::min<size_t>(size, kFormatBytes);
  if (!ReadExactly(source, offset, f, take)) return WaveHeaderError::Unreadable;
  header->formatTag = Le16(f + 0);
  header->channels = Le16(f + 2);
  header->samplesPerSecond = Le32(f + 4);
  header->avgBytesPerSecond = Le32(f + 8);
  header->blockAlign = Le16(f + 12);
  header->bitsPerSample = Le16(f + 14);
  // The sub-format tag sits at byte 24, after cbSize, valid bits and the channel mask.
  if (header->formatTag == kWaveFormatExtensible && take >= 26) header->subFormatTag = Le16(f + 24);
  return WaveHeaderError::None;
}

bool FormatIsSound(const WaveHeader& h) {
  if (h.channels == 0 || h.channels > kMaxChannels) return false;
  if (h.blockAlign == 0) return false;
  if (h.samplesPerSecond < kMinSamplesPerSecond || h.samplesPerSecond > kMaxSamplesPerSecond) return false;
  if (h.formatTag == kWaveFormatPcm) {
    if (h.bitsPerSample == 0 || h.bitsPerSample > 32) return false;
    // A frame must hold every channel's sample.
    if (h.blockAlign < h.channels * ((h.bitsPerSample + 7) / 8)) return false;
  }
  return true;
}

}  // namespace

int64_t CMemorySource::ReadAt(uint64_t offset, void* buffer, size_t bytes) {
  if (offset >= size_) return 0;
  const size_t n = static_cast<size_t>(std::min<uint64_t>(bytes, size_ - offset));
  std::memcpy(buffer, data_ + offset, n);
  return static_cast<int64_t>(n);
}

bool IsDirectPcm(const WaveHeader& header) {
  return header.formatTag == kWaveFormatPcm && (header.bitsPerSample == 8 || header.bitsPerSample == 16) &&
         (header.channels == 1 || header.channels == 2) &&
         header.blockAlign == header.channels * (header.bitsPerSample / 8);
}

WaveHeaderError ParseWaveHeader(CByteSource& source, WaveHeader* header) {
  *header = WaveHeader{};
  const uint64_t fileSize = source.Size();
  uint8_t riff[12];
  if (fileSize < sizeof riff) return WaveHeaderError::NotWave;
  if (!ReadExactly(source, 0, riff, sizeof riff)) return WaveHeaderError::Unreadable;
  if (std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0) return WaveHeaderError::NotWave;

  // The RIFF size field is often wrong (streamed or carelessly written files), so
  // the chunks are bounded by the file itself.
  bool haveFormat = false;
  bool haveData = false;
  bool damaged = false;
  uint64_t offset = sizeof riff;
  for (int chunk = 0; !(haveFormat && haveData); ++chunk) {
    uint8_t head[8];
    if (offset + sizeof head > fileSize) break;
    if (chunk == kMaxChunks) {
      damaged = true;
      break;
    }
    if (!ReadExactly(source, offset, head, sizeof head)) return WaveHeaderError::Unreadable;
    const uint32_t size = Le32(head + 4);
    const uint64_t body = offset + sizeof head;
    const uint64_t available = fileSize - body;

    if (std::memcmp(head, "data", 4) == 0) {
      if (!haveData) {
        haveData = true;
        header->dataOffset = body;
        header->declaredDataSize = size;
        header->dataSize = std::min<uint64_t>(size, available);
        header->dataTruncated = size > available;
      }
    } else if (size > available) {
      // A chunk that claims more than the file holds: nothing after it can be trusted.
      damaged = true;
      break;
    } else if (std::memcmp(head, "fmt ", 4) == 0) {
      if (!haveFormat) {
        const WaveHeaderError e = ReadFormat(source, body, size, header);
        if (e != WaveHeaderError::None) return e;
        haveFormat = true;
      }
    } else if (std::memcmp(head, "fact", 4) == 0) {
      uint8_t count[4];
      if (!header->hasFact && size >= 4 && ReadExactly(source, body, count, 4)) {
        header->hasFact = true;
        header->factSamples = Le32(count);
      }
    }
    // Chunks are padded to an even length.
    offset = body + size + (size & 1u);
  }

  if (!haveFormat) return damaged ? WaveHeaderError::DamagedChunks : WaveHeaderError::NoFormat;
  if (!FormatIsSound(*header)) return WaveHeaderError::BadFormat;
  if (!haveData) return damaged ? WaveHeaderError::DamagedChunks : WaveHeaderError::NoData;
  return WaveHeaderError::None;
}

const char* DescribeWaveHeaderError(WaveHeaderError error) {
  switch (error) {
    case WaveHeaderError::None: return "";
    case WaveHeaderError::Unreadable: return "The file could not be read.";
    case WaveHeaderError::NotWave: return "The file is not a WAV file.";
    case WaveHeaderError::NoFormat: return "The WAV file has no usable format description.";
    case WaveHeaderError::BadFormat:
      return "The WAV file's format description is damaged (no channels, a block size of 0 or an impossible "
             "sample rate).";
    case WaveHeaderError::NoData: return "The WAV file holds no audio data.";
    case WaveHeaderError::DamagedChunks:
      return "The WAV file is damaged: a chunk runs past the end of the file before the audio data.";
  }
  return "";
}

}  // namespace ombrel
