// The level window's form: gains through the callbacks, the lock, the channel
// choice, monitoring, and meters against known signals.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "LevelsForm.h"

namespace {

using forms::CLevelsForm;

// What the fake program holds and was asked.
struct FakeProgram {
  int16_t gains[25][2] = {};
  std::vector<std::string> calls;
  std::vector<int16_t> output, track;
  bool playing = false;
  int refusals = 0;
  int modified = 0;
};
FakeProgram* fake = nullptr;

void SetGain(uint32_t channel, int32_t left, int32_t right) {
  fake->calls.push_back("set " + std::to_string(channel) + " " + std::to_string(left) + " " + std::to_string(right));
  fake->gains[channel][0] = static_cast<int16_t>(left);
  fake->gains[channel][1] = static_cast<int16_t>(right);
}
void GetGain(uint32_t channel, int16_t* left, int16_t* right) {
  *left = fake->gains[channel][0];
  *right = fake->gains[channel][1];
}
void Fill(const std::vector<int16_t>& from, unsigned char** buffer, uint32_t bytes) {
  if (!from.empty()) std::memcpy(*buffer, from.data(), std::min<size_t>(bytes, from.size() * 2));
}
void GetOutput(unsigned char** buffer, uint32_t bytes) { Fill(fake->output, buffer, bytes); }
void GetChannel(int16_t channel, unsigned char** buffer, uint32_t bytes) {
  fake->calls.push_back("channel " + std::to_string(channel));
  if (channel <= 24) Fill(fake->track, buffer, bytes);  // an input the fake has no audio for: untouched
}
void StartMonitor(int16_t channel) { fake->calls.push_back("monitor " + std::to_string(channel)); }
void StopMonitor() { fake->calls.push_back("stop monitor"); }

// Stereo frames of a sine of amplitude on the left and its given right.
std::vector<int16_t> Sine(double amplitude, double rightAmplitude) {
  std::vector<int16_t> frames(CLevelsForm::kMeterFrames * 2);
  for (uint32_t f = 0; f < CLevelsForm::kMeterFrames; ++f) {
    const double s = std::sin(2 * M_PI * 1000.0 * f / 44100.0 + 0.1);
    frames[2 * f] = static_cast<int16_t>(std::lround(amplitude * s));
    frames[2 * f + 1] = static_cast<int16_t>(std::lround(rightAmplitude * s));
  }
  return frames;
}

class LevelsForm : public ::testing::Test {
 protected:
  void SetUp() override { fake = &program; }
  void TearDown() override { fake = nullptr; }
  CLevelsForm Make(int inputs = 6) {
    CLevelsForm::Host host{[this] { return program.playing; }, [this] { ++program.refusals; },
                           [this] { ++program.modified; }};
    return CLevelsForm({&SetGain, &GetGain, &GetOutput, &GetChannel, &StartMonitor, &StopMonitor}, inputs, host);
  }
  FakeProgram program;
};

TEST_F(LevelsForm, MetersShowTheLargestPositiveSampleOnTheScale) {
  struct Case {
    const char* what;
    std::vector<int16_t> output, track;
    std::array<int, 4> meters;
  };
  std::vector<int16_t> negative(CLevelsForm::kMeterFrames * 2, -20000);
  const Case cases[] = {
      {"full scale and -20 dB", Sine(32767, 3276.7), Sine(3276.7, 32767), {100, 52, 52, 100}},
      {"silence", {}, {}, {0, 0, 0, 0}},
      {"only negative samples", negative, negative, {0, 0, 0, 0}},
      {"-6 dB on the master only", Sine(16422, 16422), {}, {85, 85, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    program.output = c.output;
    program.track = c.track;
    CLevelsForm form = Make();
    form.Init();
    EXPECT_FALSE(form.MetersRunning());
    form.RunMeters();
    ASSERT_TRUE(form.Tick());
    EXPECT_EQ(form.Meters(), c.meters);
    form.StopMeters();
    EXPECT_FALSE(form.Tick());
    EXPECT_FALSE(form.MetersRunning());
    EXPECT_EQ(form.Meters(), (std::array<int, 4>{0, 0, 0, 0}));
  }
}

TEST_F(LevelsForm, GainsLoadPerSideAndTheLockMovesBothSliders) {
  program.gains[0][0] = -6;
  program.gains[0][1] = 3;
  program.gains[6][0] = -12;
  program.gains[6][1] = -12;
  CLevelsForm form = Make();
  form.Init();
  EXPECT_EQ(form.Position(CLevelsForm::kMasterLeft), 26);
  EXPECT_EQ(form.Position(CLevelsForm::kMasterRight), 17);
  EXPECT_EQ(form.Label(CLevelsForm::kMasterLeftLabel), "-6");
  EXPECT_EQ(form.Label(CLevelsForm::kMasterRightLabel), "3");
  EXPECT_FALSE(form.Locked());
  form.SelectChannel(5);  // "Track  6"
  EXPECT_EQ(form.Label(CLevelsForm::kChannelRightLabel), "-12");
  // Loading again (a track's properties changed) keeps to the chosen track.
  program.gains[6][0] = -3;
  form.LoadGains();
  EXPECT_EQ(form.Label(CLevelsForm::kChannelLeftLabel), "-3");
  form.SetLocked(true);
  form.MoveSlider(CLevelsForm::kChannelRight, 30);
  EXPECT_EQ(form.Position(CLevelsForm::kChannelLeft), 30);
  form.MoveSlider(CLevelsForm::kMasterLeft, 200);  // beyond the slider: its end
  EXPECT_EQ(program.calls, (std::vector<std::string>{"set 6 -10 -10", "set 0 -140 -140"}));
  EXPECT_EQ(program.modified, 2);
}

TEST_F(LevelsForm, InputsDisableTheGainsAndOnlyTheFirstFourAreMonitored) {
  CLevelsForm form = Make(6);
  form.Init();
  const std::vector<std::string> items = form.ChannelItems();
  ASSERT_EQ(items.size(), 30u);
  EXPECT_EQ(items[0], "Track  1");
  EXPECT_EQ(items[23], "Track 24");
  EXPECT_EQ(items[29], "Input Device ID (5)");
  EXPECT_FALSE(form.MonitorEnabled());
  form.SelectChannel(29);
  EXPECT_FALSE(form.ChannelSlidersEnabled());
  EXPECT_EQ(form.Label(CLevelsForm::kChannelLeftLabel), "0");
  form.MoveSlider(CLevelsForm::kChannelLeft, 40);
  EXPECT_TRUE(program.calls.empty());
  EXPECT_FALSE(form.ClickMonitor(true));  // the fifth input and beyond: no monitoring

  // An input the program has no audio for meters silence, not stale audio.
  program.track = Sine(32767, 32767);
  form.RunMeters();
  form.Tick();
  EXPECT_EQ(form.Meters()[2], 0);

  form.SelectChannel(25);
  program.playing = true;
  EXPECT_FALSE(form.ClickMonitor(true));
  EXPECT_EQ(program.refusals, 1);
  program.playing = false;
  EXPECT_TRUE(form.ClickMonitor(true));
  EXPECT_FALSE(form.ChannelComboEnabled());
  form.SelectChannel(0);  // refused while monitoring
  EXPECT_EQ(form.ChannelSelection(), 25);
  form.StopMonitor();
  EXPECT_FALSE(form.Monitoring());
  EXPECT_EQ(program.calls, (std::vector<std::string>{"channel 30", "monitor 26", "stop monitor"}));
}

}  // namespace
