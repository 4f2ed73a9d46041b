// Reverb: steps back through each channel's input in half-delay steps and adds
// a copy every second step (every 2 x (delay / 2) samples), lowering the gain
// by half the decay step at every step, until it drops below 0.001.
#pragma once

#include "TapEffect.h"

class CReverb final : public CTapEffect {
 public:
  CReverb();
  ~CReverb() override;

  bool SetParameters(const void* record) override;
  void GetParameters(void* out) const override;
  uint32_t ParameterBytes() const override { return sizeof(ReverbParams); }

 private:
  float DryGain(int channel) const override;
  float DelayMs(int channel) const override;
  void AddTaps(int channel, const ChannelBlock& block) const override;

  ReverbParams params_;
};
