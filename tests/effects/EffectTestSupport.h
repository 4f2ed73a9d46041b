// Helpers for the effect tests: chains set up as the program sets them up,
// reproducible noise, and a switch between threaded and inline workers.
#pragma once

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "ThreadCount.h"
#include "Zelmo.h"

namespace tessiro::test {

inline std::unique_ptr<CZelmo> MakeChain(short channels, uint32_t outputBlock, uint32_t maxInput) {
  auto chain = std::make_unique<CZelmo>();
  chain->SetChannels(channels);
  chain->SetSizeMaxInputBufferSample(maxInput);
  chain->SetSizeOutputBufferSample(outputBlock);
  return chain;
}

inline short AddEffect(CZelmo& chain, ZelmoEffectType type, void* init = nullptr) {
  short number = -1;
  chain.AddEffect(type, &number, init);
  return number;
}

inline std::vector<short> Noise(size_t samples, uint32_t seed, int amplitude = 20000) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> value(-amplitude, amplitude);
  std::vector<short> out(samples);
  for (short& s : out) s = static_cast<short>(value(random));
  return out;
}

// The band centres and transform size the program gives every equalizer.
inline EqualizerInit ProgramBands(int32_t fftSize = 4096) {
  return EqualizerInit{{60, 170, 310, 600, 1000, 3000, 6000, 12000, 14000, 16000}, fftSize};
}

// The effects' channel crew names its threads "zelmo-...".
inline constexpr const char* kWorkerThreads = "zelmo-";

// Effects created inside the scope run their workers inline (or threaded).
class CWorkerMode {
 public:
  explicit CWorkerMode(bool inlineWorkers) : saved_(ZelmoInlineWorkers()) { ZelmoSetInlineWorkers(inlineWorkers); }
  ~CWorkerMode() { ZelmoSetInlineWorkers(saved_); }

 private:
  bool saved_;
};

}  // namespace tessiro::test
