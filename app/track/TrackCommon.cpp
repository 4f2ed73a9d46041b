// What the Track View's commands share.
#include <algorithm>

#include "AudioSegment.h"
#include "AudioSnippet.h"
#include "Folders.h"
#include "PeakFile.h"
#include "io/IoCommon.h"
#include "pro.h"
#include "track/TrackCommands.h"

bool CProApp::RefusePastProjectEnd(uint64_t end) {
  if (end <= kMaxProjectFrames) return false;
  services.ui.Inform(io::kProjectTooLongText);
  return true;
}

namespace track {

bool Refused(CProApp& app) { return app.IsOperationRunning() || app.RefuseDuringPlayback(); }

std::unique_ptr<CAudioTrackList> NewSnapshot() {
  return std::make_unique<CAudioTrackList>(CAudioSnippetList::kModeSnapshot);
}

bool HasSnippets(const CAudioTrackList& list, int index) {
  CAudioTrack* track = nullptr;
  return list.FindTrack(index, &track) == 1 && track && track->Snippets().GetCount() != 0;
}

size_t CountSnippets(CAudioTrackList& list) {
  size_t count = 0;
  CAudioTrack* track = nullptr;
  list.ResetIterator();
  while (list.GetNextTrack(&track) == 1 && track) count += track->Snippets().GetCount();
  return count;
}

bool SnippetExtent(CAudioTrackList& list, uint32_t* first, uint32_t* end) {
  bool any = false;
  uint32_t low = 0, high = 0;
  CAudioTrack* track = nullptr;
  list.ResetIterator();
  while (list.GetNextTrack(&track) == 1 && track) {
    for (const auto& s : track->Snippets().Snippets()) {
      low = any ? std::min(low, s->start) : s->start;
      high = any ? std::max(high, s->end) : s->end;
      any = true;
    }
  }
  *first = low;
  *end = high;
  return any;
}

uint32_t WidestTrackSpan(CAudioTrackList& list) {
  uint32_t widest = 0;
  CAudioTrack* track = nullptr;
  list.ResetIterator();
  while (list.GetNextTrack(&track) == 1 && track) {
    const auto& snippets = track->Snippets().Snippets();
    if (snippets.empty()) continue;
    uint32_t first = UINT32_MAX, end = 0;
    for (const auto& s : snippets) {
      first = std::min(first, s->start);
      end = std::max(end, s->end);
    }
    widest = std::max(widest, end - first);
  }
  return widest;
}

EditorContent ShownContent(const CProApp& app) {
  EditorContent shown;
  switch (app.editorSource) {
    case EditorSourceSnippet:
      shown.snippet = app.editorSnippet;
      shown.trackIndex = app.editorTrackIndex;
      break;
    case EditorSourceLoop:
      shown.loop = app.editorLoop;
      break;
    case EditorSourceIndependent:
      shown.segment = app.editorSegment;
      break;
    default:
      break;
  }
  return shown;
}

void ClearEditorOfRemoved(CProApp& app, CAudioTrackList& list, COperation& record) {
  if (app.editorSource != EditorSourceSnippet || !app.editorSnippet) return;
  CAudioTrack* track = nullptr;
  if (list.FindTrack(app.editorTrackIndex, &track) != 1 || !track) return;
  if (!track->Snippets().ContainsSnippet(app.editorSnippet->GetIdentifier())) return;
  record.editorBefore = ShownContent(app);
  app.ClearEditor();
}

void Record(CProApp& app, std::unique_ptr<COperation> record) {
  app.undoList.Add(std::move(record));
  app.modified = 1;
  if (app.playing.load() == 0) app.project.PreparePlayback();
}

void DiscardAudio(const std::shared_ptr<CAudioSegment>& segment) {
  if (!segment) return;
  segment->Close();
  platform::RemoveFile(segment->GetPcmFileName());
  platform::RemoveFile(segment->GetPeakFileName());
}

void FinishSegment(CAudioSegment& segment) {
  segment.Close();
  // Audio too short for one peak record has nothing to map.
  if (segment.length >= kFramesPerPeak) segment.GetPeakFile().Open(0);
  segment.viewStart = 0;
  segment.viewEnd = segment.viewWidth = segment.length;
  segment.trackerStart = segment.trackerEnd = segment.trackerSize = 0;
}

}  // namespace track
