#include "AudioLoopList.h"

#include <algorithm>

#include "Generic.h"

namespace {

constexpr const char* kSource = "AudioLoopList";

// Fault codes: the report lines of this file.
constexpr int kLineNoLoop = 96;
constexpr int kLineBankFull = __LINE__;

}  // namespace

CAudioLoopList::CAudioLoopList(int listMode) : listMode_(listMode) {}

CAudioLoopList::~CAudioLoopList() = default;

const char* CAudioLoopList::RefuseNewLoop() const {
  return loops_.size() >= static_cast<size_t>(kMaxLoops) ? kLoopBankFullText : nullptr;
}

int CAudioLoopList::AddLoop(std::shared_ptr<CAudioLoop> loop) {
  if (!loop) {
    ReportError(kSource, kLineNoLoop, "");
    return 3;
  }
  // The commands refuse first; a 33rd loop here would be lost when the project is saved.
  if (RefuseNewLoop()) {
    ReportError(kSource, kLineBankFull, kLoopBankFullText);
    return 3;
  }
  // Numbers stay 0..count-1: a number past the end appends, and a gap is never left.
  const int count = GetCount();
  const int place = std::clamp<int>(loop->loopNumber, 0, count);
  RenumberAfter(place - 1, 0);
  loop->loopNumber = static_cast<int16_t>(place);
  loops_.insert(loops_.begin() + place, std::move(loop));
  return 1;
}

int CAudioLoopList::RemoveLoop(uint32_t loopIdentifier) {
  const auto at = std::find_if(loops_.begin(), loops_.end(),
                               [&](const auto& loop) { return loop->GetIdentifier() == loopIdentifier; });
  if (at == loops_.end()) return 3;
  const int number = (*at)->loopNumber;
  loops_.erase(at);
  RenumberAfter(number, 1);
  if (iterator_ > loops_.size()) iterator_ = loops_.size();
  return 1;
}

void CAudioLoopList::RenumberAfter(int loopNumber, int direction) {
  for (const auto& loop : loops_) {
    if (loop->loopNumber > loopNumber) loop->loopNumber = static_cast<int16_t>(loop->loopNumber + (direction == 1 ? -1 : 1));
  }
}

int CAudioLoopList::FindLoop(int loopNumber, std::shared_ptr<CAudioLoop>* loop) const {
  for (const auto& candidate : loops_) {
    if (candidate->loopNumber == loopNumber) {
      if (loop) *loop = candidate;
      return 1;
    }
  }
  if (loop) loop->reset();
  return 3;
}

void CAudioLoopList::ResetIterator() { SetIteratorRange(0, kMaxLoops); }

void CAudioLoopList::SetIteratorRange(int first, int last) {
  iterator_ = 0;
  iteratorFirst_ = first;
  iteratorLast_ = last;
}

int CAudioLoopList::GetNextLoop(std::shared_ptr<CAudioLoop>* loop) {
  while (iterator_ < loops_.size()) {
    const std::shared_ptr<CAudioLoop>& candidate = loops_[iterator_++];
    if (candidate->loopNumber < iteratorFirst_) continue;
    if (candidate->loopNumber > iteratorLast_) break;
    if (loop) *loop = candidate;
    return 1;
  }
  iterator_ = loops_.size();
  if (loop) loop->reset();
  return 0;
}

void CAudioLoopList::SelectLoop(int loopNumber) {
  for (const auto& loop : loops_) loop->selected = loop->loopNumber == loopNumber ? 1 : 0;
}

int CAudioLoopList::GetSelectedLoopNumber() const {
  for (const auto& loop : loops_) {
    if (loop->selected) return loop->loopNumber;
  }
  return 0;
}

void CAudioLoopList::SetLoopColors(int loopNumber, const TrackColorSet& colors) {
  std::shared_ptr<CAudioLoop> loop;
  if (FindLoop(loopNumber, &loop) == 1) loop->SetColors(colors);
}

int CAudioLoopList::RemoveAllNodes() {
  loops_.clear();
  iterator_ = 0;
  return 1;
}

int CAudioLoopList::DeleteAllLoops() { return RemoveAllNodes(); }

std::vector<LoopMenuEntry> CAudioLoopList::BuildLoopMenu() const {
  std::vector<LoopMenuEntry> menu;
  menu.reserve(loops_.size());
  for (const auto& loop : loops_) {
    std::string text = "Loop " + std::to_string(loop->loopNumber + 1) + " - " + loop->GetTitle();
    if (text.size() > kMaxMenuTextBytes) text = CutText(text, kMaxMenuTextBytes - 3) + "...";
    menu.push_back({kFirstLoopCommand + static_cast<uint32_t>(loop->loopNumber), std::move(text)});
  }
  return menu;
}
