// The device threads allocate nothing from the first block of a play, a
// recording, the editor's playback or a preview to its end.
#include <pthread.h>

#include <cstring>
#include <memory>
#include <thread>

#include "AllocationCounter.h"
#include "Thread.h"
#include "TransportFixture.h"

namespace tessiro::test {
namespace {

// The program's own threads: the player, the recorders and the mixer's helpers.
bool OnDeviceThread() {
  char name[16] = {};
  pthread_getname_np(pthread_self(), name, sizeof name);
  return std::strncmp(name, "tessiro-", 8) == 0;
}

class AllocationTest : public TransportTest {
 protected:
  void SetUp() override {
    TransportTest::SetUp();
    StartApp();
    for (int t = 0; t < 6; ++t) AddSnippet(t, 0, MakeSegment(3 * 44100, t % 2 ? 1 : 2));
  }
};

// Through a volatile pointer: an optimiser may drop an allocation nobody reads.
int* volatile g_allocated = nullptr;

void AllocateOne(int value) {
  g_allocated = new int(value);
  delete g_allocated;
}

TEST(AllocationCount, SeesTheProgramsThreadsOnly) {
  StartCountingAllocations(OnDeviceThread);
  AllocateOne(1);
  std::thread([] {
    platform::SetCurrentThreadName("tessiro-player");
    AllocateOne(2);
  }).join();
  EXPECT_EQ(StopCountingAllocations(), 1);
}

TEST_F(AllocationTest, ProjectPlaybackToItsEndWithSnippetsStartingAndStoppingOnTheWay) {
  AddSnippet(6, 30000, MakeSegment(20000, 2));
  AddSnippet(7, 70000, MakeSegment(40000, 1));
  AddSnippet(8, 100000, MakeSegment(10000, 2));
  StartCountingAllocations(OnDeviceThread);
  app->OnPlayProject();
  ASSERT_TRUE(RunUntilIdle(10000));
  EXPECT_EQ(StopCountingAllocations(), 0);
  EXPECT_EQ(PlayedFrames(), 3u * 44100u);
}

TEST_F(AllocationTest, RecordingFourTracksWithTheMetronome) {
  Arm(10, 0, 2);
  Arm(11, 1, 1);
  Arm(12, 2, 2);
  Arm(13, 3, 1);
  StartCountingAllocations(OnDeviceThread);
  app->OnRecordProject();
  Run(3000);
  const long allocations = StopCountingAllocations();
  app->OnRecordingWindowStop();
  EXPECT_EQ(allocations, 0);
  EXPECT_EQ(app->undoList.GetCount(), 1u);
}

TEST_F(AllocationTest, TheEditorsPlaybackPlainAndLoopedAndThePreview) {
  auto segment = MakeSegment(2 * 44100, 1);
  app->editorSource = EditorSourceIndependent;
  app->editorSegment = segment;
  auto loop = std::make_shared<CAudioLoop>();
  loop->SetSegment(MakeSegment(44100, 2));
  app->loopBank.AddLoop(loop);
  StartCountingAllocations(OnDeviceThread);
  app->OnEditorPlay();
  ASSERT_TRUE(RunUntilIdle(5000));
  app->OnEditorPlayLoop();
  Run(2000);
  app->OnStopPlayback();
  app->PlayLoopPreview();
  ASSERT_TRUE(RunUntilIdle(5000));
  EXPECT_EQ(StopCountingAllocations(), 0);
}

}  // namespace
}  // namespace tessiro::test
