#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstring>
#include <thread>
#include <type_traits>
#include <vector>

#include "ChannelWorker.h"
#include "Effect.h"
#include "EffectTestSupport.h"
#include "ReportRecorder.h"

using namespace tessiro::test;

namespace {

std::vector<unsigned int> Types(CZelmo& chain) {
  std::vector<unsigned int> types;
  unsigned int type = 0;
  chain.InitGetAllEffects();
  while (chain.GetNextEffectType(&type)) types.push_back(type);
  return types;
}

}  // namespace

static_assert(!std::is_copy_assignable_v<CZelmo>, "a copy would share the list and the lock");
static_assert(!std::is_copy_constructible_v<CZelmo>);

TEST(Chain, EmptyChainReturnsTheBlockAndNeedsOneOutputBlock) {
  auto chain = MakeChain(2, 8192, 8192 + 16384);
  EXPECT_EQ(chain->GetMinSamplesNeededForOutput(), 8192u);
  const std::vector<short> in = Noise(2 * 8192, 1, 32767);
  std::vector<short> block = in;
  EXPECT_EQ(chain->ProcessAudio(block.data(), 8192), 1u);
  EXPECT_EQ(block, in);

  // A bypassed chain leaves even a block its effects would change.
  const short n = AddEffect(*chain, ZelmoEcho);
  EchoParams p{0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 10.0f, 10.0f};
  chain->SetEffectParameters(n, &p);
  chain->SetBypass(1);
  EXPECT_EQ(chain->GetBypass(), 1);
  EXPECT_EQ(chain->ProcessAudio(block.data(), 8192), 0u);
  EXPECT_EQ(block, in);
}

TEST(Chain, RemovingAndMovingRenumbersTheEffects) {
  auto chain = MakeChain(2, 4096, 8192);
  AddEffect(*chain, ZelmoEcho);
  EXPECT_EQ(AddEffect(*chain, ZelmoReverb), 1);
  EXPECT_EQ(AddEffect(*chain, ZelmoLevels), 2);
  chain->RemoveEffect(0);
  EXPECT_EQ(Types(*chain), (std::vector<unsigned int>{ZelmoReverb, ZelmoLevels}));
  chain->MoveEffectFoward(1);
  EXPECT_EQ(Types(*chain), (std::vector<unsigned int>{ZelmoLevels, ZelmoReverb}));
  chain->MoveEffectBack(1);  // the last one
  chain->MoveEffectFoward(0);
  chain->MoveEffectBack(7);  // not in the chain
  EXPECT_EQ(Types(*chain), (std::vector<unsigned int>{ZelmoLevels, ZelmoReverb}));
  chain->MoveEffectBack(0);
  EXPECT_EQ(Types(*chain), (std::vector<unsigned int>{ZelmoReverb, ZelmoLevels}));
  unsigned int type = 0;
  chain->GetEffectType(1, &type);
  EXPECT_EQ(type, ZelmoLevels);
  chain->RemoveEffect(5);
  EXPECT_EQ(chain->NumberOfEffects(), 2);
  chain->RemoveAllEffects();
  EXPECT_EQ(chain->NumberOfEffects(), 0);
}

TEST(Chain, UnknownTypeAddsNothingReportsAndLeavesTheChainUsable) {
  auto chain = MakeChain(2, 1024, 4096);
  short number = 77;
  EXPECT_EQ(chain->AddEffect(5, &number, nullptr), 0u);
  EXPECT_EQ(number, 77);
  EXPECT_EQ(chain->NumberOfEffects(), 0);
  chain->AddEffect(ZelmoEcho, nullptr, nullptr);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].report.title, "Zelmo");
  EXPECT_EQ(reports[1].report.title, "Zelmo");
  // The lock was released on those paths: another thread gets through.
  std::thread other([&] {
    std::vector<short> block(2 * 1024, 5);
    EXPECT_EQ(chain->ProcessAudio(block.data(), 1024), 1u);
    EXPECT_EQ(AddEffect(*chain, ZelmoLevels), 0);
  });
  other.join();
}

TEST(Chain, EnumerationStopsAtNumberSixteen) {
  auto chain = MakeChain(1, 256, 256);
  for (int i = 0; i < 18; ++i) AddEffect(*chain, ZelmoLevels);
  EXPECT_EQ(Types(*chain).size(), 17u);
  CEffect* effect = nullptr;
  chain->InitGetAllEffects();
  int yielded = 0;
  while (chain->GetNextEffect(&effect)) ++yielded;
  EXPECT_EQ(yielded, 17);
  EXPECT_EQ(effect, nullptr);
}

TEST(Chain, EnumerationSurvivesBlocksAndEveryWalkOfTheChain) {
  auto chain = MakeChain(2, 2048, 4096);
  AddEffect(*chain, ZelmoEcho);
  AddEffect(*chain, ZelmoLevels);
  AddEffect(*chain, ZelmoReverb);
  unsigned int type = 0;
  chain->InitGetAllEffects();
  ASSERT_EQ(chain->GetNextEffectType(&type), 1u);
  EXPECT_EQ(type, ZelmoEcho);
  std::vector<short> block(2 * 2048, 100);
  chain->ProcessAudio(block.data(), 2048);
  chain->GetMinSamplesNeededForOutput();
  chain->Reset();
  chain->DoesEqualizerExistInList();
  Zelmo_Levels_Parameters p{0, 0, 120.0f};
  chain->UpdateAllLevelParameters(&p);
  chain->UpdateBufferSizes(2048, 4096);
  ASSERT_EQ(chain->GetNextEffectType(&type), 1u);
  EXPECT_EQ(type, ZelmoLevels);
  chain->RemoveEffect(0);  // an effect already passed: the walk goes on where it was
  ASSERT_EQ(chain->GetNextEffectType(&type), 1u);
  EXPECT_EQ(type, ZelmoReverb);
  EXPECT_EQ(chain->GetNextEffectType(&type), 0u);
  EXPECT_EQ(type, 0u);
}

TEST(Chain, BlockLargerThanTheBuffersIsRefusedUntilTheyGrow) {
  auto chain = MakeChain(2, 1024, 1024);
  const short n = AddEffect(*chain, ZelmoEcho);
  EchoParams p{0.5f, 0.5f, 0.0f, 0.0f, 0.5f, 0.5f, 0.0f, 0.0f};
  chain->SetEffectParameters(n, &p);
  chain->SetSizeMaxInputBufferSample(4096);  // the figure only
  const std::vector<short> in = Noise(2 * 4096, 8);
  std::vector<short> block = in;
  chain->ProcessAudio(block.data(), 4096);
  chain->ProcessAudio(block.data(), 4096);
  EXPECT_EQ(block, in);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u) << "reported once, not per block";
  EXPECT_EQ(reports[0].report.title, "Effect");

  chain->UpdateBufferSizes(1024, 4096);
  chain->ProcessAudio(block.data(), 4096);
  for (size_t i = 0; i < in.size(); ++i) ASSERT_EQ(block[i], in[i] / 2) << i;
}

TEST(Chain, ParameterRecordsTravelWholeAndMissingEffectsAreReported) {
  auto chain = MakeChain(2, 1024, 4096);
  const short echo = AddEffect(*chain, ZelmoEcho);
  const short levels = AddEffect(*chain, ZelmoLevels);
  EchoParams echoIn{0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 70.0f, 80.0f};
  EXPECT_EQ(chain->SetEffectParameters(echo, &echoIn), 1u);
  unsigned char out[64];
  std::memset(out, 0xAB, sizeof out);
  EXPECT_EQ(chain->GetEffectParameters(echo, out), 1u);
  EXPECT_EQ(std::memcmp(out, &echoIn, 32), 0);
  EXPECT_EQ(out[32], 0xAB) << "an echo record is 32 bytes";
  Zelmo_Levels_Parameters levelsIn{44100, 999, 96.0f};
  chain->SetEffectParameters(levels, &levelsIn);
  std::memset(out, 0xAB, sizeof out);
  chain->GetEffectParameters(levels, out);
  EXPECT_EQ(std::memcmp(out, &levelsIn, 12), 0);
  EXPECT_EQ(out[12], 0xAB);

  EXPECT_EQ(chain->SetEffectParameters(9, &echoIn), 0u);
  EXPECT_EQ(chain->GetEffectParameters(9, out), 0u);
  EXPECT_EQ(chain->GetEffectParameters(echo, nullptr), 0u);
  const auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 3u);
  for (const auto& r : reports) EXPECT_EQ(r.report.title, "EffectList");
  EXPECT_EQ(chain->SetEffectBypass(9, 1), 0u);
  EXPECT_EQ(chain->GetEffectBypass(9), 0);
  chain->SetEffectBypass(echo, 1);
  EXPECT_EQ(chain->GetEffectBypass(echo), 1);
}

// Opening a project makes dozens of effects and drops as many: none of them
// may start or join a thread (under load each costs milliseconds of waiting).
TEST(Chain, EffectsStartAndJoinNoThreadsOfTheirOwn) {
  CWorkerMode threaded(false);
  {
    auto first = MakeChain(2, 1024, 4096);
    AddEffect(*first, ZelmoEcho);  // the library's crew starts with the first threaded effect
  }
  const int crew = ChannelCrewThreads();
  EXPECT_GE(crew, 2);
  EXPECT_LE(crew, 16);
  EXPECT_EQ(AwaitThreadsNamed(kWorkerThreads, crew), crew);
  for (bool inlineWorkers : {false, true}) {
    CWorkerMode mode(inlineWorkers);
    std::vector<std::unique_ptr<CZelmo>> chains;
    EqualizerInit bands = ProgramBands();
    for (int c = 0; c < 12; ++c) {
      chains.push_back(MakeChain(static_cast<short>(1 + c % 2), 1024, 4096));
      for (ZelmoEffectType type : {ZelmoEcho, ZelmoReverb, ZelmoChorus, ZelmoFlange, ZelmoEqualizer, ZelmoLevels}) {
        AddEffect(*chains.back(), type, type == ZelmoEqualizer ? &bands : nullptr);
      }
    }
    EXPECT_EQ(ThreadsNamed(kWorkerThreads), crew) << "inline " << inlineWorkers;
    chains[0]->RemoveEffect(0);
    chains.clear();
    EXPECT_EQ(ThreadsNamed(kWorkerThreads), crew) << "inline " << inlineWorkers;
  }
}

namespace {

long MinorFaultsOfThisThread() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return usage.ru_minflt;
}

// Page faults taken while a stereo chain of echo and reverb (seconds of
// history each) runs 120 blocks of 4096 frames on this thread.
long FaultsWhileRunning(bool prepareFirst, bool prepareBeforeAdding) {
  CWorkerMode inlineWorkers(true);
  auto chain = MakeChain(2, 4096, 4096);
  if (prepareBeforeAdding) chain->PrepareForPlayback();
  AddEffect(*chain, ZelmoEcho);
  AddEffect(*chain, ZelmoReverb);
  if (prepareFirst) chain->PrepareForPlayback();
  std::vector<short> block = Noise(2 * 4096, 9);
  const long before = MinorFaultsOfThisThread();
  for (int b = 0; b < 120; ++b) chain->ProcessAudio(block.data(), 4096);
  return MinorFaultsOfThisThread() - before;
}

}  // namespace

// A chain is made when a project opens and its buffers stay address space
// until playback is prepared: from then on its blocks fault no pages in (the
// sanitizers' own shadow pages aside), also for effects added afterwards.
TEST(Chain, APreparedChainTakesNoPageFaultsOnItsBlocks) {
#if defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "ThreadSanitizer maps its shadow of a page as the page is first touched, prepared or not";
#endif
  const long unprepared = FaultsWhileRunning(false, false);
  EXPECT_GT(unprepared, 400) << "every block writes fresh history pages";
  EXPECT_LT(FaultsWhileRunning(true, false), unprepared / 4);
  EXPECT_LT(FaultsWhileRunning(false, true), unprepared / 4) << "effects added to a prepared chain";
}

// Effects made in a row (a project's chains) still get identifiers of their
// own, always rising, without waiting for the clock between them.
TEST(Chain, EffectsMadeInARowHaveRisingIdentifiersOfTheirOwn) {
  CWorkerMode inlineWorkers(true);
  auto chain = MakeChain(2, 1024, 4096);
  for (int i = 0; i < 60; ++i) AddEffect(*chain, i % 2 ? ZelmoLevels : ZelmoEcho);
  std::vector<uint32_t> identifiers;
  CEffect* effect = nullptr;
  chain->InitGetAllEffects();
  while (chain->GetNextEffect(&effect)) identifiers.push_back(effect->identifier());
  ASSERT_EQ(identifiers.size(), 17u) << "the enumeration stops after number 16";
  for (size_t i = 1; i < identifiers.size(); ++i) EXPECT_GT(identifiers[i], identifiers[i - 1]) << i;
}

namespace {

// One effect of a known type with a fixed record, so two chains can hold equal copies.
void AddConfigured(CZelmo& chain, ZelmoEffectType type, bool bypassed) {
  EqualizerInit bands = ProgramBands();
  const short n = AddEffect(chain, type, type == ZelmoEqualizer ? &bands : nullptr);
  if (type == ZelmoEcho) {
    EchoParams p{0.8f, 0.7f, 0.6f, 0.5f, 0.3f, 0.2f, 20.0f, 31.0f};
    chain.SetEffectParameters(n, &p);
  } else if (type == ZelmoReverb) {
    ReverbParams p;
    p.delayMsLeft = 12.0f;
    chain.SetEffectParameters(n, &p);
  } else if (type == ZelmoChorus || type == ZelmoFlange) {
    ChorusFlangeParams p;
    p.lfoHzRight = 2.0f;
    chain.SetEffectParameters(n, &p);
  } else if (type == ZelmoEqualizer) {
    EqualizerParams p{1, {}, {}};
    for (int b = 0; b < kEqualizerBandCount; ++b) p.left.gains[b] = p.right.gains[b] = b % 3 ? 0.6f : 1.9f;
    chain.SetEffectParameters(n, &p);
  } else if (type == ZelmoLevels) {
    Zelmo_Level_Entry e{1, 120.0f, 1.7f, 3000, 0};
    chain.AddLevelEntry(n, &e, 3);
  }
  chain.SetEffectBypass(n, bypassed ? 1 : 0);
}

}  // namespace

// Effects that work on channels apart pass them to the next such effect
// without writing them back: a chain gives what its effects give one after
// another, each alone in a chain of its own, wherever levels, a bypassed
// effect or the equalizer's change of length sit between them.
TEST(Chain, AChainGivesWhatItsEffectsGiveOneAfterAnother) {
  struct Step {
    ZelmoEffectType type;
    bool bypassed;
  };
  const std::vector<std::vector<Step>> orders = {
      {{ZelmoEcho, false}, {ZelmoReverb, false}, {ZelmoEqualizer, false}},
      {{ZelmoChorus, false}, {ZelmoEcho, true}, {ZelmoFlange, false}, {ZelmoEqualizer, false}, {ZelmoReverb, false}},
      {{ZelmoReverb, false}, {ZelmoLevels, false}, {ZelmoEcho, false}, {ZelmoEqualizer, false}, {ZelmoChorus, false}},
      {{ZelmoEqualizer, false}, {ZelmoEcho, false}, {ZelmoReverb, true}, {ZelmoReverb, false}, {ZelmoLevels, false}}};
  CWorkerMode inlineWorkers(true);
  for (short channels : {1, 2}) {
    for (size_t o = 0; o < orders.size(); ++o) {
      auto whole = MakeChain(channels, 2048, 2048 + 16384);
      std::vector<std::unique_ptr<CZelmo>> alone;
      for (const Step& step : orders[o]) {
        AddConfigured(*whole, step.type, step.bypassed);
        alone.push_back(MakeChain(channels, 2048, 2048 + 16384));
        AddConfigured(*alone.back(), step.type, step.bypassed);
      }
      for (int b = 0; b < 30; ++b) {
        const uint32_t frames = whole->GetMinSamplesNeededForOutput();
        std::vector<short> block = Noise(size_t{frames} * channels, 300 + b), apart = block;
        whole->ProcessAudio(block.data(), frames);
        uint32_t n = frames;
        for (size_t k = 0; k < alone.size(); ++k) {
          alone[k]->ProcessAudio(apart.data(), n);
          if (orders[o][k].type == ZelmoEqualizer) n = 2048;
        }
        ASSERT_TRUE(std::equal(block.begin(), block.begin() + 2048 * channels, apart.begin()))
            << channels << " channel(s), order " << o << ", block " << b;
      }
    }
  }
}
