#include "TapEffect.h"

#include <algorithm>
#include <cstring>

#include "DspKernels.h"
#include "ReportErrorDll.h"

namespace {

// About 12 s of history for blocks up to one second, else room for two blocks more.
constexpr uint32_t kSmallHistory = 529200;
constexpr uint32_t kSmallBlockLimit = 44100;
constexpr uint32_t kHistorySlack = 441000;

}  // namespace

CTapEffect::CTapEffect(ZelmoEffectType type, const TapEffectFaults& faults) : CEffect(type), faults_(faults) {}

CTapEffect::~CTapEffect() = default;

uint32_t CTapEffect::HistoryCapacity(uint32_t maxInputFrames) {
  if (maxInputFrames <= kSmallBlockLimit) return kSmallHistory;
  const uint64_t capacity = 2 * uint64_t{maxInputFrames} + kHistorySlack;
  return capacity > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<uint32_t>(capacity);
}

unsigned int CTapEffect::Init(void*) {
  // Two workers whatever the channel count; a mono block runs the left one only.
  if (!workers_[0].Start(&CTapEffect::WorkerBody, this, 0)) {
    ReportErrorDll(faults_.title, faults_.threadLeft, "");
  }
  if (!workers_[1].Start(&CTapEffect::WorkerBody, this, 1)) {
    ReportErrorDll(faults_.title, faults_.threadRight, "");
  }
  return AllocateHistories() ? 1 : 0;
}

bool CTapEffect::AllocateHistories() {
  ReleaseHistories();
  const uint32_t capacity = HistoryCapacity(maxInput_);
  const size_t bytes = size_t{capacity} * sizeof(short);
  const int count = channels_ == 2 ? 2 : 1;
  for (int c = 0; c < count; ++c) {
    if (!history_[c].Allocate(bytes)) {
      ReportErrorDll(faults_.title, c == 0 ? faults_.historyLeft : faults_.historyRight, "");
      ReleaseHistories();
      return false;
    }
  }
  capacity_ = capacity;
  historyFor_ = maxInput_;
  for (int c = 0; c < 2; ++c) {
    // Fresh pages read as zero: what was held is silence now, at the same places.
    head_[c] = 0;
    if (fill_[c] > capacity_) fill_[c] = capacity_;
    missingReported_[c] = false;
  }
  return true;
}

void CTapEffect::ReleaseHistories() {
  capacity_ = 0;
  history_[0].Release();
  history_[1].Release();
}

unsigned int CTapEffect::SetBufferSizes(uint32_t outputFrames, uint32_t maxInputFrames) {
  const unsigned int result = CEffect::SetBufferSizes(outputFrames, maxInputFrames);
  if (maxInput_ > historyFor_ || capacity_ == 0) {
    if (!AllocateHistories()) {
      // The allocation reported under its own code; these say it was a resize.
      ReportErrorDll(faults_.title, faults_.resizeLeft, "");
      if (channels_ == 2) ReportErrorDll(faults_.title, faults_.resizeRight, "");
      return 0;
    }
  }
  return result;
}

void CTapEffect::PrepareForPlayback() {
  CEffect::PrepareForPlayback();
  Populate(history_[0]);
  Populate(history_[1]);
}

unsigned int CTapEffect::Reset() {
  total_ = 0;
  for (int c = 0; c < 2; ++c) {
    written_[c] = 0;
    start_[c] = 0;
    fill_[c] = 0;
    head_[c] = 0;
  }
  return 0;
}

void CTapEffect::RunWorkers(int count) {
  RunChannels(workers_, count);
  total_ += blockFrames_;
  // The workers wrote their channels apart; one pass puts them back together.
  InterleaveWorkBuffers(blockFrames_);
}

unsigned int CTapEffect::ProcessMono() {
  RunWorkers(1);
  return 1;
}

unsigned int CTapEffect::ProcessStereo() {
  RunWorkers(2);
  return 1;
}

void CTapEffect::WorkerBody(void* owner, int channel) { static_cast<CTapEffect*>(owner)->ProcessChannel(channel); }

void CTapEffect::ProcessChannel(int c) {
  short* out = WorkBuffer(c);
  const uint32_t frames = blockFrames_;
  short* history = static_cast<short*>(history_[c].Data());
  if (!history || frames > capacity_) {
    // The block passes through as it came (the work buffer still holds it).
    if (!missingReported_[c]) {
      missingReported_[c] = true;
      ReportErrorDll(faults_.title, faults_.missingHistory, "");
    }
    return;
  }
  const uint32_t delay = MsToSamples(DelayMs(c));
  if (capacity_ - fill_[c] < frames) {
    // Never drop more than is held: a stored delay may exceed the history.
    const uint32_t drop = std::min(std::max(delay, frames), fill_[c]);
    head_[c] = static_cast<uint32_t>((uint64_t{head_[c]} + drop) % capacity_);
    fill_[c] -= drop;
    start_[c] += drop;
  }
  const uint32_t begin = fill_[c];
  // Append the input to the ring, in at most two pieces.
  const uint32_t at = static_cast<uint32_t>((uint64_t{head_[c]} + begin) % capacity_);
  const uint32_t first = std::min(frames, capacity_ - at);
  std::memcpy(history + at, out, size_t{first} * sizeof(short));
  std::memcpy(history, out + first, size_t{frames - first} * sizeof(short));
  fill_[c] += frames;

  const float dry = DryGain(c);
  if (dry != 1.0f) Kernels().scale(out, frames, dry);
  AddTaps(c, ChannelBlock{out, frames, begin, fill_[c]});
  written_[c] += frames;
}

bool CTapEffect::StepBack(uint32_t step, uint32_t frames, uint32_t& t, uint64_t& offset) {
  if (t < step) {
    offset += step - t;
    t = 0;
    return offset < frames;
  }
  t -= step;
  offset = 0;
  return true;
}

void CTapEffect::AddStep(int channel, const ChannelBlock& block, uint32_t t, uint64_t offset, float gain) const {
  if (offset >= block.frames || t >= block.fill) return;
  const uint32_t count = std::min<uint64_t>(block.fill - t, block.frames - offset);
  AddCopy(channel, block.out + offset, t, count, gain);
}

void CTapEffect::AddCopy(int c, short* out, uint32_t first, uint32_t count, float gain) const {
  const short* history = static_cast<const short*>(history_[c].Data());
  uint32_t at = static_cast<uint32_t>((uint64_t{head_[c]} + first) % capacity_);
  while (count > 0) {
    const uint32_t run = std::min(count, capacity_ - at);
    Kernels().addScaled(out, history + at, run, gain);
    out += run;
    count -= run;
    at = 0;
  }
}
