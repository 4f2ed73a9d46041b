#include "Lunder.h"

#include <memory>
#include <new>

#include "MP3Decoder.h"
#include "MP3Encoder.h"
#include "ReportErrorDll.h"

namespace {

constexpr const char* kSource = "Lunder";
constexpr int kLineDecode = 39;
constexpr int kLineEncode = 63;

}  // namespace

CLunder::CLunder() = default;
CLunder& CLunder::operator=(const CLunder&) = default;

unsigned int CLunder::Decode(const char* mp3Path, LunderProgressCallback progress, OmbrelDecodeCallback data) {
  std::unique_ptr<lunder::CMP3Decoder> decoder(new (std::nothrow) lunder::CMP3Decoder(mp3Path, progress, data));
  if (!decoder) {
    ReportErrorDll(kSource, kLineDecode, "");
    return kLunderNoWorker;
  }
  return decoder->Decode();
}

namespace {

unsigned int RunEncoder(const char* rawInputPath, OmbrelEncodeCallback pull, short kbps, AudioQuality format,
                        const char* destinationPath, LunderProgressCallback progress, LunderPriority priority) {
  std::unique_ptr<lunder::CMP3Encoder> encoder(new (std::nothrow) lunder::CMP3Encoder(
      rawInputPath, pull, kbps, format, destinationPath, progress, priority));
  if (!encoder) {
    ReportErrorDll(kSource, kLineEncode, "");
    return kLunderNoWorker;
  }
  return encoder->Encode();
}

}  // namespace

unsigned int CLunder::Encode(const char* rawInputPath, short kbps, AudioQuality format, const char* destinationPath,
                             LunderProgressCallback progress, LunderPriority priority) {
  return RunEncoder(rawInputPath, nullptr, kbps, format, destinationPath, progress, priority);
}

unsigned int CLunder::EncodeStream(OmbrelEncodeCallback pull, short kbps, AudioQuality format,
                                   const char* destinationPath, LunderProgressCallback progress,
                                   LunderPriority priority) {
  if (!pull) {
    ReportErrorDll(kSource, __LINE__, "The MP3 export was given no audio.");
    return kLunderDone;
  }
  return RunEncoder(nullptr, pull, kbps, format, destinationPath, progress, priority);
}
