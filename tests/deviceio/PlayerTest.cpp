#include <atomic>
#include <thread>

#include "AudioPlayer.h"
#include "PobixHarness.h"
#include "ReportRecorder.h"

namespace tessiro::test {
namespace {

std::vector<uint8_t> Stream(size_t from, size_t bytes) {
  std::vector<uint8_t> out(bytes);
  for (size_t i = 0; i < bytes; ++i) out[i] = StreamByte(from + i);
  return out;
}

class PlayerTest : public PobixTest {
 protected:
  void SetUp() override {
    PobixTest::SetUp();
    Devices({"Speakers"}, {});
    MakePobix();
  }
};

TEST_F(PlayerTest, PlaysExactlyTheFilledBytesInOrderAndCountsTheMilliseconds) {
  // Four full buffers, then 1000 bytes with the end: 71560 bytes, 405.67 ms.
  Plan({{}, {}, {}, {}, {1000, true}});
  pobix->Start(kPobixPlay);
  EXPECT_EQ(pobix->GetMillisecondsPlayed(), 0u);
  Advance(250);
  EXPECT_EQ(pobix->GetMillisecondsPlayed(), 250u);
  Advance(350);

  const CallbackLog log = Log();
  EXPECT_EQ(log.fillSizes, std::vector<uint32_t>(5, kBufferBytes));
  EXPECT_EQ(log.filled, Stream(0, 71560));
  EXPECT_EQ(system->PlayedBytes(0), log.filled);
  const auto runs = system->PlayedRuns(0);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].firstFrame, CVirtualWaveSystem::FrameAt(1000));
  // The last frame ends at frame 44100 + 17890, reached at 1405.67 ms.
  EXPECT_EQ(log.ends, std::vector<uint64_t>{1406});
  EXPECT_TRUE(log.dropouts.empty());
  EXPECT_EQ(pobix->GetMillisecondsPlayed(), 405u);

  pobix->Stop();
  Advance(10);
  EXPECT_EQ(pobix->player->State(), CAudioPlayer::kStopped);
  EXPECT_EQ(pobix->GetMillisecondsPlayed(), 0u);
}

TEST_F(PlayerTest, AudioEndingOnABufferBoundaryEndsOnceWhenTheLastBufferHasPlayed) {
  Plan({{}, {}, {}, {0, true}});
  pobix->Start(kPobixPlay);
  Advance(1000);
  const CallbackLog log = Log();
  EXPECT_EQ(log.ends, std::vector<uint64_t>{1300});
  EXPECT_EQ(log.fillSizes.size(), 4u);
  EXPECT_EQ(system->PlayedBytes(0), Stream(0, 3 * kBufferBytes));
  EXPECT_EQ(pobix->GetMillisecondsPlayed(), 300u);
}

TEST_F(PlayerTest, AudioEndingInTheFirstBufferPlaysItAloneAndEndsOnce) {
  Plan({{4096, true}});
  pobix->Start(kPobixPlay);
  Advance(500);
  const CallbackLog log = Log();
  EXPECT_EQ(log.fillSizes.size(), 1u);  // the second buffer is never asked for
  EXPECT_EQ(system->PlayedBytes(0), Stream(0, 4096));
  EXPECT_EQ(log.ends, std::vector<uint64_t>{1024});  // 1024 frames take 23.2 ms
}

TEST_F(PlayerTest, NothingToPlayAtAllStillEndsOnce) {
  Plan({{0, true}});
  pobix->Start(kPobixPlay);
  Advance(300);
  EXPECT_EQ(Log().ends.size(), 1u);
  EXPECT_TRUE(system->PlayedBytes(0).empty());
}

TEST_F(PlayerTest, AnInstantDeviceThatHandsEveryBufferBackAtOnceStillEndsEachRun) {
  // Unpaced, the device plays both first buffers the moment playback is released
  // and their notices are handled before Start returns.
  system->SetInstant(0, true);
  size_t played = 0;
  for (int run = 0; run < 3; ++run) {
    Plan({{}, {}, {}, {500, true}});
    pobix->Start(kPobixPlay);
    const CallbackLog log = Log();
    ASSERT_EQ(log.ends.size(), static_cast<size_t>(run + 1)) << "run " << run;
    played += 3 * kBufferBytes + 500;
    EXPECT_EQ(system->PlayedBytes(0), Stream(0, played));
    pobix->Stop();
  }
}

TEST_F(PlayerTest, EachRunEndsOnceAndAStopFromTheEndCallbackTakesEffect) {
  // As the program does: the end of the audio stops the transport from the player thread.
  TestHooks().onEnd = [this] { pobix->Stop(); };
  for (int run = 0; run < 3; ++run) {
    Plan({{}, {500, true}});
    pobix->Start(kPobixPlay);
    Advance(400);
    EXPECT_EQ(Log().ends.size(), static_cast<size_t>(run + 1));
    EXPECT_EQ(pobix->player->State(), CAudioPlayer::kStopped);
    EXPECT_EQ(system->QueuedBuffers(Direction::Output, 0), 0u);
  }
}

TEST_F(PlayerTest, TwoLateFillsInARowEndThePlaybackWithOneDropout) {
  // Late means more than three buffers (300 ms) after the previous fill.
  Plan({{}, {}, {kFull, false, 301}, {kFull, false, 301}, {}, {}, {kFull, false, 301}, {kFull, false, 301}});
  pobix->Start(kPobixPlay);
  Advance(3000);
  const CallbackLog log = Log();
  EXPECT_EQ(log.sequence, (std::vector<std::string>{"end", "dropout"}));
  ASSERT_EQ(log.dropouts.size(), 1u);
  EXPECT_EQ(log.dropouts[0], (std::pair<std::string, std::string>{"playback", "Consecutive Delays"}));
  // The late buffers are still played, in order.
  const std::vector<uint8_t> played = system->PlayedBytes(0);
  ASSERT_GE(played.size(), 4u * kBufferBytes);
  EXPECT_EQ(played, Stream(0, played.size()));
}

TEST_F(PlayerTest, FiveScatteredLateFillsGiveAnAccumulatedDropout) {
  std::vector<FillStep> plan{{}, {}};
  for (int i = 0; i < 6; ++i) {
    plan.push_back({kFull, false, 301});
    plan.push_back({});
  }
  Plan(plan);
  pobix->Start(kPobixPlay);
  Advance(4000);
  const CallbackLog log = Log();
  EXPECT_EQ(log.sequence, (std::vector<std::string>{"end", "dropout"}));
  ASSERT_EQ(log.dropouts.size(), 1u);
  EXPECT_EQ(log.dropouts[0].second, "Accumulated Delays");
}

TEST_F(PlayerTest, BufferSizesChangeOnlyWhileStoppedAndWithinTheArea) {
  pobix->Start(kPobixPlay);
  Advance(150);
  pobix->SetOutputBufferInfo(2, 8820);  // playing: ignored
  Advance(300);
  pobix->Stop();
  Advance(10);
  for (uint32_t size : Log().fillSizes) EXPECT_EQ(size, kBufferBytes);

  // Three buffers, or two that overflow the 512 KB area, are refused.
  pobix->SetOutputBufferInfo(3, 4096);
  pobix->SetOutputBufferInfo(2, 300000);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 2u);
  for (const auto& r : reports) EXPECT_EQ(r.report.title, "AudioPlayer");

  pobix->SetOutputBufferInfo(2, 8820);
  pobix->Start(kPobixPlay);
  Advance(100);
  pobix->Stop();
  Advance(10);
  EXPECT_EQ(Log().fillSizes.back(), 8820u);
}

TEST_F(PlayerTest, AStartRightAfterAStopNeverLosesTheNewRun) {
  Plan({{}, {}, {}, {}, {}, {2000, true}});
  std::atomic<bool> entered{false}, release{false};
  TestHooks().onFill = [&](size_t number) {
    if (number != 3) return;
    entered = true;
    while (!release) std::this_thread::yield();
  };
  pobix->Start(kPobixPlay);
  // The player thread is held inside its third fill while the stop and the next
  // start arrive.
  std::thread advancer([&] { system->Advance(100); });
  while (!entered) std::this_thread::yield();
  pobix->Stop();
  std::thread starter([&] { pobix->Start(kPobixPlay); });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  release = true;
  starter.join();
  advancer.join();

  Advance(400);
  const CallbackLog log = Log();
  // The second run plays fills 4 to 6 from 1100 and ends when they are through.
  ASSERT_EQ(log.ends.size(), 1u);
  EXPECT_EQ(log.ends[0], 1312u);
  const auto runs = system->PlayedRuns(0);
  ASSERT_FALSE(runs.empty());
  EXPECT_EQ(runs.back().firstFrame, CVirtualWaveSystem::FrameAt(1100));
  const std::vector<uint8_t> played = system->PlayedBytes(0);
  const std::vector<uint8_t> secondRun(played.begin() + static_cast<long>(runs.back().offset), played.end());
  EXPECT_EQ(secondRun, Stream(3 * kBufferBytes, 2 * kBufferBytes + 2000));
}

TEST_F(PlayerTest, TheMeterTapJoinsTheBuffersAroundThePlayPosition) {
  pobix->Start(kPobixPlay);
  Advance(250);  // third 100 ms since the start: buffer 0, 50 ms in
  int16_t number = -1;
  uint32_t position = 0;
  pobix->GetCurrentOutputBufferNumberAndPosition(&number, &position);
  EXPECT_EQ(number, 0);
  EXPECT_EQ(position, 8820u);

  // Before both buffers have played once, there is nothing older than the current one.
  std::vector<uint8_t> tap(kBufferBytes, 0xAA);
  unsigned char* out = tap.data();
  pobix->GetCurrentOutputBuffer(&out, kBufferBytes);
  const std::vector<uint8_t> third = Stream(2 * kBufferBytes, 8820);
  EXPECT_EQ(std::vector<uint8_t>(tap.begin(), tap.begin() + 8820), std::vector<uint8_t>(8820, 0));
  EXPECT_EQ(std::vector<uint8_t>(tap.begin() + 8820, tap.end()), third);

  Advance(100);  // buffer 1, 50 ms into the fourth fill
  std::vector<uint8_t> small(4000);
  out = small.data();
  pobix->GetCurrentOutputBuffer(&out, 4000);
  EXPECT_EQ(small, Stream(3 * kBufferBytes + 8820 - 4000, 4000));

  // A request longer than a buffer gets silence for what no buffer holds.
  std::vector<uint8_t> large(40000, 0xAA);
  out = large.data();
  pobix->GetCurrentOutputBuffer(&out, 40000);
  EXPECT_EQ(std::vector<uint8_t>(large.begin(), large.begin() + 40000 - kBufferBytes),
            std::vector<uint8_t>(40000 - kBufferBytes, 0));
  EXPECT_EQ(std::vector<uint8_t>(large.end() - 8820, large.end()), Stream(3 * kBufferBytes, 8820));
}

}  // namespace
}  // namespace tessiro::test
