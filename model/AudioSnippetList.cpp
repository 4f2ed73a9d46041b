#include "AudioSnippetList.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "AudioLoop.h"
#include "AudioSnippetLoop.h"
#include "Generic.h"

namespace {

constexpr int kLineRemoveAllNoLoop = 92;
constexpr int kLineAddNoSnippet = 164;
constexpr int kLineAddNoMemory = 171;
constexpr int kLineAddNoLoop = 216;
constexpr int kLineRemoveNoLoop = 348;
constexpr int kLineRenderSnippetAbsent = 993;
constexpr int kLineSelectedNoBlock = 1085;
constexpr int kLineRenderNoBlock = 1301;
constexpr int kLineLimitsNoLowest = 1387;
constexpr int kLineLimitsNoHighest = 1392;
constexpr int kLineLimitsNoFirst = 1397;
constexpr int kLineLimitsNoLast = 1402;
constexpr int kLineMatchingNoOther = 1587;

bool StartsEarlier(const std::shared_ptr<CAudioSnippet>& a, const std::shared_ptr<CAudioSnippet>& b) {
  return a->start < b->start;
}

uint32_t WindowEnd(uint32_t position, uint32_t frames) {
  const uint64_t end = uint64_t{position} + frames;
  return end > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(end);
}

}  // namespace

CAudioSnippetList::CAudioSnippetList() = default;

CAudioSnippetList::~CAudioSnippetList() = default;

void CAudioSnippetList::CountLoopUse(const CAudioSnippet& snippet, int delta, int missingLoopLine) {
  if (listMode_ != kModeProject || snippet.kind != CAudioSnippet::kKindLoop) return;
  const auto* loopSnippet = dynamic_cast<const CAudioSnippetLoop*>(&snippet);
  CAudioLoop* loop = loopSnippet ? loopSnippet->GetLoop() : nullptr;
  if (!loop) {
    ReportError(__FILE__, missingLoopLine, "");
    return;
  }
  loop->useCount = std::max(0, loop->useCount + delta);
}

// The report line of a snippet the list does not take, 0 when it takes it.
int CAudioSnippetList::RefusalLine(const CAudioSnippet* snippet) const {
  if (!snippet) return kLineAddNoSnippet;
  if (listMode_ == kModeProject && snippet->kind == CAudioSnippet::kKindLoop) {
    const auto* loopSnippet = dynamic_cast<const CAudioSnippetLoop*>(snippet);
    if (!loopSnippet || !loopSnippet->GetLoop()) return kLineAddNoLoop;
  }
  return 0;
}

int CAudioSnippetList::AddSnippet(std::shared_ptr<CAudioSnippet> snippet) {
  if (const int line = RefusalLine(snippet.get())) {
    ReportError(__FILE__, line, "");
    return 3;
  }
  // The list is in start order: the first node that starts at the same frame or later.
  auto at = std::lower_bound(snippets_.begin(), snippets_.end(), snippet, StartsEarlier);
  try {
    snippets_.insert(at, snippet);
  } catch (const std::bad_alloc&) {
    ReportError(__FILE__, kLineAddNoMemory, "");
    return 3;
  }
  CountLoopUse(*snippet, +1, kLineAddNoLoop);
  RecomputeExtent();
  return 1;
}

// Inserting one by one puts each snippet before those already there with the
// same start: among equal starts the one added last comes first. So the
// added ones are sorted by start, later ones first on ties, and merged in
// front of the nodes of their start.
int CAudioSnippetList::AddSnippets(const std::vector<std::shared_ptr<CAudioSnippet>>& snippets) {
  int result = 1;
  std::vector<std::shared_ptr<CAudioSnippet>> added;
  try {
    added.reserve(snippets.size());
    for (const std::shared_ptr<CAudioSnippet>& snippet : snippets) {
      if (const int line = RefusalLine(snippet.get())) {
        ReportError(__FILE__, line, "");
        result = 3;
      } else {
        added.push_back(snippet);
      }
    }
    std::reverse(added.begin(), added.end());
    std::stable_sort(added.begin(), added.end(), StartsEarlier);
    std::vector<std::shared_ptr<CAudioSnippet>> merged;
    merged.reserve(snippets_.size() + added.size());
    std::merge(added.begin(), added.end(), snippets_.begin(), snippets_.end(), std::back_inserter(merged),
               StartsEarlier);
    snippets_.swap(merged);
  } catch (const std::bad_alloc&) {
    ReportError(__FILE__, kLineAddNoMemory, "");
    return 3;
  }
  for (const auto& snippet : added) CountLoopUse(*snippet, +1, kLineAddNoLoop);
  RecomputeExtent();
  return result;
}

int CAudioSnippetList::RemoveSnippet(uint32_t identifier) {
  auto at = std::find_if(snippets_.begin(), snippets_.end(),
                         [identifier](const std::shared_ptr<CAudioSnippet>& s) {
                           return s->GetIdentifier() == identifier;
                         });
  if (at == snippets_.end()) return 1;
  CountLoopUse(**at, -1, kLineRemoveNoLoop);
  snippets_.erase(at);
  RecomputeExtent();
  return 0;
}

int CAudioSnippetList::RemoveAllNodes() {
  for (const auto& s : snippets_) CountLoopUse(*s, -1, kLineRemoveAllNoLoop);
  snippets_.clear();
  RecomputeExtent();
  return 1;
}

// RemoveSnippet for each, front to back, in one pass.
int CAudioSnippetList::RemoveAllSnippets() {
  for (const auto& s : snippets_) CountLoopUse(*s, -1, kLineRemoveNoLoop);
  snippets_.clear();
  RecomputeExtent();
  trackPitch = 0.0f;
  return 0;
}

int CAudioSnippetList::DeleteAllSnippets() {
  for (const auto& s : snippets_) CountLoopUse(*s, -1, kLineRemoveAllNoLoop);
  snippets_.clear();
  RecomputeExtent();
  return 1;
}

int CAudioSnippetList::SortByStart() {
  ++shape_;
  std::stable_sort(snippets_.begin(), snippets_.end(),
                   [](const std::shared_ptr<CAudioSnippet>& a, const std::shared_ptr<CAudioSnippet>& b) {
                     return a->start < b->start;
                   });
  return 1;
}

int CAudioSnippetList::FindSnippet(uint32_t identifier, std::shared_ptr<CAudioSnippet>* out) const {
  for (const auto& s : snippets_) {
    if (s->GetIdentifier() == identifier) {
      if (out) *out = s;
      return 1;
    }
  }
  if (out) out->reset();
  return 3;
}

bool CAudioSnippetList::ContainsSnippet(uint32_t identifier) const { return FindSnippet(identifier, nullptr) == 1; }

int CAudioSnippetList::HitTest(int32_t x, int32_t y, std::shared_ptr<CAudioSnippet>* out) const {
  for (const auto& s : snippets_) {
    if (s->GetScreenRects().HitTest(x, y)) {
      if (out) *out = s;
      return 1;
    }
  }
  if (out) out->reset();
  return 3;
}

void CAudioSnippetList::Restart(Cursor& cursor, uint32_t first, uint32_t end) {
  cursor.node = 0;
  cursor.windowStart = first;
  cursor.windowEnd = end;
  cursor.sweep.ready = false;
}

void CAudioSnippetList::ResetIterator() { Restart(cursorA_, firstStart_, lastEnd_); }
void CAudioSnippetList::ResetIterator2() { Restart(cursorB_, firstStart_, lastEnd_); }

void CAudioSnippetList::SetWindow(uint32_t first, uint32_t end) {
  Restart(cursorA_, first, end);
  while (cursorA_.node < snippets_.size()) {
    const CAudioSnippet& s = *snippets_[cursorA_.node];
    if (s.start < end && s.end > first) break;
    ++cursorA_.node;
  }
}

void CAudioSnippetList::SetWindow2(uint32_t first, uint32_t end) { Restart(cursorB_, first, end); }

int CAudioSnippetList::GetNextSnippet(CAudioSnippet** out) {
  while (cursorA_.node < snippets_.size()) {
    CAudioSnippet* s = snippets_[cursorA_.node++].get();
    if (s->start < cursorA_.windowEnd && s->end > cursorA_.windowStart) {
      if (out) *out = s;
      return 1;
    }
  }
  if (out) *out = nullptr;
  return 0;
}

size_t CAudioSnippetList::WalkToNextPiece(Cursor& cursor, bool selectedOnly, uint32_t* pieceStart,
                                          uint32_t* pieceEnd) const {
  const uint32_t ws = cursor.windowStart;
  const uint32_t we = cursor.windowEnd;
  size_t candidate = kNoNode;
  uint32_t candidateLayer = 0;
  uint32_t e = we;
  for (size_t i = 0; i < snippets_.size(); ++i) {
    const CAudioSnippet& s = *snippets_[i];
    if (selectedOnly && !s.selected) continue;
    if (s.start >= we || s.end <= ws) continue;
    if (candidate == kNoNode) {
      candidate = i;
      candidateLayer = s.layer;
      e = s.end;
      continue;
    }
    // Among equal layers the earlier snippet in the list stays on top.
    if (s.layer <= candidateLayer) continue;
    if (s.start <= ws) {
      candidate = i;
      candidateLayer = s.layer;
      e = s.end;
    } else if (s.start < e) {
      e = s.start;
    }
  }
  if (candidate == kNoNode) {
    *pieceStart = *pieceEnd = 0;
    return kNoNode;
  }
  *pieceStart = std::max(snippets_[candidate]->start, ws);
  *pieceEnd = e;
  cursor.windowStart = e;
  return candidate;
}

namespace {

// Heap order: the highest layer on top, and of equal layers the earliest node.
struct LowerOnTop {
  template <typename Open>
  bool operator()(const Open& a, const Open& b) const {
    return a.layer < b.layer || (a.layer == b.layer && a.node > b.node);
  }
};

}  // namespace

// The walk above gives the window's piece from the snippets that have begun
// by its start (the highest layer of them, the earliest on ties) and the first
// higher one to begin after it. In a list in start order those are the open
// snippets of a sweep along the window and the nodes just past it, and the
// window's start only moves on: every node is opened, passed and dropped once.
size_t CAudioSnippetList::SweepToNextPiece(Cursor& cursor, bool selectedOnly, uint32_t* pieceStart,
                                           uint32_t* pieceEnd) const {
  Sweep& sweep = cursor.sweep;
  if (!sweep.ready || sweep.shape != shape_ || sweep.selectedOnly != selectedOnly) {
    sweep.ready = true;
    sweep.shape = shape_;
    sweep.selectedOnly = selectedOnly;
    sweep.next = 0;
    sweep.open.clear();
    sweep.wholeWalks = !std::is_sorted(snippets_.begin(), snippets_.end(), StartsEarlier);
  }
  if (sweep.wholeWalks) return WalkToNextPiece(cursor, selectedOnly, pieceStart, pieceEnd);
  const uint32_t ws = cursor.windowStart;
  const uint32_t we = cursor.windowEnd;
  const auto takesPart = [selectedOnly](const CAudioSnippet& s) { return !selectedOnly || s.selected; };
  for (; sweep.next < snippets_.size(); ++sweep.next) {
    const CAudioSnippet& s = *snippets_[sweep.next];
    if (s.start > ws || s.start >= we) break;
    if (takesPart(s) && s.end > ws) {
      sweep.open.push_back({s.layer, sweep.next});
      std::push_heap(sweep.open.begin(), sweep.open.end(), LowerOnTop{});
    }
  }
  while (!sweep.open.empty() && snippets_[sweep.open.front().node]->end <= ws) {
    std::pop_heap(sweep.open.begin(), sweep.open.end(), LowerOnTop{});
    sweep.open.pop_back();
  }
  size_t candidate = kNoNode;
  size_t after = sweep.next;
  if (!sweep.open.empty()) {
    candidate = sweep.open.front().node;
  } else {
    // In a gap: the first snippet to begin inside the window, whatever its layer.
    for (size_t i = sweep.next; i < snippets_.size() && snippets_[i]->start < we; ++i) {
      if (takesPart(*snippets_[i])) {
        candidate = i;
        break;
      }
    }
    if (candidate == kNoNode) {
      *pieceStart = *pieceEnd = 0;
      return kNoNode;
    }
    after = candidate + 1;
  }
  const CAudioSnippet& top = *snippets_[candidate];
  uint32_t e = top.end;
  for (size_t i = after; i < snippets_.size(); ++i) {
    const CAudioSnippet& s = *snippets_[i];
    if (s.start >= we || s.start >= e) break;
    if (takesPart(s) && s.layer > top.layer) {
      e = s.start;
      break;
    }
  }
  *pieceStart = std::max(top.start, ws);
  *pieceEnd = e;
  cursor.windowStart = e;
  return candidate;
}

int CAudioSnippetList::NextVisiblePiece(Cursor& cursor, bool selectedOnly, Walk walk, CAudioSnippet** out,
                                        uint32_t* pieceStart, uint32_t* pieceEnd) const {
  uint32_t ps = 0, pe = 0;
  const size_t node = walk == Walk::kWhole ? WalkToNextPiece(cursor, selectedOnly, &ps, &pe)
                                           : SweepToNextPiece(cursor, selectedOnly, &ps, &pe);
  if (out) *out = node == kNoNode ? nullptr : snippets_[node].get();
  if (pieceStart) *pieceStart = ps;
  if (pieceEnd) *pieceEnd = pe;
  return node == kNoNode ? 0 : 1;
}

int CAudioSnippetList::GetNextVisiblePiece(CAudioSnippet** out, uint32_t* pieceStart, uint32_t* pieceEnd) {
  return NextVisiblePiece(cursorA_, false, Walk::kSweep, out, pieceStart, pieceEnd);
}

int CAudioSnippetList::GetNextVisiblePiece(std::shared_ptr<CAudioSnippet>* out, uint32_t* pieceStart,
                                           uint32_t* pieceEnd) {
  uint32_t ps = 0, pe = 0;
  const size_t node = SweepToNextPiece(cursorA_, false, &ps, &pe);
  if (out) *out = node == kNoNode ? nullptr : snippets_[node];
  if (pieceStart) *pieceStart = ps;
  if (pieceEnd) *pieceEnd = pe;
  return node == kNoNode ? 0 : 1;
}

int CAudioSnippetList::GetNextVisiblePiece2(CAudioSnippet** out, uint32_t* pieceStart, uint32_t* pieceEnd) {
  return NextVisiblePiece(cursorB_, false, Walk::kSweep, out, pieceStart, pieceEnd);
}

int CAudioSnippetList::GetNextVisibleSelectedPiece(CAudioSnippet** out, uint32_t* pieceStart,
                                                   uint32_t* pieceEnd) {
  return NextVisiblePiece(cursorB_, true, Walk::kSweep, out, pieceStart, pieceEnd);
}

void CAudioSnippetList::MarkHeard(uint32_t position, uint32_t frames, bool selectedOnly) {
  ++blockSerial_;
  const uint32_t blockEnd = WindowEnd(position, frames);
  Cursor cursor{0, position, blockEnd, {}};
  CAudioSnippet* s = nullptr;
  uint32_t ps = 0, pe = 0;
  while (cursor.windowStart < blockEnd && NextVisiblePiece(cursor, selectedOnly, Walk::kWhole, &s, &ps, &pe)) {
    if (std::min(pe, blockEnd) > ps) s->listMark_ = blockSerial_;
  }
}

// A snippet heard anywhere in the block plays its whole stretch of the block,
// also where a newer snippet covers it, so its processor's stream runs on
// unbroken and it comes back exactly where it would have been. A snippet not
// heard at all is stopped.
int CAudioSnippetList::PrefetchBlock(uint32_t position, uint32_t frames, float semitones, bool selectedOnly) {
  MarkHeard(position, frames, selectedOnly);
  const uint32_t blockEnd = WindowEnd(position, frames);
  // Stops first, so that what they give back serves the starts of the same block.
  for (const auto& node : snippets_) {
    CAudioSnippet& s = *node;
    if (s.listMark_ != blockSerial_ && s.GetState() == CAudioSnippet::kStateRunning) s.StopTempoPitch();
  }
  for (const auto& node : snippets_) {
    CAudioSnippet& s = *node;
    if (s.listMark_ != blockSerial_) continue;
    if (s.GetState() != CAudioSnippet::kStateRunning && s.StartTempoPitch(semitones, frames, settings_, pool_) != 1) {
      continue;
    }
    const uint32_t first = std::max(s.start, position);
    const uint32_t last = std::min(s.end, blockEnd);
    s.rangeStart_ = first;
    s.Prefetch(first, last - first, frames);
  }
  return 0;
}

int CAudioSnippetList::RenderBlock(int16_t* block, uint32_t position, uint32_t frames, bool selectedOnly) {
  std::memset(block, 0, static_cast<size_t>(frames) * 2 * sizeof(int16_t));
  MarkHeard(position, frames, selectedOnly);
  const uint32_t blockEnd = WindowEnd(position, frames);
  for (const auto& node : snippets_) {
    CAudioSnippet& s = *node;
    if (s.listMark_ != blockSerial_) continue;
    const uint32_t first = std::max(s.start, position);
    const uint32_t last = std::min(s.end, blockEnd);
    s.rangeStart_ = first;
    s.RenderRange(first, last - first, frames, nullptr);
  }
  Cursor cursor{0, position, blockEnd, {}};
  CAudioSnippet* s = nullptr;
  uint32_t ps = 0, pe = 0;
  while (cursor.windowStart < blockEnd && NextVisiblePiece(cursor, selectedOnly, Walk::kWhole, &s, &ps, &pe)) {
    pe = std::min(pe, blockEnd);
    if (pe <= ps) continue;
    s->AddRendered(block + static_cast<size_t>(ps - position) * 2, ps - s->rangeStart_, pe - ps);
  }
  return 0;
}

int CAudioSnippetList::Prefetch(uint32_t position, uint32_t frames, float globalPitch, int pitchFlag) {
  return PrefetchBlock(position, frames, pitchFlag ? globalPitch + trackPitch : 0.0f, false);
}

int CAudioSnippetList::Render(int16_t* block, uint32_t position, uint32_t frames) {
  if (!block) {
    ReportError(__FILE__, kLineRenderNoBlock, "");
    return 3;
  }
  return RenderBlock(block, position, frames, false);
}

int CAudioSnippetList::PrefetchSelected(uint32_t position, uint32_t frames) {
  return PrefetchBlock(position, frames, 0.0f, true);
}

int CAudioSnippetList::RenderSelected(int16_t* block, uint32_t position, uint32_t frames) {
  if (!block) {
    ReportError(__FILE__, kLineSelectedNoBlock, "");
    return 3;
  }
  return RenderBlock(block, position, frames, true);
}

int CAudioSnippetList::PrefetchSnippet(uint32_t identifier, uint32_t position, uint32_t frames, float semitones) {
  std::shared_ptr<CAudioSnippet> s;
  if (FindSnippet(identifier, &s) != 1) return 0;
  if (s->GetState() != CAudioSnippet::kStateRunning &&
      s->StartTempoPitch(trackPitch + semitones, frames, settings_, pool_) != 1) {
    return 0;
  }
  const uint32_t first = std::max(s->start, position);
  const uint32_t last = std::min(s->end, WindowEnd(position, frames));
  if (last > first) s->Prefetch(first, last - first, frames);
  return 0;
}

int CAudioSnippetList::RenderSnippet(uint32_t identifier, int16_t* block, uint32_t position, uint32_t frames) {
  if (!block) {
    ReportError(__FILE__, __LINE__, "");
    return 3;
  }
  std::memset(block, 0, static_cast<size_t>(frames) * 2 * sizeof(int16_t));
  std::shared_ptr<CAudioSnippet> s;
  if (FindSnippet(identifier, &s) != 1) {
    ReportError(__FILE__, kLineRenderSnippetAbsent, "");
    return 0;
  }
  const uint32_t first = std::max(s->start, position);
  const uint32_t last = std::min(s->end, WindowEnd(position, frames));
  if (last <= first) return 0;
  s->RenderRange(first, last - first, frames, nullptr);
  s->AddRendered(block + static_cast<size_t>(first - position) * 2, 0, last - first);
  return 0;
}

// Every running snippet, heard or not: a processor left running would resume
// from a stale place the next time playback starts.
int CAudioSnippetList::StopAllProcessors() {
  for (const auto& s : snippets_) {
    if (s->GetState() == CAudioSnippet::kStateRunning) s->StopTempoPitch();
  }
  return 0;
}

void CAudioSnippetList::CountPlayableAtOnce(uint32_t windowFrames, uint32_t counts[2]) const {
  // A snippet can sound in every window [p, p + windowFrames) that overlaps it,
  // that is for p in (start - windowFrames, end): the most such spans that
  // overlap is the most snippets one window can hold.
  struct Edge {
    int64_t at;
    int delta;
  };
  for (int kind = 0; kind < 2; ++kind) {
    std::vector<Edge> edges;
    for (const auto& s : snippets_) {
      const int16_t channels = s->GetChannels();
      if (channels == 0 || (channels == 1) != (kind == 0) || s->end <= s->start) continue;
      edges.push_back({int64_t{s->start} - windowFrames + 1, +1});
      edges.push_back({int64_t{s->end}, -1});
    }
    // At one place an end comes before a beginning: the spans are half open.
    std::sort(edges.begin(), edges.end(),
              [](const Edge& a, const Edge& b) { return a.at < b.at || (a.at == b.at && a.delta < b.delta); });
    int open = 0, most = 0;
    for (const Edge& e : edges) {
      open += e.delta;
      most = std::max(most, open);
    }
    counts[kind] += static_cast<uint32_t>(most);
  }
}

int CAudioSnippetList::SetTempo(float projectTempo) {
  // Refused once for the list, not once per snippet.
  if (!IsPlayableTempo(projectTempo)) {
    ReportError(__FILE__, __LINE__, "A tempo must be a finite number above zero.");
    return 3;
  }
  int result = 1;
  for (const auto& s : snippets_) {
    if (s->SetTempo(projectTempo) != 1) result = 3;
  }
  // Rounding may reorder snippets a frame apart; the layering walk needs start order.
  SortByStart();
  RecomputeExtent();
  return result;
}

void CAudioSnippetList::MoveBy(CAudioSnippet& snippet, int64_t delta) {
  const int64_t moved = std::clamp<int64_t>(int64_t{snippet.start} + delta, 0, 0xFFFFFFFF);
  const uint32_t span = snippet.end - snippet.start;
  snippet.start = static_cast<uint32_t>(moved);
  snippet.end = snippet.start + span;
}

int CAudioSnippetList::MoveAllTo(uint32_t frame) {
  if (snippets_.empty()) return 0;
  const int64_t delta = int64_t{frame} - snippets_.front()->start;
  for (const auto& s : snippets_) MoveBy(*s, delta);
  RecomputeExtent();
  return 0;
}

int CAudioSnippetList::MoveSelectedTo(uint32_t frame) {
  auto first = std::find_if(snippets_.begin(), snippets_.end(),
                            [](const std::shared_ptr<CAudioSnippet>& s) { return s->selected != 0; });
  if (first == snippets_.end()) return 0;
  const int64_t delta = int64_t{frame} - (*first)->start;
  if (delta == 0) return 0;
  for (const auto& s : snippets_) {
    if (s->selected) MoveBy(*s, delta);
  }
  SortByStart();
  RecomputeExtent();
  return 0;
}

int CAudioSnippetList::MoveMatchingTo(uint32_t frame, const CAudioSnippetList* other) {
  if (!other) {
    ReportError(__FILE__, kLineMatchingNoOther, "");
    return 3;
  }
  auto matches = [other](const CAudioSnippet& s) {
    int count = 0;
    for (const auto& o : other->snippets_) {
      if (s.GetIdentifier() == o->GetIdentifier() || s.GetIdentifier() == o->GetSourceIdentifier()) ++count;
    }
    return count;
  };
  auto first = std::find_if(snippets_.begin(), snippets_.end(),
                            [&](const std::shared_ptr<CAudioSnippet>& s) { return matches(*s) > 0; });
  if (first == snippets_.end()) return 0;
  const int64_t delta = int64_t{frame} - (*first)->start;
  if (delta == 0) return 0;
  for (const auto& s : snippets_) {
    const int count = matches(*s);
    if (count) MoveBy(*s, delta * count);
  }
  SortByStart();
  RecomputeExtent();
  return 0;
}

int CAudioSnippetList::SelectAll() {
  ++shape_;
  for (const auto& s : snippets_) s->selected = 1;
  selectionAnchor = 0;
  return 1;
}

int CAudioSnippetList::DeselectAll() {
  ++shape_;
  for (const auto& s : snippets_) s->selected = 0;
  selectionAnchor = 0;
  return 0;
}

int CAudioSnippetList::SelectSnippet(uint32_t identifier) {
  ++shape_;
  auto indexOf = [this](uint32_t id) -> ptrdiff_t {
    for (size_t i = 0; i < snippets_.size(); ++i) {
      if (snippets_[i]->GetIdentifier() == id) return static_cast<ptrdiff_t>(i);
    }
    return -1;
  };
  const ptrdiff_t k = indexOf(identifier);
  if (k < 0) return 0;
  const ptrdiff_t anchor = selectionAnchor ? indexOf(selectionAnchor) : -1;
  if (anchor < 0) {
    snippets_[k]->selected = 1;
    return 0;
  }
  const ptrdiff_t low = std::min(anchor, k);
  const ptrdiff_t high = std::max(anchor, k);
  for (ptrdiff_t i = 0; i < static_cast<ptrdiff_t>(snippets_.size()); ++i) {
    snippets_[i]->selected = (i >= low && i <= high) ? 1 : 0;
  }
  return 0;
}

uint16_t CAudioSnippetList::CountSelected() const {
  size_t count = 0;
  for (const auto& s : snippets_) count += s->selected ? 1 : 0;
  return static_cast<uint16_t>(std::min<size_t>(count, 0xFFFF));
}

int CAudioSnippetList::GetSelectionMoveLimits(uint32_t* lowest, uint32_t* highest, uint32_t* firstStart,
                                              uint32_t* lastEnd) {
  const int missing = !lowest ? kLineLimitsNoLowest
                      : !highest ? kLineLimitsNoHighest
                      : !firstStart ? kLineLimitsNoFirst
                      : !lastEnd ? kLineLimitsNoLast
                      : 0;
  if (missing) {
    ReportError(__FILE__, missing, "");
    return 3;
  }
  *firstStart = 0;
  *lastEnd = 0;
  bool met = false;
  Cursor cursor{0, firstStart_, lastEnd_, {}};
  CAudioSnippet* s = nullptr;
  uint32_t ps = 0, pe = 0;
  while (NextVisiblePiece(cursor, false, Walk::kSweep, &s, &ps, &pe)) {
    if (!s->selected) continue;
    if (!met) *firstStart = s->start;
    met = true;
    *lastEnd = s->end;
  }
  *lowest = 0;
  *highest = kMaxProjectFrames;
  return 0;
}

void CAudioSnippetList::RecomputeExtent() {
  // Called after every change to the snippets or their places.
  ++shape_;
  if (snippets_.empty()) {
    firstStart_ = lastEnd_ = extentLength_ = 0;
    return;
  }
  uint32_t first = 0xFFFFFFFF, last = 0;
  for (const auto& s : snippets_) {
    first = std::min(first, s->start);
    last = std::max(last, s->end);
  }
  firstStart_ = first;
  lastEnd_ = last;
  extentLength_ = last > first ? last - first : 0;
}

uint32_t CAudioSnippetList::GetFirstStart() const {
  uint32_t first = kNoStart;
  for (const auto& s : snippets_) first = std::min(first, s->start);
  return first;
}
