// "Project Settings": the project's tags, master levels, tempo, pitch and time
// signature over the form that holds them.
#pragma once

#include <optional>

#include "DialogKit.h"
#include "ProjectSettingsForm.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSlider;

namespace dialogs {

class CProjectPropertiesDialog final : public CFormDialog {
 public:
  static constexpr int kTemplateId = 257;
  enum Control {
    kTitle = 1163, kArtist = 1164, kAlbum = 1165, kYear = 1166, kGenre = 1172, kDescription = 1150,
    kLevelLeft = 1233, kLevelRight = 1234, kLevelLeftEdit = 1235, kLevelRightEdit = 1236,
    kLevelLeftUnit = 1237, kLevelRightUnit = 1238, kTempoSlider = 1227, kTempoEdit = 1228,
    kPitchSlider = 1239, kPitchEdit = 1240, kTimeSignature = 1230, kLock = 1231, kUnits = 1232,
    kPitchUnits = 1241,
  };

  explicit CProjectPropertiesDialog(const ProjectSettingsRequest& request, QWidget* parent = nullptr);
  // What OK hands back (the texts as the edits hold them).
  ProjectSettingsRequest::Result Result();

  static std::optional<ProjectSettingsRequest::Result> Ask(const ProjectSettingsRequest& request, QWidget* parent);

 protected:
  void Render() override;

 private:
  forms::ProjectSettingsForm form_;
  QLineEdit *title_, *artist_, *album_, *year_;
  QComboBox* genre_;
  QPlainTextEdit* description_;
  LevelPitchControls controls_;
  QSlider* tempoSlider_;
  QLineEdit* tempoEdit_;
  QComboBox* timeSignature_;
};

}  // namespace dialogs
