#include "Effect.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "Clock.h"
#include "DspKernels.h"
#include "ReportErrorDll.h"

namespace {

// Fault codes of this file.
constexpr int kNullBlockMono = 73;
constexpr int kNullBlockStereo = 95;
constexpr int kAllocateLeft = 120;
constexpr int kAllocateRight = 126;
constexpr int kReleaseLeft = 142;
constexpr int kReleaseRight = 152;

}  // namespace

CEffect::CEffect(ZelmoEffectType type) : type_(type) {
  // A tick count that no other effect has, without waiting for the clock.
  identifier_ = platform::GetUniqueTickCount32();
}

CEffect::~CEffect() { ReleaseWorkBuffers(); }

unsigned int CEffect::Init(void*) { return 0; }
unsigned int CEffect::Reset() { return 0; }
unsigned int CEffect::ProcessMono() { return 0; }
unsigned int CEffect::ProcessStereo() { return 0; }
uint32_t CEffect::GetLatencySamples() { return 0; }
void CEffect::SkipFrames(uint32_t) {}

void CEffect::PrepareForPlayback() {
  Populate(workLeft_);
  Populate(workRight_);
}

void CEffect::Populate(platform::CPageBuffer& buf) {
  // A buffer that cannot be backed now still works: its pages come on first use.
  if (buf.IsReserved()) buf.Populate(0, buf.ReservedBytes());
}
bool CEffect::SetParameters(const void*) { return false; }
void CEffect::GetParameters(void*) const {}

unsigned int CEffect::SetBufferSizes(uint32_t outputFrames, uint32_t maxInputFrames) {
  blockFrames_ = outputFrames;
  if (maxInputFrames > maxInput_) maxInput_ = maxInputFrames;
  if (maxInput_ <= workCapacity_) return 1;
  ReleaseWorkBuffers();
  return AllocateWorkBuffers() ? 1 : 0;
}

bool CEffect::AllocateWorkBuffers() {
  if (workLeft_.IsReserved() || workRight_.IsReserved()) ReleaseWorkBuffers();
  if (maxInput_ == 0) return true;
  const size_t bytes = size_t{maxInput_} * sizeof(short);
  if (!workLeft_.Allocate(bytes)) {
    ReportErrorDll(__FILE__, kAllocateLeft, "");
    return false;
  }
  if (channels_ == 2 && !workRight_.Allocate(bytes)) {
    ReportErrorDll(__FILE__, kAllocateRight, "");
    workLeft_.Release();
    return false;
  }
  workCapacity_ = maxInput_;
  oversizeReported_ = false;
  return true;
}

void CEffect::ReleaseWorkBuffers() {
  workCapacity_ = 0;
  if (!workLeft_.Release()) ReportErrorDll(__FILE__, kReleaseLeft, "");
  if (!workRight_.Release()) ReportErrorDll(__FILE__, kReleaseRight, "");
}

unsigned int CEffect::Process(short* buffer, uint32_t frames, uint32_t outputFrames) {
  if (bypass_) {
    SkipFrames(frames);
    return 0;
  }
  if (channels_ != 1 && channels_ != 2) return 0;
  if (!buffer) {
    ReportErrorDll(__FILE__, channels_ == 1 ? kNullBlockMono : kNullBlockStereo, "");
    return 0;
  }
  if (frames > workCapacity_ || outputFrames > workCapacity_ || workCapacity_ == 0) {
    // Growing here would allocate on the audio thread; the caller sizes the
    // chain (UpdateBufferSizes) and the block passes untouched until then.
    if (!oversizeReported_) {
      oversizeReported_ = true;
      char message[96];
      std::snprintf(message, sizeof message, "A block of %u frames (%u out) does not fit buffers of %u frames.",
                    static_cast<unsigned>(frames), static_cast<unsigned>(outputFrames),
                    static_cast<unsigned>(workCapacity_));
      ReportErrorDll(__FILE__, __LINE__, message);
    }
    return 0;
  }
  blockFrames_ = frames;
  outputFrames_ = outputFrames;
  buffer_ = buffer;
  short* left = WorkBuffer(0);
  if (channels_ == 1) {
    if (frames && !channelsIn_) std::memcpy(left, buffer, size_t{frames} * sizeof(short));
    return ProcessMono();
  }
  if (!channelsIn_) Kernels().split(buffer, left, WorkBuffer(1), frames);
  return ProcessStereo();
}

void CEffect::TakeChannelsOf(CEffect& from) {
  std::swap(workLeft_, from.workLeft_);
  std::swap(workRight_, from.workRight_);
}

void CEffect::WriteBackChannels(short* block, uint32_t frames) {
  buffer_ = block;
  handOn_ = false;
  InterleaveWorkBuffers(frames);
}

void CEffect::InterleaveWorkBuffers(uint32_t frames) const {
  if (handOn_) return;  // the next effect takes the channels as they are
  const short* left = WorkBuffer(0);
  if (channels_ == 1) {
    if (frames) std::memcpy(buffer_, left, size_t{frames} * sizeof(short));
    return;
  }
  Kernels().join(left, WorkBuffer(1), buffer_, frames);
}
