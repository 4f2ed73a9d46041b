// Chains as the program builds them, with the settings a new effect gets in
// the effects window, for the benchmark and the command-line runner.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Zelmo.h"

namespace bench {

enum EffectBits : int {
  kEcho = 1,
  kReverb = 2,
  kLevels = 4,
};

inline EchoParams DefaultEcho() { return {0.7943f, 0.7943f, 0.631f, 0.631f, 0.5f, 0.5f, 300.0f, 300.0f}; }

inline ReverbParams DefaultReverb() {
  return {0.7499f, 0.7499f, 0.5623f, 0.5623f, 0.25f, 0.25f, 150.0f, 150.0f, 300.0f, 300.0f};
}

inline short Add(CZelmo& chain, ZelmoEffectType type, void* init = nullptr) {
  short n = -1;
  chain.AddEffect(type, &n, init);
  return n;
}

// A chain holding the effects named by `bits`, in the order echo, reverb, levels.
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
  if (bits & kLevels) name += "levels+";
  if (!name.empty()) name.pop_back();
  return name;
}

}  // namespace bench
