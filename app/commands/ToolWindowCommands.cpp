// The tool windows and the Audio Editor's properties command of the command map.

#include "pro.h"

namespace {
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
  if (editorSource == EditorSourceSnippet || editorSource == EditorSourceLoop) return status::kNothingDone;
  services.ui.Inform(kIndependentAudioText);
  return status::kNothingDone;
}

void CProApp::SetBypassAllEffects(int flag) { project.bypass.store(flag); }
