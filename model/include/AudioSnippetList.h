// One track's snippets in order of their start frame, and the answers the
// mixer, the Track View and the edit commands need of them: which snippet is
// heard at each frame where snippets overlap (the highest layer, the newest),
// which processors to start, feed and stop for the next block, what is
// selected, and how to move or re-time them.
//
// The list shares its snippets (std::shared_ptr) with undo records, the
// clipboard and other lists. In project mode each loop snippet counts as one
// use of its loop.
//
// Threads: Prefetch, Render and their variants run on the player thread (or a
// single-track render) under the track list's lock and allocate nothing once
// the processors run; everything else runs on the user-interface thread while
// nothing plays.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "AudioSnippet.h"

class CAudioSnippetList {
 public:
  // List modes shared by track lists, tracks and snippet lists.
  static constexpr int kModeProject = 1;
  static constexpr int kModeSnapshot = 2;
  static constexpr int kModeView = 3;
  static constexpr uint32_t kNoStart = 0xFFFFFFFF;
  // The last frame a selection may be placed at: 90 minutes.
  static constexpr uint32_t kMaxProjectFrames = 238140000;

  CAudioSnippetList();
  virtual ~CAudioSnippetList();
  CAudioSnippetList(const CAudioSnippetList&) = delete;
  CAudioSnippetList& operator=(const CAudioSnippetList&) = delete;

  // Sorted insert: after every snippet that starts earlier, before the first
  // that starts at the same frame or later.
  int AddSnippet(std::shared_ptr<CAudioSnippet> snippet);
  // The same as AddSnippet for each in turn, in one pass: what a project's
  // load or a redraw adds by the thousand. 3 when one of them was refused.
  int AddSnippets(const std::vector<std::shared_ptr<CAudioSnippet>>& snippets);
  // 0 removed, 1 not in the list, 3 fault.
  int RemoveSnippet(uint32_t identifier);
  int RemoveAllNodes();
  int RemoveAllSnippets();
  int DeleteAllSnippets();
  int SortByStart();

  int FindSnippet(uint32_t identifier, std::shared_ptr<CAudioSnippet>* out) const;
  bool ContainsSnippet(uint32_t identifier) const;
  int HitTest(int32_t x, int32_t y, std::shared_ptr<CAudioSnippet>* out) const;

  // Two cursors over windows of frames [first, end): A for the views and the
  // commands, B for playback.
  void ResetIterator();
  void ResetIterator2();
  void SetWindow(uint32_t first, uint32_t end);
  void SetWindow2(uint32_t first, uint32_t end);
  // The next snippet overlapping cursor A's window; 1, or 0 at the end.
  int GetNextSnippet(CAudioSnippet** out);
  // The next stretch of the window one snippet covers on top; 1, or 0 (and
  // start and end 0) when nothing is left. A piece may be empty.
  //
  // A walk over a window costs what it yields (plus one look at every snippet
  // when the window is set), as long as the list is in start order and keeps
  // its snippets, their places and layers while it is walked; a list put out
  // of order from outside (a snippet re-timed on its own) is walked whole for
  // every piece, with the same answers.
  int GetNextVisiblePiece(CAudioSnippet** out, uint32_t* pieceStart, uint32_t* pieceEnd);
  int GetNextVisiblePiece(std::shared_ptr<CAudioSnippet>* out, uint32_t* pieceStart, uint32_t* pieceEnd);
  int GetNextVisiblePiece2(CAudioSnippet** out, uint32_t* pieceStart, uint32_t* pieceEnd);
  int GetNextVisibleSelectedPiece(CAudioSnippet** out, uint32_t* pieceStart, uint32_t* pieceEnd);

  // One block of playback: stop what is not heard in [position, position +
  // frames), start what is, and read the sources. pitchFlag adds the global
  // and the track pitch.
  int Prefetch(uint32_t position, uint32_t frames, float globalPitch, int pitchFlag);
  // Renders the block into a zeroed stereo block of frames frames.
  int Render(int16_t* block, uint32_t position, uint32_t frames);
  // The same with only the selected snippets taking part, at pitch 0.
  int PrefetchSelected(uint32_t position, uint32_t frames);
  int RenderSelected(int16_t* block, uint32_t position, uint32_t frames);
  // One snippet alone, whatever lies over it.
  int PrefetchSnippet(uint32_t identifier, uint32_t position, uint32_t frames, float semitones);
  int RenderSnippet(uint32_t identifier, int16_t* block, uint32_t position, uint32_t frames);
  int StopAllProcessors();

  int SetTempo(float projectTempo);
  int MoveAllTo(uint32_t frame);
  int MoveSelectedTo(uint32_t frame);
  int MoveMatchingTo(uint32_t frame, const CAudioSnippetList* other);

  int SelectAll();
  int DeselectAll();
  int SelectSnippet(uint32_t identifier);
  uint16_t CountSelected() const;
  int GetSelectionMoveLimits(uint32_t* lowest, uint32_t* highest, uint32_t* firstStart, uint32_t* lastEnd);

  void RecomputeExtent();
  // The smallest start; kNoStart for an empty list.
  uint32_t GetFirstStart() const;
  uint32_t GetExtentStart() const { return firstStart_; }
  uint32_t GetLastEnd() const { return lastEnd_; }
  uint32_t GetExtentLength() const { return extentLength_; }
  size_t GetCount() const { return snippets_.size(); }
  const std::vector<std::shared_ptr<CAudioSnippet>>& Snippets() const { return snippets_; }

  void SetListMode(int mode) { listMode_ = mode; }
  int GetListMode() const { return listMode_; }
  // The processors' settings; the track list keeps them and hands them down.
  void SetTempoPitchSettings(const TempoPitchSettings& settings) { settings_ = settings; }
  const TempoPitchSettings& GetTempoPitchSettings() const { return settings_; }
  // Where starting snippets take their processors (the project's pool); none
  // in snapshot and view lists, whose snippets never play through them.
  void SetTempoPitchPool(std::shared_ptr<CTempoPitchPool> pool) { pool_ = std::move(pool); }
  // Adds, per source channel count (index 0 mono, 1 stereo), the most
  // snippets that can sound at once in blocks whose ranges span windowFrames
  // at most: an upper bound of the processors this list runs together.
  void CountPlayableAtOnce(uint32_t windowFrames, uint32_t counts[2]) const;

  uint32_t selectionAnchor = 0;  // identifier a range selection extends from, 0 for none
  float trackPitch = 0.0f;       // semitones added to the global pitch

 private:
  static constexpr size_t kNoNode = static_cast<size_t>(-1);

  // A snippet the sweep has passed the start of, with its layer when it was passed.
  struct OpenSnippet {
    uint32_t layer;
    size_t node;
  };
  // What a cursor's walk keeps between pieces: the snippets begun by the
  // window's start, as a heap with the highest layer (then the earliest node)
  // on top, and the first node not yet begun.
  struct Sweep {
    bool ready = false;
    bool wholeWalks = false;  // the list is out of start order
    bool selectedOnly = false;
    uint64_t shape = 0;
    size_t next = 0;
    std::vector<OpenSnippet> open;
  };
  struct Cursor {
    size_t node = 0;
    uint32_t windowStart = 0, windowEnd = 0;
    Sweep sweep;
  };

  static void Restart(Cursor& cursor, uint32_t first, uint32_t end);
  // The node of the next piece of the cursor's window, or kNoNode, from a
  // walk over every node; it allocates nothing.
  size_t WalkToNextPiece(Cursor& cursor, bool selectedOnly, uint32_t* pieceStart, uint32_t* pieceEnd) const;
  // The same answer from the cursor's sweep.
  size_t SweepToNextPiece(Cursor& cursor, bool selectedOnly, uint32_t* pieceStart, uint32_t* pieceEnd) const;
  // The player thread walks its blocks whole: a block holds few pieces, and a
  // sweep would allocate.
  enum class Walk { kWhole, kSweep };
  int NextVisiblePiece(Cursor& cursor, bool selectedOnly, Walk walk, CAudioSnippet** out, uint32_t* pieceStart,
                       uint32_t* pieceEnd) const;
  int RefusalLine(const CAudioSnippet* snippet) const;
  // Marks every snippet that has a non-empty visible piece in the window.
  void MarkHeard(uint32_t position, uint32_t frames, bool selectedOnly);
  int PrefetchBlock(uint32_t position, uint32_t frames, float semitones, bool selectedOnly);
  int RenderBlock(int16_t* block, uint32_t position, uint32_t frames, bool selectedOnly);
  void CountLoopUse(const CAudioSnippet& snippet, int delta, int missingLoopLine);
  static void MoveBy(CAudioSnippet& snippet, int64_t delta);

  std::vector<std::shared_ptr<CAudioSnippet>> snippets_;
  Cursor cursorA_, cursorB_;
  uint32_t firstStart_ = 0, lastEnd_ = 0, extentLength_ = 0;
  int listMode_ = kModeProject;
  TempoPitchSettings settings_;
  std::shared_ptr<CTempoPitchPool> pool_;
  uint64_t blockSerial_ = 0;
  // Changes whenever the list's snippets, their order, places or selection
  // may have changed: a sweep made before is made afresh.
  uint64_t shape_ = 0;
};
