// A new segment of the temporary folder filled from a source, behind the
// progress window: a copy of the Audio Editor's audio for a new loop or track
// snippet (so that editing one never changes the other), or a mixdown.
//
// Threads: the user-interface thread.
#pragma once

#include <cstdint>
#include <memory>

class CAudioSegment;
class CProApp;

namespace io {

class CExportSource;

// 1 with *segment closed, viewing the whole of itself and its peaks mapped (the
// tempo is the caller's); 2 cancelled; 3 fault reported. Anything but 1 leaves
// no file behind. blockFrames: frames read and written per step.
int WriteToSegment(CProApp& app, CExportSource& source, const char* caption, uint32_t blockFrames,
                   std::shared_ptr<CAudioSegment>* segment);

// The whole of source copied, in blocks of 131072 samples.
int CopySegment(CProApp& app, CAudioSegment& source, const char* caption, std::shared_ptr<CAudioSegment>* copy);

}  // namespace io
