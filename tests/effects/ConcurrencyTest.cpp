#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <future>
#include <new>
#include <thread>
#include <vector>

#include "AllocationCounter.h"
#include "ChannelWorker.h"
#include "EffectTestSupport.h"
#include "ReportRecorder.h"

using namespace tessiro::test;

namespace {

constexpr uint32_t kBlock = 2048;

// The records the editor thread hands in: random, but within what the dialogs allow.
void SetRandomParameters(CZelmo& chain, short n, std::mt19937& random) {
  std::uniform_real_distribution<float> gain(0.0f, 1.0f), delay(0.0f, 2000.0f);
  unsigned int type = 0;
  chain.GetEffectType(n, &type);
  if (type == ZelmoEcho) {
    EchoParams p{gain(random), gain(random), gain(random), gain(random),
                 gain(random), gain(random), delay(random), delay(random)};
    chain.SetEffectParameters(n, &p);
  } else if (type == ZelmoReverb) {
    ReverbParams p{gain(random), gain(random), gain(random), gain(random), gain(random),
                   gain(random), delay(random), delay(random), 300.0f, 300.0f};
    chain.SetEffectParameters(n, &p);
  } else if (type == ZelmoChorus || type == ZelmoFlange) {
    std::uniform_real_distribution<float> hz(0.1f, 20.0f), phase(0.0f, 360.0f), ms(0.0f, 60.0f);
    const float delayL = ms(random), delayR = ms(random);
    ChorusFlangeParams p{gain(random), gain(random), gain(random), gain(random), hz(random), hz(random),
                         phase(random), phase(random), delayL, delayR, delayL * gain(random), delayR * gain(random)};
    chain.SetEffectParameters(n, &p);
  } else if (type == ZelmoEqualizer) {
    EqualizerParams p{static_cast<int32_t>(random() % 2), {}, {}};
    for (int b = 0; b < 10; ++b) {
      p.left.gains[b] = 2 * gain(random);
      p.right.gains[b] = 2 * gain(random);
    }
    chain.SetEffectParameters(n, &p);
  } else if (type == ZelmoLevels) {
    Zelmo_Levels_Parameters p{static_cast<uint32_t>(random() % 500000), 0, 60.0f + gain(random) * 120.0f};
    chain.SetEffectParameters(n, &p);
    Zelmo_Level_Entry e{static_cast<uint32_t>(random()), 120.0f, gain(random) * 2, static_cast<uint32_t>(random() % 600000), 0};
    chain.AddLevelEntry(n, &e, 1 + random() % 3);
  }
}

short AddEffectOfType(CZelmo& chain, ZelmoEffectType type) {
  EqualizerInit bands = ProgramBands();
  return AddEffect(chain, type, type == ZelmoEqualizer ? &bands : nullptr);
}

void AddRandomEffect(CZelmo& chain, std::mt19937& random) {
  static const ZelmoEffectType types[] = {ZelmoEcho, ZelmoReverb, ZelmoChorus, ZelmoFlange, ZelmoEqualizer, ZelmoLevels};
  ZelmoEffectType type = types[random() % 6];
  // Like the effects window: one equalizer a chain.
  if (type == ZelmoEqualizer && chain.DoesEqualizerExistInList()) type = ZelmoChorus;
  SetRandomParameters(chain, AddEffectOfType(chain, type), random);
}

void EditOnce(CZelmo& chain, std::mt19937& random) {
  const short count = chain.NumberOfEffects();
  const short any = count ? static_cast<short>(random() % count) : 0;
  switch (random() % 11) {
    case 0: case 1: SetRandomParameters(chain, any, random); break;
    case 2: chain.SetEffectBypass(any, !chain.GetEffectBypass(any)); break;
    case 3: chain.SetBypass(random() % 4 == 0); break;
    case 4: chain.MoveEffectFoward(any); break;
    case 5: chain.MoveEffectBack(any); break;
    case 6: if (count < 8) AddRandomEffect(chain, random); break;
    case 7: if (count > 1) chain.RemoveEffect(any); break;
    case 8: {
      unsigned int type = 0;
      chain.InitGetAllEffects();
      while (chain.GetNextEffectType(&type)) {
      }
      break;
    }
    case 9: {
      Zelmo_Levels_Parameters p{0, 0, 120.0f};
      chain.UpdateAllLevelParameters(&p);
      if (chain.GetTotalLevelPoints(any, 1) > 1) chain.RemoveLevelEntryByNumber(any, 1, 1);
      break;
    }
    case 10: chain.Reset(); break;
  }
}

std::unique_ptr<CZelmo> StartingChain(short channels) {
  auto chain = MakeChain(channels, kBlock, kBlock + 16384);
  std::mt19937 random(17);
  for (ZelmoEffectType type : {ZelmoEcho, ZelmoReverb, ZelmoChorus, ZelmoFlange, ZelmoEqualizer, ZelmoLevels}) {
    SetRandomParameters(*chain, AddEffectOfType(*chain, type), random);
  }
  return chain;
}

// A second chain built from what `from` holds now: types, records, bypass flags
// and envelope points.
std::unique_ptr<CZelmo> CopyOf(CZelmo& from) {
  auto chain = MakeChain(from.GetChannels(), kBlock, kBlock + 16384);
  chain->SetBypass(from.GetBypass());
  for (short n = 0; n < from.NumberOfEffects(); ++n) {
    unsigned int type = 0;
    from.GetEffectType(n, &type);
    const short copy = AddEffectOfType(*chain, type);
    unsigned char record[128];
    from.GetEffectParameters(n, record);
    chain->SetEffectParameters(copy, record);
    chain->SetEffectBypass(copy, from.GetEffectBypass(n));
    if (type != ZelmoLevels) continue;
    chain->SetLevelsChannelsIndependent(copy, from.GetLevelsChannelsIndependent(n));
    for (unsigned int channel : {1u, 2u}) {
      Zelmo_Level_Entry* entry = nullptr;
      from.InitGetAllLevelEntries(n, channel);
      while (from.GetNextLevelEntry(n, &entry, channel)) chain->AddLevelEntry(copy, entry, channel);
    }
  }
  return chain;
}

std::vector<short> RunBlocks(CZelmo& chain, int blocks, uint32_t seed) {
  std::vector<short> all;
  const short channels = chain.GetChannels();
  std::mt19937 random(seed);
  for (int b = 0; b < blocks; ++b) {
    // An equalizer takes what it asks for and gives one output block; without
    // one any length goes.
    const bool equalizer = chain.DoesEqualizerExistInList();
    const uint32_t frames = equalizer ? chain.GetMinSamplesNeededForOutput() : 1 + random() % (kBlock + 16384);
    std::vector<short> block = Noise(size_t{std::max(frames, kBlock)} * channels, seed + b);
    chain.ProcessAudio(block.data(), frames);
    all.insert(all.end(), block.begin(), block.begin() + static_cast<long>(equalizer ? kBlock : frames) * channels);
  }
  return all;
}

template <typename F>
void MustFinishWithin(std::chrono::seconds limit, F work) {
  auto done = std::async(std::launch::async, work);
  if (done.wait_for(limit) != std::future_status::ready) {
    ADD_FAILURE() << "deadlock: the work did not finish";
    std::_Exit(1);
  }
  done.get();
}

}  // namespace

TEST(ChainUnderEdits, TwoThousandBlocksWhileAnotherThreadEditsTheChain) {
  CWorkerMode threaded(false);
  auto chain = StartingChain(2);
  MustFinishWithin(std::chrono::seconds(240), [&] {
    std::atomic<bool> playing{true};
    std::thread editor([&] {
      std::mt19937 random(23);
      while (playing.load()) {
        EditOnce(*chain, random);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 300));
      }
    });
    std::vector<short> block((kBlock + 16384) * 2);
    std::mt19937 random(29);
    for (int b = 0; b < 2000; ++b) {
      const uint32_t frames = chain->GetMinSamplesNeededForOutput();
      ASSERT_GE(frames, kBlock);
      ASSERT_LE(frames, kBlock + 8192);
      for (uint32_t i = 0; i < 2 * frames; ++i) block[i] = static_cast<short>(random());
      ASSERT_LE(chain->ProcessAudio(block.data(), frames), 1u);
    }
    playing.store(false);
    editor.join();
  });
  EXPECT_EQ(Reports().Count(), 0u);

  // Frozen now: whatever the edits left must sound exactly as a fresh chain
  // built from the same settings and run inline.
  chain->Reset();
  Zelmo_Levels_Parameters start{0, 0, 120.0f};
  chain->UpdateAllLevelParameters(&start);
  std::vector<short> expected;
  {
    CWorkerMode inlineWorkers(true);
    auto copy = CopyOf(*chain);
    copy->UpdateAllLevelParameters(&start);
    expected = RunBlocks(*copy, 200, 31);
  }
  EXPECT_TRUE(RunBlocks(*chain, 200, 31) == expected);
}

TEST(ChainUnderEdits, ThreadedOutputEqualsInlineBitForBit) {
  for (short channels : {1, 2}) {
    std::vector<short> inlineOut, threadedOut;
    {
      CWorkerMode mode(true);
      auto chain = StartingChain(channels);
      inlineOut = RunBlocks(*chain, 150, 41);
    }
    {
      CWorkerMode mode(false);
      auto chain = StartingChain(channels);
      threadedOut = RunBlocks(*chain, 150, 41);
    }
    EXPECT_TRUE(inlineOut == threadedOut) << channels << " channel(s)";
  }
}

// More callers at once than the crew has threads (the mixer's helpers with
// their chains, an edit, the master chain): each hands its second channels to
// whatever member is idle or runs them itself, and every chain still gives
// what it gives alone, inline.
TEST(ChainUnderEdits, MoreChainsAtOnceThanCrewThreadsEachGiveTheirInlineOutput) {
  std::vector<short> expected;
  {
    CWorkerMode mode(true);
    auto chain = StartingChain(2);
    expected = RunBlocks(*chain, 40, 53);
  }
  CWorkerMode mode(false);
  std::vector<std::unique_ptr<CZelmo>> chains;
  chains.push_back(StartingChain(2));
  const int callers = ChannelCrewThreads() + 4;
  while (static_cast<int>(chains.size()) < callers) chains.push_back(StartingChain(2));
  std::vector<std::vector<short>> got(chains.size());
  MustFinishWithin(std::chrono::seconds(120), [&] {
    std::vector<std::thread> threads;
    for (size_t i = 0; i < chains.size(); ++i) threads.emplace_back([&, i] { got[i] = RunBlocks(*chains[i], 40, 53); });
    for (auto& t : threads) t.join();
  });
  for (size_t i = 0; i < got.size(); ++i) EXPECT_TRUE(got[i] == expected) << "chain " << i;
}

TEST(ChainUnderEdits, SteadyStateBlocksAllocateNothing) {
  CWorkerMode threaded(false);
  auto chain = StartingChain(2);
  std::vector<short> block(2 * (kBlock + 16384), 1000);
  for (int b = 0; b < 300; ++b) chain->ProcessAudio(block.data(), kBlock);  // past the first history drop
  StartCountingAllocations();
  for (int b = 0; b < 100; ++b) {
    const uint32_t frames = chain->GetMinSamplesNeededForOutput();
    chain->ProcessAudio(block.data(), frames);
    if (b % 30 == 0) chain->Reset();
  }
  EXPECT_EQ(StopCountingAllocations(), 0);
}
