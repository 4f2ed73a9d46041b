// The Audio Editor's Edit menu: copy, cut, the pastes and delete by highlight
// or by markers, mono/stereo conversion, Clear Current Audio, and the paste
// that fills an empty editor.
#include <algorithm>
#include <cstring>

#include "EditRunning.h"
#include "Folders.h"
#include "Generic.h"
#include "edit/EditWorkers.h"
#include "editor/EditorCommon.h"

using namespace editor;

namespace {

constexpr uint32_t kOneSecond = 44100;
constexpr int kLinePadRead = __LINE__;
constexpr int kLinePadWrite = __LINE__;

bool HasClipboard(const CProApp& app) { return app.audioClipboard && app.audioClipboard->length > 0; }

// The copy rewritten as exactly one second: its audio, then silence.
bool PadToOneSecond(CAudioSegment& segment, int16_t* work) {
  const uint32_t frameBytes = segment.GetChannels() * 2u;
  std::memset(work, 0, static_cast<size_t>(kOneSecond) * frameBytes);
  uint32_t got = 0;
  if (segment.Open(0) != 1 || segment.Read(work, segment.length, &got) != 1 || got != segment.length) {
    segment.Close();
    ReportError(kSource, kLinePadRead, "");
    return false;
  }
  segment.Close();
  uint32_t written = 0;
  const bool wrote = segment.Open(1) == 1 && segment.Write(work, kOneSecond, &written) == 0 && written == kOneSecond;
  if (segment.Close() != 1 || !wrote) {
    ReportError(kSource, kLinePadWrite, "");
    return false;
  }
  segment.length = kOneSecond;
  return true;
}

void Discard(const std::shared_ptr<CAudioSegment>& segment) {
  if (!segment) return;
  segment->Close();
  platform::RemoveFile(segment->GetPcmFileName());
  platform::RemoveFile(segment->GetPeakFileName());
}

}  // namespace

bool CProApp::EditorCommandsBlocked() const {
  return IsOperationRunning() || playing.load() != 0 || recording.load() != 0;
}

int CProApp::RunOnEditor(int32_t operation, int32_t range) {
  switch (editorSource) {
    case EditorSourceIndependent:
      return ToStatus(ApplyIndependentEdit(operation, range));
    case EditorSourceSnippet:
      return ToStatus(ApplySnippetEdit(operation, range));
    case EditorSourceLoop:
      return ToStatus(ApplyLoopEdit(operation, range));
    default:
      return status::kNothingDone;
  }
}

int CProApp::OnCopyHighlighted() {
  if (EditorCommandsBlocked()) return status::kNothingDone;
  std::shared_ptr<CAudioSegment> segment = GetEditorSegment();
  if (!segment) {
    services.ui.Inform(kNoAudioToCopyText);
    return status::kNothingDone;
  }
  if (!CheckHighlighted()) return status::kNothingDone;
  return CopyToAudioClipboard(segment.get(), EditRangeHighlighted);
}

int CProApp::OnCopyBetweenMarkers() {
  if (EditorCommandsBlocked()) return status::kNothingDone;
  std::shared_ptr<CAudioSegment> segment = GetEditorSegment();
  if (!segment || !CheckMarkersSet()) return status::kNothingDone;
  if (segment->markerSize == 0) {
    services.ui.Inform(kMarkersNotSetText);
    return status::kNothingDone;
  }
  return CopyToAudioClipboard(segment.get(), EditRangeMarkers);
}

int CProApp::OnCutHighlighted() {
  if (EditorCommandsBlocked()) return status::kNothingDone;
  std::shared_ptr<CAudioSegment> segment = GetEditorSegment();
  if (!segment) {
    services.ui.Inform(kNoAudioToCutText);
    return status::kNothingDone;
  }
  if (!CheckHighlighted()) return status::kNothingDone;
  if (segment->trackerSize == 0) {
    services.ui.Inform(kNoAudioSelectedText);
    return status::kNothingDone;
  }
  if (!CheckRangeLeavesOneSecond(EditRangeHighlighted)) return status::kNothingDone;
  return RunOnEditor(EditOpCut, EditRangeHighlighted);
}

int CProApp::RemoveBetweenMarkers(int32_t operation) {
  if (EditorCommandsBlocked()) return status::kNothingDone;
  std::shared_ptr<CAudioSegment> segment = GetEditorSegment();
  if (!segment || !CheckMarkersSet() || !CheckRangeLeavesOneSecond(EditRangeMarkers)) return status::kNothingDone;
  if (segment->markerSize == 0) {
    services.ui.Inform(kMarkersNotSetText);
    return status::kNothingDone;
  }
  return RunOnEditor(operation, EditRangeMarkers);
}

int CProApp::OnCutBetweenMarkers() { return RemoveBetweenMarkers(EditOpCut); }

int CProApp::OnPasteInsert() {
  if (EditorCommandsBlocked()) return status::kNothingDone;
  if (!HasClipboard(*this)) {
    services.ui.Inform(kClipboardEmptyText);
    return status::kNothingDone;
  }
  // An editor that shows nothing is an empty editor, whatever it was told to hold.
  if (!GetEditorSegment()) return PasteIntoEmptyEditor();
  return RunOnEditor(EditOpPasteInsert, EditRangeHighlighted);
}

int CProApp::PasteByHighlight(int32_t operation) {
  if (EditorCommandsBlocked()) return status::kNothingDone;
  if (!HasClipboard(*this)) {
    services.ui.Inform(kClipboardEmptyText);
    return status::kNothingDone;
  }
  if (!GetEditorSegment()) return status::kNothingDone;
  return RunOnEditor(operation, EditRangeHighlighted);
}

int CProApp::OnPasteOver() { return PasteByHighlight(EditOpPasteOver); }

int CProApp::OnPasteMix() { return PasteByHighlight(EditOpPasteMix); }

int CProApp::PasteAtBeginMarker(int32_t operation) {
  if (EditorCommandsBlocked()) return status::kNothingDone;
  std::shared_ptr<CAudioSegment> segment = GetEditorSegment();
  if (!segment) return status::kNothingDone;
  if (segment->markerStart == CAudioSegment::kMarkerUnset) {
    services.ui.Inform(kBeginMarkerNotSetText);
    return status::kNothingDone;
  }
  if (!HasClipboard(*this)) {
    services.ui.Inform(kClipboardEmptyText);
    return status::kNothingDone;
  }
  return RunOnEditor(operation, EditRangeMarkers);
}

int CProApp::OnPasteInsertAtMarker() { return PasteAtBeginMarker(EditOpPasteInsert); }

int CProApp::OnPasteOverAtMarker() { return PasteAtBeginMarker(EditOpPasteOver); }

int CProApp::OnPasteMixAtMarker() { return PasteAtBeginMarker(EditOpPasteMix); }

int CProApp::OnDeleteHighlighted() {
  if (EditorCommandsBlocked()) return status::kNothingDone;
  std::shared_ptr<CAudioSegment> segment = GetEditorSegment();
  // Nothing to delete comes first: the highlight check needs audio to look at.
  if (!segment) {
    services.ui.Inform(kNoAudioToDeleteText);
    return status::kNothingDone;
  }
  if (!CheckHighlighted() || !CheckRangeLeavesOneSecond(EditRangeHighlighted)) return status::kNothingDone;
  if (segment->trackerSize == 0) {
    services.ui.Inform(kNoAudioSelectedText);
    return status::kNothingDone;
  }
  return RunOnEditor(EditOpDelete, EditRangeHighlighted);
}

int CProApp::OnDeleteBetweenMarkers() { return RemoveBetweenMarkers(EditOpDelete); }

int CProApp::OnConvertChannels() {
  if (EditorCommandsBlocked() || !GetEditorSegment()) return status::kNothingDone;
  return RunOnEditor(EditOpConvertChannels, EditRangeWhole);
}

int CProApp::OnClearCurrentAudio() {
  if (EditorCommandsBlocked() || !GetEditorSegment()) return status::kNothingDone;
  auto record = std::make_unique<COperation>(OperationEditorContent);
  record->editorBefore = track::ShownContent(*this);
  undoList.Add(std::move(record));
  modified = 1;
  ClearEditor();
  services.view.RefreshCurrentView();
  return status::kDone;
}

int CProApp::PasteIntoEmptyEditor() {
  if (EditorCommandsBlocked()) return status::kNothingDone;
  if (!HasClipboard(*this)) {
    services.ui.Inform(kClipboardEmptyText);
    return status::kNothingDone;
  }
  std::shared_ptr<CAudioSegment> copy;
  {
    COperationRunning running(*this);
    OperationParameters params;
    FillOperationRecord(params, EditOpCopy, EditRangeWhole);
    params.undoKind = OperationEditIndependentAudio;
    params.sourceSegment = audioClipboard.get();
    progressWindow.Begin();
    progressWindow.SetMessage(kPastingCaption, 1);
    progressWindow.SetTotal(audioClipboard->length);
    const OperationResult copied = EditCopyRange(audioClipboard.get(), &copy, &params);
    progressWindow.End();
    if (copied == OperationResultCancelled) return status::kCancelled;
    if (copied != OperationResultDone || !copy) return status::kFaultReported;
    if (copy->length < kOneSecond && !PadToOneSecond(*copy, params.workBuffer)) {
      Discard(copy);
      return status::kFaultReported;
    }
  }
  if (copy->length >= kFramesPerPeak) copy->GetPeakFile().Open(0);
  copy->viewStart = 0;
  copy->viewEnd = copy->viewWidth = copy->length;
  copy->tempo = project.tempo;

  auto record = std::make_unique<COperation>(OperationEditorContent);
  record->editorBefore = track::ShownContent(*this);
  record->editorAfter.segment = copy;
  modified = 1;
  undoList.Add(std::move(record));
  SetEditorIndependentAudio(copy);
  ApplyEditorColorSet();
  services.view.RefreshAllViews();
  return status::kDone;
}
