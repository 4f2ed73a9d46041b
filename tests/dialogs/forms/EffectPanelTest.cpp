// The effect panels against a real chain: the records they send and read back,
// the chorus and flange delay rule, and when the equalizer reaches the engine.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>

#include "EffectPanels.h"
#include "ReportRecorder.h"

using namespace forms;

namespace {

constexpr uint32_t kBlockFrames = 4096;

struct Chain {
  CZelmo engine;
  short number = -1;
  explicit Chain(ZelmoEffectType type) {
    engine.SetChannels(2);
    engine.SetSizeOutputBufferSample(kBlockFrames);
    engine.SetSizeMaxInputBufferSample(kBlockFrames + 16384);
    EqualizerInit init{{60, 170, 310, 600, 1000, 3000, 6000, 12000, 14000, 16000}, 4096};
    engine.AddEffect(type, &number, type == ZelmoEqualizer ? &init : nullptr);
  }
  template <class Record>
  Record Read() {
    Record r{};
    engine.GetEffectParameters(number, &r);
    return r;
  }
};

}  // namespace

TEST(EffectPanels, DestructivePanelsFillTheirRecordsFromWhatIsShown) {
  CEchoDialog echo;
  echo.SetDestructive(EffectEcho);
  echo.InitDialog();
  EXPECT_EQ(echo.Text(1163), "-2.00");
  EchoParams e{};
  ASSERT_EQ(echo.FillEffectRecord(&e), 1);
  EXPECT_NEAR(e.dryGainLeft, 0.7943f, 1e-4f);
  EXPECT_NEAR(e.echoGainRight, 0.6310f, 1e-4f);
  EXPECT_FLOAT_EQ(e.decayLeft, 0.5f);
  EXPECT_FLOAT_EQ(e.delayMsRight, 300.0f);
  EXPECT_EQ(echo.Items(id::kScrollItem), (std::vector<std::string>{"Dry Volume", "Wet Volume", "Delay", "Decline Percentage"}));

  CReverbDialog reverb;
  reverb.SetDestructive(EffectReverb);
  reverb.InitDialog();
  reverb.Check(id::kLock, false);
  reverb.Commit(1185, "420");
  ReverbParams r{};
  reverb.FillEffectRecord(&r);
  EXPECT_FLOAT_EQ(r.secondDelayMsLeft, 300.0f);
  EXPECT_FLOAT_EQ(r.secondDelayMsRight, 420.0f);
  EXPECT_FLOAT_EQ(r.decayRight, 0.25f);
  EXPECT_TRUE(reverb.Checked(id::kScopeWhole));

  CFlangeDialog flange;
  flange.SetDestructive(EffectFlange);
  flange.InitDialog();
  ChorusFlangeParams f{};
  flange.FillEffectRecord(&f);
  EXPECT_EQ(std::vector<float>({f.lfoHzLeft, f.lfoPhaseDegLeft, f.delayMsLeft, f.depthMsLeft}),
            std::vector<float>({0.5f, 0.0f, 4.0f, 3.0f}));

  CEqualizerDialog eq;
  eq.SetDestructive(EffectNone);
  eq.InitDialog();
  eq.OnApplyPreset(3);  // "Low Pass Filter"
  EqualizerParams q{};
  eq.FillEffectRecord(&q);
  EXPECT_FLOAT_EQ(q.left.gains[3], 1.0f);
  EXPECT_NEAR(q.right.gains[4], 0.0f, 1e-6f);

  tessiro::test::Reports().Clear();
  EXPECT_EQ(echo.FillEffectRecord(nullptr), 3);
  EXPECT_EQ(tessiro::test::Reports().Take().size(), 1u);
}

TEST(EffectPanels, LivePanelsSendEveryChangeAndReadTheEngineBack) {
  Chain chain(ZelmoEcho);
  CEchoDialog echo;
  int modified = 0;
  echo.SetOnModified([&] { ++modified; });
  echo.Bind(&chain.engine, chain.number);
  ASSERT_EQ(echo.LoadFromEngine(), 1);
  echo.InitDialog();
  EXPECT_FALSE(echo.Enabled(id::kScopeHighlighted));
  EXPECT_FALSE(echo.Enabled(id::kScopeMarkers));
  EXPECT_TRUE(echo.Checked(id::kScopeWhole));
  echo.Commit(1182, "125");
  echo.Select(id::kUnits, 1);
  echo.Commit(1179, "25");
  const EchoParams sent = chain.Read<EchoParams>();
  EchoParams shown{};
  echo.FillEffectRecord(&shown);
  EXPECT_EQ(std::memcmp(&sent, &shown, sizeof sent), 0) << "the engine holds what the panel shows";
  EXPECT_FLOAT_EQ(sent.delayMsLeft, 125.0f);
  EXPECT_NEAR(sent.echoGainLeft, 0.25f, 1e-6f);
  EXPECT_EQ(modified, 2);

  Chain flangeChain(ZelmoFlange);
  CFlangeDialog flange;
  flange.Bind(&flangeChain.engine, flangeChain.number);
  ASSERT_EQ(flange.LoadFromEngine(), 1);
  flange.InitDialog();
  EXPECT_EQ(flange.Selection(id::kUnits), 1) << "the flange panel reads back in percent";
  CChorusDialog chorus;
  Chain chorusChain(ZelmoChorus);
  chorus.Bind(&chorusChain.engine, chorusChain.number);
  ASSERT_EQ(chorus.LoadFromEngine(), 1);
  EXPECT_EQ(chorus.Selection(id::kUnits), 0);
  CFlangeDialog unbound;
  EXPECT_EQ(unbound.LoadFromEngine(), 0);
}

namespace {

// Every field of the record the engine held comes back from the panel, in its place.
template <class Panel, class Record>
void ExpectRoundTrip(ZelmoEffectType type, Record given) {
  Chain chain(type);
  ASSERT_EQ(chain.engine.SetEffectParameters(chain.number, &given), 1u);
  Panel panel;
  panel.Bind(&chain.engine, chain.number);
  ASSERT_EQ(panel.LoadFromEngine(), 1);
  Record filled{};
  ASSERT_EQ(panel.FillEffectRecord(&filled), 1);
  constexpr size_t kFields = sizeof(Record) / sizeof(float);
  std::array<float, kFields> want{}, got{};
  std::memcpy(want.data(), &given, sizeof given);
  std::memcpy(got.data(), &filled, sizeof filled);
  for (size_t i = 0; i < kFields; ++i) EXPECT_NEAR(got[i], want[i], 1e-4f * std::fabs(want[i])) << "field " << i;
}

}  // namespace

TEST(EffectPanels, TheRecordTheEngineHoldsComesBackFieldForField) {
  ExpectRoundTrip<CEchoDialog>(ZelmoEcho, EchoParams{0.9f, 0.8f, 0.7f, 0.6f, 0.45f, 0.35f, 210.0f, 330.0f});
  ExpectRoundTrip<CReverbDialog>(ZelmoReverb,
                                 ReverbParams{0.9f, 0.8f, 0.7f, 0.6f, 0.45f, 0.35f, 120.0f, 140.0f, 260.0f, 280.0f});
  const ChorusFlangeParams modulated{0.9f, 0.8f, 0.7f, 0.6f, 0.4f, 0.3f, 90.0f, 180.0f, 8.0f, 9.0f, 2.0f, 3.0f};
  ExpectRoundTrip<CChorusDialog>(ZelmoChorus, modulated);
  ExpectRoundTrip<CFlangeDialog>(ZelmoFlange, modulated);
}

TEST(EffectPanels, TheLfoDelayNeverExceedsTheDelay) {
  struct Case {
    const char* name;
    int edit;
    const char* typed;
    bool lock;
    std::array<const char*, 4> shown;  // delay L, R, LFO delay L, R
  };
  const Case cases[] = {
      {"delay below the LFO delay drags it down", 1182, "2", false, {"2.00", "4.00", "2.00", "3.00"}},
      {"locked, both channels", 1182, "1", true, {"1.00", "1.00", "1.00", "1.00"}},
      {"LFO delay above the delay stops at it", 1184, "9", false, {"4.00", "4.00", "4.00", "3.00"}},
      {"a smaller LFO delay stays", 1185, "0.5", false, {"4.00", "4.00", "3.00", "0.50"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CFlangeDialog flange;
    flange.InitDialog();
    flange.Check(id::kLock, c.lock);
    flange.Commit(c.edit, c.typed);
    EXPECT_EQ((std::array<std::string, 4>{flange.Text(1182), flange.Text(1183), flange.Text(1184), flange.Text(1185)}),
              (std::array<std::string, 4>{c.shown[0], c.shown[1], c.shown[2], c.shown[3]}));
  }
  // The scroll tool keeps the rule too.
  CChorusDialog chorus;
  chorus.SetDestructive(EffectChorus);
  chorus.InitDialog();
  chorus.Select(id::kScrollItem, 2);  // "Delay", 10..60 ms
  chorus.Scroll(id::kScrollLeft, SliderAction::Track, 0);
  EXPECT_EQ(chorus.Text(1182), "10.00");
  EXPECT_EQ(chorus.Text(1184), "10.00");
  EXPECT_EQ(chorus.Text(1185), "10.00") << "locked: the right channel moved as well";
  EXPECT_EQ(chorus.Position(id::kScrollRight), 0);
}

TEST(EffectPanels, EqualizerBandsReachTheEngineWhenTheSliderIsLetGo) {
  Chain chain(ZelmoEqualizer);
  CEqualizerDialog eq;
  eq.Bind(&chain.engine, chain.number);
  eq.LoadFromEngine();
  eq.InitDialog();
  const int slider = CEqualizerDialog::kSliders[2];
  eq.Scroll(slider, SliderAction::Track, 250);  // -20 dB
  EXPECT_EQ(eq.Text(CEqualizerDialog::kLeftEdits[2]), "-20.00");
  EXPECT_EQ(eq.Text(CEqualizerDialog::kRightEdits[2]), "-20.00");
  EXPECT_FLOAT_EQ(chain.Read<EqualizerParams>().left.gains[2], 1.0f) << "not while dragging";
  eq.Scroll(slider, SliderAction::End, 0);
  EXPECT_NEAR(chain.Read<EqualizerParams>().left.gains[2], 0.1f, 1e-6f);

  // Unlocked, a right band changes the right channel only; the sliders show the chosen channel.
  eq.Check(id::kLock, false);
  eq.Commit(CEqualizerDialog::kRightEdits[2], "6");
  EXPECT_NEAR(chain.Read<EqualizerParams>().right.gains[2], 1.99526f, 1e-4f);
  EXPECT_NEAR(chain.Read<EqualizerParams>().left.gains[2], 0.1f, 1e-6f);
  EXPECT_EQ(eq.Position(slider), 250);
  eq.Click(CEqualizerDialog::kRightChannel);
  EXPECT_EQ(eq.Position(slider), 87);
}
