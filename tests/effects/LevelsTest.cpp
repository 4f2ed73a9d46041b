#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "AllocationCounter.h"
#include "EffectTestSupport.h"
#include "Levels.h"
#include "ReportRecorder.h"

using namespace tessiro::test;

namespace {

Zelmo_Level_Entry Point(uint32_t position, float gain, uint32_t id = 1, float tempo = 120.0f) {
  return Zelmo_Level_Entry{id, tempo, gain, position, 0};
}

struct LevelsChain {
  explicit LevelsChain(short channels = 2, int independent = 1, float tempo = 120.0f) {
    chain = MakeChain(channels, 4096, 8192);
    number = AddEffect(*chain, ZelmoLevels);
    chain->SetLevelsChannelsIndependent(number, independent);
    SetPosition(0, tempo);
  }
  void SetPosition(uint32_t frame, float tempo) {
    Zelmo_Levels_Parameters p{frame, 0, tempo};
    chain->UpdateAllLevelParameters(&p);
  }
  void Add(Zelmo_Level_Entry entry, unsigned int channel = 3) { chain->AddLevelEntry(number, &entry, channel); }
  // Runs `frames` frames of a constant signal through the chain in blocks of 4096.
  std::vector<short> RunConstant(short value, size_t frames) {
    const short channels = chain->GetChannels();
    std::vector<short> signal(frames * channels, value);
    for (size_t at = 0; at < frames; at += 4096) {
      chain->ProcessAudio(signal.data() + at * channels, static_cast<uint32_t>(std::min<size_t>(4096, frames - at)));
    }
    return signal;
  }
  std::unique_ptr<CZelmo> chain;
  short number = -1;
};

}  // namespace

TEST(LevelEnvelope, SinglePointHalvesTheWholeStream) {
  LevelsChain levels;
  levels.Add(Point(0, 0.5f));
  const std::vector<short> in = Noise(2 * 10000, 21, 32767);
  std::vector<short> out = in;
  levels.chain->ProcessAudio(out.data(), 4096);
  levels.chain->ProcessAudio(out.data() + 2 * 4096, 4096);
  for (size_t i = 0; i < 2 * 8192; ++i) ASSERT_EQ(out[i], static_cast<short>(in[i] / 2)) << i;
}

TEST(LevelEnvelope, TwoPointsMakeALinearOneSecondFade) {
  LevelsChain levels;
  levels.Add(Point(0, 1.0f));
  levels.Add(Point(44100, 0.0f, 2));
  EXPECT_FLOAT_EQ(levels.chain->GetLevelVolumeAt(levels.number, 22050, 1), 0.5f);
  const std::vector<short> out = levels.RunConstant(10000, 50000);
  EXPECT_EQ(out[2 * 22050], 5000);
  EXPECT_EQ(out[2 * 22050 + 1], 5000);
  for (size_t f = 0; f < 50000; ++f) {
    const double ideal = f < 44100 ? 10000.0 * (1.0 - f / 44100.0) : 0.0;
    ASSERT_NEAR(out[2 * f], ideal, 1.0) << f;
    if (f > 0) {
      ASSERT_LE(out[2 * f], out[2 * (f - 1)]) << f;
    }
  }
}

TEST(LevelEnvelope, HalvingTheTempoDoublesEveryPosition) {
  LevelsChain levels;
  levels.Add(Point(1000, 1.0f));
  levels.Add(Point(30000, 0.5f));
  levels.SetPosition(0, 60.0f);
  Zelmo_Level_Entry* entry = nullptr;
  levels.chain->InitGetAllLevelEntries(levels.number, 1);
  ASSERT_EQ(levels.chain->GetNextLevelEntry(levels.number, &entry, 1), 1u);
  EXPECT_EQ(entry->samplePosition, 2000u);
  ASSERT_EQ(levels.chain->GetNextLevelEntry(levels.number, &entry, 1), 1u);
  EXPECT_EQ(entry->samplePosition, 60000u);
  EXPECT_EQ(levels.chain->GetNextLevelEntry(levels.number, &entry, 1), 0u);
  EXPECT_EQ(entry, nullptr);
  EXPECT_EQ(levels.chain->CheckIfLevelPointExists(levels.number, 60000, 1), 1u);
}

TEST(LevelEnvelope, SharedEnvelopeFollowsTheLeftListOnBothChannels) {
  LevelsChain shared(2, 0);
  shared.Add(Point(0, 0.5f), 1);
  shared.Add(Point(0, 0.0f), 2);  // held, never read
  std::vector<short> out = shared.RunConstant(8000, 100);
  EXPECT_EQ(out[0], 4000);
  EXPECT_EQ(out[1], 4000);

  LevelsChain independent(2, 1);
  independent.Add(Point(0, 0.5f), 1);
  out = independent.RunConstant(8000, 100);
  EXPECT_EQ(out[0], 4000);
  EXPECT_EQ(out[1], 8000) << "a right channel without points is left alone";
}

TEST(LevelEnvelope, LaterPointAtTheSamePlaceComesFirst) {
  LevelsChain levels;
  levels.Add(Point(500, 0.3f, 11), 1);
  levels.Add(Point(500, 0.7f, 22), 1);
  Zelmo_Level_Entry* first = nullptr;
  levels.chain->GetLevelEntryNumber(levels.number, &first, 1, 1);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->identifier, 22u);
  Zelmo_Level_Entry* none = first;
  levels.chain->GetLevelEntryNumber(levels.number, &none, 0, 1);
  EXPECT_EQ(none, nullptr);
  levels.chain->GetLevelEntryNumber(levels.number, &none, 3, 1);
  EXPECT_EQ(none, nullptr);
}

TEST(LevelEnvelope, BlockBeforeTheFirstPointIsLeftAlone) {
  LevelsChain levels(1);
  levels.Add(Point(6000, 0.5f), 1);
  const std::vector<short> out = levels.RunConstant(1000, 10000);
  for (size_t f = 0; f < 10000; ++f) ASSERT_EQ(out[f], f < 6000 ? 1000 : 500) << f;
}

TEST(LevelEnvelope, PositionsPastSixMinutesStayExact) {
  // 20000001 and 20000003 have no float of their own; a float position would
  // move the ramp between them by a frame each way.
  LevelsChain levels(1);
  levels.Add(Point(0, 1.0f), 1);
  levels.Add(Point(20000001, 0.0f), 1);
  levels.Add(Point(20000003, 1.0f), 1);
  EXPECT_EQ(levels.chain->CheckIfLevelPointExists(levels.number, 20000001, 1), 1u);
  EXPECT_EQ(levels.chain->CheckIfLevelPointExists(levels.number, 20000000, 1), 0u);
  levels.SetPosition(20000000, 120.0f);
  const std::vector<short> out = levels.RunConstant(10000, 5);
  EXPECT_EQ(out, (std::vector<short>{0, 0, 5000, 10000, 10000}));
}

TEST(LevelEnvelope, EnumerationsRemovalAndTheBeginPointNumber) {
  LevelsChain levels;
  for (uint32_t i = 0; i < 5; ++i) levels.Add(Point(i * 1000, 1.0f, 100 + i), 2);
  EXPECT_EQ(levels.chain->GetTotalLevelPoints(levels.number, 2), 5);
  EXPECT_EQ(levels.chain->GetTotalLevelPoints(levels.number, 1), 0);

  levels.chain->InitGetLevelEntriesBetween(levels.number, 1500, 3000, 2);
  EXPECT_EQ(levels.chain->GetLevelBeginPointNumber(levels.number), 2);
  std::vector<uint32_t> seen;
  Zelmo_Level_Entry* entry = nullptr;
  while (levels.chain->GetNextLevelEntry(levels.number, &entry, 2)) seen.push_back(entry->identifier);
  EXPECT_EQ(seen, (std::vector<uint32_t>{102, 103}));

  levels.chain->InitGetLevelEntriesBetween(levels.number, 4500, 4800, 2);
  EXPECT_EQ(levels.chain->GetLevelBeginPointNumber(levels.number), 1);
  EXPECT_EQ(levels.chain->GetNextLevelEntry(levels.number, &entry, 2), 0u);

  levels.chain->RemoveLevelEntryByNumber(levels.number, 0, 2);
  levels.chain->RemoveLevelEntryByNumber(levels.number, 9, 2);  // past the end: nothing
  EXPECT_EQ(levels.chain->GetTotalLevelPoints(levels.number, 2), 4);
  levels.chain->GetLevelEntryNumber(levels.number, &entry, 1, 2);
  EXPECT_EQ(entry->identifier, 101u);

  levels.chain->RemoveLevelEntryByNumber(levels.number, 0, 1);  // the empty list
  const auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "Levels");
}

TEST(LevelEnvelope, ZeroTempoIsReportedOnceAndMapsPositionsOneToOne) {
  LevelsChain levels(2, 1, 0.0f);
  levels.Add(Point(4000, 0.5f, 1, 90.0f), 1);
  levels.Add(Point(8000, 0.5f, 2, 90.0f), 1);
  levels.RunConstant(1000, 10000);
  EXPECT_EQ(levels.chain->CheckIfLevelPointExists(levels.number, 4000, 1), 1u);
  const auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "Levels");
  EXPECT_EQ(reports[0].report.message, "Divide by zero error");
}

TEST(LevelEnvelope, CallsOnOtherEffectsOrChannelsDoNothing) {
  LevelsChain levels;
  const short echo = AddEffect(*levels.chain, ZelmoEcho);
  Zelmo_Level_Entry entry = Point(0, 0.25f);
  EXPECT_EQ(levels.chain->AddLevelEntry(echo, &entry, 3), 0u);
  EXPECT_EQ(levels.chain->AddLevelEntry(levels.number, &entry, 4), 1u);
  EXPECT_EQ(levels.chain->GetTotalLevelPoints(levels.number, 1), 0);
  EXPECT_EQ(levels.chain->CheckIfLevelPointExists(levels.number, 0, 7), 1u);
  EXPECT_EQ(levels.chain->GetTotalLevelPoints(echo, 1), 0);
  EXPECT_EQ(levels.chain->SetLevelsChannelsIndependent(echo, 0), 0u);
  const auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "EffectList");
}

TEST(LevelEnvelope, ABypassedEnvelopeKeepsItsPlaceAloneOrWithItsChain) {
  // A one-second fade; four blocks pass bypassed, then the fifth must sound
  // where the fade is at its own place in the stream.
  enum class Bypass { Effect, Chain, SkippedByCaller };
  for (Bypass how : {Bypass::Effect, Bypass::Chain, Bypass::SkippedByCaller}) {
    LevelsChain levels;
    levels.Add(Point(0, 1.0f));
    levels.Add(Point(44100, 0.0f, 2));
    std::vector<short> block(2 * 4096, 10000);
    for (int i = 0; i < 4; ++i) {
      if (how == Bypass::Effect) levels.chain->SetEffectBypass(levels.number, 1);
      if (how == Bypass::Chain) levels.chain->SetBypass(1);
      if (how == Bypass::SkippedByCaller) {
        levels.chain->SkipAudio(4096);
      } else {
        // A bypassed chain says it did nothing; a chain with its one effect bypassed ran.
        EXPECT_EQ(levels.chain->ProcessAudio(block.data(), 4096), how == Bypass::Chain ? 0u : 1u);
      }
      EXPECT_EQ(block[0], 10000);
    }
    levels.chain->SetEffectBypass(levels.number, 0);
    levels.chain->SetBypass(0);
    levels.chain->ProcessAudio(block.data(), 4096);
    const double gain = 1.0 - static_cast<double>(4 * 4096) / 44100.0;
    EXPECT_NEAR(block[0], 10000 * gain, 1.0) << static_cast<int>(how);
    EXPECT_NEAR(block[2 * 4095 + 1], 10000 * (gain - 4095.0 / 44100.0), 1.0) << static_cast<int>(how);
  }
}

TEST(LevelEnvelope, TheEditorCopiesPointsAndSetsGainsByNumber) {
  LevelsChain levels(2, 1, 60.0f);  // half the points' tempo: their frames double
  for (uint32_t i = 0; i < 3; ++i) levels.Add(Point(i * 1000, 1.0f, 10 + i), 1);
  Zelmo_Level_Entry copies[3] = {};
  EXPECT_EQ(levels.chain->CopyLevelEntries(levels.number, 1, copies, 2), 2) << "no more than there is room for";
  EXPECT_EQ(copies[1].identifier, 11u);
  EXPECT_EQ(copies[1].samplePosition, 2000u) << "at the current tempo";
  EXPECT_EQ(levels.chain->CopyLevelEntries(levels.number, 2, copies, 3), 0);
  EXPECT_EQ(levels.chain->CopyLevelEntries(levels.number, 1, nullptr, 3), 0);

  const short echo = AddEffect(*levels.chain, ZelmoEcho);
  struct Case {
    short effect, number;
    unsigned int channel;
    float gain;
    unsigned int result;
  } cases[] = {{levels.number, 1, 1, 0.5f, 1},       {levels.number, 3, 1, 2.0f, 1},
               {levels.number, 0, 1, 0.7f, 0},       {levels.number, 4, 1, 0.7f, 0},
               {levels.number, 1, 2, 0.7f, 0},       {levels.number, 2, 3, 0.7f, 0},
               {levels.number, 2, 1, std::nanf(""), 0}, {levels.number, 2, 1, -1.0f, 0},
               {echo, 1, 1, 0.7f, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(levels.chain->SetLevelEntryGain(c.effect, c.number, c.channel, c.gain), c.result)
        << c.number << " " << c.channel << " " << c.gain;
  }
  ASSERT_EQ(levels.chain->CopyLevelEntries(levels.number, 1, copies, 3), 3);
  EXPECT_EQ(copies[0].gain, 0.5f);
  EXPECT_EQ(copies[1].gain, 1.0f);
  EXPECT_EQ(copies[2].gain, 2.0f);
}

// The editor adds and removes points while blocks play: under the chain's lock
// neither may go to the heap, so the player never waits behind an allocation.
TEST(LevelEnvelope, PreparedAddsAndRemovalsAllocateNothingAndKeepTheOrder) {
  CLevels levels;
  for (uint32_t k = 0; k < 40; ++k) {
    // Out of order, so the inserts land in the middle as well as at the ends.
    const uint32_t position = (k * 17) % 40 * 100;
    const Zelmo_Level_Entry entry = Point(position, 0.5f, k);
    CLevels::Spare spare = CLevels::MakeSpare(entry, k % 4 == 0 ? 1 : 3, levels.GetRoom());
    StartCountingAllocations();
    levels.AddLevelEntry(&entry, k % 4 == 0 ? 1 : 3, &spare);
    EXPECT_EQ(StopCountingAllocations(), 0) << "point " << k;
  }
  EXPECT_EQ(levels.GetTotalLevelPoints(1), 40);
  EXPECT_EQ(levels.GetTotalLevelPoints(2), 30);
  Zelmo_Level_Entry copies[40];
  ASSERT_EQ(levels.CopyLevelEntries(1, copies, 40), 40);
  for (int k = 1; k < 40; ++k) EXPECT_LT(copies[k - 1].position, copies[k].position) << k;

  std::unique_ptr<Zelmo_Level_Entry> removed;
  StartCountingAllocations();
  EXPECT_EQ(levels.RemoveLevelEntryByNumber(5, 1, &removed), 1u);
  EXPECT_EQ(StopCountingAllocations(), 0);
  ASSERT_NE(removed, nullptr) << "handed out, to be freed after the lock";
  EXPECT_EQ(removed->position, copies[5].position);
  EXPECT_EQ(levels.GetTotalLevelPoints(1), 39);
}
