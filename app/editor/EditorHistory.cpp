// Undo and Redo: the history steps back or forward, then the Audio Editor
// shows what the step left it and every view follows.
#include "editor/EditorCommon.h"
#include "AudioLoop.h"

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

namespace {

// The Loop Bank row a loop step touches, taken before the step renumbers the bank.
int LoopRowOf(const COperation& record) {
  const std::shared_ptr<CAudioLoop>& loop =
      record.type == OperationAddLoop ? record.newLoop : record.type == OperationDeleteLoop ? record.oldLoop : nullptr;
  return loop ? loop->loopNumber : -1;
}

}  // namespace

void CProApp::FollowUndo(const COperation& record, int loopRow) {
  switch (record.type) {
    case OperationAddLoop:
      services.view.RefreshLoopBankRow(loopRow);
      break;
    case OperationDeleteSnippets:
    case OperationJoinSnippets:
    case OperationClearTrack:
      if (record.editorBefore.snippet) SetEditorSnippet(record.editorBefore.snippet, record.editorBefore.trackIndex);
      break;
    case OperationDeleteLoop:
      services.view.RefreshLoopBank();
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

void CProApp::FollowRedo(const COperation& record, int loopRow) {
  switch (record.type) {
    case OperationAddLoop:
      services.view.RefreshLoopBank();
      break;
    case OperationDeleteSnippets:
    case OperationJoinSnippets:
    case OperationClearTrack:
      if (record.editorBefore.snippet) ClearEditor();
      break;
    case OperationDeleteLoop:
      services.view.RefreshLoopBankRow(loopRow);
      services.view.RefreshLoopBank();
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
  UpdateLoopMemory(true);
  project.RecomputeProjectEnd();
  if (services.view.GetViewMode() == ViewModeTrack) {
    ShowPosition(playCursor);
    ShowLength(project.projectEnd);
  }
  services.view.RefreshAllViews();
  services.view.RebuildEffectsTabs();
}

int CProApp::OnUndo() {
  if (track::Refused(*this)) return status::kNothingDone;
  COperation* record = undoList.GetCurrent();
  if (!record) {
    services.ui.Inform(kNothingToUndoText);
    return status::kNothingDone;
  }
  const int loopRow = LoopRowOf(*record);
  if (undoList.Undo(&project, &loopBank) != 1) return status::kFaultReported;
  FollowUndo(*record, loopRow);
  AfterHistoryStep();
  return status::kDone;
}

int CProApp::OnRedo() {
  if (track::Refused(*this)) return status::kNothingDone;
  COperation* record = undoList.GetNextToRedo();
  if (!record) {
    services.ui.Inform(kNothingToRedoText);
    return status::kNothingDone;
  }
  // A redone step reports its own last result; the history moved when the record is current.
  const int loopRow = LoopRowOf(*record);
  if (undoList.Redo(&project, &loopBank) == 0 || undoList.GetCurrent() != record) return status::kFaultReported;
  FollowRedo(*record, loopRow);
  AfterHistoryStep();
  return status::kDone;
}
