#include "AppSettingsForm.h"

#include <algorithm>

namespace forms {

AppSettingsForm::AppSettingsForm(const AppSettingsRequest& request)
    : outputs_(request.outputDevices), initialBufferFrames_(request.bufferFrames) {
  result_.audioPath = request.audioPath;
  result_.outputDevice = request.outputDevice;
  result_.timeDisplay = request.timeDisplay == 1 ? 1 : 2;
  result_.snapToGrid = request.snapToGrid != 0;
  result_.followWaveform = request.followWaveform != 0;
  result_.editorUsesProjectSettings = request.editorUsesProjectSettings != 0;
  result_.qualityLevel = std::clamp(request.qualityLevel, kMinQuality, kMaxQuality);
  result_.bufferLevel = std::clamp(request.bufferFrames / AppSettingsRequest::kBufferUnitFrames, kMinBufferLevel,
                                   kMaxBufferLevel);
  result_.extendPlaybackSeconds = std::clamp(request.extendPlaybackSeconds, 0, kMaxExtendSeconds);
  result_.unlimitedUndo = request.unlimitedUndo != 0;
  result_.undoLevels = std::clamp(request.undoLevels, 0, kMaxUndoLevels);
  undoSpinEnabled_ = result_.unlimitedUndo != 0;
}

std::string AppSettingsForm::QualityText() const { return "Level " + std::to_string(result_.qualityLevel); }

std::string AppSettingsForm::BufferText() const {
  // Until the slider moves, the length of the buffer the program has now.
  const int64_t frames = bufferMoved_ ? int64_t{result_.bufferLevel} * AppSettingsRequest::kBufferUnitFrames
                                      : int64_t{initialBufferFrames_};
  return std::to_string(frames * 1000 / 44100);
}

void AppSettingsForm::OnOutputDevice(int selection) {
  if (selection >= 0 && selection < static_cast<int>(outputs_.size())) result_.outputDevice = selection;
}

void AppSettingsForm::OnUnlimitedUndo(bool ticked) {
  result_.unlimitedUndo = ticked;
  if (ticked) undoSpinEnabled_ = true;  // unticking leaves it as it is
}

void AppSettingsForm::OnQuality(int level) { result_.qualityLevel = std::clamp(level, kMinQuality, kMaxQuality); }

void AppSettingsForm::OnBufferLevel(int level) {
  result_.bufferLevel = std::clamp(level, kMinBufferLevel, kMaxBufferLevel);
  bufferMoved_ = true;
}

void AppSettingsForm::OnExtendSeconds(int seconds) {
  result_.extendPlaybackSeconds = std::clamp(seconds, 0, kMaxExtendSeconds);
}

void AppSettingsForm::OnUndoLevels(int levels) { result_.undoLevels = std::clamp(levels, 0, kMaxUndoLevels); }

FolderCheck AppSettingsForm::OnFolderChosen(const std::string& folder) {
  const FolderCheck check = CheckAudioFolder(folder);
  if (check == FolderCheck::Accepted) result_.audioPath = folder;
  return check;
}

}  // namespace forms
