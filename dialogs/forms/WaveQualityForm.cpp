#include "WaveQualityForm.h"

#include "DialogValues.h"

namespace forms {

WaveQualityForm::WaveQualityForm(const WaveQuality& quality)
    : stereo(quality.channels == 2), sixteenBits(quality.bitsPerSample == 16) {
  switch (quality.samplesPerSecond) {
    case 44100: rate = Rate44100; break;
    case 22050: rate = Rate22050; break;
    case 11025: rate = Rate11025; break;
    default:
      rate = RateUser;
      userRate = std::to_string(quality.samplesPerSecond);
  }
}

std::optional<WaveQuality> WaveQualityForm::Accept(std::string* refusal) const {
  WaveQuality quality;
  quality.channels = stereo ? 2 : 1;
  quality.bitsPerSample = sixteenBits ? 16 : 8;
  static constexpr int32_t kRates[] = {11025, 22050, 44100};
  if (rate == RateUser) {
    const int64_t typed = ParseInteger(userRate);
    if (typed < kMinRate || typed > kMaxRate) {
      *refusal = kRateRefusal;
      return std::nullopt;
    }
    quality.samplesPerSecond = static_cast<int32_t>(typed);
  } else {
    quality.samplesPerSecond = kRates[rate];
  }
  return quality;
}

}  // namespace forms
