#include "Echo.h"

#include <cstring>

#include "ReportErrorDll.h"

namespace {

constexpr TapEffectFaults kEchoFaults = {
    .title = __FILE__,
    .threadLeft = 306,
    .threadRight = 310,
    .historyLeft = 329,
    .historyRight = 333,
    .resizeLeft = 415,
    .resizeRight = 419,
    .missingHistory = __LINE__,
};

// Until its parameters arrive a new echo leaves the audio as it is.
constexpr EchoParams kPassThrough = {1.0f, 1.0f, 0.0f, 0.0f, 0.5f, 0.5f, 0.0f, 0.0f};

constexpr float kLastTapGain = 0.01f;

}  // namespace

CEcho::CEcho() : CTapEffect(ZelmoEcho, kEchoFaults), params_(kPassThrough) {}

CEcho::~CEcho() = default;

bool CEcho::SetParameters(const void* record) {
  if (!record) {
    ReportErrorDll(__FILE__, __LINE__, "");
    return false;
  }
  std::memcpy(&params_, record, sizeof params_);
  return true;
}

void CEcho::GetParameters(void* out) const { std::memcpy(out, &params_, sizeof params_); }

float CEcho::DryGain(int channel) const { return channel == 0 ? params_.dryGainLeft : params_.dryGainRight; }

float CEcho::DelayMs(int channel) const { return channel == 0 ? params_.delayMsLeft : params_.delayMsRight; }

void CEcho::AddTaps(int c, const ChannelBlock& block) const {
  const uint32_t delay = MsToSamples(DelayMs(c));
  const float gain = c == 0 ? params_.echoGainLeft : params_.echoGainRight;
  const float decay = c == 0 ? params_.decayLeft : params_.decayRight;
  const float step = decay * gain;
  float u = gain;
  uint32_t t = block.begin;
  uint64_t offset = 0;
  while (u >= kLastTapGain) {
    if (!StepBack(delay, block.frames, t, offset)) break;
    AddStep(c, block, t, offset, u);
    const float next = RoundToThousandth(u - step);
    // Rounding can hold a small decline at one value for ever: stop there.
    if (!(next < u)) break;
    u = next;
  }
}
