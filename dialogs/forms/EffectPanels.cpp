#include "EffectPanels.h"

#include "FloatText.h"

namespace forms {
namespace {

constexpr int kLevelDecimals = 2;
constexpr uint32_t kFirstPairOffset = 164;  // pairs 3 to 7 follow the levels, 8 bytes each
constexpr uint32_t kLeftBandsOffset = 136, kRightBandsOffset = 176, kLeftFlagsOffset = 216, kRightFlagsOffset = 256;
constexpr float kBandTopDb = 20.0f, kBandSpanDb = 160.0f;

LevelPair PanelLevel(const char* label, float db) {
  LevelPair pair;
  pair.present = true;
  pair.label = label;
  for (LevelChannel& c : pair.channel) c.SetDb(db);
  return pair;
}

ValuePair Range(const char* label, float min, float max, float initial) {
  return ValuePair{true, label, {initial, initial}, min, max};
}

void FromGain(LevelChannel& channel, float gain) { channel.SetPercent(gain * 100.0f); }

constexpr RecordFields<EchoParams, 2> kEchoFields{
    {&EchoParams::dryGainLeft, &EchoParams::dryGainRight},
    {&EchoParams::echoGainLeft, &EchoParams::echoGainRight},
    {{{2, &EchoParams::decayLeft, &EchoParams::decayRight, 100.0f},
      {0, &EchoParams::delayMsLeft, &EchoParams::delayMsRight}}}};

constexpr RecordFields<ReverbParams, 3> kReverbFields{
    {&ReverbParams::dryGainLeft, &ReverbParams::dryGainRight},
    {&ReverbParams::reverbGainLeft, &ReverbParams::reverbGainRight},
    {{{2, &ReverbParams::decayLeft, &ReverbParams::decayRight, 100.0f},
      {0, &ReverbParams::delayMsLeft, &ReverbParams::delayMsRight},
      {1, &ReverbParams::secondDelayMsLeft, &ReverbParams::secondDelayMsRight}}}};

constexpr RecordFields<ChorusFlangeParams, 4> kModulatedFields{
    {&ChorusFlangeParams::dryGainLeft, &ChorusFlangeParams::dryGainRight},
    {&ChorusFlangeParams::wetGainLeft, &ChorusFlangeParams::wetGainRight},
    {{{3, &ChorusFlangeParams::lfoHzLeft, &ChorusFlangeParams::lfoHzRight},
      {4, &ChorusFlangeParams::lfoPhaseDegLeft, &ChorusFlangeParams::lfoPhaseDegRight},
      {0, &ChorusFlangeParams::delayMsLeft, &ChorusFlangeParams::delayMsRight},
      {1, &ChorusFlangeParams::depthMsLeft, &ChorusFlangeParams::depthMsRight}}}};

}  // namespace

CEffectPanel::CEffectPanel(int templateId, std::string source, const char* key, EffectKind kind)
    : CFXDialog(templateId, "", std::move(source)) {
  live_ = true;
  effectKind_ = kind;
  hasScope_ = hasUnits_ = hasLock_ = hasScrollTool_ = hasPresets_ = true;
  lock_ = 1;
  presetKey_ = key;
}

void CEffectPanel::Bind(CZelmo* engine, short number) {
  engine_ = engine;
  number_ = number;
  live_ = true;
}

void CEffectPanel::SetDestructive(EffectKind kind) {
  engine_ = nullptr;
  live_ = false;
  if (hasScrollTool_) effectKind_ = kind;
}

void CEffectPanel::Send(void* record) {
  if (live_ && engine_) engine_->SetEffectParameters(number_, record);
}

void CEffectPanel::TakeGains(float dryLeft, float dryRight, float wetLeft, float wetRight) {
  FromGain(levels_[0].channel[0], dryLeft);
  FromGain(levels_[0].channel[1], dryRight);
  FromGain(levels_[1].channel[0], wetLeft);
  FromGain(levels_[1].channel[1], wetRight);
}

int CEffectPanel::RefuseNullRecord(int line) const {
  ReportError(source_.c_str(), line, "");
  return 3;
}

void CEffectPanel::AddLevelPresets(const std::vector<LevelPreset>& presets) {
  for (const LevelPreset& p : presets) {
    CPresetRecord record = NewPreset(p.name);
    record.SetInt(kPresetLockOffset, p.lock);
    for (int c = 0; c < 2; ++c) {
      record.SetFloat(132 + 4 * c, p.dry[c]);
      record.SetInt(140 + 4 * c, p.dryPercent);
      record.SetFloat(148 + 4 * c, p.wet[c]);
      record.SetInt(156 + 4 * c, p.wetPercent);
    }
    for (size_t i = 0; i < p.pairs.size(); ++i) {
      const auto offset = static_cast<uint32_t>(kFirstPairOffset + 8 * i);
      record.SetFloat(offset, p.pairs[i][0]);
      record.SetFloat(offset + 4, p.pairs[i][1]);
    }
    AddBuiltIn(std::move(record));
  }
}

// Echo.

CEchoDialog::CEchoDialog() : CEffectPanel(227, "EchoDialog", "echo", EffectEcho) {
  // The engine's own first echo: -2 dB dry and -4 dB wet, the gains 0.7943 and 0.631.
  levels_[0] = PanelLevel("Dry Volume Level", -2.0f);
  levels_[1] = PanelLevel("Wet Volume Level", -4.0f);
  values_[0] = Range("Delay in Milliseconds", 0, 1000, 300);
  values_[2] = Range("Decline Percentage", 10, 100, 50);
}

int CEchoDialog::FillEffectRecord(EchoParams* record) const {
  if (!record) return RefuseNullRecord(__LINE__);
  *record = ToRecord(kEchoFields);
  return 1;
}

int CEchoDialog::LoadFromEngine() {
  LoadRecord(kEchoFields);
  return engine_ ? 1 : 0;
}

void CEchoDialog::UpdateEffect() {
  if (!live_ || !engine_) return;
  Modified();
  SendFilled<EchoParams>(*this);
}

void CEchoDialog::LoadDefaultPresets() {
  AddLevelPresets({
      {"Typical Echo", 1, {-2, -2}, 0, {-4, -4}, 0, {{300, 300}, {50, 50}}},
      {"Canyon Echo", 1, {100, 100}, 1, {60, 60}, 1, {{850, 850}, {15, 15}}},
      {"Small Room", 1, {100, 100}, 1, {50, 50}, 1, {{10, 10}, {50, 50}}},
      {"Auditorium", 0, {100, 100}, 1, {80, 20}, 1, {{60, 60}, {50, 50}}},
      {"Crystalized", 1, {60, 60}, 1, {60, 60}, 1, {{2, 2}, {10, 10}}},
  });
}

// Reverb.

CReverbDialog::CReverbDialog() : CEffectPanel(244, "ReverbDialog", "reverb", EffectReverb) {
  scope_ = id::kScopeWhole;
  levels_[0] = PanelLevel("Dry Volume Level", -2.5f);
  levels_[1] = PanelLevel("Wet Volume Level", -5.0f);
  values_[0] = Range("Early Reflection Delay ms", 0, 1000, 150);
  values_[1] = Range("Late Reflection Delay ms", 0, 1000, 300);
  values_[2] = Range("Decline Percentage", 10, 100, 25);
}

int CReverbDialog::FillEffectRecord(ReverbParams* record) const {
  if (!record) return RefuseNullRecord(__LINE__);
  *record = ToRecord(kReverbFields);
  return 1;
}

int CReverbDialog::LoadFromEngine() {
  LoadRecord(kReverbFields);
  return engine_ ? 1 : 0;
}

void CReverbDialog::UpdateEffect() { SendFilled<ReverbParams>(*this); }

void CReverbDialog::LoadDefaultPresets() {
  AddLevelPresets({
      {"Typical Reverb", 1, {-2.5f, -2.5f}, 0, {-5, -5}, 0, {{150, 150}, {300, 300}, {25, 25}}},
      {"Large Cathedral", 0, {86, 73}, 1, {91, 84}, 1, {{190, 230}, {340, 390}, {14, 10}}},
      {"Small Room", 1, {95, 95}, 1, {95, 95}, 1, {{62, 62}, {74, 74}, {47, 47}}},
      {"The Abyss", 0, {20, 96}, 1, {77, 88}, 1, {{340, 175}, {680, 388}, {10, 10}}},
      {"Robotic Effect", 0, {10, 10}, 1, {80, 80}, 1, {{9, 9}, {0.75f, 0.75f}, {10, 10}}},
  });
}

// Chorus and flange.

int CModulatedPanel::FillEffectRecord(ChorusFlangeParams* record) const {
  if (!record) return RefuseNullRecord(__LINE__);
  *record = ToRecord(kModulatedFields);
  return 1;
}

int CModulatedPanel::LoadFromEngine() { return LoadRecord(kModulatedFields); }

void CModulatedPanel::UpdateEffect() { SendFilled<ChorusFlangeParams>(*this); }

CModulatedPanel::CModulatedPanel(int templateId, std::string source, const char* key, EffectKind kind,
                                 const Start& start)
    : CEffectPanel(templateId, std::move(source), key, kind) {
  scope_ = id::kScopeWhole;
  levels_[0] = PanelLevel("Dry Volume Level", start.dryDb);
  levels_[1] = PanelLevel("Wet Volume Level", start.wetDb);
  values_[0] = Range("Delay in Milliseconds", start.delay[0], start.delay[1], start.delay[2]);
  values_[1] = Range("LFO Delay in Milliseconds", start.lfoDelay[0], start.lfoDelay[1], start.lfoDelay[2]);
  values_[3] = Range("LFO Frequency Hz", start.lfoHz[0], start.lfoHz[1], start.lfoHz[2]);
  values_[4] = Range("LFO Phase degrees", 0, 360, 0);
}

// The values are those of "Typical Chorus", inside every range.
CChorusDialog::CChorusDialog()
    : CModulatedPanel(228, "ChorusDialog", "chorus", EffectChorus,
                      {-3.0f, -5.0f, {10, 60, 25}, {0, 50, 20}, {0.1f, 3.0f, 0.7f}}) {}

void CChorusDialog::LoadDefaultPresets() {
  AddLevelPresets({
      {"Typical Chorus", 1, {-4, -4}, 0, {-5, -5}, 0, {{25, 25}, {20, 20}, {0.7f, 0.7f}, {0, 0}}},
      {"Doubler Effect", 1, {-6, -6}, 0, {-6, -6}, 0, {{15, 15}, {2, 2}, {0.2f, 0.2f}, {0, 0}}},
      {"Expansive Chours", 1, {-4, -4}, 0, {-4, -4}, 0, {{50, 50}, {40, 40}, {0.5f, 0.5f}, {180, 0}}},
      {"Up and Down", 0, {-140, -140}, 0, {0, 0}, 0, {{51, 51}, {50, 50}, {3, 3}, {0, 0}}},
      {"Distant Chorus", 0, {-9, -9}, 0, {-2, -2}, 0, {{60, 10}, {10, 0}, {0.2f, 0.2f}, {180, 0}}},
  });
}

CFlangeDialog::CFlangeDialog()
    : CModulatedPanel(245, "FlangeDialog", "flange", EffectFlange,
                      {-8.0f, -6.0f, {0, 10, 4}, {0, 10, 3}, {0.1f, 20, 0.5f}}) {}

int CFlangeDialog::LoadFromEngine() {
  const int result = CModulatedPanel::LoadFromEngine();
  if (result == 1) units_ = UnitsPercent;
  return result;
}

void CFlangeDialog::LoadDefaultPresets() {
  AddLevelPresets({
      {"Typical Flange", 1, {-8, -8}, 0, {-6, -6}, 0, {{4, 4}, {3, 3}, {0.5f, 0.5f}, {0, 0}}},
      {"Drum Beat Flange", 0, {-7.96f, -7.96f}, 0, {-4.44f, -4.44f}, 0, {{2, 2}, {1, 1}, {0.17f, 0.17f}, {0, 180}}},
      {"Warped Effect", 1, {-8, -8}, 0, {-4.44f, -4.44f}, 0, {{5, 5}, {4, 4}, {20, 20}, {0, 0}}},
      {"Expansive Effect", 0, {-1.4f, -4.4f}, 0, {-4.4f, -1.4f}, 0, {{1.6f, 1.6f}, {1.6f, 1.6f}, {5, 5}, {0, 0}}},
      {"Fake Tremolo", 0, {-140, -140}, 0, {-2, -2}, 0, {{1, 1}, {0.8f, 0.8f}, {15, 15}, {0, 0}}},
  });
}

// Equalizer.

CEqualizerDialog::CEqualizerDialog() : CEffectPanel(247, "EqualizerDialog", "equalizer", EffectNone) {
  hasScrollTool_ = false;
  hasSlope_ = true;
}

bool CEqualizerDialog::Has(int controlId) const {
  if (controlId == kLeftChannel || controlId == kRightChannel) return true;
  for (int band = 0; band < kBands; ++band) {
    if (controlId == kLeftEdits[band] || controlId == kRightEdits[band] || controlId == kSliders[band]) return true;
  }
  return CFXDialog::Has(controlId);
}

std::string CEqualizerDialog::Label(int controlId) const {
  if (controlId == kLeftChannel) return "Left Channel";
  if (controlId == kRightChannel) return "Right Channel";
  for (int band = 0; band < kBands; ++band) {
    if (controlId == kSliders[band] || controlId == kLeftEdits[band]) return kBandNames[band];
  }
  return CFXDialog::Label(controlId);
}

void CEqualizerDialog::ShowValues() {
  CFXDialog::ShowValues();
  SetChecked(kLeftChannel, shownChannel_ == kLeftChannel);
  SetChecked(kRightChannel, shownChannel_ == kRightChannel);
  ShowBands(true);
}

void CEqualizerDialog::ShowBands(bool sliders) {
  for (int band = 0; band < kBands; ++band) {
    for (int c = 0; c < 2; ++c) {
      const LevelChannel& b = Band(c, band);
      const float shown = units_ == UnitsPercent ? b.Percent() : b.Db();
      SetText(c == 0 ? kLeftEdits[band] : kRightEdits[band], FormatFloat(shown, kLevelDecimals));
    }
    if (sliders) {
      const double db = Band(shownChannel_ == kLeftChannel ? 0 : 1, band).Db();
      SetPosition(kSliders[band], static_cast<int>(std::max(-1.0, std::min(1001.0, (db - kBandTopDb) / -kBandSpanDb * 1000))));
    }
  }
}

void CEqualizerDialog::UpdateUnits(int32_t units) {
  if (units == UnitsDecibel || units == UnitsPercent) ShowBands(true);
}

void CEqualizerDialog::Click(int controlId) {
  if (controlId == kLeftChannel || controlId == kRightChannel) {
    shownChannel_ = controlId;
    SetChecked(kLeftChannel, shownChannel_ == kLeftChannel);
    SetChecked(kRightChannel, shownChannel_ == kRightChannel);
    ShowBands(true);
    return;
  }
  CEffectPanel::Click(controlId);
}

void CEqualizerDialog::Commit(int editId, const std::string& text) {
  for (int band = 0; band < kBands; ++band) {
    const int channel = editId == kLeftEdits[band] ? 0 : editId == kRightEdits[band] ? 1 : -1;
    if (channel < 0) continue;
    float typed = ParseFloat(text);
    if (units_ == UnitsPercent) typed = PercentToDb(typed);
    const float db = ClampToRange(typed, kBandTopDb - kBandSpanDb, kBandTopDb);
    for (int c : {channel, 1 - channel}) {
      if (c != channel && lock_ == 0) break;
      LevelChannel& b = bands_[static_cast<size_t>(c * kBands + band)];
      if (units_ == UnitsPercent) {
        b.SetPercent(DbToPercent(db));
      } else {
        b.SetDb(db);
      }
    }
    ShowBands(true);
    UpdateEffect();
    return;
  }
  CEffectPanel::Commit(editId, text);
}

void CEqualizerDialog::Scroll(int sliderId, SliderAction action, int thumb) {
  for (int band = 0; band < kBands; ++band) {
    if (sliderId != kSliders[band]) continue;
    // The engine hears a band when the user lets go of its slider.
    if (action == SliderAction::End) {
      UpdateEffect();
      return;
    }
    const std::optional<int> moved = MovedPosition(Position(sliderId), action, thumb);
    if (!moved) return;
    const int position = ClampPosition(*moved);
    const float db = kBandTopDb - kBandSpanDb * static_cast<float>(position) / 1000.0f;
    const int shown = shownChannel_ == kLeftChannel ? 0 : 1;
    bands_[static_cast<size_t>(shown * kBands + band)].SetDb(db);
    if (lock_ != 0) bands_[static_cast<size_t>((1 - shown) * kBands + band)].SetDb(db);
    SetPosition(sliderId, position);
    ShowBands(false);
    return;
  }
  CEffectPanel::Scroll(sliderId, action, thumb);
}

int CEqualizerDialog::FillEffectRecord(EqualizerParams* record) const {
  if (!record) return RefuseNullRecord(__LINE__);
  record->interpolationMode = slope_;
  for (int band = 0; band < kBands; ++band) {
    record->left.gains[band] = Band(0, band).Gain();
    record->right.gains[band] = Band(1, band).Gain();
  }
  return 1;
}

int CEqualizerDialog::LoadFromEngine() {
  EqualizerParams record{};
  if (!engine_ || engine_->GetEffectParameters(number_, &record) != 1) return engine_ ? 1 : 0;
  for (int band = 0; band < kBands; ++band) {
    FromGain(bands_[static_cast<size_t>(band)], record.left.gains[band]);
    FromGain(bands_[static_cast<size_t>(kBands + band)], record.right.gains[band]);
  }
  return 1;
}

void CEqualizerDialog::UpdateEffect() { SendFilled<EqualizerParams>(*this); }

void CEqualizerDialog::StorePresetExtra(CPresetRecord& record) const {
  for (int band = 0; band < kBands; ++band) {
    const auto at = static_cast<uint32_t>(4 * band);
    record.SetFloat(kLeftBandsOffset + at, Band(0, band).Stored());
    record.SetFloat(kRightBandsOffset + at, Band(1, band).Stored());
    record.SetInt(kLeftFlagsOffset + at, Band(0, band).percentValid);
    record.SetInt(kRightFlagsOffset + at, Band(1, band).percentValid);
  }
}

void CEqualizerDialog::ApplyPresetExtra(const CPresetRecord& record) {
  for (int band = 0; band < kBands; ++band) {
    const auto at = static_cast<uint32_t>(4 * band);
    bands_[static_cast<size_t>(band)].SetStored(record.Float(kLeftBandsOffset + at), record.Int(kLeftFlagsOffset + at));
    bands_[static_cast<size_t>(kBands + band)].SetStored(record.Float(kRightBandsOffset + at),
                                                         record.Int(kRightFlagsOffset + at));
  }
}

void CEqualizerDialog::LoadDefaultPresets() {
  struct Curve {
    const char* name;
    std::array<float, kBands> db;
  };
  constexpr float kCut = -140.0f;
  const Curve kCurves[] = {
      {"Flat - No Change", {}},
      {"Bass Boost", {0, 7.5f, 3}},
      {"Bass Cut", {-14, -10.5f, -5}},
      {"Low Pass Filter", {0, 0, 0, 0, kCut, kCut, kCut, kCut, kCut, kCut}},
      {"High Pass Filter", {kCut, kCut, kCut, kCut, kCut, kCut, 0, 0, 0, 0}},
      {"Telephone Effect", {kCut, kCut, kCut, 0, 0, 0, 0, 0, kCut, kCut}},
  };
  for (const Curve& curve : kCurves) {
    CPresetRecord record = NewPreset(curve.name);
    record.SetInt(kPresetLockOffset, 1);
    // Linear between bands, as a new equalizer starts.
    record.SetInt(132, 0);
    for (int band = 0; band < kBands; ++band) {
      record.SetFloat(kLeftBandsOffset + 4 * band, curve.db[static_cast<size_t>(band)]);
      record.SetFloat(kRightBandsOffset + 4 * band, curve.db[static_cast<size_t>(band)]);
    }
    AddBuiltIn(std::move(record));
  }
}

}  // namespace forms
