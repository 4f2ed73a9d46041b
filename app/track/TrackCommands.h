// What the Track View's snippet commands and the Loop Bank's loop commands
// share: their texts, their fault lines and small helpers over the
// application's undo records and the Audio Editor.
#pragma once

#include <cstdint>
#include <memory>

#include "OperationList.h"

class CAudioSegment;

class CProApp;

namespace track {

constexpr const char* kSource = "pro";

// Refusals.
constexpr const char* kNothingToCopyText = "No snippets selected to copy.";
constexpr const char* kNothingToDeleteText = "No snippets selected to delete.";
constexpr const char* kClipboardEmptyText = "Cannot paste, clipboard is empty.";
constexpr const char* kLoopIntoExtendedText = "Cannot insert a loop snippet into an extended audio track.";
constexpr const char* kExtendedIntoLoopText = "Cannot paste an extended snippet into a loop based track.";
constexpr const char* kJoinLoopText =
    "Cannot perfrom join on loop snippets.  To convert to an extended audio track, please go to properties.";
constexpr const char* kJoinTooFewText = "Two or more snippets must be selected in order to perform this operation.";
constexpr const char* kNothingToShiftText = "None of the selected tracks contain data to move.";
constexpr const char* kEditLoopSnippetText = "Sorry, cannot edit a loop snippet.";
constexpr const char* kTempoTooLowText =
    "Cannot lower tempo.  Doing so would exceed maximum project length of 90 minutes.";
constexpr const char* kNoLoopsText = "No audio loops exist.";
constexpr const char* kDeleteUsedLoopText =
    "This loop currently exists as part of the project.  Please remove it from the project's track view before "
    "deleting from the loop bank.";
constexpr const char* kEditUsedLoopText =
    "Sorry, cannot edit a loop that is currently a part of this project.\n"
    "Please remove the loop from the Track View before attempting to edit.";

// Progress captions.
constexpr const char* kPastingCaption = "Pasting Audio...";
constexpr const char* kJoiningCaption = "Joining Audio...";
constexpr const char* kConvertingCaption = "Converting To Extended Audio Track";
constexpr const char* kLoadingLoopCaption = "Initializing loop information.";
constexpr const char* kCreatingLoopCaption = "Creating Loop...";
constexpr const char* kUntitledLoop = "Untitled";

constexpr float kMinTempo = 50.0f;
constexpr float kMaxTempo = 250.0f;
constexpr int kBeatsPerMeasure = 4;  // a loop made from a segment is counted in 4/4

// The fault line of a loop's properties without a view; the other faults
// here report the line they are raised at.
constexpr int kLineLoopPropertiesNoView = 1902;
constexpr const char* kDivideByZero = "Divide By Zero Violation";

constexpr const char* kNothingToCutText = "No snippets selected to cut.";
constexpr int kInsertLoopMenuEntries = 32;

// While an operation's progress window pumps events, or audio runs (the
// refusal box then shown), a command must do nothing.
bool Refused(CProApp& app);

// A snapshot or clipboard list, empty.
std::unique_ptr<CAudioTrackList> NewSnapshot();

// Whether the track of that index holds a snippet.
bool HasSnippets(const CAudioTrackList& list, int index);
// Every snippet of every track of list.
size_t CountSnippets(CAudioTrackList& list);
// The smallest start and the largest end of list's snippets; false when it has none.
bool SnippetExtent(CAudioTrackList& list, uint32_t* first, uint32_t* end);

// The most frames one track of list covers, from its first start to its last
// end: how far the snippets reach when a paste or shift puts the first at a frame.
uint32_t WidestTrackSpan(CAudioTrackList& list);

// What the Audio Editor holds now, as an undo record keeps it.
EditorContent ShownContent(const CProApp& app);

// The Audio Editor's rule after snippets left the project: when it shows one
// of list's snippets from that snippet's track, the record keeps what it
// showed and the editor is cleared.
void ClearEditorOfRemoved(CProApp& app, CAudioTrackList& list, COperation& record);

// After the arrangement changed: the record kept, the project marked
// modified and its processors made ready for what may play now.
void Record(CProApp& app, std::unique_ptr<COperation> record);

// Removes a result's audio files that nothing will keep.
void DiscardAudio(const std::shared_ptr<CAudioSegment>& segment);

// A segment written through an operation record: closed and mapped, its view
// over all of it, no highlight.
void FinishSegment(CAudioSegment& segment);

}  // namespace track
