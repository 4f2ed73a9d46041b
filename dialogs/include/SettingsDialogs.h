// "Metronome Settings", "Color Settings" and "Wave Quality": the smaller
// settings dialogs over their forms.
#pragma once

#include <optional>

#include "ColorSettingsForm.h"
#include "DialogKit.h"
#include "MetronomeForm.h"
#include "WaveQualityForm.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSlider;

namespace dialogs {

class CMetronomeDialog final : public CFormDialog {
 public:
  static constexpr int kTemplateId = 265;
  enum Control { kOn = 1233, kOff = 1234, kDrumBeat = 1064, kClassicClick = 1065, kAccent = 1060, kLevel = 1277,
                 kLevelText = 1343 };

  explicit CMetronomeDialog(const MetronomeSettingsRequest& request, QWidget* parent = nullptr);
  MetronomeSettingsRequest::Result Result() const { return form_.Result(); }
  static std::optional<MetronomeSettingsRequest::Result> Ask(const MetronomeSettingsRequest& request, QWidget* parent);

 protected:
  void Render() override;

 private:
  forms::MetronomeForm form_;
  QRadioButton *on_, *off_, *drums_, *click_;
  QCheckBox* accent_;
  QSlider* level_;
  QLabel* levelText_;
};

class CColorSettingsDialog final : public CFormDialog {
 public:
  static constexpr int kTemplateId = 283;
  enum Control {
    kTrackView = 1299, kLoopBank = 1300, kItem = 1101, kWaveform = 1316, kOutline = 1317, kBackground = 1110,
    kMarkers = 1318, kEditorWaveform = 1102, kEditorOutline = 1112, kEditorBackground = 1114, kEditorMarkers = 1113,
    kUseTrackColors = 1021, kSetAll = 1031,
  };

  explicit CColorSettingsDialog(const ColorSettingsRequest& request, QWidget* parent = nullptr);
  const ColorSettingsRequest::Result& Result() const { return form_.Result(); }
  // Each choice is applied as it is made; OK answers with the colours, Cancel with nothing.
  static std::optional<ColorSettingsRequest::Result> Ask(const ColorSettingsRequest& request, QWidget* parent);

 protected:
  void Render() override;

 private:
  void Apply();

  forms::ColorSettingsForm form_;
  std::function<void(const ColorSettingsRequest::Result&)> apply_;
  QRadioButton *trackView_, *loopBank_;
  QComboBox* item_;
  QComboBox* viewColors_[4];    // by forms::ColorMember
  QComboBox* editorColors_[4];
  QCheckBox* useTrackColors_;
};

class CWaveDialog final : public CFormDialog {
 public:
  static constexpr int kTemplateId = 285;
  enum Control { kMono = 1128, kStereo = 1129, k8Bit = 1132, k16Bit = 1133, k11025 = 1124, k22050 = 1125,
                 k44100 = 1126, kUserRate = 1127, kUserRateEdit = 1130 };

  // tell shows the refusal of a rate out of range (information icon).
  CWaveDialog(const forms::WaveQuality& quality, std::function<void(const std::string&)> tell,
              QWidget* parent = nullptr);
  const forms::WaveQuality& Result() const { return accepted_; }
  static std::optional<forms::WaveQuality> Ask(const forms::WaveQuality& quality,
                                               std::function<void(const std::string&)> tell, QWidget* parent);

 protected:
  void Render() override;
  bool CanAccept() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  forms::WaveQualityForm form_;
  std::function<void(const std::string&)> tell_;
  forms::WaveQuality accepted_;
  QRadioButton *mono_, *stereo_, *bits8_, *bits16_;
  QRadioButton* rates_[4];  // by forms::WaveQualityForm::Rate
  QLineEdit* userRate_;
};

}  // namespace dialogs
