// The mixer: tracks with gains, mute and solo, loop tracks before extended
// tracks, effect chains and their read-ahead, master gains and saturation.
#include <gtest/gtest.h>

#include <cmath>
#include <future>
#include <limits>
#include <random>
#include <vector>

#include "MixerFixtures.h"
#include "ReportRecorder.h"

using namespace tessiro::test;

namespace {

constexpr uint32_t kBlock = 8192;

// Scales a stereo block by its gains as a track does: truncated, saturated.
void ReferenceGains(std::vector<int16_t>& block, float left, float right) {
  for (size_t i = 0; i < block.size(); ++i) {
    const float g = i % 2 == 0 ? left : right;
    block[i] = Saturated(static_cast<int32_t>(std::trunc(g * block[i])));
  }
}

void ReferenceAdd(std::vector<int16_t>& mix, const std::vector<int16_t>& block) {
  for (size_t i = 0; i < mix.size(); ++i) mix[i] = Saturated(int32_t{mix[i]} + block[i]);
}

// Frames [position, position + frames) of a snippet placed at start over a
// source, as a track renders it: added into silence, so -32768 becomes -32767.
std::vector<int16_t> SourceBlock(const SignalFn& signal, uint32_t start, uint32_t length, uint16_t channels,
                                 uint32_t position, uint32_t frames) {
  std::vector<int16_t> block(static_cast<size_t>(frames) * 2, 0);
  for (uint32_t f = 0; f < frames; ++f) {
    const uint32_t x = position + f;
    if (x < start || x >= start + length) continue;
    for (int c = 0; c < 2; ++c) block[f * 2 + c] = Saturated(signal(x - start, channels == 1 ? 0 : c));
  }
  return block;
}

SignalFn Seeded(uint32_t seed, int shift) {
  return [seed, shift](uint32_t frame, int channel) {
    return static_cast<int16_t>(HashSignal(frame + seed * 7919u, channel) >> shift);
  };
}

}  // namespace

TEST(Mixer, TwoLoudTracksSaturateAndMuteAndSoloChooseWhatIsHeard) {
  CTestProject p;
  p.Place(0, Constant(20000), kBlock);
  p.Place(1, Constant(20000), kBlock);
  std::vector<int16_t> out = p.Play(0, kBlock);
  EXPECT_EQ(out[0], 32767);
  EXPECT_EQ(out[kBlock * 2 - 1], 32767);

  p.list.ResetPlayback();
  p.list.ToggleMute(1);
  out = p.Play(0, kBlock);
  EXPECT_EQ(out[0], 20000);
  EXPECT_EQ(out[1], 20000);
}

TEST(Mixer, SoloedTracksAreTheOnlyOnesHeard) {
  CTestProject p;
  const int16_t values[4] = {1000, 200, 30, 4};
  for (int t = 0; t < 4; ++t) p.Place(t, Constant(values[t]), kBlock);
  auto mixAt = [&](int frame) {
    p.list.UpdateSoloState();
    p.list.ResetPlayback();
    return p.Play(0, kBlock)[frame * 2];
  };
  EXPECT_EQ(mixAt(5), 1234);
  p.list.ToggleSolo(0);
  EXPECT_EQ(mixAt(6), 1000);
  p.list.ToggleSolo(2);
  EXPECT_EQ(mixAt(7), 1030);
  p.list.ToggleMute(2);  // muted beats soloed
  EXPECT_EQ(mixAt(8), 1000);
  p.list.ToggleSolo(0);
  p.list.ToggleSolo(2);
  EXPECT_EQ(mixAt(9), 1204);
}

TEST(Mixer, GainsTruncateTowardZeroAndSaturate) {
  CTestProject p;
  p.Place(0, Constant(-3), kBlock);
  p.Place(1, Constant(20000), kBlock);
  p.list.SetTrackGains(0, 0.5f, 0.5f);
  p.list.SetTrackGains(1, 2.0f, 0.25f);
  p.list.ToggleMute(1);
  std::vector<int16_t> out = p.Play(0, kBlock);
  EXPECT_EQ(out[0], -1);
  EXPECT_EQ(out[1], -1);
  p.list.ResetPlayback();
  p.list.ToggleMute(0);
  p.list.ToggleMute(1);
  out = p.Play(0, kBlock);
  EXPECT_EQ(out[0], 32767);
  EXPECT_EQ(out[1], 5000);
}

TEST(Mixer, MasterGainsTruncateAndTheMixNeverReachesMinus32768) {
  CTestProject p;
  p.Place(0, Constant(-32768), kBlock);
  std::vector<int16_t> out = p.Play(0, kBlock);
  EXPECT_EQ(out[0], -32767);
  EXPECT_EQ(out[1], -32767);

  CTestProject q;
  q.Place(0, [](uint32_t f, int c) { return static_cast<int16_t>(c == 0 ? (f % 2 ? -3 : 3) : 30000); }, kBlock);
  q.list.masterLeftGain = 0.5f;
  q.list.masterRightGain = 1.5f;
  out = q.Play(0, kBlock);
  EXPECT_EQ(out[0], 1);
  EXPECT_EQ(out[2], -1);
  EXPECT_EQ(out[1], 32767);
}

TEST(Mixer, LoopTracksAreMixedBeforeExtendedTracks) {
  CTestProject p;
  p.PlaceLoop(5, Constant(30000), kBlock);
  p.Place(0, Constant(30000), kBlock);
  p.Place(1, Constant(-30000), kBlock);
  ASSERT_EQ(p.list.GetTrackType(5), CAudioTrack::kTypeLoopBased);
  const std::vector<int16_t> out = p.Play(0, kBlock);
  // 30000 (loop) + 30000 saturates to 32767, then -30000: 2767. In index order it would be 30000.
  EXPECT_EQ(out[0], 2767);
  EXPECT_EQ(out[kBlock * 2 - 1], 2767);
}

TEST(Mixer, AMonoSourceIsHeardOnBothSides) {
  CTestProject p;
  p.Place(3, HashSignal, 20000, 100, 1);
  const std::vector<int16_t> out = p.Play(0, 3 * kBlock);
  const std::vector<int16_t> expected = SourceBlock(HashSignal, 100, 20000, 1, 0, 3 * kBlock);
  EXPECT_EQ(out, expected);
}

TEST(Mixer, WhileNotPlayingTheMixerLeavesTheBlockAndTheLockAlone) {
  CTestProject p;
  p.Place(0, Constant(1000), kBlock);
  p.list.playing = 0;
  std::vector<int16_t> out(kBlock * 2, 77);
  EXPECT_EQ(p.list.MixAllTracks(out.data(), 0, kBlock), 0);
  EXPECT_EQ(out, std::vector<int16_t>(kBlock * 2, 77));
  auto other = std::async(std::launch::async, [&] {
    const bool free = p.list.GetLock().try_lock();
    if (free) p.list.GetLock().unlock();
    return free;
  });
  EXPECT_TRUE(other.get());
}

// 24 busy tracks with gains, mutes and several solos against a slow
// reference that adds track by track with saturation.
TEST(Mixer, TwentyFourTracksMixAsTheyAddUp) {
  CTestProject p;
  std::mt19937 random(24);
  std::uniform_real_distribution<float> gain(0.0f, 2.0f);
  struct Placed {
    SignalFn signal;
    uint32_t start, length;
    uint16_t channels;
    float left, right;
  };
  std::vector<Placed> placed;
  for (int t = 0; t < 24; ++t) {
    Placed x{Seeded(t, 2 + t % 3), static_cast<uint32_t>(t * 997), 30000u + t * 131u,
             static_cast<uint16_t>(t % 5 == 4 ? 1 : 2), gain(random), gain(random)};
    if (t % 6 == 0) x.left = x.right = 1.0f;
    p.Place(t, x.signal, x.length, x.start, x.channels);
    p.list.SetTrackGains(t, x.left, x.right);
    placed.push_back(x);
  }
  p.list.ToggleMute(3);
  p.list.ToggleMute(17);

  auto reference = [&](uint32_t position, uint32_t frames, bool soloing) {
    std::vector<int16_t> mix(static_cast<size_t>(frames) * 2, 0);
    for (int t = 0; t < 24; ++t) {
      const Placed& x = placed[t];
      if (t == 3 || t == 17) continue;
      if (soloing && t != 4 && t != 11 && t != 17) continue;
      std::vector<int16_t> block = SourceBlock(x.signal, x.start, x.length, x.channels, position, frames);
      if (x.left != 1.0f || x.right != 1.0f) ReferenceGains(block, x.left, x.right);
      ReferenceAdd(mix, block);
    }
    return mix;
  };

  const uint32_t from = 1000, frames = 5 * kBlock;
  EXPECT_EQ(p.Play(from, frames), reference(from, frames, false));

  // Several solos; a soloed track that is muted stays silent.
  p.list.ResetPlayback();
  for (int t : {4, 11, 17}) p.list.ToggleSolo(t);
  p.list.UpdateSoloState();
  EXPECT_EQ(p.Play(from, frames), reference(from, frames, true));
}

// Tracks are rendered side by side by helper threads; the sums are made in
// the mixer's order afterwards, so the result is the same as from one thread.
TEST(Mixer, RenderingTracksSideBySideChangesNothing) {
  auto build = [](CTestProject& p) {
    for (int t = 0; t < 24; ++t) {
      p.Place(t, Seeded(t, 1), 6 * kBlock, static_cast<uint32_t>(t) * 500, 2, t % 2 ? 125.0f : 100.0f);
      if (t % 4 == 0) AddProjectEffect(p.Chain(t + 1), ZelmoEcho);
      if (t % 4 == 1) AddProjectEffect(p.Chain(t + 1), ZelmoEqualizer);
      if (t % 4 == 2) AddProjectEffect(p.Chain(t + 1), ZelmoReverb);
    }
    p.PlaceLoop(23, Seeded(99, 1), 4 * kBlock);
    AddProjectEffect(p.Chain(0), ZelmoReverb);
    AddProjectEffect(p.Chain(0), ZelmoEqualizer);
  };
  // One thread, effects on their own threads: the reference.
  CTestProject alone;
  alone.list.SetMixThreads(0);
  build(alone);
  EXPECT_EQ(alone.list.GetMixThreads(), 0u);
  const std::vector<int16_t> reference = alone.Play(700, 5 * kBlock);
  // Helpers, with the tracks' effect channels on the helpers or on their own threads.
  for (const bool onMixThreads : {true, false}) {
    CTestProject together;
    together.list.SetMixThreads(5);
    together.list.SetEffectWorkersOnMixThreads(onMixThreads);
    build(together);
    EXPECT_EQ(together.list.GetMixThreads(), 5u);
    EXPECT_EQ(together.Play(700, 5 * kBlock), reference) << onMixThreads;
  }
}

// Track chains run on the track after its gains; the master chain runs on
// the mix; the master gains come last.
TEST(Mixer, TrackChainsTheMasterChainAndMasterGainsComeInThatOrder) {
  CTestProject p;
  const SignalFn a = Seeded(1, 2), b = Seeded(2, 2);
  p.Place(0, a, 40000, 0);
  p.Place(1, b, 40000, 3000);
  p.list.SetTrackGains(0, 0.5f, 1.5f);
  AddProjectEffect(p.Chain(1), ZelmoEcho);
  AddProjectEffect(p.Chain(0), ZelmoReverb);
  p.list.masterLeftGain = 0.75f;
  p.list.masterRightGain = 1.25f;

  auto trackChain = MakeProjectChain(kBlock);
  AddProjectEffect(*trackChain, ZelmoEcho);
  auto masterChain = MakeProjectChain(kBlock);
  AddProjectEffect(*masterChain, ZelmoReverb);
  std::vector<int16_t> expected;
  for (uint32_t x = 0; x < 5 * kBlock; x += kBlock) {
    std::vector<int16_t> one = SourceBlock(a, 0, 40000, 2, x, kBlock);
    ReferenceGains(one, 0.5f, 1.5f);
    trackChain->ProcessAudio(one.data(), kBlock);
    std::vector<int16_t> mix(kBlock * 2, 0);
    ReferenceAdd(mix, one);
    ReferenceAdd(mix, SourceBlock(b, 3000, 40000, 2, x, kBlock));
    masterChain->ProcessAudio(mix.data(), kBlock);
    ReferenceGains(mix, 0.75f, 1.25f);
    expected.insert(expected.end(), mix.begin(), mix.end());
  }
  EXPECT_EQ(p.Play(0, 5 * kBlock), expected);
}

TEST(Mixer, BypassingEffectsSkipsEveryChain) {
  CTestProject p;
  p.Place(0, Seeded(3, 2), 20000, 0);
  AddProjectEffect(p.Chain(1), ZelmoEcho);
  AddProjectEffect(p.Chain(0), ZelmoReverb);
  p.list.bypass = 1;
  EXPECT_EQ(p.Play(0, 2 * kBlock), SourceBlock(Seeded(3, 2), 0, 20000, 2, 0, 2 * kBlock));
}

TEST(Mixer, AMutedTracksChainKeepsRunningOnSilence) {
  CTestProject p;
  const SignalFn a = Seeded(4, 2);
  p.Place(0, a, 40000, 0);
  AddProjectEffect(p.Chain(1), ZelmoEcho);
  auto chain = MakeProjectChain(kBlock);
  AddProjectEffect(*chain, ZelmoEcho);
  std::vector<int16_t> expected;
  std::vector<int16_t> out;
  for (uint32_t k = 0; k < 4; ++k) {
    const bool muted = k == 1;
    if (muted != (p.Track(0).mute != 0)) p.list.ToggleMute(0);
    std::vector<int16_t> one = muted ? std::vector<int16_t>(kBlock * 2, 0) : SourceBlock(a, 0, 40000, 2, k * kBlock, kBlock);
    chain->ProcessAudio(one.data(), kBlock);
    expected.insert(expected.end(), one.begin(), one.end());
    const std::vector<int16_t> block = p.Play(k * kBlock, kBlock);
    out.insert(out.end(), block.begin(), block.end());
  }
  // The muted block still carries the echoes of the block before it, and its
  // silence shapes the echoes of the block after it.
  EXPECT_EQ(out, expected);
}

TEST(Mixer, MutedSnippetsKeepAdvancingAndResumeInPlace) {
  CTestProject p;
  p.Place(0, HashSignal, 10 * kBlock, 0);
  std::vector<int16_t> out = p.Play(0, kBlock);
  p.list.ToggleMute(0);
  p.Play(kBlock, 3 * kBlock);
  p.list.ToggleMute(0);
  out = p.Play(4 * kBlock, kBlock);
  EXPECT_EQ(out, SourceBlock(HashSignal, 0, 10 * kBlock, 2, 4 * kBlock, kBlock));
}

// Equalizers make a chain ask for more frames than the block: the tracks read
// that far ahead, so the output is neither delayed nor cut.
TEST(Mixer, ReadingAheadForEqualizersKeepsTheOutputAligned) {
  const SignalFn smooth = [](uint32_t f, int c) {
    return static_cast<int16_t>(std::lround(1500.0 * std::sin(2 * M_PI * 220.0 * f / 44100.0 + c) +
                                            300.0 * std::sin(2 * M_PI * 3100.0 * f / 44100.0)));
  };
  const uint32_t from = 12345, frames = 12 * kBlock;
  CTestProject plain;
  plain.Place(2, smooth, 200000, 0);
  EXPECT_EQ(plain.Play(from, frames), SourceBlock(smooth, 0, 200000, 2, from, frames));

  CTestProject eq;
  eq.Place(2, smooth, 200000, 0);
  AddProjectEffect(eq.Chain(3), ZelmoEqualizer);
  AddProjectEffect(eq.Chain(0), ZelmoEqualizer);
  const std::vector<int16_t> out = eq.Play(from, frames);
  const std::vector<int16_t> expected = SourceBlock(smooth, 0, 200000, 2, from, frames);
  // Each flat equalizer reproduces its input within its window's rounding.
  int worst = 0;
  for (size_t i = 0; i < out.size(); ++i) worst = std::max(worst, std::abs(out[i] - expected[i]));
  EXPECT_LE(worst, 4);
  EXPECT_GT(eq.Track(2).GetTrackOffset(), 0u);
}

// The device may hand out blocks of another size than the tracks were set up
// for; equalizers then still deliver exactly what the mix takes, and the
// tracks read ahead by what the chains ask beyond the device's block.
TEST(Mixer, DeviceBlocksOfAnotherSizeThanTheTracksKeepTheOutputWhole) {
  const SignalFn smooth = [](uint32_t f, int c) {
    return static_cast<int16_t>(std::lround(1500.0 * std::sin(2 * M_PI * 220.0 * f / 44100.0 + c) +
                                            300.0 * std::sin(2 * M_PI * 3100.0 * f / 44100.0)));
  };
  const uint32_t from = 12345, frames = 12 * kBlock;
  const std::vector<int16_t> expected = SourceBlock(smooth, 0, 200000, 2, from, frames);
  for (const uint32_t device : {kBlock / 2, 2 * kBlock, kBlock + kBlock / 2}) {
    for (const bool equalizers : {false, true}) {
      CTestProject p(kBlock);
      p.Place(2, smooth, 200000, 0);
      if (equalizers) {
        AddProjectEffect(p.Chain(3), ZelmoEqualizer);
        AddProjectEffect(p.Chain(0), ZelmoEqualizer);
      }
      std::vector<int16_t> out;
      std::vector<int16_t> block(static_cast<size_t>(device) * 2);
      for (uint32_t done = 0; done < frames; done += device) {
        ASSERT_EQ(p.list.MixAllTracks(block.data(), from + done, device), 1);
        out.insert(out.end(), block.begin(), block.end());
      }
      out.resize(expected.size());
      int worst = 0;
      for (size_t i = 0; i < out.size(); ++i) worst = std::max(worst, std::abs(out[i] - expected[i]));
      EXPECT_LE(worst, equalizers ? 4 : 0) << device << " frames a block";
    }
  }
  // A single-track render longer than the tracks' block follows on as well.
  CTestProject p(kBlock);
  p.Place(2, smooth, 200000, 0);
  std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
  for (uint32_t done = 0; done < frames; done += 3 * kBlock) {
    ASSERT_EQ(p.list.RenderTrack(2, out.data() + static_cast<size_t>(done) * 2, from + done, 3 * kBlock), 1);
  }
  EXPECT_EQ(out, expected);
}

TEST(Mixer, ChainsAskingMoreThanTheBuffersHoldAreCutNotOverrun) {
  CTestProject p(65536, 65536);
  p.Place(0, Seeded(5, 2), 200000, 0);
  for (int i = 0; i < 4; ++i) AddProjectEffect(p.Chain(0), ZelmoEqualizer);
  for (int i = 0; i < 3; ++i) AddProjectEffect(p.Chain(1), ZelmoEqualizer);
  std::vector<int16_t> out(65536 * 2);
  EXPECT_EQ(p.list.MixAllTracks(out.data(), 0, 65536), 1);
  EXPECT_EQ(p.list.MixAllTracks(out.data(), 65536, 65536), 1);
  // Each buffer reports its overflow once; the equalizers may say more.
  int mixReports = 0, trackReports = 0;
  for (const auto& r : Reports().Take()) {
    mixReports += r.report.title == "AudioTrackList";
    trackReports += r.report.title == "AudioTrack";
  }
  EXPECT_EQ(mixReports, 1);
  EXPECT_EQ(trackReports, 1);
}

TEST(Mixer, TheRingKeepsRecentBlocksForTheMeters) {
  CTestProject p;
  p.Place(0, HashSignal, 10 * kBlock, 0);
  p.Play(0, 2 * kBlock);
  // Ring slot 0 holds block 0, slot 1 block 1; 100 frames ending 40 frames
  // into slot 0 reach back into the block before it (slot 1).
  std::vector<int16_t> history(100 * 2);
  ASSERT_EQ(p.list.GetTrackHistory(0, 1, 500, history.data(), 100), 1);
  EXPECT_EQ(history, SourceBlock(HashSignal, 0, 10 * kBlock, 2, kBlock + 400, 100));
  p.Play(2 * kBlock, kBlock);  // block 2 lands in slot 0
  ASSERT_EQ(p.list.GetTrackHistory(0, 0, 40, history.data(), 100), 1);
  EXPECT_EQ(history, SourceBlock(HashSignal, 0, 10 * kBlock, 2, 2 * kBlock - 60, 100));
  EXPECT_EQ(p.list.GetTrackHistory(0, 0, 40, nullptr, 100), 3);
  ASSERT_EQ(Reports().Take().size(), 1u);
}

TEST(Mixer, ResetPlaybackReturnsTheTracksToTheirStart) {
  CTestProject p;
  auto s = p.Place(0, HashSignal, 10 * kBlock, 0);
  AddProjectEffect(p.Chain(1), ZelmoEqualizer);
  p.Play(0, 3 * kBlock);
  EXPECT_GT(p.Track(0).GetTrackOffset(), 0u);
  EXPECT_EQ(s->GetState(), CAudioSnippet::kStateRunning);
  p.list.ResetPlayback();
  EXPECT_EQ(p.Track(0).GetTrackOffset(), 0u);
  EXPECT_EQ(p.Track(0).GetRingIndex(), 0);
  EXPECT_EQ(p.Track(0).GetBlocksRendered(), 0u);
  EXPECT_EQ(s->GetState(), CAudioSnippet::kStateIdle);
}

TEST(Mixer, OneTrackAloneIsRenderedWithoutGainsOrEffects) {
  CTestProject p;
  p.Place(4, Seeded(6, 1), 30000, 500);
  p.Place(5, Constant(1000), 30000, 0);
  p.list.SetTrackGains(4, 0.1f, 0.1f);
  AddProjectEffect(p.Chain(5), ZelmoEcho);
  std::vector<int16_t> out(4096 * 2);
  std::vector<int16_t> all;
  for (uint32_t x = 0; x < 20000; x += 4096) {
    ASSERT_EQ(p.list.RenderTrack(4, out.data(), x, 4096), 1);
    all.insert(all.end(), out.begin(), out.end());
  }
  EXPECT_EQ(all, SourceBlock(Seeded(6, 1), 500, 30000, 2, 0, 20480));
  EXPECT_EQ(p.list.RenderTrack(30, out.data(), 0, 4096), 3);
  ASSERT_EQ(Reports().Take()[0].report.line, 623);
}

TEST(Mixer, TheSelectedSnippetsOfATrackRenderAsTheySound) {
  CTestProject p;
  auto a = p.Place(0, Constant(100), 20000, 0);
  auto b = p.Place(0, Constant(200), 5000, 5000);
  auto c = p.Place(0, Constant(300), 5000, 12000);
  a->selected = 1;
  c->selected = 1;
  std::vector<int16_t> out(20000 * 2);
  ASSERT_EQ(p.list.RenderTrackSelected(0, out.data(), 0, 20000), 1);
  for (uint32_t f : {0u, 6000u, 11999u}) EXPECT_EQ(out[f * 2], 100) << f;  // b is not selected
  EXPECT_EQ(out[13000 * 2], 300);
  p.PlaceLoop(1, Constant(5), 1000);
  EXPECT_EQ(p.list.RenderTrackSelected(1, out.data(), 0, 1000), 0);
}

TEST(Mixer, OneSnippetWithEffectsSaturatesInsteadOfWrapping) {
  CTestProject p;
  auto s = p.Place(2, Constant(20000), 20000, 0);
  p.Place(2, Constant(5), 20000, 0);  // newer, on top, but not the one asked for
  p.list.SetTrackGains(2, 2.0f, 1.0f);
  p.list.masterRightGain = 3.0f;
  std::vector<int16_t> out(kBlock * 2);
  ASSERT_EQ(p.list.RenderSnippetWithEffects(2, s->GetIdentifier(), out.data(), 0, kBlock), 1);
  EXPECT_EQ(out[0], 32767);
  EXPECT_EQ(out[1], 32767);
}

TEST(TrackList, RaisingTheTempoShrinksTheProjectAndPullsTheViewIn) {
  CTestProject p;
  // Both timed for the project's 120 on sources of 100.
  auto a = p.Place(0, Constant(0), 441000, 88200, 2, 120.0f);
  auto b = p.Place(7, Constant(0), 44100, 882000, 2, 120.0f);
  ASSERT_EQ(a->length, 367500u);
  ASSERT_EQ(b->length, 36750u);
  p.list.RecomputeProjectEnd();
  ASSERT_EQ(p.list.projectEnd, 918750u);
  p.list.viewStart = 0;
  p.list.viewEnd = 1000000;
  p.list.viewWidth = 1000000;
  ASSERT_EQ(p.list.SetTempo(240.0f), 0);
  EXPECT_EQ(a->start, 44100u);
  EXPECT_EQ(a->length, 183750u);
  EXPECT_EQ(b->start, 441000u);
  EXPECT_EQ(b->length, 18375u);
  EXPECT_EQ(p.list.projectEnd, 459375u);
  EXPECT_EQ(p.list.viewEnd, 1000000u - 459375u);
  EXPECT_EQ(p.list.viewWidth, p.list.viewEnd);
  EXPECT_EQ(p.list.tempo, 240.0f);

  // Too narrow a view keeps its end; slowing down pushes it out by the growth.
  p.list.viewEnd = p.list.viewWidth = 9000;
  p.list.SetTempo(480.0f);
  EXPECT_EQ(p.list.projectEnd, 220500u + 9187u);
  EXPECT_EQ(p.list.viewEnd, 9000u);
  p.list.SetTempo(240.0f);
  EXPECT_EQ(p.list.projectEnd, 459375u);
  EXPECT_EQ(p.list.viewEnd, 9000u + (459375u - 229687u));

  EXPECT_EQ(p.list.SetTempo(0.0f), 0);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.line, 1829);
  EXPECT_EQ(reports[0].report.message, "Divide By Zero Violation");
}

TEST(TrackList, ATempoThatIsNotAFinitePositiveNumberChangesNothingAndIsReportedOnce) {
  const float bad[] = {-120.0f, -0.0f, std::numeric_limits<float>::quiet_NaN(),
                       std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()};
  for (float tempo : bad) {
    CTestProject p;
    auto a = p.Place(0, Constant(0), 441000, 88200, 2, 120.0f);
    auto b = p.Place(3, Constant(0), 44100, 882000, 2, 120.0f);
    p.list.RecomputeProjectEnd();
    const uint32_t end = p.list.projectEnd, viewEnd = p.list.viewEnd;
    EXPECT_EQ(p.list.SetTempo(tempo), 0) << tempo;
    EXPECT_EQ(Reports().Take().size(), 1u) << tempo;
    EXPECT_EQ(a->start, 88200u) << tempo;
    EXPECT_EQ(b->start, 882000u) << tempo;
    EXPECT_EQ(a->length, 367500u) << tempo;
    EXPECT_EQ(p.list.projectEnd, end);
    EXPECT_EQ(p.list.viewEnd, viewEnd);
    EXPECT_EQ(p.list.tempo, 120.0f);
    // A track's list and a snippet refuse it alike.
    EXPECT_EQ(p.Track(0).Snippets().SetTempo(tempo), 3);
    EXPECT_EQ(a->SetTempo(tempo), 3);
    EXPECT_EQ(Reports().Take().size(), 2u);
    EXPECT_EQ(a->start, 88200u);
    EXPECT_EQ(a->tempo, 120.0f);
    // And the project still re-times afterwards.
    ASSERT_EQ(p.list.SetTempo(240.0f), 0);
    EXPECT_EQ(a->start, 44100u);
  }
}

TEST(TrackList, ArmingHandsOutTheLowestFreeRecordingSlot) {
  CTestProject p;
  for (int t = 0; t < 5; ++t) p.list.ToggleArm(t);
  for (int t = 0; t < 4; ++t) EXPECT_EQ(p.Track(t).recordingSlot, t + 1);
  EXPECT_EQ(p.Track(4).recordingSlot, 999);
  EXPECT_EQ(p.list.CountArmedTracks(), 5);
  p.list.ToggleArm(1);
  p.list.ToggleArm(9);
  EXPECT_EQ(p.Track(9).recordingSlot, 2);
  p.list.SetTrackType(9, CAudioTrack::kTypeLoopBased);
  EXPECT_EQ(p.Track(9).armed, 0);
  // A loop snippet makes its track Loop Based, but only SetType disarms.
  p.PlaceLoop(0, Constant(1), 100);
  EXPECT_EQ(p.list.GetTrackType(0), CAudioTrack::kTypeLoopBased);
  EXPECT_EQ(p.Track(0).armed, 1);
}

TEST(TrackList, FirstStartsCountAnEmptyTrackAsZero) {
  CTestProject p;
  p.Place(3, Constant(0), 100, 5000);
  p.Place(4, Constant(0), 100, 7000);
  EXPECT_EQ(p.list.GetFirstStart(), 0u);
  EXPECT_EQ(p.list.GetFirstSnippetStart(), 5000u);
  EXPECT_EQ(p.list.GetLastEnd(), 7100u);
  EXPECT_EQ(p.list.FindTrackOfSnippet(p.Track(4).Snippets().Snippets()[0]->GetIdentifier()), 4);
  CTestProject empty;
  EXPECT_EQ(empty.list.GetFirstSnippetStart(), 0u);
}

TEST(TrackList, ResetEmptiesTheProjectForANewOne) {
  CTestProject p;
  p.Place(0, Constant(0), 100, 0);
  p.list.SelectTrack(3);
  p.list.tempo = 90.0f;
  p.list.masterLeftGain = 0.5f;
  p.list.ToggleSolo(2);
  p.list.UpdateSoloState();
  p.list.Reset();
  EXPECT_EQ(p.list.GetLastEnd(), 0u);
  EXPECT_EQ(p.list.GetSelectedTrackIndex(), 0);
  EXPECT_EQ(p.list.tempo, 120.0f);
  EXPECT_EQ(p.list.masterLeftGain, 1.0f);
  EXPECT_EQ(p.list.soloActive, 0);
  EXPECT_EQ(p.Track(2).solo, 0);
  EXPECT_EQ(p.list.playing, 1);
  EXPECT_EQ(p.list.viewEnd, 0u);
}
