#include "Levels.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <new>

#include "DspMath.h"
#include "ReportErrorDll.h"

namespace {

constexpr int kAllocateEntry = 471;
constexpr int kNullEntry = 520;
constexpr int kRemoveFromEmpty = 594;
constexpr int kZeroTempo = 864;

constexpr uint32_t kEndOfTime = 0xFFFFFFFF;

}  // namespace

CLevels::CLevels() : CEffect(ZelmoLevels) {}

CLevels::~CLevels() = default;

bool CLevels::SetParameters(const void* record) {
  if (!record) {
    ReportErrorDll(__FILE__, __LINE__, "");
    return false;
  }
  std::memcpy(&params_, record, sizeof params_);
  currentSample_ = params_.currentSample;
  tempoGiven_ = true;
  zeroTempoReported_ = false;
  RefreshPositions();
  return true;
}

void CLevels::GetParameters(void* out) const { std::memcpy(out, &params_, sizeof params_); }

uint32_t CLevels::SamplePositionOf(const Zelmo_Level_Entry& entry) {
  double ratio = 1.0;
  if (tempoGiven_) {
    if (params_.currentTempo == 0.0f) {
      if (!zeroTempoReported_) {
        zeroTempoReported_ = true;
        ReportErrorDll(__FILE__, kZeroTempo, "Divide by zero error");
      }
    } else {
      ratio = static_cast<double>(entry.tempo) / static_cast<double>(params_.currentTempo);
    }
  }
  // In double: a float loses whole frames past 2^24 (six minutes).
  const double frames = std::trunc(ratio * static_cast<double>(entry.position) + 0.5);
  if (!(frames > 0.0)) return 0;
  if (frames >= static_cast<double>(kEndOfTime)) return kEndOfTime;
  return static_cast<uint32_t>(frames);
}

uint32_t CLevels::Visit(Zelmo_Level_Entry& entry) {
  const uint32_t frames = SamplePositionOf(entry);
  // Written only when it moved: the editor reads entries while blocks play.
  if (entry.samplePosition != frames) entry.samplePosition = frames;
  return frames;
}

void CLevels::RefreshPositions() {
  for (PointList& list : points_) {
    for (auto& point : list) Visit(*point);
  }
}

CLevels::Room CLevels::GetRoom() const {
  Room room;
  for (size_t c = 0; c < 2; ++c) {
    room.size[c] = points_[c].size();
    room.capacity[c] = points_[c].capacity();
  }
  return room;
}

CLevels::Spare CLevels::MakeSpare(const Zelmo_Level_Entry& entry, unsigned int channel, const Room& room) {
  Spare spare;
  for (size_t c = 0; c < 2; ++c) {
    if (channel != 3 && channel != c + 1) continue;
    spare.entries[c].reset(new (std::nothrow) Zelmo_Level_Entry(entry));
    if (room.size[c] < room.capacity[c]) continue;
    try {
      spare.lists[c].reserve(std::max<size_t>(2 * room.size[c], 16));
    } catch (const std::bad_alloc&) {
      // The insert then grows the list itself.
    }
  }
  return spare;
}

void CLevels::Insert(PointList& list, const Zelmo_Level_Entry& entry, std::unique_ptr<Zelmo_Level_Entry> made,
                     PointList* longer) {
  std::unique_ptr<Zelmo_Level_Entry> copy = made ? std::move(made)
                                                 : std::unique_ptr<Zelmo_Level_Entry>(new (std::nothrow) Zelmo_Level_Entry(entry));
  if (!copy) {
    ReportErrorDll(__FILE__, kAllocateEntry, "");
    return;
  }
  if (longer && list.size() == list.capacity() && longer->empty() && longer->capacity() > list.size()) {
    // Into the longer list, whose room was made beforehand; the old buffer leaves in its place.
    std::move(list.begin(), list.end(), std::back_inserter(*longer));
    list.swap(*longer);
  }
  const uint32_t frames = Visit(*copy);
  // Before the first point at or after it: a new point goes ahead of others at its place.
  auto at = list.begin();
  while (at != list.end() && Visit(**at) < frames) ++at;
  list.insert(at, std::move(copy));
}

unsigned int CLevels::AddLevelEntry(const Zelmo_Level_Entry* entry, unsigned int channel, Spare* spare) {
  if (!entry) {
    ReportErrorDll(__FILE__, kNullEntry, "");
    return 0;
  }
  for (size_t c = 0; c < 2; ++c) {
    if (channel != 3 && channel != c + 1) continue;
    Insert(points_[c], *entry, spare ? std::move(spare->entries[c]) : nullptr, spare ? &spare->lists[c] : nullptr);
  }
  return 1;
}

unsigned int CLevels::RemoveLevelEntryByNumber(unsigned int number, unsigned int channel,
                                               std::unique_ptr<Zelmo_Level_Entry>* removed) {
  if (!ValidChannel(channel)) return 1;
  PointList& list = points_[channel - 1];
  if (list.empty()) {
    ReportErrorDll(__FILE__, kRemoveFromEmpty, "");
    return 0;
  }
  if (number >= list.size()) return 0;
  if (removed) *removed = std::move(list[number]);
  list.erase(list.begin() + number);
  return 1;
}

unsigned int CLevels::InitGetAllLevelEntries(unsigned int channel) {
  if (!ValidChannel(channel)) return 1;
  cursors_[channel - 1] = Cursor{};
  beginPointNumber_ = 1;
  return 1;
}

unsigned int CLevels::InitGetLevelEntriesBetween(uint32_t from, uint32_t to, unsigned int channel) {
  if (!ValidChannel(channel)) return 1;
  PointList& list = points_[channel - 1];
  beginPointNumber_ = 1;
  Cursor cursor{list.size(), from, to};
  for (size_t i = 0; i < list.size(); ++i) {
    const uint32_t frames = Visit(*list[i]);
    if (frames >= from && frames <= to) {
      cursor.index = i;
      beginPointNumber_ = 2;
      break;
    }
  }
  cursors_[channel - 1] = cursor;
  return 1;
}

unsigned int CLevels::GetNextLevelEntry(Zelmo_Level_Entry** out, unsigned int channel) {
  if (!ValidChannel(channel)) return 0;
  PointList& list = points_[channel - 1];
  Cursor& cursor = cursors_[channel - 1];
  Zelmo_Level_Entry* found = nullptr;
  if (cursor.index < list.size()) {
    Zelmo_Level_Entry& entry = *list[cursor.index];
    const uint32_t frames = Visit(entry);
    if (frames >= cursor.from && frames <= cursor.to) {
      found = &entry;
      ++cursor.index;
    }
  }
  if (out) *out = found;
  return found ? 1 : 0;
}

unsigned int CLevels::GetLevelEntryNumber(Zelmo_Level_Entry** out, short number, unsigned int channel) {
  if (!out || !ValidChannel(channel)) return 0;
  PointList& list = points_[channel - 1];
  *out = number >= 1 && static_cast<size_t>(number) <= list.size() ? list[number - 1].get() : nullptr;
  return 0;
}

short CLevels::GetTotalLevelPoints(unsigned int channel) const {
  if (!ValidChannel(channel)) return 0;
  return static_cast<short>(std::min<size_t>(points_[channel - 1].size(), 32767));
}

unsigned int CLevels::CheckIfLevelPointExists(uint32_t samplePosition, unsigned int channel) {
  if (!ValidChannel(channel)) return 1;
  for (auto& point : points_[channel - 1]) {
    if (Visit(*point) == samplePosition) return 1;
  }
  return 0;
}

float CLevels::GetLevelVolumeAt(uint32_t samplePosition, unsigned int channel) {
  if (!ValidChannel(channel)) return 1.0f;
  PointList& list = points_[channel - 1];
  if (list.empty()) return 1.0f;
  for (size_t i = 0; i + 1 < list.size(); ++i) {
    const Zelmo_Level_Entry& p = *list[i];
    const Zelmo_Level_Entry& q = *list[i + 1];
    const uint32_t c = Visit(*list[i]);
    const uint32_t d = Visit(*list[i + 1]);
    if (c <= samplePosition && samplePosition <= d) {
      if (c == d) return q.gain;
      const double t = static_cast<double>(samplePosition - c) / static_cast<double>(d - c);
      return static_cast<float>(p.gain + (static_cast<double>(q.gain) - p.gain) * t);
    }
  }
  return list.back()->gain;
}

short CLevels::CopyLevelEntries(unsigned int channel, Zelmo_Level_Entry* out, short capacity) {
  if (!out || capacity <= 0 || !ValidChannel(channel)) return 0;
  PointList& list = points_[channel - 1];
  const size_t count = std::min(list.size(), static_cast<size_t>(capacity));
  for (size_t i = 0; i < count; ++i) {
    Visit(*list[i]);
    out[i] = *list[i];
  }
  return static_cast<short>(count);
}

unsigned int CLevels::SetLevelEntryGain(short number, unsigned int channel, float gain) {
  if (!ValidChannel(channel) || !std::isfinite(gain) || gain < 0.0f) return 0;
  PointList& list = points_[channel - 1];
  if (number < 1 || static_cast<size_t>(number) > list.size()) return 0;
  list[static_cast<size_t>(number - 1)]->gain = gain;
  return 1;
}

unsigned int CLevels::ProcessMono() {
  ApplyChannel(0);
  currentSample_ += blockFrames_;
  return 1;
}

unsigned int CLevels::ProcessStereo() {
  ApplyChannel(0);
  ApplyChannel(1);
  currentSample_ += blockFrames_;
  return 1;
}

void CLevels::ApplyChannel(int channel) {
  // Shared envelopes follow the left list; the right one is kept but not read.
  PointList& list = independent_ ? points_[channel] : points_[0];
  if (list.empty()) return;
  const uint64_t a = currentSample_;
  const uint64_t b = a + blockFrames_;
  const Zelmo_Level_Entry* previous = nullptr;
  uint64_t previousAt = 0;
  for (auto& point : list) {
    const uint64_t at = Visit(*point);
    if (previous && a <= at && at < b) {
      ApplySegment(channel, previousAt, at, previous->gain, point->gain);
    } else if (at >= b) {
      // Before the first point nothing is applied.
      if (previous) ApplySegment(channel, previousAt, at, previous->gain, point->gain);
      return;
    }
    previous = point.get();
    previousAt = at;
  }
  // Past the last point its gain holds to the end.
  ApplySegment(channel, previousAt, kEndOfTime, previous->gain, previous->gain);
}

void CLevels::ApplySegment(int channel, uint64_t from, uint64_t to, float fromGain, float toGain) {
  const uint64_t a = currentSample_;
  const uint64_t b = a + blockFrames_;
  const uint64_t lo = std::max(from, a);
  const uint64_t hi = std::min(to, b);
  if (lo >= hi) return;
  const double length = static_cast<double>(to - from);
  const double step = static_cast<double>(toGain) - static_cast<double>(fromGain);
  const short* in = WorkBuffer(channel);
  const int stride = channels_;
  for (uint64_t f = lo; f < hi; ++f) {
    const double gain = fromGain + step * static_cast<double>(f - from) / length;
    const size_t j = static_cast<size_t>(f - a);
    buffer_[j * stride + channel] = ClipSample(static_cast<float>(std::trunc(gain * in[j])));
  }
}
