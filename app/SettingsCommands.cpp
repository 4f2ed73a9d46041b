// The settings commands: Project Settings, Application Settings, Color
// Settings, Metronome Settings and a track's properties. Each asks its dialog and applies what the
// answer changed; nothing runs while audio plays.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "AudioFolder.h"
#include "Folders.h"
#include "Generic.h"
#include "ReportErrorDll.h"
#include "pro.h"
#include "requests/SettingsRequests.h"

namespace {

constexpr const char* kSource = "pro";
constexpr int kLineSettingsNoView = 4682;
constexpr int kLineProjectSettingsNoView = 16503;
constexpr int kLineColorSettingsNoView = 19774;
constexpr int kLineTrackPropertiesNoView = 1875;
constexpr const char* kTrackPropertiesSource = "AudioTrackPropertiesDialog";
constexpr int kLineNoTrack = 100;

constexpr const char* kOutputKeptText =
    "The chosen output device could not be opened with these settings.  The previous output is kept.";
constexpr uint32_t kFramesPerSecond = 44100;
constexpr uint32_t kChainInputSpare = 16384;
constexpr float kMaxPitch = 12.0f;

// The metronome's pattern for a time signature: accent every 4th beat, every 3rd, none.
int32_t PatternOf(int32_t timeSignature) { return timeSignature == 0 ? 1 : (timeSignature == 1 ? 2 : 0); }

// The colours shown everywhere at once, and kept for the next run.
void ApplyColorSettings(CProApp& app, const ColorSettingsRequest::Result& colors) {
  for (int t = 0; t < ColorSettingsRequest::kTracks; ++t) {
    app.project.SetTrackColors(t, colors.trackColors[t]);
    app.config.colorSets[t] = colors.trackColors[t];
  }
  for (int n = 0; n < ColorSettingsRequest::kLoops; ++n) {
    app.config.colorSets[ProConfig::kFirstLoopColorSet + n] = colors.loopColors[n];
    std::shared_ptr<CAudioLoop> loop;
    if (app.loopBank.FindLoop(n, &loop) == 1) app.loopBank.SetLoopColors(n, colors.loopColors[n]);
  }
  app.config.colorSets[ProConfig::kIndependentColorSet] = colors.editorColors;
  // The live flag and the stored one are the same choice.
  app.useTrackColors = app.config.useTrackColors = colors.useTrackColors != 0;
  app.ApplyEditorColorSet();
  app.services.view.RefreshCurrentView();
}

}  // namespace

int CProApp::OnProjectSettings() {
  if (RefuseDuringPlayback()) return status::kFaultReported;
  ProjectSettingsRequest request;
  request.title = projectTags.title;
  request.artist = projectTags.artist;
  request.album = projectTags.album;
  request.year = projectTags.year;
  request.description = projectTags.description;
  request.genre = projectTags.genre;
  request.masterGainLeft = project.masterLeftGain;
  request.masterGainRight = project.masterRightGain;
  request.pitch = project.globalPitch;
  request.tempo = project.tempo;
  request.timeSignature = project.beatsPerBarChoice;
  request.lock = projectSettingsChoices.lock;
  request.units = projectSettingsChoices.units;
  request.pitchUnits = projectSettingsChoices.pitchUnits;
  const std::optional<ProjectSettingsRequest::Result> answer = services.ui.Request(request);
  if (!answer) return status::kCancelled;
  projectSettingsChoices = {answer->lock, answer->units, answer->pitchUnits};

  bool changed = false;
  if (std::isfinite(answer->masterGainLeft) && answer->masterGainLeft != project.masterLeftGain) {
    project.masterLeftGain = answer->masterGainLeft;
    changed = true;
  }
  if (std::isfinite(answer->masterGainRight) && answer->masterGainRight != project.masterRightGain) {
    project.masterRightGain = answer->masterGainRight;
    changed = true;
  }
  if (std::isfinite(answer->pitch) && answer->pitch != project.globalPitch) {
    project.globalPitch = std::clamp(answer->pitch, -kMaxPitch, kMaxPitch);
    services.view.SetPitchText(project.globalPitch);
    changed = true;
  }
  if (std::isfinite(answer->tempo) && answer->tempo != project.tempo) {
    // Through the tempo's own road, which keeps the project within 90 minutes.
    const float before = project.tempo;
    SetProjectTempo(answer->tempo);
    services.view.SetEditorProjectTempo(project.tempo);
    changed = changed || project.tempo != before;
  }
  const int32_t timeSignature = answer->timeSignature == 0 || answer->timeSignature == 1 ? answer->timeSignature : 2;
  if (timeSignature != project.beatsPerBarChoice) {
    project.beatsPerBarChoice = timeSignature;
    metronome.parameters.pattern = PatternOf(timeSignature);
    changed = true;
  }
  ProjectTags tags = projectTags;
  tags.title = answer->title;
  tags.artist = answer->artist;
  tags.album = answer->album;
  tags.year = answer->year;
  tags.description = answer->description;
  if (answer->genre >= 0 && answer->genre < ProjectSettingsRequest::kGenres) tags.genre = static_cast<uint8_t>(answer->genre);
  if (!(tags == projectTags)) {
    projectTags = tags;
    changed = true;
  }
  if (changed) modified = 1;
  if (!services.view.HasView()) {
    ReportError(kSource, kLineProjectSettingsNoView, "");
    return status::kFaultReported;
  }
  services.view.Relayout();
  services.view.RefreshTrackView();
  if (services.view.IsToolWindowShown(ui::ToolWindow::Levels)) services.view.RefreshToolWindow(ui::ToolWindow::Levels);
  return status::kDone;
}

int CProApp::OnApplicationSettings() {
  if (RefuseDuringPlayback()) return status::kFaultReported;
  AppSettingsRequest request;
  request.audioPath = audioFolder;
  const PobixDevice* outputs = devices.GetOutputDevices();
  for (int i = 0; i < devices.GetOutputDeviceCount(); ++i) {
    request.outputDevices.emplace_back(outputs[i].name, strnlen(outputs[i].name, sizeof(PobixDevice::name)));
  }
  request.outputDevice = outputDevice;
  request.timeDisplay = project.timeDisplay == TimeDisplayStandard ? 1 : 2;
  request.snapToGrid = config.snapToGrid;
  request.followWaveform = followWaveform;
  request.editorUsesProjectSettings = editorUsesProjectSettings;
  request.qualityLevel = qualityLevel;
  request.bufferFrames = bufferFrames;
  request.extendPlaybackSeconds = static_cast<int32_t>(project.tailSeconds);
  request.unlimitedUndo = unlimitedUndo;
  request.undoLevels = undoLevels;
  const std::optional<AppSettingsRequest::Result> answer = services.ui.Request(request);
  if (!answer) return status::kCancelled;

  ApplyQualityPreset(answer->qualityLevel);
  config.qualityLevel = qualityLevel;
  editorUsesProjectSettings = config.editorUsesProjectSettings = answer->editorUsesProjectSettings != 0;
  followWaveform = config.followWaveform = answer->followWaveform != 0;
  project.timeDisplay = config.timeDisplay = answer->timeDisplay == 1 ? TimeDisplayStandard : TimeDisplayTempo;
  unlimitedUndo = answer->unlimitedUndo != 0;
  undoLevels = std::clamp(answer->undoLevels, 0, 20);
  if (!services.view.HasView()) {
    ReportError(kSource, kLineSettingsNoView, "");
    return status::kFaultReported;
  }
  if (services.view.GetViewMode() == ViewModeTrack) {
    ShowPosition(playCursor);
    ShowLength(project.projectEnd);
  }
  const int32_t seconds = std::clamp(answer->extendPlaybackSeconds, 0, 10);
  project.SetTailSeconds(static_cast<uint32_t>(seconds));
  config.extendPlaybackFrames = seconds * static_cast<int32_t>(kFramesPerSecond);
  config.snapToGrid = answer->snapToGrid != 0;
  services.view.SetSnapToGrid(config.snapToGrid);

  ApplyOutputSettings(answer->outputDevice, std::clamp(answer->bufferLevel, 1, 8) * AppSettingsRequest::kBufferUnitFrames);

  const bool folderKept = answer->audioPath.empty() || answer->audioPath == audioFolder;
  const FolderCheck folderCheck = folderKept ? FolderCheck::Accepted : CheckAudioFolder(answer->audioPath);
  if (folderCheck != FolderCheck::Accepted) {
    // The dialog takes only a usable folder; whatever else comes is refused here, the old one kept.
    services.ui.MessageBox(FolderRefusalText(answer->audioPath, folderCheck), ui::Icon::Error);
  } else if (!folderKept && config.SetAudioFolder(answer->audioPath)) {
    // The program's subfolders go under it.
    audioFolder = answer->audioPath;
    tempFolder = audioFolder + "/qvk_temp";
    dataFolder = audioFolder + "/qvk_data";
    platform::CreateFolder(tempFolder);
    platform::CreateFolder(dataFolder);
  }
  services.view.RefreshAllViews();
  if (services.view.IsToolWindowShown(ui::ToolWindow::EditorTool)) services.view.RefreshToolWindow(ui::ToolWindow::EditorTool);
  recordingWindow.logging = config.internalLogging;
  devices.SetInternalLogging(config.internalLogging);
  return status::kDone;
}

void CProApp::ApplyOutputSettings(int32_t device, int32_t frames) {
  const bool deviceChanged = device != outputDevice &&
                             device >= 0 && device < devices.GetOutputDeviceCount();
  const bool framesChanged = frames != bufferFrames;
  if (!deviceChanged && !framesChanged) return;
  const int32_t oldDevice = outputDevice, oldFrames = bufferFrames;
  if (deviceChanged) outputDevice = device;
  if (framesChanged) SetBufferFrames(frames);
  if (InitOutput() == status::kFaultReported) {
    // The previous output worked: it stays, and the settings with it.
    outputDevice = oldDevice;
    SetBufferFrames(oldFrames);
    InitOutput();
    services.ui.MessageBox(kOutputKeptText, ui::Icon::Error);
    return;
  }
  config.outputDevice = outputDevice;
  config.bufferFrames = bufferFrames;
}

void CProApp::SetBufferFrames(int32_t frames) {
  bufferFrames = frames;
  const auto output = static_cast<uint32_t>(frames);
  {
    std::lock_guard<platform::CCriticalSection> hold(project.GetLock());
    for (auto& chain : effectChains) {
      if (!chain) continue;
      chain->UpdateBufferSizes(output, output + kChainInputSpare);
      chain->SetSizeOutputBufferSample(output);
    }
  }
  metronome.SetSizeMixBuffer(output * 4);
}

int CProApp::OnColorSettings() {
  if (RefuseDuringPlayback()) return status::kFaultReported;
  ColorSettingsRequest request;
  for (int t = 0; t < ColorSettingsRequest::kTracks; ++t) project.GetTrackColors(t, &request.trackColors[t]);
  for (int n = 0; n < ColorSettingsRequest::kLoops; ++n) {
    request.loopColors[n] = config.colorSets[ProConfig::kFirstLoopColorSet + n];
  }
  request.editorColors = config.colorSets[ProConfig::kIndependentColorSet];
  request.useTrackColors = config.useTrackColors;
  if (!services.view.HasView()) {
    ReportError(kSource, kLineColorSettingsNoView, "");
    return status::kFaultReported;
  }
  const ColorSettingsRequest::Result before{request.trackColors, request.loopColors, request.editorColors,
                                            request.useTrackColors};
  request.apply = [this](const ColorSettingsRequest::Result& colors) { ApplyColorSettings(*this, colors); };
  const std::optional<ColorSettingsRequest::Result> answer = services.ui.Request(request);
  // Cancel takes back what the dialog showed while it was open.
  ApplyColorSettings(*this, answer ? *answer : before);
  return answer ? status::kDone : status::kCancelled;
}


int CProApp::OnMetronomeSettings() {
  if (RefuseDuringPlayback()) return status::kFaultReported;
  MetronomeSettingsRequest request;
  request.on = metronome.parameters.on;
  request.pattern = metronome.parameters.pattern;
  request.clickOnly = metronome.parameters.clickOnly;
  request.accent = metronome.parameters.accent;
  request.bpm = metronome.parameters.bpm;
  request.level = metronome.parameters.level;
  const std::optional<MetronomeSettingsRequest::Result> answer = services.ui.Request(request);
  if (!answer) return status::kCancelled;
  Vorn_Parameters parameters = metronome.parameters;
  parameters.on = answer->on != 0;
  parameters.clickOnly = answer->clickOnly != 0;
  parameters.accent = answer->accent != 0;
  parameters.level = std::clamp(answer->level, 0, CVorn::kLevels - 1);
  metronome.SetParameters(&parameters);
  config.metronomeOn = parameters.on;
  config.metronomeClickOnly = parameters.clickOnly;
  config.metronomeAccent = parameters.accent;
  config.metronomeVolume = parameters.level;
  return status::kDone;
}

int CProApp::OnTrackProperties(int trackIndex) {
  if (RefuseDuringPlayback()) return status::kFaultReported;
  CAudioTrack* track = nullptr;
  if (project.FindTrack(trackIndex, &track) != 1 || !track) {
    ReportError(kTrackPropertiesSource, kLineNoTrack, "");
    return status::kFaultReported;
  }
  TrackPropertiesRequest request;
  request.trackIndex = trackIndex;
  const PobixDevice* inputs = devices.GetInputDevices();
  for (int i = 0; i < devices.GetInputDeviceCount(); ++i) {
    request.inputDevices.emplace_back(inputs[i].name, strnlen(inputs[i].name, sizeof(PobixDevice::name)));
  }
  request.input = track->inputIndex;
  request.recordChannels = track->recordingChannels;
  request.trackType = track->GetType();
  request.holdsSnippets = track->Snippets().GetCount() > 0;
  request.description = track->description;
  request.gainLeft = track->leftGain;
  request.gainRight = track->rightGain;
  request.pitch = track->Snippets().trackPitch;
  request.lock = trackPropertiesChoices.lock;
  request.units = trackPropertiesChoices.units;
  request.pitchUnits = trackPropertiesChoices.pitchUnits;
  // These two apply at once, whatever the dialog's end.
  request.setInput = [track](int32_t input) { track->inputIndex = input; };
  request.setRecordChannels = [track](int32_t channels) {
    track->recordingChannels = static_cast<int16_t>(channels == 1 ? 1 : 2);
  };
  request.convertToExtended = [this, trackIndex, track] {
    ConvertToExtendedAudioTrack(trackIndex);
    return track->GetType();
  };
  const std::optional<TrackPropertiesRequest::Result> answer = services.ui.Request(request);
  if (!answer) return status::kCancelled;
  trackPropertiesChoices = {answer->lock, answer->units, answer->pitchUnits};

  // What changed makes the project modified, so that closing asks before it is lost.
  bool changed = false;
  const float left = std::isfinite(answer->gainLeft) ? answer->gainLeft : track->leftGain.load();
  const float right = std::isfinite(answer->gainRight) ? answer->gainRight : track->rightGain.load();
  if (left != track->leftGain || right != track->rightGain) {
    project.SetTrackGains(trackIndex, left, right);
    changed = true;
  }
  if (std::isfinite(answer->pitch) && answer->pitch != track->Snippets().trackPitch) {
    track->Snippets().trackPitch = std::clamp(answer->pitch, -kMaxPitch, kMaxPitch);
    changed = true;
  }
  // A track that holds snippets keeps its type (the dialog refuses the change too).
  const int32_t type = answer->trackType == 1 ? 1 : 0;
  if (type != track->GetType() && track->Snippets().GetCount() == 0) {
    track->SetType(type);
    changed = true;
  }
  const std::string description = answer->description.substr(0, CAudioTrack::kMaxDescription - 1);
  if (description != track->description) {
    track->description = description;
    changed = true;
  }
  if (changed) modified = 1;
  if (!services.view.HasView()) {
    ReportError(kSource, kLineTrackPropertiesNoView, "");
    return status::kFaultReported;
  }
  services.view.RefreshTrackView();
  if (services.view.IsToolWindowShown(ui::ToolWindow::Levels)) services.view.RefreshToolWindow(ui::ToolWindow::Levels);
  return status::kDone;
}
