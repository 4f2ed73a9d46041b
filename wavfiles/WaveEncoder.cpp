#include "WaveEncoder.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "EncodeTemporary.h"
#include "FileReplace.h"
#include "FileReport.h"
#include "SectorFile.h"
#include "ReportErrorDll.h"

namespace ombrel {
namespace {

constexpr const char* kSource = "WaveEncoder";
constexpr int kLineOpen = 138;
constexpr int kLineBuffer = 152;
constexpr int kLineNoCallback = 165;
constexpr int kLineReplace = 204;

constexpr uint32_t kTransferBytes = 0x20000;
// The RIFF size field is 32 bits: header, data and pad byte must fit in it.
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - (kWaveHeaderBytes - 8) - 1;

void PutLe16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void PutLe32(uint8_t* p, uint32_t v) {
  PutLe16(p, v & 0xFFFF);
  PutLe16(p + 2, v >> 16);
}

void ReportAbout(int line, const std::string& text, const std::string& path) {
  ReportAboutFile(kSource, line, text, path);
}

}  // namespace

void MakeCanonicalWaveHeader(const AudioQuality& format, uint32_t dataBytes, uint8_t header[kWaveHeaderBytes]) {
  const uint32_t blockAlign = format.channels * (format.bitsPerSample / 8u);
  const uint32_t pad = dataBytes & 1u;
  std::memcpy(header, "RIFF", 4);
  PutLe32(header + 4, kWaveHeaderBytes - 8 + dataBytes + pad);
  std::memcpy(header + 8, "WAVEfmt ", 8);
  PutLe32(header + 16, 16);
  PutLe16(header + 20, 1);
  PutLe16(header + 22, format.channels);
  PutLe32(header + 24, format.samplesPerSecond);
  PutLe32(header + 28, blockAlign * format.samplesPerSecond);
  PutLe16(header + 32, blockAlign);
  PutLe16(header + 34, format.bitsPerSample);
  std::memcpy(header + 36, "data", 4);
  PutLe32(header + 40, dataBytes);
}

CWaveEncoder::CWaveEncoder(const char* path, AudioQuality format, OmbrelEncodeCallback callback)
    : path_(path ? path : ""), hasPath_(path != nullptr && *path != '\0'), format_(format), callback_(callback) {}

CWaveEncoder::~CWaveEncoder() = default;

unsigned int CWaveEncoder::Encode() {
  if (!callback_) {
    ReportErrorDll(kSource, kLineNoCallback, "");
    return kOmbrelDone;
  }
  if (!hasPath_) {
    ReportErrorDll(kSource, __LINE__, "No file name was given for the WAV file.");
    return kOmbrelDone;
  }
  const uint16_t bits = format_.bitsPerSample;
  if (format_.channels == 0 || format_.samplesPerSecond == 0 ||
      (bits != 8 && bits != 16 && bits != 24 && bits != 32)) {
    char text[160];
    std::snprintf(text, sizeof text, "Cannot write a WAV file of %u channel(s), %u bits, %u Hz.",
                  static_cast<unsigned>(format_.channels), static_cast<unsigned>(bits),
                  static_cast<unsigned>(format_.samplesPerSecond));
    ReportAbout(__LINE__, text, path_);
    return kOmbrelDone;
  }

  // Beside the file replaced (through a link: beside its target), so that the
  // finished file replaces it in one rename.
  const std::string target = platform::ReplacedFile(path_);
  platform::CTemporaryFileGuard temporary(MakeEncodeTemporary(platform::FolderOfPath(target), kWaveTemporarySuffix));
  if (temporary.Path().empty()) {
    ReportAbout(kLineOpen, "Could not create a new file in the destination folder.", path_);
    return kOmbrelDone;
  }
  CLargeFile file;
  if (file.Open(temporary.Path().c_str(), CLargeFile::kModeWrite) != CLargeFile::kOk) return kOmbrelDone;

  uint8_t header[kWaveHeaderBytes] = {};
  uint32_t written = 0;
  if (file.Write(header, kWaveHeaderBytes, &written) != CLargeFile::kOk) return kOmbrelDone;

  std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[kTransferBytes]);
  if (!buffer) {
    ReportErrorDll(kSource, kLineBuffer, "");
    return kOmbrelDone;
  }
  uint64_t dataBytes = 0;
  for (;;) {
    OmbrelByteCount got = 0;
    int cancel = 0;
    callback_(buffer.get(), kTransferBytes, &got, &cancel);
    if (cancel != 0) return kOmbrelCancelled;
    if (got == 0) break;
    if (got > kTransferBytes) {
      ReportAbout(__LINE__, "The audio source claimed more bytes than its buffer holds; the file was not written.",
                  path_);
      return kOmbrelDone;
    }
    if (dataBytes + got > kMaxDataBytes) {
      ReportAbout(__LINE__, "The audio is too long for a WAV file (4 GB at most); the file was not written.", path_);
      return kOmbrelDone;
    }
    if (file.Write(buffer.get(), got, &written) != CLargeFile::kOk) return kOmbrelDone;
    dataBytes += got;
  }
  if ((dataBytes & 1u) != 0) {
    const uint8_t pad = 0;
    if (file.Write(&pad, 1, &written) != CLargeFile::kOk) return kOmbrelDone;
  }
  MakeCanonicalWaveHeader(format_, static_cast<uint32_t>(dataBytes), header);
  if (file.Seek(0) != CLargeFile::kOk || file.Write(header, kWaveHeaderBytes, &written) != CLargeFile::kOk ||
      file.Close() != CLargeFile::kOk) {
    return kOmbrelDone;
  }
  if (!platform::ReplaceFileWith(temporary.Path(), target)) {
    ReportAbout(kLineReplace, "The new WAV file could not replace the destination; the old file is kept.", path_);
    return kOmbrelDone;
  }
  temporary.Release();
  return kOmbrelDone;
}

}  // namespace ombrel
