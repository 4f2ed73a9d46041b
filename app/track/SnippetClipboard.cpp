// The snippet clipboard: Copy, Cut, Delete and Paste of the selected track's
// selected snippets, and the paste worker.
#include <algorithm>
#include <new>

#include "AudioSnippetExtended.h"
#include "AudioSnippetLoop.h"
#include "EditRunning.h"
#include "Generic.h"
#include "edit/EditWorkers.h"
#include "pro.h"
#include "track/TrackCommands.h"
#include "track/TrackWorkers.h"

namespace {

constexpr int kLineNoRecord = __LINE__;
constexpr int kLineNoMemory = __LINE__;
constexpr int kLineNoSegment = __LINE__;
constexpr int kLineBadTrack = __LINE__;

// Every segment B's extended snippets hold: the copies a failed paste leaves.
void DiscardPasted(CAudioTrackList& pasted) {
  CAudioTrack* t = nullptr;
  pasted.ResetIterator();
  while (pasted.GetNextTrack(&t) == 1 && t) {
    for (const auto& s : t->Snippets().Snippets()) {
      std::shared_ptr<CAudioSegment> segment;
      if (s->kind == CAudioSnippet::kKindExtended && s->GetSegment(&segment) == 1) track::DiscardAudio(segment);
    }
  }
}

// A new snippet carrying source's place and timing, on a copy of its audio
// (extended) or on the same loop.
OperationResult PasteOne(const CAudioSnippet& source, OperationParameters* p, std::shared_ptr<CAudioSnippet>* out) {
  if (source.kind == CAudioSnippet::kKindLoop) {
    const auto& loop = static_cast<const CAudioSnippetLoop&>(source).GetLoopPtr();
    std::shared_ptr<CAudioSnippetLoop> made(new (std::nothrow) CAudioSnippetLoop(loop));
    if (!made) return ReportedFault(kLineNoMemory);
    source.CopyAttributesTo(made.get());
    *out = std::move(made);
    return p->progress(static_cast<int>(source.length)) == 0 ? OperationResultCancelled : OperationResultDone;
  }
  std::shared_ptr<CAudioSegment> original;
  source.GetSegment(&original);
  if (!original) return ReportedFault(kLineNoSegment);
  std::shared_ptr<CAudioSnippetExtended> made(new (std::nothrow) CAudioSnippetExtended());
  if (!made) return ReportedFault(kLineNoMemory);
  std::shared_ptr<CAudioSegment> copy;
  const OperationResult copied = RunEditOperation(original.get(), &copy, p);
  if (copied != OperationResultDone) return copied;
  track::FinishSegment(*copy);
  copy->SetFormat(original->GetFormat());
  copy->viewStart = original->viewStart;
  copy->viewEnd = original->viewEnd;
  copy->viewWidth = original->viewWidth;
  copy->tempo = original->tempo;
  source.CopyAttributesTo(made.get());
  made->SetSegment(std::move(copy));
  *out = std::move(made);
  return OperationResultDone;
}

}  // namespace

std::vector<std::shared_ptr<CAudioSnippet>> SnippetsToPaste(CAudioTrack& track) {
  std::vector<std::shared_ptr<CAudioSnippet>> heard;
  CAudioSnippetList& list = track.Snippets();
  list.ResetIterator();
  list.SetWindow(0, UINT32_MAX);
  CAudioSnippet* piece = nullptr;
  uint32_t from = 0, to = 0;
  while (list.GetNextVisiblePiece(&piece, &from, &to) == 1) {
    if (!piece || from >= to) continue;
    const bool seen = std::any_of(heard.begin(), heard.end(), [piece](const auto& s) { return s.get() == piece; });
    if (seen) continue;
    for (const auto& s : list.Snippets()) {
      if (s.get() == piece) heard.push_back(s);
    }
  }
  // A snippet split by another is pasted once, and what lay on top stays on top.
  std::stable_sort(heard.begin(), heard.end(), [](const auto& a, const auto& b) { return a->layer < b->layer; });
  return heard;
}

int SumSnippetLengths(CAudioTrackList* list, uint32_t* total) {
  if (!list || !total) return ReportedFault(kLineNoRecord);
  uint64_t sum = 0;
  CAudioTrack* t = nullptr;
  list->ResetIterator();
  while (list->GetNextTrack(&t) == 1 && t) {
    for (const auto& s : SnippetsToPaste(*t)) sum += s->length;
  }
  *total = static_cast<uint32_t>(std::min<uint64_t>(sum, UINT32_MAX));
  return OperationResultDone;
}

OperationResult PasteSnippetsWorker(OperationParameters* p) {
  if (!p || !p->listA || !p->listB || !p->progress) return ReportedFault(kLineNoRecord);
  // The clipboard's cursor is walked below, so the tracks are taken first.
  std::vector<CAudioTrack*> sources;
  CAudioTrack* t = nullptr;
  p->listA->ResetIterator();
  while (p->listA->GetNextTrack(&t) == 1 && t) {
    if (t->Snippets().GetCount() != 0) sources.push_back(t);
  }
  for (CAudioTrack* source : sources) {
    const int index = source->index + p->trackIndex;
    if (index < 0 || index >= CAudioTrackList::kProjectTracks) return ReportedFault(kLineBadTrack);
    std::unique_ptr<CAudioTrack> made(new (std::nothrow) CAudioTrack(CAudioSnippetList::kModeSnapshot));
    if (!made) return ReportedFault(kLineNoMemory);
    made->index = static_cast<int16_t>(index);
    made->SetType(source->GetType());
    for (const auto& original : SnippetsToPaste(*source)) {
      std::shared_ptr<CAudioSnippet> pasted;
      const OperationResult one = PasteOne(*original, p, &pasted);
      if (one != OperationResultDone) {
        p->listB->AddTrack(std::move(made));
        return one;
      }
      // Unique tick counts rise, so the layers keep the originals' order.
      pasted->layer = GetUniqueTickCount();
      made->AddSnippet(std::move(pasted));
    }
    p->listB->AddTrack(std::move(made));
  }
  return OperationResultDone;
}

// ---- The commands -------------------------------------------------------------

int CProApp::CopySnippets() {
  if (track::Refused(*this)) return status::kNothingDone;
  if (project.CountSelectedSnippets() == 0) {
    services.ui.Inform(track::kNothingToCopyText);
    return status::kNothingDone;
  }
  if (!snippetClipboard) {
    snippetClipboard = track::NewSnapshot();
  } else {
    snippetClipboard->RemoveAllSnippetNodes();
  }
  if (project.ShareSelectedInto(snippetClipboard.get()) != 0) return status::kFaultReported;
  snippetClipboard->SelectTrack(project.GetSelectedTrackIndex());
  return status::kDone;
}

int CProApp::CutSnippets() {
  if (track::Refused(*this)) return status::kNothingDone;
  if (project.CountSelectedSnippets() == 0) {
    services.ui.Inform(track::kNothingToCutText);
    return status::kNothingDone;
  }
  const int copied = CopySnippets();
  return copied == status::kDone ? DeleteSelectedSnippets() : copied;
}

int CProApp::DeleteSelectedSnippets() {
  if (track::Refused(*this)) return status::kNothingDone;
  if (project.CountSelectedSnippets() == 0) {
    services.ui.Inform(track::kNothingToDeleteText);
    return status::kNothingDone;
  }
  std::unique_ptr<CAudioTrackList> removed = track::NewSnapshot();
  if (project.ShareSelectedInto(removed.get()) != 0) return status::kFaultReported;
  auto record = std::make_unique<COperation>(OperationDeleteSnippets);
  track::ClearEditorOfRemoved(*this, *removed, *record);
  project.RemoveSnippetsOf(removed.get());
  project.RecomputeProjectEnd();
  record->listA = std::move(removed);
  track::Record(*this, std::move(record));
  UpdateLoopMemory(true);
  ShowLength(project.projectEnd);
  services.view.RefreshTrackView();
  return status::kDone;
}

int CProApp::PasteSnippets() {
  if (track::Refused(*this)) return status::kNothingDone;
  if (!snippetClipboard || track::CountSnippets(*snippetClipboard) == 0) {
    services.ui.Inform(track::kClipboardEmptyText);
    return status::kNothingDone;
  }
  const int from = snippetClipboard->GetSelectedTrackIndex();
  const int to = project.GetSelectedTrackIndex();
  const int32_t fromType = snippetClipboard->GetTrackType(from);
  const int32_t toType = project.GetTrackType(to);
  if (fromType != toType && track::HasSnippets(project, to)) {
    services.ui.Inform(fromType == CAudioTrack::kTypeLoopBased ? track::kLoopIntoExtendedText
                                                                 : track::kExtendedIntoLoopText);
    return status::kNothingDone;
  }
  // The first pasted snippet goes to the cursor, the others keep their distances.
  if (RefusePastProjectEnd(uint64_t{playCursor} + track::WidestTrackSpan(*snippetClipboard))) {
    return status::kNothingDone;
  }
  if (fromType != toType) project.SetTrackType(to, fromType);

  COperationRunning running(*this);
  progressWindow.Begin();
  progressWindow.SetMessage(track::kPastingCaption, 1);
  std::unique_ptr<CAudioTrackList> pasted = track::NewSnapshot();
  OperationParameters params;
  FillOperationRecord(params, EditOpCopyWhole, EditRangeWhole);
  params.undoKind = OperationInsertSnippets;
  params.listA = snippetClipboard.get();
  params.listB = pasted.get();
  params.trackIndex = static_cast<int16_t>(to - from);
  GetOperationParameters(params.request, params, snippetClipboard->HasStereoSnippet() ? 2 : 1);
  uint32_t total = 0;
  SumSnippetLengths(snippetClipboard.get(), &total);
  progressWindow.SetTotal(total);
  const OperationResult worked = PasteSnippetsWorker(&params);
  progressWindow.End();
  if (worked != OperationResultDone) {
    DiscardPasted(*pasted);
    services.view.RefreshTrackView();
    return worked == OperationResultCancelled ? status::kCancelled : status::kFaultReported;
  }

  pasted->MoveAllTo(playCursor);
  project.MergeFrom(pasted.get());
  auto record = std::make_unique<COperation>(OperationInsertSnippets);
  record->listB = std::move(pasted);
  UpdateLoopMemory(true);
  track::Record(*this, std::move(record));
  ShowLength(project.projectEnd);
  services.view.ClearCurrentSnippet();
  services.view.RefreshTrackView();
  return status::kDone;
}
