// Mixdown to Track: the ticked tracks rendered together through the mixer
// (their snippets, mute and solo among them, gains and chains) into one new
// stereo snippet on the target track, where the first of them starts. The
// master chain and gains and the project pitch are left out of the render:
// the new snippet plays through them again. One undo step.
#include <algorithm>
#include <limits>
#include <optional>

#include "AudioSegment.h"
#include "Generic.h"
#include "IoCommon.h"
#include "MixSource.h"
#include "SegmentWriter.h"
#include "TrackInsert.h"
#include "pro.h"
#include "requests/EditRequests.h"

using namespace io;

namespace {

struct Extent {
  uint32_t first = std::numeric_limits<uint32_t>::max();
  uint32_t end = 0;
  bool Empty() const { return end == 0 && first == std::numeric_limits<uint32_t>::max(); }
};

Extent ExtentOf(CAudioTrackList& project, const MixOptions& options) {
  Extent extent;
  for (int i = 0; i < CAudioTrackList::kProjectTracks; ++i) {
    CAudioTrack* track = nullptr;
    if (!options.tracks[i] || project.FindTrack(i, &track) != 1 || !track) continue;
    for (const auto& snippet : track->Snippets().Snippets()) {
      extent.first = std::min(extent.first, snippet->start);
      extent.end = std::max(extent.end, snippet->end);
    }
  }
  return extent;
}

}  // namespace

int CProApp::MixdownToTrack() {
  const CIoCommand command(*this);
  if (!command.MayRun()) return status::kNothingDone;
  const std::optional<MixdownDialogRequest::Result> answer = services.ui.Request(MixdownDialogRequest{});
  if (!answer) return status::kNothingDone;
  if (answer->targetTrack < 0 || answer->targetTrack >= CAudioTrackList::kProjectTracks) {
    ReportError(kSource, __LINE__, "");
    return status::kFaultReported;
  }
  MixOptions options;
  options.master = false;
  options.projectPitch = false;
  for (int i = 0; i < CAudioTrackList::kProjectTracks; ++i) options.tracks[i] = answer->sourceTracks[i] != 0;
  const Extent extent = ExtentOf(project, options);
  if (extent.Empty()) {
    services.ui.Inform(kNoMixdownSourceText);
    return status::kNothingDone;
  }
  if (!AcceptsExtendedAudio(*this, answer->targetTrack)) return status::kNothingDone;
  std::shared_ptr<CAudioSegment> segment;
  int result = status::kDone;
  {
    CMixSource mix(*this, extent.first, extent.end, options);
    result = WriteToSegment(*this, mix, kMixdownCaption, static_cast<uint32_t>(bufferFrames), &segment);
  }
  if (result != status::kDone) return result;
  segment->tempo = project.tempo;
  return InsertExtendedSnippet(*this, segment, answer->targetTrack, extent.first);
}
