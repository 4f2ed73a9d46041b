// The edit workers and their dispatcher: each reads a source segment block by
// block through the application's work buffer, changes the operation's range
// and appends every block to a new result segment in the temporary folder, so
// the source stays untouched and undo can swap the two.
//
// Every worker takes (source, address of the result, record). A result passed
// in is written into; otherwise the worker makes one. Results: 0 done, 2
// cancelled (the result and its files are gone and the pointer is cleared),
// 3 fault (reported; nothing is left behind either). A finished result is
// closed and on disk before the worker returns.
//
// Threads: user-interface thread only.
#pragma once

#include <cstdint>
#include <memory>

#include "edit/EditOperation.h"

class CAudioSegment;

// The signature every worker shares, named once; the workers below are declared by it.
using EditWorkerFunction = OperationResult(CAudioSegment* source, std::shared_ptr<CAudioSegment>* result,
                                           OperationParameters* params);
using EditWorker = EditWorkerFunction*;

EditWorkerFunction EditCopyRange, EditMute, EditDeleteRange, EditVolume, EditFade, EditReverse, EditSwapChannels,
    EditCopyChannel, EditPasteInsert, EditPasteOver, EditPasteMix, EditApplyEffect, EditTempoPitch,
    EditConvertChannels;

// Runs the worker of the record's operation and fixes up the result's view,
// tracker, markers and tempo. Cut copies the range into the emptied audio
// clipboard, then deletes it. Any other code than the workers': 1.
EditWorkerFunction RunEditOperation;

// The dispatcher on the source snippet's (or loop's) segment, and the result
// handed to the result snippet (or loop) with its tempo.
OperationResult EditSnippetSegment(OperationParameters* params);
OperationResult EditLoopSegment(OperationParameters* params);

// The frames the progress window expects for an operation on segment; 0, or 3
// when a segment it needs is missing (reported).
int ComputeOperationTotal(int32_t operation, int32_t range, const CAudioSegment* segment,
                          const CAudioSegment* clipboard, uint32_t* total);

// The first frame and frame count of a range of segment, each within its
// length; the paste workers use only the insertion point.
struct FrameRange {
  uint32_t first = 0;
  uint32_t count = 0;
  uint32_t End() const { return first + count; }
};
FrameRange ResolveRange(const CAudioSegment& segment, int32_t range);
uint32_t InsertionPoint(const CAudioSegment& segment, int32_t range);
// Keeps the tracker and the set markers within the segment's length.
void ClampSelection(CAudioSegment& segment);
