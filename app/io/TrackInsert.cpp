#include "TrackInsert.h"

#include "AudioSnippetExtended.h"
#include "Generic.h"
#include "IoCommon.h"
#include "pro.h"

namespace io {
bool AcceptsExtendedAudio(CProApp& app, int index) {
  CAudioTrack* track = nullptr;
  if (app.project.FindTrack(index, &track) != 1 || !track) {
    ReportError(kSource, __LINE__, "");
    return false;
  }
  if (track->GetType() == CAudioTrack::kTypeLoopBased && track->Snippets().GetCount() > 0) {
    app.services.ui.Inform(kLoopTrackText);
    return false;
  }
  return true;
}

int InsertExtendedSnippet(CProApp& app, const std::shared_ptr<CAudioSegment>& segment, int trackIndex,
                          uint32_t start) {
  auto snippet = std::make_shared<CAudioSnippetExtended>(segment);
  snippet->start = start;
  snippet->length = segment->length;
  snippet->tempo = app.project.tempo;
  snippet->SetTempo(app.project.tempo);
  if (app.RefusePastProjectEnd(uint64_t{start} + snippet->length)) {
    DeleteSegmentFiles(*segment);
    return status::kNothingDone;
  }
  snippet->end = start + snippet->length;
  auto track = std::make_unique<CAudioTrack>(CAudioSnippetList::kModeSnapshot);
  track->index = static_cast<int16_t>(trackIndex);
  track->AddSnippet(snippet);
  auto snapshot = std::make_unique<CAudioTrackList>(CAudioSnippetList::kModeSnapshot);
  snapshot->AddTrack(std::move(track));
  auto record = std::make_unique<COperation>(OperationInsertSnippets);
  record->listB = std::move(snapshot);
  app.project.MergeFrom(record->listB.get());
  app.undoList.Add(std::move(record));
  app.modified = 1;
  app.ShowLength(app.project.projectEnd);
  app.services.view.RefreshTrackView();
  return status::kDone;
}

}  // namespace io
