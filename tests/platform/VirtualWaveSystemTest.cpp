#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "VirtualWaveSystem.h"

using platform::CMessageQueue;
using platform::CVirtualWaveSystem;
using platform::CWaveIn;
using platform::CWaveOut;
using platform::ThreadMessage;
using platform::WaveFormat;
using platform::WaveHeader;
using Direction = CVirtualWaveSystem::Direction;

namespace {

// Takes every notice waiting; the calling thread becomes the queue's consumer, so
// Advance never waits for it.
std::vector<ThreadMessage> Drain(CMessageQueue& queue) {
  std::vector<ThreadMessage> out;
  ThreadMessage m;
  while (queue.Get(m, 0)) out.push_back(m);
  return out;
}

struct Buffer {
  explicit Buffer(uint32_t bytes, uint8_t seed = 0) : memory(bytes) {
    for (uint32_t i = 0; i < bytes; ++i) memory[i] = static_cast<uint8_t>(seed + i * 13);
    header.data = memory.data();
    header.bufferLength = bytes;
  }
  std::vector<uint8_t> memory;
  WaveHeader header;
};

std::unique_ptr<CWaveOut> OpenOut(CVirtualWaveSystem& system, CMessageQueue& queue, uint32_t id = 0) {
  std::unique_ptr<CWaveOut> out;
  EXPECT_EQ(system.OpenOutput(id, WaveFormat{}, &queue, out), platform::kWaveOk);
  return out;
}

std::unique_ptr<CWaveIn> OpenIn(CVirtualWaveSystem& system, CMessageQueue& queue, uint32_t id = 0) {
  std::unique_ptr<CWaveIn> in;
  EXPECT_EQ(system.OpenInput(id, WaveFormat{}, &queue, in), platform::kWaveOk);
  return in;
}

int16_t SampleAt(const uint8_t* p) { return static_cast<int16_t>(p[0] | (p[1] << 8)); }

}  // namespace

TEST(VirtualOutput, FlagsFollowTheBufferThroughItsLife) {
  CVirtualWaveSystem system;
  system.AddOutput("Speakers");
  CMessageQueue queue;
  Drain(queue);
  auto out = OpenOut(system, queue);
  Buffer b(400);

  EXPECT_EQ(out->Write(b.header), platform::kWaveUnprepared);
  ASSERT_EQ(out->Prepare(b.header), platform::kWaveOk);
  EXPECT_EQ(b.header.flags.load(), platform::kWavePrepared);
  ASSERT_EQ(out->Write(b.header), platform::kWaveOk);
  EXPECT_EQ(b.header.flags.load(), platform::kWavePrepared | platform::kWaveInQueue);
  EXPECT_EQ(out->Write(b.header), platform::kWaveStillPlaying);
  EXPECT_EQ(out->Unprepare(b.header), platform::kWaveStillPlaying);

  system.Advance(10);  // 400 bytes last 2.27 ms
  EXPECT_EQ(b.header.flags.load(), platform::kWavePrepared | platform::kWaveDone);
  // Unpreparing keeps DONE: a buffer that was not queued again still shows it.
  ASSERT_EQ(out->Unprepare(b.header), platform::kWaveOk);
  EXPECT_EQ(b.header.flags.load(), platform::kWaveDone);
  EXPECT_EQ(out->Unprepare(b.header), platform::kWaveOk);

  // Writing again clears DONE.
  out->Prepare(b.header);
  out->Write(b.header);
  EXPECT_FALSE(b.header.Has(platform::kWaveDone));
  out->Reset();
  EXPECT_EQ(out->Close(), platform::kWaveOk);
}

TEST(VirtualOutput, BuffersPlayBackToBackAndComeBackInOrderAtTheirTime) {
  CVirtualWaveSystem system;
  system.AddOutput("Speakers");
  CMessageQueue queue;
  Drain(queue);
  auto out = OpenOut(system, queue);
  Drain(queue);  // the open notice

  // 17640 bytes are exactly 100 ms; 4096 bytes are 1024 frames, 23.2 ms.
  Buffer first(17640, 1), second(4096, 99);
  out->Prepare(first.header);
  out->Prepare(second.header);
  out->Write(first.header);
  out->Write(second.header);

  system.Advance(99);
  EXPECT_TRUE(Drain(queue).empty());
  uint32_t position = 0;
  out->GetPosition(position);
  EXPECT_EQ(position, CVirtualWaveSystem::FrameAt(1099) * 4 - CVirtualWaveSystem::FrameAt(1000) * 4);

  system.Advance(1);
  auto notices = Drain(queue);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].id, platform::kWaveOutDone);
  EXPECT_EQ(notices[0].param, reinterpret_cast<uintptr_t>(&first.header));

  // The second buffer's 1024 frames end at frame 44100 + 4410 + 1024 = 49534, which
  // the clock reaches at 1123.22 ms, so at 1124.
  system.Advance(23);
  EXPECT_TRUE(Drain(queue).empty());
  system.Advance(1);
  notices = Drain(queue);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].param, reinterpret_cast<uintptr_t>(&second.header));

  // Position is what was played, all of it, and nothing of the idle time after.
  system.Advance(500);
  out->GetPosition(position);
  EXPECT_EQ(position, 17640u + 4096u);

  std::vector<uint8_t> expected = first.memory;
  expected.insert(expected.end(), second.memory.begin(), second.memory.end());
  EXPECT_EQ(system.PlayedBytes(0), expected);
  const auto runs = system.PlayedRuns(0);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].firstFrame, CVirtualWaveSystem::FrameAt(1000));
  EXPECT_EQ(runs[0].bytes, expected.size());
}

TEST(VirtualOutput, PositionStandsWhilePausedAndWhileTheQueueIsDry) {
  CVirtualWaveSystem system;
  system.AddOutput("Speakers");
  CMessageQueue queue;
  Drain(queue);
  auto out = OpenOut(system, queue);
  Buffer b(17640);
  out->Pause();
  out->Prepare(b.header);
  out->Write(b.header);
  system.Advance(50);
  uint32_t position = 1;
  out->GetPosition(position);
  EXPECT_EQ(position, 0u);

  out->Restart();
  system.Advance(50);  // 1050 .. 1100
  out->GetPosition(position);
  EXPECT_EQ(position, 8820u);
  out->Pause();
  system.Advance(30);
  out->GetPosition(position);
  EXPECT_EQ(position, 8820u);
  out->Restart();
  system.Advance(50);
  out->GetPosition(position);
  EXPECT_EQ(position, 17640u);
  system.Advance(200);
  out->GetPosition(position);
  EXPECT_EQ(position, 17640u);

  // Two runs: before and after the pause.
  const auto runs = system.PlayedRuns(0);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].firstFrame, CVirtualWaveSystem::FrameAt(1050));
  EXPECT_EQ(runs[1].firstFrame, CVirtualWaveSystem::FrameAt(1130));
  EXPECT_EQ(system.PlayedBytes(0), b.memory);
}

TEST(VirtualOutput, ResetHandsBackEveryBufferAndCloseRefusesWhileQueued) {
  CVirtualWaveSystem system;
  system.AddOutput("Speakers");
  CMessageQueue queue;
  Drain(queue);
  auto out = OpenOut(system, queue);
  Drain(queue);
  Buffer a(17640), b(17640), c(17640);
  for (Buffer* x : {&a, &b, &c}) {
    out->Prepare(x->header);
    out->Write(x->header);
  }
  system.Advance(150);
  EXPECT_EQ(Drain(queue).size(), 1u);
  EXPECT_EQ(out->Close(), platform::kWaveStillPlaying);
  EXPECT_TRUE(system.IsOpen(Direction::Output, 0));

  ASSERT_EQ(out->Reset(), platform::kWaveOk);
  const auto notices = Drain(queue);
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(notices[0].param, reinterpret_cast<uintptr_t>(&b.header));
  EXPECT_EQ(notices[1].param, reinterpret_cast<uintptr_t>(&c.header));
  for (Buffer* x : {&b, &c}) EXPECT_EQ(x->header.flags.load(), platform::kWavePrepared | platform::kWaveDone);
  uint32_t position = 1;
  out->GetPosition(position);
  EXPECT_EQ(position, 0u);

  ASSERT_EQ(out->Close(), platform::kWaveOk);
  const auto closing = Drain(queue);
  ASSERT_EQ(closing.size(), 1u);
  EXPECT_EQ(closing[0].id, platform::kWaveOutClosed);
  EXPECT_FALSE(system.IsOpen(Direction::Output, 0));
  EXPECT_EQ(out->Write(a.header), platform::kWaveInvalidHandle);
}

TEST(VirtualInput, CapturesTheKnownSignalWithOneNoticePerFullBuffer) {
  CVirtualWaveSystem system;
  system.AddInput("Line In");
  CMessageQueue queue;
  Drain(queue);
  auto in = OpenIn(system, queue);
  Drain(queue);
  Buffer a(17640), b(17640);
  for (Buffer* x : {&a, &b}) {
    in->Prepare(x->header);
    in->AddBuffer(x->header);
  }
  in->Start();
  system.Advance(250);
  const auto notices = Drain(queue);
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(notices[0].id, platform::kWaveInData);
  EXPECT_EQ(notices[0].param, reinterpret_cast<uintptr_t>(&a.header));
  EXPECT_EQ(notices[1].param, reinterpret_cast<uintptr_t>(&b.header));
  EXPECT_EQ(a.header.bytesRecorded, 17640u);

  // Frame n of the capture is the signal at the clock's frame at start + n:
  // left = (frame mod 30000) - 15000, right = 14000 - (7 frame mod 28001).
  const uint64_t start = 44100;
  for (uint32_t f = 0; f < 4410; ++f) {
    const uint64_t frame = start + 4410 + f;
    ASSERT_EQ(SampleAt(b.memory.data() + 4 * f), static_cast<int16_t>(static_cast<int64_t>(frame % 30000) - 15000));
    ASSERT_EQ(SampleAt(b.memory.data() + 4 * f + 2), static_cast<int16_t>(14000 - static_cast<int64_t>(frame * 7 % 28001)));
  }
  // Captured with nowhere to go still counts.
  uint32_t position = 0;
  in->GetPosition(position);
  EXPECT_EQ(position, 11025u * 4);
}

TEST(VirtualInput, StopAndResetHandBackWhatTheBuffersHold) {
  CVirtualWaveSystem system;
  system.AddInput("Line In");
  CMessageQueue queue;
  Drain(queue);
  auto in = OpenIn(system, queue);
  Drain(queue);
  Buffer a(17640), b(17640), c(17640);
  for (Buffer* x : {&a, &b, &c}) {
    in->Prepare(x->header);
    in->AddBuffer(x->header);
  }
  in->Start();
  system.Advance(30);
  // Stop returns the part-filled buffer; the empty ones stay queued.
  ASSERT_EQ(in->Stop(), platform::kWaveOk);
  auto notices = Drain(queue);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(a.header.bytesRecorded, 1323u * 4);
  EXPECT_EQ(in->Unprepare(b.header), platform::kWaveStillPlaying);
  EXPECT_EQ(in->Close(), platform::kWaveStillPlaying);

  ASSERT_EQ(in->Reset(), platform::kWaveOk);
  notices = Drain(queue);
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(b.header.bytesRecorded, 0u);
  uint32_t position = 1;
  in->GetPosition(position);
  EXPECT_EQ(position, 0u);
  EXPECT_EQ(in->Close(), platform::kWaveOk);
  EXPECT_EQ(Drain(queue).back().id, platform::kWaveInClosed);
}

TEST(VirtualInput, PlaysGivenFramesFromTheStartOfCaptureThenSilence) {
  CVirtualWaveSystem system;
  system.AddInput("Line In");
  system.SetInputFrames(0, {3, -5, -32768, 32767});
  CMessageQueue queue;
  Drain(queue);
  auto in = OpenIn(system, queue);
  Buffer a(16);
  in->Prepare(a.header);
  in->AddBuffer(a.header);
  system.Advance(7);  // captures nothing before Start
  in->Start();
  system.Advance(1);
  ASSERT_TRUE(a.header.Has(platform::kWaveDone));
  const int16_t expected[] = {3, -5, -32768, 32767, 0, 0, 0, 0};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(SampleAt(a.memory.data() + 2 * i), expected[i]) << i;
}

TEST(VirtualDevices, InjectedFaultsShowAsResults) {
  CVirtualWaveSystem system;
  system.AddOutput("Speakers");
  system.AddInput("Line In");
  CMessageQueue queue;
  Drain(queue);
  std::unique_ptr<CWaveOut> out;
  std::unique_ptr<CWaveIn> in;

  EXPECT_EQ(system.OpenOutput(5, WaveFormat{}, &queue, out), platform::kWaveBadDeviceId);
  system.SetOpenError(Direction::Input, 0, platform::kWaveAllocated);
  EXPECT_EQ(system.OpenInput(0, WaveFormat{}, &queue, in), platform::kWaveAllocated);
  system.SetOpenError(Direction::Input, 0, platform::kWaveOk);
  system.SetFormatRejected(Direction::Output, 0, true);
  EXPECT_EQ(system.QueryOutputFormat(0, WaveFormat{}), platform::kWaveBadFormat);
  EXPECT_EQ(system.OpenOutput(0, WaveFormat{}, &queue, out), platform::kWaveBadFormat);
  system.SetFormatRejected(Direction::Output, 0, false);
  WaveFormat mono;
  mono.channels = 1;
  EXPECT_EQ(system.QueryOutputFormat(0, mono), platform::kWaveBadFormat);

  out = OpenOut(system, queue);
  std::unique_ptr<CWaveOut> twice;
  EXPECT_EQ(system.OpenOutput(0, WaveFormat{}, &queue, twice), platform::kWaveAllocated);
  system.SetPositionFails(Direction::Output, 0, true);
  uint32_t position;
  EXPECT_EQ(out->GetPosition(position), platform::kWaveError);

  // A stalled output keeps its buffer while time passes, then goes on.
  Buffer b(17640);
  out->Prepare(b.header);
  out->Write(b.header);
  system.SetStalled(Direction::Output, 0, true);
  system.Advance(300);
  EXPECT_FALSE(b.header.Has(platform::kWaveDone));
  system.SetStalled(Direction::Output, 0, false);
  system.Advance(100);
  EXPECT_TRUE(b.header.Has(platform::kWaveDone));

  in = OpenIn(system, queue);
  system.SetStopFails(0, true);
  in->Start();
  EXPECT_EQ(in->Stop(), platform::kWaveError);
  system.SetStopFails(0, false);
  EXPECT_EQ(in->Stop(), platform::kWaveOk);
}

TEST(VirtualClock, ADeviceThreadMayMoveTheClockWhileItHandlesANotice) {
  CVirtualWaveSystem system;
  system.AddOutput("Speakers");
  CMessageQueue queue;
  auto out = OpenOut(system, queue);
  Buffer a(17640), b(17640), c(17640);
  std::atomic<int> handled{0};
  std::atomic<uint64_t> seenAt{0};
  // The thread that takes the notices refills slowly: 300 ms per buffer.
  std::thread consumer([&] {
    for (;;) {
      const ThreadMessage m = queue.Get();
      if (m.id == 0) break;
      if (m.id != platform::kWaveOutDone) continue;
      if (handled++ == 0) {
        system.Advance(300);
        seenAt = system.NowMs();
        out->Write(c.header);
      }
    }
  });
  for (Buffer* x : {&a, &b, &c}) out->Prepare(x->header);
  out->Write(a.header);
  out->Write(b.header);
  system.Advance(100);  // a is done at 1100; its handler moves the clock to 1400
  EXPECT_EQ(seenAt.load(), 1400u);
  EXPECT_GE(system.NowMs(), 1400u);
  system.Advance(100);  // c, queued at 1400 after b ran out at 1200, ends at 1500
  queue.Post(0);
  consumer.join();
  EXPECT_EQ(handled.load(), 3);
  const auto runs = system.PlayedRuns(0);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[1].firstFrame, CVirtualWaveSystem::FrameAt(1400));
  out->Reset();
}

TEST(VirtualClock, RealTimeDevicesPlayOnTheirOwn) {
  CVirtualWaveSystem system(CVirtualWaveSystem::ClockMode::RealTime);
  system.AddOutput("Speakers");
  CMessageQueue queue;
  auto out = OpenOut(system, queue);
  ThreadMessage m;
  ASSERT_TRUE(queue.Get(m, 1000));
  EXPECT_EQ(m.id, platform::kWaveOutOpened);
  Buffer b(4410);  // 25 ms
  out->Prepare(b.header);
  out->Write(b.header);
  ASSERT_TRUE(queue.Get(m, 5000));
  EXPECT_EQ(m.id, platform::kWaveOutDone);
  uint32_t position = 0;
  out->GetPosition(position);
  EXPECT_EQ(position, 4410u);
}

TEST(VirtualOutput, AnInstantOutputHandsBuffersBackAtOnceOnceTheirNoticesAreHandled) {
  CVirtualWaveSystem system;
  system.AddOutput("Null");
  system.SetInstant(0, true);
  CMessageQueue queue;
  auto out = OpenOut(system, queue);
  Buffer a(17640, 1), b(4096, 2);
  std::atomic<int> handled{0};
  std::thread consumer([&] {
    for (;;) {
      const ThreadMessage m = queue.Get();
      if (m.id == 0) break;
      if (m.id == platform::kWaveOutDone) ++handled;
    }
  });
  out->Pause();
  for (Buffer* x : {&a, &b}) {
    out->Prepare(x->header);
    out->Write(x->header);
  }
  EXPECT_EQ(handled.load(), 0);  // paused: nothing plays, instant or not
  EXPECT_FALSE(a.header.Has(platform::kWaveDone));
  out->Restart();
  // Both came back without the clock moving, and were handled before Restart returned.
  EXPECT_EQ(handled.load(), 2);
  EXPECT_EQ(system.NowMs(), CVirtualWaveSystem::kStartMs);
  uint32_t position = 0;
  out->GetPosition(position);
  EXPECT_EQ(position, 17640u + 4096u);
  out->Write(a.header);
  EXPECT_EQ(handled.load(), 3);
  std::vector<uint8_t> expected = a.memory;
  expected.insert(expected.end(), b.memory.begin(), b.memory.end());
  expected.insert(expected.end(), a.memory.begin(), a.memory.end());
  EXPECT_EQ(system.PlayedBytes(0), expected);
  queue.Post(0);
  consumer.join();
}

TEST(VirtualInput, AnInputThatFailsSaysSoOnceAndCannotStartUntilItIsBack) {
  CVirtualWaveSystem system;
  system.AddInput("USB Mic");
  CMessageQueue queue;
  auto in = OpenIn(system, queue);
  Buffer a(17640);
  in->Prepare(a.header);
  in->AddBuffer(a.header);
  in->Start();
  Drain(queue);
  system.SetInputFailed(0, true);
  system.Advance(300);
  auto notices = Drain(queue);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].id, platform::kWaveInFailed);
  EXPECT_FALSE(a.header.Has(platform::kWaveDone));  // nothing more is captured
  EXPECT_EQ(in->Stop(), platform::kWaveOk);
  EXPECT_EQ(in->Reset(), platform::kWaveOk);
  EXPECT_EQ(in->Start(), platform::kWaveBadDeviceId);
  EXPECT_EQ(Drain(queue).size(), 1u);  // the reset's notice, no second failure

  system.SetInputFailed(0, false);
  in->Prepare(a.header);
  in->AddBuffer(a.header);
  EXPECT_EQ(in->Start(), platform::kWaveOk);
  system.Advance(100);
  notices = Drain(queue);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].id, platform::kWaveInData);
  in->Reset();
}
