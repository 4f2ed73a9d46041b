#include "AudioLoop.h"

#include <algorithm>
#include <cstring>

#include "FileReplace.h"
#include "Generic.h"

namespace {

constexpr const char* kSource = "AudioLoop";
constexpr const char* kDivideByZero = "Divide By Zero Violation";

// Fault codes: the report lines of this file.
constexpr int kLineReadNoSegment = 101;
constexpr int kLineReadNoMemory = 106;
constexpr int kLineReadNoDestination = 111;
constexpr int kLineReadNoOut = 116;
constexpr int kLineAllocateNoSegment = 158;
constexpr int kLineAllocateFailed = 170;
constexpr int kLineFreeNoSegment = 189;
constexpr int kLineDecommitFailed = 199;
constexpr int kLineReleaseFailed = 204;
constexpr int kLineNoOtherLoop = 216;
constexpr int kLineMeasuresNoSegment = 235;
constexpr int kLineMeasuresZeroLength = 240;

// Room beyond the audio that a segment read into the buffer may touch.
constexpr uint64_t kMemorySlackBytes = 2048;

}  // namespace

const char* RefuseLoopImportLength(uint32_t frames) {
  return frames > kMaxLoopFrames ? kLoopImportTooLongText : nullptr;
}

const char* RefuseLoopCreateLength(uint32_t frames) {
  return frames > kMaxLoopFrames ? kLoopCreateTooLongText : nullptr;
}

const char* RefuseLoopTempo(float tempo) { return tempo > kMaxLoopTempo ? kLoopTempoTooHighText : nullptr; }

std::string CutText(const std::string& text, size_t maxBytes) { return platform::CutAtCharacter(text, maxBytes); }

CAudioLoop::CAudioLoop() : identifier_(GetUniqueTickCount()) {}

CAudioLoop::~CAudioLoop() = default;

int CAudioLoop::GetSegment(std::shared_ptr<CAudioSegment>* segment) const {
  if (segment) *segment = segment_;
  return 0;
}

void CAudioLoop::SetTitle(const std::string& title) { title_ = CutText(title, kMaxTitleBytes); }

void CAudioLoop::SetMeasures(int measures) {
  measures_ = static_cast<int16_t>(std::clamp(measures, 1, static_cast<int>(kMaxLoopMeasures)));
}

int CAudioLoop::AllocateBuffer(void** address) {
  if (address) *address = nullptr;
  if (!segment_) {
    ReportError(kSource, kLineAllocateNoSegment, "");
    return 3;
  }
  const uint16_t channels = segment_->GetChannels();
  const uint64_t bytes = static_cast<uint64_t>(segment_->length) * channels * 2 + kMemorySlackBytes;
  platform::CPageBuffer memory;
  if (bytes > UINT32_MAX || !memory.Reserve(bytes) || !memory.Commit(0, bytes)) {
    ReportError(kSource, kLineAllocateFailed, "");
    return 3;
  }
  memory_ = std::move(memory);
  memoryBytes_ = static_cast<uint32_t>(bytes);
  memoryFrames_ = segment_->length;
  memoryChannels_ = channels;
  if (address) *address = memory_.Data();
  return 1;
}

int CAudioLoop::FreeBuffer() {
  if (!memory_.IsReserved()) return 0;
  if (!segment_) {
    ReportError(kSource, kLineFreeNoSegment, "");
    return 3;
  }
  if (!memory_.Decommit(0, memoryBytes_)) {
    ReportError(kSource, kLineDecommitFailed, "");
    return 3;
  }
  if (!memory_.Release()) {
    ReportError(kSource, kLineReleaseFailed, "");
    return 3;
  }
  memoryBytes_ = memoryFrames_ = 0;
  memoryChannels_ = 0;
  return 1;
}

int CAudioLoop::ReadFrames(void* destination, uint32_t position, uint32_t frames, uint32_t* framesRead) const {
  if (framesRead) *framesRead = 0;
  if (!segment_) {
    ReportError(kSource, kLineReadNoSegment, "");
    return 3;
  }
  if (!destination) {
    ReportError(kSource, kLineReadNoDestination, "");
    return 3;
  }
  const bool inMemory = memory_.IsReserved();
  const uint16_t channels = inMemory ? memoryChannels_ : segment_->GetChannels();
  const size_t frameBytes = static_cast<size_t>(channels) * 2;
  // Silence rather than whatever the buffer held before, also when the audio is missing.
  std::memset(destination, 0, frameBytes * frames);
  if (!inMemory) {
    ReportError(kSource, kLineReadNoMemory, "");
    return 3;
  }
  if (!framesRead) {
    ReportError(kSource, kLineReadNoOut, "");
    return 3;
  }
  // The memory holds the frames the segment had when it was loaded; never read past them.
  const uint32_t available = std::min(segment_->length, memoryFrames_);
  if (position >= available) return 1;
  const uint32_t count = std::min(frames, available - position);
  std::memcpy(destination, static_cast<const char*>(memory_.Data()) + frameBytes * position, frameBytes * count);
  *framesRead = count;
  return 1;
}

int CAudioLoop::CopyAttributesTo(CAudioLoop* other) const {
  if (!other) {
    ReportError(kSource, kLineNoOtherLoop, "");
    return 3;
  }
  other->loopNumber = loopNumber;
  other->measures_ = measures_;
  other->selected = selected;
  other->title_ = title_;
  other->colors_ = colors_;
  return 1;
}

int CAudioLoop::ComputeMeasuresAndTempo(int beatsPerBarChoice) {
  if (!segment_) {
    ReportError(kSource, kLineMeasuresNoSegment, "");
    return 3;
  }
  const float seconds = segment_->GetLengthSeconds();
  if (seconds == 0.0f) {
    ReportError(kSource, kLineMeasuresZeroLength, kDivideByZero);
    segment_->tempo = 1.0f;
    return 1;
  }
  const int beats = BeatsPerMeasure(beatsPerBarChoice);
  // One measure per 2 seconds at four beats, per 1.5 at three; halves round up.
  const float measures = beats == 4 ? seconds * 0.5f + 0.5f : seconds * 2.0f / 3.0f + 0.5f;
  measures_ = static_cast<int16_t>(std::clamp(measures, 1.0f, static_cast<float>(kMaxLoopMeasures)));
  segment_->tempo = LoopTempoOf(seconds, measures_, beats);
  return 1;
}
