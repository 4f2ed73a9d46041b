// The tool windows and the Audio Editor's properties command of the command map.

#include "Generic.h"
#include "pro.h"

namespace {
constexpr const char* kSource = "pro";
constexpr int kLineNoEditorSnippet = 19680;
constexpr int kLineNoEditorLoop = 19687;
constexpr const char* kIndependentAudioText = "Independent Audio - No property information exists.";

void Toggle(ui::IViewHost& view, ui::ToolWindow window) {
  view.ShowToolWindow(window, !view.IsToolWindowShown(window));
}
}  // namespace

int CProApp::ToggleEffectsWindow() {
  Toggle(services.view, ui::ToolWindow::Effects);
  return status::kNothingDone;
}

int CProApp::ToggleLevelsWindow() {
  Toggle(services.view, ui::ToolWindow::Levels);
  return status::kNothingDone;
}

int CProApp::ToggleEditorToolWindow() {
  Toggle(services.view, ui::ToolWindow::EditorTool);
  return status::kNothingDone;
}

int CProApp::OnAudioProperties() {
  if (RefuseDuringPlayback()) return status::kNothingDone;
  int result = status::kNothingDone;
  if (editorSource == EditorSourceSnippet) {
    if (!editorSnippet) {
      ReportError(kSource, kLineNoEditorSnippet, "");
      return status::kFaultReported;
    }
    result = EditSnippetProperties(editorSnippet, editorTrackIndex);
  } else if (editorSource == EditorSourceLoop) {
    if (!editorLoop) {
      ReportError(kSource, kLineNoEditorLoop, "");
      return status::kFaultReported;
    }
    result = OnLoopProperties(editorLoop->loopNumber);
  } else {
    services.ui.Inform(kIndependentAudioText);
    return status::kNothingDone;
  }
  if (result != status::kDone) return result;
  // The editor plays its audio at the ratio of the project tempo to the audio's, which may have changed.
  services.view.SetEditorProjectTempo(project.tempo);
  if (services.view.IsToolWindowShown(ui::ToolWindow::EditorTool)) {
    services.view.RefreshToolWindow(ui::ToolWindow::EditorTool);
  }
  return result;
}

void CProApp::SetBypassAllEffects(int flag) { project.bypass.store(flag); }
