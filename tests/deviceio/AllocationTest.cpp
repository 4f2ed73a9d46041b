#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>

#include "AllocationCounter.h"
#include "PobixHarness.h"

namespace {

// Allocations are counted on the device threads only: a callback marks the thread
// it runs on. The test thread, which also fills the first buffers inside Start,
// is left out: its own work (moving the virtual clock) is not the audio path.
thread_local bool t_deviceThread = false;
std::thread::id g_testThread;
std::atomic<long> g_fills{0};
std::atomic<long> g_takes{0};

bool OnDeviceThread() { return t_deviceThread; }

}  // namespace

namespace tessiro::test {
namespace {

void MarkDeviceThread() {
  if (std::this_thread::get_id() != g_testThread) t_deviceThread = true;
}

void QuietFill(uint32_t, unsigned char* buffer, uint32_t bytes, uint32_t* filled, int32_t* end) {
  MarkDeviceThread();
  std::memset(buffer, 0x22, bytes);
  *filled = bytes;
  *end = 0;
  ++g_fills;
}

void QuietTake(uint32_t, unsigned char*, uint32_t bytes, uint32_t* taken, int32_t*) {
  MarkDeviceThread();
  *taken = bytes;
  ++g_takes;
}

TEST_F(PobixTest, PlayingAndRecordingAllocateNothingOnTheDeviceThreads) {
  g_testThread = std::this_thread::get_id();
  Devices({"Speakers"}, {"Line In", "USB Mic"});
  pobix = std::make_unique<CPobix>();
  pobix->OutputInit(0, QuietFill);
  pobix->SetOutputBufferInfo(2, kBufferBytes);
  for (uint32_t p = 0; p < 2; ++p) pobix->SetupPhysicalInput(p, 44100, 16);
  const int32_t inputs[][2] = {{0, 1}, {1, 1}, {2, 0}, {0, 0}, {3, 0}};
  for (const auto& input : inputs) {
    PobixInit init{};
    init.inputIndex = input[0];
    init.stereo = input[1];
    init.recordSlot = input[0] + 1;
    init.callback = QuietTake;
    ASSERT_EQ(pobix->AddInput(&init), 0u);
    pobix->SetInputBufferInfo(static_cast<int16_t>(input[0]), 2, kBufferBytes);
  }
  pobix->Start(kPobixPlayAndRecord);
  Advance(500);  // every thread has run its callbacks and its queue its working size
  const long fills = g_fills, takes = g_takes;
  StartCountingAllocations(OnDeviceThread);
  Advance(3000);
  const long allocations = StopCountingAllocations();
  pobix->Stop();
  EXPECT_GE(g_fills - fills, 29);
  EXPECT_GE(g_takes - takes, 5 * 29);
  EXPECT_EQ(allocations, 0);
}

}  // namespace
}  // namespace tessiro::test
