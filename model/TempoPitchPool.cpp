#include "TempoPitchPool.h"

#include <algorithm>
#include <new>

std::unique_ptr<CTempoPitchSlot> CTempoPitchSlot::Make(uint16_t channels, uint32_t rangeFrames, uint32_t workFrames) {
  std::unique_ptr<CTempoPitchSlot> slot(new (std::nothrow) CTempoPitchSlot);
  if (!slot) return nullptr;
  slot->channels = channels == 1 ? 1 : 2;
  slot->processor.SetChannels(static_cast<int16_t>(slot->channels));
  // Stores of twice the larger of range and read never grow while it plays.
  slot->processor.SetSizeOutputBufferSample(std::max(rangeFrames, workFrames));
  slot->processor.Init();
  if (workFrames > 0) {
    const size_t bytes = size_t{workFrames} * slot->channels * sizeof(int16_t);
    if (!slot->work.Reserve(bytes) || !slot->work.Commit(0, bytes)) return nullptr;
    slot->workFrames = workFrames;
  }
  slot->rangeFrames = rangeFrames;
  return slot;
}

bool CTempoPitchPool::Prepare(uint16_t channels, uint32_t count, uint32_t rangeFrames, uint32_t workFrames) {
  std::lock_guard guard(lock_);
  Kind& kind = kinds_[KindOf(channels)];
  if (rangeFrames > kind.rangeFrames || workFrames > kind.workFrames) {
    // Slots too small for what may play now are made anew, at the larger size.
    kind.made -= static_cast<uint32_t>(kind.free.size());
    kind.free.clear();
    kind.rangeFrames = std::max(rangeFrames, kind.rangeFrames);
    kind.workFrames = std::max(workFrames, kind.workFrames);
  }
  if (kind.made >= count) return true;
  try {
    kind.free.reserve(count);
  } catch (const std::bad_alloc&) {
    return false;
  }
  while (kind.made < count) {
    std::unique_ptr<CTempoPitchSlot> slot = CTempoPitchSlot::Make(channels, kind.rangeFrames, kind.workFrames);
    if (!slot) return false;
    slot->pooled = true;
    kind.free.push_back(std::move(slot));
    ++kind.made;
  }
  return true;
}

std::unique_ptr<CTempoPitchSlot> CTempoPitchPool::Take(uint16_t channels, uint32_t rangeFrames, uint32_t workFrames) {
  std::lock_guard guard(lock_);
  Kind& kind = kinds_[KindOf(channels)];
  if (kind.free.empty() || rangeFrames > kind.rangeFrames || workFrames > kind.workFrames) {
    misses_.fetch_add(1);
    return nullptr;
  }
  std::unique_ptr<CTempoPitchSlot> slot = std::move(kind.free.back());
  kind.free.pop_back();
  return slot;
}

void CTempoPitchPool::Give(std::unique_ptr<CTempoPitchSlot> slot) {
  if (!slot) return;
  std::lock_guard guard(lock_);
  Kind& kind = kinds_[KindOf(slot->channels)];
  // Every slot fits the room its kind reserved, so giving back never
  // allocates; one made before the pool grew its sizes (prepared while it was
  // out) is let go.
  if (slot->rangeFrames < kind.rangeFrames || slot->workFrames < kind.workFrames ||
      kind.free.size() >= kind.free.capacity()) {
    if (kind.made > 0) --kind.made;
    return;
  }
  kind.free.push_back(std::move(slot));
}

uint32_t CTempoPitchPool::GetFreeSlots(uint16_t channels) const {
  std::lock_guard guard(lock_);
  return static_cast<uint32_t>(kinds_[KindOf(channels)].free.size());
}
