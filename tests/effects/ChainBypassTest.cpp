// An effect or a chain coming back from bypass starts from silence: what it
// held before is not heard again.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "Zelmo.h"

namespace {

constexpr uint32_t kBlock = 4096;

struct BypassCase {
  const char* what;
  bool chainBypass;  // the chain's own flag, else the effect's
  bool toggle;       // bypassed and back between the loud block and the silent one
  bool tailHeard;
};

TEST(ChainBypass, ComingBackFromBypassForgetsTheHistory) {
  const BypassCase cases[] = {
      {"effect never bypassed", false, false, true},
      {"effect bypassed and back", false, true, false},
      {"chain bypassed and back", true, true, false},
  };
  for (const BypassCase& c : cases) {
    SCOPED_TRACE(c.what);
    CZelmo chain;
    chain.SetChannels(2);
    chain.SetSizeOutputBufferSample(kBlock);
    chain.SetSizeMaxInputBufferSample(kBlock + 16384);
    short number = -1;
    chain.AddEffect(ZelmoEcho, &number, nullptr);
    EchoParams echo{1.0f, 1.0f, 0.8f, 0.8f, 0.5f, 0.5f, 20.0f, 20.0f};
    chain.SetEffectParameters(number, &echo);
    std::vector<short> block(kBlock * 2);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<short>((i * 7919) % 20000 - 10000);
    chain.ProcessAudio(block.data(), kBlock);
    if (c.toggle) {
      if (c.chainBypass) {
        chain.SetBypass(1);
        chain.SetBypass(0);
      } else {
        chain.SetEffectBypass(number, 1);
        chain.SetEffectBypass(number, 0);
      }
    }
    std::fill(block.begin(), block.end(), short{0});
    chain.ProcessAudio(block.data(), kBlock);
    const bool heard = std::any_of(block.begin(), block.end(), [](short s) { return s != 0; });
    EXPECT_EQ(heard, c.tailHeard);
  }
}

}  // namespace
