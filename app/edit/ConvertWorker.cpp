// Mono to stereo and back over the whole segment. Mono becomes two channels of
// half its level, and stereo one channel of their sum, so that converting there
// and back gives the audio again (up to the lost lowest bit).
#include <algorithm>

#include "AudioSegment.h"
#include "EditPass.h"
#include "SampleMath.h"

namespace {
constexpr uint32_t kBlockFrames = 32768;
}  // namespace

OperationResult EditConvertChannels(CAudioSegment* source, std::shared_ptr<CAudioSegment>* result,
                                    OperationParameters* params) {
  CEditPass pass(source, result, params);
  const uint16_t channels = source ? source->GetChannels() : 0;
  if (OperationResult begun = pass.Begin(CEditPass::Attributes::All, channels == 1 ? 2 : 1);
      begun != OperationResultDone) {
    return begun;
  }
  int16_t* work = pass.Work();
  for (uint32_t at = 0; at < pass.Length();) {
    uint32_t got = 0;
    if (!pass.Read(work, std::min(kBlockFrames, pass.Length() - at), &got)) return pass.Stop();
    if (got == 0) break;
    if (channels == 1) {
      // From the last frame down, so the block grows in place.
      for (uint32_t f = got; f-- > 0;) {
        const auto half = static_cast<int16_t>(work[f] / 2);
        work[2 * f] = half;
        work[2 * f + 1] = half;
      }
    } else {
      for (uint32_t f = 0; f < got; ++f) work[f] = SaturateToSample(int32_t{work[2 * f]} + work[2 * f + 1]);
    }
    if (!pass.AppendAndReport(work, got)) return pass.Stop();
    at += got;
  }
  return pass.Finish();
}
