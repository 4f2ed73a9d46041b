// Chains as the program builds them, with the settings a new effect gets in
// the effects window, for the benchmark and the command-line runner.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

#include "Zelmo.h"

namespace bench {

enum EffectBits : int {
  kEcho = 1,
  kReverb = 2,
  kLevels = 4,
  kChorus = 8,
  kFlange = 16,
  kEqualizer = 32,
};

inline EchoParams DefaultEcho() { return {0.7943f, 0.7943f, 0.631f, 0.631f, 0.5f, 0.5f, 300.0f, 300.0f}; }

inline ReverbParams DefaultReverb() {
  return {0.7499f, 0.7499f, 0.5623f, 0.5623f, 0.25f, 0.25f, 150.0f, 150.0f, 300.0f, 300.0f};
}

// The "Typical Chorus" and "Typical Flange" presets.
inline ChorusFlangeParams DefaultChorus() {
  return {0.631f, 0.631f, 0.562f, 0.562f, 0.7f, 0.7f, 0.0f, 0.0f, 25.0f, 25.0f, 20.0f, 20.0f};
}
inline ChorusFlangeParams DefaultFlange() { return {0.398f, 0.398f, 0.501f, 0.501f, 0.5f, 0.5f, 0, 0, 4.0f, 4.0f, 3.0f, 3.0f}; }

inline EqualizerInit ProgramBands() { return {{60, 170, 310, 600, 1000, 3000, 6000, 12000, 14000, 16000}, 4096}; }

// A smile: lows and highs up, the middle down (dB per band).
constexpr float kEqualizerDb[kEqualizerBandCount] = {4, 3, 1, -1, -3, -3, -1, 2, 3, 4};

inline EqualizerParams DefaultEqualizer() {
  EqualizerParams p{0, {}, {}};
  for (int b = 0; b < kEqualizerBandCount; ++b) {
    p.left.gains[b] = p.right.gains[b] = static_cast<float>(std::pow(10.0, kEqualizerDb[b] / 20.0));
  }
  return p;
}

inline short Add(CZelmo& chain, ZelmoEffectType type, void* init = nullptr) {
  short n = -1;
  chain.AddEffect(type, &n, init);
  return n;
}

// A chain holding the effects named by `bits`, in the order echo, reverb,
// chorus, flange, equalizer, levels.
inline std::unique_ptr<CZelmo> BuildChain(int bits, short channels, uint32_t block) {
  auto chain = std::make_unique<CZelmo>();
  chain->SetChannels(channels);
  chain->SetSizeMaxInputBufferSample(block + 16384);
  chain->SetSizeOutputBufferSample(block);
  if (bits & kEcho) {
    EchoParams p = DefaultEcho();
    chain->SetEffectParameters(Add(*chain, ZelmoEcho), &p);
  }
  if (bits & kReverb) {
    ReverbParams p = DefaultReverb();
    chain->SetEffectParameters(Add(*chain, ZelmoReverb), &p);
  }
  if (bits & kChorus) {
    ChorusFlangeParams p = DefaultChorus();
    chain->SetEffectParameters(Add(*chain, ZelmoChorus), &p);
  }
  if (bits & kFlange) {
    ChorusFlangeParams p = DefaultFlange();
    chain->SetEffectParameters(Add(*chain, ZelmoFlange), &p);
  }
  if (bits & kEqualizer) {
    EqualizerInit init = ProgramBands();
    EqualizerParams p = DefaultEqualizer();
    chain->SetEffectParameters(Add(*chain, ZelmoEqualizer, &init), &p);
  }
  if (bits & kLevels) {
    const short n = Add(*chain, ZelmoLevels);
    Zelmo_Levels_Parameters p{0, 0, 120.0f};
    chain->SetEffectParameters(n, &p);
    // A fade in, a dip and a recovery every ten seconds of a ten-minute take.
    for (uint32_t s = 0; s < 600; s += 10) {
      Zelmo_Level_Entry e{s, 120.0f, (s / 10) % 2 ? 0.5f : 1.0f, s * 44100, 0};
      chain->AddLevelEntry(n, &e, 3);
    }
  }
  return chain;
}

inline std::string ChainName(int bits) {
  std::string name;
  if (bits & kEcho) name += "echo+";
  if (bits & kReverb) name += "reverb+";
  if (bits & kChorus) name += "chorus+";
  if (bits & kFlange) name += "flange+";
  if (bits & kEqualizer) name += "equalizer+";
  if (bits & kLevels) name += "levels+";
  if (!name.empty()) name.pop_back();
  return name;
}

}  // namespace bench
