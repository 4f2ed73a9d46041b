// The transport of the project: play, record and stop, rewind and
// fast-forward, the play timer and the positions shown, tempo and pitch, and
// what the device threads post back.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <thread>

#include "AudioPlayer.h"
#include "AudioSnippetExtended.h"
#include "DeviceCallbacks.h"
#include "File.h"
#include "Generic.h"
#include "Messages.h"
#include "ReportSink.h"
#include "pro.h"
#include "requests/TransportRequests.h"

namespace {
constexpr const char* kSource = "pro";
constexpr int kLinePlayNoView = 3261;
constexpr int kLinePlayNoFrame = 3266;
constexpr int kLineRecordNoView = 3491;
constexpr int kLineStopNoView = 3360;
constexpr int kLineStopNoFrame = 3367;
constexpr int kLineRewindNoView = 3643;
constexpr int kLineFastForwardNoView = 3665;
constexpr int kLinesRecordSegment[CProApp::kRecordSlots] = {11486, 11497, 11508, 11519};
constexpr int kLineFinishNoView = 11572;
constexpr int kLineFinishNoList = 11579;
constexpr int kLineFinishNoTrack = 11598;
constexpr int kLineFinishNoSnippet = 11618;
constexpr int kLineFinishNoOperation = 11718;
constexpr int kLineTimerNoView = 16526;
constexpr int kLineTimerNoFrame = 16531;
constexpr int kLineTempoNoView = 16617;
constexpr int kLinePitchNoView = 16674;
constexpr int kLinePositionNoFrame = 16705;
constexpr int kLineShowPositionNoFrame = 16919;
constexpr int kLineShowLengthNoFrame = 16941;
constexpr int kLinePlayerDidNotStop = __LINE__;
constexpr int kLineTakeNotSynced = __LINE__;

constexpr const char* kDuringPlaybackText = "Sorry, cannot perform this operation during playback.";
constexpr const char* kNoProjectAudioText = "No audio currently exists in this project.";
constexpr const char* kAtProjectEndText =
    "Project position is currently at the end of the project.\nPress \"Rewind\" to reset to the beginning.";
constexpr const char* kViewTooCloseText =
    "Current view of audio data is too close up to playback audio with a scrolling track view.  Please either "
    "\"zoom out\" to greater than two seconds or turn off the \"Follow waveform with tracking bar...\" setting in "
    "\"Application Settings\".";
constexpr const char* kTempoTooLowText =
    "Cannot lower tempo.  Doing so would exceed maximum project length of 90 minutes.";
constexpr const char* kNoOutputText = "No audio output device is open to play through.";

constexpr int kSliderRange = 1000;
// How long a stop waits for the player thread to act on it.
constexpr auto kPlayerStopWait = std::chrono::seconds(5);

std::string TimeText(const CAudioTrackList& project, uint32_t frames) {
  char text[64];
  if (project.timeDisplay == TimeDisplayTempo) {
    FormatSamplesAsTempoTime(frames, 44100, project.tempo, project.beatsPerBarChoice, text);
  } else {
    FormatSamplesAsTime(frames, 44100, text);
  }
  return text;
}

void CloseAndRelease(std::shared_ptr<CAudioSegment>& segment) {
  if (!segment) return;
  segment->Close();
  segment.reset();
}

}  // namespace

// ---- Shared by every start and stop -----------------------------------------

bool CProApp::RefuseDuringPlayback() {
  if (playing.load() != 1) return false;
  services.ui.Inform(kDuringPlaybackText);
  return true;
}

void CProApp::StopDevice() {
  const uint32_t type = devices.GetLastStartType();
  devices.Stop();
  // A stop of playback only asks the player thread; until it has acted on it
  // a fill or an end of audio of this run may still come.
  if ((type == kPobixPlay || type == kPobixPlayAndRecord) && devices.player) {
    const auto until = std::chrono::steady_clock::now() + kPlayerStopWait;
    while (devices.player->State() != CAudioPlayer::kStopped) {
      if (std::chrono::steady_clock::now() > until) {
        ReportError(kSource, kLinePlayerDidNotStop, "The audio output did not stop.");
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  runKind_ = RunKind::None;
  ++run_;
}

void CProApp::EndMonitoringForRun() {
  if (services.view.IsLevelWindowMonitoring()) services.view.StopLevelMonitor();
  if (IsMonitoring()) StopInputMonitoring();
}

void CProApp::ResetEffectChains() {
  for (auto& chain : effectChains) {
    if (chain) chain->Reset();
  }
}

void CProApp::StartPlayTimer() {
  services.thread.SetTimer(kPlayTimerId, kPlayTimerMs);
  playTimerId = kPlayTimerId;
}

int CProApp::ClampSnippetRatios() {
  int changed = 0;
  for (int i = 0; i < CAudioTrackList::kProjectTracks; ++i) {
    CAudioTrack* track = nullptr;
    if (project.FindTrack(i, &track) != 1 || !track) continue;
    CAudioSnippetList& snippets = track->Snippets();
    snippets.ResetIterator();
    snippets.SetWindow(0, 0xFFFFFFFF);
    CAudioSnippet* snippet = nullptr;
    while (snippets.GetNextSnippet(&snippet) == 1 && snippet) {
      const float ratio = snippet->ratio;
      // 0 is left alone: it is reported where it would divide.
      if (ratio == 0.0f) continue;
      const float sound = std::isfinite(ratio) && ratio > 0.0f
                              ? std::clamp(ratio, kMinSnippetRatio, kMaxSnippetRatio)
                              : 1.0f;
      if (sound != ratio) {
        snippet->ratio = sound;
        ++changed;
      }
    }
  }
  return changed;
}

void CProApp::NoteInputFault(uint32_t slot, int line) {
  if (slot >= inputFaults_.size() || inputFaults_[slot].exchange(1) != 0) return;
  if (line != 0) services.thread.Post(msg::kInputFault, run_.load(), static_cast<int64_t>(line) * 16 + slot);
}

bool CProApp::IsInputFaulted(uint32_t slot) const {
  return slot < inputFaults_.size() && inputFaults_[slot].load() != 0;
}

void CProApp::ClearInputFaults() {
  for (auto& fault : inputFaults_) fault = 0;
  recordingHalted_ = 0;
}

void CProApp::HaltRecording(int cause) {
  if (recordingHalted_.exchange(1) != 0) return;
  services.thread.Post(msg::kRecordingWriteFailed, run_.load(), cause);
}

void CProApp::OnRecordingWriteFailed(int cause) {
  if (recording.load() != 1) return;
  // Nothing more reaches the takes: what they hold now is what they keep. They
  // stopped together, but the take that failed may hold a buffer more or less.
  uint64_t fewest = UINT64_MAX, most = 0;
  for (int slot = 1; slot <= kRecordSlots; ++slot) {
    if (!recordSegments[slot - 1]) continue;
    const uint64_t frames = devices.GetOutputBytesWritten(static_cast<uint32_t>(slot)) /
                            (recordSegments[slot - 1]->GetChannels() * 2u);
    fewest = std::min(fewest, frames);
    most = std::max(most, frames);
  }
  if (recordSegmentWindow.open) {
    FinishEditorRecording();
  } else {
    EndRecordingWindow(true);
    OnStopProject();
  }
  if (most == 0) fewest = 0;
  const bool full = cause == ENOSPC || cause == EDQUOT;
  const std::string why = full ? "the disk that holds " + tempFolder + " is full"
                               : "the audio could not be written to " + tempFolder;
  char kept[96];
  const double from = static_cast<double>(fewest) / 44100.0, to = static_cast<double>(most) / 44100.0;
  if (std::lround(from * 10) == std::lround(to * 10)) {
    std::snprintf(kept, sizeof kept, "%.1f seconds", to);
  } else {
    std::snprintf(kept, sizeof kept, "%.1f to %.1f seconds", from, to);
  }
  services.ui.Inform("Recording stopped: " + why + " (" + std::strerror(cause) +
                     ").\n\nWhat was recorded up to then is kept: " + kept + ".");
}

void CProApp::ShowDropoutNotice() { services.ui.Request(DropoutNoticeRequest{}); }

bool CProApp::OnTransportMessage(uint32_t message, int64_t wParam, int64_t lParam) {
  const bool current = static_cast<uint32_t>(wParam) == run_.load();
  switch (message) {
    case msg::kProjectEndOfAudio:
      if (current) OnStopProject();
      return true;
    case msg::kEditorEndOfAudio:
      if (current) OnStopPlayback();
      return true;
    case msg::kPreviewEndOfAudio:
      if (current && mixing.load() == 1) StopLoopPreview();
      return true;
    case msg::kRecorderEndOfAudio:
      if (!current) return true;
      // A recorder that gives up keeps what it took, whichever recording it was.
      if (recordSegmentWindow.open && recording.load() == 1) {
        FinishEditorRecording();
      } else {
        OnRecorderEnd();
      }
      return true;
    case msg::kInputFault:
      if (current) ReportError(kSource, static_cast<int>(lParam / 16), "");
      return true;
    case msg::kRecordingWriteFailed:
      if (current) OnRecordingWriteFailed(static_cast<int>(lParam));
      return true;
    case msg::kShowPostedReports:
      DrainThreadReports();
      return true;
    case msg::kDropoutNotice:
    case msg::kDropoutNoticeAlso:
      // Shown even for a run already stopped: the audio it lost is gone all the same.
      ShowDropoutNotice();
      return true;
    case msg::kEditorPlay:
    case msg::kEditorPlayAlso:
      OnEditorPlay();
      return true;
    case msg::kEditorStop:
      OnStopPlayback();
      return true;
    case msg::kStartEditorRecording:
      StartEditorRecording(static_cast<int32_t>(wParam), static_cast<int16_t>(lParam));
      return true;
    case msg::kFinishEditorRecording:
      FinishEditorRecording();
      return true;
    case msg::kCancelEditorRecording:
      CancelEditorRecording();
      return true;
    case msg::kPlayLoopPreview:
      PlayLoopPreview();
      return true;
    case msg::kStopLoopPreview:
      StopLoopPreview();
      return true;
    default:
      return false;
  }
}

// ---- Project play, record and stop ---------------------------------------------

void CProApp::BeginProjectRun(bool record) {
  EndMonitoringForRun();
  playing = 1;
  if (record) recording = 1;
  services.view.LockInput(1);
  savedViewStart = project.viewStart;
  savedViewEnd = project.viewEnd;
  savedViewWidth = project.viewWidth;
  project.playing = 1;
  services.view.EnablePositionSlider(false);
  if (services.view.IsLevelWindowShown()) services.view.RunLevelMeters();
  mixPosition = playCursor;
  UpdateLevelEffectsPosition(playCursor, project.tempo);
  ClampSnippetRatios();
  // Every processor a snippet may need is made here, so the mix never makes one.
  project.PreparePlayback();
}

void CProApp::OnPlayProject() {
  if (!services.view.HasView()) {
    ReportError(kSource, kLinePlayNoView, "");
    return;
  }
  if (!services.view.HasFrame()) {
    ReportError(kSource, kLinePlayNoFrame, "");
    return;
  }
  if (RefuseDuringPlayback()) return;
  if (project.projectEnd == 0) {
    services.ui.Inform(kNoProjectAudioText);
    return;
  }
  if (playCursor >= project.projectEnd) {
    services.ui.Inform(kAtProjectEndText);
    return;
  }
  if (followWaveform && project.viewWidth < kFollowMinViewFrames) {
    services.ui.Inform(kViewTooCloseText);
    return;
  }
  if (!outputOpen) {
    services.ui.Inform(kNoOutputText);
    return;
  }
  BeginProjectRun(false);
  mixing = 1;
  StartPlayTimer();
  devices.UpdateEndOfAudioCallback(&ProjectEndOfAudioCallback);
  devices.UpdateOutputStereoCallback(&ProjectOutputCallback);
  ResetEffectChains();
  runKind_ = RunKind::Project;
  devices.Start(kPobixPlay);
}

void CProApp::OnRecordProject() {
  if (RefuseDuringPlayback()) return;
  if (!services.view.HasView()) {
    ReportError(kSource, kLineRecordNoView, "");
    return;
  }
  if (project.CountArmedTracks() == 0) {
    services.ui.Request(ArmButtonRequest{});
    return;
  }
  if (!outputOpen) {
    services.ui.Inform(kNoOutputText);
    return;
  }
  BeginProjectRun(true);
  if (PrepareRecording() != status::kNothingDone) {
    // Without its segments the take has nowhere to go: nothing starts.
    DiscardRecording();
    playing = 0;
    recording = 0;
    project.playing = 0;
    services.view.EnablePositionSlider(true);
    services.view.LockInput(0);
    return;
  }
  mixing = 1;
  StartPlayTimer();
  recordingWindow.stopRequested = 0;
  recordingWindow.cancelRequested = 0;
  recordingWindow.active = 1;
  services.view.ShowRecordingWindow();
  devices.UpdateEndOfAudioCallback(&ProjectEndOfAudioCallback);
  devices.UpdateOutputStereoCallback(&ProjectOutputCallback);
  devices.UpdateRecorderEndOfAudioCallback(&RecorderEndOfAudioCallback);
  devices.UpdateRecorderDropoutMessageCallback(&DropoutCallback);
  ResetEffectChains();
  runKind_ = RunKind::Project;
  devices.Start(kPobixPlayAndRecord);
}

int CProApp::PrepareRecording() {
  for (auto& segment : recordSegments) CloseAndRelease(segment);
  // Inputs left from monitoring would hold places of the recorders' four.
  devices.RemoveAllInputs();
  ClearInputFaults();
  int slot = 1;
  for (int i = 0; i < CAudioTrackList::kProjectTracks && slot <= kRecordSlots; ++i) {
    CAudioTrack* track = nullptr;
    if (project.FindTrack(i, &track) != 1 || !track || !track->armed) continue;
    if (track->GetType() == CAudioTrack::kTypeLoopBased) continue;
    const uint16_t channels = track->recordingChannels == 1 ? 1 : 2;
    PobixInit init{};
    init.inputIndex = track->inputIndex;
    init.bitsPerSample = 16;
    init.samplesPerSecond = 44100;
    init.stereo = channels == 2 ? 1 : 0;
    init.recordSlot = slot;
    init.callback = &InputCallback;
    devices.AddInput(&init);
    devices.SetInputBufferInfo(static_cast<int16_t>(track->inputIndex), 2, static_cast<uint32_t>(bufferFrames) * 4);
    auto segment = NewAudioSegment();
    AudioQuality format;
    format.samplesPerSecond = 44100;
    format.channels = channels;
    format.bitsPerSample = 16;
    segment->SetFormat(format);
    // A write that fails stops the recording with a message of its own.
    segment->SetQuietWrites(true);
    if (segment->Open(1) != 1) {
      ReportError(kSource, kLinesRecordSegment[slot - 1], "");
      return status::kFaultReported;
    }
    recordSegments[slot - 1] = std::move(segment);
    track->recordingSlot = slot;
    ++slot;
  }
  return status::kNothingDone;
}

void CProApp::OnStopProject() {
  if (stopGuard.exchange(1) != 0) return;
  // The editor's and the preview's playback have stops of their own.
  if (mixing.load() == 1 && runKind_ == RunKind::Project) {
    if (!services.view.HasView()) ReportError(kSource, kLineStopNoView, "");
    if (!services.view.HasFrame()) ReportError(kSource, kLineStopNoFrame, "");
    mixing = 0;
    project.playing = 0;
    if (services.view.IsLevelWindowShown()) services.view.StopLevelMeters();
    services.thread.KillTimer(kPlayTimerId);
    playTimerId = 0;
    StopDevice();
    if (devices.GetLastStartType() == kPobixPlayAndRecord) {
      // Only the window's Cancel throws a take away: its Stop, a recorder or
      // playback that gave up, and Stop by key all keep what was recorded.
      const bool keep = recordingWindow.cancelRequested == 0;
      EndRecordingWindow(keep);
      if (keep) {
        FinishProjectRecording();
      } else {
        DiscardRecording();
      }
      metronome.ResetMetronome();
    }
    ResetEffectChains();
    project.ResetPlayback();
    services.view.EnablePositionSlider(true);
    playing = 0;
    recording = 0;
    services.view.LockInput(0);
    RestoreViewAfterPlay();
  }
  stopGuard = 0;
}

int CProApp::FinishProjectRecording() {
  if (!services.view.HasView()) {
    ReportError(kSource, kLineFinishNoView, "");
    DiscardRecording();
    return status::kFaultReported;
  }
  auto takes = std::make_unique<CAudioTrackList>(CAudioSnippetList::kModeSnapshot);
  if (!takes) {
    ReportError(kSource, kLineFinishNoList, "");
    return status::kFaultReported;
  }
  int added = 0;
  for (int i = 0; i < CAudioTrackList::kProjectTracks; ++i) {
    CAudioTrack* track = nullptr;
    if (project.FindTrack(i, &track) != 1 || !track || !track->armed) continue;
    const int32_t slot = track->recordingSlot;
    if (slot < 1 || slot > kRecordSlots || !recordSegments[slot - 1]) continue;
    std::shared_ptr<CAudioSegment> segment = recordSegments[slot - 1];
    const uint32_t bytes = devices.GetOutputBytesWritten(static_cast<uint32_t>(slot));
    if (bytes == 0) continue;
    CloseTake(*segment);
    segment->SetLengthFromBytes(bytes);
    if (segment->length == 0) continue;
    if (segment->GetPeakFile().KnownSize() > 0) segment->GetPeakFile().Open(0);
    segment->viewStart = 0;
    segment->viewEnd = segment->length;
    segment->viewWidth = segment->length;
    segment->tempo = project.tempo;
    auto take = std::make_unique<CAudioTrack>(CAudioSnippetList::kModeSnapshot);
    if (!take) {
      ReportError(kSource, kLineFinishNoTrack, "");
      continue;
    }
    take->index = track->index;
    auto snippet = std::make_shared<CAudioSnippetExtended>(segment);
    if (!snippet) {
      ReportError(kSource, kLineFinishNoSnippet, "");
      continue;
    }
    snippet->start = playCursor;
    snippet->end = playCursor + segment->length;
    snippet->length = segment->length;
    snippet->tempo = project.tempo;
    snippet->SetTempo(project.tempo);
    take->AddSnippet(snippet);
    takes->AddTrack(std::move(take));
    ++added;
  }
  for (auto& segment : recordSegments) CloseAndRelease(segment);
  devices.RemoveAllInputs();
  if (added == 0) return status::kNothingDone;

  auto record = std::make_unique<COperation>(OperationInsertSnippets);
  if (!record) {
    ReportError(kSource, kLineFinishNoOperation, "");
    return status::kFaultReported;
  }
  project.MergeFrom(takes.get());
  record->listB = std::move(takes);
  undoList.Add(std::move(record));
  modified = 1;
  project.RecomputeProjectEnd();
  ShowLength(project.projectEnd);
  services.view.RefreshTrackView();
  return status::kDone;
}

void CProApp::DiscardRecording() {
  for (auto& segment : recordSegments) CloseAndRelease(segment);
  devices.RemoveAllInputs();
}

void CProApp::CloseTake(CAudioSegment& segment) {
  segment.Close();
  platform::CFile file;
  const bool synced = file.Open(segment.GetPcmFileName(), platform::CFile::Mode::Read) && file.Flush();
  file.Close();
  // The take stays: what did not reach the disk yet is still in the page cache.
  if (!synced) ReportError(kSource, kLineTakeNotSynced, "The recording could not be written to the disk.");
}

bool CProApp::EndRecordingWindow(bool keep) {
  if (!recordingWindow.active) return false;
  recordingWindow.active = 0;
  recordingWindow.stopRequested = keep ? 1 : 0;
  recordingWindow.cancelRequested = keep ? 0 : 1;
  services.view.CloseRecordingWindow();
  return true;
}

void CProApp::OnRecorderEnd() {
  EndRecordingWindow(true);
  OnStopProject();
}

void CProApp::OnRecordingWindowStop() {
  if (EndRecordingWindow(true)) OnStopProject();
}

void CProApp::OnRecordingWindowCancel() {
  if (EndRecordingWindow(false)) OnStopProject();
}

void CProApp::OnRewindProject() {
  if (RefuseDuringPlayback() || playCursor == 0) return;
  if (!services.view.HasView()) {
    ReportError(kSource, kLineRewindNoView, "");
    return;
  }
  SetPlayPosition(0);
  services.view.SyncTrackingBar(playCursor);
}

void CProApp::OnFastForwardProject() {
  if (RefuseDuringPlayback() || playCursor >= project.projectEnd) return;
  if (!services.view.HasView()) {
    ReportError(kSource, kLineFastForwardNoView, "");
    return;
  }
  SetPlayPosition(project.projectEnd);
  services.view.SyncTrackingBar(playCursor);
}

// ---- Positions, timer, tempo and pitch ------------------------------------------------

void CProApp::PositionSlider(uint32_t frames) {
  int value = 0;
  if (project.projectEnd != 0) {
    const double exact = static_cast<double>(frames) / project.projectEnd * kSliderRange + 0.5;
    value = static_cast<int>(std::min(exact, static_cast<double>(kSliderRange)));
  }
  services.view.SetPositionSlider(value);
}

void CProApp::SetPlayPosition(uint32_t frames) {
  if (!services.view.HasFrame()) {
    ReportError(kSource, kLinePositionNoFrame, "");
    return;
  }
  playCursor = frames;
  ShowPosition(frames);
  PositionSlider(frames);
}

void CProApp::SetPlayPositionFraction(float fraction) {
  if (!std::isfinite(fraction)) return;
  const double frames = static_cast<double>(std::clamp(fraction, 0.0f, 1.0f)) * project.projectEnd + 0.5;
  SetPlayPosition(static_cast<uint32_t>(frames));
}

void CProApp::ShowPosition(uint32_t frames) {
  if (!services.view.HasFrame()) {
    ReportError(kSource, kLineShowPositionNoFrame, "");
    return;
  }
  services.view.SetPositionText(TimeText(project, frames));
}

void CProApp::ShowLength(uint32_t frames) {
  if (!services.view.HasFrame()) {
    ReportError(kSource, kLineShowLengthNoFrame, "");
    return;
  }
  services.view.SetLengthText(TimeText(project, frames));
}

void CProApp::UpdateLevelEffectsPosition(uint32_t frames, float tempo) {
  for (auto& chain : effectChains) {
    if (!chain) continue;
    Zelmo_Levels_Parameters parameters{};
    parameters.currentSample = frames;
    parameters.currentTempo = tempo;
    chain->UpdateAllLevelParameters(&parameters);
  }
}

void CProApp::RestoreViewAfterPlay() {
  ShowPosition(playCursor);
  project.viewStart = savedViewStart;
  project.viewEnd = savedViewEnd;
  project.viewWidth = savedViewWidth;
  services.view.ResetTrackingBar(playCursor);
  services.view.RefreshTrackView();
  PositionSlider(playCursor);
}

void CProApp::OnPlayTimer() {
  if (!services.view.HasView()) {
    ReportError(kSource, kLineTimerNoView, "");
    return;
  }
  if (!services.view.HasFrame()) {
    ReportError(kSource, kLineTimerNoFrame, "");
    return;
  }
  const double played = static_cast<double>(devices.GetMillisecondsPlayed()) * 44.1 + playCursor;
  const uint32_t position = static_cast<uint32_t>(std::min(played, 4294967295.0));
  services.view.MoveTrackingBar(position, followWaveform != 0);
  ShowPosition(position);
  PositionSlider(position);
}

void CProApp::SetProjectTempo(float bpm) {
  if (RefuseDuringPlayback()) return;
  if (!services.view.HasView()) {
    ReportError(kSource, kLineTempoNoView, "");
    return;
  }
  // A control that gave no number changes nothing.
  if (!std::isfinite(bpm)) return;
  bpm = std::clamp(bpm, kMinTempo, kMaxTempo);
  const float old = project.tempo;
  if (bpm == old) return;
  if (project.SetTempo(bpm, kMaxProjectFrames) == CAudioTrackList::kTempoPastLastEnd) {
    services.view.SetTempoText(old);
    services.ui.Inform(kTempoTooLowText);
    return;
  }
  metronome.SetBPM(bpm);
  UpdateLevelEffectsPosition(playCursor, bpm);
  ShowLength(project.projectEnd);
  SetPlayPosition(static_cast<uint32_t>(old / bpm * static_cast<float>(playCursor)));
  services.view.SetTempoText(bpm);
  services.view.ResetTrackingBar(playCursor);
  services.view.RefreshTrackView();
}

void CProApp::SetProjectPitch(float semitones) {
  if (RefuseDuringPlayback()) return;
  if (!services.view.HasView()) {
    ReportError(kSource, kLinePitchNoView, "");
    return;
  }
  if (!std::isfinite(semitones)) return;
  semitones = std::clamp(semitones, -kMaxPitch, kMaxPitch);
  project.globalPitch = semitones;
  services.view.SetPitchText(semitones);
}
