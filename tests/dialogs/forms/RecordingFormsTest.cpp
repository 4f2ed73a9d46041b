#include <gtest/gtest.h>

#include "Generic.h"
#include "RecordingForms.h"

namespace {

using forms::CRecordingDialog;
using forms::CRecordSegmentDialog;

TEST(RecordingForm, OneEndPerRecording) {
  struct Case {
    const char* what;
    std::vector<bool> presses;  // true Stop, false Cancel
    bool stop;
    bool cancel;
  };
  const Case cases[] = {
      {"Stop", {true}, true, false},
      {"Stop twice acts once", {true, true}, true, false},
      {"Cancel", {false}, false, true},
      {"Cancel then Stop keeps the cancel", {false, true}, false, true},
      {"Stop then Cancel keeps the stop", {true, false}, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    int stops = 0;
    bool kept = false;
    CRecordingDialog window([&](bool keep) {
      ++stops;
      kept = keep;
    });
    window.CreateAndStart(1000);
    EXPECT_FALSE(window.Stopped());
    for (bool stop : c.presses) stop ? window.OnStop() : window.OnCancelRecording();
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(kept, c.stop) << "the application is told what the first press chose";
    EXPECT_EQ(window.StopRequested(), c.stop);
    EXPECT_EQ(window.CancelRequested(), c.cancel);
    EXPECT_TRUE(window.Stopped());
    EXPECT_FALSE(window.Active());
  }
  int stops = 0;
  CRecordingDialog never([&stops](bool) { ++stops; });
  EXPECT_FALSE(never.OnStop()) << "a window never started ends nothing";
  EXPECT_EQ(stops, 0);
}

TEST(RecordingForm, ElapsedTimeAcrossTheTickWrap) {
  struct Case {
    uint32_t start;
    uint32_t now;
    uint32_t frames;
  };
  const Case cases[] = {
      {1000, 1000, 0},
      {1000, 2500, 66150},
      {UINT32_MAX - 499, 1000, 66150},  // the tick count wrapped during the take
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.now);
    CRecordingDialog window(nullptr);
    window.CreateAndStart(c.start);
    const CRecordingDialog::Elapsed shown = window.OnTimer(c.now, 120.0f, 0);
    char time[64] = {};
    char tempoTime[64] = {};
    FormatSamplesAsTime(c.frames, 44100, time);
    FormatSamplesAsTempoTime(c.frames, 44100, 120.0f, 0, tempoTime);
    EXPECT_EQ(shown.time, time);
    EXPECT_EQ(shown.tempoTime, tempoTime);
  }
}

TEST(RecordingForm, TheApplicationsOwnEndLeavesTheButtonsNothingToEnd) {
  int ends = 0;
  CRecordingDialog window([&ends](bool) { ++ends; });
  window.CreateAndStart(1000);
  window.Closed();  // the recorder gave up
  EXPECT_FALSE(window.OnStop());
  EXPECT_FALSE(window.OnCancel());
  EXPECT_EQ(ends, 0);
  window.CreateAndStart(2000);
  EXPECT_TRUE(window.OnCancel()) << "the next recording has its end again";
  EXPECT_EQ(ends, 1);
}

// What the window's presses do: the application's calls as text, and the controls after them.
TEST(RecordSegmentForm, StartOnceStopOnceAndTheChoicesFixed) {
  struct Case {
    const char* what;
    std::vector<std::string> inputs;
    int select;              // the combo's index chosen, -1 as an emptied combo gives
    int16_t channels;        // the radio button chosen
    bool applicationStarts;  // the application's start comes back with the timer
    std::string presses;     // s Start, t Stop, c Cancel
    std::string calls;
    bool startEnabled;
    bool stopEnabled;
    bool choicesEnabled;
  };
  const std::vector<std::string> two = {"In 1", "In 2"};
  const Case cases[] = {
      {"stereo start", two, 1, 2, true, "s", "start(1,2)", false, true, false},
      {"mono records one channel", two, 0, 1, true, "s", "start(0,1)", false, true, false},
      {"a second Start does nothing", two, 0, 2, true, "ss", "start(0,2)", false, true, false},
      {"Stop keeps once", two, 0, 2, true, "stt", "start(0,2) finish", false, false, false},
      {"Stop before Start does nothing", two, 0, 2, true, "t", "", true, false, true},
      {"Cancel before Start closes", two, 0, 2, true, "c", "cancel", true, false, true},
      {"Cancel while recording", two, 0, 2, true, "sc", "start(0,2) cancel", false, false, false},
      {"a start that failed can be tried again", two, 0, 2, false, "ss", "start(0,2) start(0,2)", true, false, true},
      {"an emptied combo keeps the input", two, -1, 2, true, "s", "start(0,2)", false, true, false},
      {"an index past the list keeps the input", two, 5, 2, true, "s", "start(0,2)", false, true, false},
      {"no input: nothing to start", {}, 0, 2, true, "s", "", false, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string calls;
    auto add = [&calls](const std::string& call) { calls += (calls.empty() ? "" : " ") + call; };
    CRecordSegmentDialog* self = nullptr;
    CRecordSegmentDialog window({[&](int32_t input, int16_t channels) {
                                   add("start(" + std::to_string(input) + "," + std::to_string(channels) + ")");
                                   if (c.applicationStarts) self->StartTimer(5000);
                                 },
                                 [&] { add("finish"); }, [&] { add("cancel"); }});
    self = &window;
    window.OnInitDialog(c.inputs, 2, 1);
    window.SelectInput(c.select);
    window.SelectChannels(c.channels);
    for (char press : c.presses) {
      if (press == 's') window.OnStart();
      if (press == 't') window.OnStopRecording();
      if (press == 'c') window.OnCancel();
    }
    EXPECT_EQ(calls, c.calls);
    EXPECT_EQ(window.StartEnabled(), c.startEnabled);
    EXPECT_EQ(window.StopEnabled(), c.stopEnabled);
    EXPECT_EQ(window.ChoicesEnabled(), c.choicesEnabled);
  }
}

TEST(RecordSegmentForm, TimeInTheProjectsDisplayAndANewTakeOpensFresh) {
  CRecordSegmentDialog window({[&window](int32_t, int16_t) { window.StartTimer(1000); }, nullptr, nullptr});
  window.OnInitDialog({"In 1"}, 1, 1);
  EXPECT_EQ(window.InitialTime(), "00:00.000");
  EXPECT_EQ(window.Channels(), 1) << "the last take's channels";
  window.OnStart();
  char time[64] = {};
  FormatSamplesAsTime(66150, 44100, time);
  EXPECT_EQ(window.OnTimer(2500, 120.0f, 0), time);
  window.Close();
  EXPECT_FALSE(window.StartEnabled()) << "a closed window starts nothing";

  window.OnInitDialog({"In 1"}, 2, 2);
  EXPECT_EQ(window.InitialTime(), "0:0:0.00");
  EXPECT_TRUE(window.StartEnabled());
  window.OnStart();
  char tempoTime[64] = {};
  FormatSamplesAsTempoTime(66150, 44100, 90.0f, 1, tempoTime);
  EXPECT_EQ(window.OnTimer(2500, 90.0f, 1), tempoTime);
}

}  // namespace
