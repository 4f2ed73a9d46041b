// The three appliers: an edit operation run on what the Audio Editor holds (a
// track snippet's audio, independent audio, a loop's audio), the result put in
// the model's place and recorded for undo.
#include <algorithm>
#include <memory>
#include <new>

#include "AudioSnippetExtended.h"
#include "EditRunning.h"
#include "Folders.h"
#include "Generic.h"
#include "edit/EditWorkers.h"
#include "pro.h"

namespace {

constexpr int kLineNoView = __LINE__;
constexpr int kLineNoEditedAudio = __LINE__;
constexpr int kLineNoClone = __LINE__;
constexpr int kLineNoResultObject = __LINE__;

constexpr uint32_t kLoopRefusedFrames = 1323001;
constexpr const char* kLoopTooLongText =
    "Cannot perform this operation.  Loop segments cannot extend beyond the 30 second limit.";

// A result that is not kept goes with its files.
void DiscardResult(const std::shared_ptr<CAudioSegment>& segment) {
  if (!segment) return;
  segment->Close();
  platform::RemoveFile(segment->GetPcmFileName());
  platform::RemoveFile(segment->GetPeakFileName());
}

}  // namespace

void CProApp::FillOperationRecord(OperationParameters& p, int32_t operation, int32_t range) {
  p.request.operation = operation;
  p.request.range = range;
  p.request.params.range = range;
  p.audioClipboard = &audioClipboard;
  p.workBuffer = static_cast<int16_t*>(workBuffer.Data());
  p.workFrames = workBlockSize;
  p.progress = OperationProgressCallback;
  p.tempFolder = tempFolder;
  platform::CreateFolder(tempFolder);  // the results go there; it may have been deleted
  p.projectTempo = project.tempo;
  p.beatsPerBarChoice = project.beatsPerBarChoice;
}

int CProApp::ApplySnippetEdit(int32_t operation, int32_t range) { return ApplyEdit(EditTarget::Snippet, operation, range); }

int CProApp::ApplyIndependentEdit(int32_t operation, int32_t range) {
  return ApplyEdit(EditTarget::Independent, operation, range);
}

int CProApp::ApplyLoopEdit(int32_t operation, int32_t range) { return ApplyEdit(EditTarget::Loop, operation, range); }

int CProApp::ApplyEdit(EditTarget target, int32_t operation, int32_t range) {
  if (IsOperationRunning()) return OperationResultNothing;
  if (!services.view.HasView()) return ReportedFault(kLineNoView);
  std::shared_ptr<CAudioSegment> edited = GetEditorSegment();
  if (edited && audioClipboard &&
      (operation == EditOpPasteInsert || operation == EditOpPasteOver || operation == EditOpPasteMix)) {
    // How long the paste makes the audio, refused before any of it is written.
    const uint64_t reach = operation == EditOpPasteInsert
                               ? uint64_t{edited->length} + audioClipboard->length
                               : std::max<uint64_t>(edited->length,
                                                    uint64_t{InsertionPoint(*edited, range)} + audioClipboard->length);
    if (target == EditTarget::Loop && reach >= kLoopRefusedFrames) {
      services.ui.Inform(kLoopTooLongText);
      return OperationResultNothing;
    }
    if (target == EditTarget::Snippet && editorSnippet &&
        RefusePastProjectEnd(editorSnippet->start + uint64_t{ScaledFrames(reach, edited->tempo, project.tempo)})) {
      return OperationResultNothing;
    }
  }

  // A cut or a delete makes a loop faster: past 250 BPM it is refused before
  // the clipboard or anything else changes.
  if (target == EditTarget::Loop && edited && editorLoop && edited->length > 0 &&
      (operation == EditOpCut || operation == EditOpDelete)) {
    const uint32_t left = edited->length - ResolveRange(*edited, range).count;
    const float tempo = LoopTempoOf(static_cast<float>(left) / static_cast<float>(CAudioSegment::kFramesPerSecond),
                                    editorLoop->GetMeasures(), BeatsPerMeasure(project.beatsPerBarChoice));
    if (tempo > edited->tempo && RefuseLoopTempo(tempo)) {
      services.ui.Inform(kLoopTempoTooHighText);
      return OperationResultNothing;
    }
  }

  COperationRunning running(*this);
  OperationParameters params;
  FillOperationRecord(params, operation, range);
  params.undoKind = target == EditTarget::Snippet       ? OperationEditSnippetAudio
                    : target == EditTarget::Independent ? OperationEditIndependentAudio
                                                        : OperationEditLoopAudio;
  params.trackIndex = editorTrackIndex;
  params.sourceSnippet = editorSnippet;
  params.sourceLoop = editorLoop;
  params.sourceSegment = edited.get();
  std::shared_ptr<CAudioSegment> resultSegment;
  if (target == EditTarget::Independent && edited) resultSegment = NewAudioSegment();
  if (!GetOperationParameters(params.request, params, edited ? static_cast<int16_t>(edited->GetChannels()) : 0)) {
    return OperationResultNothing;
  }
  if (!edited) return ReportedFault(kLineNoEditedAudio);
  if (resultSegment) edited->CopyAttributesTo(resultSegment.get());

  auto record = std::make_unique<COperation>(params.undoKind);
  progressWindow.Begin();
  SetOperationCaption(operation);
  std::shared_ptr<CAudioSnippet> newSnippet;
  std::shared_ptr<CAudioLoop> newLoop;
  if (target == EditTarget::Snippet) {
    // The clone starts without audio of its own: a cancelled edit must not
    // take the snippet's segment with it.
    auto extended = std::dynamic_pointer_cast<CAudioSnippetExtended>(editorSnippet);
    std::shared_ptr<CAudioSnippetExtended> clone;
    if (!extended || extended->Clone(&clone) != 1 || !clone) {
      progressWindow.End();
      return ReportedFault(kLineNoClone);
    }
    clone->SetSegment(nullptr);
    newSnippet = clone;
    params.resultSnippet = &newSnippet;
  } else if (target == EditTarget::Loop) {
    newLoop = std::shared_ptr<CAudioLoop>(new (std::nothrow) CAudioLoop());
    if (!newLoop || !editorLoop) {
      progressWindow.End();
      return ReportedFault(kLineNoResultObject);
    }
    editorLoop->CopyAttributesTo(newLoop.get());
    params.resultLoop = newLoop;
  }
  uint32_t total = 0;
  if (ComputeOperationTotal(operation, params.request.params.range, edited.get(), audioClipboard.get(), &total) != 0) {
    progressWindow.End();
    return OperationResultFault;
  }
  progressWindow.SetTotal(total);

  params.resultSegment = &resultSegment;
  OperationResult worked = OperationResultFault;
  if (target == EditTarget::Snippet) {
    worked = EditSnippetSegment(&params);
    if (worked == OperationResultDone) newSnippet->SetTempo(project.tempo);
  } else if (target == EditTarget::Independent) {
    worked = RunEditOperation(edited.get(), &resultSegment, &params);
  } else {
    worked = EditLoopSegment(&params);
  }
  progressWindow.End();
  if (worked != OperationResultDone) {
    DiscardResult(resultSegment);
    return worked;
  }
  // A loop stays within the loop bank's limit, and a snippet within the
  // project's, whatever the operation made of it.
  if (target == EditTarget::Loop && resultSegment->length > kMaxLoopFrames) {
    DiscardResult(resultSegment);
    services.ui.Inform(kLoopTooLongText);
    return OperationResultNothing;
  }
  // A loop made shorter plays faster: past 250 BPM it is refused.
  if (target == EditTarget::Loop && resultSegment->tempo > edited->tempo) {
    if (const char* tooFast = RefuseLoopTempo(resultSegment->tempo)) {
      DiscardResult(resultSegment);
      services.ui.Inform(tooFast);
      return OperationResultNothing;
    }
  }
  if (target == EditTarget::Snippet && RefusePastProjectEnd(uint64_t{newSnippet->start} + newSnippet->length)) {
    DiscardResult(resultSegment);
    return OperationResultNothing;
  }

  const int16_t track = editorTrackIndex;
  if (target == EditTarget::Snippet) {
    record->snippetD = editorSnippet;
    record->trackD = track;
    record->snippetC = newSnippet;
    record->trackC = track;
    record->editorBefore = EditorContent{editorSnippet, track, nullptr, nullptr};
    record->editorAfter = EditorContent{newSnippet, track, nullptr, nullptr};
    project.RemoveSnippet(track, editorSnippet->GetIdentifier());
    project.AddSnippetToTrack(newSnippet, track);
    project.RecomputeProjectEnd();
  } else if (target == EditTarget::Independent) {
    record->editorBefore.segment = edited;
    record->editorAfter.segment = resultSegment;
  } else {
    record->oldLoop = editorLoop;
    record->newLoop = newLoop;
    record->editorBefore.loop = editorLoop;
    record->editorAfter.loop = newLoop;
    loopBank.RemoveLoop(editorLoop->GetIdentifier());
    loopBank.AddLoop(newLoop);
  }
  undoList.Add(std::move(record));
  modified = 1;
  FreeEffectRecord(params.request.params);
  if (target == EditTarget::Snippet) {
    SetEditorSnippet(newSnippet, track);
  } else if (target == EditTarget::Independent) {
    SetEditorIndependentAudio(resultSegment);
  } else {
    OpenLoopInEditor(newLoop);
  }
  services.view.RefreshAllViews();
  return OperationResultDone;
}
