#include "AudioSnippet.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "AudioSegment.h"
#include "Generic.h"
#include "tarvex.h"

namespace {

constexpr int kLineSetTempoZero = 93;
constexpr int kLineNoSourceTempo = 134;
constexpr int kLineStartNoSegment = 190;
constexpr int kLineNoProcessor = 202;
constexpr int kLineRatioZero = 207;
constexpr int kLineNoWorkBuffer = 273;
constexpr int kLineDecommit = 302;
constexpr int kLineRelease = 307;
constexpr int kLineMixNoOut = 332;
constexpr int kLineCopyNoOther = 406;

constexpr const char* kDivideByZero = "Divide By Zero Violation";
constexpr const char* kNotATempo = "A tempo must be a finite number above zero.";

// Slack a source read needs beyond the frames asked for (sector alignment),
// and the granule the work buffer is sized in.
constexpr uint32_t kReadSlackFrames = 1024;
constexpr uint32_t kWorkGranuleFrames = 8192;

inline int16_t Saturate(int32_t sum) {
  return static_cast<int16_t>(std::clamp(sum, -32767, 32767));
}

}  // namespace

uint32_t ClampBufferFrames(uint32_t frames) {
  constexpr uint32_t kStep = 8192;
  frames = std::clamp<uint32_t>(frames, kStep, 8 * kStep);
  return frames - frames % kStep;
}

void AddSaturated(int16_t* dst, const int16_t* src, uint32_t frames) {
  const size_t samples = static_cast<size_t>(frames) * 2;
  for (size_t i = 0; i < samples; ++i) dst[i] = Saturate(int32_t{dst[i]} + int32_t{src[i]});
}

CAudioSnippet::CAudioSnippet() : identifier_(GetUniqueTickCount()), sourceIdentifier_(identifier_) {
  layer = identifier_;
}

CAudioSnippet::~CAudioSnippet() { StopTempoPitch(); }

int CAudioSnippet::SetSegment(std::shared_ptr<CAudioSegment>) { return 0; }
int CAudioSnippet::GetSegment(std::shared_ptr<CAudioSegment>*) const { return 0; }
int16_t CAudioSnippet::GetChannels() const { return 0; }
int CAudioSnippet::IsSourceClosed() const { return 0; }
int CAudioSnippet::CloseSource() { return 0; }
AudioQuality CAudioSnippet::GetFormat() const { return AudioQuality{0, 0, 0}; }
int CAudioSnippet::ReleaseSource() { return 0; }
int CAudioSnippet::Prefetch(uint32_t, uint32_t, uint32_t) { return 1; }

int CAudioSnippet::ProduceRange(uint32_t, uint32_t, uint32_t, uint32_t* produced) {
  *produced = 0;
  return 1;
}

int CAudioSnippet::Render(int16_t* out, uint32_t position, uint32_t frames, uint32_t blockFrames) {
  if (!out) {
    ReportError(__FILE__, __LINE__, "");
    return 3;
  }
  uint32_t produced = 0;
  const int result = RenderRange(position, frames, blockFrames, &produced);
  if (result != 1) return result;
  return AddRendered(out, 0, frames);
}

int CAudioSnippet::RenderRange(uint32_t position, uint32_t frames, uint32_t blockFrames, uint32_t* produced) {
  produced_ = 0;
  const int result = ProduceRange(position, frames, blockFrames, &produced_);
  if (produced) *produced = produced_;
  return result;
}

int CAudioSnippet::AddRendered(int16_t* out, uint32_t first, uint32_t frames) const {
  if (!out) {
    ReportError(__FILE__, kLineMixNoOut, "");
    return 3;
  }
  const int16_t* work = Work();
  if (!work || first >= produced_) return 1;
  const uint32_t count = std::min(frames, produced_ - first);
  if (WorkChannels() == 2) {
    AddSaturated(out, work + static_cast<size_t>(first) * 2, count);
  } else {
    const int16_t* src = work + first;
    for (uint32_t i = 0; i < count; ++i) {
      out[2 * i] = Saturate(int32_t{out[2 * i]} + src[i]);
      out[2 * i + 1] = Saturate(int32_t{out[2 * i + 1]} + src[i]);
    }
  }
  return 1;
}

uint32_t CAudioSnippet::GetSourceLength() const {
  std::shared_ptr<CAudioSegment> segment;
  GetSegment(&segment);
  return segment ? segment->length : 0;
}

float CAudioSnippet::GetSourceTempo() const {
  std::shared_ptr<CAudioSegment> segment;
  GetSegment(&segment);
  return segment ? segment->tempo : 0.0f;
}

int CAudioSnippet::CopyAttributesTo(CAudioSnippet* other) const {
  if (!other) {
    ReportError(__FILE__, kLineCopyNoOther, "");
    return 3;
  }
  other->kind = kind;
  other->selected = selected;
  other->layer = layer;
  other->tempo = tempo;
  other->ratio = ratio;
  // The copy's processor state stays its own: a copy never has a processor.
  other->restart_ = restart_;
  other->start = start;
  other->end = end;
  other->length = length;
  other->readPosition_ = readPosition_;
  other->carry = carry;
  other->screenLeftX = screenLeftX;
  other->screenLeftY = screenLeftY;
  other->screenRightX = screenRightX;
  other->screenRightY = screenRightY;
  other->sourceIdentifier_ = identifier_;
  return 1;
}

int CAudioSnippet::AddScreenRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (left < screenLeftX) {
    screenLeftX = left;
    screenLeftY = top;
  }
  if (right > screenRightX) {
    screenRightX = right;
    screenRightY = bottom;
  }
  return screenRects_.Add(left, top, right, bottom);
}

int CAudioSnippet::ClearScreenRects() {
  screenRects_.Clear();
  screenLeftX = kClearedScreenLeft;
  screenLeftY = 0;
  screenRightX = 0;
  screenRightY = 0;
  return 1;
}

int CAudioSnippet::SetTempo(float projectTempo) {
  // A negative, infinite or undefined tempo (a damaged project) would put
  // the snippet at frame 0 for good: it changes nothing.
  if (!IsPlayableTempo(projectTempo)) {
    ReportError(__FILE__, kLineSetTempoZero, projectTempo == 0.0f ? kDivideByZero : kNotATempo);
    return 3;
  }
  SnippetTiming timing;
  // Checked before anything changes, so a snippet without a source keeps its timing.
  if (!TimingAt(projectTempo, &timing)) {
    ReportError(__FILE__, kLineNoSourceTempo, GetSourceTempo() == 0.0f ? kDivideByZero : kNotATempo);
    return 3;
  }
  ApplyTiming(timing, projectTempo);
  return 1;
}

namespace {
constexpr double kLastFrame = 4294967295.0;
}  // namespace

uint32_t ScaledFrames(uint64_t sourceFrames, float sourceTempo, float projectTempo) {
  const double exact = std::min(static_cast<double>(sourceFrames) * sourceTempo / projectTempo, kLastFrame);
  if (!(exact > 0.0)) return 0;
  double frames = std::floor(exact);
  if (exact - frames > 0.5 && frames < kLastFrame) frames += 1.0;
  return static_cast<uint32_t>(frames);
}

bool CAudioSnippet::TimingAt(float projectTempo, SnippetTiming* timing) const {
  const float sourceTempo = GetSourceTempo();
  if (!IsPlayableTempo(projectTempo) || !IsPlayableTempo(sourceTempo) || !IsPlayableTempo(tempo)) return false;
  // In double precision: single precision is 16 frames coarse at an hour's
  // positions, enough to push a project that fits exactly past its end. The
  // rounding carried from change to change brings a start back to where it
  // was when the tempo goes there and back.
  const double scaled = std::min(double{tempo} / projectTempo * start, kLastFrame);
  double whole = std::floor(scaled);
  double carried = double{carry} + (scaled - whole);
  if (carried > 0.5 && whole < kLastFrame) {
    carried -= 1.0;
    whole += 1.0;
  }
  timing->start = static_cast<uint32_t>(whole);
  timing->carry = static_cast<float>(carried);
  timing->length = ScaledFrames(GetSourceLength(), sourceTempo, projectTempo);
  return true;
}

void CAudioSnippet::ApplyTiming(const SnippetTiming& timing, float projectTempo) {
  start = timing.start;
  carry = timing.carry;
  tempo = projectTempo;
  length = timing.length;
  end = static_cast<uint32_t>(std::min<uint64_t>(timing.End(), 0xFFFFFFFFu));
  ratio = projectTempo / GetSourceTempo();
  if (slot_) slot_->processor.SetTempo(1.0f / ratio);
}

uint32_t CAudioSnippet::ConfigureProcessor(CTarvex& processor, float semitones, const TempoPitchSettings& settings,
                                           uint32_t rangeFrames) const {
  processor.Restart();
  if (ratio == 0.0f) {
    ReportError(__FILE__, kLineRatioZero, kDivideByZero);
  } else {
    processor.SetTempo(1.0f / ratio);
  }
  processor.SetPitchViaSemitones(semitones);
  processor.bestFitShave = settings.bestFitShave;
  processor.bestFitSkip = settings.bestFitSkip;
  processor.bestFitCorrLimit = settings.bestFitCorrLimit;
  processor.SetSizeOutputBufferSample(rangeFrames);
  return processor.GetMinSamplesNeededForOutput();
}

namespace {

// The work buffer holds the largest range and the largest read, with slack
// for the read's alignment, in whole granules.
uint32_t WorkFramesFor(uint32_t rangeFrames, uint32_t readFrames) {
  uint64_t frames = std::max(rangeFrames, readFrames) + uint64_t{kReadSlackFrames};
  frames = (frames + kWorkGranuleFrames - 1) / kWorkGranuleFrames * kWorkGranuleFrames;
  return static_cast<uint32_t>(std::min<uint64_t>(frames, 0xFFFFFFFFu - kWorkGranuleFrames));
}

}  // namespace

uint32_t CAudioSnippet::WorkFramesNeeded(CTarvex& probe, float semitones, const TempoPitchSettings& settings,
                                         uint32_t rangeFrames) const {
  return WorkFramesFor(rangeFrames, ConfigureProcessor(probe, semitones, settings, rangeFrames));
}

int CAudioSnippet::StartTempoPitch(float semitones, uint32_t blockFrames, const TempoPitchSettings& settings,
                                   const std::shared_ptr<CTempoPitchPool>& pool) {
  if (slot_) StopTempoPitch();
  std::shared_ptr<CAudioSegment> segment;
  GetSegment(&segment);
  if (!segment) {
    ReportError(__FILE__, kLineStartNoSegment, "");
    return 3;
  }
  const AudioQuality format = GetFormat();
  const uint16_t channels = format.channels == 1 ? 1 : 2;
  const uint32_t block = std::max(blockFrames, settings.bufferFrames);

  std::unique_ptr<CTempoPitchSlot> slot;
  if (pool) {
    // A ready processor sized for every range the list can ask of it: nothing
    // is made here, so a snippet that begins to sound costs the player thread
    // no allocation.
    slot = pool->Take(channels, blockFrames, 0);
    if (slot) {
      const uint32_t read = ConfigureProcessor(slot->processor, semitones, settings, slot->rangeFrames);
      if (WorkFramesFor(slot->rangeFrames, read) > slot->workFrames) {
        pool->Give(std::move(slot));
      } else {
        pool_ = pool;
      }
    }
  }
  if (!slot) {
    // The stores and the work buffer are sized once for the largest range a
    // block can ask for (the block plus what effect chains read ahead), so
    // nothing grows while the snippet plays.
    const uint32_t largestRange = block + kChainSlackFrames;
    slot = CTempoPitchSlot::Make(channels, largestRange, 0);
    if (!slot) {
      ReportError(__FILE__, kLineNoProcessor, "");
      return 3;
    }
    const uint32_t frames = WorkFramesFor(largestRange, ConfigureProcessor(slot->processor, semitones, settings,
                                                                           largestRange));
    const size_t bytes = static_cast<size_t>(frames) * channels * sizeof(int16_t);
    if (!slot->work.Reserve(bytes) || !slot->work.Commit(0, bytes)) {
      ReportError(__FILE__, kLineNoWorkBuffer, "");
      return 3;
    }
    slot->workFrames = frames;
    pool_.reset();
  }
  slot->processor.SetSizeOutputBufferSample(block);
  slot_ = std::move(slot);
  restart_ = 1;
  hasNextPosition_ = false;
  produced_ = 0;
  overflowReported_ = false;
  state_ = kStateRunning;
  return 1;
}

int CAudioSnippet::StopTempoPitch() {
  std::unique_ptr<CTempoPitchSlot> slot = std::move(slot_);
  state_ = kStateIdle;
  hasNextPosition_ = false;
  produced_ = 0;
  ReleaseSource();
  if (!slot) return 1;
  slot->processor.Reset();
  if (slot->pooled) {
    // Back where it came from, to be taken again without being made again.
    if (std::shared_ptr<CTempoPitchPool> pool = pool_.lock()) pool->Give(std::move(slot));
    pool_.reset();
    return 1;
  }
  if (!slot->work.IsReserved()) return 1;
  const size_t bytes = static_cast<size_t>(slot->workFrames) * slot->channels * sizeof(int16_t);
  if (!slot->work.Decommit(0, bytes)) {
    ReportError(__FILE__, kLineDecommit, "");
    slot->work.Release();
    return 3;
  }
  if (!slot->work.Release()) {
    ReportError(__FILE__, kLineRelease, "");
    return 3;
  }
  return 1;
}

int CAudioSnippet::MixProcessed(int16_t* out, uint32_t sourceFrames, uint32_t frames) {
  if (!out) {
    ReportError(__FILE__, kLineMixNoOut, "");
    return 3;
  }
  ProcessWork(sourceFrames, frames, &produced_);
  return AddRendered(out, 0, frames);
}

int CAudioSnippet::ProcessWork(uint32_t sourceFrames, uint32_t capacity, uint32_t* produced) {
  *produced = 0;
  if (!slot_ || !Work()) return 1;
  const uint32_t workFrames = slot_->workFrames;
  if (capacity > workFrames) {
    ReportOverflowOnce(__LINE__);
    capacity = workFrames;
  }
  sourceFrames = std::min(sourceFrames, workFrames);
  uint32_t delivered = 0;
  slot_->processor.ProcessAudio(Work(), sourceFrames, Work(), capacity, &delivered);
  *produced = std::min(delivered, capacity);
  return 1;
}

void CAudioSnippet::CheckContinuity(uint32_t position) {
  if (hasNextPosition_ && nextPosition_ == position) return;
  restart_ = 1;
  // Whatever the processor still holds belongs to another place in the source.
  if (slot_) slot_->processor.Reset();
  hasNextPosition_ = false;
}

uint32_t CAudioSnippet::SourcePositionOf(uint32_t position) const {
  if (position <= start) return 0;
  // In double, so that long snippets at a ratio of 1 read exactly where they play.
  const double source = static_cast<double>(ratio) * static_cast<double>(position - start);
  return source >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(source);
}

uint32_t CAudioSnippet::SourceCapacity() const {
  const uint32_t workFrames = WorkFrames();
  return workFrames > kReadSlackFrames ? workFrames - kReadSlackFrames : 0;
}

void CAudioSnippet::ReportOverflowOnce(int line) {
  if (overflowReported_) return;
  overflowReported_ = true;
  ReportError(__FILE__, line, "A block is larger than the snippet's work buffer.");
}
