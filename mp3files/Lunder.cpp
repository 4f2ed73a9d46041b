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

unsigned int CLunder::Encode(const char* rawInputPath, short kbps, AudioQuality format, const char* destinationPath,
                             LunderProgressCallback progress) {
  std::unique_ptr<lunder::CMP3Encoder> encoder(
      new (std::nothrow) lunder::CMP3Encoder(rawInputPath, kbps, format, destinationPath, progress));
  if (!encoder) {
    ReportErrorDll(kSource, kLineEncode, "");
    return kLunderNoWorker;
  }
  return encoder->Encode();
}
