// Echo: copies of each channel's input every delay, the gain falling by
// decay x echo gain from copy to copy (rounded to thousandths) until it drops
// below 0.01. Feed-forward: copies are of the input, never of the output.
#pragma once

#include "TapEffect.h"

class CEcho final : public CTapEffect {
 public:
  CEcho();
  ~CEcho() override;

  bool SetParameters(const void* record) override;
  void GetParameters(void* out) const override;
  uint32_t ParameterBytes() const override { return sizeof(EchoParams); }

 private:
  float DryGain(int channel) const override;
  float DelayMs(int channel) const override;
  void AddTaps(int channel, const ChannelBlock& block) const override;

  EchoParams params_;
};
