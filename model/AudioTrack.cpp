#include "AudioTrack.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "AudioLoop.h"
#include "AudioSnippetLoop.h"
#include "Generic.h"

namespace {

constexpr int kLineRingNoMemory = 135;
constexpr int kLineRingDecommit = 147;
constexpr int kLineRingRelease = 151;
constexpr int kLineAddNoSnippet = 162;
constexpr int kLineSelectedNoBlock = 202;
constexpr int kLineSelectedNoRing = 213;
constexpr int kLineRenderNoBlock = 299;
constexpr int kLineRenderNoRing = 307;
constexpr int kLineSnippetNoBlock = 394;
constexpr int kLineSnippetNoRing = 402;
constexpr int kLineMixNoBlock = 539;
constexpr int kLineMixNoRing = 548;
constexpr int kLineShareNoOther = 719;
constexpr int kLineCopySelectedNoOther = 745;
constexpr int kLineCopySelectedNoMemory = 758;
constexpr int kLineCopyNoOther = 780;
constexpr int kLineRemoveNoOther = 809;
constexpr int kLineMergeBadType = 843;
constexpr int kLineHistoryNoDestination = 861;
constexpr int kLineStereoNoSnippet = 997;
constexpr int kLineRectsNoSnippet = 1018;
constexpr int kLineUsesLoopNoSnippet = 1038;

constexpr size_t kFrameBytes = 2 * sizeof(int16_t);

inline int16_t Saturate(int32_t value) { return static_cast<int16_t>(std::clamp(value, -32767, 32767)); }

bool HasEffects(CZelmo* chain) { return chain && chain->NumberOfEffects() > 0; }

}  // namespace

void ApplyGains(int16_t* block, uint32_t frames, float leftGain, float rightGain) {
  for (uint32_t i = 0; i < frames; ++i) {
    block[2 * i] = Saturate(static_cast<int32_t>(leftGain * static_cast<float>(block[2 * i])));
    block[2 * i + 1] = Saturate(static_cast<int32_t>(rightGain * static_cast<float>(block[2 * i + 1])));
  }
}

CAudioTrack::CAudioTrack(int listMode) : identifier_(GetUniqueTickCount()), listMode_(listMode) {
  snippets_.SetListMode(listMode);
}

CAudioTrack::~CAudioTrack() { FreeRing(); }

const char* CAudioTrack::ReadDescription(const char* text) {
  if (!text) return nullptr;
  const size_t length = std::strlen(text);
  description.assign(text, std::min(length, kMaxDescription));
  return text + length + 1;
}

void CAudioTrack::SetType(int32_t type) {
  type_ = type;
  if (type == kTypeLoopBased) armed = 0;
}

int CAudioTrack::AllocateRing(int blocks, uint32_t frames) {
  FreeRing();
  if (blocks <= 0) return 3;
  const uint32_t stride = frames + kChainSlackFrames;
  const size_t bytes = static_cast<size_t>(blocks) * stride * kFrameBytes;
  platform::CPageBuffer ring;
  if (!ring.Reserve(bytes) || !ring.Commit(0, bytes)) {
    ReportError(__FILE__, kLineRingNoMemory, "");
    return 3;
  }
  ring_ = std::move(ring);
  ringStride_ = stride;
  ringBlockCount_ = static_cast<uint16_t>(blocks);
  ringIndex_ = 0;
  blocksRendered_ = 0;
  return 1;
}

int CAudioTrack::FreeRing() {
  if (!ring_.IsReserved()) return 1;
  const size_t bytes = static_cast<size_t>(ringBlockCount_) * ringStride_ * kFrameBytes;
  ringStride_ = 0;
  ringBlockCount_ = 0;
  ringIndex_ = 0;
  if (!ring_.Decommit(0, bytes)) ReportError(__FILE__, kLineRingDecommit, "");
  if (!ring_.Release()) ReportError(__FILE__, kLineRingRelease, "");
  return 1;
}

int CAudioTrack::AddSnippet(std::shared_ptr<CAudioSnippet> snippet) {
  if (!snippet) {
    ReportError(__FILE__, kLineAddNoSnippet, "");
    return 3;
  }
  type_ = snippet->kind == CAudioSnippet::kKindLoop ? kTypeLoopBased : kTypeExtended;
  return snippets_.AddSnippet(std::move(snippet));
}

int CAudioTrack::AddSnippets(const std::vector<std::shared_ptr<CAudioSnippet>>& snippets) {
  int result = 1;
  std::vector<std::shared_ptr<CAudioSnippet>> present;
  present.reserve(snippets.size());
  for (const auto& snippet : snippets) {
    if (!snippet) {
      ReportError(__FILE__, kLineAddNoSnippet, "");
      result = 3;
      continue;
    }
    type_ = snippet->kind == CAudioSnippet::kKindLoop ? kTypeLoopBased : kTypeExtended;
    present.push_back(snippet);
  }
  return snippets_.AddSnippets(present) == 1 ? result : 3;
}

CZelmo* CAudioTrack::Chain() const {
  if (!chains_ || index < 0 || index + 1 >= kEffectChainCount) return nullptr;
  return (*chains_)[index + 1].get();
}

int16_t* CAudioTrack::RingBlock(uint16_t slot) const {
  return static_cast<int16_t*>(ring_.Data()) + static_cast<size_t>(slot) * ringStride_ * 2;
}

uint32_t CAudioTrack::FitRing(uint32_t frames) {
  if (frames <= ringStride_) return frames;
  if (!overflowReported_) {
    overflowReported_ = true;
    ReportError(__FILE__, __LINE__, "A block and its effects' read-ahead do not fit the track's buffer.");
  }
  return ringStride_;
}

void CAudioTrack::AdvanceRing(uint32_t frames) {
  ringIndex_ = static_cast<uint16_t>((ringIndex_ + 1) % std::max<uint16_t>(ringBlockCount_, 1));
  ++blocksRendered_;
  // What a chain asks beyond the block is read ahead: the snippets run that
  // far in front of the mix, so the chain's latency never delays the output.
  // The block is the device's (the mixer keeps blockFrames_ equal to it).
  if (frames > blockFrames_) trackOffset_ += frames - blockFrames_;
}

// The chain's own bypass is not asked here: a bypassed chain still reads ahead.
uint32_t CAudioTrack::PrefetchDemand(uint32_t frames, int bypass) {
  CZelmo* chain = Chain();
  if (bypass || !HasEffects(chain)) return FitRing(frames);
  chain->SetSizeOutputBufferSample(std::max(blockFrames_, frames));
  return FitRing(chain->GetMinSamplesNeededForOutput());
}

int CAudioTrack::PrefetchBlock(uint32_t position, uint32_t frames, float pitch, int bypass) {
  if (!enabled || !ring_.IsReserved()) return 0;
  snippets_.Prefetch(position + trackOffset_, PrefetchDemand(frames, bypass), pitch, 1);
  return 0;
}

int CAudioTrack::MixBlock(int16_t* mix, uint32_t position, uint32_t frames, int soloActive, int bypass) {
  if (!enabled) return 1;
  if (!mix) {
    ReportError(__FILE__, kLineMixNoBlock, "");
    return 3;
  }
  const int result = RenderForMix(position, frames, soloActive, bypass);
  if (result != 1) return result;
  return AddForMix(mix);
}

int CAudioTrack::RenderForMix(uint32_t position, uint32_t frames, int soloActive, int bypass) {
  mixReady_ = false;
  if (!enabled) return 1;
  if (!ring_.IsReserved()) {
    ReportError(__FILE__, kLineMixNoRing, "");
    return 3;
  }
  int16_t* scratch = RingBlock(ringIndex_);
  CZelmo* chain = Chain();
  const bool effects = !bypass && HasEffects(chain);
  const uint32_t m = FitRing(effects && !chain->GetBypass() ? chain->GetMinSamplesNeededForOutput() : frames);

  // The snippets advance whether or not the track is heard.
  snippets_.Render(scratch, position + trackOffset_, m);
  if (mute || (soloActive && !solo)) {
    std::memset(scratch, 0, static_cast<size_t>(ringStride_) * kFrameBytes);
  } else {
    const float left = leftGain, right = rightGain;
    if (left != 1.0f || right != 1.0f) ApplyGains(scratch, m, left, right);
  }
  // A muted track's chain still runs, on silence, so its tails stay in time;
  // with every effect bypassed its envelopes still keep their place.
  if (effects) {
    chain->ProcessAudio(scratch, m);
  } else if (bypass && HasEffects(chain)) {
    chain->SkipAudio(m);
  }
  renderedFrames_ = m;
  mixFrames_ = std::min(frames, ringStride_);
  mixReady_ = true;
  return 1;
}

int CAudioTrack::AddForMix(int16_t* mix) {
  if (!mixReady_) return 1;
  mixReady_ = false;
  AddSaturated(mix, RingBlock(ringIndex_), mixFrames_);
  AdvanceRing(renderedFrames_);
  return 1;
}

int CAudioTrack::PrefetchAll(uint32_t position, uint32_t frames) {
  if (!ring_.IsReserved()) return 0;
  return snippets_.Prefetch(position + trackOffset_, FitRing(frames), 0.0f, 0);
}

int CAudioTrack::RenderInto(int16_t* block, uint32_t position, uint32_t frames) {
  return RenderAlone(block, position + trackOffset_, frames, false, kLineRenderNoBlock, kLineRenderNoRing);
}

int CAudioTrack::PrefetchSelected(uint32_t position, uint32_t frames) {
  if (!enabled || !ring_.IsReserved()) return 0;
  return snippets_.PrefetchSelected(position, FitRing(frames));
}

int CAudioTrack::RenderSelectedInto(int16_t* block, uint32_t position, uint32_t frames) {
  if (!enabled) return 1;
  return RenderAlone(block, position, frames, true, kLineSelectedNoBlock, kLineSelectedNoRing);
}

// Renders into the scratch block and adds it into block with saturation (as
// the mixer does), without gains or effects.
int CAudioTrack::RenderAlone(int16_t* block, uint32_t position, uint32_t frames, bool selectedOnly, int noBlockLine,
                             int noRingLine) {
  if (!block) {
    ReportError(__FILE__, noBlockLine, "");
    return 3;
  }
  if (!ring_.IsReserved()) {
    ReportError(__FILE__, noRingLine, "");
    return 3;
  }
  frames = FitRing(frames);
  int16_t* scratch = RingBlock(ringIndex_);
  if (selectedOnly) {
    snippets_.RenderSelected(scratch, position, frames);
  } else {
    snippets_.Render(scratch, position, frames);
  }
  AddSaturated(block, scratch, frames);
  AdvanceRing(frames);
  return 1;
}

int CAudioTrack::PrefetchSnippetWithEffects(uint32_t identifier, uint32_t position, uint32_t frames, float pitch,
                                            int bypass) {
  if (!ring_.IsReserved()) return 0;
  return snippets_.PrefetchSnippet(identifier, position + trackOffset_, PrefetchDemand(frames, bypass), pitch);
}

int CAudioTrack::RenderSnippetWithEffects(uint32_t identifier, int16_t* block, uint32_t position, uint32_t frames,
                                          int bypass) {
  if (!enabled) return 1;
  if (!block) {
    ReportError(__FILE__, kLineSnippetNoBlock, "");
    return 3;
  }
  if (!ring_.IsReserved()) {
    ReportError(__FILE__, kLineSnippetNoRing, "");
    return 3;
  }
  int16_t* scratch = RingBlock(ringIndex_);
  CZelmo* chain = Chain();
  const bool effects = !bypass && HasEffects(chain);
  const uint32_t m = FitRing(effects && !chain->GetBypass() ? chain->GetMinSamplesNeededForOutput() : frames);
  frames = std::min(frames, ringStride_);
  snippets_.RenderSnippet(identifier, scratch, position + trackOffset_, m);
  const float left = leftGain, right = rightGain;
  if (left != 1.0f || right != 1.0f) ApplyGains(scratch, m, left, right);
  if (effects) chain->ProcessAudio(scratch, m);
  AddSaturated(block, scratch, frames);
  AdvanceRing(m);
  return 1;
}

int CAudioTrack::ResetPlayback() {
  trackOffset_ = 0;
  ringIndex_ = 0;
  blocksRendered_ = 0;
  snippets_.StopAllProcessors();
  return 0;
}

int CAudioTrack::GetSelectionMoveLimits(uint32_t* lowest, uint32_t* highest, uint32_t* firstStart,
                                        uint32_t* lastEnd) {
  return snippets_.GetSelectionMoveLimits(lowest, highest, firstStart, lastEnd);
}

int CAudioTrack::MoveMatchingTo(uint32_t frame, const CAudioTrack* other) {
  return snippets_.MoveMatchingTo(frame, other ? &other->snippets_ : nullptr);
}

int CAudioTrack::AddSelectedSnippetsTo(CAudioTrack* other) const {
  if (!other) {
    ReportError(__FILE__, kLineShareNoOther, "");
    return 3;
  }
  for (const auto& s : snippets_.Snippets()) {
    if (s->selected && other->AddSnippet(s) != 1) return 3;
  }
  return 1;
}

int CAudioTrack::CopySelectedSnippetsTo(CAudioTrack* other) const {
  if (!other) {
    ReportError(__FILE__, kLineCopySelectedNoOther, "");
    return 3;
  }
  for (const auto& s : snippets_.Snippets()) {
    if (s->selected && AddPlainCopy(*s, other) != 1) return 3;
  }
  return 1;
}

int CAudioTrack::CopyTo(CAudioTrack* other) const {
  if (!other) {
    ReportError(__FILE__, kLineCopyNoOther, "");
    return 3;
  }
  for (const auto& s : snippets_.Snippets()) {
    if (other->AddSnippet(s) != 1) return 3;
  }
  CopySettingsTo(other);
  return 1;
}

int CAudioTrack::CopyPlainTo(CAudioTrack* other) const {
  if (!other) {
    ReportError(__FILE__, kLineCopyNoOther, "");
    return 3;
  }
  for (const auto& s : snippets_.Snippets()) {
    if (AddPlainCopy(*s, other) != 1) return 3;
  }
  CopySettingsTo(other);
  return 1;
}

void CAudioTrack::CopySettingsTo(CAudioTrack* other) const {
  other->description = description;
  other->type_ = type_;
  other->leftGain = leftGain.load();
  other->rightGain = rightGain.load();
  other->snippets_.trackPitch = snippets_.trackPitch;
}

int CAudioTrack::AddPlainCopy(const CAudioSnippet& snippet, CAudioTrack* other) {
  std::shared_ptr<CAudioSnippet> copy(new (std::nothrow) CAudioSnippet);
  if (!copy) {
    ReportError(__FILE__, kLineCopySelectedNoMemory, "");
    return 3;
  }
  snippet.CopyAttributesTo(copy.get());
  return other->AddSnippet(std::move(copy));
}

int CAudioTrack::RemoveSnippetsOf(const CAudioTrack* other) {
  if (!other) {
    ReportError(__FILE__, kLineRemoveNoOther, "");
    return 3;
  }
  for (const auto& s : other->snippets_.Snippets()) snippets_.RemoveSnippet(s->GetIdentifier());
  return 1;
}

int CAudioTrack::MergeFrom(const CAudioTrack* other) {
  if (!other || other->index != index || other->snippets_.GetCount() == 0) return 0;
  if (other->type_ != kTypeExtended && other->type_ != kTypeLoopBased) {
    ReportError(__FILE__, kLineMergeBadType, "");
  } else {
    type_ = other->type_;
  }
  for (const auto& s : other->snippets_.Snippets()) snippets_.AddSnippet(s);
  return 0;
}

int CAudioTrack::GetRingHistory(int slot, uint32_t frame, int16_t* destination, uint32_t frames) const {
  if (!destination) {
    ReportError(__FILE__, kLineHistoryNoDestination, "");
    return 3;
  }
  std::memset(destination, 0, static_cast<size_t>(frames) * kFrameBytes);
  if (!ring_.IsReserved() || slot < 0 || slot >= ringBlockCount_) return 1;
  frame = std::min(frame, ringStride_);
  const int16_t* block = RingBlock(static_cast<uint16_t>(slot));
  if (frame >= frames) {
    std::memcpy(destination, block + static_cast<size_t>(frame - frames) * 2, static_cast<size_t>(frames) * kFrameBytes);
    return 1;
  }
  // The part before the block's start is the end of the block rendered before it.
  const uint32_t earlier = frames - frame;
  if (blocksRendered_ >= 2 && ringBlockCount_ >= 2) {
    const uint16_t previous = static_cast<uint16_t>((slot + ringBlockCount_ - 1) % ringBlockCount_);
    const uint32_t available = std::min(earlier, blockFrames_);
    std::memcpy(destination + static_cast<size_t>(earlier - available) * 2,
                RingBlock(previous) + static_cast<size_t>(blockFrames_ - available) * 2,
                static_cast<size_t>(available) * kFrameBytes);
  }
  std::memcpy(destination + static_cast<size_t>(earlier) * 2, block, static_cast<size_t>(frame) * kFrameBytes);
  return 1;
}

int CAudioTrack::ToggleMute() {
  mute = mute ? 0 : 1;
  return mute;
}

int CAudioTrack::ToggleSolo() {
  solo = solo ? 0 : 1;
  return solo;
}

int CAudioTrack::ClearScreenRects() {
  for (const auto& s : snippets_.Snippets()) {
    if (!s) {
      ReportError(__FILE__, kLineRectsNoSnippet, "");
      return 3;
    }
    s->ClearScreenRects();
  }
  return 1;
}

int CAudioTrack::HasStereoSource() const {
  for (const auto& s : snippets_.Snippets()) {
    if (!s) {
      ReportError(__FILE__, kLineStereoNoSnippet, "");
      return 3;
    }
    if (s->GetChannels() == 2) return 1;
  }
  return 0;
}

bool CAudioTrack::UsesLoop(uint32_t loopIdentifier) const {
  for (const auto& s : snippets_.Snippets()) {
    if (!s) {
      ReportError(__FILE__, kLineUsesLoopNoSnippet, "");
      return false;
    }
    const auto* loopSnippet = dynamic_cast<const CAudioSnippetLoop*>(s.get());
    if (loopSnippet && loopSnippet->GetLoop() && loopSnippet->GetLoop()->GetIdentifier() == loopIdentifier) {
      return true;
    }
  }
  return false;
}

void CAudioTrack::Clear() {
  snippets_.RemoveAllSnippets();
  leftGain = 1.0f;
  rightGain = 1.0f;
  type_ = kTypeExtended;
  description.clear();
  armed = 0;
  solo = 0;
  mute = 0;
  enabled = 1;
  selected = index == 0 ? 1 : 0;
}
