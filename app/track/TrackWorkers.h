// The workers of the Track View's long commands: renders of one track into a
// new stereo segment, the join, the conversion of a loop-based track, the
// paste of the snippet clipboard, and the load of a loop's audio into memory.
// Each runs on the record of its command (OperationParameters: lists A and
// B, the track, the result snippet, the work buffer and the progress function)
// and returns an OperationResult: a cancelled or failed run leaves no audio
// file and no result behind.
//
// Threads: user-interface thread, while nothing plays; the renders take the
// track list's lock inside its render calls.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "edit/EditOperation.h"

class CAudioLoop;
class CAudioSegment;
class CAudioSnippet;
class CAudioTrack;
class CAudioTrackList;

// [first, end) of project's track index as it sounds (the selected snippets
// only, or all), without gains or effects, into a new stereo segment at the
// record's project tempo.
OperationResult RenderSelectedToSegment(CAudioTrackList& project, int index, uint32_t first, uint32_t end,
                                        OperationParameters* params, std::shared_ptr<CAudioSegment>* result);
OperationResult RenderTrackToSegment(CAudioTrackList& project, int index, uint32_t first, uint32_t end,
                                     OperationParameters* params, std::shared_ptr<CAudioSegment>* result);

// The snippets of list A (the selection of the record's track) rendered into
// one extended snippet from A's first start to its last end, at A's tempo.
OperationResult JoinSelectedSnippets(CAudioTrackList& project, OperationParameters* params);
// The record's whole track rendered into one extended snippet over A's extent.
OperationResult RenderTrackToSnippet(CAudioTrackList& project, OperationParameters* params);

// The clipboard (A) into B: per track, at its index plus the record's track
// offset, a new snippet for each distinct snippet that is heard, extended
// ones on a copy of their audio, with new layers in the order of the old.
OperationResult PasteSnippetsWorker(OperationParameters* params);
// The snippets a paste makes, in the order of their layers.
std::vector<std::shared_ptr<CAudioSnippet>> SnippetsToPaste(CAudioTrack& track);
// The frames of the snippets a paste of list makes: the progress total.
int SumSnippetLengths(CAudioTrackList* list, uint32_t* total);

// The loop's audio read whole into its memory, in blocks of 16,384 frames,
// each reported to progress when one is given. 1, or 3 (reported; the memory
// is released again).
int LoadLoopAudio(CAudioLoop& loop, const OperationProgress& progress);
