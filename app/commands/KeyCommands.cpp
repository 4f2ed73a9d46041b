// The keyboard commands of the accelerator table that act on the shown view:
// the view switch, arm, mute, solo, properties, previous and next, a page of
// rows and zoom.
#include <algorithm>

#include "AudioTrack.h"
#include "Generic.h"
#include "pro.h"

namespace {
constexpr const char* kSource = "pro";
constexpr int kLineArmNoTrack = 20352;
constexpr int kLineArmNoView = 20365;
constexpr int kLineMuteNoView = 20377;
constexpr int kLineSoloNoView = 20390;
constexpr int kLinePropertiesNoView = 20406;
constexpr int kLinePreviousNoView = 20422;
constexpr int kLineNextNoView = 20456;
constexpr int kLinePageUpNoView = 20526;
constexpr int kLinePageDownNoView = 20549;
constexpr int kLineZoomInNoView = 20671;
constexpr int kLineZoomOutNoView = 20694;
constexpr int kLineEditLoopNoView = 20801;
constexpr int kMaxArmedTracks = 4;
constexpr const char* kArmLoopTrackText = "Cannot record extended audio to a loop based track.";
constexpr const char* kArmFourTracksText =
    "Sorry, you already have four tracks armed.  That is the maximum amount allowed.";
}  // namespace

// The view mode, or 0 after reporting the missing view with line.
static int ShownMode(CProApp& app, int line) {
  if (app.services.view.HasView()) return app.services.view.GetViewMode();
  ReportError(kSource, line, "");
  return 0;
}

int CProApp::OnShowView(int mode) {
  if (RefuseDuringPlayback()) return status::kNothingDone;
  services.view.SwitchView(mode);
  return status::kDone;
}

int CProApp::OnArmKey() {
  if (RefuseDuringPlayback()) return status::kNothingDone;
  if (!services.view.HasView()) {
    ReportError(kSource, kLineArmNoView, "");
    return status::kFaultReported;
  }
  if (services.view.GetViewMode() != ViewModeTrack) return status::kNothingDone;
  const int index = project.GetSelectedTrackIndex();
  CAudioTrack* track = nullptr;
  if (project.FindTrack(index, &track) != 1 || !track) {
    ReportError(kSource, kLineArmNoTrack, "");
    return status::kFaultReported;
  }
  if (project.GetTrackType(index) == CAudioTrack::kTypeLoopBased) {
    services.ui.Inform(kArmLoopTrackText);
    return status::kNothingDone;
  }
  if (!track->armed && project.CountArmedTracks() >= kMaxArmedTracks) {
    services.ui.Inform(kArmFourTracksText);
    return status::kNothingDone;
  }
  project.ToggleArm(index);
  services.view.RefreshCurrentView();
  return status::kDone;
}

// Mute and solo: the Track View's selected track.
static int ToggleSelectedTrack(CProApp& app, int (CAudioTrackList::*toggle)(int), int line) {
  const int mode = ShownMode(app, line);
  if (mode != ViewModeTrack) return mode ? status::kNothingDone : status::kFaultReported;
  (app.project.*toggle)(app.project.GetSelectedTrackIndex());
  app.services.view.RefreshCurrentView();
  return status::kDone;
}

int CProApp::OnMuteKey() { return ToggleSelectedTrack(*this, &CAudioTrackList::ToggleMute, kLineMuteNoView); }
int CProApp::OnSoloKey() { return ToggleSelectedTrack(*this, &CAudioTrackList::ToggleSolo, kLineSoloNoView); }

int CProApp::OnPropertiesKey() {
  if (RefuseDuringPlayback()) return status::kNothingDone;
  const int mode = ShownMode(*this, kLinePropertiesNoView);
  if (mode == ViewModeTrack) return OnTrackProperties(project.GetSelectedTrackIndex());
  if (mode == ViewModeLoopBank && loopBank.GetCount() > 0) return OnLoopProperties(loopBank.GetSelectedLoopNumber());
  return mode ? status::kNothingDone : status::kFaultReported;
}

int CProApp::OnEditLoopAudioKey() {
  if (RefuseDuringPlayback()) return status::kNothingDone;
  const int mode = ShownMode(*this, kLineEditLoopNoView);
  if (mode != ViewModeLoopBank) return mode ? status::kNothingDone : status::kFaultReported;
  return OnEditLoopAudio();
}

// Track View: the neighbouring track, kept within 0..23; Loop Bank: the
// neighbouring loop, kept within the bank (an empty bank has none to select).
static int SelectNeighbour(CProApp& app, int step, int line) {
  const int mode = ShownMode(app, line);
  if (mode == 0) return status::kFaultReported;
  if (mode == ViewModeTrack) {
    const int last = CAudioTrackList::kProjectTracks - 1;
    app.project.SelectTrack(std::clamp(app.project.GetSelectedTrackIndex() + step, 0, last));
  } else if (mode == ViewModeLoopBank) {
    const int count = app.loopBank.GetCount();
    if (count == 0) return status::kNothingDone;
    app.loopBank.SelectLoop(std::clamp(app.loopBank.GetSelectedLoopNumber() + step, 0, count - 1));
  } else {
    return status::kNothingDone;
  }
  app.services.view.RefreshCurrentView();
  return status::kDone;
}

int CProApp::OnPreviousKey() { return SelectNeighbour(*this, -1, kLinePreviousNoView); }
int CProApp::OnNextKey() { return SelectNeighbour(*this, 1, kLineNextNoView); }

int CProApp::OnPageKey(bool down) {
  const int mode = ShownMode(*this, down ? kLinePageDownNoView : kLinePageUpNoView);
  if (mode == 0) return status::kFaultReported;
  if (mode == ViewModeLoopBank) {
    if (RefuseDuringPlayback()) return status::kNothingDone;
    if (loopBank.GetCount() == 0) return status::kNothingDone;
  } else if (mode != ViewModeTrack) {
    return status::kNothingDone;
  }
  services.view.PageShownEditorRows(down);
  services.view.RefreshCurrentView();
  return status::kDone;
}

int CProApp::OnZoomKey(bool in) {
  if (RefuseDuringPlayback()) return status::kNothingDone;
  const int mode = ShownMode(*this, in ? kLineZoomInNoView : kLineZoomOutNoView);
  if (mode == 0) return status::kFaultReported;
  if (mode != ViewModeTrack && mode != ViewModeEditor) return status::kNothingDone;
  services.view.ZoomShownEditor(in);
  services.view.RefreshCurrentView();
  return status::kDone;
}
