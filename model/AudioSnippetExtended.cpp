#include "AudioSnippetExtended.h"

#include <algorithm>
#include <mutex>
#include <new>

#include "AudioSegment.h"
#include "Generic.h"
#include "tarvex.h"

namespace {
constexpr int kLinePrefetchNoProcessor = 79;
constexpr int kLineRenderNoOut = 111;
constexpr int kLineRenderNoSegment = 116;
constexpr int kLineCloneNoMemory = 160;

std::mutex g_playbackReadLock;
}  // namespace

CAudioSnippetExtended::CAudioSnippetExtended(std::shared_ptr<CAudioSegment> segment)
    : segment_(std::move(segment)) {
  kind = kKindExtended;
}

CAudioSnippetExtended::~CAudioSnippetExtended() {
  // Stopped here, while the segment is still ours to close the read side of.
  StopTempoPitch();
}

int CAudioSnippetExtended::SetSegment(std::shared_ptr<CAudioSegment> segment) {
  segment_ = std::move(segment);
  hasPending_ = false;
  return 1;
}

int CAudioSnippetExtended::GetSegment(std::shared_ptr<CAudioSegment>* segment) const {
  if (segment) *segment = segment_;
  return 1;
}

int16_t CAudioSnippetExtended::GetChannels() const {
  return segment_ ? static_cast<int16_t>(segment_->GetChannels()) : 0;
}

int CAudioSnippetExtended::IsSourceClosed() const {
  if (!segment_) return 1;
  return segment_->IsReadHandleClosed() ? 1 : 0;
}

int CAudioSnippetExtended::CloseSource() {
  hasPending_ = false;
  if (!segment_) return 1;
  // A snippet on another track may share this segment and stand between its
  // read's two steps on another mix thread: closing there would drop its read.
  std::lock_guard lock(g_playbackReadLock);
  return segment_->CloseReadHandle();
}

AudioQuality CAudioSnippetExtended::GetFormat() const {
  return segment_ ? segment_->GetFormat() : AudioQuality{0, 0, 0};
}

int CAudioSnippetExtended::ReleaseSource() { return CloseSource(); }

int CAudioSnippetExtended::Prefetch(uint32_t position, uint32_t frames, uint32_t) {
  if (!segment_) {
    ReportError(__FILE__, kLineRenderNoSegment, "");
    return 3;
  }
  CheckContinuity(position);
  hasPending_ = false;
  if (restart_) {
    readPosition_ = SourcePositionOf(position);
    restart_ = 0;
  }
  pendingPosition_ = position;
  pendingFrames_ = 0;
  if (readPosition_ >= segment_->length) {
    hasPending_ = true;
    return 1;
  }
  if (!Processor()) {
    ReportError(__FILE__, kLinePrefetchNoProcessor, "");
    return 3;
  }
  Processor()->SetSizeOutputBufferSample(std::min(frames, WorkFrames()));
  uint32_t wanted = Processor()->GetMinSamplesNeededForOutput();
  if (wanted > SourceCapacity()) {
    ReportOverflowOnce(__LINE__);
    wanted = SourceCapacity();
  }
  framesWanted_ = wanted;
  // Reads here are synchronous, so each is finished at once, and one at a
  // time: a segment that two snippets share (or tracks rendered side by side)
  // never has two playback reads in flight.
  {
    std::lock_guard lock(g_playbackReadLock);
    uint32_t transferred = 0;
    if (segment_->BeginRead(readPosition_, wanted, &transferred, Work()) == 1) {
      segment_->CompleteRead(&pendingFrames_, Work());
    }
  }
  hasPending_ = true;
  return 1;
}

int CAudioSnippetExtended::Render(int16_t* out, uint32_t position, uint32_t frames, uint32_t blockFrames) {
  if (!out) {
    ReportError(__FILE__, kLineRenderNoOut, "");
    return 3;
  }
  return CAudioSnippet::Render(out, position, frames, blockFrames);
}

int CAudioSnippetExtended::ProduceRange(uint32_t position, uint32_t frames, uint32_t blockFrames,
                                        uint32_t* produced) {
  *produced = 0;
  if (!segment_) {
    ReportError(__FILE__, kLineRenderNoSegment, "");
    return 3;
  }
  if (!Processor()) return 1;
  // A range that was not prefetched (a second render of the block, or a
  // render without a prefetch) reads now.
  if (!hasPending_ || pendingPosition_ != position) {
    const int result = Prefetch(position, frames, blockFrames);
    if (result != 1) return result;
  }
  hasPending_ = false;
  readPosition_ += pendingFrames_;
  ProcessWork(pendingFrames_, frames, produced);
  nextPosition_ = position + frames;
  hasNextPosition_ = true;
  return 1;
}

int CAudioSnippetExtended::Clone(std::shared_ptr<CAudioSnippetExtended>* out) const {
  if (!out) {
    ReportError(__FILE__, __LINE__, "");
    return 3;
  }
  std::shared_ptr<CAudioSnippetExtended> clone(new (std::nothrow) CAudioSnippetExtended(segment_));
  if (!clone) {
    ReportError(__FILE__, kLineCloneNoMemory, "");
    return 3;
  }
  CopyAttributesTo(clone.get());
  *out = std::move(clone);
  return 1;
}
