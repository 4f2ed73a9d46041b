// The undo and redo history: every change to the project's tracks, snippets
// and loop bank that can be taken back is one COperation holding what is
// needed to undo and redo it, kept in order with a current position and no
// depth limit.
//
// A record keeps its snapshot lists, snippets, loops and segments alive
// through std::shared_ptr, so a snippet a record shares with the clipboard or
// the project is freed only when nothing holds it any more.
//
// Threads: user-interface thread only, while no audio runs.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "AudioTrackList.h"

class CAudioLoop;
class CAudioLoopList;
class CAudioSegment;

// Codes of undo records.
enum OperationType : int32_t {
  OperationInsertSnippets = 2,
  OperationDeleteSnippets = 4,
  OperationMoveSnippets = 5,
  OperationJoinSnippets = 6,
  OperationAddLoop = 8,
  OperationDeleteLoop = 9,
  OperationEditorContent = 12,
  OperationClearTrack = 14,
  OperationConvertTrack = 15,
  OperationShiftSnippets = 16,
  OperationEditSnippetAudio = 19,
  OperationEditLoopAudio = 20,
  OperationEditIndependentAudio = 21,
};

// What the Audio Editor showed, for the editor's follow-up after an undo or a redo.
struct EditorContent {
  std::shared_ptr<CAudioSnippet> snippet;
  int16_t trackIndex = -1;
  std::shared_ptr<CAudioLoop> loop;
  std::shared_ptr<CAudioSegment> segment;
};

class COperation {
 public:
  explicit COperation(int32_t operationType = 0) : type(operationType) {}
  virtual ~COperation() = default;
  COperation(const COperation&) = delete;
  COperation& operator=(const COperation&) = delete;

  int32_t type;
  uint32_t oldStart = 0, newStart = 0;  // moves
  std::unique_ptr<CAudioTrackList> listA, listB;
  std::shared_ptr<CAudioSnippet> snippetD, snippetC;
  int16_t trackD = 0, trackC = 0;
  std::shared_ptr<CAudioLoop> oldLoop, newLoop;  // removed or old loop; added or new loop
  EditorContent editorBefore, editorAfter;
};

class COperationList {
 public:
  COperationList() = default;
  virtual ~COperationList() { Clear(); }
  COperationList(const COperationList&) = delete;
  COperationList& operator=(const COperationList&) = delete;

  // Appends after the current record, discarding the redo side.
  int Add(std::unique_ptr<COperation> record);
  // Takes the current record back and steps back; 1, 0 when nothing can be
  // undone, 3 when the record lacks what it needs.
  int Undo(CAudioTrackList* project, CAudioLoopList* loopBank);
  // Steps forward and applies that record again; the result of its last
  // step, 0 when nothing can be redone.
  int Redo(CAudioTrackList* project, CAudioLoopList* loopBank);
  // The record Undo would take back; nullptr when nothing can be undone.
  COperation* GetCurrent() const;
  // The record Redo would apply; nullptr when nothing can be redone.
  COperation* GetNextToRedo() const;
  int Clear();
  size_t GetCount() const { return records_.size(); }

 private:
  int ApplyUndo(COperation& record, CAudioTrackList* project, CAudioLoopList* loopBank);
  int ApplyRedo(COperation& record, CAudioTrackList* project, CAudioLoopList* loopBank);

  std::vector<std::unique_ptr<COperation>> records_;
  size_t current_ = 0;
  bool canUndo_ = false;
  bool atStart_ = false;
};
