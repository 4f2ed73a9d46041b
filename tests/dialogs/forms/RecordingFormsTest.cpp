#include <gtest/gtest.h>

#include "Generic.h"
#include "RecordingForms.h"

namespace {

using forms::CRecordingDialog;

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
    CRecordingDialog window([&stops] { ++stops; });
    window.CreateAndStart(1000);
    EXPECT_FALSE(window.Stopped());
    for (bool stop : c.presses) stop ? window.OnStop() : window.OnCancel();
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(window.StopRequested(), c.stop);
    EXPECT_EQ(window.CancelRequested(), c.cancel);
    EXPECT_TRUE(window.Stopped());
    EXPECT_FALSE(window.Active());
  }
  int stops = 0;
  CRecordingDialog never([&stops] { ++stops; });
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

}  // namespace
