#include "reverb.h"

#include <cstring>

#include "ReportErrorDll.h"

namespace {

constexpr int kNullRecord = 439;

constexpr TapEffectFaults kReverbFaults = {
    .title = __FILE__,
    .threadLeft = 397,
    .threadRight = 401,
    .historyLeft = 421,
    .historyRight = 428,
    .resizeLeft = 518,
    .resizeRight = 525,
    .missingHistory = 74,
};

constexpr float kLastCopyGain = 0.001f;

ReverbParams PassThrough() {
  // The stored delays and decays keep their usual values; no copy is heard.
  ReverbParams params;
  params.dryGainLeft = params.dryGainRight = 1.0f;
  params.reverbGainLeft = params.reverbGainRight = 0.0f;
  return params;
}

}  // namespace

CReverb::CReverb()
    : CTapEffect(ZelmoReverb, kReverbFaults), params_(PassThrough()) {}

CReverb::~CReverb() = default;

bool CReverb::SetParameters(const void* record) {
  if (!record) {
    ReportErrorDll(__FILE__, kNullRecord, "");
    return false;
  }
  std::memcpy(&params_, record, sizeof params_);
  return true;
}

void CReverb::GetParameters(void* out) const { std::memcpy(out, &params_, sizeof params_); }

float CReverb::DryGain(int channel) const { return channel == 0 ? params_.dryGainLeft : params_.dryGainRight; }

float CReverb::DelayMs(int channel) const { return channel == 0 ? params_.delayMsLeft : params_.delayMsRight; }

void CReverb::AddTaps(int c, const ChannelBlock& block) const {
  const uint32_t half = MsToSamples(DelayMs(c)) >> 1;
  const float gain = c == 0 ? params_.reverbGainLeft : params_.reverbGainRight;
  const float decay = c == 0 ? params_.decayLeft : params_.decayRight;
  const float halfStep = decay * gain * 0.5f;
  float u = gain;
  uint32_t t = block.begin;
  uint64_t offset = 0;
  // Step k sits (k + 1) half delays back; only the odd ones add a copy. Testing
  // the parity rather than a multiple of the delay keeps a delay under two
  // samples from dividing by zero.
  for (uint32_t k = 0; u >= kLastCopyGain; ++k) {
    if (!StepBack(half, block.frames, t, offset)) break;
    if (k & 1) AddStep(c, block, t, offset, u);
    const float next = RoundToThousandth(u - halfStep);
    if (!(next < u)) break;  // a decline lost to rounding would never end
    u = next;
  }
}
