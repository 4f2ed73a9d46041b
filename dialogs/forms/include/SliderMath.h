// Where the forms' sliders stand for a value and back, and how a slider moves
// for each kind of user action. Every plain slider runs 0..1000.
#pragma once

#include <cmath>
#include <optional>

namespace forms {

constexpr int kSliderSteps = 1000;

// End: the user let go of the slider (the end of a scroll).
enum class SliderAction { LineLess, LineMore, PageLess, PageMore, Track, End, Other };

// The slider's new position for an action from position `current`; nothing
// for actions that move nothing (the thumb let go, the end of a scroll).
inline std::optional<int> MovedPosition(int current, SliderAction action, int thumb) {
  switch (action) {
    case SliderAction::LineLess: return current - 1;
    case SliderAction::LineMore: return current + 1;
    case SliderAction::PageLess: return current - 10;
    case SliderAction::PageMore: return current + 10;
    case SliderAction::Track: return thumb;
    case SliderAction::End:
    case SliderAction::Other: return std::nullopt;
  }
  return std::nullopt;
}

inline int ClampPosition(int position, int steps = kSliderSteps) {
  return position < 0 ? 0 : position > steps ? steps : position;
}

// Truncated, as the slider keeps whole positions.
inline int ValueToPosition(float value, float min, float max) {
  if (!(max > min) || !std::isfinite(value)) return 0;
  const double at = (static_cast<double>(value) - min) / (static_cast<double>(max) - min) * kSliderSteps;
  return ClampPosition(at < -1.0 ? -1 : at > kSliderSteps + 1.0 ? kSliderSteps + 1 : static_cast<int>(at));
}

inline float PositionToValue(int position, float min, float max) {
  return static_cast<float>(min + (static_cast<double>(max) - min) * position / kSliderSteps);
}

// Clamps to [min, max]; a value that is no number goes to the minimum.
inline float ClampToRange(float value, float min, float max) {
  if (!(value >= min)) return min;
  return value > max ? max : value;
}

}  // namespace forms
