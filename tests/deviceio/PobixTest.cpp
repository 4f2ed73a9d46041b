#include <chrono>
#include <cstring>
#include <random>
#include <thread>

#include "AudioPlayer.h"
#include "AudioRecorder.h"
#include "PobixHarness.h"
#include "ReportRecorder.h"
#include "ThreadCount.h"

namespace tessiro::test {
namespace {

void ExpectDevice(const PobixDevice& entry, int32_t ordinal, int32_t deviceId, const char* name) {
  EXPECT_EQ(entry.ordinal, ordinal);
  EXPECT_EQ(entry.deviceId, deviceId);
  EXPECT_STREQ(entry.name, name);
}

TEST_F(PobixTest, DeviceListsLeaveOutDevicesThatCannotTakeTheFormat) {
  Devices({"Speakers", "Mono Only", "HDMI"}, {"Line In", "Broken", "USB Mic", "Busy", "An Extremely Long Interface Name"});
  system->SetFormatRejected(Direction::Output, 1, true);
  system->SetFormatRejected(Direction::Input, 1, true);
  system->SetOpenError(Direction::Input, 3, platform::kWaveAllocated);
  pobix = std::make_unique<CPobix>();

  EXPECT_EQ(pobix->GetOutputDeviceCount(), 2);
  EXPECT_EQ(pobix->GetOutputPhysicalDeviceCount(), 2);
  ExpectDevice(pobix->GetOutputDevices()[0], 0, 0, "Speakers (0)");
  ExpectDevice(pobix->GetOutputDevices()[1], 1, 2, "HDMI (1)");

  ASSERT_EQ(pobix->GetInputPhysicalDeviceCount(), 3);
  ASSERT_EQ(pobix->GetInputDeviceCount(), 9);
  EXPECT_EQ(pobix->physicalInputDevices[0].deviceId, 0);
  EXPECT_STREQ(pobix->physicalInputDevices[0].name, "Line In");
  EXPECT_EQ(pobix->physicalInputDevices[1].deviceId, 2);
  EXPECT_STREQ(pobix->physicalInputDevices[1].name, "USB Mic");
  EXPECT_EQ(pobix->physicalInputDevices[2].deviceId, 4);
  ExpectDevice(pobix->GetInputDevices()[0], 0, 0, "Line In (0) - Stereo");
  ExpectDevice(pobix->GetInputDevices()[2], 2, 0, "Line In (0) - Right Channel");
  ExpectDevice(pobix->GetInputDevices()[4], 4, 1, "USB Mic (1) - Left Channel");
  // Product names are at most 31 characters.
  ExpectDevice(pobix->GetInputDevices()[6], 6, 2, "An Extremely Long Interface Nam (2) - Stereo");

  // Listing leaves nothing open and starts no thread.
  for (uint32_t id = 0; id < 5; ++id) EXPECT_FALSE(system->IsOpen(Direction::Input, id));
  EXPECT_FALSE(pobix->player);
  EXPECT_EQ(pobix->recorderCount, 0);

  // The inputs of a device listed one place lower than its id still find its recorder.
  pobix->OutputInit(0, FillCallback);
  for (uint32_t p = 0; p < 3; ++p) pobix->SetupPhysicalInput(p, 44100, 16);
  EXPECT_EQ(pobix->recorders[1]->DeviceId(), 2);
  EXPECT_EQ(AddInput(4, false, 1), 0u);
  EXPECT_EQ(pobix->recorders[1]->InputCount(), 1);
}

TEST_F(PobixTest, AtMostSixteenInputsAndOutputsAreListed) {
  for (int i = 0; i < 20; ++i) Devices({"Out " + std::to_string(i)}, {"In " + std::to_string(i)});
  pobix = std::make_unique<CPobix>();
  EXPECT_EQ(pobix->GetOutputDeviceCount(), 16);
  EXPECT_EQ(pobix->GetInputPhysicalDeviceCount(), 16);
  EXPECT_EQ(pobix->GetInputDeviceCount(), 48);
  EXPECT_STREQ(pobix->inputDevices[47].name, "In 15 (15) - Right Channel");
}

TEST_F(PobixTest, AddInputAnswersWhetherTheInputWasTaken) {
  Devices({"Speakers"}, {"Line In", "USB Mic", "Spare"});
  pobix = std::make_unique<CPobix>();
  pobix->OutputInit(0, FillCallback);
  pobix->SetupPhysicalInput(0, 44100, 16);
  pobix->SetupPhysicalInput(1, 44100, 16);

  for (int slot = 1; slot <= 4; ++slot) EXPECT_EQ(AddInput(slot % 3, slot % 2 == 0, slot), 0u);
  EXPECT_EQ(AddInput(1, true, 5), 1u);  // a fifth on the same device
  EXPECT_EQ(pobix->recorders[0]->InputCount(), 4);
  EXPECT_FALSE(pobix->recorders[0]->HasSlot(5));
  EXPECT_EQ(AddInput(5, true, 5), 0u);  // another device still takes one
  EXPECT_EQ(AddInput(6, true, 6), 2u);  // no recorder serves the third device
  EXPECT_EQ(AddInput(99, true, 6), 2u);
  EXPECT_EQ(AddInput(-1, true, 6), 2u);
  EXPECT_EQ(pobix->stopEventCount, 2);

  EXPECT_EQ(pobix->AddInput(nullptr), 0u);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "Pobix");

  pobix->RemoveAllInputs();
  EXPECT_EQ(pobix->recorders[0]->InputCount(), 0);
  EXPECT_EQ(pobix->recorders[1]->InputCount(), 0);
  EXPECT_EQ(pobix->stopEventCount, 0);
  EXPECT_EQ(pobix->GetOutputBytesWritten(1), 0u);
}

TEST_F(PobixTest, FailedOpensAreReportedWithTheDevicesNameAndTheReason) {
  Devices({"Speakers"}, {"Line In"});
  pobix = std::make_unique<CPobix>();

  system->SetOpenError(Direction::Output, 0, platform::kWaveAllocated);
  EXPECT_EQ(pobix->OutputInit(0, FillCallback), 0u) << "a device that did not open is a failed init";
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "AudioPlayer");
  EXPECT_EQ(reports[0].report.line, 232);
  EXPECT_EQ(reports[0].report.message, "Failed to open audio output device");

  const std::pair<uint32_t, const char*> reasons[] = {
      {2, "Device ID is out of range"},
      {4, "Device already allocated"},
      {12, "Handle being used symultaneously on another thread (eg callback)"},
      {20, "Driver does not call DriverCallback / Last error in range"},
      {32, "Unsupported wave format"},
      {35, "Device is synchronous / Last error in range"},
      {1, "Unspecified Error"},
      {99, "Unspecified Error"},
  };
  for (const auto& [code, text] : reasons) {
    system->SetOpenError(Direction::Input, 0, code);
    pobix->SetupPhysicalInput(0, 44100, 16);
    reports = Reports().Take();
    ASSERT_EQ(reports.size(), 1u) << code;
    EXPECT_EQ(reports[0].report.title, "AudioRecorder");
    EXPECT_EQ(reports[0].report.line, 357);
    EXPECT_EQ(reports[0].report.message,
              std::string("AudioInDev: 0 - PhysicalDeviceID: 0 - Device Name: Line In - ") + text);
  }

  // Starting a recorder without a device is a reported fault, and its stop does
  // not wait for a device that never ran.
  ASSERT_EQ(AddInput(0, true, 1), 0u);
  pobix->Start(kPobixRecord);
  reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "AudioRecorder");
  pobix->Stop();

  // Once the output is free, opening it again plays.
  system->SetOpenError(Direction::Output, 0, platform::kWaveOk);
  pobix->OutputInit(0, FillCallback);
  pobix->SetOutputBufferInfo(2, kBufferBytes);
  pobix->UpdateEndOfAudioCallback(EndCallback);
  Plan({{100, true}});
  pobix->Start(kPobixPlay);
  Advance(100);
  EXPECT_EQ(Log().ends.size(), 1u);
}

TEST_F(PobixTest, WithoutAnyOutputTheOpenFailsAndSaysSo) {
  Devices({}, {});
  pobix = std::make_unique<CPobix>();
  EXPECT_EQ(pobix->GetOutputDeviceCount(), 0);
  pobix->OutputInit(0, FillCallback);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.message, "Failed to open audio output device");
  EXPECT_EQ(pobix->GetMillisecondsPlayed(), 0u);

  // Play cannot play: a fault, and the run ends by itself so the transport stops.
  pobix->UpdateEndOfAudioCallback(EndCallback);
  TestHooks().onEnd = [this] { pobix->Stop(); };
  pobix->Start(kPobixPlay);
  // No device is open, so no clock step waits for the player thread: wait here.
  EXPECT_TRUE(Eventually([&] { return Log().ends.size() == 1 && pobix->player->State() == CAudioPlayer::kStopped; }));
  reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "AudioPlayer");
}

TEST_F(PobixTest, AnOutputIndexBeyondTheListPlaysOnTheFirstOutput) {
  Devices({"Speakers", "HDMI"}, {});
  pobix = std::make_unique<CPobix>();
  pobix->OutputInit(7, FillCallback);
  EXPECT_TRUE(system->IsOpen(Direction::Output, 0));
  pobix->OutputInit(1, FillCallback);
  EXPECT_FALSE(system->IsOpen(Direction::Output, 0));
  EXPECT_TRUE(system->IsOpen(Direction::Output, 1));
}

TEST_F(PobixTest, StartTypesBeyondMonitoringStartNothing) {
  Devices({"Speakers"}, {"Line In"});
  MakePobix();
  AddInput(0, true, 1);
  EXPECT_EQ(pobix->Start(4), 1u);
  EXPECT_EQ(pobix->GetLastStartType(), 4u);
  Advance(300);
  EXPECT_EQ(pobix->Stop(), 1u);
  const CallbackLog log = Log();
  EXPECT_TRUE(log.fillSizes.empty());
  EXPECT_TRUE(log.delivered.empty());
  EXPECT_EQ(system->QueuedBuffers(Direction::Output, 0), 0u);
  EXPECT_EQ(system->QueuedBuffers(Direction::Input, 0), 0u);
}

TEST_F(PobixTest, StartAndStopTwoHundredTimesInARow) {
  Devices({"Speakers"}, {"Line In", "USB Mic"});
  MakePobix();
  // The player's thread and one per recorder.
  ASSERT_EQ(AwaitThreadsNamed("tessiro-", 3), 3);
  const uint32_t types[] = {kPobixPlayAndRecord, kPobixRecord, kPobixPlay, kPobixMonitor};
  size_t fills = 0;
  for (int i = 0; i < 200; ++i) {
    const uint32_t type = types[i % 4];
    ASSERT_EQ(AddInput(0, true, 1), 0u);
    ASSERT_EQ(AddInput(4, false, 2), 0u);
    pobix->Start(type);
    Advance(120 + (i % 3) * 40);
    pobix->Stop();
    if (type == kPobixRecord || type == kPobixPlayAndRecord) {
      ASSERT_GE(pobix->GetOutputBytesWritten(1), kBufferBytes) << "cycle " << i;
      ASSERT_GE(pobix->GetOutputBytesWritten(2), kBufferBytes / 2) << "cycle " << i;
    }
    if (type == kPobixPlay || type == kPobixPlayAndRecord) {
      const size_t now = Log().fillSizes.size();
      ASSERT_GE(now, fills + 3) << "cycle " << i;
      fills = now;
    }
    pobix->RemoveAllInputs();
  }
  Advance(10);
  EXPECT_EQ(pobix->player->State(), CAudioPlayer::kStopped);
  EXPECT_EQ(pobix->recorders[0]->State(), CAudioRecorder::kStopped);
  EXPECT_EQ(pobix->recorders[1]->State(), CAudioRecorder::kStopped);
  EXPECT_EQ(ThreadsNamed("tessiro-"), 3);
  EXPECT_TRUE(Log().ends.empty());
  EXPECT_TRUE(Log().dropouts.empty());
}

TEST_F(PobixTest, StartAndStopOnAFreeRunningClock) {
  UseRealTime();
  Devices({"Speakers"}, {"Line In", "USB Mic"});
  MakePobix(4096);
  std::mt19937 random(12345);
  for (int i = 0; i < 40; ++i) {
    AddInput(0, true, 1, 4096);
    AddInput(5, true, 2, 4096);
    pobix->Start(i % 2 ? kPobixPlayAndRecord : kPobixRecord);
    std::this_thread::sleep_for(std::chrono::milliseconds(random() % 40));
    pobix->Stop();
    pobix->RemoveAllInputs();
  }
  pobix.reset();
  EXPECT_FALSE(system->IsOpen(Direction::Output, 0));
  EXPECT_FALSE(system->IsOpen(Direction::Input, 1));
}

TEST_F(PobixTest, DestroyingWhilePlayingAndRecordingEndsEveryThread) {
  Devices({"Speakers"}, {"Line In", "USB Mic"});
  MakePobix();
  AddInput(0, true, 1);
  AddInput(3, true, 2);
  pobix->Start(kPobixPlayAndRecord);
  Advance(250);
  EXPECT_EQ(AwaitThreadsNamed("tessiro-", 3), 3);
  pobix.reset();
  EXPECT_EQ(AwaitThreadsNamed("tessiro-", 0), 0);
  EXPECT_FALSE(system->IsOpen(Direction::Output, 0));
  EXPECT_FALSE(system->IsOpen(Direction::Input, 0));
  EXPECT_FALSE(system->IsOpen(Direction::Input, 1));
}

}  // namespace
}  // namespace tessiro::test
