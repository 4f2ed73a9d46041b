// New audio placed on a track as one extended snippet, one undo step: what
// an import to a track, a snippet made from the Audio Editor and a mixdown to
// a track end with.
#pragma once

#include <cstdint>
#include <memory>

class CAudioSegment;
class CProApp;

namespace io {

// A loop based track takes extended audio only while it is empty (it becomes
// an extended track when the snippet arrives); otherwise the refusal is shown.
bool AcceptsExtendedAudio(CProApp& app, int trackIndex);

// The segment as a new extended snippet from start on the track, timed for
// the project tempo, recorded as an insert of snippets. A snippet that would
// end past 90 minutes is refused and its segment's files removed.
int InsertExtendedSnippet(CProApp& app, const std::shared_ptr<CAudioSegment>& segment, int trackIndex,
                          uint32_t start);

}  // namespace io
