// The nine edit-operation forms of the Audio Editor. Each is the generic form
// configured by its constructor; Copy Channel adds a direction, Pitch Shift its
// own pitch controls in semitones or as a ratio. None is bound to an engine:
// the core reads GetParameters after OK. Their values persist between showings.
#pragma once

#include "FXDialog.h"

namespace forms {

class CMuteDialog : public CFXDialog {
 public:
  CMuteDialog();
};

class CMixPasteDialog : public CFXDialog {
 public:
  CMixPasteDialog();
};

class CVolumeDialog : public CFXDialog {
 public:
  CVolumeDialog();
};

class CFadeDialog : public CFXDialog {
 public:
  CFadeDialog();

 protected:
  void LoadDefaultPresets() override;
};

class CReverseDialog : public CFXDialog {
 public:
  CReverseDialog();
};

class CSwapDialog : public CFXDialog {
 public:
  CSwapDialog();
};

class CCopyChannelDialog : public CFXDialog {
 public:
  static constexpr int kLeftToRight = 1077, kRightToLeft = 1076;

  CCopyChannelDialog();
  void InitDialog() override;
  void Click(int controlId) override;
  bool Has(int controlId) const override;
  std::string Label(int controlId) const override;
  int GetParameters(OperationDialogValues* values) const override;

 private:
  int32_t copyLeftToRight_ = 1, copyRightToLeft_ = 0;
};

class CStretchCompressDialog : public CFXDialog {
 public:
  CStretchCompressDialog();

 protected:
  void LoadDefaultPresets() override;
};

class CPitchShiftDialog : public CFXDialog {
 public:
  static constexpr int kPitchUnits = 1224, kInitialSlider = 1225, kFinalSlider = 1226;
  static constexpr int kInitialEdit = 1227, kFinalEdit = 1228;
  static constexpr int kSliderSteps = 480;
  static constexpr float kMaxSemitones = 24.0f;
  enum Kind : int32_t { KindSemitones = 1, KindRatio = 2 };

  CPitchShiftDialog();
  void Select(int comboId, int index) override;
  void Commit(int editId, const std::string& text) override;
  void Scroll(int sliderId, SliderAction action, int thumb) override;
  bool Has(int controlId) const override;
  std::vector<std::string> Items(int comboId) const override;
  int Selection(int comboId) const override;
  int GetParameters(OperationDialogValues* values) const override;

  // One end of the shift: a value in semitones or as a ratio, and which one is valid.
  struct Pitch {
    float semitones = 0.0f;
    float ratio = 1.0f;
    int32_t kind = KindSemitones;
    float Semitones() const;
    float Ratio() const;
  };
  const Pitch& InitialPitch() const { return pitch_[0]; }
  const Pitch& FinalPitch() const { return pitch_[1]; }
  int32_t DisplayUnits() const { return displayUnits_; }

 protected:
  void LoadDefaultPresets() override;
  void ApplyPresetExtra(const CPresetRecord& record) override;
  void StorePresetExtra(CPresetRecord& record) const override;
  void ShowValues() override;

 private:
  void ShowPitches();
  std::array<Pitch, 2> pitch_{};
  int32_t displayUnits_ = KindSemitones;
};

}  // namespace forms
