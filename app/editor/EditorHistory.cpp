// Undo and Redo: the history steps back or forward, then the Audio Editor
// shows what the step left it and every view follows.
#include "editor/EditorCommon.h"

using namespace editor;

void CProApp::ShowEditorContent(const EditorContent& content) {
  if (content.snippet) {
    SetEditorSnippet(content.snippet, content.trackIndex);
  } else if (content.loop) {
    OpenLoopInEditor(content.loop);
  } else if (content.segment) {
    SetEditorIndependentAudio(content.segment);
  } else {
    ClearEditor();
  }
}

void CProApp::FollowUndo(const COperation& record) {
  switch (record.type) {
    case OperationDeleteSnippets:
    case OperationJoinSnippets:
    case OperationClearTrack:
      if (record.editorBefore.snippet) SetEditorSnippet(record.editorBefore.snippet, record.editorBefore.trackIndex);
      break;
    case OperationDeleteLoop:
      if (record.editorBefore.loop) OpenLoopInEditor(record.editorBefore.loop);
      break;
    case OperationEditorContent:
      ShowEditorContent(record.editorBefore);
      services.view.UpdateEditorTimes();
      break;
    case OperationEditSnippetAudio:
      SetEditorSnippet(record.snippetD, record.trackD);
      break;
    case OperationEditLoopAudio:
      OpenLoopInEditor(record.oldLoop);
      break;
    case OperationEditIndependentAudio:
      SetEditorIndependentAudio(record.editorBefore.segment);
      break;
    default:
      break;
  }
}

void CProApp::FollowRedo(const COperation& record) {
  switch (record.type) {
    case OperationDeleteSnippets:
    case OperationJoinSnippets:
    case OperationClearTrack:
      if (record.editorBefore.snippet) ClearEditor();
      break;
    case OperationDeleteLoop:
      if (record.editorBefore.loop) ClearEditor();
      break;
    case OperationEditorContent:
      ShowEditorContent(record.editorAfter);
      services.view.UpdateEditorTimes();
      break;
    case OperationEditSnippetAudio:
      SetEditorSnippet(record.snippetC, record.trackC);
      break;
    case OperationEditLoopAudio:
      OpenLoopInEditor(record.newLoop);
      break;
    case OperationEditIndependentAudio:
      SetEditorIndependentAudio(record.editorAfter.segment);
      break;
    default:
      break;
  }
}

void CProApp::AfterHistoryStep() {
  // The project now differs from what was saved, whichever way the step went.
  modified = 1;
  project.DeselectUnselectedTracks();
  project.RecomputeProjectEnd();
  if (services.view.GetViewMode() == ViewModeTrack) {
    ShowPosition(playCursor);
    ShowLength(project.projectEnd);
  }
  services.view.RefreshAllViews();
}

int CProApp::OnUndo() {
  if (IsOperationRunning() || RefusedDuringPlayback(*this)) return status::kNothingDone;
  COperation* record = undoList.GetCurrent();
  if (!record) {
    services.ui.Inform(kNothingToUndoText);
    return status::kNothingDone;
  }
  if (undoList.Undo(&project, &loopBank) != 1) return status::kFaultReported;
  FollowUndo(*record);
  AfterHistoryStep();
  return status::kDone;
}

int CProApp::OnRedo() {
  if (IsOperationRunning() || RefusedDuringPlayback(*this)) return status::kNothingDone;
  COperation* record = undoList.GetNextToRedo();
  if (!record) {
    services.ui.Inform(kNothingToRedoText);
    return status::kNothingDone;
  }
  // A redone step reports its own last result; the history moved when the record is current.
  if (undoList.Redo(&project, &loopBank) == 0 || undoList.GetCurrent() != record) return status::kFaultReported;
  FollowRedo(*record);
  AfterHistoryStep();
  return status::kDone;
}
