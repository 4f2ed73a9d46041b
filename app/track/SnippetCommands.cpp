// The Track View's snippet commands: selection, join, clearing and
// converting a track, move and shift, the right-clicked snippet's commands
// and the tempo buttons.
#include <algorithm>
#include <cmath>

#include "AudioSnippetLoop.h"
#include "EditRunning.h"
#include "Generic.h"
#include "pro.h"
#include "requests/TrackViewRequests.h"
#include "track/TrackCommands.h"
#include "track/TrackWorkers.h"

namespace {

constexpr int kLineNoTrack = __LINE__;

// The right-clicked snippet and its track; false when there is none.
bool CurrentSnippet(CProApp& app, std::shared_ptr<CAudioSnippet>* snippet, int* index) {
  uint32_t identifier = 0;
  if (!app.services.view.GetCurrentSnippet(index, &identifier)) return false;
  return app.project.FindSnippet(*index, identifier, snippet) == 1 && *snippet;
}

}  // namespace

int CProApp::OnSelectAllSnippets() {
  if (track::Refused(*this)) return status::kNothingDone;
  project.SelectAllSnippetsOfTrack(project.GetSelectedTrackIndex());
  services.view.RefreshTrackView();
  return status::kDone;
}

int CProApp::OnDeselectAllSnippets() {
  if (track::Refused(*this)) return status::kNothingDone;
  project.DeselectAllSnippets();
  services.view.RefreshTrackView();
  return status::kDone;
}

int CProApp::RenderIntoSnippet(int32_t undoKind, int index, CAudioTrackList& parts,
                                std::shared_ptr<CAudioSnippet>* made) {
  const bool join = undoKind == OperationJoinSnippets;
  COperationRunning running(*this);
  progressWindow.Begin();
  progressWindow.SetMessage(join ? track::kJoiningCaption : track::kConvertingCaption, 1);
  uint32_t first = 0, end = 0;
  track::SnippetExtent(parts, &first, &end);
  progressWindow.SetTotal(end - first);
  OperationParameters params;
  FillOperationRecord(params, EditOpCopyWhole, EditRangeWhole);
  params.undoKind = undoKind;
  params.listA = &parts;
  params.trackIndex = static_cast<int16_t>(index);
  params.resultSnippet = made;
  const OperationResult worked = join ? JoinSelectedSnippets(project, &params) : RenderTrackToSnippet(project, &params);
  progressWindow.End();
  if (worked == OperationResultDone) return status::kDone;
  services.view.RefreshTrackView();
  return worked == OperationResultCancelled ? status::kCancelled : status::kFaultReported;
}

int CProApp::JoinSnippets() {
  if (track::Refused(*this)) return status::kNothingDone;
  const int index = project.GetSelectedTrackIndex();
  if (project.GetTrackType(index) == CAudioTrack::kTypeLoopBased) {
    services.ui.Inform(track::kJoinLoopText);
    return status::kNothingDone;
  }
  if (project.CountSelectedSnippets() < 2) {
    services.ui.Inform(track::kJoinTooFewText);
    return status::kNothingDone;
  }
  std::unique_ptr<CAudioTrackList> parts = track::NewSnapshot();
  project.ShareSelectedInto(parts.get());
  parts->tempo = project.tempo;
  std::shared_ptr<CAudioSnippet> joined;
  const int rendered = RenderIntoSnippet(OperationJoinSnippets, index, *parts, &joined);
  if (rendered != status::kDone) return rendered;
  auto record = std::make_unique<COperation>(OperationJoinSnippets);
  record->snippetC = joined;
  record->trackC = static_cast<int16_t>(index);
  project.RemoveSnippetsOf(parts.get());
  project.AddSnippetToTrack(joined, index);
  track::ClearEditorOfRemoved(*this, *parts, *record);
  record->listA = std::move(parts);
  track::Record(*this, std::move(record));
  UpdateLoopMemory(false);
  services.view.RefreshAllViews();
  return status::kDone;
}

int CProApp::ClearSelectedTrack() {
  if (track::Refused(*this)) return status::kNothingDone;
  const int index = project.GetSelectedTrackIndex();
  std::unique_ptr<CAudioTrackList> cleared = track::NewSnapshot();
  if (project.CopyTrackInto(index, cleared.get()) != 1) return status::kFaultReported;
  project.DetachTracksFor(cleared.get());
  auto record = std::make_unique<COperation>(OperationClearTrack);
  track::ClearEditorOfRemoved(*this, *cleared, *record);
  record->listA = std::move(cleared);
  project.RecomputeProjectEnd();
  track::Record(*this, std::move(record));
  UpdateLoopMemory(true);
  ShowLength(project.projectEnd);
  services.view.RefreshTrackView();
  services.view.RebuildEffectsTabs();
  return status::kDone;
}

int CProApp::ConvertToExtendedAudioTrack(int trackIndex) {
  if (track::Refused(*this)) return status::kNothingDone;
  CAudioTrack* converted = nullptr;
  if (project.FindTrack(trackIndex, &converted) != 1 || !converted) {
    ReportError(track::kSource, kLineNoTrack, "");
    return status::kFaultReported;
  }
  // Nothing to render: an empty track has no audio to become.
  if (converted->Snippets().GetCount() == 0) return status::kNothingDone;
  std::unique_ptr<CAudioTrackList> before = track::NewSnapshot();
  project.CopyTrackInto(trackIndex, before.get());
  std::shared_ptr<CAudioSnippet> rendered;
  const int made = RenderIntoSnippet(OperationConvertTrack, trackIndex, *before, &rendered);
  if (made != status::kDone) return made;
  auto record = std::make_unique<COperation>(OperationConvertTrack);
  record->snippetC = rendered;
  record->trackC = static_cast<int16_t>(trackIndex);
  // Only the audio changes form: the track keeps its effects, gains, pitch and name.
  project.RemoveSnippetsOf(before.get());
  project.AddSnippetToTrack(rendered, trackIndex);
  record->listA = std::move(before);
  track::Record(*this, std::move(record));
  UpdateLoopMemory(false);
  services.view.RefreshAllViews();
  return status::kDone;
}

int CProApp::MoveSelectedSnippets(uint32_t newStart) {
  if (track::Refused(*this)) return status::kNothingDone;
  if (project.CountSelectedSnippets() == 0) return status::kNothingDone;
  std::unique_ptr<CAudioTrackList> moved = track::NewSnapshot();
  if (project.CopySelectedInto(moved.get()) != 0) return status::kFaultReported;
  auto record = std::make_unique<COperation>(OperationMoveSnippets);
  uint32_t movedEnd = 0;
  track::SnippetExtent(*moved, &record->oldStart, &movedEnd);
  if (RefusePastProjectEnd(uint64_t{newStart} + (movedEnd - record->oldStart))) return status::kNothingDone;
  project.MoveSelectedTo(newStart);
  // Where the selection really went: a move is kept within the project's limits.
  uint32_t lowest = 0, highest = 0, lastEnd = 0;
  project.GetSelectionMoveLimits(&lowest, &highest, &record->newStart, &lastEnd);
  record->listA = std::move(moved);
  track::Record(*this, std::move(record));
  ShowLength(project.projectEnd);
  services.view.ClearCurrentSnippet();
  services.view.RefreshAllViews();
  return status::kDone;
}

int CProApp::ShiftTracks() {
  if (track::Refused(*this)) return status::kNothingDone;
  ShiftTracksRequest request;
  request.timeUnits = shiftTimeUnits_;
  request.newStart = shiftStart_;
  request.projectTempo = project.tempo;
  request.beatsPerBarChoice = project.beatsPerBarChoice;
  std::optional<ShiftTracksRequest::Result> answer = services.ui.Request(request);
  if (!answer) return status::kNothingDone;
  shiftTimeUnits_ = answer->timeUnits;
  shiftStart_ = answer->newStart;
  std::unique_ptr<CAudioTrackList> before = track::NewSnapshot();
  std::unique_ptr<CAudioTrackList> after = track::NewSnapshot();
  std::vector<int> shifted;
  for (int i = 0; i < ShiftTracksRequest::kTracks; ++i) {
    if (answer->tracks[static_cast<size_t>(i)] == 1 && track::HasSnippets(project, i)) shifted.push_back(i);
  }
  if (shifted.empty()) {
    services.ui.Inform(track::kNothingToShiftText);
    return status::kNothingDone;
  }
  for (int i : shifted) project.CopyTrackPlainInto(i, before.get());
  // Each shifted track's first snippet goes to the new start, the others keep their distances.
  if (RefusePastProjectEnd(uint64_t{answer->newStart} + track::WidestTrackSpan(*before))) return status::kNothingDone;
  project.MoveMatchingTo(before.get(), answer->newStart);
  for (int i : shifted) project.CopyTrackPlainInto(i, after.get());
  auto record = std::make_unique<COperation>(OperationShiftSnippets);
  record->listA = std::move(before);
  record->listB = std::move(after);
  track::Record(*this, std::move(record));
  project.RecomputeProjectEnd();
  ShowLength(project.projectEnd);
  services.view.RefreshAllViews();
  return status::kDone;
}

int CProApp::OnEditSnippet() {
  if (track::Refused(*this)) return status::kNothingDone;
  std::shared_ptr<CAudioSnippet> snippet;
  int index = 0;
  if (!CurrentSnippet(*this, &snippet, &index)) return status::kNothingDone;
  if (snippet->kind == CAudioSnippet::kKindLoop) {
    services.ui.Inform(track::kEditLoopSnippetText);
    return status::kNothingDone;
  }
  auto record = std::make_unique<COperation>(OperationEditorContent);
  record->editorBefore = track::ShownContent(*this);
  record->editorAfter.snippet = snippet;
  record->editorAfter.trackIndex = static_cast<int16_t>(index);
  // Opening audio in the editor changes nothing the project file keeps.
  undoList.Add(std::move(record));
  SetEditorSnippet(snippet, static_cast<int16_t>(index));
  services.view.SwitchView(ViewModeEditor);
  services.view.RefreshCurrentView();
  return status::kDone;
}

int CProApp::OnSetSnippetOnTop() {
  if (track::Refused(*this)) return status::kNothingDone;
  std::shared_ptr<CAudioSnippet> snippet;
  int index = 0;
  if (!CurrentSnippet(*this, &snippet, &index)) return status::kNothingDone;
  // A unique tick count is above every layer handed out before.
  snippet->layer = GetUniqueTickCount();
  // The layers are saved with the project: a new order is a change to keep.
  modified = 1;
  services.view.RefreshCurrentView();
  return status::kDone;
}

int CProApp::OnSnippetProperties() {
  if (track::Refused(*this)) return status::kNothingDone;
  std::shared_ptr<CAudioSnippet> snippet;
  int index = 0;
  if (!CurrentSnippet(*this, &snippet, &index)) return status::kNothingDone;
  const int result = EditSnippetProperties(snippet, index);
  if (result == status::kDone) services.view.RefreshCurrentView();
  return result;
}

int CProApp::EditSnippetProperties(const std::shared_ptr<CAudioSnippet>& snippet, int trackIndex) {
  if (!snippet) return status::kNothingDone;
  std::shared_ptr<CAudioSegment> segment;
  snippet->GetSegment(&segment);
  SnippetPropertiesRequest request;
  request.loopSnippet = snippet->kind == CAudioSnippet::kKindLoop;
  if (request.loopSnippet) {
    const CAudioLoop* loop = static_cast<const CAudioSnippetLoop&>(*snippet).GetLoop();
    request.loopNumber = loop ? loop->loopNumber : 0;
  }
  request.tempo = snippet->GetSourceTempo();
  request.identifier = snippet->GetIdentifier();
  if (segment) request.audioFile = segment->GetPcmFileName();
  std::optional<SnippetPropertiesRequest::Result> answer = services.ui.Request(request);
  if (!answer) return status::kNothingDone;
  // A loop snippet's tempo is its loop's and is shown read-only.
  if (!request.loopSnippet && segment && std::isfinite(answer->tempo)) {
    const float tempo = std::clamp(answer->tempo, track::kMinTempo, track::kMaxTempo);
    if (tempo != segment->tempo) {
      const float was = segment->tempo;
      segment->tempo = tempo;
      // A faster source plays longer: it must still end within 90 minutes.
      SnippetTiming timing;
      if (snippet->TimingAt(project.tempo, &timing) && RefusePastProjectEnd(timing.End())) {
        segment->tempo = was;
        return status::kNothingDone;
      }
      snippet->SetTempo(project.tempo);
      project.RecomputeTrackExtent(trackIndex);
      project.RecomputeProjectEnd();
      modified = 1;
    }
  }
  return status::kDone;
}

int CProApp::TempoUp() {
  if (IsOperationRunning()) return status::kNothingDone;
  if (project.tempo < track::kMaxTempo) project.SetTempo(project.tempo + 1.0f);
  services.view.SetTempoText(project.tempo);
  ShowLength(project.projectEnd);
  services.view.RefreshCurrentView();
  return status::kDone;
}

int CProApp::TempoDown() {
  if (IsOperationRunning()) return status::kNothingDone;
  if (project.tempo > track::kMinTempo &&
      project.SetTempo(project.tempo - 1.0f, kMaxProjectFrames) == CAudioTrackList::kTempoPastLastEnd) {
    services.ui.Inform(track::kTempoTooLowText);
  }
  services.view.SetTempoText(project.tempo);
  ShowLength(project.projectEnd);
  services.view.RefreshCurrentView();
  return status::kDone;
}
