#include "LevelEnvelopeForm.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "FloatText.h"
#include "Generic.h"
#include "LevelChannels.h"

namespace forms {

namespace {

constexpr uint32_t kRate = 44100;
constexpr int kLevelDecimals = 2;
constexpr float kMaxPercent = 300.0f;

// The gain at frame t of the ramp from (a, ga) to (b, gb).
double GainBetween(uint32_t a, float ga, uint32_t b, float gb, uint32_t t) {
  if (b == a) return gb;
  return ga + (static_cast<double>(gb) - ga) * (static_cast<double>(t) - a) / (static_cast<double>(b) - a);
}

}  // namespace

void CAudioLevelsVisualDialog::Bind(CZelmo* engine, short number) {
  engine_ = engine;
  number_ = number;
  ClearPoint();
}

void CAudioLevelsVisualDialog::Unbind() {
  engine_ = nullptr;
  dragging_ = false;
  ClearPoint();
}

void CAudioLevelsVisualDialog::InitDialog() {
  ClearPoint();
  dragging_ = false;
  viewStart_ = 0;
  viewEnd_ = source_.length;
  independent_ = engine_ ? engine_->GetLevelsChannelsIndependent(number_) : 0;
  channelMode_ = independent_ ? 1 : 3;
  bpmUnits_ = false;
  pointer_.clear();
  ViewChanged();
}

// Geometry. A view of no width puts every point at its left edge.

int CAudioLevelsVisualDialog::FrameToX(uint32_t frame, uint32_t viewStart, uint32_t viewWidth) {
  if (viewWidth == 0 || frame <= viewStart) return 0;
  return static_cast<int>(std::trunc(static_cast<double>(frame - viewStart) / viewWidth * kGraphWidth + 0.5));
}

int CAudioLevelsVisualDialog::GainToY(float gain) {
  const double scaled = std::trunc(static_cast<double>(gain) / kMaxGain * kGraphHeight);
  return static_cast<int>(std::trunc(kGraphHeight - scaled + 0.5));
}

uint32_t CAudioLevelsVisualDialog::XToFrame(int x, uint32_t viewStart, uint32_t viewWidth) {
  const double at = static_cast<double>(x - kAreaLeft) / kGraphWidth * viewWidth + viewStart;
  return at <= 0.0 ? 0u : static_cast<uint32_t>(std::trunc(at));
}

float CAudioLevelsVisualDialog::YToGain(int y) {
  return static_cast<float>(static_cast<double>(kAreaBottom - y) / kGraphHeight * kMaxGain);
}

bool CAudioLevelsVisualDialog::InArea(int x, int y) const {
  return IsPointInRect(x, y, kAreaLeft, kAreaTop, kAreaRight, kAreaBottom);
}

std::vector<Zelmo_Level_Entry> CAudioLevelsVisualDialog::Points() const {
  if (!engine_) return {};
  const unsigned int channel = Channel();
  // Room is made before the chain's lock is taken, so the player never waits for an allocation.
  std::vector<Zelmo_Level_Entry> points(static_cast<size_t>(std::max<short>(engine_->GetTotalLevelPoints(number_, channel), 0)));
  const short copied = engine_->CopyLevelEntries(number_, channel, points.data(), static_cast<short>(points.size()));
  points.resize(std::min(points.size(), static_cast<size_t>(std::max<short>(copied, 0))));
  return points;
}

CAudioLevelsVisualDialog::Drawing CAudioLevelsVisualDialog::Draw() const {
  Drawing drawing;
  const uint32_t quarters[4] = {viewStart_, viewStart_ + viewWidth_ / 4, viewStart_ + viewWidth_ / 2,
                                viewStart_ + static_cast<uint32_t>(std::trunc(0.75 * viewWidth_))};
  for (int i = 0; i < 4; ++i) drawing.timeLabels[static_cast<size_t>(i)] = TimeText(quarters[i]);
  const std::vector<Zelmo_Level_Entry> points = Points();
  auto at = [this](uint32_t frame, double gain) {
    return std::pair<int, int>{kGraphLeft + FrameToX(frame, viewStart_, viewWidth_),
                               GainToY(static_cast<float>(gain))};
  };
  bool first = true;
  for (size_t i = 0; i < points.size(); ++i) {
    const Zelmo_Level_Entry& p = points[i];
    const uint32_t frame = p.samplePosition;
    if (frame >= viewStart_ && frame <= viewEnd_) {
      const int x = FrameToX(frame, viewStart_, viewWidth_), y = GainToY(p.gain);
      drawing.squares.push_back(Square(x, y));
      drawing.hitRects.push_back(HitRect(x, y));
      if (first) drawing.firstDrawnIndex = static_cast<int>(i);
      first = false;
    }
    if (i > 0) {
      const Zelmo_Level_Entry& q = points[i - 1];
      const uint32_t from = std::max(q.samplePosition, viewStart_), to = std::min(frame, viewEnd_);
      if (frame >= viewStart_ && q.samplePosition <= viewEnd_ && from <= to) {
        const auto a = at(from, GainBetween(q.samplePosition, q.gain, frame, p.gain, from));
        const auto b = at(to, GainBetween(q.samplePosition, q.gain, frame, p.gain, to));
        drawing.lines.push_back({a.first, a.second, b.first, b.second});
      }
    }
    if (frame > viewEnd_) return drawing;
  }
  // Past the last point its level holds.
  if (!points.empty() && points.back().samplePosition < viewEnd_) {
    const auto a = at(std::max(points.back().samplePosition, viewStart_), points.back().gain);
    const auto b = at(viewEnd_, points.back().gain);
    drawing.lines.push_back({a.first, a.second, b.first, b.second});
  }
  return drawing;
}

std::string CAudioLevelsVisualDialog::TimeText(uint32_t frame) const {
  char text[64] = {};
  if (bpmUnits_) {
    FormatSamplesAsTempoTime(frame, kRate, source_.tempo, source_.beatsPerBarChoice, text);
  } else {
    FormatSamplesAsTime(frame, kRate, text);
  }
  return text;
}

std::string CAudioLevelsVisualDialog::LevelText(float gain) const {
  const float percent = gain * 100.0f;
  return FormatFloat(units_ == 1 ? percent : PercentToDb(percent), kLevelDecimals);
}

// The mouse.

void CAudioLevelsVisualDialog::MouseMove(int x, int y) {
  if (InArea(x, y)) {
    const float level = YToGain(y);
    char text[128];
    if (units_ == 1) {
      std::snprintf(text, sizeof text, "Time: %s    Level: %.2f %c", TimeText(XToFrame(x, viewStart_, viewWidth_)).c_str(),
                    static_cast<double>(level * 100.0f), '%');
    } else {
      std::snprintf(text, sizeof text, "Time: %s    Level: %.2f dB",
                    TimeText(XToFrame(x, viewStart_, viewWidth_)).c_str(),
                    static_cast<double>(PercentToDb(level * 100.0f)));
    }
    pointer_ = text;
  } else {
    pointer_.clear();
  }
  if (dragging_) {
    SetGain(y < kAreaTop ? kMaxGain : y > kAreaBottom ? 0.0f : YToGain(y));
    return;
  }
  const Drawing drawing = Draw();
  for (size_t k = 0; k < drawing.hitRects.size(); ++k) {
    const Rect& r = drawing.hitRects[k];
    if (IsPointInRect(x, y, r.left, r.top, r.right, r.bottom)) {
      sizeCursor_ = true;
      pointSelected_ = true;
      pointNumber_ = drawing.firstDrawnIndex + static_cast<int>(k) + 1;
      ShowPoint(pointNumber_);
      return;
    }
  }
  if (InArea(x, y)) {
    sizeCursor_ = false;
    pointSelected_ = false;
  }
}

void CAudioLevelsVisualDialog::MouseDown() {
  if (pointSelected_ && engine_) dragging_ = true;
}

void CAudioLevelsVisualDialog::MouseUp() { dragging_ = false; }

void CAudioLevelsVisualDialog::ShowPoint(int number) {
  const std::vector<Zelmo_Level_Entry> points = Points();
  if (number < 1 || number > static_cast<int>(points.size())) {
    ClearPoint();
    return;
  }
  shownPoint_ = number;
  const Zelmo_Level_Entry& p = points[static_cast<size_t>(number - 1)];
  pointText_ = std::to_string(number);
  timeText_ = TimeText(p.samplePosition);
  levelText_ = LevelText(p.gain);
}

void CAudioLevelsVisualDialog::ClearPoint() {
  pointSelected_ = false;
  sizeCursor_ = false;
  pointNumber_ = shownPoint_ = 0;
  pointText_.clear();
  timeText_.clear();
  levelText_.clear();
}

void CAudioLevelsVisualDialog::SetGain(float gain) {
  if (!engine_ || shownPoint_ == 0) return;
  engine_->SetLevelEntryGain(number_, static_cast<short>(shownPoint_), Channel(), gain);
  Modified();
  ShowPoint(shownPoint_);
}

// The point commands.

void CAudioLevelsVisualDialog::OpenContextMenu(int x, int y) {
  contextX_ = x;
  contextY_ = y;
}

void CAudioLevelsVisualDialog::InsertPoint() {
  if (!engine_ || contextX_ < kAreaLeft) return;
  const uint32_t frame = XToFrame(contextX_, viewStart_, viewWidth_);
  const unsigned int channel = Channel();
  if (engine_->CheckIfLevelPointExists(number_, frame, channel)) {
    Tell(kPointExistsText);
    return;
  }
  if (frame == 0 || frame > viewEnd_) return;
  Zelmo_Level_Entry entry{GetUniqueTickCount(), source_.tempo, engine_->GetLevelVolumeAt(number_, frame, channel),
                          frame, frame};
  engine_->AddLevelEntry(number_, &entry, channel);
  // Numbers after the new point moved on by one.
  ClearPoint();
  Modified();
}

void CAudioLevelsVisualDialog::DeletePoint() {
  if (!engine_ || !pointSelected_) return;
  if (pointNumber_ == 1) {
    Tell(kInitialPointText);
    return;
  }
  engine_->RemoveLevelEntryByNumber(number_, static_cast<unsigned int>(pointNumber_ - 1), Channel());
  ClearPoint();
  Modified();
}

void CAudioLevelsVisualDialog::CommitLevel(const std::string& text) {
  if (shownPoint_ == 0) {
    levelText_.clear();
    return;
  }
  const float typed = ParseFloat(text);
  float percent = units_ == 1 ? typed : DbToPercent(typed);
  // No number and below nothing are silence.
  if (!(percent > 0.0f)) percent = 0.0f;
  percent = std::min(percent, kMaxPercent);
  SetGain(percent / 100.0f);
}

// The combos.

void CAudioLevelsVisualDialog::SelectChannel(int index) {
  if (!independent_) return;
  channelMode_ = index == 1 ? 2 : 1;
  ClearPoint();
}

void CAudioLevelsVisualDialog::SelectUnits(int index) {
  units_ = index != 0 ? 1 : 0;
  if (shownPoint_) ShowPoint(shownPoint_);
}

void CAudioLevelsVisualDialog::SelectTimeUnits(int index) {
  bpmUnits_ = index != 0;
  if (shownPoint_) ShowPoint(shownPoint_);
}

// The view.

void CAudioLevelsVisualDialog::ZoomIn() {
  if (viewWidth_ < kSmallestZoomWidth) return;
  if (viewStart_ == 0) {
    viewEnd_ = viewWidth_ / 2;
  } else if (viewEnd_ == source_.length) {
    viewStart_ += viewWidth_ / 2;
  } else {
    viewStart_ += viewWidth_ / 4;
    viewEnd_ -= viewWidth_ / 4;
  }
  ViewChanged();
}

void CAudioLevelsVisualDialog::ZoomOut() {
  const uint32_t quarter = viewWidth_ / 4;
  viewStart_ = viewStart_ > quarter ? viewStart_ - quarter : 0;
  // A view that reaches past the project (View All with a later point) is not cut back.
  viewEnd_ = std::min(std::max(source_.length, viewEnd_), viewEnd_ + quarter);
  ViewChanged();
}

void CAudioLevelsVisualDialog::ViewAll() {
  viewStart_ = 0;
  const std::vector<Zelmo_Level_Entry> points = Points();
  viewEnd_ = std::max(source_.length, points.empty() ? 0u : points.back().samplePosition);
  ViewChanged();
}

void CAudioLevelsVisualDialog::Scroll(SliderAction action, int thumb) {
  const uint32_t width = viewWidth_;
  const uint32_t total = source_.length;
  uint32_t step = 0;
  switch (action) {
    case SliderAction::LineLess:
    case SliderAction::LineMore: step = width / 4; break;
    case SliderAction::PageLess:
    case SliderAction::PageMore: step = width; break;
    case SliderAction::Track: {
      viewStart_ = static_cast<uint32_t>(std::trunc(static_cast<double>(std::clamp(thumb, 0, kScrollSteps)) /
                                                    kScrollSteps * total));
      // The thumb's last place still shows a full view.
      if (total >= width && viewStart_ > total - width) viewStart_ = total - width;
      viewEnd_ = viewStart_ + width;
      ViewChanged();
      return;
    }
    default: return;
  }
  if (action == SliderAction::LineLess || action == SliderAction::PageLess) {
    viewStart_ = viewStart_ > step ? viewStart_ - step : 0;
    viewEnd_ = viewStart_ + width;
  } else {
    uint32_t end = viewEnd_ + step;
    if (end > total) end = std::max(total, viewEnd_);
    viewEnd_ = end;
    viewStart_ = end - width;
  }
  ViewChanged();
}

void CAudioLevelsVisualDialog::ViewChanged() { viewWidth_ = viewEnd_ - viewStart_; }

int CAudioLevelsVisualDialog::ScrollPage() const {
  if (source_.length == 0) return kSmallestScrollPage;
  const double page = std::trunc(static_cast<double>(viewWidth_) / source_.length * kScrollSteps);
  return static_cast<int>(std::clamp(page, static_cast<double>(kSmallestScrollPage), static_cast<double>(kScrollSteps)));
}

int CAudioLevelsVisualDialog::ScrollPosition() const {
  if (source_.length == 0) return 0;
  const double position = std::trunc(static_cast<double>(viewStart_) / source_.length * kScrollSteps);
  return static_cast<int>(std::min(position, static_cast<double>(kScrollSteps)));
}

// What is shown.

std::string CAudioLevelsVisualDialog::Text(int controlId) const {
  switch (controlId) {
    case kPointer: return pointer_;
    case kPoint: return pointText_;
    case kTime: return timeText_;
    case kLevel: return levelText_;
    case kLevelUnit: return units_ == 1 ? "%" : "dB";
    default: return "";
  }
}

std::vector<std::string> CAudioLevelsVisualDialog::Items(int comboId) const {
  switch (comboId) {
    case kChannel:
      return independent_ ? std::vector<std::string>{"Left Channel", "Right Channel"}
                          : std::vector<std::string>{"Both Channels"};
    case kTimeUnits: return {"Standard", "BPM"};
    case kUnits: return {"Decibel", "Percentage"};
    default: return {};
  }
}

int CAudioLevelsVisualDialog::Selection(int comboId) const {
  switch (comboId) {
    case kChannel: return channelMode_ == 2 ? 1 : 0;
    case kTimeUnits: return bpmUnits_ ? 1 : 0;
    case kUnits: return units_;
    default: return 0;
  }
}

void CAudioLevelsVisualDialog::Tell(const std::string& text) const {
  if (inform_) inform_(text);
}

void CAudioLevelsVisualDialog::Modified() const {
  if (modified_) modified_();
}

}  // namespace forms
