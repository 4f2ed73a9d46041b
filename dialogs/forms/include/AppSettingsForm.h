// "Application Settings": the program's settings as the dialog holds them
// while it is open.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "AudioFolder.h"
#include "requests/SettingsRequests.h"

namespace forms {

class AppSettingsForm {
 public:
  static constexpr int kMinQuality = 1, kMaxQuality = 5;
  static constexpr int kMinBufferLevel = 1, kMaxBufferLevel = 8;
  static constexpr int kMaxExtendSeconds = 10;
  static constexpr int kMaxUndoLevels = 20;
  static constexpr std::array<const char*, 2> kTimeDisplays = {"Standard", "Tempo"};

  explicit AppSettingsForm(const AppSettingsRequest& request);

  const std::vector<std::string>& OutputDevices() const { return outputs_; }
  const std::string& AudioPath() const { return result_.audioPath; }
  int OutputSelection() const { return result_.outputDevice; }
  int TimeDisplaySelection() const { return result_.timeDisplay == 1 ? 0 : 1; }
  bool Snap() const { return result_.snapToGrid != 0; }
  bool Follow() const { return result_.followWaveform != 0; }
  bool EditorUsesProject() const { return result_.editorUsesProjectSettings != 0; }
  int Quality() const { return result_.qualityLevel; }
  std::string QualityText() const;  // "Level 3"
  int BufferLevel() const { return result_.bufferLevel; }
  std::string BufferText() const;   // the buffer's length in milliseconds
  int ExtendSeconds() const { return result_.extendPlaybackSeconds; }
  bool UnlimitedUndo() const { return result_.unlimitedUndo != 0; }
  int UndoLevels() const { return result_.undoLevels; }
  bool UndoSpinEnabled() const { return undoSpinEnabled_; }

  void OnTimeDisplay(int selection) { result_.timeDisplay = selection + 1; }
  void OnOutputDevice(int selection);
  void OnSnap(bool ticked) { result_.snapToGrid = ticked; }
  void OnFollow(bool ticked) { result_.followWaveform = ticked; }
  void OnEditorUsesProject(bool ticked) { result_.editorUsesProjectSettings = ticked; }
  void OnUnlimitedUndo(bool ticked);
  void OnQuality(int level);
  void OnBufferLevel(int level);
  void OnExtendSeconds(int seconds);
  void OnUndoLevels(int levels);
  // A folder chosen with "Browse...": taken only when it can be used.
  FolderCheck OnFolderChosen(const std::string& folder);

  const AppSettingsRequest::Result& Result() const { return result_; }

 private:
  std::vector<std::string> outputs_;
  AppSettingsRequest::Result result_;
  int32_t initialBufferFrames_ = 0;
  bool bufferMoved_ = false;
  bool undoSpinEnabled_ = false;
};

}  // namespace forms
