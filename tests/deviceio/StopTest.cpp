// Stops: the program's stop of a recording returns only once every recorder of
// the run is through, whatever ran before it; a stop asked from a device
// callback waits for nothing and touches no other run.
#include <atomic>
#include <chrono>
#include <thread>

#include "AudioPlayer.h"
#include "AudioRecorder.h"
#include "PobixHarness.h"
#include "ReportRecorder.h"

namespace tessiro::test {
namespace {

// Whether another thread holds the lock now.
bool HeldElsewhere(platform::CCriticalSection& lock) {
  if (!lock.try_lock()) return true;
  lock.unlock();
  return false;
}

TEST_F(PobixTest, AStopAfterMonitoringStillWaitsForTheRecordingThatFollows) {
  Devices({"Speakers"}, {"Line In", "USB Mic"});
  MakePobix();
  for (int cycle = 0; cycle < 600; ++cycle) {
    ASSERT_EQ(AddInput(0, true, 0), 0u);
    ASSERT_EQ(AddInput(3, true, 0), 0u);
    pobix->Start(kPobixMonitor);
    if (cycle % 2) Advance(100);
    pobix->Stop();  // returns at once; the recorders stop on their own threads
    pobix->RemoveAllInputs();

    ASSERT_EQ(AddInput(0, true, 1), 0u);
    ASSERT_EQ(AddInput(3, false, 2), 0u);
    pobix->Start(kPobixRecord);
    Advance(100);
    pobix->Stop();
    for (int r = 0; r < 2; ++r) {
      ASSERT_EQ(pobix->recorders[r]->State(), CAudioRecorder::kStopped) << "cycle " << cycle;
      ASSERT_EQ(system->QueuedBuffers(Direction::Input, static_cast<uint32_t>(r)), 0u) << "cycle " << cycle;
    }
    ASSERT_EQ(pobix->GetOutputBytesWritten(1), kBufferBytes) << "cycle " << cycle;
    ASSERT_EQ(pobix->GetOutputBytesWritten(2), kBufferBytes / 2) << "cycle " << cycle;
    pobix->RemoveAllInputs();
  }
  EXPECT_TRUE(Log().recorderEnds.empty());
}

TEST_F(PobixTest, NoInputCallbackRunsOnceTheStopOfARecordingHasReturned) {
  UseRealTime();
  Devices({"Speakers"}, {"Line In", "USB Mic"});
  MakePobix(4096);
  constexpr uint32_t kTenMs = 1764;
  std::atomic<bool> returned{false};
  std::atomic<int> inside{0}, afterReturn{0}, deliveries{0};
  TestHooks().onInput = [&](uint32_t slot, size_t) {
    if (slot == 0) return;
    ++inside;
    if (returned) ++afterReturn;
    std::this_thread::sleep_for(std::chrono::microseconds(300));
    ++deliveries;
    --inside;
  };
  for (int cycle = 0; cycle < 500; ++cycle) {
    AddInput(0, true, 0, kTenMs);
    AddInput(3, true, 0, kTenMs);
    pobix->Start(kPobixMonitor);
    std::this_thread::sleep_for(std::chrono::microseconds(cycle % 5 * 400));
    pobix->Stop();
    pobix->RemoveAllInputs();

    AddInput(0, true, 1, kTenMs);
    AddInput(4, false, 2, kTenMs);
    const int before = deliveries;
    returned = false;
    pobix->Start(kPobixRecord);
    ASSERT_TRUE(Eventually([&] { return deliveries >= before + 2; })) << "cycle " << cycle;
    pobix->Stop();
    returned = true;
    ASSERT_EQ(inside.load(), 0) << "cycle " << cycle;
    ASSERT_EQ(pobix->recorders[0]->State(), CAudioRecorder::kStopped) << "cycle " << cycle;
    ASSERT_EQ(pobix->recorders[1]->State(), CAudioRecorder::kStopped) << "cycle " << cycle;
    pobix->RemoveAllInputs();
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(afterReturn.load(), 0);
}

TEST_F(PobixTest, AStopFromARecorderCallbackWhileTheProgramStopsWaitsForNothing) {
  Devices({"Speakers"}, {"Line In", "USB Mic"});
  MakePobix();
  system->SetWaitLimit(1000);
  AddInput(0, true, 1);
  AddInput(3, true, 2);
  std::atomic<bool> entered{false};
  TestHooks().onInput = [&](uint32_t slot, size_t number) {
    if (slot != 2 || number != 2) return;
    entered = true;
    // The program's thread is inside its own Stop, holding the lock, and waits
    // for this recorder.
    while (!HeldElsewhere(pobix->lock)) std::this_thread::yield();
    pobix->Stop();
  };
  pobix->Start(kPobixRecord);
  std::thread advancer([&] { system->Advance(200); });
  while (!entered) std::this_thread::yield();
  pobix->Stop();
  advancer.join();
  EXPECT_EQ(pobix->recorders[0]->State(), CAudioRecorder::kStopped);
  EXPECT_EQ(pobix->recorders[1]->State(), CAudioRecorder::kStopped);
  EXPECT_EQ(Log().deliveries[2].size(), 2u);
  // A stop that waited on the lock would have left the program's stop to time out.
  EXPECT_TRUE(Reports().Take().empty());
}

TEST_F(PobixTest, AStopFromThePlayersEndCallbackWhileTheProgramStartsKeepsTheNewRun) {
  Devices({"Speakers"}, {});
  MakePobix();
  Plan({{}, {1000, true}});
  std::atomic<bool> entered{false}, starting{false};
  TestHooks().onEnd = [&] {
    if (entered.exchange(true)) return;
    // The program has already stopped this run and is starting the next: it holds
    // the lock inside Start while the player thread is still in this callback.
    while (!(starting && HeldElsewhere(pobix->lock))) std::this_thread::yield();
    pobix->Stop();
  };
  pobix->Start(kPobixPlay);
  std::thread advancer([&] { system->Advance(200); });
  while (!entered) std::this_thread::yield();
  pobix->Stop();
  starting = true;
  pobix->Start(kPobixPlay);
  advancer.join();
  const size_t fills = Log().fillSizes.size();
  Advance(300);

  // The late stop belonged to the run that had ended; the new one plays on.
  EXPECT_EQ(pobix->player->State(), CAudioPlayer::kPlaying);
  EXPECT_GE(Log().fillSizes.size(), fills + 3);
  EXPECT_EQ(Log().ends.size(), 1u);
  EXPECT_TRUE(Reports().Take().empty());
  pobix->Stop();
}

}  // namespace
}  // namespace tessiro::test
