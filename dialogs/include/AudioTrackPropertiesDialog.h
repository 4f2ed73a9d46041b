// "Audio Track Properties": a track's description, type, volumes, pitch,
// recording input and channels.
#pragma once

#include <functional>
#include <optional>

#include "DialogKit.h"
#include "TrackPropertiesForm.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;

namespace dialogs {

class CAudioTrackPropertiesDialog final : public CFormDialog {
 public:
  static constexpr int kTemplateId = 190;
  enum Control {
    kDescription = 1210, kLoopBased = 1211, kExtended = 1212, kLeft = 1213, kLeftEdit = 1214, kRight = 1215,
    kRightEdit = 1216, kLeftUnit = 1217, kRightUnit = 1218, kPitch = 1219, kPitchEdit = 1220, kLock = 1222,
    kUnits = 1223, kPitchUnits = 1224, kInput = 1097, kMono = 1022, kStereo = 1023, kConvert = 1242,
  };

  // tell shows the type guard's refusals (information icon).
  CAudioTrackPropertiesDialog(const TrackPropertiesRequest& request, std::function<void(const std::string&)> tell,
                         QWidget* parent = nullptr);
  TrackPropertiesRequest::Result Result();
  static std::optional<TrackPropertiesRequest::Result> Ask(const TrackPropertiesRequest& request,
                                                           std::function<void(const std::string&)> tell,
                                                           QWidget* parent);

 protected:
  void Render() override;

 private:
  forms::TrackPropertiesForm form_;
  TrackPropertiesRequest request_;
  std::function<void(const std::string&)> tell_;
  QLineEdit* description_;
  QRadioButton *loopBased_, *extended_, *mono_, *stereo_;
  LevelPitchControls controls_;
  QComboBox* input_;
  QPushButton* convert_;
};

}  // namespace dialogs
