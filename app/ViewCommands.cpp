// The core's side of the view: its switch of menus and tool bars, the loop
// menu, and the colours the Audio Editor draws what it holds in.
#include "Generic.h"
#include "pro.h"

namespace {
constexpr const char* kSource = "pro";
constexpr int kLineSwitchNoFrame = 14972;
constexpr int kLineLoopMenuNoEditMenu = 15029;
constexpr int kLineColorsNoView = 19786;
constexpr int kLineColorsBadLoop = 19799;
constexpr int kLoopBankSize = 32;
}  // namespace

int CProApp::SwitchView(int mode) {
  if (RefuseDuringPlayback()) return status::kNothingDone;
  if (!services.view.HasFrame()) {
    ReportError(kSource, kLineSwitchNoFrame, "");
    return status::kFaultReported;
  }
  if (mode == ViewModeEditor) services.view.SetEditorProjectTempo(project.tempo);
  services.view.ShowMenuAndToolBarForView(mode);
  return status::kNothingDone;
}

int CProApp::RebuildLoopMenu() {
  if (loopBank.GetCount() == 0) return status::kNothingDone;
  if (!services.view.RebuildLoopMenu()) {
    ReportError(kSource, kLineLoopMenuNoEditMenu, "");
    return status::kFaultReported;
  }
  return status::kNothingDone;
}

int CProApp::ApplyEditorColorSet() {
  if (!services.view.HasView()) {
    ReportError(kSource, kLineColorsNoView, "");
    return status::kFaultReported;
  }
  // The live flag: the colour settings change it, and it reaches the
  // configuration only when that is saved.
  TrackColorSet colors = config.colorSets[ProConfig::kIndependentColorSet];
  if (useTrackColors && editorSource == EditorSourceSnippet) {
    project.GetTrackColors(editorTrackIndex, &colors);
  } else if (useTrackColors && editorSource == EditorSourceLoop) {
    if (editorLoopIndex < 0 || editorLoopIndex >= kLoopBankSize) {
      ReportError(kSource, kLineColorsBadLoop, "");
      return status::kFaultReported;
    }
    colors = config.colorSets[ProConfig::kFirstLoopColorSet + editorLoopIndex];
  }
  services.view.SetEditorColors(colors);
  return status::kNothingDone;
}
