#include <cmath>
#include <fstream>

#include "AudioRecorder.h"
#include "PobixHarness.h"
#include "ReportRecorder.h"
#include "TempFolder.h"

namespace tessiro::test {
namespace {

int16_t Half(int16_t v) { return static_cast<int16_t>(std::trunc(0.5 * v)); }
int16_t Mix(int16_t l, int16_t r) { return static_cast<int16_t>(std::trunc(0.5 * r + 0.5 * l)); }

// Checks a stereo delivery against the known signal, frame k at clock frame first + k.
void ExpectSignal(const std::vector<uint8_t>& stereo, uint64_t first, size_t fromFrame = 0) {
  for (size_t k = fromFrame; k < stereo.size() / 4; ++k) {
    const Frame f = SignalFrame(first + k);
    ASSERT_EQ(SampleAt(stereo, 2 * k), f.left) << "frame " << k;
    ASSERT_EQ(SampleAt(stereo, 2 * k + 1), f.right) << "frame " << k;
  }
}

class RecorderTest : public PobixTest {
 protected:
  void SetUp() override {
    PobixTest::SetUp();
    Devices({"Speakers"}, {"Line In"});
  }
};

TEST_F(RecorderTest, FourInputsRecordEveryFrameAlignedWithPlayback) {
  MakePobix();
  ASSERT_EQ(AddInput(0, true, 1), 0u);   // the stereo pair on a stereo track
  ASSERT_EQ(AddInput(1, false, 2), 0u);  // the left channel on a mono track
  ASSERT_EQ(AddInput(2, true, 3), 0u);   // the right channel on a stereo track
  ASSERT_EQ(AddInput(0, false, 4), 0u);  // the stereo pair on a mono track
  pobix->Start(kPobixPlayAndRecord);
  Advance(1000);
  pobix->Stop();
  EXPECT_EQ(pobix->lastStartType, kPobixPlayAndRecord);

  // Recorded frame k was captured while played frame k sounded.
  const auto runs = system->PlayedRuns(0);
  ASSERT_FALSE(runs.empty());
  const uint64_t playStart = runs[0].firstFrame;
  const size_t frames = 10 * kBufferBytes / 4;

  const std::vector<uint8_t> stereo = Delivered(1), left = Delivered(2), right = Delivered(3), mono = Delivered(4);
  ASSERT_EQ(stereo.size(), frames * 4);
  ASSERT_EQ(left.size(), frames * 2);
  ASSERT_EQ(right.size(), frames * 4);
  ASSERT_EQ(mono.size(), frames * 2);
  ExpectSignal(stereo, playStart);
  for (size_t k = 0; k < frames; ++k) {
    const Frame f = SignalFrame(playStart + k);
    ASSERT_EQ(SampleAt(left, k), f.left) << k;
    ASSERT_EQ(SampleAt(right, 2 * k), Half(f.right)) << k;
    ASSERT_EQ(SampleAt(right, 2 * k + 1), Half(f.right)) << k;
    ASSERT_EQ(SampleAt(mono, k), Mix(f.left, f.right)) << k;
  }
  EXPECT_EQ(pobix->GetOutputBytesWritten(1), frames * 4);
  EXPECT_EQ(pobix->GetOutputBytesWritten(2), frames * 2);
  EXPECT_EQ(pobix->GetOutputBytesWritten(4), frames * 2);
  EXPECT_EQ(pobix->GetOutputBytesWritten(9), 0u);
  EXPECT_TRUE(Log().dropouts.empty());
}

TEST_F(RecorderTest, RecordingAloneDeliversEveryBufferWholeFromTheFirst) {
  MakePobix();
  AddInput(0, true, 1);
  pobix->Start(kPobixRecord);
  Advance(500);
  pobix->Stop();
  pobix->Stop();  // a second stop finds nothing to wait for
  EXPECT_EQ(Log().deliveries[1], std::vector<uint32_t>(5, kBufferBytes));
  ExpectSignal(Delivered(1), CVirtualWaveSystem::FrameAt(1000));
  EXPECT_TRUE(system->PlayedBytes(0).empty());
}

TEST_F(RecorderTest, PlaybackThatBeginsLateKeepsWhatWasCapturedWhileItPlayed) {
  MakePobix();
  AddInput(0, true, 1);
  system->SetStalled(Direction::Output, 0, true);
  pobix->Start(kPobixPlayAndRecord);
  Advance(50);
  system->SetStalled(Direction::Output, 0, false);
  Advance(950);
  pobix->Stop();

  const uint64_t playStart = system->PlayedRuns(0).at(0).firstFrame;
  EXPECT_EQ(playStart, CVirtualWaveSystem::FrameAt(1050));
  // The first capture ended before the player's first buffer did: it is placed by
  // the two positions all the same, so the playback it covered keeps its audio.
  const std::vector<uint8_t> recorded = Delivered(1);
  ASSERT_EQ(recorded.size(), 8820u + 9 * kBufferBytes);
  ExpectSignal(recorded, playStart);
}

TEST_F(RecorderTest, PlaybackThatBeginsInsideTheFirstCaptureKeepsItsLaterPart) {
  MakePobix(8820);  // 50 ms playback buffers, so the player knows its start first
  AddInput(0, true, 1);
  system->SetStalled(Direction::Output, 0, true);
  pobix->Start(kPobixPlayAndRecord);
  Advance(30);
  system->SetStalled(Direction::Output, 0, false);
  Advance(470);
  pobix->Stop();

  const uint64_t playStart = system->PlayedRuns(0).at(0).firstFrame;
  const std::vector<uint8_t> recorded = Delivered(1);
  // 70 ms of the first capture came after playback began.
  ASSERT_EQ(Log().deliveries[1].at(0), 12348u);
  ASSERT_EQ(recorded.size(), 12348u + 4 * kBufferBytes);
  ExpectSignal(recorded, playStart);
}

class TickWrapTest : public PobixTest, public ::testing::WithParamInterface<uint64_t> {};

TEST_P(TickWrapTest, AlignmentHoldsWhereTheTickCountOverflowsOrWraps) {
  // Playback begins 30 ms after the start and the first capture ends at 100 ms:
  // the tick count passes 2^31 or 2^32 between the two.
  const uint64_t start = GetParam();
  UseClockStart(start);
  Devices({"Speakers"}, {"Line In"});
  MakePobix(8820);
  AddInput(0, true, 1);
  system->SetStalled(Direction::Output, 0, true);
  pobix->Start(kPobixPlayAndRecord);
  Advance(30);
  system->SetStalled(Direction::Output, 0, false);
  Advance(270);
  pobix->Stop();
  const uint64_t playStart = system->PlayedRuns(0).at(0).firstFrame;
  EXPECT_EQ(playStart, CVirtualWaveSystem::FrameAt(start + 30));
  const std::vector<uint8_t> recorded = Delivered(1);
  ASSERT_EQ(recorded.size(), 12348u + 2 * kBufferBytes);
  ExpectSignal(recorded, playStart);
}

INSTANTIATE_TEST_SUITE_P(TickCount, TickWrapTest,
                         ::testing::Values((uint64_t{1} << 31) - 50, (uint64_t{1} << 32) - 50));

TEST_F(RecorderTest, AnAlignmentGapBeyondTenSecondsEndsTheRecordingButDeliversThePad) {
  MakePobix();
  AddInput(0, true, 1);
  system->SetStalled(Direction::Input, 0, true);
  pobix->Start(kPobixPlayAndRecord);
  Advance(11000, 100);
  system->SetStalled(Direction::Input, 0, false);
  Advance(100);

  // The first capture ends at 12100, 11.1 s after playback began at 1000.
  const uint32_t pad = 1958040 - kBufferBytes;
  const std::vector<uint8_t> recorded = Delivered(1);
  ASSERT_EQ(recorded.size(), pad + kBufferBytes);
  EXPECT_EQ(std::vector<uint8_t>(recorded.begin(), recorded.begin() + pad), std::vector<uint8_t>(pad, 0));
  EXPECT_EQ(Log().recorderEnds.size(), 1u);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "AudioRecorder");
  EXPECT_EQ(reports[0].report.line, 797);
  pobix->Stop();
}

TEST_F(RecorderTest, EachChannelAndTrackKindGetsItsConversion) {
  system->AddInput("USB Mic");
  // Truncation toward zero shows in the odd and extreme values.
  const std::vector<int16_t> given{3, -5, -3, 5, -32768, 32767, 32767, -32768, 1, -1, -1, -1, -7, 0};
  system->SetInputFrames(0, given);
  system->SetInputFrames(1, given);
  MakePobix();
  ASSERT_EQ(pobix->recorderCount, 2);
  AddInput(0, false, 1);  // stereo pair, mono track
  AddInput(1, true, 2);   // left, stereo track
  AddInput(2, true, 3);   // right, stereo track
  AddInput(3, true, 4);   // second device: stereo pair, stereo track
  AddInput(4, false, 5);  // left, mono track
  AddInput(5, false, 6);  // right, mono track
  pobix->Start(kPobixRecord);
  Advance(100);
  pobix->Stop();

  const auto mono = Delivered(1), halfLeft = Delivered(2), halfRight = Delivered(3), pair = Delivered(4),
             left = Delivered(5), right = Delivered(6);
  ASSERT_EQ(mono.size(), kBufferBytes / 2);
  ASSERT_EQ(pair.size(), kBufferBytes);
  // The first frame, left 3 and right -5, worked by hand.
  EXPECT_EQ(SampleAt(mono, 0), -1);
  EXPECT_EQ(SampleAt(halfLeft, 0), 1);
  EXPECT_EQ(SampleAt(halfLeft, 1), 1);
  EXPECT_EQ(SampleAt(halfRight, 0), -2);
  EXPECT_EQ(SampleAt(halfRight, 1), -2);
  EXPECT_EQ(SampleAt(left, 0), 3);
  EXPECT_EQ(SampleAt(right, 0), -5);
  for (size_t k = 0; k < kBufferBytes / 4; ++k) {
    const int16_t l = 2 * k < given.size() ? given[2 * k] : 0;
    const int16_t r = 2 * k < given.size() ? given[2 * k + 1] : 0;
    ASSERT_EQ(SampleAt(mono, k), Mix(l, r)) << k;
    ASSERT_EQ(SampleAt(halfLeft, 2 * k), Half(l)) << k;
    ASSERT_EQ(SampleAt(halfLeft, 2 * k + 1), Half(l)) << k;
    ASSERT_EQ(SampleAt(halfRight, 2 * k), Half(r)) << k;
    ASSERT_EQ(SampleAt(pair, 2 * k), l) << k;
    ASSERT_EQ(SampleAt(pair, 2 * k + 1), r) << k;
    ASSERT_EQ(SampleAt(left, k), l) << k;
    ASSERT_EQ(SampleAt(right, k), r) << k;
  }
}

TEST_F(RecorderTest, LongBuffersRecordWithoutAFalseDropout) {
  // The longest buffer level: 65536 frames, 1486 ms each.
  const uint32_t bytes = 65536 * 4;
  MakePobix();
  AddInput(0, true, 1, bytes);
  pobix->Start(kPobixRecord);
  Advance(20 * 1487, 100);
  pobix->Stop();
  const CallbackLog log = Log();
  EXPECT_TRUE(log.dropouts.empty());
  EXPECT_TRUE(log.recorderEnds.empty());
  // Twenty whole buffers, then what the stop found in the next.
  std::vector<uint32_t> expected(20, bytes);
  expected.push_back(static_cast<uint32_t>(CVirtualWaveSystem::FrameAt(20 * 1487) * 4 - 20 * bytes));
  EXPECT_EQ(log.deliveries.at(1), expected);
  ExpectSignal(Delivered(1), CVirtualWaveSystem::FrameAt(1000));
}

TEST_F(RecorderTest, ALateBufferAfterALongSilenceGivesOneDropoutAndNothingMore) {
  MakePobix();
  AddInput(0, true, 1);
  pobix->Start(kPobixRecord);
  Advance(200);
  // The device falls silent: its next notice comes 1300 ms after the one before,
  // late both as a notice and as a processed buffer.
  system->SetStalled(Direction::Input, 0, true);
  Advance(1200);
  system->SetStalled(Direction::Input, 0, false);
  Advance(1000);
  CallbackLog log = Log();
  EXPECT_EQ(log.sequence, (std::vector<std::string>{"recorder end", "recorder dropout"}));
  ASSERT_EQ(log.dropouts.size(), 1u);
  EXPECT_EQ(log.dropouts[0], (std::pair<std::string, std::string>{"recording", "Consecutive Delays"}));
  // The late buffer itself was delivered; nothing after it.
  EXPECT_EQ(log.deliveries[1].size(), 3u);
  // Nothing is queued now, yet the stop completes without a time-out.
  EXPECT_EQ(system->QueuedBuffers(Direction::Input, 0), 0u);
  pobix->Stop();
  EXPECT_EQ(pobix->recorders[0]->State(), CAudioRecorder::kStopped);

  // The next run records again.
  pobix->Start(kPobixRecord);
  Advance(200);
  pobix->Stop();
  EXPECT_EQ(Log().deliveries[1].size(), 5u);
}

TEST_F(RecorderTest, AnInputThatFailsForGoodEndsTheRunWithADropout) {
  MakePobix();
  AddInput(0, true, 1);
  pobix->Start(kPobixRecord);
  Advance(200);
  system->SetInputFailed(0, true);  // pulled out
  Advance(500);
  const CallbackLog log = Log();
  EXPECT_EQ(log.sequence, (std::vector<std::string>{"recorder end", "recorder dropout"}));
  ASSERT_EQ(log.dropouts.size(), 1u);
  EXPECT_EQ(log.dropouts[0], (std::pair<std::string, std::string>{"recording", "Consecutive Delays"}));
  EXPECT_EQ(log.deliveries.at(1).size(), 2u);
  pobix->Stop();
  EXPECT_EQ(pobix->recorders[0]->State(), CAudioRecorder::kStopped);

  // Plugged back in, the next run records again.
  system->SetInputFailed(0, false);
  pobix->Start(kPobixRecord);
  Advance(200);
  pobix->Stop();
  EXPECT_EQ(Log().deliveries.at(1).size(), 4u);
  EXPECT_EQ(Log().dropouts.size(), 1u);
}

TEST_F(RecorderTest, AStopFromTheRecordersOwnCallbackDoesNotWaitOnItself) {
  MakePobix();
  AddInput(0, true, 1);
  TestHooks().onInput = [this](uint32_t, size_t number) {
    if (number == 3) pobix->Stop();
  };
  pobix->Start(kPobixRecord);
  Advance(600);
  EXPECT_EQ(Log().deliveries[1].size(), 3u);
  EXPECT_EQ(pobix->recorders[0]->State(), CAudioRecorder::kStopped);
  // A stop that waited on itself would have ended in a time-out report here.
}

TEST_F(RecorderTest, AFailedDeviceStopEndsInATimeOutAndTheNextRunRecovers) {
  MakePobix();
  AddInput(0, true, 1);
  system->SetStopFails(0, true);
  system->SetWaitLimit(100);
  pobix->Start(kPobixRecord);
  Advance(200);
  pobix->Stop();
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 2u);
  // The recorder's report comes from its own thread, so the order is not fixed.
  if (reports[0].report.title == "Pobix") std::swap(reports[0], reports[1]);
  EXPECT_EQ(reports[0].report.title, "AudioRecorder");
  EXPECT_EQ(reports[0].report.line, 898);
  EXPECT_EQ(reports[0].report.message, "Audio I/O Error # 1\n");
  EXPECT_EQ(reports[1].report.title, "Pobix");
  EXPECT_EQ(reports[1].report.line, 741);

  // A stop asked again tries the device again.
  system->SetStopFails(0, false);
  pobix->Stop();
  EXPECT_EQ(pobix->recorders[0]->State(), CAudioRecorder::kStopped);
  pobix->Start(kPobixRecord);
  Advance(200);
  pobix->Stop();
  EXPECT_EQ(Log().deliveries[1].size(), 4u);
}

TEST_F(RecorderTest, MonitoringDeliversNothingButShowsTheNewestAudio) {
  MakePobix();
  AddInput(0, true, 0);
  pobix->Start(kPobixMonitor);
  Advance(150);
  EXPECT_TRUE(Log().delivered.empty());

  // 150 ms captured: the newest 50 ms are the start of the second buffer.
  std::vector<uint8_t> tap(8820, 0xAA);
  unsigned char* out = tap.data();
  pobix->GetCurrentInputBuffer(0, &out, 8820);
  ExpectSignal(tap, CVirtualWaveSystem::FrameAt(1100));

  std::vector<uint8_t> untouched(16, 0xAA);
  out = untouched.data();
  pobix->GetCurrentInputBuffer(5, &out, 16);
  EXPECT_EQ(untouched, std::vector<uint8_t>(16, 0xAA));

  pobix->Stop();
  Advance(10);
  EXPECT_EQ(pobix->recorders[0]->State(), CAudioRecorder::kStopped);
  pobix->GetCurrentInputBuffer(0, &out, 16);
  EXPECT_EQ(untouched, std::vector<uint8_t>(16, 0));
}

TEST_F(RecorderTest, AWaveFileCanBeTheInputSignal) {
  CTempFolder folder;
  // 5000 mono frames of a ramp, written field by field.
  const uint32_t frames = 5000;
  std::vector<uint8_t> file;
  auto put = [&file](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) file.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  file.insert(file.end(), {'R', 'I', 'F', 'F'});
  put(36 + frames * 2, 4);
  file.insert(file.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  put(16, 4);
  put(1, 2);
  put(1, 2);
  put(44100, 4);
  put(88200, 4);
  put(2, 2);
  put(16, 2);
  file.insert(file.end(), {'d', 'a', 't', 'a'});
  put(frames * 2, 4);
  for (uint32_t i = 0; i < frames; ++i) put(static_cast<uint16_t>(i * 6 - 15000), 2);
  std::ofstream(folder / "ramp.wav", std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  std::string error;
  ASSERT_TRUE(system->SetInputWaveFile(0, folder / "ramp.wav", &error)) << error;

  MakePobix();
  AddInput(0, true, 1);
  pobix->Start(kPobixRecord);
  Advance(200);
  pobix->Stop();
  const std::vector<uint8_t> recorded = Delivered(1);
  ASSERT_EQ(recorded.size(), 2 * kBufferBytes);
  for (size_t k = 0; k < recorded.size() / 4; ++k) {
    const int16_t expected = k < frames ? static_cast<int16_t>(k * 6 - 15000) : 0;
    ASSERT_EQ(SampleAt(recorded, 2 * k), expected) << k;
    ASSERT_EQ(SampleAt(recorded, 2 * k + 1), expected) << k;
  }
}

}  // namespace
}  // namespace tessiro::test
