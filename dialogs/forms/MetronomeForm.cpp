#include "MetronomeForm.h"

#include <algorithm>

namespace forms {

MetronomeForm::MetronomeForm(const MetronomeSettingsRequest& request)
    : on(request.on != 0),
      clickOnly(request.clickOnly != 0),
      accent(request.accent != 0),
      level_(std::clamp(request.level, 0, kMaxLevel)) {
  kept_.pattern = request.pattern;
  kept_.bpm = request.bpm;
}

void MetronomeForm::OnScroll(SliderAction code, int thumb) {
  const std::optional<int> position = StepTo(SliderPosition(), code, thumb, 0, kMaxLevel);
  if (position) level_ = kMaxLevel - *position;
}

MetronomeSettingsRequest::Result MetronomeForm::Result() const {
  MetronomeSettingsRequest::Result result = kept_;
  result.on = on ? 1 : 0;
  result.clickOnly = clickOnly ? 1 : 0;
  result.accent = accent ? 1 : 0;
  result.level = level_;
  return result;
}

}  // namespace forms
