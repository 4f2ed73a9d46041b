#include "WaveDecoder.h"

#include <sndfile.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "FileReport.h"
#include "SectorFile.h"
#include "ReportErrorDll.h"

namespace ombrel {
namespace {

constexpr const char* kSource = "WaveDecoder";
constexpr const char* kHeaderSource = "Generic";
constexpr int kLineHeader = 360;
constexpr int kLineSize = 181;
constexpr int kLineConverterOpen = 356;
constexpr int kLineNoCallback = 629;

constexpr uint32_t kDirectChunkBytes = 0x8000;
constexpr uint32_t kDirectBufferBytes = 40000;
static_assert(CLargeFile::ReadRoom(kDirectChunkBytes) <= kDirectBufferBytes);
// The converter's float block stays below 4 MB whatever the channel count.
constexpr size_t kMaxConvertedSamples = size_t{1} << 20;

// A float sample in -1..1 to 16-bit, rounded to nearest (ties to even, as
// lrintf); out-of-range values clip, NaN is silence. Exact for sources of 16
// bits or fewer. Written without calls or branches so the loop vectorises:
// adding 1.5 * 2^23 leaves the rounded integer in the low mantissa bits.
inline int16_t FloatToPcm16(float x) {
  constexpr float kRoundingBias = 12582912.0f;
  float scaled = x == x ? x * 32768.0f : 0.0f;
  scaled = scaled < 32767.0f ? scaled : 32767.0f;
  scaled = scaled > -32768.0f ? scaled : -32768.0f;
  return static_cast<int16_t>(std::bit_cast<int32_t>(scaled + kRoundingBias) - std::bit_cast<int32_t>(kRoundingBias));
}

// The first two channels of frames interleaved frames of channels.
void ConvertFrames(const float* in, size_t frames, size_t channels, int16_t* out) {
  if (channels == 1) {
    for (size_t i = 0; i < frames; ++i) out[i] = FloatToPcm16(in[i]);
  } else if (channels == 2) {
    for (size_t i = 0; i < 2 * frames; ++i) out[i] = FloatToPcm16(in[i]);
  } else {
    for (size_t f = 0; f < frames; ++f) {
      out[2 * f] = FloatToPcm16(in[f * channels]);
      out[2 * f + 1] = FloatToPcm16(in[f * channels + 1]);
    }
  }
}

// libsndfile reads through the codec's own file.
struct FileIo {
  CLargeFile* file;
};

sf_count_t IoLength(void* user) { return static_cast<sf_count_t>(static_cast<FileIo*>(user)->file->Size()); }

sf_count_t IoSeek(sf_count_t offset, int whence, void* user) {
  CLargeFile& file = *static_cast<FileIo*>(user)->file;
  sf_count_t base = 0;
  if (whence == SEEK_CUR) base = static_cast<sf_count_t>(file.Position());
  if (whence == SEEK_END) base = static_cast<sf_count_t>(file.Size());
  const sf_count_t target = base + offset;
  if (target < 0) return -1;
  if (file.Seek(static_cast<uint64_t>(target)) != CLargeFile::kOk) return -1;
  return target;
}

sf_count_t IoRead(void* destination, sf_count_t count, void* user) {
  CLargeFile& file = *static_cast<FileIo*>(user)->file;
  // Pieces keep each request within the file's 32-bit counts.
  constexpr uint32_t kPiece = 1u << 30;
  sf_count_t done = 0;
  while (done < count) {
    const uint32_t want = static_cast<uint32_t>(std::min<sf_count_t>(count - done, kPiece));
    uint32_t got = 0;
    if (file.ReadUnpadded(static_cast<uint8_t*>(destination) + done, want, &got) != CLargeFile::kOk || got == 0) {
      break;
    }
    done += got;
  }
  return done;
}

sf_count_t IoWrite(const void*, sf_count_t, void*) { return 0; }

sf_count_t IoTell(void* user) { return static_cast<sf_count_t>(static_cast<FileIo*>(user)->file->Position()); }

struct SndfileCloser {
  void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndfilePtr = std::unique_ptr<SNDFILE, SndfileCloser>;

short Percent(uint64_t done, uint64_t total) {
  if (total == 0) return 0;
  return static_cast<short>(std::min<uint64_t>(100, done * 100 / total));
}

}  // namespace

CWaveDecoder::CWaveDecoder(const char* path, OmbrelDecodeCallback callback)
    : path_(path ? path : ""), hasPath_(path != nullptr), callback_(callback) {}

CWaveDecoder::~CWaveDecoder() = default;

unsigned int CWaveDecoder::Decode() {
  if (!callback_) {
    ReportErrorDll(kSource, kLineNoCallback, "");
    return kOmbrelDone;
  }
  CLargeFile file;
  if (!hasPath_ || file.Open(path_.c_str(), CLargeFile::kModeRead) != CLargeFile::kOk) {
    if (!hasPath_) ReportErrorDll(kSource, kLineSize, "Failed to open file.");
    return kOmbrelDone;
  }
  WaveHeader header;
  CLargeFileSource source(file);
  const WaveHeaderError error = ParseWaveHeader(source, &header);
  if (error != WaveHeaderError::None) {
    std::string text = "Error experienced while attempting to access audio file. ";
    text += DescribeWaveHeaderError(error);
    ReportAboutFile(kHeaderSource, kLineHeader, text.c_str(), path_);
    return kOmbrelDone;
  }

  Outcome outcome;
  if (IsDirectPcm(header)) {
    bool delivered = false;
    outcome = DecodeDirect(file, header, &delivered);
    // The converter reads the file its own way; worth a try only while the
    // caller has had nothing, so no audio arrives twice.
    if (outcome == Outcome::ReadFailed && !delivered) outcome = DecodeConverted(file, header);
  } else {
    outcome = DecodeConverted(file, header);
  }
  file.Close();
  return outcome == Outcome::Cancelled ? kOmbrelCancelled : kOmbrelDone;
}

CWaveDecoder::Outcome CWaveDecoder::DecodeDirect(CLargeFile& file, const WaveHeader& header, bool* delivered) {
  std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[kDirectBufferBytes]);
  if (!buffer) {
    ReportErrorDll(kSource, __LINE__, "");
    return Outcome::ReadFailed;
  }
  AudioQuality quality;
  quality.samplesPerSecond = header.samplesPerSecond;
  quality.channels = header.channels;
  quality.bitsPerSample = header.bitsPerSample;
  // Whole frames only: a torn last frame would shift every later channel.
  const uint64_t dataSize = header.dataSize - header.dataSize % header.blockAlign;
  for (uint64_t position = 0; position < dataSize; position += kDirectChunkBytes) {
    const uint32_t chunk = static_cast<uint32_t>(std::min<uint64_t>(kDirectChunkBytes, dataSize - position));
    uint32_t got = 0;
    int result = file.Seek(header.dataOffset + position);
    if (result == CLargeFile::kOk) result = file.Read(buffer.get(), chunk, &got);
    if (result != CLargeFile::kOk || got != chunk) {
      // The file's own failures are reported by the file; a short read is ours to tell.
      if (result == CLargeFile::kOk || result == CLargeFile::kBadArgument) {
        ReportAboutFile(kSource, __LINE__, "The audio data could not be read to its end.", path_);
      }
      return Outcome::ReadFailed;
    }
    int cancel = 0;
    callback_(buffer.get(), chunk, &quality, Percent(position, dataSize), &cancel);
    *delivered = true;
    if (cancel != 0) return Outcome::Cancelled;
  }
  return Outcome::Done;
}

CWaveDecoder::Outcome CWaveDecoder::DecodeConverted(CLargeFile& file, const WaveHeader& header) {
  uint64_t size = 0;
  if (file.GetSize(&size) != CLargeFile::kOk) {
    ReportAboutFile(kSource, kLineSize, "Failed to open file.", path_);
    return Outcome::ReadFailed;
  }
  FileIo io{&file};
  SF_VIRTUAL_IO callbacks{IoLength, IoSeek, IoRead, IoWrite, IoTell};
  SF_INFO info;
  std::memset(&info, 0, sizeof info);
  file.Seek(0);
  SndfilePtr converter(sf_open_virtual(&callbacks, SFM_READ, &info, &io));
  if (!converter || info.channels <= 0 || info.samplerate <= 0) {
    char text[400];
    std::snprintf(text, sizeof text, "Failed to open file. WAV format 0x%04X cannot be converted: %s",
                  header.formatTag, converter ? "no channels" : sf_strerror(nullptr));
    ReportAboutFile(kSource, kLineConverterOpen, text, path_);
    return Outcome::ReadFailed;
  }
  const size_t channels = static_cast<size_t>(info.channels);
  const size_t outChannels = std::min<size_t>(channels, 2);
  // About one second of source per block.
  const size_t blockFrames =
      std::max<size_t>(1, std::min<size_t>(static_cast<size_t>(info.samplerate), kMaxConvertedSamples / channels));
  std::vector<float> in;
  std::vector<int16_t> out;
  try {
    in.resize(blockFrames * channels);
    out.resize(blockFrames * outChannels);
  } catch (const std::bad_alloc&) {
    ReportErrorDll(kSource, __LINE__, "");
    return Outcome::ReadFailed;
  }

  AudioQuality quality;
  quality.samplesPerSecond = static_cast<uint32_t>(info.samplerate);
  quality.channels = static_cast<uint16_t>(outChannels);
  quality.bitsPerSample = 16;
  const uint64_t totalFrames = info.frames > 0 ? static_cast<uint64_t>(info.frames) : 0;
  uint64_t framesDone = 0;
  for (;;) {
    const sf_count_t n = sf_readf_float(converter.get(), in.data(), static_cast<sf_count_t>(blockFrames));
    if (n <= 0) break;
    const size_t frames = static_cast<size_t>(n);
    ConvertFrames(in.data(), frames, channels, out.data());
    framesDone += frames;
    int cancel = 0;
    callback_(reinterpret_cast<unsigned char*>(out.data()), static_cast<OmbrelByteCount>(frames * outChannels * 2),
              &quality, Percent(framesDone, totalFrames), &cancel);
    if (cancel != 0) return Outcome::Cancelled;
  }
  if (sf_error(converter.get()) != SF_ERR_NO_ERROR) {
    std::string text = "The audio data could not be converted to its end: ";
    text += sf_strerror(converter.get());
    ReportAboutFile(kSource, __LINE__, text.c_str(), path_);
  }
  return Outcome::Done;
}

}  // namespace ombrel
