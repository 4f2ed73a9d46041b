#include "FXDialog.h"

#include <cstdio>

#include "FloatText.h"
#include "edit/EditOperation.h"

namespace forms {

const PairControls kPairControls[kPairs] = {
    {{1163, 1164}, {1165, 1166}, {1161, 1162}}, {{1178, 1179}, {1180, 1181}, {1192, 1193}},
    {{1182, 1183}, {0, 0}, {0, 0}},             {{1184, 1185}, {0, 0}, {0, 0}},
    {{1198, 1199}, {0, 0}, {0, 0}},             {{1196, 1197}, {0, 0}, {0, 0}},
    {{1121, 1122}, {0, 0}, {0, 0}},
};

namespace {

constexpr int kLevelDecimals = 2;
constexpr int kInitialFinalDecimals = 4;
// Remove's "skip nothing".
constexpr int kSkipNone = 9999;

struct ScrollItem {
  const char* name;
  int pair;
};
const std::vector<ScrollItem>& ScrollItems(EffectKind kind) {
  static const std::vector<ScrollItem> none;
  static const std::vector<ScrollItem> echo = {
      {"Dry Volume", 1}, {"Wet Volume", 2}, {"Delay", 3}, {"Decline Percentage", 5}};
  static const std::vector<ScrollItem> reverb = {{"Dry Volume", 1},
                                                 {"Wet Volume", 2},
                                                 {"Early Refelctions", 3},
                                                 {"Late Refelctions", 4},
                                                 {"Decline Percentage", 5}};
  static const std::vector<ScrollItem> modulated = {{"Dry Volume", 1}, {"Wet Volume", 2},    {"Delay", 3},
                                                    {"LFO Delay", 4},  {"LFO Frequency", 6}, {"LFO Phase", 7}};
  switch (kind) {
    case EffectEcho: return echo;
    case EffectReverb: return reverb;
    case EffectChorus:
    case EffectFlange: return modulated;
    default: return none;
  }
}

// Where each kind keeps pairs 3 to 7 in its preset records (left; right follows at +4).
struct PairOffset {
  int pair;
  uint32_t offset;
};
std::vector<PairOffset> PairOffsets(const std::string& key) {
  if (key == "reverb") return {{3, 164}, {4, 172}, {5, 180}};
  if (key == "echo") return {{3, 164}, {5, 172}};
  if (key == "flange" || key == "chorus") return {{3, 164}, {4, 172}, {6, 180}, {7, 188}};
  return {};
}
bool KeepsLevels(const std::string& key) {
  return key == "fade" || key == "reverb" || key == "echo" || key == "flange" || key == "chorus";
}
constexpr uint32_t kLevelOffset[2] = {132, 148};  // then right +4, flags +8 and +12
constexpr uint32_t kCurveOffset = 164;
constexpr uint32_t kInitialOffset = 132, kFinalOffset = 136;
constexpr uint32_t kEqualizerSlopeOffset = 132;

int Side(int controlId, const int ids[2]) {
  if (controlId == ids[0] && ids[0] != 0) return 0;
  if (controlId == ids[1] && ids[1] != 0) return 1;
  return -1;
}

}  // namespace

CFXDialog::CFXDialog(int templateId, std::string caption, std::string source)
    : source_(std::move(source)), templateId_(templateId), caption_(std::move(caption)) {
  char folder[256] = {};
  if (GetProgramFolder(folder) == 1) presetFolder_ = folder;
}

void CFXDialog::Tell(const std::string& text) const {
  if (inform_) inform_(text);
}

bool CFXDialog::Has(int controlId) const {
  switch (controlId) {
    case id::kOk:
    case id::kCancel: return true;
    case id::kScopeHighlighted:
    case id::kScopeMarkers:
    case id::kScopeWhole: return hasScope_;
    case id::kLock: return hasLock_;
    case id::kSame: return hasSame_;
    case id::kLeft:
    case id::kRight: return hasChannelChecks_;
    case id::kUnits: return hasUnits_;
    case id::kSlope: return hasSlope_;
    case id::kScrollItem:
    case id::kScrollLeft:
    case id::kScrollRight: return hasScrollTool_;
    case id::kPresetList:
    case id::kPresetName:
    case id::kPresetAdd:
    case id::kPresetRemove: return hasPresets_;
    case id::kInitial:
    case id::kFinal: return hasInitialFinal_;
    case id::kInitialSlider:
    case id::kFinalSlider: return hasInitialFinal_ && hasInitialFinalSliders_;
    default: break;
  }
  for (int pair = 1; pair <= kPairs; ++pair) {
    const PairControls& c = kPairControls[pair - 1];
    const bool present = pair <= 2 ? levels_[pair - 1].present : values_[pair - 3].present;
    if (Side(controlId, c.edit) >= 0) return present;
    if (Side(controlId, c.unitLabel) >= 0) return present;
    if (Side(controlId, c.slider) >= 0) return present && pair <= 2 && levels_[pair - 1].ownSliders;
  }
  return false;
}

std::string CFXDialog::Text(int controlId) const {
  const auto it = texts_.find(controlId);
  return it == texts_.end() ? std::string() : it->second;
}
int CFXDialog::Position(int sliderId) const {
  const auto it = positions_.find(sliderId);
  return it == positions_.end() ? 0 : it->second;
}
bool CFXDialog::Checked(int controlId) const {
  const auto it = checked_.find(controlId);
  return it != checked_.end() && it->second;
}
bool CFXDialog::Enabled(int controlId) const {
  const auto it = enabled_.find(controlId);
  return it == enabled_.end() || it->second;
}

std::vector<std::string> CFXDialog::Items(int comboId) const {
  if (comboId == id::kUnits) return {"Decibel", "Percentage"};
  if (comboId == id::kSlope) return {"Linear", "Logarithmic"};
  if (comboId == id::kScrollItem) {
    std::vector<std::string> names;
    for (const ScrollItem& item : ScrollItems(effectKind_)) names.emplace_back(item.name);
    return names;
  }
  return {};
}

std::string CFXDialog::Label(int controlId) const {
  switch (controlId) {
    case id::kOk: return "OK";
    case id::kCancel: return "Cancel";
    case id::kScopeHighlighted: return scopeTexts_[0];
    case id::kScopeMarkers: return scopeTexts_[1];
    case id::kScopeWhole: return scopeTexts_[2];
    case id::kLock: return "Lock Left and Right Channels";
    case id::kSame: return "Lock Inital and Final";
    case id::kLeft: return "Left Channel";
    case id::kRight: return "Right Channel";
    case id::kUnits: return "Units:";
    case id::kSlope: return "Slope Type:";
    case id::kScrollItem: return "Use Scroll Tool for:";
    case id::kPresetAdd: return "Add";
    case id::kPresetRemove: return "Remove";
    default: break;
  }
  for (int pair = 1; pair <= kPairs; ++pair) {
    if (Side(controlId, kPairControls[pair - 1].edit) == 0) {
      return pair <= 2 ? levels_[pair - 1].label : values_[pair - 3].label;
    }
  }
  return "";
}

int CFXDialog::Selection(int comboId) const {
  if (comboId == id::kUnits) return units_ != 0 ? 1 : 0;
  if (comboId == id::kSlope) return slope_ != 0 ? 1 : 0;
  if (comboId == id::kScrollItem) return scrollItem_;
  return -1;
}

std::vector<std::string> CFXDialog::PresetNames() const {
  std::vector<std::string> names;
  for (const CPresetRecord& p : presets_) names.push_back(p.Name());
  return names;
}

void CFXDialog::InitDialog() {
  InitControls();
  ShowValues();
}

void CFXDialog::InitControls() {
  if (channelCount_ == 1 || channelCount_ == 2) {
    channelsIndependent_ = channelCount_ == 2;
  } else {
    ReportError("FXDialog", 374, "");
  }
  scrollItem_ = 0;
  if (hasPresets_) LoadPresets();
}

void CFXDialog::ShowValues() {
  if (hasLock_) {
    SetChecked(id::kLock, channelsIndependent_ ? lock_ != 0 : true);
    SetEnabled(id::kLock, channelsIndependent_);
  }
  if (hasSame_) SetChecked(id::kSame, same_ != 0);
  if (hasChannelChecks_) {
    SetChecked(id::kLeft, left_ != 0);
    SetChecked(id::kRight, right_ != 0);
  }
  if (hasScope_) {
    if (live_) {
      SetEnabled(id::kScopeHighlighted, false);
      SetEnabled(id::kScopeMarkers, false);
      scope_ = id::kScopeWhole;
    } else {
      SetEnabled(id::kScopeHighlighted, highlightAvailable_);
      SetEnabled(id::kScopeMarkers, markersAvailable_);
      if (!highlightAvailable_ && scope_ == id::kScopeHighlighted) scope_ = id::kScopeWhole;
      if (!markersAvailable_ && scope_ == id::kScopeMarkers) scope_ = id::kScopeWhole;
    }
    for (int radio : {id::kScopeHighlighted, id::kScopeMarkers, id::kScopeWhole}) SetChecked(radio, scope_ == radio);
  }
  ShowUnitLabels();
  UpdateUnits(units_);
  ShowLevelSliders();
  for (int pair = 3; pair <= kPairs; ++pair) ShowValuePair(pair);
  ShowInitialFinal();
  ShowScrollTool();
}

void CFXDialog::ShowUnitLabels() {
  for (int pair = 1; pair <= 2; ++pair) {
    if (!levels_[pair - 1].present) continue;
    for (int label : kPairControls[pair - 1].unitLabel) SetText(label, units_ == UnitsPercent ? "%" : "dB");
  }
}

void CFXDialog::UpdateUnits(int32_t units) {
  if (units != UnitsDecibel && units != UnitsPercent) return;
  for (int pair = 1; pair <= 2; ++pair) {
    if (levels_[pair - 1].present) ShowLevel(pair);
  }
}

void CFXDialog::ShowLevel(int pair) {
  const LevelPair& level = levels_[pair - 1];
  for (int c = 0; c < 2; ++c) {
    const float shown = units_ == UnitsPercent ? level.channel[c].Percent() : level.channel[c].Db();
    SetText(kPairControls[pair - 1].edit[c], FormatFloat(shown, kLevelDecimals));
  }
}

void CFXDialog::ShowLevelSliders() {
  for (int pair = 1; pair <= 2; ++pair) {
    const LevelPair& level = levels_[pair - 1];
    if (!level.present || !level.ownSliders) continue;
    for (int c = 0; c < 2; ++c) {
      SetPosition(kPairControls[pair - 1].slider[c], ValueToPosition(level.channel[c].Db(), level.minDb, level.maxDb));
    }
  }
}

void CFXDialog::ShowValuePair(int pair) {
  const ValuePair& value = values_[pair - 3];
  if (!value.present) return;
  for (int c = 0; c < 2; ++c) SetText(kPairControls[pair - 1].edit[c], FormatFloat(value.value[c], kLevelDecimals));
}

void CFXDialog::ShowInitialFinal() {
  if (!hasInitialFinal_) return;
  SetText(id::kInitial, FormatFloat(initial_, kInitialFinalDecimals));
  SetText(id::kFinal, FormatFloat(final_, kInitialFinalDecimals));
  ShowInitialFinalSliders();
}

void CFXDialog::ShowInitialFinalSliders() {
  if (!hasInitialFinal_ || !hasInitialFinalSliders_) return;
  SetPosition(id::kInitialSlider, ValueToPosition(initial_, initialMin_, initialMax_));
  SetPosition(id::kFinalSlider, ValueToPosition(final_, initialMin_, initialMax_));
}

float CFXDialog::ClampValue(float value) const { return ClampToRange(value, initialMin_, initialMax_); }

int CFXDialog::ScrollPair() const {
  const std::vector<ScrollItem>& items = ScrollItems(effectKind_);
  if (!hasScrollTool_ || scrollItem_ < 0 || scrollItem_ >= static_cast<int>(items.size())) return 0;
  return items[static_cast<size_t>(scrollItem_)].pair;
}

float CFXDialog::PairValue(int pair, int channel) const {
  return pair <= 2 ? levels_[pair - 1].channel[channel].Db() : values_[pair - 3].value[channel];
}

void CFXDialog::SetPairValue(int pair, int channel, float value) {
  if (pair <= 2) {
    levels_[pair - 1].channel[channel].SetDb(value);
  } else {
    values_[pair - 3].value[channel] = value;
  }
}

void CFXDialog::ShowScrollTool() {
  const int pair = ScrollPair();
  if (pair == 0) return;
  const float min = pair <= 2 ? levels_[pair - 1].minDb : values_[pair - 3].min;
  const float max = pair <= 2 ? levels_[pair - 1].maxDb : values_[pair - 3].max;
  SetPosition(id::kScrollLeft, ValueToPosition(PairValue(pair, 0), min, max));
  SetPosition(id::kScrollRight, ValueToPosition(PairValue(pair, 1), min, max));
}

void CFXDialog::Check(int controlId, bool ticked) {
  const int32_t flag = ticked ? 1 : 0;
  if (controlId == id::kLock) lock_ = flag;
  if (controlId == id::kSame) same_ = flag;
  if (controlId == id::kLeft) left_ = flag;
  if (controlId == id::kRight) right_ = flag;
  if (controlId == id::kLock || controlId == id::kSame || controlId == id::kLeft || controlId == id::kRight) {
    SetChecked(controlId, ticked);
  }
}

void CFXDialog::Click(int controlId) {
  if (hasScope_ && (controlId == id::kScopeHighlighted || controlId == id::kScopeMarkers || controlId == id::kScopeWhole)) {
    if (!Enabled(controlId)) return;
    scope_ = controlId;
    for (int radio : {id::kScopeHighlighted, id::kScopeMarkers, id::kScopeWhole}) SetChecked(radio, scope_ == radio);
  }
}

void CFXDialog::Select(int comboId, int index) {
  if (comboId == id::kUnits && hasUnits_) {
    const int32_t units = index != 0 ? UnitsPercent : UnitsDecibel;
    if (units != units_) {
      units_ = units;
      UpdateUnits(units_);
    }
    ShowUnitLabels();
  } else if (comboId == id::kSlope && hasSlope_) {
    slope_ = index != 0 ? 1 : 0;
  } else if (comboId == id::kScrollItem && hasScrollTool_) {
    scrollItem_ = index;
    ShowScrollTool();
  }
}

void CFXDialog::Commit(int editId, const std::string& text) {
  if (hasInitialFinal_ && (editId == id::kInitial || editId == id::kFinal)) {
    CommitInitialFinal(editId == id::kInitial ? 0 : 1, text);
    return;
  }
  for (int pair = 1; pair <= kPairs; ++pair) {
    const int side = Side(editId, kPairControls[pair - 1].edit);
    if (side < 0) continue;
    if (pair <= 2 && levels_[pair - 1].present) CommitLevel(pair, side, text);
    if (pair > 2 && values_[pair - 3].present) CommitValue(pair, side, text);
    return;
  }
}

void CFXDialog::CommitLevel(int pair, int channel, const std::string& text) {
  LevelPair& level = levels_[pair - 1];
  float typed = ParseFloat(text);
  if (units_ == UnitsPercent) typed = PercentToDb(typed);
  const float db = ClampToRange(typed, level.minDb, level.maxDb);
  LevelChannel& mine = level.channel[channel];
  if (units_ == UnitsPercent) {
    mine.SetPercent(DbToPercent(db));
  } else {
    mine.SetDb(db);
  }
  if (lock_ != 0) level.channel[1 - channel] = mine;
  ShowLevel(pair);
  if (pair == 1) {
    ShowScrollTool();
    ShowLevelSliders();
  }
  UpdateEffect();
}

// The LFO sweeps below the delay: an LFO delay above the delay would reach
// before the sound.
void CFXDialog::KeepLfoDelayWithinDelay(int channel) {
  if (!LfoRule() || !values_[0].present || !values_[1].present) return;
  float& delay = values_[0].value[channel];
  float& lfo = values_[1].value[channel];
  if (lfo > delay) lfo = delay;
}

void CFXDialog::CommitValue(int pair, int channel, const std::string& text) {
  ValuePair& value = values_[pair - 3];
  value.value[channel] = ClampToRange(ParseFloat(text), value.min, value.max);
  if (pair == 3 || pair == 4) KeepLfoDelayWithinDelay(channel);
  if (lock_ != 0) {
    value.value[1 - channel] = value.value[channel];
    if (pair == 3 || pair == 4) KeepLfoDelayWithinDelay(1 - channel);
  }
  ShowValuePair(3);
  ShowValuePair(4);
  ShowValuePair(pair);
  UpdateEffect();
}

void CFXDialog::CommitInitialFinal(int which, const std::string& text) {
  const float value = ClampValue(ParseFloat(text));
  (which == 0 ? initial_ : final_) = value;
  if (same_ != 0) (which == 0 ? final_ : initial_) = value;
  ShowInitialFinal();
}

void CFXDialog::Scroll(int sliderId, SliderAction action, int thumb) {
  const std::optional<int> moved = MovedPosition(Position(sliderId), action, thumb);
  if (!moved) return;
  const int position = ClampPosition(*moved);
  const int other = lock_ != 0;
  if (hasScrollTool_ && (sliderId == id::kScrollLeft || sliderId == id::kScrollRight)) {
    const int pair = ScrollPair();
    if (pair == 0) return;
    const int channel = sliderId == id::kScrollLeft ? 0 : 1;
    const float min = pair <= 2 ? levels_[pair - 1].minDb : values_[pair - 3].min;
    const float max = pair <= 2 ? levels_[pair - 1].maxDb : values_[pair - 3].max;
    const float value = PositionToValue(position, min, max);
    for (int c : {channel, 1 - channel}) {
      if (c != channel && !other) break;
      SetPairValue(pair, c, value);
      if (pair == 3 || pair == 4) KeepLfoDelayWithinDelay(c);
    }
    if (pair <= 2) {
      ShowLevel(pair);
      ShowLevelSliders();
    } else {
      ShowValuePair(3);
      ShowValuePair(4);
      ShowValuePair(pair);
    }
    SetPosition(sliderId, position);
    if (other) SetPosition(sliderId == id::kScrollLeft ? id::kScrollRight : id::kScrollLeft, position);
    UpdateEffect();
    return;
  }
  for (int pair = 1; pair <= 2; ++pair) {
    LevelPair& level = levels_[pair - 1];
    const int channel = Side(sliderId, kPairControls[pair - 1].slider);
    if (channel < 0 || !level.present || !level.ownSliders) continue;
    const float db = PositionToValue(position, level.minDb, level.maxDb);
    level.channel[channel].SetDb(db);
    if (other) level.channel[1 - channel].SetDb(db);
    ShowLevel(pair);
    ShowLevelSliders();
    ShowScrollTool();
    UpdateEffect();
    return;
  }
  if (hasInitialFinal_ && hasInitialFinalSliders_ && (sliderId == id::kInitialSlider || sliderId == id::kFinalSlider)) {
    const float value = PositionToValue(position, initialMin_, initialMax_);
    (sliderId == id::kInitialSlider ? initial_ : final_) = value;
    if (same_ != 0) (sliderId == id::kInitialSlider ? final_ : initial_) = value;
    ShowInitialFinal();
    UpdateEffect();
  }
}

int32_t CFXDialog::GetChannelMode() const {
  if (left_ != 0 && right_ != 0) return ChannelModeBoth;
  if (left_ != 0) return ChannelModeLeft;
  if (right_ != 0) return ChannelModeRight;
  return ChannelModeNone;
}

int CFXDialog::GetParameters(OperationDialogValues* values) const {
  if (!values) {
    ReportError(source_.c_str(), __LINE__, "");
    return 3;
  }
  values->level1Left = levels_[0].channel[0].Gain();
  values->level1Right = levels_[0].channel[1].Gain();
  values->level2Left = levels_[1].channel[0].Gain();
  values->level2Right = levels_[1].channel[1].Gain();
  if (hasScope_) {
    values->range = scope_ == id::kScopeHighlighted ? EditRangeHighlighted
                    : scope_ == id::kScopeMarkers   ? EditRangeMarkers
                                                    : EditRangeWhole;
  }
  values->channelMode = GetChannelMode();
  values->initialValue = initial_;
  values->finalValue = final_;
  values->curve = slope_;
  return 0;
}

// Presets.

CPresetRecord CFXDialog::NewPreset(const std::string& name) const {
  CPresetRecord record(PresetRecordBytes(presetKey_));
  record.SetName(name);
  return record;
}

void CFXDialog::AddBuiltIn(CPresetRecord record) {
  if (presets_.size() >= kMaxPresets) return;
  presets_.push_back(std::move(record));
  builtInCount_ = static_cast<int>(presets_.size());
}

void CFXDialog::LoadPresets() {
  presets_.clear();
  builtInCount_ = 0;
  if (presetKey_.empty()) return;
  LoadDefaultPresets();
  builtInCount_ = static_cast<int>(presets_.size());
  const std::string path = PresetFilePath(presetFolder_, presetKey_);
  PresetFileContents file = ReadPresetFile(path, presetKey_, kMaxPresets - presets_.size());
  for (CPresetRecord& record : file.records) presets_.push_back(std::move(record));
  if (file.partlyUnreadable) {
    Tell("Some presets in " + path + " could not be read; they are left out, and the file is kept as it is "
         "until you add or remove a preset.");
  }
}

void CFXDialog::WritePresets(int skip) {
  if (presetKey_.empty()) return;
  std::vector<CPresetRecord> mine;
  for (int i = builtInCount_; i < static_cast<int>(presets_.size()); ++i) {
    if (i != skip) mine.push_back(presets_[static_cast<size_t>(i)]);
  }
  const std::string path = PresetFilePath(presetFolder_, presetKey_);
  if (!WritePresetFile(path, mine)) {
    char text[600];
    std::snprintf(text, sizeof text, "Failed to open Preset File for write: %s\n", path.c_str());
    Tell(text);
  }
}

void CFXDialog::StorePreset(CPresetRecord& record) const {
  const bool pairs = presetKey_ == "stretch_compress" || presetKey_ == "pitch_shift";
  record.SetInt(kPresetLockOffset, pairs ? same_ : lock_);
  if (KeepsLevels(presetKey_)) {
    for (int pair = 0; pair < 2; ++pair) {
      for (int c = 0; c < 2; ++c) {
        const LevelChannel& channel = levels_[pair].channel[c];
        record.SetFloat(kLevelOffset[pair] + 4 * c, channel.Stored());
        record.SetInt(kLevelOffset[pair] + 8 + 4 * c, channel.percentValid);
      }
    }
  }
  if (presetKey_ == "fade") record.SetInt(kCurveOffset, slope_);
  for (const PairOffset& at : PairOffsets(presetKey_)) {
    for (int c = 0; c < 2; ++c) record.SetFloat(at.offset + 4 * c, values_[at.pair - 3].value[c]);
  }
  if (presetKey_ == "stretch_compress") {
    record.SetFloat(kInitialOffset, initial_);
    record.SetFloat(kFinalOffset, final_);
  }
  if (presetKey_ == "equalizer") record.SetInt(kEqualizerSlopeOffset, slope_);
  StorePresetExtra(record);
}

void CFXDialog::OnAddPreset(const std::string& name) {
  if (presets_.size() >= kMaxPresets) {
    Tell("Sorry, you've enetered the maximum number of presets.");
    return;
  }
  if (name.empty()) {
    Tell("You must enter a preset name.");
    return;
  }
  CPresetRecord record = NewPreset(name);
  StorePreset(record);
  presets_.push_back(std::move(record));
  SetText(id::kPresetName, "");
  WritePresets(kSkipNone);
}

void CFXDialog::OnRemovePreset(int index) {
  if (index >= 0 && index < builtInCount_) {
    Tell("Sorry, this is a default preset.  Cannot delete.");
    return;
  }
  WritePresets(index);
  LoadPresets();
}

void CFXDialog::OnApplyPreset(int index) {
  if (index < 0 || index >= static_cast<int>(presets_.size()) || index >= static_cast<int>(kMaxPresets)) return;
  const CPresetRecord& record = presets_[static_cast<size_t>(index)];
  if (presetKey_ == "stretch_compress" || presetKey_ == "pitch_shift") {
    same_ = record.Int(kPresetLockOffset) != 0;
  } else {
    lock_ = record.Int(kPresetLockOffset) != 0;
  }
  if (KeepsLevels(presetKey_)) {
    for (int pair = 0; pair < 2; ++pair) {
      for (int c = 0; c < 2; ++c) {
        levels_[pair].channel[c].SetStored(record.Float(kLevelOffset[pair] + 4 * c),
                                           record.Int(kLevelOffset[pair] + 8 + 4 * c));
      }
    }
  }
  if (presetKey_ == "fade") slope_ = record.Int(kCurveOffset) != 0;
  for (const PairOffset& at : PairOffsets(presetKey_)) {
    for (int c = 0; c < 2; ++c) values_[at.pair - 3].value[c] = record.Float(at.offset + 4 * c);
  }
  if (presetKey_ == "stretch_compress") {
    initial_ = record.Float(kInitialOffset);
    final_ = record.Float(kFinalOffset);
  }
  if (presetKey_ == "equalizer") slope_ = record.Int(kEqualizerSlopeOffset) != 0;
  ApplyPresetExtra(record);
  ShowValues();
  UpdateEffect();
}

}  // namespace forms
