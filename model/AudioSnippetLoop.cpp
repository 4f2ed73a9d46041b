#include "AudioSnippetLoop.h"

#include <cstring>

#include "AudioLoop.h"
#include "AudioSegment.h"
#include "Generic.h"
#include "tarvex.h"

namespace {
constexpr int kLineNoLoopSegment = 41;
constexpr int kLineRenderNoOut = 57;
constexpr int kLineRenderNoProcessor = 62;
constexpr int kLineRenderNoLoop = 67;
}  // namespace

CAudioSnippetLoop::CAudioSnippetLoop(std::shared_ptr<CAudioLoop> loop) : loop_(std::move(loop)) {
  kind = kKindLoop;
}

CAudioSnippetLoop::~CAudioSnippetLoop() { StopTempoPitch(); }

int CAudioSnippetLoop::GetSegment(std::shared_ptr<CAudioSegment>* segment) const {
  if (!loop_) return 0;
  return loop_->GetSegment(segment);
}

int16_t CAudioSnippetLoop::GetChannels() const {
  const CAudioSegment* segment = loop_ ? loop_->Segment() : nullptr;
  return segment ? static_cast<int16_t>(segment->GetChannels()) : 0;
}

int CAudioSnippetLoop::IsSourceClosed() const { return 2; }

AudioQuality CAudioSnippetLoop::GetFormat() const {
  const CAudioSegment* segment = loop_ ? loop_->Segment() : nullptr;
  if (!segment) {
    ReportError(__FILE__, kLineNoLoopSegment, "");
    return AudioQuality{44100, 2, 16};
  }
  return segment->GetFormat();
}

int CAudioSnippetLoop::Render(int16_t* out, uint32_t position, uint32_t frames, uint32_t blockFrames) {
  if (!out) {
    ReportError(__FILE__, kLineRenderNoOut, "");
    return 3;
  }
  return CAudioSnippet::Render(out, position, frames, blockFrames);
}

int CAudioSnippetLoop::ProduceRange(uint32_t position, uint32_t frames, uint32_t, uint32_t* produced) {
  *produced = 0;
  if (!Processor()) {
    ReportError(__FILE__, kLineRenderNoProcessor, "");
    return 3;
  }
  if (!loop_) {
    ReportError(__FILE__, kLineRenderNoLoop, "");
    return 3;
  }
  CheckContinuity(position);
  if (restart_) {
    readPosition_ = SourcePositionOf(position);
    restart_ = 0;
  }
  uint32_t wanted = Processor()->GetMinSamplesNeededForOutput();
  if (wanted > SourceCapacity()) {
    ReportOverflowOnce(__LINE__);
    wanted = SourceCapacity();
  }
  framesWanted_ = wanted;
  uint32_t read = 0;
  // Past the loop's end the loop gives silence, which still feeds the processor.
  if (loop_->ReadFrames(Work(), readPosition_, wanted, &read) != 1) {
    std::memset(Work(), 0, static_cast<size_t>(wanted) * WorkChannels() * sizeof(int16_t));
  }
  ProcessWork(wanted, frames, produced);
  readPosition_ += wanted;
  nextPosition_ = position + frames;
  hasNextPosition_ = true;
  return 1;
}
