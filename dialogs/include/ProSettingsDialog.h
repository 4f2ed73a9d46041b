// "Application Settings": quality, playback buffer and extension, the time
// display, the output device, the audio folder and the three options.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "AppSettingsForm.h"
#include "DialogKit.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;

namespace dialogs {

// How "Browse..." asks: the audio folder's chooser, and a box with a stop or information icon.
struct FolderBrowsing {
  std::function<std::optional<std::string>(const std::string& initialFolder)> chooseFolder;
  std::function<void(const std::string& text, bool stop)> tell;
};

class CProSettingsDialog final : public CFormDialog {
 public:
  static constexpr int kTemplateId = 288;
  enum Control {
    kQuality = 1310, kQualityText = 1341, kEditorUsesProject = 1309, kSnap = 1021, kFollow = 1320,
    kTimeDisplay = 1313, kOutput = 1315, kBuffer = 1314, kBufferText = 1342, kExtend = 1322, kAudioPath = 1311,
    kBrowse = 1312, kUnlimitedUndo = 1332, kUndoLevels = 1324,
  };

  CProSettingsDialog(const AppSettingsRequest& request, FolderBrowsing browsing, QWidget* parent = nullptr);
  const AppSettingsRequest::Result& Result() const { return form_.Result(); }
  // "Browse...": until a usable folder is chosen or the chooser is cancelled.
  void Browse();

  static std::optional<AppSettingsRequest::Result> Ask(const AppSettingsRequest& request, FolderBrowsing browsing,
                                                       QWidget* parent);

 protected:
  void Render() override;

 private:
  forms::AppSettingsForm form_;
  FolderBrowsing browsing_;
  QSlider *quality_, *buffer_;
  QLabel *qualityText_, *bufferText_;
  QCheckBox *editorUsesProject_, *snap_, *follow_, *unlimitedUndo_;
  QComboBox *timeDisplay_, *output_;
  QSpinBox *extend_, *undoLevels_;
  QLineEdit* audioPath_;
};

}  // namespace dialogs
