// A slow, literal rendering of the echo and the reverb for comparison: one
// plain history per channel that is shifted down when full, every tap walked
// sample by sample over the interleaved block.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

#include <random>

#include "EffectTestSupport.h"
#include "Zelmo.h"

namespace tessiro::test {

class CReferenceTaps {
 public:
  CReferenceTaps(bool reverb, int channels, uint32_t capacity)
      : reverb_(reverb), channels_(channels), capacity_(capacity) {}

  void SetEcho(const EchoParams& p) {
    Set(0, p.dryGainLeft, p.echoGainLeft, p.decayLeft, p.delayMsLeft);
    Set(1, p.dryGainRight, p.echoGainRight, p.decayRight, p.delayMsRight);
  }
  void SetReverb(const ReverbParams& p) {
    Set(0, p.dryGainLeft, p.reverbGainLeft, p.decayLeft, p.delayMsLeft);
    Set(1, p.dryGainRight, p.reverbGainRight, p.decayRight, p.delayMsRight);
  }

  void Reset() {
    total_ = 0;
    for (Channel& ch : channel_) {
      ch.history.clear();
      ch.start = 0;
    }
  }

  void Process(short* block, uint32_t frames) {
    for (int c = 0; c < channels_; ++c) ProcessChannel(c, block, frames);
    total_ += frames;
  }

 private:
  struct Channel {
    std::vector<short> history;
    uint32_t start = 0;
    float dry = 1, gain = 0, decay = 0, delayMs = 0;
  };

  static short Clip(float x) {
    if (x > 32767.0f) return 32767;
    if (x < -32767.0f) return -32767;
    return static_cast<short>(x);
  }
  static float Round(float x) { return std::trunc(x * 1000.0f + 0.5f) / 1000.0f; }

  void Set(int c, float dry, float gain, float decay, float delayMs) {
    channel_[c].dry = dry;
    channel_[c].gain = gain;
    channel_[c].decay = decay;
    channel_[c].delayMs = delayMs;
  }

  void ProcessChannel(int c, short* block, uint32_t frames) {
    Channel& ch = channel_[c];
    const float samples = ch.delayMs / 1000.0f * 44100.0f;
    const uint32_t delay = samples > 0 ? static_cast<uint32_t>(samples) : 0;
    std::vector<short>& h = ch.history;
    if (capacity_ < h.size() + frames) {
      const uint32_t drop = std::min<uint32_t>(std::max(delay, frames), static_cast<uint32_t>(h.size()));
      h.erase(h.begin(), h.begin() + drop);
      ch.start += drop;
    }
    for (uint32_t j = 0; j < frames; ++j) h.push_back(block[j * channels_ + c]);
    if (ch.dry != 1.0f) {
      for (uint32_t j = 0; j < frames; ++j) {
        short& s = block[j * channels_ + c];
        s = Clip(std::trunc(ch.dry * s));
      }
    }
    const uint64_t blockSamples = uint64_t{frames} * channels_;
    uint32_t t = total_ - ch.start;
    uint64_t offset = 0;
    float u = ch.gain;
    const float step = ch.decay * ch.gain;
    const uint32_t move = reverb_ ? delay >> 1 : delay;
    const float threshold = reverb_ ? 0.001f : 0.01f;
    for (uint32_t k = 0; u >= threshold; ++k) {
      if (t < move) {
        offset += static_cast<uint64_t>(channels_) * (move - t);
        t = 0;
      } else {
        t -= move;
        offset = 0;
      }
      bool add = true;
      if (reverb_) add = k >= 1 && (move == 0 ? k % 2 == 1 : (uint64_t{k} + 1) * move % (2 * uint64_t{move}) == 0);
      if (add) {
        uint64_t o = c + offset;
        for (uint32_t i = t; i < h.size() && o < blockSamples; ++i, o += channels_) {
          block[o] = Clip(block[o] + u * h[i]);
        }
      }
      const float next = Round(u - (reverb_ ? step * 0.5f : step));
      if (!(next < u)) break;
      u = next;
    }
  }

  bool reverb_;
  int channels_;
  uint32_t capacity_;
  uint32_t total_ = 0;
  Channel channel_[2];
};


// Runs a one-effect chain and the reference side by side over `total` frames in
// blocks of random size (a few small ones first) and expects identical output.
template <typename Params>
void ExpectMatchesReference(const Params& params, short channels, uint32_t total, uint32_t seed) {
  constexpr bool reverb = std::is_same_v<Params, ReverbParams>;
  auto chain = MakeChain(channels, 8192, 8192);
  const short n = AddEffect(*chain, reverb ? ZelmoReverb : ZelmoEcho);
  Params copy = params;
  chain->SetEffectParameters(n, &copy);
  CReferenceTaps reference(reverb, channels, 529200);
  if constexpr (reverb) {
    reference.SetReverb(params);
  } else {
    reference.SetEcho(params);
  }
  std::mt19937 random(seed);
  std::uniform_int_distribution<uint32_t> size(1, 8192);
  uint32_t done = 0;
  for (uint32_t b = 0; done < total; ++b) {
    const uint32_t frames = b < 5 ? 1 + b * 257 : size(random);
    std::vector<short> ours = Noise(size_t{frames} * channels, seed + b, 30000);
    std::vector<short> theirs = ours;
    chain->ProcessAudio(ours.data(), frames);
    reference.Process(theirs.data(), frames);
    ASSERT_EQ(ours, theirs) << "block " << b << " of " << frames << " frames, " << channels << " channel(s)";
    done += frames;
  }
}

}  // namespace tessiro::test
