#include "OperationDialogs.h"

#include <cmath>

#include "FloatText.h"

namespace forms {
namespace {

constexpr int kPitchDecimals = 2;
constexpr uint32_t kInitialSemitonesOffset = 132, kInitialRatioOffset = 136;
constexpr uint32_t kFinalSemitonesOffset = 140, kFinalRatioOffset = 144;
constexpr uint32_t kInitialKindOffset = 148, kFinalKindOffset = 152;
constexpr std::array<const char*, 3> kOperationScopes = {"Highlighted Section", "Between Markers", "Whole Track"};

LevelPair UnityLevel(const char* label, bool ownSliders) {
  LevelPair pair;
  pair.present = true;
  pair.ownSliders = ownSliders;
  pair.label = label;
  return pair;
}

float ToRatio(float semitones) {
  float ratio = 1.0f;
  SemitonesToRatio(semitones, &ratio);
  return ratio;
}

// A ratio of 0 or less is no pitch at all: the lowest one.
float ToSemitones(float ratio, float lowest) {
  if (!(ratio > 0.0f) || !std::isfinite(ratio)) return lowest;
  float semitones = 0.0f;
  RatioToSemitones(ratio, &semitones);
  return semitones;
}

}  // namespace

CMuteDialog::CMuteDialog() : CFXDialog(226, "Mute Audio", "MuteDialog") {
  scopeTexts_ = kOperationScopes;
  hasScope_ = true;
  scope_ = id::kScopeWhole;
  hasChannelChecks_ = true;
  left_ = right_ = 1;
}

CMixPasteDialog::CMixPasteDialog() : CFXDialog(229, "Mix Paste Audio", "MixPasteDialog") {
  hasUnits_ = true;
  hasLock_ = true;
  lock_ = 1;
  levels_[0] = UnityLevel("Audio File Mix Volume Level", true);
  levels_[1] = UnityLevel("Clipboad Mix Volume Level", true);
}

CVolumeDialog::CVolumeDialog() : CFXDialog(230, "Adjust Volume Level", "VolumeDialog") {
  scopeTexts_ = kOperationScopes;
  hasScope_ = true;
  scope_ = id::kScopeWhole;
  hasUnits_ = true;
  hasLock_ = true;
  lock_ = 1;
  levels_[0] = UnityLevel("Volume Level", true);
}

CFadeDialog::CFadeDialog() : CFXDialog(231, "Fade In / Out Audio", "FadeDialog") {
  scopeTexts_ = kOperationScopes;
  hasScope_ = true;
  scope_ = id::kScopeHighlighted;
  hasUnits_ = true;
  hasSlope_ = true;
  hasLock_ = true;
  lock_ = 1;
  levels_[0] = UnityLevel("Starting Volume Level", false);
  levels_[1] = UnityLevel("Ending Volume Level", false);
  hasPresets_ = true;
  presetKey_ = "fade";
}

void CFadeDialog::LoadDefaultPresets() {
  struct Fade {
    const char* name;
    float startLeft, startRight, endLeft, endRight;
    int32_t curve;
  };
  constexpr Fade kFades[] = {
      {"Fade Out - Logarithmic", 0, 0, -140, -140, 1}, {"Fade Out - Linear", 0, 0, -140, -140, 0},
      {"Fade In - Logarithmic", -140, -140, 0, 0, 1},  {"Fade In - Linear", -140, -140, 0, 0, 0},
      {"Pan Left to Right", 0, -140, -140, 0, 0},      {"Pan Right to Left", -140, 0, 0, -140, 0},
  };
  for (const Fade& f : kFades) {
    CPresetRecord record = NewPreset(f.name);
    record.SetInt(kPresetLockOffset, 1);
    record.SetFloat(132, f.startLeft);
    record.SetFloat(136, f.startRight);
    record.SetFloat(148, f.endLeft);
    record.SetFloat(152, f.endRight);
    record.SetInt(164, f.curve);
    AddBuiltIn(std::move(record));
  }
}

CReverseDialog::CReverseDialog() : CFXDialog(232, "Reverse Audio", "ReverseDialog") {
  scopeTexts_ = kOperationScopes;
  hasScope_ = true;
  scope_ = id::kScopeWhole;
  hasChannelChecks_ = true;
  left_ = right_ = 1;
}

CSwapDialog::CSwapDialog() : CFXDialog(233, "Swap Audio Between Channels", "SwapDialog") {
  scopeTexts_ = kOperationScopes;
  hasScope_ = true;
  scope_ = id::kScopeWhole;
}

CCopyChannelDialog::CCopyChannelDialog() : CFXDialog(234, "Copy Channel", "CopyChannelDialog") {
  scopeTexts_ = kOperationScopes;
  hasScope_ = true;
  scope_ = id::kScopeHighlighted;
}

void CCopyChannelDialog::InitDialog() {
  CFXDialog::InitDialog();
  SetChecked(kLeftToRight, copyLeftToRight_ != 0);
  SetChecked(kRightToLeft, copyRightToLeft_ != 0);
}

void CCopyChannelDialog::Click(int controlId) {
  if (controlId == kLeftToRight || controlId == kRightToLeft) {
    copyLeftToRight_ = controlId == kLeftToRight;
    copyRightToLeft_ = controlId == kRightToLeft;
    SetChecked(kLeftToRight, copyLeftToRight_ != 0);
    SetChecked(kRightToLeft, copyRightToLeft_ != 0);
    return;
  }
  CFXDialog::Click(controlId);
}

bool CCopyChannelDialog::Has(int controlId) const {
  return controlId == kLeftToRight || controlId == kRightToLeft || CFXDialog::Has(controlId);
}

std::string CCopyChannelDialog::Label(int controlId) const {
  if (controlId == kLeftToRight) return "Copy Left Channel to Right";
  if (controlId == kRightToLeft) return "Copy Right Channel to Left";
  return CFXDialog::Label(controlId);
}

int CCopyChannelDialog::GetParameters(OperationDialogValues* values) const {
  if (CFXDialog::GetParameters(values) != 0) return 3;
  values->copyLeftToRight = copyLeftToRight_;
  values->copyRightToLeft = copyRightToLeft_;
  return 1;
}

CStretchCompressDialog::CStretchCompressDialog() : CFXDialog(254, "Stretch / Compress Audio", "StretchCompressDialog") {
  scopeTexts_ = kOperationScopes;
  hasScope_ = true;
  scope_ = id::kScopeHighlighted;
  hasSame_ = true;
  same_ = 1;
  hasInitialFinal_ = true;
  hasInitialFinalSliders_ = true;
  initial_ = final_ = 1.0f;
  initialMin_ = 0.25f;
  initialMax_ = 2.5f;
  hasPresets_ = true;
  presetKey_ = "stretch_compress";
}

void CStretchCompressDialog::LoadDefaultPresets() {
  struct Stretch {
    const char* name;
    int32_t same;
    float initial, final;
  };
  constexpr Stretch kStretches[] = {{"Speed Up 25%", 1, 0.75f, 0.75f},
                                    {"Slow Down 25%", 1, 1.25f, 1.25f},
                                    {"Fast to Slow", 0, 0.65f, 1.35f},
                                    {"Slow to Fast", 0, 1.35f, 0.65f}};
  for (const Stretch& s : kStretches) {
    CPresetRecord record = NewPreset(s.name);
    record.SetInt(kPresetLockOffset, s.same);
    record.SetFloat(132, s.initial);
    record.SetFloat(136, s.final);
    AddBuiltIn(std::move(record));
  }
}

// Pitch shift.

float CPitchShiftDialog::Pitch::Semitones() const {
  return kind == KindRatio ? ToSemitones(ratio, -kMaxSemitones) : semitones;
}
float CPitchShiftDialog::Pitch::Ratio() const { return kind == KindRatio ? ratio : ToRatio(semitones); }

CPitchShiftDialog::CPitchShiftDialog() : CFXDialog(255, "Pitch Shift Audio", "PitchShiftDialog") {
  scopeTexts_ = kOperationScopes;
  hasScope_ = true;
  scope_ = id::kScopeHighlighted;
  hasSame_ = true;
  same_ = 1;
  hasPresets_ = true;
  presetKey_ = "pitch_shift";
}

bool CPitchShiftDialog::Has(int controlId) const {
  return controlId == kPitchUnits || controlId == kInitialSlider || controlId == kFinalSlider ||
         controlId == kInitialEdit || controlId == kFinalEdit || CFXDialog::Has(controlId);
}

std::vector<std::string> CPitchShiftDialog::Items(int comboId) const {
  if (comboId == kPitchUnits) return {"Semitones", "Ratio"};
  return CFXDialog::Items(comboId);
}

int CPitchShiftDialog::Selection(int comboId) const {
  if (comboId == kPitchUnits) return displayUnits_ == KindRatio ? 1 : 0;
  return CFXDialog::Selection(comboId);
}

void CPitchShiftDialog::ShowValues() {
  CFXDialog::ShowValues();
  ShowPitches();
}

void CPitchShiftDialog::ShowPitches() {
  const int edits[2] = {kInitialEdit, kFinalEdit};
  const int sliders[2] = {kInitialSlider, kFinalSlider};
  for (int i = 0; i < 2; ++i) {
    const Pitch& p = pitch_[static_cast<size_t>(i)];
    SetText(edits[i], FormatFloat(displayUnits_ == KindRatio ? p.Ratio() : p.Semitones(), kPitchDecimals));
    // 10 positions a semitone, -24 at the left end.
    const double at = (static_cast<double>(p.Semitones()) + kMaxSemitones) * kSliderSteps / (2 * kMaxSemitones);
    SetPosition(sliders[i], ClampPosition(static_cast<int>(at < 0 ? 0 : at > kSliderSteps ? kSliderSteps : at),
                                          kSliderSteps));
  }
}

void CPitchShiftDialog::Select(int comboId, int index) {
  if (comboId == kPitchUnits) {
    displayUnits_ = index == 0 ? KindSemitones : KindRatio;
    ShowPitches();
    return;
  }
  CFXDialog::Select(comboId, index);
}

void CPitchShiftDialog::Commit(int editId, const std::string& text) {
  if (editId != kInitialEdit && editId != kFinalEdit) {
    CFXDialog::Commit(editId, text);
    return;
  }
  const size_t mine = editId == kInitialEdit ? 0 : 1;
  const float typed = ParseFloat(text);
  Pitch& p = pitch_[mine];
  if (displayUnits_ == KindRatio) {
    p.ratio = ToRatio(ClampToRange(ToSemitones(typed, -kMaxSemitones), -kMaxSemitones, kMaxSemitones));
    p.kind = KindRatio;
  } else {
    p.semitones = ClampToRange(typed, -kMaxSemitones, kMaxSemitones);
    p.kind = KindSemitones;
  }
  if (same_ != 0) pitch_[1 - mine] = p;
  ShowPitches();
}

void CPitchShiftDialog::Scroll(int sliderId, SliderAction action, int thumb) {
  if (sliderId != kInitialSlider && sliderId != kFinalSlider) {
    CFXDialog::Scroll(sliderId, action, thumb);
    return;
  }
  const std::optional<int> moved = MovedPosition(Position(sliderId), action, thumb);
  if (!moved) return;
  const int position = ClampPosition(*moved, kSliderSteps);
  const size_t mine = sliderId == kInitialSlider ? 0 : 1;
  Pitch& p = pitch_[mine];
  p.kind = KindSemitones;
  p.semitones = static_cast<float>(position) / kSliderSteps * (2 * kMaxSemitones) - kMaxSemitones;
  if (displayUnits_ == KindRatio) p.ratio = ToRatio(p.semitones);
  if (same_ != 0) pitch_[1 - mine] = p;
  ShowPitches();
}

int CPitchShiftDialog::GetParameters(OperationDialogValues* values) const {
  if (CFXDialog::GetParameters(values) != 0) return 3;
  // The shifter takes a factor on the length: up a tone is a shorter step.
  values->initialValue = 1.0f / pitch_[0].Ratio();
  values->finalValue = 1.0f / pitch_[1].Ratio();
  return 0;
}

void CPitchShiftDialog::LoadDefaultPresets() {
  struct Shift {
    const char* name;
    int32_t same;
    Pitch initial, final;
  };
  const Shift kShifts[] = {
      {"Decrease by One Tone", 1, {-1.0f, 1.0f, KindSemitones}, {-1.0f, 1.0f, KindSemitones}},
      {"Increase by One Tone", 1, {1.0f, 1.0f, KindSemitones}, {1.0f, 1.0f, KindSemitones}},
      {"Low to High", 0, {0.0f, 0.75f, KindRatio}, {0.0f, 1.25f, KindRatio}},
      {"High to Low", 0, {0.0f, 1.25f, KindRatio}, {0.0f, 0.75f, KindRatio}},
  };
  const std::array<Pitch, 2> kept = pitch_;
  for (const Shift& s : kShifts) {
    CPresetRecord record = NewPreset(s.name);
    record.SetInt(kPresetLockOffset, s.same);
    pitch_ = {s.initial, s.final};
    StorePresetExtra(record);
    AddBuiltIn(std::move(record));
  }
  pitch_ = kept;
}

void CPitchShiftDialog::StorePresetExtra(CPresetRecord& record) const {
  const uint32_t value[2][2] = {{kInitialSemitonesOffset, kInitialRatioOffset}, {kFinalSemitonesOffset, kFinalRatioOffset}};
  const uint32_t kinds[2] = {kInitialKindOffset, kFinalKindOffset};
  for (int i = 0; i < 2; ++i) {
    const Pitch& p = pitch_[static_cast<size_t>(i)];
    if (p.kind == KindRatio) {
      record.SetFloat(value[i][1], p.ratio);
    } else {
      record.SetFloat(value[i][0], p.semitones);
    }
    record.SetInt(kinds[i], p.kind);
  }
}

void CPitchShiftDialog::ApplyPresetExtra(const CPresetRecord& record) {
  const uint32_t value[2][2] = {{kInitialSemitonesOffset, kInitialRatioOffset}, {kFinalSemitonesOffset, kFinalRatioOffset}};
  const uint32_t kinds[2] = {kInitialKindOffset, kFinalKindOffset};
  for (int i = 0; i < 2; ++i) {
    Pitch p;
    p.kind = record.Int(kinds[i]) == KindRatio ? KindRatio : KindSemitones;
    // What a damaged file holds must still be a pitch the shifter can take.
    const float v = record.Float(value[i][p.kind == KindRatio ? 1 : 0]);
    const float semitones = p.kind == KindRatio ? ToSemitones(v, -kMaxSemitones) : (std::isfinite(v) ? v : 0.0f);
    const float kept = ClampToRange(semitones, -kMaxSemitones, kMaxSemitones);
    if (p.kind == KindRatio) {
      p.ratio = v > 0.0f && std::isfinite(v) && kept == semitones ? v : ToRatio(kept);
    } else {
      p.semitones = kept;
    }
    pitch_[static_cast<size_t>(i)] = p;
  }
}

}  // namespace forms
