#include "OperationList.h"

#include <new>

#include "AudioLoop.h"
#include "AudioLoopList.h"
#include "Generic.h"

namespace {

constexpr int kLineAddNoRecord = 127;
constexpr int kLineAddNoMemory = 141;
constexpr int kLineUndoNoNode = 248;
constexpr int kLineUndoNoRecord = 253;
constexpr int kLineRedoNoNode = 431;
constexpr int kLineRedoNoRecord = 436;

// The lines reported when a record or the caller lacks what a type needs.
struct NeedLines {
  int undo, redo;
};
constexpr NeedLines kInsertNeeds{291, 479};
constexpr NeedLines kDeleteNeeds{300, 488};
constexpr NeedLines kMoveNeeds{336, 497};
constexpr NeedLines kJoinJoinedNeeds{265, 446};
constexpr NeedLines kJoinPartsNeeds{270, 451};
constexpr NeedLines kJoinProjectNeeds{270, 456};
constexpr NeedLines kAddLoopNeeds{378, 539};
constexpr NeedLines kDeleteLoopNeeds{387, 548};
constexpr NeedLines kClearNeeds{309, 557};
constexpr NeedLines kConvertTrackNeeds{319, 566};
constexpr NeedLines kConvertSnippetNeeds{325, 566};
constexpr NeedLines kShiftNeeds{396, 582};
constexpr NeedLines kEditSnippetNeeds{351, 512};
constexpr NeedLines kEditLoopNeeds{367, 528};

// Reports and answers false when a needed object is missing.
bool Need(bool present, const NeedLines& lines, bool undo) {
  if (present) return true;
  ReportError(__FILE__, undo ? lines.undo : lines.redo, "");
  return false;
}

// Every object the record's type needs is there; reported otherwise, before anything changes.
bool HasWhatItNeeds(const COperation& r, const CAudioTrackList* project, const CAudioLoopList* bank, bool undo) {
  switch (r.type) {
    case OperationInsertSnippets:
      return Need(project && r.listB, kInsertNeeds, undo);
    case OperationDeleteSnippets:
      return Need(project && r.listA, kDeleteNeeds, undo);
    case OperationMoveSnippets:
      return Need(project && r.listA, kMoveNeeds, undo);
    case OperationJoinSnippets:
      return Need(project != nullptr, kJoinProjectNeeds, undo) && Need(r.snippetC != nullptr, kJoinJoinedNeeds, undo) &&
             Need(r.listA != nullptr, kJoinPartsNeeds, undo);
    case OperationAddLoop:
      return Need(bank && r.newLoop, kAddLoopNeeds, undo);
    case OperationDeleteLoop:
      return Need(bank && r.oldLoop, kDeleteLoopNeeds, undo);
    case OperationClearTrack:
      return Need(project && r.listA, kClearNeeds, undo);
    case OperationConvertTrack:
      return Need(project && r.listA, kConvertTrackNeeds, undo) &&
             Need(r.snippetC != nullptr, kConvertSnippetNeeds, undo);
    case OperationShiftSnippets:
      return Need(project && r.listA && r.listB, kShiftNeeds, undo);
    case OperationEditSnippetAudio:
      return Need(project && r.snippetC && r.snippetD, kEditSnippetNeeds, undo);
    case OperationEditLoopAudio:
      return Need(bank && r.oldLoop && r.newLoop, kEditLoopNeeds, undo);
    default:
      return true;
  }
}

}  // namespace

int COperationList::Add(std::unique_ptr<COperation> record) {
  if (!record) {
    ReportError(__FILE__, kLineAddNoRecord, "");
    return 3;
  }
  try {
    if (!canUndo_) {
      // Everything was undone (or nothing recorded yet): the old history goes.
      records_.clear();
      records_.push_back(std::move(record));
      current_ = 0;
    } else {
      records_.erase(records_.begin() + static_cast<ptrdiff_t>(current_) + 1, records_.end());
      records_.push_back(std::move(record));
      current_ = records_.size() - 1;
    }
  } catch (const std::bad_alloc&) {
    ReportError(__FILE__, kLineAddNoMemory, "");
    return 3;
  }
  canUndo_ = true;
  atStart_ = false;
  return 0;
}

int COperationList::Undo(CAudioTrackList* project, CAudioLoopList* loopBank) {
  if (!canUndo_) return 0;
  if (current_ >= records_.size()) {
    ReportError(__FILE__, kLineUndoNoNode, "");
    return 3;
  }
  COperation* record = records_[current_].get();
  if (!record) {
    ReportError(__FILE__, kLineUndoNoRecord, "");
    return 3;
  }
  if (!HasWhatItNeeds(*record, project, loopBank, true)) return 3;
  ApplyUndo(*record, project, loopBank);
  if (current_ > 0) {
    --current_;
    atStart_ = false;
  } else {
    canUndo_ = false;
    atStart_ = true;
  }
  return 1;
}

int COperationList::Redo(CAudioTrackList* project, CAudioLoopList* loopBank) {
  if (records_.empty()) return 0;
  size_t next = current_;
  // Everything undone: the first record is redone in place.
  if (!atStart_) {
    if (current_ + 1 >= records_.size()) return 0;
    next = current_ + 1;
  }
  if (next >= records_.size()) {
    ReportError(__FILE__, kLineRedoNoNode, "");
    return 3;
  }
  COperation* record = records_[next].get();
  if (!record) {
    ReportError(__FILE__, kLineRedoNoRecord, "");
    return 3;
  }
  if (!HasWhatItNeeds(*record, project, loopBank, false)) return 3;
  current_ = next;
  const int result = ApplyRedo(*record, project, loopBank);
  canUndo_ = true;
  atStart_ = false;
  return result;
}

int COperationList::ApplyUndo(COperation& r, CAudioTrackList* project, CAudioLoopList* bank) {
  switch (r.type) {
    case OperationInsertSnippets:
      return project->RemoveSnippetsOf(r.listB.get());
    case OperationDeleteSnippets:
      return project->MergeFrom(r.listA.get());
    case OperationMoveSnippets:
      return project->MoveMatchingTo(r.listA.get(), r.oldStart);
    case OperationJoinSnippets:
    case OperationConvertTrack:  // a converted track keeps its effects, gains and name throughout
      project->RemoveSnippet(r.trackC, r.snippetC->GetIdentifier());
      return project->MergeFrom(r.listA.get());
    case OperationAddLoop:
      return bank->RemoveLoop(r.newLoop->GetIdentifier());
    case OperationDeleteLoop:
      return bank->AddLoop(r.oldLoop);
    case OperationClearTrack:
      return project->ReattachTracksFrom(r.listA.get());
    case OperationShiftSnippets:
      return project->AlignTracksTo(r.listA.get());
    case OperationEditSnippetAudio:
      project->RemoveSnippet(r.trackC, r.snippetC->GetIdentifier());
      return project->AddSnippetToTrack(r.snippetD, r.trackD);
    case OperationEditLoopAudio:
      bank->RemoveLoop(r.newLoop->GetIdentifier());
      return bank->AddLoop(r.oldLoop);
    default:
      return 1;
  }
}

int COperationList::ApplyRedo(COperation& r, CAudioTrackList* project, CAudioLoopList* bank) {
  switch (r.type) {
    case OperationInsertSnippets:
      return project->MergeFrom(r.listB.get());
    case OperationDeleteSnippets:
      return project->RemoveSnippetsOf(r.listA.get());
    case OperationMoveSnippets:
      return project->MoveMatchingTo(r.listA.get(), r.newStart);
    case OperationJoinSnippets:
    case OperationConvertTrack:
      project->RemoveSnippetsOf(r.listA.get());
      return project->AddSnippetToTrack(r.snippetC, r.trackC);
    case OperationAddLoop:
      return bank->AddLoop(r.newLoop);
    case OperationDeleteLoop:
      return bank->RemoveLoop(r.oldLoop->GetIdentifier());
    case OperationClearTrack:
      return project->DetachTracksFor(r.listA.get());
    case OperationShiftSnippets:
      return project->AlignTracksTo(r.listB.get());
    case OperationEditSnippetAudio:
      project->RemoveSnippet(r.trackD, r.snippetD->GetIdentifier());
      return project->AddSnippetToTrack(r.snippetC, r.trackC);
    case OperationEditLoopAudio:
      bank->RemoveLoop(r.oldLoop->GetIdentifier());
      return bank->AddLoop(r.newLoop);
    default:
      return r.type;
  }
}

COperation* COperationList::GetCurrent() const {
  return canUndo_ && current_ < records_.size() ? records_[current_].get() : nullptr;
}

COperation* COperationList::GetNextToRedo() const {
  if (records_.empty()) return nullptr;
  if (atStart_) return records_[current_].get();
  return current_ + 1 < records_.size() ? records_[current_ + 1].get() : nullptr;
}

int COperationList::Clear() {
  records_.clear();
  current_ = 0;
  canUndo_ = false;
  atStart_ = false;
  return 0;
}
