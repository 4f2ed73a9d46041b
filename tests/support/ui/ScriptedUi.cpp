#include "ScriptedUi.h"

#include <cstdio>

#include "AudioSegment.h"
#include "OperationDialog.h"
#include "TrackColorSet.h"

namespace tessiro::test {

namespace {
std::string Float(float v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}
}  // namespace

// ---- CScriptedUi --------------------------------------------------------

CScriptedUi::~CScriptedUi() { CheckDone(); }

void CScriptedUi::Push(Expectation e) { script_.push_back(std::move(e)); }

void CScriptedUi::ExpectBox(const std::string& text, int answer) {
  Expectation e;
  e.what = Expectation::Box;
  e.text = text;
  e.boxAnswer = answer;
  Push(std::move(e));
}

void CScriptedUi::ExpectBoxWhere(std::function<bool(const std::string&)> check, int answer) {
  Expectation e;
  e.what = Expectation::Box;
  e.text = "(a box the test checks)";
  e.check = std::move(check);
  e.boxAnswer = answer;
  Push(std::move(e));
}

void CScriptedUi::ExpectFolder(std::optional<std::string> folder) {
  Expectation e;
  e.what = Expectation::Folder;
  e.path = std::move(folder);
  Push(std::move(e));
}

void CScriptedUi::ExpectFile(std::optional<std::string> path) {
  Expectation e;
  e.what = Expectation::File;
  e.path = std::move(path);
  Push(std::move(e));
}

void CScriptedUi::CheckDone() {
  for (const Expectation& e : script_) {
    ADD_FAILURE() << "the script expected more: "
                  << (e.what == Expectation::Box      ? "box \"" + e.text + "\""
                      : e.what == Expectation::Folder ? std::string("folder chooser")
                      : e.what == Expectation::File   ? std::string("file chooser")
                                                      : "request " + e.kindName);
  }
  script_.clear();
}

void CScriptedUi::ClearLog() {
  log_.clear();
  boxes_.clear();
}

std::optional<CScriptedUi::Expectation> CScriptedUi::Take(Expectation::What what, const std::string& description) {
  log_.push_back(description);
  if (script_.empty()) {
    ADD_FAILURE() << "unexpected " << description;
    return std::nullopt;
  }
  Expectation e = std::move(script_.front());
  script_.pop_front();
  if (e.what != what) {
    ADD_FAILURE() << "unexpected " << description << " (the script expected something else first)";
    return std::nullopt;
  }
  return e;
}

int CScriptedUi::MessageBox(const std::string& text, ui::Icon icon, ui::Buttons buttons) {
  boxes_.push_back({text, icon, buttons});
  std::optional<Expectation> e = Take(Expectation::Box, "box: " + text);
  if (!e) return ui::kAnswerCancel;
  if (e->check) {
    EXPECT_TRUE(e->check(text)) << text;
  } else {
    EXPECT_EQ(e->text, text);
  }
  return e->boxAnswer;
}

std::optional<std::string> CScriptedUi::ChooseFile(const ui::FileChooser& chooser) {
  fileChoosers_.push_back(chooser);
  std::optional<Expectation> e = Take(Expectation::File, "file");
  return e ? e->path : std::nullopt;
}

std::optional<std::string> CScriptedUi::ChooseFolder(const ui::FolderChooser& chooser) {
  folderChoosers_.push_back(chooser);
  std::optional<Expectation> e = Take(Expectation::Folder, "folder");
  return e ? e->path : std::nullopt;
}

std::any CScriptedUi::Ask(std::type_index kind, const void* request, const char* kindName) {
  std::optional<Expectation> e = Take(Expectation::Request, std::string("request: ") + kindName);
  if (!e) return {};
  if (e->kind != kind) {
    ADD_FAILURE() << "request " << kindName << " arrived where the script expected " << e->kindName;
    return {};
  }
  return e->answer(request);
}

// ---- CScriptedProgress ----------------------------------------------------

bool CScriptedProgress::Create(const std::string& message) {
  if (failCreation_) return false;
  exists_ = true;
  cancelDisabled_ = false;
  ++windows_;
  messages_.push_back(message);
  return true;
}

void CScriptedProgress::Destroy() { exists_ = false; }

void CScriptedProgress::SetMessageText(const std::string& text) {
  if (messages_.empty() || messages_.back() != text) messages_.push_back(text);
}

void CScriptedProgress::SetPercentText(const std::string& text) { percents_.push_back(text); }

void CScriptedProgress::SetRemainingText(const std::string& text) { remaining_.push_back(text); }

void CScriptedProgress::CancelAtPump(int n, COperationDialog* dialog) {
  cancelAt_ = pumps_ + n;
  cancelDialog_ = dialog;
}

bool CScriptedProgress::PumpOne() {
  ++pumps_;
  bool handled = pumpHook_ ? pumpHook_() : false;
  if (cancelDialog_ && pumps_ == cancelAt_) {
    cancelDialog_->OnCancelButton();
    cancelDialog_ = nullptr;
    return true;
  }
  return handled;
}

// ---- CScriptedThread ------------------------------------------------------

bool CScriptedThread::Post(uint32_t message, int64_t wParam, int64_t lParam) {
  std::lock_guard<std::mutex> hold(lock_);
  if (closed_ || count_ == kQueueSize) return false;
  queue_[(head_ + count_) % kQueueSize] = {message, wParam, lParam};
  ++count_;
  return true;
}

void CScriptedThread::Close() {
  std::lock_guard<std::mutex> hold(lock_);
  closed_ = true;
  count_ = 0;
}

size_t CScriptedThread::Pending() const {
  std::lock_guard<std::mutex> hold(lock_);
  return count_;
}

int CScriptedThread::Pump() {
  int delivered = 0;
  for (;;) {
    Posted p;
    {
      std::lock_guard<std::mutex> hold(lock_);
      if (count_ == 0) break;
      p = queue_[head_];
      head_ = (head_ + 1) % kQueueSize;
      --count_;
    }
    delivered_.push_back(p.message);
    ++delivered;
    if (receiver_) receiver_->OnPostedMessage(p.message, p.wParam, p.lParam);
  }
  return delivered;
}

void CScriptedThread::SetTimer(uint32_t timerId, uint32_t intervalMs) {
  timers_[timerId] = {intervalMs, now_ + intervalMs};
}

void CScriptedThread::KillTimer(uint32_t timerId) { timers_.erase(timerId); }

bool CScriptedThread::IsTimerRunning(uint32_t timerId) const { return timers_.count(timerId) != 0; }

void CScriptedThread::Advance(uint32_t ms) {
  const uint32_t until = now_ + ms;
  for (;;) {
    // The earliest due timer at or before the target time.
    uint32_t id = 0;
    uint32_t due = until;
    bool found = false;
    for (const auto& [timerId, timer] : timers_) {
      if (timer.due <= due) {
        due = timer.due;
        id = timerId;
        found = true;
      }
    }
    if (!found) break;
    now_ = due;
    timers_[id].due = due + (timers_[id].interval ? timers_[id].interval : 1);
    if (receiver_) receiver_->OnTimer(id);
    Pump();
  }
  now_ = until;
  Pump();
}

// ---- CScriptedViewHost ----------------------------------------------------

int CScriptedViewHost::Count(const std::string& prefix) const {
  int n = 0;
  for (const std::string& c : calls) n += c.rfind(prefix, 0) == 0 ? 1 : 0;
  return n;
}

void CScriptedViewHost::ShowMainWindow(bool restorePlacement) {
  mainWindowShown = true;
  placementRestored = restorePlacement;
  Record(std::string("ShowMainWindow(") + (restorePlacement ? "1" : "0") + ")");
}

void CScriptedViewHost::SetTitle(const std::string& documentTitle) {
  title = documentTitle;
  Record("SetTitle(" + documentTitle + ")");
}

void CScriptedViewHost::SwitchView(int mode) {
  viewMode = mode;
  Record("SwitchView(" + std::to_string(mode) + ")");
}

void CScriptedViewHost::ShowMenuAndToolBarForView(int mode) {
  Record("ShowMenuAndToolBarForView(" + std::to_string(mode) + ")");
}

void CScriptedViewHost::LockInput(int lock) {
  locked = lock;
  Record("LockInput(" + std::to_string(lock) + ")");
}

void CScriptedViewHost::SetSnapToGrid(int snap) {
  snapToGrid = snap;
  Record("SetSnapToGrid(" + std::to_string(snap) + ")");
}

bool CScriptedViewHost::RebuildLoopMenu() {
  Record("RebuildLoopMenu");
  return hasLoopMenu;
}

void CScriptedViewHost::SetEditorColors(const TrackColorSet& colors) {
  char text[64];
  std::snprintf(text, sizeof text, "SetEditorColors(%06X,%06X,%06X,%06X)", colors.snippetBox, colors.waveformFill,
                colors.waveformOutline, colors.marker);
  Record(text);
}

void CScriptedViewHost::SetPositionText(const std::string& text) {
  positionText = text;
  Record("SetPositionText(" + text + ")");
}

void CScriptedViewHost::SetLengthText(const std::string& text) {
  lengthText = text;
  Record("SetLengthText(" + text + ")");
}

void CScriptedViewHost::SetPositionSlider(int value) {
  slider = value;
  Record("SetPositionSlider(" + std::to_string(value) + ")");
}

void CScriptedViewHost::EnablePositionSlider(bool enable) {
  sliderEnabled = enable;
  Record(std::string("EnablePositionSlider(") + (enable ? "1" : "0") + ")");
}

void CScriptedViewHost::MoveTrackingBar(uint32_t frame, bool follow) {
  Record("MoveTrackingBar(" + std::to_string(frame) + "," + (follow ? "1" : "0") + ")");
}

void CScriptedViewHost::ResetTrackingBar(uint32_t frame) { Record("ResetTrackingBar(" + std::to_string(frame) + ")"); }

void CScriptedViewHost::SetTempoText(float bpm) { Record("SetTempoText(" + Float(bpm) + ")"); }

void CScriptedViewHost::SetPitchText(float semitones) { Record("SetPitchText(" + Float(semitones) + ")"); }

void CScriptedViewHost::StartEditorTracking(bool loopWrap) {
  Record(std::string("StartEditorTracking(") + (loopWrap ? "1" : "0") + ")");
}

void CScriptedViewHost::SetEditorProjectTempo(float bpm) { Record("SetEditorProjectTempo(" + Float(bpm) + ")"); }

void CScriptedViewHost::SetEditorSegment(CAudioSegment* segment) {
  editorSegment = segment;
  Record(segment ? "SetEditorSegment(" + std::to_string(segment->GetIdentifier()) + ")" : "SetEditorSegment(none)");
}

bool CScriptedViewHost::GetCurrentSnippet(int* trackIndex, uint32_t* snippetIdentifier) const {
  if (currentSnippet == 0) return false;
  *trackIndex = currentSnippetTrack;
  *snippetIdentifier = currentSnippet;
  return true;
}

void CScriptedViewHost::ClearCurrentSnippet() {
  currentSnippet = 0;
  Record("ClearCurrentSnippet");
}

void CScriptedViewHost::ShowRecordingWindow() {
  recordingWindowShown = true;
  Record("ShowRecordingWindow");
}

void CScriptedViewHost::CloseRecordingWindow() {
  recordingWindowShown = false;
  Record("CloseRecordingWindow");
}

void CScriptedViewHost::OpenRecordSegmentWindow(int channels) {
  recordSegmentWindowOpen = true;
  Record("OpenRecordSegmentWindow(" + std::to_string(channels) + ")");
}

void CScriptedViewHost::CloseRecordSegmentWindow() {
  recordSegmentWindowOpen = false;
  Record("CloseRecordSegmentWindow");
}

void CScriptedViewHost::StopLevelMonitor() {
  levelMonitoring = false;
  Record("StopLevelMonitor");
  if (onStopLevelMonitor) onStopLevelMonitor();
}

// ---- CMemoryProfile -------------------------------------------------------

std::string CMemoryProfile::GetString(const std::string& section, const std::string& entry) {
  auto it = values.find(section + "/" + entry);
  return it == values.end() ? "" : it->second;
}

void CMemoryProfile::WriteString(const std::string& section, const std::string& entry, const std::string& value) {
  values[section + "/" + entry] = value;
}

static const char* ToolWindowName(ui::ToolWindow window) {
  switch (window) {
    case ui::ToolWindow::Effects: return "Effects";
    case ui::ToolWindow::Levels: return "Levels";
    case ui::ToolWindow::EditorTool: return "EditorTool";
  }
  return "?";
}

bool CScriptedViewHost::IsToolWindowShown(ui::ToolWindow window) const {
  auto it = toolWindowsShown.find(window);
  return it != toolWindowsShown.end() && it->second;
}

void CScriptedViewHost::ShowToolWindow(ui::ToolWindow window, bool show) {
  if (show && toolWindowsMade[window] == 0) toolWindowsMade[window] = 1;
  toolWindowsShown[window] = show;
  Record(std::string("ShowToolWindow(") + ToolWindowName(window) + "," + (show ? "1" : "0") + ")");
}

void CScriptedViewHost::RefreshToolWindow(ui::ToolWindow window) {
  Record(std::string("RefreshToolWindow(") + ToolWindowName(window) + ")");
}

}  // namespace tessiro::test
