// The parameter panels of the five real-time effects. A panel is either bound
// to one effect of a chain (live: every accepted change reaches the engine at
// once) or collects the values of a destructive effect for the effect holder,
// which reads them with FillEffectRecord. Levels are shown in dB or percent and
// reach the engine as gains.
#pragma once

#include <functional>

#include "FXDialog.h"
#include "Zelmo.h"

namespace forms {

// Where a delay-type panel's levels and value pairs stand in its effect
// record: the dry and wet gains, then each pair's fields (the record holds
// the shown value / scale).
template <class Record>
struct RecordPair {
  size_t value;  // of the panel's value pairs
  float Record::*left;
  float Record::*right;
  float scale = 1.0f;
};
template <class Record, size_t Pairs>
struct RecordFields {
  float Record::*dry[2];
  float Record::*wet[2];
  std::array<RecordPair<Record>, Pairs> pairs;
};

class CEffectPanel : public CFXDialog {
 public:
  // Live use: the panel edits effect `number` of engine (not owned).
  void Bind(CZelmo* engine, short number);
  // The window goes: the panel no longer reaches the engine.
  void Unbind() { engine_ = nullptr; }
  // Destructive use: no engine; the effect kind names the scroll tool's items.
  void SetDestructive(EffectKind kind);
  bool IsLive() const { return live_; }
  // Called when a change reaches the engine of a panel that marks the project changed.
  void SetOnModified(std::function<void()> modified) { modified_ = std::move(modified); }

  // Reads the bound effect's record into the form; 1, 0 without an engine
  // (the flange panel's is the engine's result).
  virtual int LoadFromEngine() = 0;

  // Enter accepts the holder only for panels that are not live; some panels ignore Esc.
  virtual bool EnterAccepts() const { return !live_; }
  virtual bool EscapeCloses() const { return false; }

 protected:
  CEffectPanel(int templateId, std::string source, const char* key, EffectKind kind);
  // Sends the record when live and bound.
  void Send(void* record);
  // The panel's own record, filled from what it shows, when live and bound.
  template <class Record, class Panel>
  static void SendFilled(Panel& panel) {
    if (!panel.live_ || !panel.engine_) return;
    Record record{};
    panel.FillEffectRecord(&record);
    panel.Send(&record);
  }
  int RefuseNullRecord(int line) const;
  // The record as the panel shows it.
  template <class Record, size_t Pairs>
  Record ToRecord(const RecordFields<Record, Pairs>& fields) const {
    Record record{};
    for (int c = 0; c < 2; ++c) {
      record.*fields.dry[c] = levels_[0].channel[c].Gain();
      record.*fields.wet[c] = levels_[1].channel[c].Gain();
    }
    for (const RecordPair<Record>& pair : fields.pairs) {
      record.*pair.left = values_[pair.value].value[0] / pair.scale;
      record.*pair.right = values_[pair.value].value[1] / pair.scale;
    }
    return record;
  }
  // Reads the bound effect's record into the panel when the engine hands it over
  // (result 1); the engine's result, 0 without an engine.
  template <class Record, size_t Pairs>
  int LoadRecord(const RecordFields<Record, Pairs>& fields) {
    if (!engine_) return 0;
    Record record{};
    const int result = static_cast<int>(engine_->GetEffectParameters(number_, &record));
    if (result != 1) return result;
    TakeGains(record.*fields.dry[0], record.*fields.dry[1], record.*fields.wet[0], record.*fields.wet[1]);
    for (const RecordPair<Record>& pair : fields.pairs) {
      values_[pair.value].value = {record.*pair.left * pair.scale, record.*pair.right * pair.scale};
    }
    return 1;
  }
  // The engine's gains as the levels: percent, flag 1.
  void TakeGains(float dryLeft, float dryRight, float wetLeft, float wetRight);
  void Modified() const {
    if (modified_) modified_();
  }
  // A built-in preset of the delay-type panels: levels (percent when pct) and
  // the kind's value pairs in its preset order.
  struct LevelPreset {
    const char* name;
    int32_t lock;
    float dry[2];
    int32_t dryPercent;
    float wet[2];
    int32_t wetPercent;
    std::vector<std::array<float, 2>> pairs;
  };
  void AddLevelPresets(const std::vector<LevelPreset>& presets);

  CZelmo* engine_ = nullptr;
  short number_ = 0;
  std::function<void()> modified_;
};

class CEchoDialog : public CEffectPanel {
 public:
  CEchoDialog();
  int FillEffectRecord(EchoParams* record) const;
  int LoadFromEngine() override;
  bool EscapeCloses() const override { return true; }

 protected:
  void UpdateEffect() override;
  void LoadDefaultPresets() override;
};

class CReverbDialog : public CEffectPanel {
 public:
  CReverbDialog();
  int FillEffectRecord(ReverbParams* record) const;
  int LoadFromEngine() override;
  bool EnterAccepts() const override { return true; }

 protected:
  void UpdateEffect() override;
  void LoadDefaultPresets() override;
};

// Chorus and flange share their record and their controls.
class CModulatedPanel : public CEffectPanel {
 public:
  int FillEffectRecord(ChorusFlangeParams* record) const;
  int LoadFromEngine() override;

 protected:
  // Where a panel starts: its levels in dB and the {min, max, initial} of its delay, LFO delay and LFO frequency.
  struct Start {
    float dryDb, wetDb;
    std::array<float, 3> delay, lfoDelay, lfoHz;
  };
  CModulatedPanel(int templateId, std::string source, const char* key, EffectKind kind, const Start& start);
  void UpdateEffect() override;
};

class CChorusDialog : public CModulatedPanel {
 public:
  CChorusDialog();

 protected:
  void LoadDefaultPresets() override;
};

class CFlangeDialog : public CModulatedPanel {
 public:
  CFlangeDialog();
  int LoadFromEngine() override;

 protected:
  void LoadDefaultPresets() override;
};

class CEqualizerDialog : public CEffectPanel {
 public:
  static constexpr int kLeftChannel = 1129, kRightChannel = 1130;
  static constexpr int kBands = kEqualizerBandCount;
  static constexpr int kLeftEdits[kBands] = {1057, 1058, 1059, 1060, 1061, 1078, 1079, 1080, 1081, 1082};
  static constexpr int kRightEdits[kBands] = {1067, 1068, 1069, 1076, 1077, 1083, 1084, 1085, 1086, 1087};
  static constexpr int kSliders[kBands] = {1131, 1132, 1133, 1134, 1015, 1016, 1017, 1018, 1019, 1020};
  static constexpr const char* kBandNames[kBands] = {"60 Hz", "170 Hz", "310 Hz", "600 Hz", "1 kHz",
                                                     "3 kHz", "6 kHz",  "12 kHz", "14 kHz", "16 kHz"};

  CEqualizerDialog();
  int FillEffectRecord(EqualizerParams* record) const;
  int LoadFromEngine() override;

  void Click(int controlId) override;
  void Commit(int editId, const std::string& text) override;
  void Scroll(int sliderId, SliderAction action, int thumb) override;
  bool Has(int controlId) const override;
  std::string Label(int controlId) const override;

  const LevelChannel& Band(int channel, int band) const { return bands_[static_cast<size_t>(channel * kBands + band)]; }
  int ShownChannel() const { return shownChannel_; }

 protected:
  void UpdateEffect() override;
  void LoadDefaultPresets() override;
  void UpdateUnits(int32_t units) override;
  void ApplyPresetExtra(const CPresetRecord& record) override;
  void StorePresetExtra(CPresetRecord& record) const override;
  void ShowValues() override;

 private:
  void ShowBands(bool sliders);
  std::array<LevelChannel, 2 * kBands> bands_{};
  int shownChannel_ = kLeftChannel;
};

}  // namespace forms
