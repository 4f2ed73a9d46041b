#include "WaveFileSignal.h"

#include <algorithm>
#include <cstring>

#include "File.h"

namespace platform {
namespace {

// Larger inputs are not what a test signal or a demonstration needs.
constexpr int64_t kMaxFileBytes = 256 * 1024 * 1024;

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Read32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

bool ParseWaveFileFrames(const uint8_t* bytes, size_t length, uint32_t expectedRate, std::vector<int16_t>& stereo,
                         std::string& error) {
  stereo.clear();
  if (length < 12 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0) {
    error = "not a RIFF WAVE file";
    return false;
  }
  // Chunks must lie inside both the RIFF size and the file.
  const size_t end = std::min<size_t>(length, static_cast<size_t>(Read32(bytes + 4)) + 8);
  uint16_t tag = 0, channels = 0, bits = 0;
  uint32_t rate = 0;
  bool haveFormat = false;
  size_t at = 12;
  while (at + 8 <= end) {
    const uint8_t* chunk = bytes + at;
    const size_t size = Read32(chunk + 4);
    const size_t body = at + 8;
    if (size > end - body) {
      error = "a chunk runs past the end of the file";
      return false;
    }
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (size < 16) {
        error = "the format chunk is too short";
        return false;
      }
      tag = Read16(chunk + 8);
      channels = Read16(chunk + 10);
      rate = Read32(chunk + 12);
      bits = Read16(chunk + 22);
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!haveFormat) {
        error = "the data comes before its format";
        return false;
      }
      if (tag != 1 || (bits != 8 && bits != 16) || (channels != 1 && channels != 2)) {
        error = "only 8- or 16-bit PCM, mono or stereo, is played";
        return false;
      }
      if (rate != expectedRate) {
        error = "the file's rate is not the device's";
        return false;
      }
      const size_t frameBytes = static_cast<size_t>(channels) * (bits / 8);
      const size_t frames = size / frameBytes;
      stereo.resize(frames * 2);
      const uint8_t* p = bytes + body;
      for (size_t f = 0; f < frames; ++f) {
        int16_t s[2];
        for (int c = 0; c < channels; ++c) {
          s[c] = bits == 16 ? static_cast<int16_t>(Read16(p)) : static_cast<int16_t>((p[0] - 128) * 256);
          p += bits / 8;
        }
        stereo[2 * f] = s[0];
        stereo[2 * f + 1] = channels == 2 ? s[1] : s[0];
      }
      return true;
    }
    at = body + size + (size & 1);  // chunks are padded to even sizes
  }
  error = haveFormat ? "the file has no data chunk" : "the file has no format chunk";
  return false;
}

bool ReadWaveFileFrames(const std::string& path, uint32_t expectedRate, std::vector<int16_t>& stereo,
                        std::string& error) {
  CFile file;
  if (!file.Open(path, CFile::Mode::Read)) {
    error = "cannot open " + path;
    return false;
  }
  const int64_t size = file.Size();
  if (size < 0 || size > kMaxFileBytes) {
    error = "the file is too large";
    return false;
  }
  std::vector<uint8_t> image(static_cast<size_t>(size));
  if (file.ReadAt(image.data(), image.size(), 0) != size) {
    error = "cannot read " + path;
    return false;
  }
  return ParseWaveFileFrames(image.data(), image.size(), expectedRate, stereo, error);
}

namespace {
constexpr size_t kWaveHeaderBytes = 44;
constexpr uint32_t kMaxDataBytes = 0xFFFFFFFFu - kWaveHeaderBytes;

void Put16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v & 0xFF);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
}  // namespace

bool CWaveFileSink::Open(const std::string& path, uint32_t samplesPerSecond) {
  if (!file_.Open(path, CFile::Mode::Create)) return false;
  uint8_t header[kWaveHeaderBytes] = {};
  std::memcpy(header, "RIFF", 4);
  std::memcpy(header + 8, "WAVEfmt ", 8);
  Put32(header + 16, 16);
  Put16(header + 20, 1);  // PCM
  Put16(header + 22, 2);
  Put32(header + 24, samplesPerSecond);
  Put32(header + 28, samplesPerSecond * 4);
  Put16(header + 32, 4);
  Put16(header + 34, 16);
  std::memcpy(header + 36, "data", 4);
  dataBytes_ = 0;
  if (file_.WriteAt(header, sizeof header, 0) != static_cast<int64_t>(sizeof header)) {
    file_.Close();
    return false;
  }
  WriteSizes();
  return true;
}

void CWaveFileSink::Append(const uint8_t* bytes, size_t length) {
  if (!file_.IsOpen() || length == 0) return;
  length = std::min<size_t>(length, kMaxDataBytes - dataBytes_) & ~size_t{3};
  if (length == 0) return;
  const int64_t written = file_.WriteAt(bytes, length, static_cast<int64_t>(kWaveHeaderBytes) + dataBytes_);
  if (written <= 0) return;
  dataBytes_ += static_cast<uint32_t>(written) & ~3u;
  WriteSizes();
}

void CWaveFileSink::WriteSizes() {
  uint8_t size[4];
  Put32(size, static_cast<uint32_t>(kWaveHeaderBytes - 8) + dataBytes_);
  file_.WriteAt(size, 4, 4);
  Put32(size, dataBytes_);
  file_.WriteAt(size, 4, 40);
}

}  // namespace platform
