// The generic parameter form of every effect panel and edit-operation dialog,
// as plain C++: which controls a form has, what each of them shows, and what
// each user action does to the values. The Qt dialogs build the controls it
// names, forward every action here and show what it says; the tests drive it
// with no display.
//
// Controls are named by their numbers (1163 the left Dry edit, ...). After any
// action the view reads Text, Position, Checked and Enabled again.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "LevelChannels.h"
#include "PresetFile.h"
#include "SliderMath.h"
#include "requests/EditRequests.h"

namespace forms {

namespace id {
constexpr int kOk = 1, kCancel = 2;
constexpr int kScopeHighlighted = 1155, kScopeMarkers = 1156, kScopeWhole = 1158;
constexpr int kLock = 1159, kSame = 1171, kLeft = 1176, kRight = 1177;
constexpr int kUnits = 1160, kSlope = 1071, kScrollItem = 1188, kScrollLeft = 1189, kScrollRight = 1190;
constexpr int kPresetList = 1167, kPresetName = 1168, kPresetAdd = 1169, kPresetRemove = 1170;
constexpr int kInitial = 1174, kFinal = 1175, kInitialSlider = 1172, kFinalSlider = 1173;
}  // namespace id

enum Units : int32_t { UnitsDecibel = 0, UnitsPercent = 1 };

// The scroll tool's items and the effect types that name them.
enum EffectKind : int32_t { EffectNone = 0, EffectEcho = 1, EffectReverb = 2, EffectChorus = 3, EffectFlange = 4 };

constexpr int kPairs = 7;  // pairs 1 and 2 are levels, 3 to 7 plain values

struct LevelPair {
  bool present = false;
  bool ownSliders = false;
  std::string label;
  std::array<LevelChannel, 2> channel{};
  float minDb = -140.0f, maxDb = 20.0f;
};

struct ValuePair {
  bool present = false;
  std::string label;
  std::array<float, 2> value{};
  float min = 0.0f, max = 1.0f;
};

// The controls of one pair: edits, unit labels and own sliders (0 = none).
struct PairControls {
  int edit[2];
  int unitLabel[2];
  int slider[2];
};
extern const PairControls kPairControls[kPairs];

class CFXDialog {
 public:
  using Inform = std::function<void(const std::string&)>;

  CFXDialog(int templateId, std::string caption, std::string source);
  virtual ~CFXDialog() = default;
  CFXDialog(const CFXDialog&) = delete;
  CFXDialog& operator=(const CFXDialog&) = delete;

  // Set by whoever shows the form, before InitDialog.
  void SetChannelCount(int16_t channels) { channelCount_ = channels; }
  void SetAvailable(bool highlight, bool markers) { highlightAvailable_ = highlight, markersAvailable_ = markers; }
  void SetScope(int scopeId) { scope_ = scopeId; }
  void SetPresetFolder(std::string folder) { presetFolder_ = std::move(folder); }
  // Information boxes ("You must enter a preset name.", ...); none when unset.
  void SetInform(Inform inform) { inform_ = std::move(inform); }

  // The window opens: controls filled, presets reloaded, values shown.
  virtual void InitDialog();

  // What the user does. Edits commit when they lose the focus (and before OK).
  void Check(int controlId, bool ticked);
  virtual void Click(int controlId);
  virtual void Select(int comboId, int index);
  virtual void Commit(int editId, const std::string& text);
  virtual void Scroll(int sliderId, SliderAction action, int thumb);
  void OnAddPreset(const std::string& name);
  void OnRemovePreset(int index);  // -1: nothing selected
  void OnApplyPreset(int index);

  // The operation's values; 0.
  virtual int GetParameters(OperationDialogValues* values) const;
  int32_t GetChannelMode() const;

  // What the controls show.
  virtual bool Has(int controlId) const;
  std::string Text(int controlId) const;
  int Position(int sliderId) const;
  bool Checked(int controlId) const;
  bool Enabled(int controlId) const;
  virtual std::vector<std::string> Items(int comboId) const;
  // The caption of a check box, radio, button or group, or a pair's name.
  virtual std::string Label(int controlId) const;
  virtual int Selection(int comboId) const;
  std::vector<std::string> PresetNames() const;
  int BuiltInCount() const { return builtInCount_; }

  int TemplateId() const { return templateId_; }
  const std::string& Caption() const { return caption_; }
  const std::string& PresetKey() const { return presetKey_; }
  const LevelPair& Level(int pair) const { return levels_[pair - 1]; }
  const ValuePair& Value(int pair) const { return values_[pair - 3]; }
  bool HasScope() const { return hasScope_; }
  bool HasPresets() const { return hasPresets_; }
  bool HasInitialFinal() const { return hasInitialFinal_; }
  bool HasSlope() const { return hasSlope_; }
  bool HasUnits() const { return hasUnits_; }
  bool HasLock() const { return hasLock_; }
  bool HasSame() const { return hasSame_; }
  bool HasChannelChecks() const { return hasChannelChecks_; }
  bool HasScrollTool() const { return hasScrollTool_; }
  int Scope() const { return scope_; }
  int32_t Units() const { return units_; }
  bool Locked() const { return lock_ != 0; }
  float Initial() const { return initial_; }
  float Final() const { return final_; }

 protected:
  virtual void UpdateEffect() {}
  virtual void LoadDefaultPresets() {}
  virtual void UpdateUnits(int32_t units);
  virtual void ApplyPresetExtra(const CPresetRecord&) {}
  virtual void StorePresetExtra(CPresetRecord&) const {}
  virtual void ShowValues();
  // A preset made in code, appended to the list as a built-in.
  CPresetRecord NewPreset(const std::string& name) const;
  void AddBuiltIn(CPresetRecord record);
  void StorePreset(CPresetRecord& record) const;

  void SetText(int controlId, std::string text) { texts_[controlId] = std::move(text); }
  void SetPosition(int sliderId, int position) { positions_[sliderId] = ClampPosition(position); }
  void SetChecked(int controlId, bool ticked) { checked_[controlId] = ticked; }
  void SetEnabled(int controlId, bool enabled) { enabled_[controlId] = enabled; }
  void Tell(const std::string& text) const;

  // The configuration each form's constructor sets.
  bool live_ = false;
  bool hasScope_ = false, hasUnits_ = false, hasSlope_ = false, hasLock_ = false, hasScrollTool_ = false;
  bool hasChannelChecks_ = false, hasSame_ = false, hasInitialFinal_ = false, hasInitialFinalSliders_ = false;
  bool hasPresets_ = false;
  int scope_ = 0;
  int32_t units_ = UnitsDecibel, slope_ = 0, lock_ = 0, same_ = 0, left_ = 0, right_ = 0;
  std::array<LevelPair, 2> levels_{};
  std::array<ValuePair, kPairs - 2> values_{};
  float initial_ = 0.0f, final_ = 0.0f, initialMin_ = 0.0f, initialMax_ = 1.0f;
  std::string presetKey_;
  EffectKind effectKind_ = EffectNone;
  // The panels apply to areas, the edit operations to sections of a track.
  std::array<const char*, 3> scopeTexts_ = {"Highlighted Area", "Between Markers", "All Audio"};
  std::string source_;
  bool channelsIndependent_ = true;

 private:
  void InitControls();
  void LoadPresets();
  void WritePresets(int skip);
  void ShowUnitLabels();
  void ShowLevel(int pair);
  void ShowLevelSliders();
  void ShowValuePair(int pair);
  void ShowInitialFinal();
  void ShowInitialFinalSliders();
  // A value limited to the initial/final range.
  float ClampValue(float value) const;
  void ShowScrollTool();
  // The pair the scroll tool's chosen item names, 0 for none.
  int ScrollPair() const;
  float PairValue(int pair, int channel) const;  // a level in dB
  void SetPairValue(int pair, int channel, float value);
  void KeepLfoDelayWithinDelay(int channel);
  void CommitLevel(int pair, int channel, const std::string& text);
  void CommitValue(int pair, int channel, const std::string& text);
  void CommitInitialFinal(int which, const std::string& text);
  bool LfoRule() const { return presetKey_ == "flange" || presetKey_ == "chorus"; }

  int templateId_;
  std::string caption_;
  int16_t channelCount_ = 2;
  bool highlightAvailable_ = true, markersAvailable_ = true;
  std::string presetFolder_;
  Inform inform_;
  std::vector<CPresetRecord> presets_;
  int builtInCount_ = 0;
  int scrollItem_ = 0;
  std::map<int, std::string> texts_;
  std::map<int, int> positions_;
  std::map<int, bool> checked_, enabled_;
};

}  // namespace forms
