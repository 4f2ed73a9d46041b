#include "Ombrel.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <new>

#include "WaveHeader.h"
#include "SectorFile.h"
#include "ReportErrorDll.h"
#include "WaveDecoder.h"
#include "WaveEncoder.h"

// PCM blocks cross the boundary as the file stores them.
static_assert(std::endian::native == std::endian::little, "the codec hands on little-endian PCM as stored");

namespace {

constexpr const char* kSource = "Ombrel";
constexpr int kLineDecode = 63;
constexpr int kLineEncode = 95;
constexpr int kLineHeader = 119;

}  // namespace

COmbrel::COmbrel() = default;
COmbrel::~COmbrel() = default;
COmbrel& COmbrel::operator=(const COmbrel&) = default;

unsigned int COmbrel::Decode(const char* path, OmbrelDecodeCallback callback) {
  std::unique_ptr<ombrel::CWaveDecoder> decoder(new (std::nothrow) ombrel::CWaveDecoder(path, callback));
  if (!decoder) {
    ReportErrorDll(kSource, kLineDecode, "");
    return kOmbrelNoWorker;
  }
  return decoder->Decode();
}

unsigned int COmbrel::Encode(const char* path, AudioQuality format, OmbrelEncodeCallback callback) {
  std::unique_ptr<ombrel::CWaveEncoder> encoder(new (std::nothrow) ombrel::CWaveEncoder(path, format, callback));
  if (!encoder) {
    ReportErrorDll(kSource, kLineEncode, "");
    return kOmbrelNoWorker;
  }
  return encoder->Encode();
}

unsigned int COmbrel::GetHeaderParameters(const char* path, OmbrelWaveHeaderInfo* info) {
  if (!info) {
    ReportErrorDll(kSource, __LINE__, "");
    return 1;
  }
  std::memset(info, 0, sizeof *info);
  std::unique_ptr<ombrel::CLargeFile> file(new (std::nothrow) ombrel::CLargeFile);
  if (!file) {
    ReportErrorDll(kSource, kLineHeader, "");
    return kOmbrelNoWorker;
  }
  if (file->Open(path, ombrel::CLargeFile::kModeRead) != ombrel::CLargeFile::kOk) return 1;
  ombrel::WaveHeader header;
  ombrel::CLargeFileSource source(*file);
  const ombrel::WaveHeaderError error = ombrel::ParseWaveHeader(source, &header);
  file->Close();
  if (error != ombrel::WaveHeaderError::None) return 1;
  info->samplesPerSecond = static_cast<int32_t>(header.samplesPerSecond);
  info->bitsPerSample = static_cast<int16_t>(header.bitsPerSample);
  info->channels = static_cast<int16_t>(header.channels);
  info->formatTag = static_cast<int16_t>(header.formatTag);
  info->dataOffset = static_cast<uint32_t>(std::min<uint64_t>(header.dataOffset, 0xFFFFFFFFu));
  info->dataSize = static_cast<uint32_t>(std::min<uint64_t>(header.dataSize, 0xFFFFFFFFu));
  return 0;
}
