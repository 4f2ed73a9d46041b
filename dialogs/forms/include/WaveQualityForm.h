// "Wave Quality": the channels, sample rate and sample width of a WAV file to
// be written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace forms {

struct WaveQuality {
  int32_t channels = 2;  // 1 or 2
  int32_t samplesPerSecond = 44100;
  int32_t bitsPerSample = 16;  // 8 or 16
};

class WaveQualityForm {
 public:
  static constexpr int32_t kMinRate = 8000;
  static constexpr int32_t kMaxRate = 44100;
  static constexpr const char* kRateRefusal = "Sample rate must be between 8000 and 44100.";
  enum Rate { Rate11025, Rate22050, Rate44100, RateUser };

  explicit WaveQualityForm(const WaveQuality& quality);

  bool stereo = true;
  bool sixteenBits = true;
  Rate rate = Rate44100;
  std::string userRate;  // the edit's text

  // The user-rate edit took the focus: its radio is chosen.
  void OnUserRateFocus() { rate = RateUser; }
  // OK: the quality, or the refusal's text (the dialog then stays open).
  std::optional<WaveQuality> Accept(std::string* refusal) const;
};

}  // namespace forms
