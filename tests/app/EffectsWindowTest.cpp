// The real-time effects window's form on the running program: effects added,
// moved, removed and bypassed while the virtual card plays, heard exactly as
// the same changes made on chains built directly, at the same moments.

#include <gtest/gtest.h>

#include <functional>

#include "EffectsWindowForm.h"
#include "TransportFixture.h"

namespace tessiro::test {
namespace {

using forms::CEffectsWindowForm;
constexpr uint32_t kProjectFrames = 3 * 44100;

// One change of the scenario, made through the window or on the chains directly.
struct Change {
  uint32_t afterMs;  // of playback before it
  std::function<void(CEffectsWindowForm&)> byWindow;
  std::function<void(EffectChainArray&, int32_t)> direct;
};

CZelmo& DirectChain(EffectChainArray& chains, int index, int32_t block) {
  auto& chain = chains[static_cast<size_t>(index)];
  if (!chain) {
    auto made = std::make_unique<CZelmo>();
    made->SetSizeOutputBufferSample(static_cast<uint32_t>(block));
    made->SetSizeMaxInputBufferSample(static_cast<uint32_t>(block) + 16384);
    made->SetChannels(2);
    chain = std::move(made);
  }
  return *chain;
}

template <class Params>
void DirectAdd(EffectChainArray& chains, int index, int32_t block, ZelmoEffectType type, Params params) {
  CZelmo& chain = DirectChain(chains, index, block);
  short number = -1;
  chain.AddEffect(type, &number, nullptr);
  chain.SetEffectParameters(number, &params);
}

const EchoParams kEcho{0.7943f, 0.7943f, 0.631f, 0.631f, 0.5f, 0.5f, 300.0f, 300.0f};
const ReverbParams kReverb{0.7499f, 0.7499f, 0.5623f, 0.5623f, 0.25f, 0.25f, 150.0f, 150.0f, 300.0f, 300.0f};
const ChorusFlangeParams kChorus{0.3981f, 0.3981f, 0.5012f, 0.5012f, 0.5f, 0.5f, 0.0f, 0.0f, 4.0f, 4.0f, 3.0f, 3.0f};

class EffectsWindowTest : public TransportTest {
 protected:
  // Plays the project from the start with no chains, making each change after
  // its time; returns what the card played.
  std::vector<int16_t> PlayWith(const std::vector<Change>& changes, bool byWindow) {
    for (auto& chain : app->effectChains) chain.reset();
    app->project.bypass.store(0);
    const size_t before = Played().size();
    CEffectsWindowForm window(*app);
    size_t next = 0;
    auto changeDue = [&](bool playing) {
      while (next < changes.size() && (playing || changes[next].afterMs == 0)) {
        if (byWindow) {
          changes[next].byWindow(window);
        } else {
          changes[next].direct(app->effectChains, app->bufferFrames);
        }
        ++next;
        if (next < changes.size() && changes[next].afterMs != 0) break;
      }
    };
    changeDue(false);
    app->SetPlayPosition(0);
    app->OnPlayProject();
    while (next < changes.size()) {
      Run(changes[next].afterMs);
      changeDue(true);
    }
    EXPECT_TRUE(RunUntilIdle(10000));
    std::vector<int16_t> played = Played();
    return {played.begin() + static_cast<std::ptrdiff_t>(before), played.end()};
  }
};

TEST_F(EffectsWindowTest, ChangesDuringPlaybackSoundAsChainsBuiltDirectly) {
  StartApp();
  MakeProject(kProjectFrames);
  const std::vector<Change> changes = {
      {0, [](CEffectsWindowForm& w) { w.SelectChain(1); w.AddEffect(CEffectsWindowForm::kAddEcho); },
       [](EffectChainArray& c, int32_t b) { DirectAdd(c, 1, b, ZelmoEcho, kEcho); }},
      {400, [](CEffectsWindowForm& w) { w.SelectChain(0); w.AddEffect(CEffectsWindowForm::kAddReverb); },
       [](EffectChainArray& c, int32_t b) { DirectAdd(c, 0, b, ZelmoReverb, kReverb); }},
      {400,
       [](CEffectsWindowForm& w) {
         w.SelectChain(1);
         w.AddEffect(CEffectsWindowForm::kAddChorus);
         w.MoveForward();
       },
       [](EffectChainArray& c, int32_t b) {
         DirectAdd(c, 1, b, ZelmoChorus, kChorus);
         c[1]->MoveEffectFoward(1);
       }},
      {400, [](CEffectsWindowForm& w) { w.SetCurrentBypass(true); },
       [](EffectChainArray& c, int32_t) { c[1]->SetEffectBypass(0, 1); }},
      {400, [](CEffectsWindowForm& w) { w.SetCurrentBypass(false); },
       [](EffectChainArray& c, int32_t) { c[1]->SetEffectBypass(0, 0); }},
      {300, [](CEffectsWindowForm& w) { w.SetTrackBypass(true); },
       [](EffectChainArray& c, int32_t) { c[1]->SetBypass(1); }},
      {300, [](CEffectsWindowForm& w) { w.SetTrackBypass(false); w.SelectChain(0); w.RemoveEffect(); },
       [](EffectChainArray& c, int32_t) { c[1]->SetBypass(0); c[0]->RemoveEffect(0); }},
  };
  const std::vector<int16_t> dry = PlayWith({}, true);
  const std::vector<int16_t> window = PlayWith(changes, true);
  const std::vector<int16_t> direct = PlayWith(changes, false);
  ASSERT_EQ(window.size(), direct.size());
  ASSERT_FALSE(window.empty());
  EXPECT_TRUE(window == direct);
  EXPECT_FALSE(window == dry);
  EXPECT_EQ(app->modified, 1);
}

TEST_F(EffectsWindowTest, AllTracksBypassPlaysDryAndComesBackWithoutOldHistory) {
  StartApp();
  MakeProject(kProjectFrames);
  auto addEcho = [](EffectChainArray& c, int32_t b) { DirectAdd(c, 1, b, ZelmoEcho, kEcho); };
  auto bypassOn = [this](EffectChainArray&, int32_t) { app->project.bypass.store(1); };
  auto bypassOff = [this](EffectChainArray&, int32_t) { app->project.bypass.store(0); };
  const std::vector<Change> byWindow = {
      {0, [](CEffectsWindowForm& w) { w.SelectChain(1); w.AddEffect(CEffectsWindowForm::kAddEcho); }, addEcho},
      {500, [](CEffectsWindowForm& w) { w.SetAllBypass(true); }, bypassOn},
      {1000, [](CEffectsWindowForm& w) { w.SetAllBypass(false); },
       [this](EffectChainArray& c, int32_t) {
         c[1]->Reset();
         app->project.bypass.store(0);
       }},
  };
  std::vector<Change> keepingHistory = byWindow;
  keepingHistory[2].direct = bypassOff;
  const std::vector<int16_t> dry = PlayWith({}, true);
  const std::vector<int16_t> window = PlayWith(byWindow, true);
  const std::vector<int16_t> direct = PlayWith(byWindow, false);
  const std::vector<int16_t> stale = PlayWith(keepingHistory, false);
  ASSERT_EQ(window.size(), dry.size());
  EXPECT_TRUE(window == direct);
  // The echo's history from before the bypass is not heard after it.
  EXPECT_FALSE(window == stale);
  // Well inside the bypass, whatever the card buffers ahead, the track plays dry.
  const size_t from = 2 * 53000, to = 2 * 66000;
  EXPECT_TRUE(std::equal(window.begin() + from, window.begin() + to, dry.begin() + from));
  EXPECT_FALSE(window == dry);
  EXPECT_EQ(app->project.bypass.load(), 0);
}

TEST_F(EffectsWindowTest, RefusalsAndTheRulesOfTheTabs) {
  StartApp();
  MakeProject(kProjectFrames);
  CEffectsWindowForm w(*app);
  w.SelectChain(3);
  for (int i = 0; i < 9; ++i) ASSERT_TRUE(w.AddEffect(CEffectsWindowForm::kAddEcho));
  EXPECT_TRUE(w.AddEffect(CEffectsWindowForm::kAddEqualizer));
  seams.ui.ExpectBox(CEffectsWindowForm::kTooManyText);
  EXPECT_FALSE(w.AddEffect(CEffectsWindowForm::kAddReverb));
  ASSERT_EQ(w.Tabs().size(), 10u);
  EXPECT_EQ(w.Tabs()[9], "Equalizer");
  EXPECT_EQ(w.CurrentTab(), 9);
  w.MoveBack();  // the last one back: nothing
  EXPECT_EQ(w.CurrentTab(), 9);
  EXPECT_EQ(w.Tabs()[9], "Equalizer");
  w.SelectTab(0);
  w.MoveForward();  // the first one forward: nothing
  EXPECT_EQ(w.CurrentTab(), 0);
  w.RemoveEffect();
  EXPECT_EQ(w.Tabs().size(), 9u);
  EXPECT_EQ(w.Tabs()[8], "Equalizer");
  seams.ui.ExpectBox(CEffectsWindowForm::kSecondEqualizerText);
  EXPECT_FALSE(w.AddEffect(CEffectsWindowForm::kAddEqualizer));
  w.SelectTab(8);
  w.MoveForward();
  EXPECT_EQ(w.CurrentTab(), 7);
  EXPECT_EQ(w.Tabs()[7], "Equalizer");

  // An equalizer is refused during playback, even on an empty chain.
  w.SelectChain(5);
  app->OnPlayProject();
  seams.ui.ExpectBox(CEffectsWindowForm::kEqualizerPlayingText);
  EXPECT_FALSE(w.AddEffect(CEffectsWindowForm::kAddEqualizer));
  EXPECT_EQ(app->effectChains[5], nullptr);
  app->OnStopProject();

  // A new window shows the chain and tab of the form it stands for; removing
  // the last effect leaves no tabs and both bypass boxes clear.
  w.SelectChain(3);
  w.SelectTab(4);
  w.SetCurrentBypass(true);
  w.SelectTab(5);
  w.SelectTab(4);
  EXPECT_TRUE(w.CurrentBypass());
  w.SetTrackBypass(true);
  EXPECT_FALSE(w.CurrentBypassEnabled());
  w.RemoveAllEffects();
  EXPECT_TRUE(w.Tabs().empty());
  EXPECT_FALSE(w.CurrentBypass());
  EXPECT_FALSE(w.TrackBypass());
  EXPECT_EQ(w.ShownPanel(), nullptr);
}

TEST_F(EffectsWindowTest, ALevelsEffectAnsweredNoSharesOneEnvelopeAtUnity) {
  StartApp();
  MakeProject(kProjectFrames);
  CEffectsWindowForm w(*app);
  int asked = 0;
  w.SetAskIndependent([&asked] { ++asked; return 0; });
  w.SelectChain(1);
  ASSERT_TRUE(w.AddEffect(CEffectsWindowForm::kAddLevels));
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(w.Tabs(), std::vector<std::string>{"Levels"});
  EXPECT_EQ(w.ShownPanel(), nullptr);
  CZelmo& chain = *app->effectChains[1];
  EXPECT_EQ(chain.GetLevelsChannelsIndependent(0), 0);
  EXPECT_EQ(chain.GetTotalLevelPoints(0, 1), 1);
  EXPECT_FLOAT_EQ(chain.GetLevelVolumeAt(0, 0, 1), 1.0f);
  EXPECT_FLOAT_EQ(chain.GetLevelVolumeAt(0, 0, 2), 1.0f);
}

}  // namespace
}  // namespace tessiro::test
