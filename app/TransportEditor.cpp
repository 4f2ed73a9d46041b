// The transport of the Audio Editor and the Loop Bank: the editor's play,
// loop play, stop, rewind and fast-forward, recording into the editor, the
// Loop Bank preview, the commands by view, input monitoring and the stop of
// everything when the main window closes.
#include <cmath>

#include "DeviceCallbacks.h"
#include "Generic.h"
#include "pro.h"

namespace {
constexpr const char* kSource = "pro";
constexpr int kLineEditorPlayNoView = 3909;
constexpr int kLineEditorPlayNoSegment = 3922;
constexpr int kLineEditorPlayNoSnippet = 3960;
constexpr int kLineEditorPlayRatioZero = 3971;
constexpr int kLineEditorPlayOpen = 4006;
constexpr int kLineEditorLoopNoView = 4200;
constexpr int kLineEditorLoopNoSegment = 4218;
constexpr int kLineEditorLoopOpen = 4253;
constexpr int kLineEditorStopNoView = 4388;
constexpr int kLineEditorStopNoSegment = 4420;
constexpr int kLineRewindNoView = 3689;
constexpr int kLineRewindNoSegment = 3696;
constexpr int kLineFastForwardNoView = 3722;
constexpr int kLineFastForwardNoSegment = 3729;
constexpr int kLinePreviewNoLoop = 4452;
constexpr int kLinePreviewNoSegment = 4460;
constexpr int kLinePreviewOpen = 4467;
constexpr int kLinePreviewStopNoView = 4540;
constexpr int kLinePreviewStopNoLoop = 4553;
constexpr int kLineEditorRecordSegment = 16046;
constexpr int kLineFinishEditorNoView = 16073;
constexpr int kLineFinishEditorNoSegment = 16080;
constexpr int kLineFinishEditorNoOperation = 16100;
constexpr int kLineCancelEditorNoView = 16142;
constexpr int kLineByViewPlay = 20573;
constexpr int kLineByViewStop = 20616;
constexpr int kLineByViewRecord = 20652;
constexpr int kLineByViewRewind = 20491;
constexpr int kLineByViewFastForward = 20508;
constexpr const char* kDivideByZero = "Divide By Zero Violation";

constexpr const char* kNothingToPlayText = "No audio exists to play.";
constexpr const char* kNoEditorAudioText = "No audio currently exists.";
constexpr const char* kAtEditorEndText =
    "Tracking bar is currently at the end of the audio segment.\nPress \"Rewind\" to reset to the beginning of the "
    "audio segment.";
constexpr const char* kLoopWithProjectText =
    "Sorry, cannot play extended audio snippet with \"project settings on\" in loop mode.";
constexpr const char* kLoopTooShortText = "Sorry, section of audio is too short to play in loop mode.";
constexpr const char* kNothingToRewindText = "No audio exists to rewind";
constexpr const char* kNothingToFastForwardText = "No audio exists to fast-foward";
constexpr const char* kNoOutputText = "No audio output device is open to play through.";
// The recorders keep their time by the output's clock: without one they take nothing.
constexpr const char* kRecordNeedsOutputText = "Recording needs an open audio output device, and none is open.";

constexpr int16_t kFirstInputChannel = 25;
constexpr int16_t kLastMonitorChannel = 56;

// The editor plays [tracker start, tracker end), or to the end of the audio
// when nothing is highlighted.
uint32_t RegionEnd(const CAudioSegment& segment) {
  return segment.trackerEnd == segment.trackerStart ? segment.length : segment.trackerEnd;
}

AudioQuality Format(uint16_t channels) {
  AudioQuality format;
  format.samplesPerSecond = 44100;
  format.channels = channels;
  format.bitsPerSample = 16;
  return format;
}

}  // namespace

// ---- Audio Editor playback ---------------------------------------------------------

CAudioSegment* CProApp::EditorSegmentToPlay(bool loop, int noViewLine, int noSegmentLine) {
  if (!services.view.HasView()) {
    ReportError(kSource, noViewLine, "");
    return nullptr;
  }
  if (loop && editorSource == EditorSourceSnippet && editorUsesProjectSettings) {
    services.ui.Inform(kLoopWithProjectText);
    return nullptr;
  }
  if (editorSource == EditorSourceNothing || editorSource == 0) {
    services.ui.Inform(kNothingToPlayText);
    return nullptr;
  }
  CAudioSegment* segment = editorSegment.get();
  if (!segment) {
    ReportError(kSource, noSegmentLine, "");
    return nullptr;
  }
  // Loop Play lets empty audio fall to the tracker's check, and its message.
  if (!loop && segment->length == 0) {
    services.ui.Inform(kNoEditorAudioText);
    return nullptr;
  }
  if (segment->trackerStart >= segment->length) {
    services.ui.Inform(kAtEditorEndText);
    return nullptr;
  }
  return segment;
}

void CProApp::StartEditorRun(bool loop, uint32_t start, uint32_t end, PobixOutputCallback output) {
  editorPlayStart = start;
  editorPlayEnd = end;
  editorPlayLength = end - start;
  mixing = 1;
  services.view.StartEditorTracking(loop);
  if (services.view.IsLevelWindowShown()) services.view.RunLevelMeters();
  devices.UpdateOutputStereoCallback(output);
  devices.UpdateEndOfAudioCallback(&EditorEndOfAudioCallback);
  if (editorPlayUsesProject_) ResetEffectChains();
  runKind_ = RunKind::Editor;
  devices.Start(kPobixPlay);
}

void CProApp::OnEditorPlay() {
  if (playing.load() == 1 || recording.load() == 1) return;
  CAudioSegment* segment = EditorSegmentToPlay(false, kLineEditorPlayNoView, kLineEditorPlayNoSegment);
  if (!segment) return;
  if (!outputOpen) {
    services.ui.Inform(kNoOutputText);
    return;
  }
  EndMonitoringForRun();
  const uint32_t start = segment->trackerStart;
  const uint32_t end = RegionEnd(*segment);
  editorPlayUsesProject_ = editorSource == EditorSourceSnippet && editorUsesProjectSettings != 0;
  PobixOutputCallback output = &EditorOutputCallback;
  if (editorPlayUsesProject_) {
    if (!editorSnippet) {
      ReportError(kSource, kLineEditorPlayNoSnippet, "");
      return;
    }
    uint32_t position = 0;
    if (editorSnippet->ratio == 0.0f) {
      ReportError(kSource, kLineEditorPlayRatioZero, kDivideByZero);
    } else {
      ClampSnippetRatios();
      project.PreparePlayback();
      position = static_cast<uint32_t>(static_cast<float>(start) / editorSnippet->ratio +
                                       static_cast<float>(editorSnippet->start));
    }
    mixPosition = position;
    output = &EditorProjectOutputCallback;
  } else {
    uint32_t at = 0;
    if (segment->Open(0) != 1 || segment->Seek(start, &at) != 0) {
      ReportError(kSource, kLineEditorPlayOpen, "");
      return;
    }
    mixPosition = start;
  }
  playing = 1;
  project.playing = 1;
  StartEditorRun(false, start, end, output);
}

int CProApp::CheckLoopPlayLength(uint32_t start, uint32_t end) const {
  return end > start && end - start >= static_cast<uint32_t>(bufferFrames) ? 1 : 0;
}

void CProApp::OnEditorPlayLoop() {
  if (mixing.load() == 1 || recording.load() == 1) return;
  CAudioSegment* segment = EditorSegmentToPlay(true, kLineEditorLoopNoView, kLineEditorLoopNoSegment);
  if (!segment) return;
  const uint32_t start = segment->trackerStart;
  const uint32_t end = RegionEnd(*segment);
  if (!CheckLoopPlayLength(start, end)) {
    services.ui.Inform(kLoopTooShortText);
    return;
  }
  if (!outputOpen) {
    services.ui.Inform(kNoOutputText);
    return;
  }
  EndMonitoringForRun();
  uint32_t at = 0;
  if (segment->Open(0) != 1 || segment->Seek(start, &at) != 0) {
    ReportError(kSource, kLineEditorLoopOpen, "");
    return;
  }
  editorPlayUsesProject_ = false;
  if (editorSource == EditorSourceSnippet) project.playing = 1;
  playing = 1;
  mixPosition = start;
  StartEditorRun(true, start, end, &EditorLoopOutputCallback);
}

void CProApp::OnStopPlayback() {
  if (mixing.load() != 1 || runKind_ != RunKind::Editor) return;
  mixing = 0;
  project.playing = 0;
  if (!services.view.HasView()) ReportError(kSource, kLineEditorStopNoView, "");
  services.view.StopEditorTracking();
  if (services.view.IsLevelWindowShown()) services.view.StopLevelMeters();
  StopDevice();
  // What was opened at the start is what is closed: the project's mixer, or
  // the segment's read side.
  if (editorPlayUsesProject_) {
    ResetEffectChains();
    project.ResetPlayback();
  } else if (editorSegment) {
    editorSegment->CloseReadHandle();
  } else {
    ReportError(kSource, kLineEditorStopNoSegment, "");
  }
  editorPlayUsesProject_ = false;
  playing = 0;
}

// Rewind and fast-forward share one body: an empty tracker at one end of the audio.
void CProApp::MoveEditorTrackerToEnd(bool toEnd) {
  if (RefuseDuringPlayback()) return;
  if (editorSource == EditorSourceNothing || editorSource == 0) {
    services.ui.Inform(toEnd ? kNothingToFastForwardText : kNothingToRewindText);
    return;
  }
  if (!services.view.HasView()) {
    ReportError(kSource, toEnd ? kLineFastForwardNoView : kLineRewindNoView, "");
    return;
  }
  if (!editorSegment) {
    ReportError(kSource, toEnd ? kLineFastForwardNoSegment : kLineRewindNoSegment, "");
    return;
  }
  editorSegment->trackerStart = editorSegment->trackerEnd = toEnd ? editorSegment->length : 0;
  editorSegment->trackerSize = 0;
  services.view.UpdateEditorTimes();
  services.view.RefreshCurrentView();
}

void CProApp::OnEditorRewind() { MoveEditorTrackerToEnd(false); }

void CProApp::OnEditorFastForward() { MoveEditorTrackerToEnd(true); }

// ---- Loop Bank preview ------------------------------------------------------------

void CProApp::PlayLoopPreview() {
  if (playing.load() == 1 || recording.load() == 1) return;
  std::shared_ptr<CAudioLoop> loop;
  const int number = loopBank.GetSelectedLoopNumber();
  if (loopBank.FindLoop(number, &loop) != 1 || !loop) {
    ReportError(kSource, kLinePreviewNoLoop, "");
    return;
  }
  std::shared_ptr<CAudioSegment> segment;
  loop->GetSegment(&segment);
  if (!segment) {
    ReportError(kSource, kLinePreviewNoSegment, "");
    return;
  }
  if (!outputOpen) {
    services.ui.Inform(kNoOutputText);
    return;
  }
  EndMonitoringForRun();
  uint32_t at = 0;
  if (segment->Open(0) != 1 || segment->Seek(0, &at) != 0) {
    ReportError(kSource, kLinePreviewOpen, "");
    return;
  }
  {
    std::lock_guard<std::mutex> hold(previewLock);
    previewSegment = segment;
  }
  mixing = 1;
  playing = 1;
  mixPosition = 0;
  editorPlayStart = 0;
  devices.UpdateOutputStereoCallback(&PreviewOutputCallback);
  devices.UpdateEndOfAudioCallback(&PreviewEndOfAudioCallback);
  if (services.view.IsLoopRowVisible(number)) services.view.StartLoopPlayhead();
  runKind_ = RunKind::Preview;
  devices.Start(kPobixPlay);
  if (services.view.IsLevelWindowShown()) services.view.RunLevelMeters();
}

void CProApp::StopLoopPreview() {
  if (runKind_ != RunKind::Preview) return;
  playing = 0;
  mixing = 0;
  project.playing = 0;
  if (services.view.IsLevelWindowShown()) services.view.StopLevelMeters();
  // Not under the preview lock (see its declaration): the mixing flag is down
  // already, and the segment is let go under the lock once the player has stopped.
  StopDevice();
  if (!services.view.HasView()) ReportError(kSource, kLinePreviewStopNoView, "");
  services.view.StopLoopPlayhead();
  std::shared_ptr<CAudioSegment> segment;
  {
    std::lock_guard<std::mutex> hold(previewLock);
    segment = std::move(previewSegment);
  }
  if (segment) {
    segment->CloseReadHandle();
  } else {
    ReportError(kSource, kLinePreviewStopNoLoop, "");
  }
  playing = 0;
  services.view.ResetLoopPlayButton();
}

// ---- Recording into the Audio Editor --------------------------------------------------

void CProApp::OpenRecordSegmentWindow() {
  if (RefuseDuringPlayback() || recording.load() == 1 || recordSegmentWindow.open) return;
  if (!outputOpen) {
    services.ui.Inform(kRecordNeedsOutputText);
    return;
  }
  recordSegments[0].reset();
  recordSegmentWindow.open = 1;
  services.view.OpenRecordSegmentWindow(recordSegmentWindow.channels);
}

void CProApp::StartEditorRecording(int32_t inputIndex, int16_t channels) {
  if (!recordSegmentWindow.open || playing.load() == 1 || recording.load() == 1 || !outputOpen) return;
  recordSegmentWindow.inputIndex = inputIndex;
  recordSegmentWindow.channels = channels == 1 ? 1 : 2;
  auto segment = NewAudioSegment();
  segment->SetFormat(Format(static_cast<uint16_t>(recordSegmentWindow.channels)));
  segment->SetQuietWrites(true);  // a write that fails stops the recording with a message of its own
  if (segment->Open(1) != 1) {
    ReportError(kSource, kLineEditorRecordSegment, "");
    return;
  }
  EndMonitoringForRun();
  devices.RemoveAllInputs();
  ClearInputFaults();
  recordSegments[0] = std::move(segment);
  PobixInit init{};
  init.inputIndex = inputIndex;
  init.bitsPerSample = 16;
  init.samplesPerSecond = 44100;
  init.stereo = recordSegmentWindow.channels == 2 ? 1 : 0;
  init.recordSlot = 1;
  init.callback = &InputCallback;
  recording = 1;
  devices.AddInput(&init);
  devices.SetInputBufferInfo(static_cast<int16_t>(inputIndex), 2, kEditorRecordBufferBytes);
  devices.UpdateRecorderEndOfAudioCallback(&RecorderEndOfAudioCallback);
  devices.UpdateRecorderDropoutMessageCallback(&DropoutCallback);
  if (services.view.IsLevelWindowShown()) services.view.RunLevelMeters();
  runKind_ = RunKind::EditorRecording;
  devices.Start(kPobixRecord);
  services.view.StartRecordSegmentTimer();
}

void CProApp::FinishEditorRecording() {
  if (!services.view.HasView()) {
    ReportError(kSource, kLineFinishEditorNoView, "");
    return;
  }
  if (recording.load() != 1) return;
  std::shared_ptr<CAudioSegment> segment = recordSegments[0];
  if (!segment) {
    ReportError(kSource, kLineFinishEditorNoSegment, "");
    return;
  }
  StopDevice();
  const uint32_t bytes = devices.GetOutputBytesWritten(1);
  if (bytes > 0) {
    CloseTake(*segment);
  } else {
    segment->Close();
  }
  segment->SetLengthFromBytes(bytes);
  recordSegments[0].reset();
  // A take that caught nothing changes nothing: no empty audio, no undo step.
  if (segment->length > 0) {
    if (segment->GetPeakFile().KnownSize() > 0) segment->GetPeakFile().Open(0);
    segment->viewStart = 0;
    segment->viewEnd = segment->length;
    segment->viewWidth = segment->length;
    segment->tempo = project.tempo;
    auto record = std::make_unique<COperation>(OperationEditorContent);
    if (!record) {
      ReportError(kSource, kLineFinishEditorNoOperation, "");
    } else {
      if (editorSource == EditorSourceSnippet) {
        record->editorBefore.snippet = editorSnippet;
        record->editorBefore.trackIndex = editorTrackIndex;
      } else if (editorSource == EditorSourceLoop) {
        record->editorBefore.loop = editorLoop;
      } else if (editorSource == EditorSourceIndependent) {
        record->editorBefore.segment = editorSegment;
      }
      record->editorAfter.segment = segment;
      undoList.Add(std::move(record));
      modified = 1;
      SetEditorIndependentAudio(segment);
    }
  }
  recordSegmentWindow.open = 0;
  services.view.CloseRecordSegmentWindow();
  services.view.RefreshCurrentView();
  devices.RemoveAllInputs();
  recording = 0;
}

void CProApp::CancelEditorRecording() {
  if (!services.view.HasView()) {
    ReportError(kSource, kLineCancelEditorNoView, "");
    return;
  }
  if (recording.load() == 1) StopDevice();
  if (recordSegments[0]) {
    recordSegments[0]->Close();
    recordSegments[0].reset();
  }
  recordSegmentWindow.open = 0;
  services.view.CloseRecordSegmentWindow();
  services.view.RefreshCurrentView();
  devices.RemoveAllInputs();
  recording = 0;
}

// ---- By view --------------------------------------------------------------------

void CProApp::RunByView(int line, void (CProApp::*track)(), void (CProApp::*editor)(),
                        void (CProApp::*loops)()) {
  if (!services.view.HasView()) {
    ReportError(kSource, line, "");
    return;
  }
  void (CProApp::*command)() = nullptr;
  switch (services.view.GetViewMode()) {
    case ViewModeTrack:
      command = track;
      break;
    case ViewModeEditor:
      command = editor;
      break;
    case ViewModeLoopBank:
      command = loops;
      break;
    default:
      break;
  }
  if (command) (this->*command)();
}

void CProApp::PressLoopByView(bool play) {
  if (loopBank.GetCount() == 0 || (playing.load() == 1) == play) return;
  const int number = loopBank.GetSelectedLoopNumber();
  if (services.view.IsLoopRowVisible(number)) {
    services.view.PressLoopRowButton(number);
  } else if (play) {
    PlayLoopPreview();
  } else {
    StopLoopPreview();
  }
}

void CProApp::PlayLoopByView() { PressLoopByView(true); }
void CProApp::StopLoopByView() { PressLoopByView(false); }

void CProApp::OnPlayByView() {
  RunByView(kLineByViewPlay, &CProApp::OnPlayProject, &CProApp::OnEditorPlay, &CProApp::PlayLoopByView);
}

void CProApp::OnStopByView() {
  RunByView(kLineByViewStop, &CProApp::OnStopProject, &CProApp::OnStopPlayback, &CProApp::StopLoopByView);
}

void CProApp::OnRecordByView() {
  RunByView(kLineByViewRecord, &CProApp::OnRecordProject, &CProApp::OpenRecordSegmentWindow, nullptr);
}

void CProApp::OnRewindByView() {
  RunByView(kLineByViewRewind, &CProApp::OnRewindProject, &CProApp::OnEditorRewind, nullptr);
}

void CProApp::OnFastForwardByView() {
  RunByView(kLineByViewFastForward, &CProApp::OnFastForwardProject, &CProApp::OnEditorFastForward, nullptr);
}

// ---- Input monitoring and the close of the main window ------------------------------------

void CProApp::StartInputMonitoring(int16_t channel) {
  if (channel < kFirstInputChannel || channel > kLastMonitorChannel) return;
  // Monitoring shares the inputs with recording; while anything runs it waits.
  if (playing.load() == 1 || recording.load() == 1 || IsMonitoring()) return;
  if (!outputOpen) {
    services.ui.Inform(kRecordNeedsOutputText);
    return;
  }
  const int32_t physical = channel - kFirstInputChannel;
  if (physical >= devices.GetInputPhysicalDeviceCount()) return;
  devices.RemoveAllInputs();
  PobixInit init{};
  init.inputIndex = physical * 3;
  init.bitsPerSample = 16;
  init.samplesPerSecond = 44100;
  init.stereo = 1;
  init.recordSlot = 0;
  init.callback = &InputCallback;
  devices.AddInput(&init);
  devices.SetInputBufferInfo(static_cast<int16_t>(init.inputIndex), 2, kMonitorBufferBytes);
  monitoringInput_ = physical;
  runKind_ = RunKind::Monitor;
  devices.Start(kPobixMonitor);
}

void CProApp::StopInputMonitoring() {
  if (!IsMonitoring()) return;
  StopDevice();
  // The monitored input would otherwise keep one of its recorder's four places.
  devices.RemoveAllInputs();
  monitoringInput_ = -1;
}

void CProApp::StopAllForClose() {
  switch (runKind_) {
    case RunKind::Project:
      // Closing keeps a take under way, as the recording window's Stop would.
      if (recordingWindow.active) {
        OnRecordingWindowStop();
      } else {
        OnStopProject();
      }
      break;
    case RunKind::Editor:
      OnStopPlayback();
      break;
    case RunKind::Preview:
      StopLoopPreview();
      break;
    case RunKind::EditorRecording:
      FinishEditorRecording();
      break;
    case RunKind::Monitor:
      StopInputMonitoring();
      break;
    case RunKind::None:
      break;
  }
  if (recordSegmentWindow.open) CancelEditorRecording();
}
