// The render workers: a track, or its selection, as it sounds, into a new
// segment, and the snippets made on it by Join and Convert.
#include <algorithm>
#include <cstring>
#include <new>

#include "AudioSegment.h"
#include "AudioSnippetExtended.h"
#include "AudioTrackList.h"
#include "Generic.h"
#include "track/TrackCommands.h"
#include "track/TrackWorkers.h"

namespace {

constexpr int kLineNoRecord = __LINE__;
constexpr int kLineNoResultSlot = __LINE__;
constexpr int kLineNoMemory = __LINE__;
constexpr int kLineOpenResult = __LINE__;
constexpr int kLineRenderFailed = __LINE__;
constexpr int kLineShortWrite = __LINE__;
constexpr int kLineCloseResult = __LINE__;
constexpr int kLineNoSnippets = __LINE__;
constexpr uint32_t kRenderBlockFrames = 8192;
constexpr uint32_t kStereoFrameBytes = 4;

OperationResult RenderToSegment(CAudioTrackList& project, int index, bool selectedOnly, uint32_t first, uint32_t end,
                                OperationParameters* p, std::shared_ptr<CAudioSegment>* result) {
  if (!p || !p->workBuffer || !p->progress) return ReportedFault(kLineNoRecord);
  if (!result) return ReportedFault(kLineNoResultSlot);
  std::shared_ptr<CAudioSegment> segment(new (std::nothrow) CAudioSegment(p->tempFolder));
  if (!segment) return ReportedFault(kLineNoMemory);
  segment->SetFormat(AudioQuality{44100, 2, 16});
  if (segment->Open(1) != 1) {
    track::DiscardAudio(segment);
    return ReportedFault(kLineOpenResult);
  }
  project.PreparePlayback();
  project.ResetPlayback();
  OperationResult outcome = OperationResultDone;
  int16_t* block = p->workBuffer;
  for (uint32_t at = first; at < end && outcome == OperationResultDone;) {
    const uint32_t frames = std::min(kRenderBlockFrames, end - at);
    std::memset(block, 0, kRenderBlockFrames * kStereoFrameBytes);
    const int rendered = selectedOnly ? project.RenderTrackSelected(index, block, at, frames)
                                      : project.RenderTrack(index, block, at, frames);
    uint32_t written = 0;
    if (rendered == 3) {
      outcome = ReportedFault(kLineRenderFailed);
    } else if (segment->Write(block, frames, &written) != 0 || written != frames) {
      outcome = ReportedFault(kLineShortWrite);
    } else if (p->progress(static_cast<int>(frames)) == 0) {
      outcome = OperationResultCancelled;
    }
    at += frames;
  }
  project.ResetPlayback();
  if (outcome == OperationResultDone && segment->Close() != 1) outcome = ReportedFault(kLineCloseResult);
  if (outcome != OperationResultDone) {
    track::DiscardAudio(segment);
    return outcome;
  }
  segment->length = end - first;
  segment->tempo = p->projectTempo;
  track::FinishSegment(*segment);
  *result = std::move(segment);
  return OperationResultDone;
}

// The extended snippet over [first, end) on a rendered segment.
OperationResult SnippetOn(std::shared_ptr<CAudioSegment> segment, uint32_t first, uint32_t end, float tempo,
                          OperationParameters* p) {
  std::shared_ptr<CAudioSnippetExtended> snippet(new (std::nothrow) CAudioSnippetExtended(segment));
  if (!snippet) {
    track::DiscardAudio(segment);
    return ReportedFault(kLineNoMemory);
  }
  snippet->start = first;
  snippet->end = end;
  snippet->length = end - first;
  snippet->tempo = tempo;
  snippet->ratio = 1.0f;
  *p->resultSnippet = std::move(snippet);
  return OperationResultDone;
}

OperationResult RenderIntoSnippet(CAudioTrackList& project, bool selectedOnly, OperationParameters* p) {
  if (!p || !p->listA || !p->resultSnippet) return ReportedFault(kLineNoRecord);
  uint32_t first = 0, end = 0;
  if (!track::SnippetExtent(*p->listA, &first, &end) || end <= first) return ReportedFault(kLineNoSnippets);
  // The new audio is timed for the tempo it was rendered at.
  p->projectTempo = selectedOnly ? p->listA->tempo : project.tempo;
  std::shared_ptr<CAudioSegment> segment;
  const OperationResult rendered = RenderToSegment(project, p->trackIndex, selectedOnly, first, end, p, &segment);
  if (rendered != OperationResultDone) return rendered;
  return SnippetOn(std::move(segment), first, end, p->projectTempo, p);
}

}  // namespace

OperationResult RenderSelectedToSegment(CAudioTrackList& project, int index, uint32_t first, uint32_t end,
                                        OperationParameters* params, std::shared_ptr<CAudioSegment>* result) {
  return RenderToSegment(project, index, true, first, end, params, result);
}

OperationResult RenderTrackToSegment(CAudioTrackList& project, int index, uint32_t first, uint32_t end,
                                     OperationParameters* params, std::shared_ptr<CAudioSegment>* result) {
  return RenderToSegment(project, index, false, first, end, params, result);
}

OperationResult JoinSelectedSnippets(CAudioTrackList& project, OperationParameters* params) {
  return RenderIntoSnippet(project, true, params);
}

OperationResult RenderTrackToSnippet(CAudioTrackList& project, OperationParameters* params) {
  return RenderIntoSnippet(project, false, params);
}
