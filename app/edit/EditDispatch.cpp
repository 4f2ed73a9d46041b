// The dispatcher of the edit workers, and the finishing of a snippet's or a
// loop's result.
#include <algorithm>
#include <limits>

#include "AudioLoop.h"
#include "AudioSegment.h"
#include "AudioSnippet.h"
#include "EditWorkers.h"
#include "Generic.h"

namespace {

constexpr const char* kSource = "pro";
constexpr int kLineNoRecord = __LINE__;
constexpr int kLineNoSource = __LINE__;
constexpr int kLineNoClipboardSlot = __LINE__;
constexpr int kLineNoResult = __LINE__;
constexpr int kLineNoSnippetSegment = __LINE__;
constexpr int kLineNoResultSnippet = __LINE__;
constexpr int kLineNoLoopSegment = __LINE__;
constexpr int kLineNoResultLoop = __LINE__;
constexpr int kLineNoTotalSegment = __LINE__;
constexpr int kLineNoTotalClipboard = __LINE__;

EditWorker WorkerFor(int32_t operation) {
  switch (operation) {
    case EditOpMute:
      return EditMute;
    case EditOpCopyWhole:
    case EditOpCopy:
      return EditCopyRange;
    case EditOpPasteInsert:
      return EditPasteInsert;
    case EditOpPasteOver:
      return EditPasteOver;
    case EditOpPasteMix:
      return EditPasteMix;
    case EditOpDelete:
      return EditDeleteRange;
    case EditOpVolume:
      return EditVolume;
    case EditOpFade:
      return EditFade;
    case EditOpReverse:
      return EditReverse;
    case EditOpSwapChannels:
      return EditSwapChannels;
    case EditOpCopyChannel:
      return EditCopyChannel;
    case EditOpEcho:
    case EditOpFlange:
    case EditOpReverb:
    case EditOpEqualizer:
    case EditOpChorus:
      return EditApplyEffect;
    case EditOpStretch:
    case EditOpPitchShift:
      return EditTempoPitch;
    case EditOpConvertChannels:
      return EditConvertChannels;
    default:
      return nullptr;
  }
}

// A view that no longer fits the audio shows all of it.
void FitView(CAudioSegment& r) {
  if (r.length < r.viewStart || r.length < r.viewEnd) {
    r.viewStart = 0;
    r.viewEnd = r.viewWidth = r.length;
  }
}

}  // namespace

OperationResult ReportedFault(int line) {
  ReportError(kSource, line, "");
  return OperationResultFault;
}

OperationResult RunEditOperation(CAudioSegment* source, std::shared_ptr<CAudioSegment>* result,
                                 OperationParameters* params) {
  if (!params) return ReportedFault(kLineNoRecord);
  if (!source || !result) return ReportedFault(kLineNoSource);
  const int32_t operation = params->request.operation;
  const int32_t range = params->request.params.range;
  ClampSelection(*source);

  OperationResult worked;
  if (operation == EditOpCut) {
    if (!params->audioClipboard) return ReportedFault(kLineNoClipboardSlot);
    params->audioClipboard->reset();
    worked = EditCopyRange(source, params->audioClipboard, params);
    if (worked != OperationResultDone) return worked;
    worked = EditDeleteRange(source, result, params);
  } else if (EditWorker worker = WorkerFor(operation)) {
    worked = worker(source, result, params);
  } else {
    return OperationResultNothing;
  }
  if (worked != OperationResultDone) return worked;
  if (!*result) return ReportedFault(kLineNoResult);

  CAudioSegment& r = **result;
  const bool removes = operation == EditOpCut || operation == EditOpDelete;
  const bool pastes =
      operation == EditOpPasteInsert || operation == EditOpPasteOver || operation == EditOpPasteMix;
  if (pastes) {
    r.trackerStart = source->trackerStart;
    r.trackerEnd = source->trackerEnd;
    r.trackerSize = source->trackerSize;
  } else {
    FitView(r);
  }
  if (removes && range == EditRangeHighlighted) {
    r.trackerEnd = r.trackerStart;
    r.trackerSize = 0;
  }
  if (removes && range == EditRangeMarkers) {
    r.markerStart = r.markerEnd = CAudioSegment::kMarkerUnset;
    r.markerSize = 0;
  }
  if (range == EditRangeHighlighted) {
    if (removes) r.AdjustMarkers(1, source->trackerStart, source->trackerEnd);
    if (operation == EditOpPasteInsert && params->audioClipboard && *params->audioClipboard) {
      r.AdjustMarkers(2, source->trackerStart, source->trackerStart + (*params->audioClipboard)->length);
    }
  }
  r.tempo = source->tempo;
  ClampSelection(r);
  return OperationResultDone;
}

OperationResult EditSnippetSegment(OperationParameters* params) {
  if (!params) return ReportedFault(kLineNoRecord);
  std::shared_ptr<CAudioSegment> source;
  if (params->sourceSnippet) params->sourceSnippet->GetSegment(&source);
  if (!source) return ReportedFault(kLineNoSnippetSegment);
  if (!params->resultSnippet || !*params->resultSnippet) return ReportedFault(kLineNoResultSnippet);
  std::shared_ptr<CAudioSegment> local;
  std::shared_ptr<CAudioSegment>* result = params->resultSegment ? params->resultSegment : &local;
  const OperationResult worked = RunEditOperation(source.get(), result, params);
  if (worked != OperationResultDone) return worked;
  if (!*result) return ReportedFault(kLineNoResult);

  CAudioSegment& r = **result;
  // A result too short for one peak record has nothing to map.
  if (r.length >= kFramesPerPeak) r.GetPeakFile().Open(0);
  r.tempo = source->tempo;
  CAudioSnippet& snippet = **params->resultSnippet;
  snippet.SetSegment(*result);
  snippet.tempo = params->projectTempo;
  snippet.SetTempo(snippet.GetSourceTempo());
  return OperationResultDone;
}

OperationResult EditLoopSegment(OperationParameters* params) {
  if (!params) return ReportedFault(kLineNoRecord);
  CAudioSegment* source = params->sourceLoop ? params->sourceLoop->Segment() : nullptr;
  if (!source) return ReportedFault(kLineNoLoopSegment);
  if (!params->resultLoop) return ReportedFault(kLineNoResultLoop);
  std::shared_ptr<CAudioSegment> local;
  std::shared_ptr<CAudioSegment>* result = params->resultSegment ? params->resultSegment : &local;
  const OperationResult worked = RunEditOperation(source, result, params);
  if (worked != OperationResultDone) return worked;
  if (!*result) return ReportedFault(kLineNoResult);

  CAudioSegment& r = **result;
  if (r.length >= kFramesPerPeak) r.GetPeakFile().Open(0);
  // The rate follows the source; the channel count stays what the worker wrote.
  AudioQuality format = r.GetFormat();
  format.samplesPerSecond = source->GetFormat().samplesPerSecond;
  r.SetFormat(format);
  const float seconds = r.GetLengthSeconds();
  if (seconds > 0.0f) {
    r.tempo = LoopTempoOf(seconds, params->resultLoop->GetMeasures(), BeatsPerMeasure(params->beatsPerBarChoice));
  }
  params->resultLoop->SetSegment(*result);
  return OperationResultDone;
}

int ComputeOperationTotal(int32_t operation, int32_t range, const CAudioSegment* segment,
                          const CAudioSegment* clipboard, uint32_t* total) {
  if (!segment || !total) return ReportedFault(kLineNoTotalSegment);
  const bool pastes = operation == EditOpPasteInsert || operation == EditOpPasteOver || operation == EditOpPasteMix;
  if (pastes && !clipboard) return ReportedFault(kLineNoTotalClipboard);
  const uint64_t length = segment->length;
  uint64_t frames = 0;
  if (operation == EditOpMute || operation == EditOpCut || (operation >= EditOpVolume && operation <= EditOpConvertChannels)) {
    frames = length;
  } else if (operation == EditOpPasteInsert) {
    frames = length + clipboard->length;
  } else if (pastes) {
    frames = std::max<uint64_t>(length, uint64_t{InsertionPoint(*segment, range)} + clipboard->length);
  } else if (operation == EditOpDelete) {
    frames = length - ResolveRange(*segment, range).count;
  }
  *total = static_cast<uint32_t>(std::min<uint64_t>(frames, std::numeric_limits<uint32_t>::max()));
  return 0;
}
