// The loop bank: at most 32 loops, kept in order of their numbers 0..count-1,
// and the entries of the Track View's insert-loop menu.
//
// The bank holds its loops through std::shared_ptr: undo records, the Audio
// Editor and loop snippets may keep a loop after it left the bank.
// Threads: user-interface thread only, while nothing plays.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "AudioLoop.h"

// One entry of the insert-loop menu.
struct LoopMenuEntry {
  uint32_t commandId;  // 55100 + the loop number
  std::string text;    // "Loop <number + 1> - <title>", at most 63 bytes
};

class CAudioLoopList {
 public:
  static constexpr uint32_t kFirstLoopCommand = 55100;
  static constexpr size_t kMaxMenuTextBytes = 63;

  explicit CAudioLoopList(int listMode = 1);
  virtual ~CAudioLoopList();

  int GetListMode() const { return listMode_; }
  int GetCount() const { return static_cast<int>(loops_.size()); }
  // The refusal of a new loop when the bank is full, else nullptr.
  const char* RefuseNewLoop() const;

  // Inserts by the loop's number, moving later loops up by one; a number at or
  // past the end (kAppendNumber) appends and becomes the count.
  int AddLoop(std::shared_ptr<CAudioLoop> loop);
  // Takes the loop out and closes the gap in the numbers; 3 (unreported) when it is not here.
  int RemoveLoop(uint32_t loopIdentifier);
  // Loops numbered above loopNumber move down (direction 1) or up (0) by one.
  void RenumberAfter(int loopNumber, int direction);
  // 3 (unreported) when no loop has the number.
  int FindLoop(int loopNumber, std::shared_ptr<CAudioLoop>* loop) const;

  // A walk over the loops numbered first..last (0..32 after a reset).
  void ResetIterator();
  void SetIteratorRange(int first, int last);
  // 1 with the next loop of the walk; 0 and nullptr when the walk is over.
  int GetNextLoop(std::shared_ptr<CAudioLoop>* loop);

  void SelectLoop(int loopNumber);
  // The first selected loop's number; 0 when none is selected.
  int GetSelectedLoopNumber() const;
  void SetLoopColors(int loopNumber, const TrackColorSet& colors);

  // Both empty the bank; the loops live on wherever else they are held.
  int RemoveAllNodes();
  int DeleteAllLoops();

  std::vector<LoopMenuEntry> BuildLoopMenu() const;

 private:
  int listMode_;
  std::vector<std::shared_ptr<CAudioLoop>> loops_;
  size_t iterator_ = 0;
  int iteratorFirst_ = 0;
  int iteratorLast_ = kMaxLoops;
};
