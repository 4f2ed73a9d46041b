// What the Audio Editor holds: nothing, independent audio, a track snippet's
// audio or a loop's audio, and the segment it shows.
#include "pro.h"

namespace {

void CloseShown(const std::shared_ptr<CAudioSegment>& segment) {
  if (segment) segment->Close();
}

}  // namespace

void CProApp::SetEditorSnippet(std::shared_ptr<CAudioSnippet> snippet, int16_t trackIndex) {
  CloseShown(editorSegment);
  editorSource = EditorSourceSnippet;
  editorLoop.reset();
  editorSnippet = std::move(snippet);
  editorTrackIndex = trackIndex;
  editorSegment.reset();
  if (editorSnippet) editorSnippet->GetSegment(&editorSegment);
  services.view.SetEditorSegment(editorSegment.get());
  services.view.SetEditorProjectTempo(project.tempo);
}

void CProApp::SetEditorIndependentAudio(std::shared_ptr<CAudioSegment> segment) {
  CloseShown(editorSegment);
  editorSource = EditorSourceIndependent;
  editorSnippet.reset();
  editorLoop.reset();
  editorSegment = std::move(segment);
  services.view.SetEditorSegment(editorSegment.get());
  services.view.SetEditorProjectTempo(project.tempo);
}

void CProApp::ClearEditor() {
  CloseShown(editorSegment);
  editorSource = EditorSourceNothing;
  editorSnippet.reset();
  editorLoop.reset();
  editorSegment.reset();
  services.view.SetEditorSegment(nullptr);
}

void CProApp::OpenLoopInEditor(std::shared_ptr<CAudioLoop> loop) {
  if (!loop || project.IsLoopInUse(loop->GetIdentifier())) {
    ClearEditor();
    return;
  }
  CloseShown(editorSegment);
  editorSource = EditorSourceLoop;
  editorSnippet.reset();
  editorLoop = std::move(loop);
  editorLoopIndex = editorLoop->loopNumber;
  editorLoop->FreeBuffer();
  editorSegment.reset();
  editorLoop->GetSegment(&editorSegment);
  services.view.SetEditorSegment(editorSegment.get());
  services.view.SetEditorProjectTempo(project.tempo);
}

std::shared_ptr<CAudioSegment> CProApp::GetEditorSegment() const {
  std::shared_ptr<CAudioSegment> segment;
  switch (editorSource) {
    case EditorSourceSnippet:
      if (editorSnippet) editorSnippet->GetSegment(&segment);
      break;
    case EditorSourceLoop:
      if (editorLoop) editorLoop->GetSegment(&segment);
      break;
    case EditorSourceIndependent:
      segment = editorSegment;
      break;
    default:
      break;
  }
  return segment;
}
